#include "gui/buildcmds.h"

#include "foundation/msgcatalog.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"
#include "platform/paths.h"

namespace tsw {
namespace {

// What the error report says the program was doing.
constexpr uint32_t kActivityIdle = 0;
constexpr uint32_t kActivityLoadingBios = 1;
constexpr uint32_t kActivityLoaderRunning = 2;
constexpr uint32_t kActivityCompilingBios = 3;
constexpr uint32_t kActivityCompiling = 5;

constexpr uint32_t kBiosLoadedNoticeMs = 1500;
const std::string kBiosFolder = "BIOS/";

// Runs `undo` on every way out of a scope.
template <class F> class OnExit {
public:
  explicit OnExit(F undo) : undo_(std::move(undo)) {}
  ~OnExit() { undo_(); }
  OnExit(const OnExit &) = delete;
  OnExit &operator=(const OnExit &) = delete;

private:
  F undo_;
};

// The settings name files with backslashes and without regard to case; the
// file meant is the one on disk of that name.
std::string OnDisk(std::string path) {
  for (char &c : path)
    if (c == '\\')
      c = '/';
  return plat::ResolvePath(path).value_or(path);
}

} // namespace

std::string Upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z')
      c = char(c - 'a' + 'A');
  return text;
}

std::string BiosSourcePath(const BuildPaths &paths, bool commandForm) {
  if (paths.userBiosEnabled && (commandForm || !paths.defaultUserBios.empty()))
    return OnDisk(Upper(paths.defaultUserBios));
  return OnDisk(plat::JoinPath(paths.programDirectory, kBiosFolder + Upper(paths.defaultBios)));
}

bool BuildCommands::Compile(CompileMode mode) {
  const bool bios = state_.biosCompileActive;
  if (state_.downloadState != 1)
    state_.downloadState = 0;
  target_.ClearCompileProducts();
  core_.StopPollTimer();
  if (!bios) {
    CurrentActivity = kActivityCompiling;
    target_.SetBiosWanted(true);
    if (OnBoard())
      target_.SyncKernelForCompile();
    if (core_.Debugging())
      core_.ArrangeDebugWindows(RunState::NotDebugging);
  } else {
    CurrentActivity = kActivityCompilingBios;
  }
  if (mode == CompileMode::Load)
    target_.ResetLoadBounds(bios);
  if (mode == CompileMode::Load && !bios && state_.targetUnreachable) {
    windows_.ShowBox(kMsgTargetUnreachable);
    return false;
  }
  if (core_.Debugging())
    core_.ArrangeDebugWindows(RunState::NotDebugging);
  // A compile without a board leaves the port alone.
  if (OnBoard())
    target_.OpenSerialPort();

  if (!bios) {
    if (std::optional<std::string> path = windows_.TakeProgramFrame())
      programPath_ = *path;
  } else {
    windows_.TakeBiosFrame(biosPath_);
    programPath_ = biosPath_;
  }
  target_.SetCompilePath(programPath_);
  if (!windows_.PleaseWaitOpen())
    windows_.OpenPleaseWait(true);
  windows_.SetPleaseWaitText(FormatMessage<kMsgCompiling>(programPath_));

  bool quietFailure = false;
  std::optional<uint16_t> status = RunCompileDriver(mode, quietFailure);
  if (!status)
    return false;
  return FinishCompile(mode, *status, quietFailure);
}

std::optional<uint16_t> BuildCommands::RunCompileDriver(CompileMode mode, bool &quietFailure) {
  try {
    uint16_t status = target_.CompileFile(uint16_t(mode));
    CurrentActivity = kActivityIdle;
    return status;
  } catch (const xUserCancel &) {
    target_.CloseOutputFile();
    windows_.ClosePleaseWait();
    target_.SetBiosWanted(false);
    if (state_.biosCompileActive)
      target_.SetCompileChanged(true);
    EndOfflineCompile();
    if (target_.LinkIsTcp())
      target_.DisconnectTcp();
    return std::nullopt;
  } catch (const xErr &error) {
    // Reported at once; the compile then ends as a failed one, and opens
    // no empty message window for an error that recorded nothing.
    quietFailure = !target_.DiagnosticsRecorded();
    windows_.ClosePleaseWait();
    windows_.Report(error);
    target_.ResetTargetCompileFlags();
    return kCompileFailedStatus;
  }
}

