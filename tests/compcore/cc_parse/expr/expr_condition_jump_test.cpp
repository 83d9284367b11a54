#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>
#include <vector>

// A loop's test jumps back to its head: by the two-byte relative jump as far
// as its displacement reaches, by the absolute jump beyond.
namespace tsw::testing {
namespace {

class ConditionJumpTest : public StatementCompileTest {};

TEST_F(ConditionJumpTest, ABackwardJumpIsRelativeExactlyWhileItsDisplacementFits) {
  constexpr uint16_t kHead = 0x1000;
  constexpr uint8_t kReturn = 0xC9;
  // The body is `loads` times "g;" (3 bytes) and `steps` times "g++;"
  // (7 bytes); the test behind it takes 4 more. The distance runs from the
  // jump's first byte back to the head; its displacement counts from the
  // jump's end, 2 bytes on.
  struct Case {
    int loads, steps;
    int distance;
    bool relative;
  } cases[] = {
      {38, 1, -125, true},
      {36, 2, -126, true}, // displacement -128, the last that fits
      {41, 0, -127, false},
      {37, 2, -129, false},
      {42, 0, -130, false},
      {0, 0, -4, true},
  };
  for (const Case &c : cases) {
    std::string body;
    for (int i = 0; i < c.loads; ++i)
      body += "g; ";
    for (int i = 0; i < c.steps; ++i)
      body += "g++; ";
    const std::string what = fmt::format("distance {}", c.distance);
    ASSERT_EQ(CompileAlone("#nodebug\nint g;\nvoid f(void) { do { " + body + "} while (g); }"), 0)
        << what << ::testing::PrintToString(Records());
    const std::vector<uint8_t> image = Image();
    ASSERT_FALSE(image.empty()) << what;
    ASSERT_EQ(image.back(), kReturn) << what;
    const std::vector<std::string> listing = DecodeAll(TargetCpu::Corvid, image, kHead);
    ASSERT_GE(listing.size(), 2u) << what;
    const size_t jumpLength = c.relative ? 2 : 3;
    const int distance = -int(image.size() - 1 - jumpLength);
    EXPECT_EQ(distance, c.distance) << what << HexBytes(image);
    EXPECT_EQ(listing[listing.size() - 2], fmt::format("{}    nz,{:04X}", c.relative ? "jr" : "jp", kHead))
        << what << " " << HexBytes(image);
  }
}

} // namespace
} // namespace tsw::testing
