#include "gui/shelldebugui.h"

#include "debugger/debugengine.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/debugpanes.h"
#include "gui/frames.h"
#include "gui/shelllinkhost.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {

void ShellDebugUi::ShowPleaseWait(unsigned message) {
  plat::PleaseWait().Open(true);
  plat::PleaseWait().SetText(NumberedText(message, {}));
}

void ShellDebugUi::Pump() { plat::PleaseWait().Pump(); }

cEditFrame *ShellDebugUi::FindFrame(const std::string &file) const {
  for (EditorFrameRef *ref : Shell().editorFrames.Frames())
    if (ref->HasView() && ref->ShowsFile(file))
      return dynamic_cast<cEditFrame *>(ref);
  return nullptr;
}

void ShellDebugUi::Activate(cEditFrame &frame) {
  frame.raise();
  window_.setActiveSubWindow(&frame);
}

bool ShellDebugUi::OpenEditor(const std::string &file) {
  if (cEditFrame *frame = FindFrame(file)) {
    Activate(*frame);
    return true;
  }
  // A stop in a file that is not open opens it; one that cannot be read
  // leaves the stop unmarked rather than ending debugging.
  try {
    return window_.OpenFile(file) != nullptr;
  } catch (const xErr &) {
    return false;
  }
}

void ShellDebugUi::SetEditorCursor(const std::string &file, TextPosition at) {
  if (cEditFrame *frame = FindFrame(file))
    frame->View()->SetCaret(uint16_t(at >> 16), uint16_t(at));
}

void ShellDebugUi::BringEditorToTop(const std::string &file) {
  if (cEditFrame *frame = FindFrame(file))
    Activate(*frame);
}

std::optional<std::pair<std::string, TextPosition>> ShellDebugUi::ActiveEditorCaret() {
  auto *frame = dynamic_cast<cEditFrame *>(window_.activeSubWindow());
  if (!frame || !frame->HasView())
    return std::nullopt;
  return std::make_pair(frame->View()->FileName(), frame->View()->Caret());
}

void ShellDebugUi::SetRunState(MainRunState state) {
  switch (state) {
  case MainRunState::NotDebugging: window_.Core().SetRunState(RunState::NotDebugging); break;
  case MainRunState::Stopped: window_.Core().SetRunState(RunState::Stopped); break;
  case MainRunState::Running: window_.Core().SetRunState(RunState::Running); break;
  }
}

void ShellDebugUi::ShowPriority(int value) { window_.ShowPriority(value); }

void ShellDebugUi::ShowMessageBox(const std::string &text) {
  plat::Notifier().MessageBox(GetResourceString(kMsgReportTitle), text, plat::Buttons::Ok, plat::Icon::None);
}

namespace {

// Every view of the file: each one shows the marks.
template <class F> void ForEachView(const std::string &file, F apply) {
  for (cTextEdit *edit : cTextEdit::Editors())
    if (edit->EditWidget() && edit->ShowsFile(file))
      apply(*edit);
}

} // namespace

void ShellDebugUi::AddColorRange(const std::string &file, TextPosition at, DebugColor color) {
  const PaneSettings &debug = window_.SettingsInUse().Pane(PaneKind::kDebugEditor);
  const bool cursor = color == DebugColor::ExecutionCursor;
  const uint32_t bg = debug.Color(cursor ? ColorRole::kExecutionCursorBg : ColorRole::kBreakpointBg).color;
  const uint32_t fg = debug.Color(cursor ? ColorRole::kExecutionCursorFg : ColorRole::kBreakpointFg).color;
  ForEachView(file, [&](cTextEdit &edit) {
    edit.EditWidget()->AddColorRange(at, edit.Core().NextPosition(at), bg, fg, true);
  });
}

void ShellDebugUi::RemoveColorRange(const std::string &file, TextPosition at) {
  ForEachView(file, [&](cTextEdit &edit) { edit.EditWidget()->RemoveColorRange(at, true); });
}

void ShellDebugUi::ClearColorRanges(const std::string &file) {
  ForEachView(file, [&](cTextEdit &edit) { edit.EditWidget()->ClearColorRanges(true); });
}

