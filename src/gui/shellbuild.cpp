#include "gui/shellbuild.h"

#include <QEventLoop>
#include <QTimer>

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/driverlink.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {
namespace {

cEditFrame *FrameOf(EditorFrameRef *ref) { return dynamic_cast<cEditFrame *>(ref); }

void Activate(cMainWindow &window, cEditFrame &frame) {
  frame.raise();
  window.setActiveSubWindow(&frame);
  if (QWidget *widget = frame.View()->Widget())
    widget->setFocus();
}

} // namespace

std::optional<std::string> ShellBuildWindows::TakeProgramFrame() {
  cEditFrame *frame = FrameOf(Shell().editorFrames.Head());
  if (!frame || !frame->HasView())
    return std::nullopt;
  Shell().currentProgramFrame = frame;
  Activate(window_, *frame);
  return frame->View()->FileName();
}

void ShellBuildWindows::TakeBiosFrame(const std::string &biosPath) {
  Shell().currentProgramFrame = FindEditFrameByName(Shell().editorFrames, biosPath);
}

bool ShellBuildWindows::EditorModified(const std::string &path) {
  cEditFrame *frame = FrameOf(FindEditFrameByName(Shell().editorFrames, path));
  return frame && frame->HasView() && frame->View()->Modified();
}

void ShellBuildWindows::RaiseRecentEditor() {
  if (cEditFrame *frame = FrameOf(Shell().editorFrames.Head()); frame && frame->HasView())
    Activate(window_, *frame);
}

bool ShellBuildWindows::PleaseWaitOpen() { return plat::PleaseWait().Busy(); }
void ShellBuildWindows::OpenPleaseWait(bool withCancel) { plat::PleaseWait().Open(withCancel); }
void ShellBuildWindows::SetPleaseWaitText(const std::string &text) { plat::PleaseWait().SetText(text); }
void ShellBuildWindows::ClosePleaseWait() {
  if (plat::PleaseWait().Busy())
    plat::PleaseWait().Close();
}

void ShellBuildWindows::ShowBox(unsigned message) {
  plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), GetResourceString(message), plat::Buttons::Ok,
                              plat::Icon::Information);
}

void ShellBuildWindows::Report(const xErr &error) { error.Report(); }

void ShellBuildWindows::Wait(uint32_t milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(int(milliseconds), &loop, &QEventLoop::quit);
  loop.exec();
}

cTextMessage *ShellBuildWindows::Messages() { return window_.MessagePane(); }

void ShellBuildWindows::Reload() {
  if (cTextMessage *pane = Messages())
    pane->Reload(driver::Diagnostics(), MessageLimitsOf(window_.SettingsInUse()));
}

bool ShellBuildWindows::MessageWindowOpen() { return window_.MessageFrame() != nullptr; }

void ShellBuildWindows::ShowMessageWindow() {
  QMdiSubWindow *frame = window_.ShowMessageWindow();
  if (!frame)
    return;
  frame->showNormal();
  window_.setActiveSubWindow(frame);
  Reload();
}

void ShellBuildWindows::FocusMessageWindow() {
  QMdiSubWindow *frame = window_.MessageFrame();
  if (!frame)
    return;
  frame->showNormal();
  Reload();
  frame->raise();
  window_.setActiveSubWindow(frame);
  if (QWidget *pane = frame->widget())
    pane->setFocus();
}

// A compile without a message leaves nothing to show; the window goes, and
// the next show makes a fresh one.
void ShellBuildWindows::ForgetMessageWindow() { delete window_.MessageFrame(); }

void ShellBuildWindows::ClearAndHideMessageWindow() {
  if (cTextMessage *pane = Messages())
    pane->Reload({}, MessageLimitsOf(window_.SettingsInUse()));
  HideMessageWindow();
}

void ShellBuildWindows::HideMessageWindow() {
  if (QMdiSubWindow *frame = window_.MessageFrame())
    frame->hide();
}

} // namespace tsw
