#include "gui/tswmainw_core.h"

#include <exception>

#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/shellstate.h"

namespace tsw {
namespace {

// Activity codes the link-error report turns into its first sentence.
constexpr uint32_t kActivityIdle = 0;
constexpr uint32_t kActivityRunning = 6;
constexpr uint32_t kActivityStopped = 7;

// Mode texts of the status bar.
constexpr int kModeIdle = 0, kModeStopped = 1, kModePolled = 2, kModeUnpolled = 3;
// Run states as the link knows them.
constexpr int kLinkIdle = 0, kLinkStopped = 2, kLinkRunning = 3;

// Reports a failure that happened while handling another, followed by the
// internal error that says the handling itself went wrong.
void ReportSecondFailure(const xErr &second, uint32_t line) {
  second.Report();
  xInternal(kMainWindowModule, line).Report();
}

} // namespace

void MainWindowCore::SetRunState(RunState state) {
  runState_ = state;
  const bool polled = timer_.Running();
  switch (state) {
  case RunState::NotDebugging:
    windows_.SetModeText(kModeIdle);
    windows_.SetMarkExecution(false);
    engine_.SetLinkRunState(kLinkIdle);
    break;
  case RunState::Stopped:
    windows_.SetModeText(kModeStopped);
    CurrentActivity = kActivityStopped;
    engine_.SetLinkRunState(kLinkStopped);
    break;
  case RunState::Running:
    windows_.SetModeText(polled ? kModePolled : kModeUnpolled);
    CurrentActivity = polled ? kActivityRunning : kActivityStopped;
    engine_.SetLinkRunState(kLinkRunning);
    break;
  }
}

void MainWindowCore::StartPollTimer() {
  if (!timer_.Running())
    timer_.Start();
  SetRunState(runState_);
}

void MainWindowCore::StopPollTimer() {
  if (timer_.Running())
    timer_.Stop();
  SetRunState(runState_);
}

void MainWindowCore::ArrangeDebugWindows(RunState state) {
  const bool wasDebugging = Debugging();
  if (state == RunState::NotDebugging) {
    windows_.SetMarkExecution(false);
    windows_.ShowPriority(-1);
    StopPollTimer();
    if (engine_.LinkIsTcp() && !compiler_.OfflineCompileActive())
      engine_.DisconnectTcp();
  }
  if (state == RunState::Stopped) {
    StartPollTimer();
  } else if (state == RunState::Running) {
    engine_.OpenSerialPort();
    StartPollTimer();
  } else {
    StopPollTimer();
  }
  for (DebugPane pane : kClosedOnArrange)
    if (windows_.PaneOpen(pane))
      windows_.ClosePane(pane);
  if (state == RunState::NotDebugging && wasDebugging) {
    engine_.DiscardBreakpointMarkers();
    windows_.ClearExecutionColours();
    if (windows_.HasProgramFrame())
      windows_.RestoreProgramFrame();
    windows_.ForgetProgramFrame();
  }
  if (state != RunState::NotDebugging && windows_.HasProgramFrame())
    windows_.EnterDebugMode();
  runState_ = state;
  if (state == RunState::NotDebugging)
    windows_.ClearExecutionColours();
  if (Debugging())
    for (DebugPane pane : kReopenedOnArrange)
      if (windows_.PaneRecordOpen(pane))
        windows_.ReopenPane(pane);
  SetRunState(runState_);
}

void MainWindowCore::PollTick() {
  ShellState &shell = Shell();
  if (shell.pollReentry || !timer_.Running())
    return;
  struct Reentry {
    bool &flag;
    explicit Reentry(bool &f) : flag(f) { flag = true; }
    ~Reentry() { flag = false; }
  } reentry(shell.pollReentry);
  try {
    if (int(runState_) != shell.lastPolledRunState)
      SetRunState(runState_);
    if (Debugging())
      engine_.PollTargetStatus();
    shell.lastPolledRunState = int(runState_);
  } catch (const xErr &error) {
    try {
      compiler_.MarkCompileChanged();
      error.Report();
      ArrangeDebugWindows(RunState::NotDebugging);
    } catch (const xErr &second) {
      ReportSecondFailure(second, __LINE__);
    }
  } catch (...) {
    ReportAndEndDebugging(xInternal(kMainWindowModule, __LINE__));
  }
}

void MainWindowCore::WithPollingPaused(void (DebugEngine::*talk)()) {
  StopPollTimer();
  (engine_.*talk)();
  StartPollTimer();
}

void MainWindowCore::ResetCommand() {
  StopPollTimer();
  engine_.ResetProgram();
  engine_.RefreshPanes();
  StartPollTimer();
}

void MainWindowCore::RunCommand() {
  if (!Debugging()) {
    if (!compileProgram)
      return;
    compileProgram();
    if (runState_ != RunState::Stopped)
      return;
    StartPollTimer();
    engine_.StartProgram();
    // A board on TCP/IP tells of the start only when asked.
    if (engine_.LinkIsTcp())
      engine_.PollTargetStatus();
    return;
  }
  if (runState_ != RunState::Stopped)
    return;
  StartPollTimer();
  engine_.StartProgram();
}

void MainWindowCore::RunWithoutPollingCommand() {
  StopPollTimer();
  engine_.StartProgram();
}

void MainWindowCore::StopCommand() { WithPollingPaused(&DebugEngine::StopProgram); }
void MainWindowCore::StepOverCommand() { WithPollingPaused(&DebugEngine::StepOver); }
void MainWindowCore::StepIntoCommand() { WithPollingPaused(&DebugEngine::StepInto); }
void MainWindowCore::ToggleInterruptsCommand() { WithPollingPaused(&DebugEngine::ToggleInterrupts); }

void MainWindowCore::ReportAndEndDebugging(const xErr &error) {
  try {
    compiler_.ResetTargetCompileFlags();
    busy_.Close();
    error.Report();
    if (Debugging())
      ArrangeDebugWindows(RunState::NotDebugging);
  } catch (const xErr &second) {
    ReportSecondFailure(second, __LINE__);
  } catch (...) {
    xInternal(kMainWindowModule, __LINE__).Report();
  }
}

void MainWindowCore::RunGuarded(const std::function<void()> &worker) {
  // A command that opened the please-wait dialog and did not close it would
  // leave the main window disabled for good.
  const bool busyBefore = busy_.Busy();
  try {
    worker();
  } catch (const xUserCancel &) {
    try {
      compiler_.CloseOutputFile();
    } catch (const xErr &second) {
      ReportSecondFailure(second, __LINE__);
    }
  } catch (const xErr &error) {
    ReportAndEndDebugging(error);
  } catch (...) {
    // Not one of ours (out of memory, a library's error): still a failure.
    ReportAndEndDebugging(xInternal(kMainWindowModule, __LINE__));
  }
  if (!busyBefore && busy_.Busy())
    busy_.Close();
}

void MainWindowCore::RunReported(const std::function<void()> &worker) {
  try {
    worker();
  } catch (const xUserCancel &) {
  } catch (const xErr &error) {
    error.Report();
  } catch (...) {
    xInternal(kMainWindowModule, __LINE__).Report();
  }
}

std::optional<bool> MainWindowEnabled(uint16_t id, const EnableInputs &in) {
  const bool stopped = in.runState == RunState::Stopped;
  const bool running = in.runState == RunState::Running;
  const bool debugging = in.runState != RunState::NotDebugging;
  const bool dumpReadable = !in.compileChanged || in.downloadState == 2;
  const CommandSpec *spec = FindCommand(id);
  if (!spec || spec->owner != CommandOwner::MainWindow)
    return std::nullopt;
  switch (id) {
  case cmd::kLeaveDebugging: return in.programFrame;
  case cmd::kNextMessage:
  case cmd::kPreviousMessage: return in.messageWindowOpen;
  case cmd::kCompile: return in.editorOpen && !in.targetUnreachable;
  case cmd::kCompileLoad: return in.editorOpen && in.linkSerial;
  case cmd::kSaveRti: return !in.targetUnreachable;
  case cmd::kNoAction: return in.editorOpen;
  case cmd::kLoadStep:
  case cmd::kLoadStep2: return in.linkSerial;
  case cmd::kRun: return in.editorOpen && in.downloadState == 0 && in.optionA;
  case cmd::kRunNoPoll: return in.editorOpen && stopped;
  case cmd::kStepOver:
  case cmd::kStepInto:
  case cmd::kReset:
  case cmd::kToggleInterrupts: return stopped;
  case cmd::kStop: return running;
  case cmd::kTogglePolling:
  case cmd::kShowWatch:
  case cmd::kShowStdio:
  case cmd::kToggleAssembly:
  case cmd::kToggleRegisters:
  case cmd::kToggleStack:
  case cmd::kClearWatches:
  case cmd::kUpdateWatches:
  case cmd::kDasmAtCaret: return debugging;
  case cmd::kDasmDialog:
  case cmd::kDumpDialog: return dumpReadable;
  case cmd::kCascade:
  case cmd::kTileRows:
  case cmd::kTileColumns:
  case cmd::kArrangeIcons: return in.childWindows;
  default: return true;
  }
}

} // namespace tsw