bool BuildCommands::FinishCompile(CompileMode mode, uint16_t status, bool quietFailure) {
  const bool bios = state_.biosCompileActive;
  target_.SetOptionBFlag(true);
  target_.SetBiosWanted(false);
  windows_.ClosePleaseWait();
  const bool toBoard = mode == CompileMode::Load && !bios && !state_.offlineCompile;

  if (status & kCompileFailedStatus) {
    if (bios)
      target_.SetCompileChanged(true);
    const bool recorded = target_.RecordedErrorsOrWarnings();
    if (recorded && !quietFailure)
      windows_.ShowMessageWindow();
    if (recorded && windows_.MessageWindowOpen())
      windows_.FocusMessageWindow();
    EndOfflineCompile();
    if (target_.LinkIsTcp())
      target_.DisconnectTcp();
    return false;
  }

  if (state_.downloadState == 1 && !bios && !state_.offlineCompile) {
    if (mode == CompileMode::Load)
      windows_.ShowBox(Paths().biosFileType != 0 ? kMsgLoadedImageNoDebugger : kMsgLoadedNoDebugger);
    state_.downloadState = 2;
  } else if ((mode == CompileMode::NoDebugger || state_.offlineCompile) && Paths().biosFileType != 0) {
    windows_.ShowBox(kMsgCompiledNoBoard);
  }
  const bool debugNow = state_.downloadState == 0 && toBoard;
  if (debugNow)
    core_.ArrangeDebugWindows(RunState::Stopped);
  if (status & kCompileMessagesStatus)
    windows_.ShowMessageWindow();
  else if (status == 0 && windows_.MessageWindowOpen())
    windows_.ForgetMessageWindow();
  if (windows_.MessageWindowOpen())
    windows_.FocusMessageWindow();
  if (debugNow) {
    target_.ResetTargetProgram();
    target_.RefreshPanesAfterReset();
  }
  EndOfflineCompile();
  return true;
}

// The BIOS compile of a compile without a board is only its first half: the
// program's compile after it must not reach for the board either.
void BuildCommands::EndOfflineCompile() {
  if (!state_.biosCompileActive)
    state_.offlineCompile = false;
}

void BuildCommands::CompileProgramCommand() {
  biosPath_ = BiosSourcePath(Paths(), true);
  if (target_.LinkIsTcp()) {
    if (core_.Debugging())
      core_.ArrangeDebugWindows(RunState::NotDebugging);
    core_.RunGuarded([this] { target_.ConnectTcp(); });
  }
  bool biosChanged = false;
  if (std::optional<int64_t> time = target_.FileTime(biosPath_)) {
    biosChanged = time != state_.biosFileTime;
    state_.biosFileTime = time;
  }
  if (windows_.MessageWindowOpen())
    windows_.ClearAndHideMessageWindow();
  state_.startupLoadStep = false;
  state_.downloadState = state_.optionA ? 0 : 1;

  // The board keeps its BIOS while nothing it was built from changed.
  const bool biosCurrent = !target_.CompileChanged() && !biosChanged && !target_.LibrariesChanged() &&
                           !target_.CompileOptionsChanged() && !windows_.EditorModified(biosPath_);
  if (biosCurrent) {
    core_.RunGuarded([this] {
      if (target_.LinkIsTcp())
        target_.ReadBoardInfoTcp();
      Compile(CompileMode::Load);
    });
    return;
  }
  core_.RunGuarded([this] { LoadBiosStep(); });
  windows_.RaiseRecentEditor();
  // A failed load leaves the compile state changed, and nothing to compile
  // against.
  if (!target_.CompileChanged())
    core_.RunGuarded([this] { Compile(CompileMode::Load); });
}

