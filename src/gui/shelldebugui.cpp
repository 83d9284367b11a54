#include "gui/shelldebugui.h"

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/frames.h"
#include "gui/shelllinkhost.h"
#include "gui/shellstate.h"
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

} // namespace tsw
