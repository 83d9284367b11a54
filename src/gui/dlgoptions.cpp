#include "gui/dlgoptions.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>

#include "gui/resbuilder.h"
#include "gui/settings.h"

namespace tsw {
namespace {

constexpr const char *kEditorOptionsTemplate = "DIALOG_EDOPT";
constexpr uint32_t kOkId = 1, kCancelId = 2, kHelpId = 123;
constexpr uint32_t kTabsId = 101, kAutoIndentId = 102, kTrailingId = 103;

template <class W> W *Control(QWidget &dialog, uint32_t id) { return dynamic_cast<W *>(FindControl(dialog, id)); }

} // namespace

void ApplyEditorOptions(EditorSettings &editor, bool autoIndent, bool removeTrailingWhitespace,
                        const std::string &tabText) {
  editor.autoIndent = autoIndent;
  editor.removeTrailingWhitespace = removeTrailingWhitespace;
  char *end = nullptr;
  errno = 0;
  const long tabs = std::strtol(tabText.c_str(), &end, 10);
  if (end != tabText.c_str() && errno == 0 && tabs >= 1 && tabs <= std::numeric_limits<uint16_t>::max())
    editor.tabs = uint16_t(tabs);
}

bool RunEditorOptionsDialog(const LanguageModule &module, QWidget *parent, EditorSettings &editor) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kEditorOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *tabs = dialog ? Control<QLineEdit>(*dialog, kTabsId) : nullptr;
  auto *indent = dialog ? Control<QCheckBox>(*dialog, kAutoIndentId) : nullptr;
  auto *trailing = dialog ? Control<QCheckBox>(*dialog, kTrailingId) : nullptr;
  if (!tabs || !indent || !trailing)
    return false;
  tabs->setText(QString::number(editor.tabs));
  indent->setChecked(editor.autoIndent);
  trailing->setChecked(editor.removeTrailingWhitespace);
  // Help comes with the help viewer.
  if (auto *help = Control<QPushButton>(*dialog, kHelpId))
    help->setEnabled(false);
  if (auto *ok = Control<QPushButton>(*dialog, kOkId))
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  if (auto *cancel = Control<QPushButton>(*dialog, kCancelId))
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  if (dialog->exec() != QDialog::Accepted)
    return false;
  ApplyEditorOptions(editor, indent->isChecked(), trailing->isChecked(), tabs->text().toStdString());
  return true;
}

} // namespace tsw