void BuildCommands::LoadBiosStep() {
  OnExit clear([this] {
    state_.biosCompileActive = false;
    target_.SetBiosCompile(false);
  });
  target_.UseUserBaudRate();
  CurrentActivity = kActivityLoadingBios;
  if (windows_.MessageWindowOpen())
    windows_.HideMessageWindow();
  target_.RememberCompileOptions();
  const bool biosWanted = target_.BiosWanted();
  target_.SetBiosWanted(false);
  state_.optionAAtLoad = state_.optionA;
  state_.programLoaded = false;
  if (core_.Debugging())
    core_.ArrangeDebugWindows(RunState::NotDebugging);
  windows_.RaiseRecentEditor();

  if (!CompileBiosAndLoad()) {
    if (OnBoard()) {
      target_.UseUserBaudRate();
      target_.OpenSerialPort();
    }
    return;
  }
  if (OnBoard() && !state_.programLoaded) {
    target_.HandOverBaudRate();
    core_.RunGuarded([this] { ConnectAfterLoad(); });
    if (state_.programLoaded)
      target_.SetCompileChanged(false);
  }
  target_.SetBiosWanted(biosWanted);
  if (!biosWanted && state_.startupLoadStep) {
    if (!windows_.PleaseWaitOpen())
      windows_.OpenPleaseWait(false);
    windows_.SetPleaseWaitText(FormatMessage<kMsgBiosLoaded>());
    windows_.Wait(kBiosLoadedNoticeMs);
    windows_.ClosePleaseWait();
  }
}

bool BuildCommands::CompileBiosAndLoad() {
  state_.biosCompileActive = true;
  target_.SetBiosCompile(true);
  OnExit clear([this] {
    state_.biosCompileActive = false;
    target_.SetBiosCompile(false);
  });
  if (OnBoard()) {
    if (!windows_.PleaseWaitOpen())
      windows_.OpenPleaseWait(false);
    const bool up = target_.ColdLoadBareBoard();
    windows_.ClosePleaseWait();
    if (!up) {
      target_.SetCompileChanged(true);
      return false;
    }
  }
  target_.SetAssumeCorvidCpu();
  biosPath_ = BiosSourcePath(Paths(), false);
  CurrentActivity = kActivityLoaderRunning;
  if (!state_.offlineCompile && target_.LinkIsTcp())
    target_.ReadBoardInfoTcp();

  bool compiled = false;
  try {
    target_.OpenBiosInfo(OnDisk(plat::JoinPath(Paths().programDirectory, Paths().rtiFile)));
    state_.biosFileTime = target_.FileTime(biosPath_);
    compiled = Compile(CompileMode::Load);
  } catch (...) {
    target_.CloseBiosInfo();
    target_.SetCompileChanged(true);
    throw;
  }
  target_.CloseBiosInfo();
  if (windows_.PleaseWaitOpen())
    windows_.ClosePleaseWait();
  return compiled;
}

void BuildCommands::ConnectAfterLoad() {
  windows_.OpenPleaseWait(false);
  state_.targetUnreachable = false;
  try {
    target_.TargetConnect();
  } catch (const xErr &error) {
    state_.targetUnreachable = true;
    windows_.ClosePleaseWait();
    windows_.Report(error);
    state_.programLoaded = false;
    core_.ArrangeDebugWindows(RunState::NotDebugging);
    return;
  }
  windows_.ClosePleaseWait();
  state_.programLoaded = true;
  core_.ArrangeDebugWindows(RunState::NotDebugging);
}

void BuildCommands::CompileAndLoadCommand() {
  if (!state_.optionA)
    state_.downloadState = 1;
  core_.RunGuarded([this] { LoadBiosStep(); });
  target_.SetOptionBFlag(state_.optionB);
  OnExit optionBBack([this] { target_.SetOptionBFlag(true); });
  Compile(CompileMode::NoDebugger);
}

void BuildCommands::OfflineCompileCommand() {
  state_.offlineCompile = true;
  OnExit clear([this] { state_.offlineCompile = false; });
  state_.startupLoadStep = false;
  if (!state_.optionA)
    state_.downloadState = 1;
  core_.RunGuarded([this] { LoadBiosStep(); });
  core_.RunGuarded([this] { Compile(CompileMode::Load); });
}

void BuildCommands::StartupLoadCommand() { core_.RunGuarded([this] { StartupLoadStep(); }); }

void BuildCommands::StartupLoadStep() {
  state_.startupLoadStep = true;
  target_.DrainAndCloseSerialPort();
  LoadBiosStep();
}

void BuildCommands::RunCheckedCommand(bool editorOpen) {
  if (!editorOpen)
    return;
  if (!state_.optionA) {
    windows_.ShowBox(kMsgDebuggingOff);
    return;
  }
  core_.RunCommand();
}

} // namespace tsw
