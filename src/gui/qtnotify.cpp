#include "gui/qtnotify.h"

#include <QApplication>
#include <QMessageBox>

#include "gui/shellstate.h"
#include "gui/statbar.h"

namespace tsw {
namespace {

QMessageBox::StandardButtons ToButtons(plat::Buttons buttons) {
  switch (buttons) {
  case plat::Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
  case plat::Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
  case plat::Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  case plat::Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
  case plat::Buttons::Ok: break;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(plat::Icon icon) {
  switch (icon) {
  case plat::Icon::Error: return QMessageBox::Critical;
  case plat::Icon::Warning: return QMessageBox::Warning;
  case plat::Icon::Information: return QMessageBox::Information;
  case plat::Icon::Question: return QMessageBox::Question;
  case plat::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

plat::Answer ToAnswer(int button) {
  switch (button) {
  case QMessageBox::Cancel: return plat::IDCANCEL;
  case QMessageBox::Yes: return plat::IDYES;
  case QMessageBox::No: return plat::IDNO;
  case QMessageBox::Retry: return plat::IDRETRY;
  default: return plat::IDOK;
  }
}

} // namespace

plat::Answer QtNotifier::MessageBox(const std::string &title, const std::string &text, plat::Buttons buttons,
                                    plat::Icon icon) {
  QMessageBox box(ToIcon(icon), QString::fromUtf8(title), QString::fromUtf8(text), ToButtons(buttons),
                  QApplication::activeWindow());
  return ToAnswer(box.exec());
}

void QtNotifier::StatusText(const std::string &text) {
  if (cStatBar *bar = Shell().statusBar)
    bar->ShowMessage(text);
}

} // namespace tsw
