#pragma once

#include <cstdint>

// Target addresses: a 16-bit logical address and an 8-bit segment. Below the
// start of the extended-memory window the segment means nothing; at or above
// it the segment picks the 4 KB page of the 20-bit physical memory that the
// window shows.
namespace tsw {

struct ADDR24 {
  uint16_t logical = 0;
  uint8_t segment = 0;
  uint8_t unused = 0; // always 0, so the packed form has a clear top byte
};

inline constexpr uint16_t kDefaultExtWindowStart = 0xE000;
inline constexpr uint16_t kDefaultSegmentBase = 0xE;
inline constexpr uint32_t kExtPageSize = 0x1000;
inline constexpr uint32_t kPhysicalMask = 0xFFFFF;

// Where the window begins (set when the BIOS symbols are loaded) and the
// physical page number at which it begins (the configuration value "logx").
extern uint16_t ExtWindowStart;
extern uint16_t SegmentBase;

constexpr ADDR24 MakeAddr24(uint8_t segment, uint16_t logical) { return ADDR24{logical, segment, 0}; }
constexpr uint32_t Addr24ToLong(ADDR24 a) {
  return uint32_t(a.logical) | uint32_t(a.segment) << 16 | uint32_t(a.unused) << 24;
}
constexpr ADDR24 Addr24FromLong(uint32_t packed) {
  return ADDR24{uint16_t(packed), uint8_t(packed >> 16), uint8_t(packed >> 24)};
}
constexpr uint16_t Addr24Logical(ADDR24 a) { return a.logical; }
constexpr uint8_t Addr24Segment(ADDR24 a) { return a.segment; }

bool Addr24InWindow(ADDR24 a);
uint32_t Addr24ToPhysical(ADDR24 a);
// Always gives a window address.
ADDR24 PhysicalToAddr24(uint32_t physical);
ADDR24 Addr24Add(ADDR24 a, int32_t offset);
// Physical a - physical b; a negative distance comes out as its two's
// complement.
uint32_t Addr24Difference(ADDR24 a, ADDR24 b);
bool Addr24Equal(ADDR24 a, ADDR24 b);
bool Addr24Less(ADDR24 a, ADDR24 b);

} // namespace tsw
