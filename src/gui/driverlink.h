#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/buildcmds.h"
#include "gui/optionvalues.h"
#include "platform/serialport.h"

// The compile driver as the shell reaches it. The shell's window code sees
// the settings store, whose names the compiler's headers also use, so only
// this bridge includes the compiler.
namespace tsw {

class DebugUi;
class LinkHost;
class WatchServices;

// One record of the compiler's diagnostic list, as the message window
// keeps it.
struct Diagnostic {
  uint16_t line = 1;
  uint8_t column = 1;
  // 0 an error, above 0 a warning, below 0 a note of the shell's own.
  int16_t kind = 0;
  std::string text, help, file;
  // Its position moves with the edits of its file.
  bool followsEdits = false;
  bool operator==(const Diagnostic &) const = default;
};

// What the compile driver reads of the shell.
struct CompilerShellSource {
  std::function<std::string()> programDirectory, libDirPath, defaultUserBios, biosSourcePath;
  std::function<int16_t()> biosFileType;
  std::function<bool()> userBiosEnabled;
  // The user's predefined names (name, value, ...) and the setting that
  // restricts watch code; unset: none, unrestricted.
  std::function<std::vector<std::string>()> projectMacros;
  std::function<bool()> restrictWatchCode;
  // The path of the program to compile; the editor frame tied to it is the
  // shell's program frame.
  std::string compilePath;
  // What the link asks of the shell (its dialogs, settings and stdio pane);
  // null leaves them quiet.
  LinkHost *linkHost = nullptr;
  // The build workers' flags the compiler reads (program loaded, compile
  // without a board); null: none loaded, always with a board.
  BuildState *build = nullptr;
};

// Serves the driver from `source` until called again with null. While
// served, the compiler reaches the real board through the link in use and
// the debugger engine's kernel calls.
void InstallCompilerShell(CompilerShellSource *source);

// The debugger engine on the link in use and the last compile's products,
// showing in `ui`; null takes the engine off. Either way its state is empty.
void InstallDebugger(DebugUi *ui);

// The watches' compiler and board: the last compile's functions and watch
// code area, the debugger engine's kernel.
WatchServices &ProductWatchServices();

// The compile driver, the link and the debugger engine as the build
// workers drive them.
class DriverBuildTarget : public BuildTarget {
public:
  explicit DriverBuildTarget(std::function<bool()> linkIsTcp) : linkIsTcp_(std::move(linkIsTcp)) {}
  bool LinkIsTcp() const override { return linkIsTcp_(); }
  uint16_t CompileFile(uint16_t mode) override;
  void SetCompilePath(const std::string &path) override;
  bool CompileChanged() const override;
  void SetCompileChanged(bool changed) override;
  void ResetTargetCompileFlags() override;
  void CloseOutputFile() override {}
  bool BiosWanted() const override;
  void SetBiosWanted(bool wanted) override;
  void SetBiosCompile(bool on) override;
  void ResetLoadBounds(bool biosCompile) override;
  void SetOptionBFlag(bool on) override;
  void ClearCompileProducts() override;
  bool RecordedErrorsOrWarnings() const override;
  bool DiagnosticsRecorded() const override;
  bool LibrariesChanged() override;
  bool CompileOptionsChanged() override;
  void RememberCompileOptions() override;
  std::optional<int64_t> FileTime(const std::string &path) override;
  void OpenBiosInfo(const std::string &path) override;
  void CloseBiosInfo() override;
  void SetAssumeCorvidCpu() override;
  void UseUserBaudRate() override;
  void OpenSerialPort() override;
  void DrainAndCloseSerialPort() override;
  void SyncKernelForCompile() override;
  void ConnectTcp() override;
  void DisconnectTcp() override;
  void ReadBoardInfoTcp() override;
  bool ColdLoadBareBoard() override;
  void HandOverBaudRate() override;
  void TargetConnect() override;
  void ResetTargetProgram() override;
  void RefreshPanesAfterReset() override;

  // How the panes are shown again after a compile's reset; the engine's
  // plain refresh without it.
  std::function<void()> refreshAfterReset;

private:
  std::function<bool()> linkIsTcp_;
};

// The settings store's link values, as the link takes them.
struct ShellLinkValues {
  uint16_t port = 2;
  uint32_t baud = 115200;
  uint16_t stopBits = 0, rtsFlow = 0, fullDuplex = 1, safety = 0;
  bool useTcp = false;
  uint32_t netAddress = 0;
  std::string netAddressText, controllerName;
  uint16_t tcpPort = 4244;
};

namespace driver {
// Where the serial link finds its board: opens the port at the path; null
// when there is none, with the reason. An empty opener is the system's.
using BoardPortOpener = std::function<std::unique_ptr<plat::SerialPort>(const std::string &path, std::string *why)>;
void UseBoardPort(BoardPortOpener opener);
// Reads the board and writes its run-time-information file where the
// shell's dialog says.
void SaveRti();
// The link works with the user's settings from here on; the port opens
// anew with them.
void ApplyLinkSettings(const ShellLinkValues &values);
// The compile request: status bits, 1 messages to show, 2 failed.
uint16_t CompileFile(uint16_t mode);
std::vector<Diagnostic> Diagnostics();
// Errors and warnings the last compile recorded.
bool RecordedErrorsOrWarnings();
bool DiagnosticsRecorded();
// The next run must compile and load again.
void MarkCompileChanged();
bool CompileChanged();
void SetCompileChanged(bool changed);
void ResetTargetCompileFlags();
// Reads the compiler configuration and prepares the tables; raises on failure.
void Prepare();
void ReinitTables();
void SaveConfig();
void ClearBiosSymbols();
// The configuration values of the option dialogs. Storing the compiler
// options also ends an image-only compile mode ("romc").
CompilerOptionValues CompilerOptions();
void SetCompilerOptions(const CompilerOptionValues &values);
MemoryMapOptionValues MemoryMapOptions();
void SetMemoryMapOptions(const MemoryMapOptionValues &values);
RootMapOptionValues RootMapOptions();
void SetRootMapOptions(const RootMapOptionValues &values);
ReservedMemoryOptionValues ReservedMemoryOptions();
void SetReservedMemoryOptions(const ReservedMemoryOptionValues &values);
// What the last compile recorded, as the information dialog shows it.
CompileStatistics LastCompileStatistics();
} // namespace driver

} // namespace tsw
