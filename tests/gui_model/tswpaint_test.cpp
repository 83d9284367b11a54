#include "gui/common/model/tswpaint.h"

#include <set>
#include <string>
#include <vector>

#include "model_fixture.h"

namespace tsw::gui {
// Segments print as bytes, display columns and colours.
static void PrintTo(const PaintSegment &s, std::ostream *os) {
  *os << "{" << s.byteFrom << "-" << s.byteTo << " @" << s.displayFrom << "-" << s.displayTo << " fg " << s.foreground
      << " bg " << s.background << "}";
}

} // namespace tsw::gui

namespace tsw::gui::testing {
namespace {

constexpr PaneColors kColors{1, 2, 3, 4};
constexpr uint32_t kWhiteRgb = 0xFFFFFF, kBlackRgb = 0;
constexpr uint32_t kRangeBg = 0x10, kRangeFg = 0x20;

struct Range {
  TextPos from, to;
  uint32_t background, foreground;
};

struct SegmentCase {
  const char *name;
  std::string text;
  TextPos selFrom, selTo;
  std::vector<Range> ranges; // none: the pane has no tree
  int32_t line, displayFrom, displayTo;
  bool monochrome;
  std::set<uint8_t> leadBytes;
  std::vector<PaintSegment> expected;
};

struct SegmentTest : ViewerFixture, ::testing::WithParamInterface<SegmentCase> {};

TEST_P(SegmentTest, LineGivesSegments) {
  const SegmentCase &c = GetParam();
  rules.leadBytes = c.leadBytes;
  SetText(c.text);
  if (c.selFrom != c.selTo) {
    ASSERT_TRUE(view.SetSelection(c.selFrom, c.selTo));
  }
  cRangeTree tree;
  for (const Range &r : c.ranges)
    ASSERT_TRUE(tree.Insert(r.from, r.to, std::make_unique<cColorPair>(r.background, r.foreground)));
  SetTabSize(3);
  EXPECT_EQ(
      LineSegments(view, c.line, c.displayFrom, c.displayTo, c.ranges.empty() ? nullptr : &tree, kColors, c.monochrome),
      c.expected);
}

using S = PaintSegment;
constexpr int32_t kWide = 200;

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentTest,
    ::testing::Values(
        SegmentCase{"PlainLine", "abc", 0, 0, {}, 0, 1, kWide, false, {}, {S{0, 3, 1, 4, 1, 2}}},
        SegmentCase{"EmptyLine", "", 0, 0, {}, 0, 1, kWide, false, {}, {}},
        SegmentCase{"LineThatDoesNotExist", "abc", 0, 0, {}, 3, 1, kWide, false, {}, {}},
        SegmentCase{"SelectionInTheMiddle",
                    "abcdef",
                    MakePos(0, 2),
                    MakePos(0, 4),
                    {},
                    0,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 2, 1, 3, 1, 2}, S{2, 4, 3, 5, 3, 4}, S{4, 6, 5, 7, 1, 2}}},
        SegmentCase{"SelectionFromTheLineAbove",
                    "abc\ndefg",
                    MakePos(0, 1),
                    MakePos(1, 2),
                    {},
                    1,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 2, 1, 3, 3, 4}, S{2, 4, 3, 5, 1, 2}}},
        SegmentCase{"SelectionOnAnotherLineLeavesThisOne",
                    "abc\ndef",
                    MakePos(0, 0),
                    MakePos(0, 2),
                    {},
                    1,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 3, 1, 4, 1, 2}}},
        SegmentCase{"BreakpointInsideASelectionTakesTheSelectionColours",
                    "abcdef",
                    MakePos(0, 1),
                    MakePos(0, 5),
                    {{MakePos(0, 3), MakePos(0, 4), kRangeBg, kRangeFg}},
                    0,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 1, 1, 2, 1, 2}, S{1, 5, 2, 6, 3, 4}, S{5, 6, 6, 7, 1, 2}}},
        SegmentCase{"RangeCutWhereTheSelectionStarts",
                    "abcdef",
                    MakePos(0, 3),
                    MakePos(0, 6),
                    {{MakePos(0, 1), MakePos(0, 5), kRangeBg, kRangeFg}},
                    0,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 1, 1, 2, 1, 2}, S{1, 3, 2, 4, kRangeFg, kRangeBg}, S{3, 6, 4, 7, 3, 4}}},
        SegmentCase{"RangeResumesAfterTheSelection",
                    "abcdef",
                    MakePos(0, 0),
                    MakePos(0, 2),
                    {{MakePos(0, 1), MakePos(0, 4), kRangeBg, kRangeFg}},
                    0,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 2, 1, 3, 3, 4}, S{2, 4, 3, 5, kRangeFg, kRangeBg}, S{4, 6, 5, 7, 1, 2}}},
        SegmentCase{"RangeOverTheLineEndRunsToTheEndOfTheLine",
                    "abc\ndef",
                    0,
                    0,
                    {{MakePos(0, 1), MakePos(1, 1), kRangeBg, kRangeFg}},
                    0,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 1, 1, 2, 1, 2}, S{1, 3, 2, 4, kRangeFg, kRangeBg}}},
        SegmentCase{"WholeLineRangeFromTheLineAbove",
                    "abc\ndef\nghi",
                    0,
                    0,
                    {{MakePos(0, 2), MakePos(2, 0), kRangeBg, kRangeFg}},
                    1,
                    1,
                    kWide,
                    false,
                    {},
                    {S{0, 3, 1, 4, kRangeFg, kRangeBg}}},
        SegmentCase{"MonochromeDarkBackgroundIsInverse",
                    "abc",
                    0,
                    0,
                    {{MakePos(0, 1), MakePos(0, 2), kBlackRgb, kWhiteRgb}},
                    0,
                    1,
                    kWide,
                    true,
                    {},
                    {S{0, 1, 1, 2, 1, 2}, S{1, 2, 2, 3, 2, 1}, S{2, 3, 3, 4, 1, 2}}},
        SegmentCase{"MonochromeLightBackgroundIsPlain",
                    "abc",
                    0,
                    0,
                    {{MakePos(0, 1), MakePos(0, 2), kWhiteRgb, kBlackRgb}},
                    0,
                    1,
                    kWide,
                    true,
                    {},
                    {S{0, 1, 1, 2, 1, 2}, S{1, 2, 2, 3, 1, 2}, S{2, 3, 3, 4, 1, 2}}},
        SegmentCase{"EachDoubleByteCharacterEndsASegment",
                    "a\x81\x40"
                    "b\x82\x41"
                    "c",
                    0,
                    0,
                    {},
                    0,
                    1,
                    kWide,
                    false,
                    {0x81, 0x82},
                    {S{0, 3, 1, 4, 1, 2}, S{3, 6, 4, 7, 1, 2}, S{6, 7, 7, 8, 1, 2}}},
        SegmentCase{"TabsWidenTheDisplaySpan", "\tx\ty", 0, 0, {}, 0, 1, kWide, false, {}, {S{0, 4, 1, 8, 1, 2}}},
        SegmentCase{
            "LeftEdgeInsideATabDrawsTheTabWhole", "\tab", 0, 0, {}, 0, 2, kWide, false, {}, {S{0, 3, 1, 6, 1, 2}}},
        SegmentCase{"LeftEdgeInsideADoubleByteCharacterDrawsItWhole",
                    "a\x81\x40z",
                    0,
                    0,
                    {},
                    0,
                    3,
                    kWide,
                    false,
                    {0x81},
                    {S{1, 3, 2, 4, 1, 2}, S{3, 4, 4, 5, 1, 2}}},
        SegmentCase{"RightEdgeEndsTheLastSegment", "abcdef", 0, 0, {}, 0, 2, 4, false, {}, {S{1, 3, 2, 4, 1, 2}}},
        SegmentCase{"RightEdgeInsideADoubleByteCharacterDrawsItWhole",
                    "ab\x81\x40z",
                    0,
                    0,
                    {},
                    0,
                    1,
                    4,
                    false,
                    {0x81},
                    {S{0, 4, 1, 5, 1, 2}}}),
    [](const ::testing::TestParamInfo<SegmentCase> &info) { return std::string(info.param.name); });

TEST(ColorPair, EqualOnlyToAPairOfTheSameColours) {
  struct Other : cRangeData {
    std::unique_ptr<cRangeData> Clone() const override { return std::make_unique<Other>(); }
    bool IsEqual(const cRangeData &) const override { return false; }
  };
  cColorPair pair(1, 2);
  EXPECT_TRUE(pair.IsEqual(cColorPair(1, 2)));
  EXPECT_TRUE(pair.Clone()->IsEqual(pair));
  EXPECT_FALSE(pair.IsEqual(cColorPair(2, 1)));
  EXPECT_FALSE(pair.IsEqual(Other()));
}

} // namespace
} // namespace tsw::gui::testing
