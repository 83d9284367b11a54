#include "gui/dlgdasm.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"

namespace tsw {
namespace {

constexpr const char *kErrorCaption = "Error";

} // namespace

std::optional<ADDR24> ParseDasmAddress(const std::string &text) {
  unsigned segment = 0, offset = 0;
  if (std::sscanf(text.c_str(), "%2x:*%4x", &segment, &offset) == 2 ||
      std::sscanf(text.c_str(), "%2x:%4x", &segment, &offset) == 2)
    return MakeAddr24(uint8_t(segment), uint16_t(offset));
  if (std::sscanf(text.c_str(), "%4x", &offset) == 1)
    return MakeAddr24(0, uint16_t(std::min<unsigned>(offset, kDasmOffsetLimit)));
  return std::nullopt;
}

void DasmHistory::Add(const std::string &text) {
  if (std::find(entries.begin(), entries.end(), text) != entries.end())
    return;
  entries.push_front(text);
  if (entries.size() > kMaxEntries)
    entries.pop_back();
}

std::optional<ADDR24> RunDasmDialog(const LanguageModule &module, QWidget *mainWindow, DasmHistory &history) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kDasmTemplate, mainWindow, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *combo = made ? dynamic_cast<QComboBox *>(FindControl(*made, kDasmAddressId)) : nullptr;
  if (!dialog || !combo)
    return std::nullopt;
  combo->setEditable(true);
  for (const std::string &entry : history.entries)
    combo->addItem(QString::fromStdString(entry));
  const int last = combo->findText(QString::fromStdString(history.last), Qt::MatchExactly);
  if (last >= 0)
    combo->setCurrentIndex(last);
  else if (combo->count() > 0)
    combo->setCurrentIndex(0);
  combo->lineEdit()->setMaxLength(int(DasmHistory::kTextLimit));
  combo->lineEdit()->selectAll();

  std::optional<ADDR24> address;
  const bool accepted = ExecTemplateDialog(*dialog, [&] {
    const std::string text = combo->currentText().toStdString().substr(0, DasmHistory::kTextLimit);
    history.last = text;
    history.Add(text);
    address = ParseDasmAddress(text);
    if (!address) {
      plat::Notifier().MessageBox(kErrorCaption, GetResourceString(kMsgInvalidAddress), plat::Buttons::Ok,
                                  plat::Icon::Error);
      return;
    }
    dialog->accept();
  });
  if (!accepted)
    return std::nullopt;
  return address;
}

} // namespace tsw
