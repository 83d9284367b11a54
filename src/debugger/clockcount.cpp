#include "debugger/clockcount.h"

#include <array>
#include <charconv>

namespace tsw {
namespace {

constexpr uint8_t kAltd = 0x76;
constexpr uint8_t kIoi = 0xD3;
constexpr uint8_t kIoe = 0xDB;
constexpr uint8_t kPrefixCb = 0xCB;
constexpr uint8_t kPrefixIx = 0xDD;
constexpr uint8_t kPrefixEd = 0xED;
constexpr uint8_t kPrefixIy = 0xFD;
constexpr uint8_t kEdLdir = 0xB0;
constexpr uint8_t kEdLddr = 0xB8;
constexpr uint8_t kExSpHl = 0xE3;
constexpr int16_t kClocksIndexedBitTest = 10;
constexpr int16_t kClocksAltdExSpHl = 4;
constexpr uint16_t kClocksAltdOrIoe = 2;
constexpr uint16_t kClocksIoiMatched = 1;
constexpr uint16_t kClocksIoiOther = 2;
constexpr size_t kByteColumn = 8;
constexpr size_t kShownBytes = 4;

using ClockTable = std::array<uint8_t, 256>;

// Only the rows known for certain are filled; every other count is 0, which
// the pane shows as unknown.
constexpr ClockTable MainClocks() {
  ClockTable t{};
  t[0x00] = 2;
  t[0x01] = 6;
  t[0x02] = 7;
  t[0x22] = 13;
  t[0x34] = 8;
  t[0x35] = 8;
  t[0x76] = 2;
  for (uint8_t ret : {0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8, 0xF0, 0xF8})
    t[ret] = kClocksConditionalReturn;
  t[0xC9] = 8;
  t[0xCD] = 12;
  t[0xCF] = 19;
  return t;
}

constexpr ClockTable CbClocks() {
  ClockTable t{};
  constexpr int kHlOperand = 6;
  for (int op = 0; op < 256; ++op)
    if ((op & 7) != kHlOperand && !(op >= 0x30 && op <= 0x37))
      t[op] = 4;
  t[0x06] = 10;
  t[0x46] = 7;
  return t;
}

constexpr ClockTable IndexClocks() {
  ClockTable t{};
  t[0x21] = 8;
  t[0x22] = 15;
  t[0xE3] = 15;
  t[0xCB] = 13;
  return t;
}

constexpr ClockTable EdClocks() {
  ClockTable t{};
  t[0xA0] = 10;
  t[0xA8] = 10;
  t[0x43] = 15;
  t[0x4B] = 13;
  return t;
}

constexpr ClockTable kMain = MainClocks();
constexpr ClockTable kCb = CbClocks();
constexpr ClockTable kDd = IndexClocks();
constexpr ClockTable kFd = IndexClocks();
constexpr ClockTable kEd = EdClocks();

struct PrefixPattern {
  uint32_t mustHave;
  uint32_t mustNotHave;
};
constexpr PrefixPattern kIoiPatterns[] = {
    {0x30000000, 0xC8000000}, {0xDD300000, 0x02C00000}, {0x02000000, 0x0D000000}, {0x70000000, 0x88000000},
    {0xDD700000, 0x02880000}, {0xF4000000, 0x0B000000}, {0x22000000, 0xCD000000}, {0xDD220000, 0x02DD0000},
    {0xED430000, 0x128C0000}, {0xED800000, 0x12470000}, {0xDDCB0000, 0x02340040}, {0xCB000000, 0x00400000},
};

// The bytes shown in the byte columns; blanks and bytes not shown read as 0.
std::array<uint8_t, kShownBytes> ShownBytes(std::string_view line) {
  std::array<uint8_t, kShownBytes> bytes{};
  for (size_t i = 0; i < kShownBytes; ++i) {
    size_t at = kByteColumn + 2 * i;
    if (at + 2 > line.size())
      break;
    unsigned value = 0;
    auto [end, error] = std::from_chars(line.data() + at, line.data() + at + 2, value, 16);
    if (error == std::errc() && end == line.data() + at + 2)
      bytes[i] = uint8_t(value);
  }
  return bytes;
}

bool IsCorvidPrefix(uint8_t b) { return b == kAltd || b == kIoi || b == kIoe; }

} // namespace

uint16_t PrefixClockCount(uint8_t first, uint32_t following) {
  switch (first) {
  case kAltd:
  case kIoe: return kClocksAltdOrIoe;
  case kIoi:
    for (const PrefixPattern &p : kIoiPatterns)
      if ((following & p.mustHave) == p.mustHave && (following & p.mustNotHave) == 0)
        return kClocksIoiMatched;
    return kClocksIoiOther;
  default: return 0;
  }
}

int16_t LineClockCount(std::string_view line) {
  std::array<uint8_t, kShownBytes> shown = ShownBytes(line);
  size_t at = IsCorvidPrefix(shown[0]) ? 1 : 0;
  auto byteAt = [&](size_t i) -> uint8_t { return at + i < kShownBytes ? shown[at + i] : 0; };
  uint8_t o = byteAt(0), b1 = byteAt(1), b3 = byteAt(3);
  uint32_t following = uint32_t(o) << 24 | uint32_t(b1) << 16 | uint32_t(byteAt(2)) << 8 | b3;

  int16_t n = kMain[o];
  int16_t extra = int16_t(PrefixClockCount(shown[0], following));
  if (n == 0 || o == kAltd) {
    if (o == kPrefixIx || o == kPrefixIy) {
      uint8_t bitTestDigit = b3 >> 4;
      if (b1 == kPrefixCb && bitTestDigit >= 4 && bitTestDigit <= 7)
        n = kClocksIndexedBitTest;
      else
        n = o == kPrefixIx ? kDd[b1] : kFd[b1];
    } else if (o == kPrefixCb) {
      n = kCb[b1];
    } else if (o == kPrefixEd) {
      n = b1 == kEdLdir || b1 == kEdLddr ? kClocksBlockMove : kEd[b1];
    } else if (o == kAltd && b1 == kExSpHl) {
      n = kClocksAltdExSpHl;
    }
  }
  return int16_t(n + extra);
}

} // namespace tsw
