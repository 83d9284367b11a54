#include "foundation/addr24.h"

namespace tsw {

uint16_t ExtWindowStart = kDefaultExtWindowStart;
uint16_t SegmentBase = kDefaultSegmentBase;

bool Addr24InWindow(ADDR24 a) { return a.logical >= ExtWindowStart; }

uint32_t Addr24ToPhysical(ADDR24 a) {
  if (!Addr24InWindow(a))
    return a.logical;
  return (uint32_t(a.logical) + uint32_t(a.segment) * kExtPageSize) & kPhysicalMask;
}

ADDR24 PhysicalToAddr24(uint32_t physical) {
  uint16_t logical = uint16_t((physical & (kExtPageSize - 1)) + ExtWindowStart);
  uint8_t segment = uint8_t((physical >> 12) - SegmentBase);
  return MakeAddr24(segment, logical);
}

ADDR24 Addr24Add(ADDR24 a, int32_t offset) {
  if (!Addr24InWindow(a))
    return MakeAddr24(a.segment, uint16_t(a.logical + uint32_t(offset)));
  return PhysicalToAddr24(Addr24ToPhysical(a) + uint32_t(offset));
}

uint32_t Addr24Difference(ADDR24 a, ADDR24 b) { return Addr24ToPhysical(a) - Addr24ToPhysical(b); }

bool Addr24Equal(ADDR24 a, ADDR24 b) {
  if (!Addr24InWindow(a))
    return a.logical == b.logical;
  return (Addr24ToLong(a) & 0xFFFFFF) == (Addr24ToLong(b) & 0xFFFFFF);
}

bool Addr24Less(ADDR24 a, ADDR24 b) { return Addr24ToPhysical(a) < Addr24ToPhysical(b); }

} // namespace tsw
