#include "gui/commands.h"

#include <algorithm>

namespace tsw {
namespace {

using O = CommandOwner;
using R = CommandRun;

constexpr CommandSpec kCommands[] = {
    // The application's own.
    {cmd::kAbout, O::Application, R::Direct},
    {cmd::kTips, O::Application, R::Direct},
    {cmd::kToolBar, O::Application, R::Direct},
    {cmd::kShow32BitRegs, O::Application, R::Direct},
    {cmd::kVerboseDisassembly, O::Application, R::Direct},
    {cmd::kAssumeCorvid, O::Application, R::Direct},
    {cmd::kOptionA, O::Application, R::Direct},
    {cmd::kOptionB, O::Application, R::Direct},
    {cmd::kOfflineCompile, O::Application, R::SelfGuarded},
    // The main window's.
    {cmd::kNew, O::MainWindow, R::Direct},
    {cmd::kOpen, O::MainWindow, R::Direct},
    {10, O::MainWindow, R::Direct},
    {11, O::MainWindow, R::Direct},
    {12, O::MainWindow, R::Direct},
    {13, O::MainWindow, R::Direct},
    {14, O::MainWindow, R::Direct},
    {15, O::MainWindow, R::Direct},
    {16, O::MainWindow, R::Direct},
    {17, O::MainWindow, R::Direct},
    {18, O::MainWindow, R::Direct},
    {cmd::kExit, O::MainWindow, R::SelfGuarded},
    {cmd::kLeaveDebugging, O::MainWindow, R::Guarded},
    {cmd::kNextMessage, O::MainWindow, R::Guarded},
    {cmd::kPreviousMessage, O::MainWindow, R::Guarded},
    {cmd::kCompile, O::MainWindow, R::SelfGuarded},
    {cmd::kCompileLoad, O::MainWindow, R::Guarded},
    {cmd::kSaveRti, O::MainWindow, R::Guarded},
    {cmd::kNoAction, O::MainWindow, R::Guarded},
    {cmd::kLoadStep, O::MainWindow, R::SelfGuarded},
    {cmd::kLoadStep2, O::MainWindow, R::SelfGuarded},
    {cmd::kRun, O::MainWindow, R::Guarded},
    {cmd::kRunChecked, O::MainWindow, R::Direct},
    {cmd::kRunNoPoll, O::MainWindow, R::Guarded},
    {cmd::kStepOver, O::MainWindow, R::Guarded},
    {cmd::kStepInto, O::MainWindow, R::Guarded},
    {cmd::kReset, O::MainWindow, R::Guarded},
    {cmd::kStop, O::MainWindow, R::Guarded},
    {cmd::kClosePort, O::MainWindow, R::Guarded},
    {cmd::kToggleInterrupts, O::MainWindow, R::Guarded},
    {cmd::kTogglePolling, O::MainWindow, R::Guarded},
    {cmd::kCompilerOptions, O::MainWindow, R::Direct},
    {cmd::kEditorOptions, O::MainWindow, R::Direct},
    {cmd::kDebuggerOptions, O::MainWindow, R::Direct},
    {cmd::kRootMap, O::MainWindow, R::Direct},
    {cmd::kMemoryMap, O::MainWindow, R::Guarded},
    {cmd::kReservedMemory, O::MainWindow, R::Direct},
    {cmd::kTargetOptions, O::MainWindow, R::Direct},
    {cmd::kDisplayOptions, O::MainWindow, R::Direct},
    {cmd::kSaveWindowStates, O::MainWindow, R::Guarded},
    {cmd::kInformation, O::MainWindow, R::Direct},
    {cmd::kShowMessages, O::MainWindow, R::Guarded},
    {cmd::kShowWatch, O::MainWindow, R::Guarded},
    {cmd::kShowStdio, O::MainWindow, R::Guarded},
    {cmd::kToggleAssembly, O::MainWindow, R::Guarded},
    {cmd::kToggleRegisters, O::MainWindow, R::Guarded},
    {cmd::kToggleStack, O::MainWindow, R::Guarded},
    {cmd::kClearWatches, O::MainWindow, R::Guarded},
    {cmd::kUpdateWatches, O::MainWindow, R::Guarded},
    {cmd::kDasmAtCaret, O::MainWindow, R::Guarded},
    {cmd::kDasmDialog, O::MainWindow, R::Guarded},
    {cmd::kDumpDialog, O::MainWindow, R::Guarded},
    {cmd::kCascade, O::MainWindow, R::Direct},
    {cmd::kTileRows, O::MainWindow, R::Direct},
    {cmd::kTileColumns, O::MainWindow, R::Direct},
    {cmd::kArrangeIcons, O::MainWindow, R::Direct},
    {cmd::kHelpContents2, O::MainWindow, R::Direct},
    {cmd::kHelpContents, O::MainWindow, R::Direct},
    {cmd::kHelpTopic, O::MainWindow, R::Direct},
    {cmd::kAssemblerHelp, O::MainWindow, R::Direct},
    {cmd::kOnlineDocs, O::MainWindow, R::Direct},
    {195, O::MainWindow, R::Direct},
    {196, O::MainWindow, R::Direct},
    {197, O::MainWindow, R::Direct},
    {198, O::MainWindow, R::Direct},
    {cmd::kFunctionHelp, O::MainWindow, R::Guarded},
    // The frames'.
    {cmd::kAddWatch, O::Frame, R::Direct},
    {cmd::kSave, O::Frame, R::Direct},
    {cmd::kSaveAs, O::Frame, R::Direct},
    {cmd::kClose, O::Frame, R::Direct},
    {cmd::kFind, O::Frame, R::Direct},
    {cmd::kUndo, O::Frame, R::Direct},
    {cmd::kRedo, O::Frame, R::Direct},
    // The text panes'.
    {cmd::kCut, O::Pane, R::Direct},
    {cmd::kCopy, O::Pane, R::Direct},
    {cmd::kPaste, O::Pane, R::Direct},
    {cmd::kReplace, O::Pane, R::Direct},
    {cmd::kFindNext, O::Pane, R::Direct},
    {cmd::kGotoLine, O::Pane, R::Direct},
    {cmd::kBreakpoint18, O::Pane, R::Direct},
    {cmd::kBreakpoint20, O::Pane, R::Direct},
    {cmd::kPrint, O::Pane, R::Direct},
    {cmd::kPrintSetup, O::Pane, R::Direct},
    {cmd::kPrintPreview, O::Pane, R::Direct},
};

} // namespace

std::span<const CommandSpec> CommandTable() { return kCommands; }

const CommandSpec *FindCommand(uint16_t id) {
  auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [id](const CommandSpec &c) { return c.id == id; });
  return it == std::end(kCommands) ? nullptr : &*it;
}

