#include "gui/dlgmsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "foundation/restext.h"
#include "gui/placement.h"

namespace tsw {
namespace {

// The text shown before the first one arrives, so the line keeps its height.
constexpr int kInitialBlanks = 22;

Rect ToRect(const QRect &r) { return {r.x(), r.y(), r.width(), r.height()}; }

} // namespace

cDlgMsg::cDlgMsg(QWidget *mainWindow, bool withCancel) : QDialog(mainWindow) {
  setModal(false);
  setWindowTitle(QString());
  setObjectName("DIALOG_EMPTY");
  QFontMetrics metrics(font());
  PleaseWaitLayout layout = LayOutPleaseWait(metrics.averageCharWidth(), metrics.height(), withCancel);
  setFixedSize(layout.client.width, layout.client.height);

  text_ = new QLabel(QString(kInitialBlanks, ' '), this);
  text_->setObjectName(QString("c%1").arg(kPleaseWaitTextId));
  text_->setGeometry(layout.text.x, layout.text.y, layout.text.width, layout.text.height);
  text_->setFocusPolicy(Qt::NoFocus);
  if (withCancel) {
    cancel_ = new QPushButton(QString::fromUtf8(GetResourceString(kMsgPleaseWaitCancel)), this);
    cancel_->setObjectName("c2");
    cancel_->setDefault(true);
    cancel_->setGeometry(layout.cancel.x, layout.cancel.y, layout.cancel.width, layout.cancel.height);
    connect(cancel_, &QPushButton::clicked, this, &cDlgMsg::reject);
  }

  if (mainWindow) {
    QWidget *top = mainWindow->window();
    QSize screen = top->screen() ? top->screen()->size() : QSize(layout.client.width, layout.client.height);
    int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    Point at = PleaseWaitPosition(ToRect(top->frameGeometry()), top->isMaximized(),
                                  {layout.client.width, layout.client.height + caption},
                                  {screen.width(), screen.height()}, caption);
    move(at.x, at.y);
  }
}

void cDlgMsg::SetText(const std::string &text) {
  text_->setText(QString::fromUtf8(text.substr(0, kPleaseWaitTextLimit)));
}

QString cDlgMsg::Text() const { return text_->text(); }

void cDlgMsg::HandlePending() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void cDlgMsg::reject() {
  cancelRequested_ = true;
  QDialog::reject();
}

void cDlgMsg::closeEvent(QCloseEvent *event) {
  cancelRequested_ = true;
  QDialog::closeEvent(event);
}

QtMessageDialogHost::QtMessageDialogHost(QWidget *frame, std::function<void()> clearStatus)
    : frame_(frame), clearStatus_(std::move(clearStatus)) {}

QtMessageDialogHost::~QtMessageDialogHost() {
  if (filtering_)
    qApp->removeEventFilter(this);
}

std::unique_ptr<MessageDialogWindow> QtMessageDialogHost::CreateDialog(bool withCancel) {
  auto dialog = std::make_unique<cDlgMsg>(frame_, withCancel);
  dialog->show();
  return dialog;
}

void QtMessageDialogHost::EnableMainWindow(bool enable) {
  if (auto *frame = qobject_cast<QMainWindow *>(frame_)) {
    // The frame itself stays enabled, or the dialog it parents would be
    // disabled with it.
    for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
      if (!child->isWindow())
        child->setEnabled(enable);
  }
  if (enable == filtering_) {
    filtering_ = !enable;
    if (filtering_)
      qApp->installEventFilter(this);
    else
      qApp->removeEventFilter(this);
  }
}

void QtMessageDialogHost::ClearStatusMessage() {
  if (clearStatus_)
    clearStatus_();
}

bool QtMessageDialogHost::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
    if (static_cast<QKeyEvent *>(event)->modifiers() & Qt::AltModifier)
      return true;
    break;
  case QEvent::Close:
    if (watched == frame_) {
      event->ignore();
      return true;
    }
    break;
  default: break;
  }
  return QObject::eventFilter(watched, event);
}

} // namespace tsw