void ShellDebugUi::RefreshAfterReset() {
  refreshFollowsReset_ = true;
  struct Clear {
    bool &flag;
    ~Clear() { flag = false; }
  } clear{refreshFollowsReset_};
  RefreshDebugWindows();
}

TextPane *ShellDebugUi::OpenPane(DebugPane pane) const {
  auto *frame = dynamic_cast<cFrame *>(window_.PaneFrame(pane));
  return frame ? frame->Pane() : nullptr;
}

DebugListingPane *ShellDebugUi::AssemblyPane() { return dynamic_cast<DebugListingPane *>(OpenPane(DebugPane::Assembly)); }

DebugListingPane *ShellDebugUi::ShowAssemblyPane() {
  window_.ShowPane(DebugPane::Assembly);
  return AssemblyPane();
}

DebugLinePane *ShellDebugUi::RegisterPane() { return dynamic_cast<DebugLinePane *>(OpenPane(DebugPane::Register)); }
DebugLinePane *ShellDebugUi::StackPane() { return dynamic_cast<DebugLinePane *>(OpenPane(DebugPane::Stack)); }
bool ShellDebugUi::IsDumpPaneOpen() { return dynamic_cast<cDumpPane *>(OpenPane(DebugPane::Dump)) != nullptr; }

DebugDumpPane *ShellDebugUi::ShowDumpPane() {
  QMdiSubWindow *frame = window_.ShowPane(DebugPane::Dump);
  if (frame) {
    frame->raise();
    window_.setActiveSubWindow(frame);
  }
  return dynamic_cast<cDumpPane *>(OpenPane(DebugPane::Dump));
}

void ShellDebugUi::RefillDumpPane() {
  if (auto *dump = dynamic_cast<cDumpPane *>(OpenPane(DebugPane::Dump)))
    dump->Refill();
}

bool ShellDebugUi::IsWatchPaneOpen() { return Watch() != nullptr; }
cWatchPane *ShellDebugUi::Watch() const { return dynamic_cast<cWatchPane *>(OpenPane(DebugPane::Watch)); }

void ShellDebugUi::StoreWatchValues() {
  if (cWatchPane *watch = Watch())
    watch->StoreValues(CurrentWatchResults.count, CurrentWatchResults.bytes.data(), CurrentWatchResults.bytes.size());
}

void ShellDebugUi::ShowWatchValues(ADDR24 pc) {
  if (cWatchPane *watch = Watch())
    watch->ShowValues(pc);
}

cStdioPane *ShellDebugUi::Stdio() { return dynamic_cast<cStdioPane *>(OpenPane(DebugPane::Stdio)); }

void ShellDebugUi::WriteStdioBlock(const uint8_t *bytes, size_t count) {
  // The program's output opens its pane: nothing it writes is lost.
  if (!Stdio())
    window_.ShowPane(DebugPane::Stdio);
  if (cStdioPane *stdio = Stdio())
    stdio->Write(bytes, count);
}

std::optional<uint8_t> ShellDebugUi::ReadStdioChar() {
  cStdioPane *stdio = Stdio();
  return stdio ? stdio->ReadTyped() : std::nullopt;
}

void ShellDebugUi::FillOpenedPane(DebugPane pane, TextPane &shown) {
  if (window_.Core().State() != RunState::Stopped)
    return;
  MainWindowCore &core = window_.Core();
  // Reading the board: no poll may cut in.
  const bool polling = window_.PollTimerRunning();
  core.StopPollTimer();
  core.RunGuarded([&] {
    switch (pane) {
    case DebugPane::Register:
      if (auto *lines = dynamic_cast<DebugLinePane *>(&shown))
        FormatRegisterWindow(*lines, ProgramFrame());
      break;
    case DebugPane::Stack:
      if (auto *lines = dynamic_cast<DebugLinePane *>(&shown))
        FormatStackWindow(*lines, ProgramFrame(), kStackPaneWords);
      break;
    case DebugPane::Assembly:
      if (auto *listing = dynamic_cast<DebugListingPane *>(&shown))
        ShowAssemblyAtPc(*listing);
      break;
    default: break;
    }
  });
  if (polling && core.Debugging())
    core.StartPollTimer();
}

} // namespace tsw
