#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>

// The one table of the shell's command ids and how each is routed: the
// focused pane, its frame, the main window, the application; the first
// that has a worker for an id runs it. A command whose worker is not yet
// registered stands in the table and is disabled.
namespace tsw {

enum class CommandOwner : uint8_t { Pane, Frame, MainWindow, Application };
// Guarded: runs inside the main window's guarded call. Direct: its errors
// are only reported. SelfGuarded: the worker guards its own steps.
enum class CommandRun : uint8_t { Guarded, Direct, SelfGuarded };

struct CommandSpec {
  uint16_t id;
  CommandOwner owner;
  CommandRun run;
};

namespace cmd {
inline constexpr uint16_t kRecentFirst = 10, kRecentLast = 18;
inline constexpr uint16_t kCut = 31, kCopy = 32, kPaste = 33;
inline constexpr uint16_t kLeaveDebugging = 30;
inline constexpr uint16_t kUndo = 34, kRedo = 35;
inline constexpr uint16_t kClose = 26;
inline constexpr uint16_t kFind = 40, kReplace = 41, kFindNext = 42, kGotoLine = 43;
inline constexpr uint16_t kNextMessage = 45, kPreviousMessage = 44;
inline constexpr uint16_t kFunctionHelp = 46, kAssemblerHelp = 47;
inline constexpr uint16_t kCompileLoad = 51, kSaveRti = 53, kNoAction = 54, kLoadStep = 55, kLoadStep2 = 70;
inline constexpr uint16_t kOptionA = 56, kOfflineCompile = 57, kOptionB = 58;
inline constexpr uint16_t kReset = 60, kRun = 61, kRunNoPoll = 62, kStop = 63, kStepInto = 65, kStepOver = 66;
inline constexpr uint16_t kBreakpoint18 = 67, kBreakpoint20 = 68, kToggleInterrupts = 69;
inline constexpr uint16_t kClosePort = 73, kRunChecked = 74, kTogglePolling = 71;
inline constexpr uint16_t kAddWatch = 80, kClearWatches = 81, kUpdateWatches = 83;
inline constexpr uint16_t kDasmDialog = 84, kDasmAtCaret = 85, kDumpDialog = 86;
inline constexpr uint16_t kEditorOptions = 90, kCompilerOptions = 91, kDebuggerOptions = 92, kMemoryMap = 93,
                          kRootMap = 94, kReservedMemory = 95, kTargetOptions = 96, kDisplayOptions = 97;
inline constexpr uint16_t kSaveWindowStates = 98, kTileRows = 99, kTileColumns = 100, kArrangeIcons = 102;
inline constexpr uint16_t kShowMessages = 103, kShowWatch = 104, kShowStdio = 105, kToggleAssembly = 106,
                          kToggleRegisters = 107, kToggleStack = 108;
inline constexpr uint16_t kInformation = 109;
inline constexpr uint16_t kHelpContents = 120, kHelpTopic = 121, kOnlineDocs = 122, kHelpContents2 = 123;
inline constexpr uint16_t kToolBar = 124, kShow32BitRegs = 145, kVerboseDisassembly = 146, kAssumeCorvid = 147;
inline constexpr uint16_t kOnlineFirst = 195, kOnlineLast = 198;
inline constexpr uint16_t kCompile = 1250;
inline constexpr uint16_t kAbout = 2009, kTips = 2010;
inline constexpr uint16_t kExit = 24310, kNew = 24331, kOpen = 24332, kSave = 24333, kSaveAs = 24334;
inline constexpr uint16_t kPrint = 24337, kPrintSetup = 24338, kPrintPreview = 24340;
inline constexpr uint16_t kCascade = 24361;
} // namespace cmd

std::span<const CommandSpec> CommandTable();
// Null for an id the table does not hold.
const CommandSpec *FindCommand(uint16_t id);

// The commands one owner handles now.
class CommandHandlers {
public:
  struct Entry {
    std::function<void()> worker;
    std::function<bool()> enabler; // none: always enabled
    std::function<bool()> checked; // none: not a check item
  };
  void Add(uint16_t id, std::function<void()> worker, std::function<bool()> enabler = {},
           std::function<bool()> checked = {});
  const Entry *Find(uint16_t id) const;

private:
  std::map<uint16_t, Entry> entries_;
};

struct CommandState {
  bool enabled = false;
  bool checked = false;
  bool operator==(const CommandState &) const = default;
};

class CommandRouter {
public:
  // The owners in routing order: focused pane, its frame, main window,
  // application; any may be missing.
  using Chain = std::array<const CommandHandlers *, 4>;
  using Runner = std::function<void(const std::function<void()> &)>;

  CommandRouter(std::function<Chain()> chain, Runner guarded, Runner reported)
      : chain_(std::move(chain)), guarded_(std::move(guarded)), reported_(std::move(reported)) {}

  // Runs the command if an owner has it and it is enabled; false otherwise.
  bool Dispatch(uint16_t id) const;
  CommandState State(uint16_t id) const;

private:
  const CommandHandlers::Entry *Route(uint16_t id) const;

  std::function<Chain()> chain_;
  Runner guarded_, reported_;
};

} // namespace tsw
