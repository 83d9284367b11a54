#include "debugger/clockcount.h"
#include "debugger/listing.h"

#include "debugger/fake_target.h"

#include <gtest/gtest.h>

#include <vector>

namespace tsw {
namespace {

using tsw::testing::FakeTarget;

AssemblyLine LineFor(TargetCpu cpu, uint16_t address, std::vector<uint8_t> bytes) {
  FakeTarget target(cpu);
  Listing listing = BuildListing(MakeAddr24(0, address), bytes.data(), bytes.size());
  EXPECT_FALSE(listing.lines.empty());
  return listing.lines.empty() ? AssemblyLine{} : listing.lines[0];
}

TEST(AssemblyLine, FixedColumns) {
  AssemblyLine jp = LineFor(TargetCpu::Z180, 0x4000, {0xC3, 0x00, 0x3F});
  EXPECT_EQ(jp.text, std::string("   4000 C3003F   jp    3F00").append(13, ' ') + "   0");
  EXPECT_EQ(jp.text.size(), kListingClockColumn + 4);

  FakeTarget target(TargetCpu::Z180);
  const uint8_t nop[] = {0x00};
  EXPECT_EQ(FormatAssemblyLine(MakeAddr24(0x0E, 0xE000), nop, 1, "nop").text.substr(0, 8), "0e:e000 ");
  // Bytes after the fourth and text past 23 columns are cut.
  const uint8_t five[] = {0x01, 0x02, 0x03, 0x04, 0x05};
  AssemblyLine cut = FormatAssemblyLine(MakeAddr24(0, 0x100), five, 5, std::string(30, 'x'));
  EXPECT_EQ(cut.text.substr(8, 9), "01020304 ");
  EXPECT_EQ(cut.text.substr(17, 24), std::string(23, 'x') + " ");
}

TEST(AssemblyLine, ClockFieldAndStoredCount) {
  struct Case {
    TargetCpu cpu;
    std::vector<uint8_t> bytes;
    const char *field;
    int16_t stored;
  };
  constexpr auto Z = TargetCpu::Z180;
  constexpr auto C = TargetCpu::Corvid;
  const Case cases[] = {
      {Z, {0x00}, "   2", 2},
      {Z, {0xC0}, " 8/2", 0},
      {Z, {0xC9}, "   8", 8},
      {Z, {0xCD, 0x00, 0x50}, "  12", 12},
      {Z, {0xCB, 0x06}, "  10", 10},
      {Z, {0xCB, 0x11}, "   4", 4},
      {Z, {0xCB, 0x31}, "   0", 0},
      {Z, {0xDD, 0x21, 0x00, 0x80}, "   8", 8},
      {Z, {0xDD, 0xCB, 0x05, 0x46}, "  10", 10}, // bit test forms
      {Z, {0xDD, 0xCB, 0x05, 0x06}, "  13", 13},
      {Z, {0xFD, 0xE3}, "  15", 15},
      {Z, {0xED, 0xA0}, "  10", 10},
      {Z, {0xED, 0x43, 0x00, 0x80}, "  15", 15},
      {Z, {0xED, 0xB0}, "6+7n", 0},
      {C, {0xD3, 0xED, 0xB0}, "8+6n", 0},
      {C, {0xDB, 0xED, 0xB0}, "8+7n", 0},
      {C, {0x76, 0xED, 0xB0}, "8+7n", 0},
      {C, {0x76, 0x00}, "   4", 4}, // altd adds 2
      {C, {0xD3, 0x00}, "   4", 4}, // ioi before an instruction no pattern holds
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    AssemblyLine line = LineFor(c.cpu, 0x4000, c.bytes);
    EXPECT_EQ(line.text.substr(kListingClockColumn), c.field);
    EXPECT_EQ(line.clockCount, c.stored);
  }
}

TEST(ClockCount, IoiPatternsAreTriedInOrder) {
  EXPECT_EQ(PrefixClockCount(0xD3, 0x32000000), 1); // pair 1
  EXPECT_EQ(PrefixClockCount(0xD3, 0x3A000000), 2); // pair 1's forbidden bit, no other pair
  EXPECT_EQ(PrefixClockCount(0xD3, 0xDDCB0046), 2); // pair 11 forbids bit 6 of the fourth byte
  EXPECT_EQ(PrefixClockCount(0xD3, 0xDDCB0006), 1);
  EXPECT_EQ(PrefixClockCount(0x00, 0x30000000), 0);
}

TEST(Listing, StopsAtTheLimitTheWrapOrTheBufferEnd) {
  FakeTarget target(TargetCpu::Z180);
  std::vector<uint8_t> nops(kListingBufferSize, 0x00);
  Listing full = BuildListing(MakeAddr24(0, 0x4000), nops.data(), nops.size());
  ASSERT_EQ(full.lines.size(), kListingLineLimit);
  EXPECT_EQ(full.lineAddresses[63].logical, 0x403F);
  EXPECT_EQ(full.end.logical, 0x4040);

  // At the top of physical memory the next address would not lie above.
  Listing top = BuildListing(PhysicalToAddr24(0xFFFFE), nops.data(), nops.size());
  EXPECT_EQ(top.lines.size(), 2u);
  EXPECT_EQ(Addr24ToPhysical(top.end), 0xFFFFFu);
  EXPECT_TRUE(BuildListing(MakeAddr24(0, 0), nops.data(), nops.size()).lines.empty());

  // A three-byte instruction does not fit in the two bytes left.
  std::vector<uint8_t> tail = {0x00, 0x00, 0x21, 0x34};
  Listing cut = BuildListing(MakeAddr24(0, 0x4000), tail.data(), tail.size());
  EXPECT_EQ(cut.lines.size(), 2u);
  EXPECT_EQ(cut.end.logical, 0x4002);
}

TEST(Listing, RowOfAnAddressInsideAnInstruction) {
  FakeTarget target(TargetCpu::Z180);
  std::vector<uint8_t> code = {0x21, 0x34, 0x12, 0x00, 0xC9};
  Listing listing = BuildListing(MakeAddr24(0, 0x4000), code.data(), code.size());
  ASSERT_EQ(listing.lines.size(), 3u);
  EXPECT_EQ(ListingRowOf(listing, MakeAddr24(0, 0x4001)), 0u);
  EXPECT_EQ(ListingRowOf(listing, MakeAddr24(0, 0x4004)), 2u);
  EXPECT_EQ(ListingRowOf(listing, MakeAddr24(0, 0x4005)), std::nullopt);
  EXPECT_EQ(ListingRowOf(listing, MakeAddr24(0, 0x3FFF)), std::nullopt);
}

} // namespace
} // namespace tsw
