#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "gui/tswmainw_core.h"

// The workers behind the build and load commands, apart from the windows:
// which of the compiler's and the link's operations run, in which order,
// and the few flags that tie a compile to a download. The compile driver
// and the board come in through BuildTarget, the shell's windows through
// BuildWindows; the run state and the guarded call are the main window's.
namespace tsw {

class xErr;

// The compile request's status bits.
inline constexpr uint16_t kCompileMessagesStatus = 1, kCompileFailedStatus = 2;

struct BuildState {
  // While the BIOS is compiled and loaded; the compile driver then treats
  // the compile as the BIOS's.
  bool biosCompileActive = false;
  // While a compile without a board runs: no target traffic at all.
  bool offlineCompile = false;
  // Connecting after a load failed; a compile to the board is refused.
  bool targetUnreachable = false;
  // The program is loaded and the kernel answered.
  bool programLoaded = false;
  // The serial start-up load step: a BIOS load ends with a short notice.
  bool startupLoadStep = false;
  // 0 normal; 1 the program is to run without the debugger; 2 such a
  // program was compiled and loaded.
  uint32_t downloadState = 0;
  // Compile option A (debugging) and B, and option A as of the last load.
  bool optionA = true, optionB = true, optionAAtLoad = true;
  // The BIOS source's time at its last compile.
  std::optional<int64_t> biosFileTime;
};

// The paths the workers compile: the program's and the BIOS's.
struct BuildPaths {
  std::string programDirectory;
  std::string defaultBios, defaultUserBios, rtiFile;
  bool userBiosEnabled = false;
  // The "BIOSFileType" setting: not 0 when the BIOS goes out as an image.
  int biosFileType = 0;
};
// The settings name files in upper case: ASCII letters only, the rest as
// it stands.
std::string Upper(std::string text);

// Where the BIOS source lies. `commandForm` is the compile command's:
// the user's BIOS whenever it is enabled, even when its name is empty.
std::string BiosSourcePath(const BuildPaths &paths, bool commandForm);

// The compile driver, the link and the board.
class BuildTarget {
public:
  virtual ~BuildTarget() = default;
  virtual bool LinkIsTcp() const = 0;

  // The compile request (status bits: 1 messages, 2 failed) of the file
  // set by SetCompilePath.
  virtual uint16_t CompileFile(uint16_t mode) = 0;
  virtual void SetCompilePath(const std::string &path) = 0;
  virtual bool CompileChanged() const = 0;
  virtual void SetCompileChanged(bool changed) = 0;
  // After a failure: the board's state is unknown, the next run loads anew.
  virtual void ResetTargetCompileFlags() = 0;
  virtual void CloseOutputFile() = 0;
  virtual bool BiosWanted() const = 0;
  virtual void SetBiosWanted(bool wanted) = 0;
  // The compile is the BIOS's while set.
  virtual void SetBiosCompile(bool on) = 0;
  // A compile to the board starts from the memory map's own bounds; the
  // BIOS compile keeps the second, which the program compile set.
  virtual void ResetLoadBounds(bool biosCompile) = 0;
  // Option B reaches the compiler for one compile only.
  virtual void SetOptionBFlag(bool on) = 0;
  // The last compile's written blocks and the listing read from the board.
  virtual void ClearCompileProducts() = 0;
  virtual bool RecordedErrorsOrWarnings() const = 0;
  virtual bool DiagnosticsRecorded() const = 0;
  virtual bool LibrariesChanged() = 0;
  virtual bool CompileOptionsChanged() = 0;
  virtual void RememberCompileOptions() = 0;
  virtual std::optional<int64_t> FileTime(const std::string &path) = 0;
  // The BIOS compile's run-time information file, open while it compiles.
  virtual void OpenBiosInfo(const std::string &path) = 0;
  virtual void CloseBiosInfo() = 0;
  virtual void SetAssumeCorvidCpu() = 0;

