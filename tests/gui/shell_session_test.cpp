#include "shell_board_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/shellbreakpoints.h"
#include "gui/shelldebugui.h"
#include "gui/tswedit.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"

namespace tsw::testing {
namespace {

// The IDE debugging on the board: the main window with its commands and
// the engine on the real serial link, showing through the shell; the
// scripted CPU works on the in-process kernel's memory. The compiler cannot
// yet compile a program's statements to a board, so the compile's products
// (code start, labels, statement table) are the debugger tests' stand-in.
class ShellSession : public ShellBoard {
protected:
  void SetUp() override {
    ShellBoard::SetUp();
    ResetShellState();
    plat::SetPleaseWait(&pleaseWait);
    kernel.onWrite = [this](uint32_t physical, unsigned count) { cpu.KernelSeesWrite(physical, uint16_t(count)); };
    kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
    InstallDebugger(&ui);
    SetDebugSeams(&link, &products, &ui);
  }
  void TearDown() override {
    InstallDebugger(nullptr);
    ResetShellState();
    ShellBoard::TearDown();
  }
  void Command(uint16_t id) {
    const CommandHandlers::Entry *entry = window.Commands().Find(id);
    ASSERT_NE(entry, nullptr) << "command " << id << " has no worker";
    entry->worker();
  }

  DebugFakeBoard cpu{&kernel.memory};
  TargetDebugLink link;
  DebugFakeProducts products;
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  BoardEngine engine{settings};
  cMainWindow window{engine, compiler, settings, editors};
  ShellDebugUi ui{window};
};

TEST_F(ShellSession, RunStopsAtABreakpointAndStepsOverTheNextStatement) {
  cpu.Poke(0x4100, {kDebugHook, 0x3E, 0x01});
  cpu.Poke(0x4103, {kDebugHook, 0x3E, 0x02});
  cpu.Poke(0x4106, {0x3E, 0x03});
  cpu.Poke(0x4108, {kDebugHook, 0x18, 0xFD});
  const std::string source = dir.Write("main.c", "a = 1;\nb = 2;\nc = 3;\nfor (;;);\n");
  const uint16_t statements[] = {0x4100, 0x4103, 0x4106, 0x4108};
  for (uint16_t line = 1; line <= 4; ++line)
    products.AddStatement(MakeAddr24(0, statements[line - 1]), source, line, 5);
  const std::vector<uint8_t> loaded(cpu.Memory().begin() + 0x3000, cpu.Memory().end());
  // The reset stops at the first statement; the run steps off its hook and
  // stops at the breakpoint; the step over from the breakpoint takes two
  // resumes to the next statement.
  std::vector<uint16_t> stops = {0x4100, 0x4101, 0x4106, 0x4108, 0x4108};
  cpu.script = [&, n = size_t(0)](const TargetRegisterFrame &, DebugFakeBoard &) mutable {
    std::optional<DebugFakeBoard::Stop> stop;
    if (n < stops.size())
      stop = DebugFakeBoard::Stop{stops[n], 0, {}, {}};
    ++n;
    return stop;
  };
  Open();
  TargetConnect();
  // Where a compile and load to the board leaves the IDE.
  window.Core().ArrangeDebugWindows(RunState::Stopped);
  Command(cmd::kReset);
  EXPECT_EQ(ProgramFrame().pc, 0x4100);
  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);

  Command(cmd::kRun);
  EXPECT_EQ(window.Core().State(), RunState::Running);
  EXPECT_TRUE(window.PollTimerRunning());
  window.Core().PollTick();
  EXPECT_EQ(window.Core().State(), RunState::Stopped);
  EXPECT_EQ(ProgramFrame().pc, 0x4106);
  // The stop opened the program's file and put the caret on the statement.
  EXPECT_EQ(ui.ActiveEditorCaret(), std::make_optional(std::make_pair(source, MakeTextPosition(2, 4))));

  Command(cmd::kStepOver);
  EXPECT_TRUE(window.PollTimerRunning()) << "polling again after the step";
  window.Core().PollTick();
  EXPECT_EQ(window.Core().State(), RunState::Stopped);
  EXPECT_EQ(ProgramFrame().pc, 0x4108);
  EXPECT_EQ(ui.ActiveEditorCaret(), std::make_optional(std::make_pair(source, MakeTextPosition(3, 4))));
  EXPECT_EQ(Shell().editorFrames.Frames().size(), 1u) << "one editor for the file";

  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  EXPECT_TRUE(std::vector<uint8_t>(cpu.Memory().begin() + 0x3000, cpu.Memory().end()) == loaded);
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(ShellSession, ClosePortLetsGoOfTheSerialPort) {
  Open();
  ASSERT_TRUE(IsSerialPortOpen());
  Command(cmd::kClosePort);
  EXPECT_FALSE(IsSerialPortOpen());
  EXPECT_TRUE(port.closed);
}

TEST_F(ShellSession, TheEditorsBreakpointCommandsPlantOnTheStatementUnderTheCaret) {
  cpu.Poke(0x4100, {kDebugHook, 0x3E, 0x01});
  cpu.Poke(0x4103, {kDebugHook, 0x3E, 0x02});
  const std::string source = dir.Write("main.c", "a = 1;\nb = 2;\n");
  products.AddStatement(MakeAddr24(0, 0x4100), source, 1, 1);
  products.AddStatement(MakeAddr24(0, 0x4103), source, 2, 1);
  ShellBreakpoints breakpoints;
  cTextEdit edit(source, EditorEnvironment{.breakpoints = &breakpoints});
  edit.SetCaret(1, 0);
  const CommandHandlers &commands = edit.EditWidget()->OwnCommands();
  Open();
  TargetConnect();
  window.Core().ArrangeDebugWindows(RunState::Stopped);

  struct Case {
    const char *name;
    bool attached;
    uint16_t id;
    bool enabled;
    uint8_t byteAfter;
  };
  const Case cases[] = {
      {"before the main window exists", false, cmd::kBreakpoint20, false, kDebugHook},
      {"a restart 20 breakpoint", true, cmd::kBreakpoint20, true, kTrapRst20},
      {"toggled off again", true, cmd::kBreakpoint20, true, kDebugHook},
      {"a restart 18 breakpoint", true, cmd::kBreakpoint18, true, kTrapRst18},
      {"and off", true, cmd::kBreakpoint18, true, kDebugHook},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    breakpoints.window = nullptr;
    if (c.attached)
      breakpoints.window = [this] { return &window; };
    const CommandHandlers::Entry *entry = commands.Find(c.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->enabler(), c.enabled);
    if (c.enabled)
      entry->worker();
    EXPECT_EQ(cpu.Memory()[0x4103], c.byteAfter);
    EXPECT_EQ(cpu.Memory()[0x4100], kDebugHook) << "only the caret's statement";
    EXPECT_TRUE(window.PollTimerRunning()) << "polling again after the exchange";
  }
  EXPECT_TRUE(notifier.boxes.empty());
}

} // namespace
} // namespace tsw::testing
