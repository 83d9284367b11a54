#include "gui/shelldebugui.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"
#include "qt_fixture.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

// The board as far as the main window's commands reach it.
class RecordingEngine : public DebugEngine {
public:
  bool LinkIsTcp() const override { return false; }
  void SetLinkRunState(int) override {}
  void PollTargetStatus() override { calls.push_back("poll"); }
  void OpenSerialPort() override {}
  void DisconnectTcp() override {}
  void DiscardBreakpointMarkers() override {}
  void ResetProgram() override { calls.push_back("reset"); }
  void StartProgram() override { calls.push_back("start"); }
  void StopProgram() override { calls.push_back("stop"); }
  void StepOver() override { calls.push_back("step over"); }
  void StepInto() override { calls.push_back("step into"); }
  void ToggleInterrupts() override { calls.push_back("interrupts"); }
  void RefreshPanes() override { calls.push_back("refresh"); }
  std::vector<std::string> calls;
};

class ShellDebugUiTest : public testing::QtSuite {
protected:
  void SetUp() override {
    ResetShellState();
    plat::SetNotifier(&notifier);
    pleaseWait.openMarksBusy = false;
    plat::SetPleaseWait(&pleaseWait);
    window.resize(900, 600);
    window.show();
  }
  void TearDown() override {
    plat::SetPleaseWait(nullptr);
    plat::SetNotifier(nullptr);
    ResetShellState();
  }

  testing::ConfigHome home;
  testing::TempDir sources;
  testing::InstalledTexts texts{{{5000, "Tessel C"}, {730, "Compiling"}}};
  plat::RecordingNotifier notifier;
  testing::RecordingPleaseWait pleaseWait;
  Settings settings{"7.06P", "/nowhere/"};
  RecordingEngine engine;
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  cMainWindow window{engine, compiler, settings, editors};
  ShellDebugUi ui{window};
};

TEST_F(ShellDebugUiTest, DebuggerCommandsAreEnabledByTheRunStateAndReachTheEngine) {
  struct Command {
    uint16_t id;
    const char *call; // what the worker asks of the board when stopped
  };
  const Command commands[] = {
      {cmd::kReset, "reset"},        {cmd::kRun, "start"},           {cmd::kRunNoPoll, "start"},
      {cmd::kStop, nullptr},         {cmd::kStepOver, "step over"},  {cmd::kStepInto, "step into"},
      {cmd::kToggleInterrupts, "interrupts"},
  };
  struct Row {
    RunState state;
    std::map<uint16_t, bool> enabled;
  };
  const Row rows[] = {
      // Without the compile worker there is nothing to run yet.
      {RunState::NotDebugging,
       {{cmd::kReset, false}, {cmd::kRun, false}, {cmd::kRunNoPoll, false}, {cmd::kStop, false},
        {cmd::kStepOver, false}, {cmd::kStepInto, false}, {cmd::kToggleInterrupts, false}}},
      {RunState::Stopped,
       {{cmd::kReset, true}, {cmd::kRun, true}, {cmd::kRunNoPoll, true}, {cmd::kStop, false},
        {cmd::kStepOver, true}, {cmd::kStepInto, true}, {cmd::kToggleInterrupts, true}}},
      {RunState::Running,
       {{cmd::kReset, false}, {cmd::kRun, true}, {cmd::kRunNoPoll, false}, {cmd::kStop, true},
        {cmd::kStepOver, false}, {cmd::kStepInto, false}, {cmd::kToggleInterrupts, false}}},
  };
  // Run needs a program to run.
  window.OpenFile(sources.Write("a.c", "main(){}\n"));
  for (const Row &row : rows) {
    window.Core().SetRunState(row.state);
    for (const Command &c : commands) {
      SCOPED_TRACE(std::to_string(int(row.state)) + " " + std::to_string(c.id));
      const CommandHandlers::Entry *entry = window.Commands().Find(c.id);
      ASSERT_NE(entry, nullptr);
      ASSERT_TRUE(entry->worker);
      EXPECT_EQ(entry->enabler(), row.enabled.at(c.id));
    }
  }
  window.Core().SetRunState(RunState::NotDebugging);
  window.Core().compileProgram = [] {};
  EXPECT_TRUE(window.Commands().Find(cmd::kRun)->enabler()) << "run compiles and loads first";
  window.Core().compileProgram = nullptr;
  for (const Command &c : commands) {
    if (!c.call)
      continue;
    SCOPED_TRACE(c.id);
    window.Core().SetRunState(RunState::Stopped);
    engine.calls.clear();
    window.Commands().Find(c.id)->worker();
    EXPECT_EQ(engine.calls.front(), c.call);
  }
  window.Core().SetRunState(RunState::Running);
  engine.calls.clear();
  window.Commands().Find(cmd::kStop)->worker();
  EXPECT_EQ(engine.calls, std::vector<std::string>{"stop"});
}

