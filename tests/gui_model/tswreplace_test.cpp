#include "gui/common/model/tswreplace.h"

#include <deque>
#include <string>
#include <vector>

#include "model_fixture.h"

namespace tsw::gui::testing {
namespace {

// Answers from a script; a question past its end is a fault of the loop.
struct ScriptedPrompt : ReplacePrompt {
  std::deque<ReplaceAnswer> answers;
  std::vector<bool> asked; // the `all` of each question
  std::vector<std::string> notFound;
  std::vector<bool> caretShown;
  ReplaceAnswer Ask(bool all) override {
    asked.push_back(all);
    if (answers.empty()) {
      ADD_FAILURE() << "asked more often than scripted";
      return ReplaceAnswer::Cancel;
    }
    ReplaceAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void NotFound(const std::string &text) override { notFound.push_back(text); }
  void ShowCaret(bool shown) override { caretShown.push_back(shown); }
};

using A = ReplaceAnswer;

struct ReplaceCase {
  const char *name;
  std::string text;
  TextPos selFrom, selTo; // equal: the caret, no selection
  ReplaceRequest request;
  std::vector<ReplaceAnswer> answers;
  std::string expected;
  int replaced;
};

ReplaceRequest Req(std::string text, std::string replacement, bool all, bool noPrompt = false, bool backward = false,
                   bool caseSensitive = false, bool fromCaret = false, bool inSelection = false) {
  ReplaceRequest r;
  r.text = std::move(text);
  r.replacement = std::move(replacement);
  r.all = all;
  r.noPrompt = noPrompt;
  r.backward = backward;
  r.caseSensitive = caseSensitive;
  r.fromCaret = fromCaret;
  r.inSelection = inSelection;
  return r;
}

struct ReplaceTest : ViewerFixture, ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceTest, AnswersGiveText) {
  const ReplaceCase &c = GetParam();
  SetText(c.text);
  if (c.selFrom != c.selTo)
    view.SetSelection(c.selFrom, c.selTo);
  else
    view.SetCursor(c.selFrom);
  ScriptedPrompt prompt;
  prompt.answers.assign(c.answers.begin(), c.answers.end());
  EXPECT_EQ(RunReplace(view, c.request, prompt), c.replaced);
  EXPECT_EQ(Bytes(), c.expected);
  EXPECT_TRUE(prompt.answers.empty()) << "every scripted answer is asked for";
  EXPECT_EQ(prompt.asked, std::vector<bool>(prompt.asked.size(), c.request.all));
  std::vector<bool> caretShown;
  if (c.request.noPrompt)
    caretShown = {false, true};
  EXPECT_EQ(prompt.caretShown, caretShown);
  // The run is one undo action.
  if (c.replaced > 0) {
    view.EditUndo();
    EXPECT_EQ(Bytes(), c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"OkReplacesTheFirstOnly", "a b a", 0, 0, Req("a", "x", false), {A::Ok}, "x b a", 1},
        ReplaceCase{"CancelReplacesNothing", "a b a", 0, 0, Req("a", "x", false), {A::Cancel}, "a b a", 0},
        ReplaceCase{"AllWithYesNoYes", "a a a", 0, 0, Req("a", "x", true), {A::Yes, A::No, A::Yes}, "x a x", 2},
        ReplaceCase{"AllEndsAtCancel", "a a a", 0, 0, Req("a", "x", true), {A::Yes, A::Cancel}, "x a a", 1},
        ReplaceCase{"NoPromptReplacesAll", "a a a", 0, 0, Req("a", "x", true, true), {}, "x x x", 3},
        ReplaceCase{"CaseFoldedUnlessSensitive", "A a", 0, 0, Req("a", "x", true, true), {}, "x x", 2},
        ReplaceCase{"CaseSensitive", "A a", 0, 0, Req("a", "x", true, true, false, true), {}, "A x", 1},
        ReplaceCase{"FromTheCaret",
                    "a a a",
                    MakePos(0, 1),
                    MakePos(0, 1),
                    Req("a", "x", true, true, false, false, true),
                    {},
                    "a x x",
                    2},
        ReplaceCase{"ForwardReplacementHoldingTheText", "aa", 0, 0, Req("a", "ba", true, true), {}, "baba", 2},
        ReplaceCase{"BackwardCaseFoldedReplacementMatchesAgain",
                    "abc abc",
                    MakePos(0, 7),
                    MakePos(0, 7),
                    Req("abc", "ABC", true, true, true, false, true),
                    {},
                    "ABC ABC",
                    2},
        ReplaceCase{"BackwardReplacementHoldingTheText",
                    "aa",
                    MakePos(0, 2),
                    MakePos(0, 2),
                    Req("a", "ba", true, true, true, false, true),
                    {},
                    "baba",
                    2},
        ReplaceCase{"BackwardWithQuestions",
                    "a a a",
                    MakePos(0, 5),
                    MakePos(0, 5),
                    Req("a", "ab", true, false, true, false, true),
                    {A::Yes, A::No, A::Yes},
                    "ab a ab",
                    2},
        ReplaceCase{"InSelectionThatGrows",
                    "a a a a",
                    MakePos(0, 2),
                    MakePos(0, 5),
                    Req("a", "xyz", true, true, false, false, false, true),
                    {},
                    "a xyz xyz a",
                    2},
        ReplaceCase{"InSelectionThatShrinks",
                    "aa aa aa",
                    MakePos(0, 0),
                    MakePos(0, 5),
                    Req("aa", "b", true, true, false, false, false, true),
                    {},
                    "b b aa",
                    2}),
    [](const ::testing::TestParamInfo<ReplaceCase> &info) { return std::string(info.param.name); });

TEST_F(ViewerFixture, ReplaceOfATextNotThereSaysSoAndAsksNothing) {
  SetText("abc");
  ScriptedPrompt prompt;
  EXPECT_EQ(RunReplace(view, Req("zz", "y", true), prompt), 0);
  EXPECT_EQ(prompt.notFound, std::vector<std::string>{"zz"});
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_EQ(Bytes(), "abc");
}

} // namespace
} // namespace tsw::gui::testing