void CommandHandlers::Add(uint16_t id, std::function<void()> worker, std::function<bool()> enabler,
                          std::function<bool()> checked) {
  entries_[id] = Entry{std::move(worker), std::move(enabler), std::move(checked)};
}

const CommandHandlers::Entry *CommandHandlers::Find(uint16_t id) const {
  auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

const CommandHandlers::Entry *CommandRouter::Route(uint16_t id) const {
  for (const CommandHandlers *owner : chain_())
    if (owner)
      if (const CommandHandlers::Entry *entry = owner->Find(id))
        return entry;
  return nullptr;
}

CommandState CommandRouter::State(uint16_t id) const {
  const CommandHandlers::Entry *entry = Route(id);
  if (!entry)
    return {};
  return {!entry->enabler || entry->enabler(), entry->checked && entry->checked()};
}

bool CommandRouter::Dispatch(uint16_t id) const {
  const CommandHandlers::Entry *entry = Route(id);
  if (!entry || (entry->enabler && !entry->enabler()))
    return false;
  // Copied: the worker may close the window whose table holds it.
  std::function<void()> worker = entry->worker;
  const CommandSpec *spec = FindCommand(id);
  if (spec && spec->run == CommandRun::Guarded)
    guarded_(worker);
  else
    reported_(worker);
  return true;
}

} // namespace tsw
