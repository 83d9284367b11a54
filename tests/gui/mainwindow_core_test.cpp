#include "gui/tswmainw_core.h"

#include <functional>
#include <new>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/shellstate.h"
#include "platform/notify.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

const char *PaneName(DebugPane pane) {
  static const char *names[] = {"watch", "stdio", "assembly", "dump", "register", "stack"};
  return names[int(pane)];
}

// One log of everything the core asks of the world around it, in order.
class World : public DebugEngine, public CompilerControl, public DebugWindows, public PollTimer, public BusyState {
public:
  // Engine.
  bool LinkIsTcp() const override { return tcp; }
  void SetLinkRunState(int s) override { Log("link " + std::to_string(s)); }
  void PollTargetStatus() override {
    Log("poll");
    if (onPoll)
      onPoll();
  }
  void OpenSerialPort() override { Log("open port"); }
  void DisconnectTcp() override { Log("disconnect"); }
  void DiscardBreakpointMarkers() override { Log("discard breakpoints"); }
  void ResetProgram() override {
    Log("reset");
    if (onReset)
      onReset();
  }
  void StartProgram() override { Log("start"); }
  void StopProgram() override { Log("stop program"); }
  void StepOver() override {
    Log("step over");
    if (onStep)
      onStep();
  }
  void StepInto() override { Log("step into"); }
  void ToggleInterrupts() override { Log("toggle interrupts"); }
  void RefreshPanes() override { Log("refresh"); }
  // Compiler.
  void MarkCompileChanged() override { Log("compile changed"); }
  void ResetTargetCompileFlags() override {
    Log("reset target flags");
    if (onResetFlags)
      onResetFlags();
  }
  void CloseOutputFile() override { Log("close output"); }
  bool OfflineCompileActive() const override { return offline; }
  // Windows.
  bool PaneOpen(DebugPane p) const override { return open.count(p) != 0; }
  void ClosePane(DebugPane p) override {
    if (onClose)
      onClose();
    open.erase(p);
    records.insert(p);
    Log(std::string("close ") + PaneName(p));
  }
  bool PaneRecordOpen(DebugPane p) const override { return records.count(p) != 0; }
  void ReopenPane(DebugPane p) override {
    open.insert(p);
    Log(std::string("reopen ") + PaneName(p));
  }
  void SetMarkExecution(bool m) override { Log(m ? "mark on" : "mark off"); }
  void ShowPriority(int v) override { Log("priority " + std::to_string(v)); }
  void SetModeText(int i) override {
    mode = i;
    Log("mode " + std::to_string(i));
  }
  void ClearExecutionColours() override { Log("clear colours"); }
  void RestoreProgramFrame() override { Log("restore program frame"); }
  void EnterDebugMode() override { Log("debug mode"); }
  bool HasProgramFrame() const override { return programFrame; }
  void ForgetProgramFrame() override {
    programFrame = false;
    Log("forget program frame");
  }
  // Timer.
  void Start() override {
    timer = true;
    Log("timer on");
  }
  void Stop() override {
    timer = false;
    Log("timer off");
  }
  bool Running() const override { return timer; }
  // Please-wait.
  bool Busy() const override { return busy; }
  void Close() override {
    busy = false;
    Log("close dialog");
  }

  void Log(std::string s) { log.push_back(std::move(s)); }
  std::vector<std::string> Take() {
    std::vector<std::string> l;
    l.swap(log);
    return l;
  }

  bool tcp = false, offline = false, timer = false, busy = false, programFrame = false;
  int mode = -1;
  std::set<DebugPane> open, records;
  std::function<void()> onPoll, onResetFlags, onClose, onStep, onReset;
  std::vector<std::string> log;
};

class MainWindowCoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetShellState();
    ResetErrorModule();
    plat::SetNotifier(&notifier);
  }
  void TearDown() override {
    plat::SetNotifier(nullptr);
    ResetShellState();
    ResetErrorModule();
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    // The first line: internal errors add where they were raised.
    for (const auto &box : notifier.boxes)
      texts.push_back(box.text.substr(0, box.text.find('\n')));
    return texts;
  }

  testing::InstalledTexts texts{
      {{5017, "Internal error."}, {5016, "Cancelled."}, {4000, "Bad thing."}, {4001, "Worse."}}};
  plat::RecordingNotifier notifier;
  World world;
  MainWindowCore core{world, world, world, world, world};
};

