#include <gtest/gtest.h>

#include <string_view>

#include "foundation/crc16.h"

namespace tsw {
namespace {

uint16_t CrcOf(std::string_view text, uint16_t start = 0) {
  return ComputeCrc16(reinterpret_cast<const uint8_t *>(text.data()), text.size(), kCrc16Ccitt, start);
}

TEST(Crc16Test, KnownSums) {
  struct Case {
    std::string_view text;
    uint16_t start;
    uint16_t crc;
  };
  const Case cases[] = {
      {"", 0, 0x0000},
      {"abc", 0, 0x9DD6},
      {"123456789", 0, 0x31C3},      // the XMODEM check value
      {"123456789", 0xFFFF, 0x29B1}, // the same register, preset to all ones
      {std::string_view("\0", 1), 0, 0x0000},
  };
  for (const Case &c : cases)
    EXPECT_EQ(CrcOf(c.text, c.start), c.crc) << '"' << c.text << "\" from " << c.start;
}

TEST(Crc16Test, ByteStepsChainLikeTheRunForm) {
  uint16_t crc = 0;
  for (char ch : std::string_view("abc"))
    crc = ComputeCrc16(uint8_t(ch), kCrc16Ccitt, crc);
  EXPECT_EQ(crc, 0x9DD6);
  // A single byte with bit 7 set exercises the top-bit branch on the first step.
  EXPECT_EQ(ComputeCrc16(uint8_t(0x80), kCrc16Ccitt, 0), 0x9188);
}

} // namespace
} // namespace tsw
