#pragma once

#include <QDialog>
#include <QObject>

#include <functional>
#include <memory>

#include "gui/tswcdlg.h"
#include "foundation/msgnumbers.h"

class QLabel;
class QPushButton;
class QWidget;

// The please-wait dialog as a window: one line of progress text and, when
// asked for, a Cancel button. It is modeless; the operation it belongs to
// pumps it.
namespace tsw {

inline constexpr int kPleaseWaitTextId = 101;
inline constexpr int kPleaseWaitTextLimit = 240;

class cDlgMsg : public QDialog, public MessageDialogWindow {
  Q_OBJECT
public:
  // `mainWindow` is the window it is centred over.
  cDlgMsg(QWidget *mainWindow, bool withCancel);

  void SetText(const std::string &text) override;
  void HandlePending() override;
  bool CancelRequested() const override { return cancelRequested_; }

  QString Text() const;
  QPushButton *CancelButton() const { return cancel_; }

  // The Cancel button, the close box and Escape all end here.
  void reject() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  QLabel *text_ = nullptr;
  QPushButton *cancel_ = nullptr;
  bool cancelRequested_ = false;
};

// Serves the holder for the real windows. While busy it keeps the user out
// of the main frame: the frame's own widgets are disabled, system keys
// (Alt with a key) are eaten and the frame refuses to close.
class QtMessageDialogHost : public QObject, public MessageDialogHost {
  Q_OBJECT
public:
  // `frame` is the main frame; `clearStatus` empties the status message.
  QtMessageDialogHost(QWidget *frame, std::function<void()> clearStatus);
  ~QtMessageDialogHost() override;

  std::unique_ptr<MessageDialogWindow> CreateDialog(bool withCancel) override;
  void EnableMainWindow(bool enable) override;
  void ClearStatusMessage() override;

  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QWidget *frame_;
  std::function<void()> clearStatus_;
  bool filtering_ = false;
};

} // namespace tsw