TEST_F(MainWindowCoreTest, SetRunState) {
  struct Case {
    RunState state;
    bool timer;
    int mode;
    uint32_t activity; // 99: left as it was
    const char *link;
  };
  const Case cases[] = {
      {RunState::NotDebugging, false, 0, 99, "link 0"}, {RunState::NotDebugging, true, 0, 99, "link 0"},
      {RunState::Stopped, false, 1, 7, "link 2"},       {RunState::Stopped, true, 1, 7, "link 2"},
      {RunState::Running, true, 2, 6, "link 3"},        {RunState::Running, false, 3, 7, "link 3"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.state) * 10 + c.timer);
    world.timer = c.timer;
    CurrentActivity = 99;
    core.SetRunState(c.state);
    EXPECT_EQ(core.State(), c.state);
    EXPECT_EQ(world.mode, c.mode);
    EXPECT_EQ(CurrentActivity, c.activity);
    std::vector<std::string> log = world.Take();
    EXPECT_EQ(log.back(), c.link);
    // Only leaving debugging clears the message window's execution mark.
    EXPECT_EQ(std::count(log.begin(), log.end(), "mark off"), c.state == RunState::NotDebugging ? 1 : 0);
  }
}

TEST_F(MainWindowCoreTest, RunGuarded) {
  struct Case {
    const char *name;
    std::function<void()> worker;
    bool debugging;
    std::vector<std::string> boxes;
    bool resetFlags, debuggingAfter;
  };
  const Case cases[] = {
      {"success", [] {}, true, {}, false, true},
      {"user cancel ends quietly", [] { throw xUserCancel("t", 1); }, true, {}, false, true},
      {"xErr is reported and ends debugging", [] { throw xErr(4000, "t", 1); }, true, {"Bad thing."}, true, false},
      {"xErr while not debugging", [] { throw xErr(4000, "t", 1); }, false, {"Bad thing."}, true, false},
      // Not one of ours: reported, no longer swallowed.
      {"bad_alloc is an internal error", [] { throw std::bad_alloc(); }, true, {"Internal error."}, true, false},
      {"anything else too", [] { throw 42; }, true, {"Internal error."}, true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    notifier.boxes.clear();
    if (c.debugging)
      core.ArrangeDebugWindows(RunState::Stopped);
    else
      core.ArrangeDebugWindows(RunState::NotDebugging);
    world.Take();
    EXPECT_NO_THROW(core.RunGuarded(c.worker));
    EXPECT_EQ(Boxes(), c.boxes);
    std::vector<std::string> log = world.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "reset target flags"), c.resetFlags ? 1 : 0);
    EXPECT_EQ(core.Debugging(), c.debuggingAfter);
  }
}

TEST_F(MainWindowCoreTest, RunGuardedClosesOutputFileOnCancel) {
  core.RunGuarded([] { throw xUserCancel("t", 1); });
  EXPECT_EQ(world.Take(), std::vector<std::string>{"close output"});
}

TEST_F(MainWindowCoreTest, AFailureWhileHandlingIsReportedWithAnInternalError) {
  world.onResetFlags = [] { throw xErr(4001, "t", 2); };
  core.RunGuarded([] { throw xErr(4000, "t", 1); });
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Worse.", "Internal error."}));
}

