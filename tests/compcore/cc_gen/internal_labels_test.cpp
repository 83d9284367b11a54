#include "compcore/cc_gen/internal_labels.h"

#include <gtest/gtest.h>

#include <set>

namespace tsw {
namespace {

struct LabelRow {
  uint16_t n;
  const char *label;
};

const LabelRow kLabelRows[] = {
    {0, "AA!"},     {1, "BA!"},       {63, "#A!"},      {64, "AB!"},      {65, "BB!"},
    {4095, "##!"},  {4096, "AAB!"},   {12224, "A#C!"}, {16384, "AAE!"}, {65535, "##P!"},
};

TEST(InternalLabels, NamesKeepTheirShortFormAndGrowPast4095) {
  for (const LabelRow &row : kLabelRows)
    EXPECT_EQ(MakeInternalLabel(row.n), row.label) << row.n;
}

TEST(InternalLabels, EveryOffsetHasItsOwnPrintableNameMarkedInternal) {
  std::set<std::string> seen;
  for (uint32_t n = 0; n <= 0xFFFF; ++n) {
    const std::string label = MakeInternalLabel(static_cast<uint16_t>(n));
    ASSERT_TRUE(seen.insert(label).second) << n << " repeats " << label;
    ASSERT_GE(label.size(), 3u);
    ASSERT_EQ(label.back(), '!');
    for (size_t i = 0; i + 1 < label.size(); ++i) {
      const unsigned char c = label[i];
      ASSERT_TRUE(c > ' ' && c < 0x7F && c != '!') << n << ": byte " << int(c);
    }
  }
}

struct PoolRow {
  const char *name;
  std::vector<uint8_t> bytes;
  uint16_t count;
  std::vector<PooledString> expected;
};

TEST(InternalLabels, PoolStringsAreFoundByTheirOffsets) {
  const PoolRow rows[] = {
      {"empty", {}, 0, {}},
      {"two strings", {'a', 'b', 0, 'c', 0}, 5, {{0, 2}, {3, 1}}},
      {"an empty string", {0, 'x', 0}, 3, {{0, 0}, {1, 1}}},
      {"count before the last terminator", {'a', 0, 'b', 'c', 'd'}, 4, {{0, 1}, {2, 2}}},
  };
  for (const PoolRow &row : rows) {
    const auto strings = PooledStrings(row.bytes.data(), row.count);
    EXPECT_TRUE(strings == row.expected) << row.name;
  }
  // The labels two literals "ab" and "c" of one function get.
  const uint8_t pool[] = {'a', 'b', 0, 'c', 0};
  const auto strings = PooledStrings(pool, sizeof pool);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(MakeInternalLabel(strings[0].offset), "AA!");
  EXPECT_EQ(MakeInternalLabel(strings[1].offset), "DA!");
}

} // namespace
} // namespace tsw
