#include "gui/common/model/tswcirc.h"

#include <functional>
#include <string>
#include <vector>

#include "model_fixture.h"

namespace tsw::gui::testing {
namespace {

struct RecordingRing : RingEvents {
  std::vector<int32_t> shifts;
  int drops = 0;
  void ShiftRanges(int32_t lines) override { shifts.push_back(lines); }
  void DropRanges() override { ++drops; }
};

using Op = std::function<void(cTextCircular &)>;
Op Append(std::string text) {
  return [text](cTextCircular &ring) { ring.AppendLine(text); };
}
Op Set(int32_t line, std::string text) {
  return [=](cTextCircular &ring) { ring.SetLine(line, text); };
}

struct RingCase {
  const char *name;
  uint16_t rows, width, minRows;
  std::vector<Op> ops;
  std::vector<std::string> lines; // every line, the empty one after the rows included
  TextPos caret;
  std::vector<int32_t> shifts;
};

class RingTest : public ::testing::TestWithParam<RingCase> {};

TEST_P(RingTest, OperationsGiveLines) {
  const RingCase &c = GetParam();
  FakeCharRules rules;
  RecordingDisplayEvents events;
  cTextCircular ring(rules, c.rows, c.width, c.minRows);
  RecordingRing ringEvents;
  ring.SetEvents(&events);
  ring.SetRingEvents(&ringEvents);
  for (const Op &op : c.ops)
    op(ring);
  std::vector<std::string> lines;
  for (int32_t line = 0; line < ring.LineCount(); ++line)
    lines.push_back(ring.GetLine(line));
  EXPECT_EQ(lines, c.lines);
  EXPECT_EQ(ring.GetLine(ring.LineCount()), nullptr);
  EXPECT_EQ(ring.GetCursor(), c.caret);
  EXPECT_EQ(ringEvents.shifts, c.shifts);
}

const std::string kBlank4(4, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, RingTest,
    ::testing::Values(RingCase{"NewRingShowsItsMinimumOfBlankRows", 3, 4, 2, {}, {kBlank4, kBlank4, ""}, 0, {}},
                      RingCase{
                          "AppendsFillTheRing", 3, 8, 0, {Append("a"), Append("b")}, {"a", "b", ""}, MakePos(1, 0), {}},
                      RingCase{"FiveAppendsToThreeRowsShowTheLastThree",
                               3,
                               8,
                               0,
                               {Append("a"), Append("b"), Append("c"), Append("d"), Append("e")},
                               {"c", "d", "e", ""},
                               MakePos(2, 0),
                               {-1, -1}},
                      RingCase{"LongTextKeepsWidthLessOne", 2, 4, 0, {Append("abcdef")}, {"abc", ""}, 0, {}},
                      RingCase{"SetLineBeyondTheUsedRowsUsesThem",
                               4,
                               8,
                               0,
                               {Set(2, "x")},
                               {std::string(8, ' '), std::string(8, ' '), "x", ""},
                               0,
                               {}},
                      RingCase{"SetLineOutsideTheRingIsIgnored", 2, 8, 0, {Set(2, "x"), Set(-1, "y")}, {""}, 0, {}},
                      RingCase{"ClearGoesBackToTheMinimum",
                               3,
                               4,
                               1,
                               {Append("a"), Append("b"), [](cTextCircular &r) { r.Clear(); }},
                               {kBlank4, ""},
                               0,
                               {}},
                      RingCase{"MinimumAboveTheRowsIsTheRows", 2, 2, 5, {}, {"  ", "  ", ""}, 0, {}}),
    [](const ::testing::TestParamInfo<RingCase> &info) { return std::string(info.param.name); });

struct CopyCase {
  const char *name;
  TextPos from, to;
  std::string text;
};

class RingCopyTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(RingCopyTest, SelectionJoinsRowsWithLineFeeds) {
  const CopyCase &c = GetParam();
  FakeCharRules rules;
  cTextCircular ring(rules, 4, 10, 0);
  for (const char *text : {"first", "second", "third"})
    ring.AppendLine(text);
  if (c.from != c.to) {
    ASSERT_TRUE(ring.SetSelection(c.from, c.to));
  }
  EXPECT_EQ(ring.SelectedText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, RingCopyTest,
                         ::testing::Values(CopyCase{"Empty", MakePos(1, 2), MakePos(1, 2), ""},
                                           CopyCase{"WithinARow", MakePos(1, 1), MakePos(1, 4), "eco"},
                                           CopyCase{"AcrossRows", MakePos(0, 3), MakePos(2, 2), "st\nsecond\nth"},
                                           CopyCase{"Backward", MakePos(2, 2), MakePos(0, 3), "st\nsecond\nth"},
                                           CopyCase{"ToTheEmptyLastLine", MakePos(2, 0), MakePos(3, 0), "third\n"}),
                         [](const ::testing::TestParamInfo<CopyCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tsw::gui::testing