TEST_F(MainWindowCoreTest, RunGuardedClosesAPleaseWaitDialogItsCommandLeftOpen) {
  struct Case {
    const char *name;
    bool busyBefore;
    std::function<void()> worker;
    bool busyAfter;
  };
  World &w = world;
  const Case cases[] = {
      {"cancel that skipped the close", false, [&w] { w.busy = true, throw xUserCancel("t", 1); }, false},
      {"success that forgot the close", false, [&w] { w.busy = true; }, false},
      {"error", false, [&w] { w.busy = true, throw xErr(4000, "t", 1); }, false},
      // A nested command keeps the outer operation's dialog.
      {"dialog of an outer operation", true, [] {}, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    world.busy = c.busyBefore;
    core.RunGuarded(c.worker);
    EXPECT_EQ(world.busy, c.busyAfter);
  }
}

TEST_F(MainWindowCoreTest, RunReportedShowsTheBoxButLeavesDebugging) {
  core.ArrangeDebugWindows(RunState::Stopped);
  MainWindowCore::RunReported([] { throw xErr(4000, "t", 1); });
  MainWindowCore::RunReported([] { throw std::bad_alloc(); });
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Bad thing.", "Internal error."}));
  EXPECT_TRUE(core.Debugging());
}

TEST_F(MainWindowCoreTest, ANestedPollTickDoesNothing) {
  core.ArrangeDebugWindows(RunState::Running);
  int polls = 0;
  world.onPoll = [&] {
    ++polls;
    core.PollTick(); // the poll pumps and the next tick arrives
  };
  core.PollTick();
  EXPECT_EQ(polls, 1);
  EXPECT_FALSE(Shell().pollReentry);
  core.PollTick();
  EXPECT_EQ(polls, 2);
}

TEST_F(MainWindowCoreTest, PollTickOnlyPollsWhileDebuggingAndTheTimerRuns) {
  core.PollTick();
  core.SetRunState(RunState::Stopped);
  world.Take();
  core.PollTick(); // no timer
  EXPECT_TRUE(world.Take().empty());
  world.timer = true;
  core.PollTick();
  // The state changed since the last tick: it is applied first.
  EXPECT_EQ(world.Take(), (std::vector<std::string>{"mode 1", "link 2", "poll"}));
  EXPECT_EQ(Shell().lastPolledRunState, 1);
}

TEST_F(MainWindowCoreTest, AFailingPollEndsDebuggingAndClearsTheGuard) {
  struct Case {
    const char *name;
    std::function<void()> poll;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"link failure", [] { throw xTCErr(4000, "compcore\\tcs", 1); }, {"Bad thing."}},
      {"foreign exception", [] { throw std::bad_alloc(); }, {"Internal error."}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    notifier.boxes.clear();
    core.ArrangeDebugWindows(RunState::Running);
    world.Take();
    world.onPoll = c.poll;
    EXPECT_NO_THROW(core.PollTick());
    EXPECT_FALSE(Shell().pollReentry);
    EXPECT_FALSE(core.Debugging());
    EXPECT_FALSE(world.timer);
    EXPECT_EQ(Boxes(), c.boxes);
  }
}

TEST_F(MainWindowCoreTest, AFailureWhileEndingAfterAPollFailureIsReportedTwice) {
  world.open.insert(DebugPane::Watch);
  core.ArrangeDebugWindows(RunState::Running);
  world.onPoll = [] { throw xTCErr(4000, "compcore\\tcs", 1); };
  // Closing the watch pane fails on the way out of debugging.
  world.onClose = [] { throw xErr(4001, "t", 2); };
  EXPECT_NO_THROW(core.PollTick());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Bad thing.", "Worse.", "Internal error."}));
  EXPECT_FALSE(Shell().pollReentry);
}

TEST_F(MainWindowCoreTest, ArrangeDebugWindowsClosesAndReopensPanesInOrder) {
  world.open = {DebugPane::Stack, DebugPane::Watch, DebugPane::Stdio, DebugPane::Register};
  world.records = {DebugPane::Dump, DebugPane::Assembly};
  world.programFrame = true;
  core.ArrangeDebugWindows(RunState::Stopped);
  EXPECT_EQ(world.Take(),
            (std::vector<std::string>{"timer on", "mode 0", "mark off", "link 0", // the timer re-applies the old state
                                      "close watch", "close stdio", "close register", "close stack", "debug mode",
                                      // stdio is not reopened
                                      "reopen watch", "reopen assembly", "reopen dump", "reopen register",
                                      "reopen stack", "mode 1", "link 2"}));
}

TEST_F(MainWindowCoreTest, LeavingDebuggingRestoresTheProgramFrame) {
  world.programFrame = true;
  world.tcp = true;
  core.ArrangeDebugWindows(RunState::Running);
  world.open = {DebugPane::Assembly};
  world.Take();
  core.ArrangeDebugWindows(RunState::NotDebugging);
  EXPECT_EQ(world.Take(),
            (std::vector<std::string>{"mark off", "priority -1", "timer off", "mode 3", "link 3", "disconnect",
                                      "mode 3", "link 3", "close assembly", "discard breakpoints", "clear colours",
                                      "restore program frame", "forget program frame", "clear colours", "mode 0",
                                      "mark off", "link 0"}));
  EXPECT_TRUE(world.records.count(DebugPane::Assembly));
  // A second end of debugging has no program to restore.
  core.ArrangeDebugWindows(RunState::NotDebugging);
  std::vector<std::string> log = world.Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "discard breakpoints"), 0);
}

