#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The main window's debug state and command discipline, apart from its
// window: the run state, the poll tick, entering and leaving debugging, the
// guarded call and the command enablers. What lies outside (the board link
// and debugger engine, the compile driver, the panes and frames, the poll
// timer) comes in through small interfaces.
namespace tsw {

class xErr;

inline constexpr const char *kMainWindowModule = "gui\\tswmainw";

enum class RunState : uint8_t { NotDebugging = 0, Stopped = 1, Running = 2 };

// The six debugger panes that debugging closes and reopens.
enum class DebugPane : uint8_t { Watch, Stdio, Assembly, Dump, Register, Stack };
inline constexpr std::array<DebugPane, 6> kClosedOnArrange = {
    DebugPane::Watch, DebugPane::Stdio, DebugPane::Assembly, DebugPane::Dump, DebugPane::Register, DebugPane::Stack};
// Stdio is not reopened with the others.
inline constexpr std::array<DebugPane, 5> kReopenedOnArrange = {DebugPane::Watch, DebugPane::Assembly, DebugPane::Dump,
                                                                DebugPane::Register, DebugPane::Stack};

class DebugEngine {
public:
  virtual ~DebugEngine() = default;
  virtual bool LinkIsTcp() const = 0;
  // 0 not debugging, 2 stopped, 3 running.
  virtual void SetLinkRunState(int state) = 0;
  virtual void PollTargetStatus() = 0;
  virtual void OpenSerialPort() = 0;
  virtual void DisconnectTcp() = 0;
  virtual void DiscardBreakpointMarkers() = 0;
  // Run control: each one a conversation with the board.
  virtual void ResetProgram() = 0;
  virtual void StartProgram() = 0;
  virtual void StopProgram() = 0;
  virtual void StepOver() = 0;
  virtual void StepInto() = 0;
  virtual void ToggleInterrupts() = 0;
  // The open debug panes show the program's state again.
  virtual void RefreshPanes() = 0;
};

class CompilerControl {
public:
  virtual ~CompilerControl() = default;
  // The next run must compile and load again.
  virtual void MarkCompileChanged() = 0;
  virtual void ResetTargetCompileFlags() = 0;
  virtual void CloseOutputFile() = 0;
  virtual bool OfflineCompileActive() const = 0;
};

class DebugWindows {
public:
  virtual ~DebugWindows() = default;
  virtual bool PaneOpen(DebugPane pane) const = 0;
  // Closes the pane's frame; its record keeps it marked as open.
  virtual void ClosePane(DebugPane pane) = 0;
  virtual bool PaneRecordOpen(DebugPane pane) const = 0;
  virtual void ReopenPane(DebugPane pane) = 0;
  virtual void SetMarkExecution(bool mark) = 0;
  virtual void ShowPriority(int value) = 0;
  virtual void SetModeText(int index) = 0;
  virtual void ClearExecutionColours() = 0;
  // The program's editor back to plain editing in its own placement, on
  // top and focused.
  virtual void RestoreProgramFrame() = 0;
  // The program's editor read-only for debugging, on top and focused.
  virtual void EnterDebugMode() = 0;
  virtual bool HasProgramFrame() const = 0;
  virtual void ForgetProgramFrame() = 0;
};

class PollTimer {
public:
  virtual ~PollTimer() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
};

// Whether the please-wait dialog is up (the guarded call closes one its
// command left open).
class BusyState {
public:
  virtual ~BusyState() = default;
  virtual bool Busy() const = 0;
  virtual void Close() = 0;
};

class MainWindowCore {
public:
  MainWindowCore(DebugEngine &engine, CompilerControl &compiler, DebugWindows &windows, PollTimer &timer,
                 BusyState &busy)
      : engine_(engine), compiler_(compiler), windows_(windows), timer_(timer), busy_(busy) {}

  RunState State() const { return runState_; }
  bool Debugging() const { return runState_ != RunState::NotDebugging; }

  void SetRunState(RunState state);
  void ArrangeDebugWindows(RunState state);
  void StartPollTimer();
  void StopPollTimer();
  // One tick of the 70 ms poll timer.
  void PollTick();

  // The run-control commands. The poll timer is stopped while the board is
  // asked, so that no poll cuts into the conversation from inside one of
  // its waits (reset and the interrupt toggle wait too).
  void ResetCommand();
  // Stopped in the debugger: runs on with polling. Not debugging: compiles
  // and loads first, through `compileProgram`, and runs when that left the
  // program stopped at its start.
  void RunCommand();
  void RunWithoutPollingCommand();
  void StopCommand();
  void StepOverCommand();
  void StepIntoCommand();
  void ToggleInterruptsCommand();
  // The compile-and-load command's worker; none while it is not there.
  std::function<void()> compileProgram;

  // Runs a command's worker; nothing it raises goes further.
  void RunGuarded(const std::function<void()> &worker);
  // Runs a worker whose failures are only reported.
  static void RunReported(const std::function<void()> &worker);
  // A failed conversation with the board: the target's compile flags reset,
  // the please-wait dialog closed, the error reported and debugging ended.
  void ReportAndEndDebugging(const xErr &error);

private:
  // Runs `talk` with the poll timer stopped, and starts it again after.
  void WithPollingPaused(void (DebugEngine::*talk)());

  DebugEngine &engine_;
  CompilerControl &compiler_;
  DebugWindows &windows_;
  PollTimer &timer_;
  BusyState &busy_;
  RunState runState_ = RunState::NotDebugging;
};

// What the main window's enablers look at.
struct EnableInputs {
  RunState runState = RunState::NotDebugging;
  bool editorOpen = false;
  bool linkSerial = true;
  bool targetUnreachable = false;
  uint32_t downloadState = 0;
  bool optionA = true;
  bool compileChanged = false;
  bool messageWindowOpen = false;
  bool programFrame = false;
  bool childWindows = false;
};

// Whether a command of the main window is enabled; nullopt for an id the
// main window does not own.
std::optional<bool> MainWindowEnabled(uint16_t id, const EnableInputs &in);

} // namespace tsw