  // The board.
  virtual void UseUserBaudRate() = 0;
  virtual void OpenSerialPort() = 0;
  virtual void DrainAndCloseSerialPort() = 0;
  // Tells the kernel a compile is coming, and gives it time to settle.
  virtual void SyncKernelForCompile() = 0;
  virtual void ConnectTcp() = 0;
  virtual void DisconnectTcp() = 0;
  virtual void ReadBoardInfoTcp() = 0;
  // Reset, cold loader and second loader over the serial port; false (and
  // the reason shown) when the board did not come up.
  virtual bool ColdLoadBareBoard() = 0;
  // The freshly loaded BIOS moves to the user's baud rate.
  virtual void HandOverBaudRate() = 0;
  virtual void TargetConnect() = 0;
  virtual void ResetTargetProgram() = 0;
  virtual void RefreshPanesAfterReset() = 0;
};

// The shell's windows as the workers use them.
class BuildWindows {
public:
  virtual ~BuildWindows() = default;
  // The most recently activated editor becomes the program's frame, on top
  // and focused; its file, or none without an editor.
  virtual std::optional<std::string> TakeProgramFrame() = 0;
  // The frame of the BIOS source, when it is open, is the program's.
  virtual void TakeBiosFrame(const std::string &biosPath) = 0;
  virtual bool EditorModified(const std::string &path) = 0;
  virtual void RaiseRecentEditor() = 0;

  virtual bool PleaseWaitOpen() = 0;
  virtual void OpenPleaseWait(bool withCancel) = 0;
  virtual void SetPleaseWaitText(const std::string &text) = 0;
  virtual void ClosePleaseWait() = 0;
  // A message box titled with the program's message title.
  virtual void ShowBox(unsigned message) = 0;
  virtual void Report(const xErr &error) = 0;
  virtual void Wait(uint32_t milliseconds) = 0;

  virtual bool MessageWindowOpen() = 0;
  // Made when needed, shown and filled from the diagnostic list.
  virtual void ShowMessageWindow() = 0;
  // Shown normally, filled again, focused and on top.
  virtual void FocusMessageWindow() = 0;
  // A compile without a message: the open window keeps no current message.
  virtual void ForgetMessageWindow() = 0;
  virtual void ClearAndHideMessageWindow() = 0;
  virtual void HideMessageWindow() = 0;
};

class BuildCommands {
public:
  BuildCommands(MainWindowCore &core, BuildState &state, BuildTarget &target, BuildWindows &windows)
      : core_(core), state_(state), target_(target), windows_(windows) {}

  BuildState &State() { return state_; }
  // Where the BIOS lies and how the BIOS compile reads its information, as
  // the settings say at the time of the compile.
  void SetPaths(std::function<BuildPaths()> paths) { paths_ = std::move(paths); }

  enum class CompileMode : uint16_t { Load = 0, NoDebugger = 1 };
  // A compile of the program (or, while the BIOS is compiled, of the BIOS);
  // true on success. Loading leaves the program stopped at its start.
  bool Compile(CompileMode mode);
  // The compile command: the BIOS first when the board needs it.
  void CompileProgramCommand();
  // Brings the BIOS onto the board and connects to its kernel.
  void LoadBiosStep();
  bool CompileBiosAndLoad();
  void ConnectAfterLoad();

  // The other commands' workers.
  void CompileAndLoadCommand();
  void OfflineCompileCommand();
  void StartupLoadCommand();
  // The same at start-up, where the caller handles what goes wrong.
  void StartupLoadStep();
  // Run from outside the debugger: option A must be on.
  void RunCheckedCommand(bool editorOpen);

  // The path the last compile compiled.
  const std::string &ProgramPath() const { return programPath_; }
  const std::string &BiosPath() const { return biosPath_; }

private:
  bool Serial() const { return !target_.LinkIsTcp(); }
  bool OnBoard() const { return Serial() && !state_.offlineCompile; }
  // The compile driver's request, with its failures turned into a failed
  // status as the compile's own handling wants; nullopt after a cancel.
  std::optional<uint16_t> RunCompileDriver(CompileMode mode, bool &quietFailure);
  bool FinishCompile(CompileMode mode, uint16_t status, bool quietFailure);
  void EndOfflineCompile();

  MainWindowCore &core_;
  BuildState &state_;
  BuildTarget &target_;
  BuildWindows &windows_;
  BuildPaths Paths() const { return paths_ ? paths_() : BuildPaths{}; }

  std::function<BuildPaths()> paths_;
  std::string programPath_;
  std::string biosPath_;
};

} // namespace tsw