TEST_F(MainWindowCoreTest, AnOfflineCompileKeepsTheTcpConnection) {
  world.tcp = true;
  world.offline = true;
  core.ArrangeDebugWindows(RunState::NotDebugging);
  std::vector<std::string> log = world.Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "disconnect"), 0);
}

// What a run-control command asks of the board and the poll timer, apart
// from the run-state bookkeeping around it.
std::vector<std::string> BoardTalk(const std::vector<std::string> &log) {
  static const std::set<std::string> kept = {"timer on", "timer off", "reset", "start", "stop program", "step over",
                                             "step into", "toggle interrupts", "refresh", "poll", "compile"};
  std::vector<std::string> talk;
  for (const std::string &entry : log)
    if (kept.count(entry))
      talk.push_back(entry);
  return talk;
}

TEST_F(MainWindowCoreTest, RunControlCommandsPauseThePollTimerAroundTheBoard) {
  enum class Compile { None, LeavesStopped, Fails };
  struct Case {
    const char *name;
    RunState before;
    bool timer, tcp;
    Compile compile;
    void (MainWindowCore::*command)();
    std::vector<std::string> talk;
    RunState after;
  };
  using C = MainWindowCore;
  const RunState N = RunState::NotDebugging, S = RunState::Stopped, R = RunState::Running;
  const Case cases[] = {
      {"reset refreshes the panes", S, true, false, Compile::None, &C::ResetCommand,
       {"timer off", "reset", "refresh", "timer on"}, S},
      {"run while stopped starts polling", S, false, false, Compile::None, &C::RunCommand, {"timer on", "start"}, S},
      {"run while running does nothing", R, true, false, Compile::None, &C::RunCommand, {}, R},
      {"run without the compile worker", N, false, false, Compile::None, &C::RunCommand, {}, N},
      {"run compiles and loads first", N, false, false, Compile::LeavesStopped, &C::RunCommand,
       {"compile", "timer on", "start"}, S},
      {"run on TCP/IP asks the board once", N, false, true, Compile::LeavesStopped, &C::RunCommand,
       {"compile", "timer on", "start", "poll"}, S},
      {"run after a failed compile", N, false, false, Compile::Fails, &C::RunCommand, {"compile"}, N},
      {"run without polling", S, true, false, Compile::None, &C::RunWithoutPollingCommand, {"timer off", "start"}, S},
      {"stop", R, true, false, Compile::None, &C::StopCommand, {"timer off", "stop program", "timer on"}, R},
      {"step over", S, true, false, Compile::None, &C::StepOverCommand, {"timer off", "step over", "timer on"}, S},
      {"step into", S, true, false, Compile::None, &C::StepIntoCommand, {"timer off", "step into", "timer on"}, S},
      {"interrupts", S, true, false, Compile::None, &C::ToggleInterruptsCommand,
       {"timer off", "toggle interrupts", "timer on"}, S},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    core.ArrangeDebugWindows(c.before);
    if (c.timer)
      core.StartPollTimer();
    else
      core.StopPollTimer();
    world.tcp = c.tcp;
    core.compileProgram = nullptr;
    if (c.compile != Compile::None)
      core.compileProgram = [this, &c] {
        world.Log("compile");
        if (c.compile == Compile::LeavesStopped)
          core.ArrangeDebugWindows(RunState::Stopped);
      };
    world.Take();
    (core.*c.command)();
    EXPECT_EQ(BoardTalk(world.Take()), c.talk);
    // The engine's own stop or start reports come through the interface;
    // the commands leave the state as the engine left it.
    EXPECT_EQ(core.State(), c.after);
  }
}

// The engine pumps the interface while it waits for the board; a poll tick
// let through there would start a second conversation inside the first.
TEST_F(MainWindowCoreTest, NoPollTickGetsInsideABoardConversation) {
  struct Case {
    const char *name;
    void (MainWindowCore::*command)();
    std::function<void()> *during;
  };
  const Case cases[] = {{"reset", &MainWindowCore::ResetCommand, &world.onReset},
                        {"step over", &MainWindowCore::StepOverCommand, &world.onStep}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    core.ArrangeDebugWindows(RunState::Stopped);
    *c.during = [this] { core.PollTick(); };
    world.Take();
    (core.*c.command)();
    std::vector<std::string> log = world.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "poll"), 0);
    *c.during = nullptr;
  }
}

