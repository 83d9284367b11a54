#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/pleasewait.h"

// The one please-wait holder. Its logic needs no window system: the dialog
// window and the windows around it come in through two small interfaces, so
// the busy flag, the pump depth and the cancel rules are tested with fakes.
namespace tsw {

// One open please-wait dialog window.
class MessageDialogWindow {
public:
  virtual ~MessageDialogWindow() = default;
  virtual void SetText(const std::string &text) = 0;
  // Handles the window events that are pending, without waiting for more.
  virtual void HandlePending() = 0;
  // Set once the Cancel button, the close box or Escape ended the dialog.
  virtual bool CancelRequested() const = 0;
};

// What the holder needs of the windows around it.
class MessageDialogHost {
public:
  virtual ~MessageDialogHost() = default;
  virtual std::unique_ptr<MessageDialogWindow> CreateDialog(bool withCancel) = 0;
  virtual void EnableMainWindow(bool enable) = 0;
  // Empties the status bar's message when the bar exists.
  virtual void ClearStatusMessage() = 0;
};

inline constexpr const char *kDialogModule = "gui\\common\\tswcdlg";

class cDialogControl : public plat::PleaseWaitService {
public:
  explicit cDialogControl(MessageDialogHost &host) : host_(&host) {}
  ~cDialogControl() override;
  cDialogControl(const cDialogControl &) = delete;
  cDialogControl &operator=(const cDialogControl &) = delete;

  void Open(bool withCancel) override;
  void SetText(const std::string &text) override;
  void Pump() override;
  void Close() override;
  bool Busy() const override { return busy_; }
  int PumpDepth() const override { return depth_; }

  bool HasDialog() const { return dialog_ != nullptr; }
  const MessageDialogWindow *Dialog() const { return dialog_.get(); }

private:
  MessageDialogHost *host_;
  // Shared so that a pump keeps the window alive while a handler it
  // dispatched closes the dialog.
  std::shared_ptr<MessageDialogWindow> dialog_;
  int8_t depth_ = 0;
  bool busy_ = false;
};

// What the pass-phrase dialog gave: OK or not, the text, the remember box.
struct PassPhraseEntry {
  bool accepted = false;
  std::string text;
  bool remember = false;
};

// The board's pass phrase for the TCP/IP login: asked in a dialog unless an
// earlier OK asked to remember it for the session.
class cTCPPassPhraseControl {
public:
  // The text the dialog keeps: 255 characters.
  static constexpr size_t kMaxPassPhrase = 255;
  // Runs the dialog modally and gives what the user entered.
  using Dialog = std::function<PassPhraseEntry()>;
  explicit cTCPPassPhraseControl(Dialog dialog) : dialog_(std::move(dialog)) {}

  // Shows the dialog unless the pass phrase is remembered or a dialog is
  // still current; after an OK the pass phrase is there.
  void Ask();
  // After the login attempt: the remember box of the dialog takes effect.
  void Release();
  // A refused login asks again the next time.
  void Forget() { remember_ = false; }

  bool HavePassPhrase() const { return have_; }
  const std::string &PassPhrase() const { return phrase_; }
  bool Remembered() const { return remember_; }

private:
  Dialog dialog_;
  std::optional<PassPhraseEntry> current_;
  std::string phrase_;
  bool have_ = false;
  bool remember_ = false;
};

void OpenMessageDialog(cDialogControl &holder, uint8_t withCancel);
void SetMessageDialogText(cDialogControl &holder, const std::string &text);
void PumpMessageDialog(cDialogControl &holder);
void CloseMessageDialog(cDialogControl &holder);

} // namespace tsw
