#include "gui/common/model/tsweditcore.h"

#include <string>
#include <vector>

#include "model_fixture.h"

namespace tsw::gui::testing {
namespace {

struct EditCase {
  const char *name;
  std::vector<std::string> lines;
  TextPos caret;
  std::string keys;
  EditorOptions options;
  std::vector<std::string> expected;
};

class EditCoreTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditCoreTest, KeysGiveLines) {
  const EditCase &c = GetParam();
  auto file = std::make_shared<cBufFile>("", true);
  FakeCharRules rules;
  RecordingSeam seam;
  cEditCore core(file, rules, seam, c.options);
  std::string text;
  for (size_t i = 0; i < c.lines.size(); ++i)
    text += (i ? "\n" : "") + c.lines[i];
  core.InsertText(0, text);
  core.SetCursor(c.caret);
  for (char key : c.keys)
    core.Char(uint8_t(key));
  std::vector<std::string> lines;
  for (int32_t i = 0; i < file->LinesUsed(); ++i)
    lines.push_back(file->LineText(i));
  EXPECT_EQ(lines, c.expected);
}

const std::string k300(300, 'x'), k250(250, 'y');

INSTANTIATE_TEST_SUITE_P(
    Cases, EditCoreTest,
    ::testing::Values(
        EditCase{"IndentAtEnd", {"    int a;"}, MakePos(0, 10), "\r", {true, false}, {"    int a;", "    "}},
        EditCase{"WithinIndentMovesLineDown", {"    int a;"}, MakePos(0, 2), "\r", {true, false}, {"", "    int a;"}},
        EditCase{"BlankLineTakesIndentAbove", {"\tx;", ""}, MakePos(1, 0), "\r", {true, false}, {"\tx;", "", "\t"}},
        EditCase{"TrailingBlanksRemoved", {"a;   "}, MakePos(0, 5), "\r", {false, true}, {"a;", ""}},
        EditCase{"JoinTooLongOnlyMoves", {k300, k250}, MakePos(1, 0), "\b", {}, {k300, k250}},
        EditCase{"JoinThatFits", {"ab", "cd"}, MakePos(1, 0), "\b", {}, {"abcd"}}),
    [](const ::testing::TestParamInfo<EditCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tsw::gui::testing