TEST_F(MainWindowCoreTest, AFailedStepEndsDebuggingWithThePollTimerStopped) {
  core.ArrangeDebugWindows(RunState::Stopped);
  world.onStep = [] { throw xErr(4000, "t", 1); };
  world.Take();
  core.RunGuarded([this] { core.StepOverCommand(); });
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Bad thing."});
  EXPECT_FALSE(core.Debugging());
  EXPECT_FALSE(world.timer);
}

TEST(MainWindowEnablers, OneRowPerRule) {
  using S = RunState;
  struct Case {
    const char *name;
    uint16_t id;
    EnableInputs in;
    bool enabled;
  };
  const EnableInputs idle{};
  auto with = [](std::function<void(EnableInputs &)> f) {
    EnableInputs in;
    f(in);
    return in;
  };
  const Case cases[] = {
      {"leave debugging needs the program frame", cmd::kLeaveDebugging, idle, false},
      {"leave debugging", cmd::kLeaveDebugging, with([](auto &i) { i.programFrame = true; }), true},
      {"next message needs the message window", cmd::kNextMessage, idle, false},
      {"previous message", cmd::kPreviousMessage, with([](auto &i) { i.messageWindowOpen = true; }), true},
      {"compile needs an editor", cmd::kCompile, idle, false},
      {"compile", cmd::kCompile, with([](auto &i) { i.editorOpen = true; }), true},
      {"compile: target unreachable", cmd::kCompile, with([](auto &i) { i.editorOpen = i.targetUnreachable = true; }),
       false},
      {"compile and load over TCP/IP", cmd::kCompileLoad,
       with([](auto &i) { i.editorOpen = true, i.linkSerial = false; }), false},
      {"compile and load", cmd::kCompileLoad, with([](auto &i) { i.editorOpen = true; }), true},
      {"rti file: unreachable", cmd::kSaveRti, with([](auto &i) { i.targetUnreachable = true; }), false},
      {"rti file", cmd::kSaveRti, idle, true},
      {"load step over TCP/IP", cmd::kLoadStep2, with([](auto &i) { i.linkSerial = false; }), false},
      {"load step", cmd::kLoadStep, idle, true},
      {"run", cmd::kRun, with([](auto &i) { i.editorOpen = true; }), true},
      {"run: loaded without debugger", cmd::kRun, with([](auto &i) { i.editorOpen = true, i.downloadState = 2; }),
       false},
      {"run: option A off", cmd::kRun, with([](auto &i) { i.editorOpen = true, i.optionA = false; }), false},
      {"checked run always", cmd::kRunChecked, idle, true},
      {"run without polling while stopped", cmd::kRunNoPoll,
       with([](auto &i) { i.editorOpen = true, i.runState = S::Stopped; }), true},
      {"run without polling while running", cmd::kRunNoPoll,
       with([](auto &i) { i.editorOpen = true, i.runState = S::Running; }), false},
      {"step while stopped", cmd::kStepOver, with([](auto &i) { i.runState = S::Stopped; }), true},
      {"step while running", cmd::kStepInto, with([](auto &i) { i.runState = S::Running; }), false},
      {"stop while running", cmd::kStop, with([](auto &i) { i.runState = S::Running; }), true},
      {"stop while stopped", cmd::kStop, with([](auto &i) { i.runState = S::Stopped; }), false},
      {"polling toggle while debugging", cmd::kTogglePolling, with([](auto &i) { i.runState = S::Running; }), true},
      {"register window not debugging", cmd::kToggleRegisters, idle, false},
      {"dump dialog after a changed compile", cmd::kDumpDialog, with([](auto &i) { i.compileChanged = true; }), false},
      {"dump dialog after a run-only load", cmd::kDasmDialog,
       with([](auto &i) { i.compileChanged = true, i.downloadState = 2; }), true},
      {"cascade without children", cmd::kCascade, idle, false},
      {"arrange icons", cmd::kArrangeIcons, with([](auto &i) { i.childWindows = true; }), true},
      {"options always", cmd::kTargetOptions, idle, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MainWindowEnabled(c.id, c.in), c.enabled);
  }
  // Not the main window's.
  EXPECT_FALSE(MainWindowEnabled(cmd::kCut, idle));
  EXPECT_FALSE(MainWindowEnabled(cmd::kAbout, idle));
}

} // namespace
} // namespace tsw