TEST_F(ShellDebugUiTest, TheEnginesRunStateIsTheMainWindows) {
  const std::pair<MainRunState, RunState> cases[] = {{MainRunState::Stopped, RunState::Stopped},
                                                     {MainRunState::Running, RunState::Running},
                                                     {MainRunState::NotDebugging, RunState::NotDebugging}};
  for (const auto &[shown, state] : cases) {
    ui.SetRunState(shown);
    EXPECT_EQ(window.Core().State(), state);
  }
}

TEST_F(ShellDebugUiTest, StopsFindTheirEditors) {
  const std::string open = sources.Write("open.c", "a\nb\nc\nd\n");
  const std::string closed = sources.Write("closed.c", "x\n");
  cEditFrame *openFrame = window.OpenFile(open);
  cEditFrame *other = window.OpenFile(std::nullopt);
  ASSERT_EQ(window.activeSubWindow(), other);
  EXPECT_FALSE(ui.ActiveEditorCaret()->first == open);

  struct Case {
    const char *name;
    std::string file;
    bool found;
    size_t frames; // editor frames afterwards
  };
  const Case cases[] = {
      {"an open file is brought up", open, true, 2},
      {"a file not open yet is opened", closed, true, 3},
      {"a file that cannot be read is none, without a box", sources / "gone.c", false, 3},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ui.OpenEditor(c.file), c.found);
    EXPECT_EQ(Shell().editorFrames.Frames().size(), c.frames);
    if (c.found) {
      EXPECT_EQ(ui.ActiveEditorCaret()->first, c.file);
    }
  }
  EXPECT_TRUE(notifier.boxes.empty());

  ui.SetEditorCursor(open, MakeTextPosition(2, 1));
  EXPECT_EQ(openFrame->View()->Caret(), MakeTextPosition(2, 1));
  ui.BringEditorToTop(open);
  EXPECT_EQ(window.activeSubWindow(), openFrame);
  auto caret = ui.ActiveEditorCaret();
  ASSERT_TRUE(caret);
  EXPECT_EQ(*caret, std::make_pair(open, MakeTextPosition(2, 1)));
  EXPECT_TRUE(ui.HasEditor(closed));
  EXPECT_FALSE(ui.HasEditor(sources / "gone.c"));
}

TEST_F(ShellDebugUiTest, BoxesAndThePleaseWaitDialogAreTheShells) {
  ui.ShowMessageBox("Program ended.");
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].title, "Tessel C");
  EXPECT_EQ(notifier.boxes[0].text, "Program ended.");
  ui.ShowPleaseWait(730);
  ui.Pump();
  EXPECT_EQ(pleaseWait.calls, (std::vector<std::string>{"open cancel", "text Compiling", "pump"}));
  // No debug pane is shown yet: the engine leaves them alone.
  EXPECT_EQ(ui.RegisterPane(), nullptr);
  EXPECT_EQ(ui.AssemblyPane(), nullptr);
  EXPECT_FALSE(ui.IsDumpPaneOpen());
}

} // namespace
} // namespace tsw
