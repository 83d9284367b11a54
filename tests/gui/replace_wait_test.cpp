#include "gui/tswedit.h"

#include <optional>
#include <string>
#include <vector>

#include "foundation/xerr.h"
#include "gui/common/model/tswreplace.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"
#include "qt_fixture.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

class ReplaceWaitTest : public testing::QtSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    plat::SetPleaseWait(&pleaseWait);
  }
  void TearDown() override {
    plat::SetPleaseWait(nullptr);
    plat::SetNotifier(nullptr);
  }
  cTextEdit &Editor(const std::string &text) {
    edit.emplace(std::nullopt, EditorEnvironment{});
    edit->Core().InsertText(0, text);
    edit->File().ResetUndo();
    edit->Core().SetCursor(0);
    return *edit;
  }
  static gui::ReplaceRequest AllOf(const char *text, const char *by, bool noPrompt) {
    gui::ReplaceRequest request;
    request.text = text;
    request.replacement = by;
    request.all = true;
    request.noPrompt = noPrompt;
    return request;
  }

  plat::RecordingNotifier notifier;
  testing::RecordingPleaseWait pleaseWait;
  std::optional<cTextEdit> edit;
};

TEST_F(ReplaceWaitTest, AnUnattendedReplaceShowsThePleaseWaitAndTheUserMayStopIt) {
  struct Case {
    const char *name;
    bool noPrompt;
    bool outerOperation;
    std::optional<int> cancelAtPump;
    const char *text;
    int replaced;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"runs to its end", true, false, std::nullopt, "b b b", 3, {"open cancel", "pump", "pump", "pump", "close"}},
      {"cancelled", true, false, 2, "b b a", 2, {"open cancel", "pump", "pump", "close"}},
      // Inside another long operation its dialog serves and stays.
      {"inside another", true, true, std::nullopt, "b b b", 3, {"pump", "pump", "pump"}},
      // With questions the user is asked at each match anyway.
      {"with questions", false, false, std::nullopt, "b b b", 3, {"pump", "pump", "pump"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    pleaseWait = {};
    pleaseWait.cancelAtPump = c.cancelAtPump;
    pleaseWait.busy = c.outerOperation;
    notifier.answers.assign(3, plat::IDYES);
    cTextEdit &editor = Editor("a a a");
    EXPECT_EQ(editor.Replace(AllOf("a", "b", c.noPrompt)), c.replaced);
    EXPECT_EQ(editor.File().LineText(0), c.text);
    EXPECT_EQ(pleaseWait.calls, c.calls);
    EXPECT_EQ(pleaseWait.busy, c.outerOperation);
    // What was replaced goes back as one step.
    editor.Undo();
    EXPECT_EQ(editor.File().LineText(0), "a a a");
  }
}

// Records the caret's showing; stops the run at the second replacement.
class StoppingPrompt : public gui::ReplacePrompt {
public:
  gui::ReplaceAnswer Ask(bool) override { return gui::ReplaceAnswer::Yes; }
  void NotFound(const std::string &) override {}
  void ShowCaret(bool shown) override { shown_.push_back(shown); }
  void Replaced() override {
    if (++replaced_ == 2)
      throw xUserCancel("test", 1);
  }
  std::vector<bool> shown_;
  int replaced_ = 0;
};

TEST_F(ReplaceWaitTest, ARunStoppedHalfWayShowsTheCaretAgain) {
  cTextEdit &editor = Editor("a a a");
  StoppingPrompt prompt;
  EXPECT_THROW(gui::RunReplace(editor.Core(), AllOf("a", "b", true), prompt), xUserCancel);
  EXPECT_EQ(prompt.shown_, (std::vector<bool>{false, true}));
}

} // namespace
} // namespace tsw
