#include "gui/shellrti.h"

#include <QFileDialog>

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "platform/notify.h"

namespace tsw {

std::optional<std::string> ShellRti::ChooseRtiFile() {
  if (chooser)
    return chooser();
  QString chosen = QFileDialog::getSaveFileName(parent_, QString(), QString(), "*.RTI");
  if (chosen.isEmpty())
    return std::nullopt;
  return chosen.toStdString();
}

void ShellRti::ShowMessageBox(unsigned message) {
  plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), GetResourceString(message), plat::Buttons::Ok,
                              plat::Icon::Error);
}

} // namespace tsw
