#include "gui/dlgpass.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <memory>

#include "gui/placement.h"
#include "gui/resbuilder.h"

namespace tsw {
namespace {

void CenterOver(QWidget &dialog, QWidget *mainWindow) {
  if (!mainWindow)
    return;
  QWidget *top = mainWindow->window();
  const QRect parent = top->frameGeometry();
  const QSize screen = top->screen() ? top->screen()->size() : dialog.size();
  Point at = CenterOverParent({parent.x(), parent.y(), parent.width(), parent.height()}, top->isMaximized(),
                              {dialog.width(), dialog.height()}, {screen.width(), screen.height()}, false);
  dialog.move(at.x, at.y);
}

} // namespace

PassPhraseEntry RunPassPhraseDialog(const LanguageModule &module, QWidget *mainWindow) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kPassPhraseTemplate, mainWindow, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *edit = made ? dynamic_cast<QLineEdit *>(FindControl(*made, kPassPhraseEditId)) : nullptr;
  auto *remember = made ? dynamic_cast<QCheckBox *>(FindControl(*made, kPassPhraseRememberId)) : nullptr;
  if (!dialog || !edit || !remember)
    return {};
  edit->setMaxLength(int(cTCPPassPhraseControl::kMaxPassPhrase));
  edit->setEchoMode(QLineEdit::Password);
  edit->clear();
  dialog->setModal(true);
  CenterOver(*dialog, mainWindow);
  edit->setFocus();
  PassPhraseEntry entry;
  entry.accepted = ExecTemplateDialog(*dialog);
  if (entry.accepted) {
    // The board takes the pass phrase's bytes; characters beyond Latin-1
    // have none.
    entry.text = edit->text().toLatin1().toStdString().substr(0, cTCPPassPhraseControl::kMaxPassPhrase);
    entry.remember = remember->isChecked();
  }
  return entry;
}

bool RunInformationDialog(const LanguageModule &module, const char *name, QWidget *owner) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, name, owner, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return false;
  CenterOver(*dialog, owner);
  ExecTemplateDialog(*dialog);
  return true;
}

} // namespace tsw
