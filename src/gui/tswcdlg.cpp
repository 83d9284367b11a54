#include "gui/tswcdlg.h"

#include "foundation/xerr.h"

namespace tsw {

// The line the cancel is reported from: reports tell it from the other
// user cancels by it.
static constexpr uint32_t kCancelLine = 403;

cDialogControl::~cDialogControl() {
  if (busy_)
    host_->EnableMainWindow(true);
}

void cDialogControl::Open(bool withCancel) {
  host_->EnableMainWindow(false);
  busy_ = true;
  if (!dialog_)
    dialog_ = host_->CreateDialog(withCancel);
}

void cDialogControl::SetText(const std::string &text) {
  host_->ClearStatusMessage();
  if (dialog_)
    dialog_->SetText(text);
}

void cDialogControl::Pump() {
  struct DepthGuard {
    int8_t &depth;
    explicit DepthGuard(int8_t &d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(depth_);
  std::shared_ptr<MessageDialogWindow> window = dialog_;
  if (!window)
    return;
  try {
    window->HandlePending();
    // A handler may have closed this dialog, or opened another; only the
    // dialog still held can ask for a cancel.
    if (dialog_ == window && window->CancelRequested())
      throw xUserCancel(kDialogModule, kCancelLine);
  } catch (...) {
    dialog_.reset();
    throw;
  }
}

void cDialogControl::Close() {
  host_->EnableMainWindow(true);
  busy_ = false;
  dialog_.reset();
}

void OpenMessageDialog(cDialogControl &holder, uint8_t withCancel) { holder.Open(withCancel != 0); }
void SetMessageDialogText(cDialogControl &holder, const std::string &text) { holder.SetText(text); }
void PumpMessageDialog(cDialogControl &holder) { holder.Pump(); }
void CloseMessageDialog(cDialogControl &holder) { holder.Close(); }

void cTCPPassPhraseControl::Ask() {
  if (current_ || remember_)
    return;
  have_ = false;
  current_ = dialog_ ? dialog_() : PassPhraseEntry{};
  if (!current_->accepted)
    return;
  phrase_ = current_->text.substr(0, kMaxPassPhrase);
  have_ = true;
}

void cTCPPassPhraseControl::Release() {
  if (!current_)
    return;
  // A cancelled dialog never asks to remember.
  remember_ = current_->accepted && current_->remember;
  current_.reset();
}

} // namespace tsw
