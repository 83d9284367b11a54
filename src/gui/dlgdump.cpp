#include "gui/dlgdump.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "foundation/msgcatalog.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"

namespace tsw {
namespace {

constexpr uint32_t kAddressId = 102, kToFileId = 103, kFileId = 104, kLengthId = 105;
constexpr uint32_t kLogicalId = 108, kPhysicalId = 109, kFlashId = 111;
constexpr size_t kPhysicalDigits = 6;
constexpr const char *kAddressCaption = "Address Error";
constexpr const char *kDumpModule = "gui\\tswmainw";

std::optional<uint32_t> Hex(const std::string &text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits)
    return std::nullopt;
  char *end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (*end != '\0' || text.find_first_of("+- ") != std::string::npos)
    return std::nullopt;
  return uint32_t(value);
}

void Fill(QComboBox &combo, const DasmHistory &history) {
  combo.setEditable(true);
  for (const std::string &entry : history.entries)
    combo.addItem(QString::fromStdString(entry));
  const int last = combo.findText(QString::fromStdString(history.last), Qt::MatchExactly);
  if (last >= 0)
    combo.setCurrentIndex(last);
  else if (combo.count() > 0)
    combo.setCurrentIndex(0);
}

} // namespace

DumpAddressParse ParseDumpAddress(const std::string &text, bool physicalForm, const DumpAddressing &previous) {
  DumpAddressing at = previous;
  at.physicalForm = physicalForm;
  if (physicalForm) {
    std::optional<uint32_t> value = Hex(text, kPhysicalDigits);
    if (!value)
      return {std::nullopt, kMsgPhysicalAddress};
    at.physicalAddress = *value;
    return {at, 0};
  }
  if (size_t colon = text.find(':'); colon != std::string::npos) {
    std::optional<uint32_t> segment = Hex(text.substr(0, colon), 2);
    std::optional<uint32_t> offset = Hex(text.substr(colon + 1), 4);
    if (!segment || !offset)
      return {std::nullopt, kMsgInvalidAddress};
    at.address = MakeAddr24(uint8_t(*segment), uint16_t(*offset));
    at.segmentForm = true;
    return {at, 0};
  }
  std::optional<uint32_t> logical = Hex(text, 4);
  if (!logical)
    return {std::nullopt, kMsgInvalidAddress};
  if (*logical >= kLogicalDumpLimit)
    return {std::nullopt, kMsgLogicalAddress};
  at.address = MakeAddr24(0, uint16_t(*logical));
  at.segmentForm = false;
  return {at, 0};
}

int CopyFlash(uint32_t flashSize, const FlashCopy &copy) {
  std::vector<uint8_t> block(kFlashCopyBlock);
  for (uint32_t done = 0; done < flashSize;) {
    const uint32_t count = std::min(kFlashCopyBlock, flashSize - done);
    copy.read(done, count, block.data());
    errno = 0;
    if (!copy.write(block.data(), count))
      return errno ? errno : EIO;
    done += count;
    if (copy.progress)
      copy.progress(done, flashSize);
  }
  return 0;
}

bool RunDumpDialog(const LanguageModule &module, QWidget *mainWindow, DumpDialogState &state,
                   const DumpActions &actions) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kDumpTemplate, mainWindow, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return false;
  auto *address = Control<QComboBox>(*dialog, kAddressId);
  auto *toFile = Control<QCheckBox>(*dialog, kToFileId);
  auto *file = Control<QComboBox>(*dialog, kFileId);
  auto *length = Control<QLineEdit>(*dialog, kLengthId);
  auto *logical = Control<QRadioButton>(*dialog, kLogicalId);
  auto *physical = Control<QRadioButton>(*dialog, kPhysicalId);
  if (!address || !toFile || !file || !length || !logical || !physical)
    return false;
  auto *flash = Control<QRadioButton>(*dialog, kFlashId);
  if (flash)
    flash->setEnabled(bool(actions.copyFlash));
  Fill(*address, state.addresses);
  Fill(*file, state.files);
  address->lineEdit()->setMaxLength(int(DasmHistory::kTextLimit));
  (state.physicalForm ? physical : logical)->setChecked(true);
  toFile->setChecked(false);
  bool lengthIsFlash = false;
  auto flashChosen = [=] { return flash && flash->isChecked(); };
  auto follow = [=] {
    file->setEnabled(toFile->isChecked());
    length->setEnabled(toFile->isChecked() && !flashChosen());
    if (toFile->isChecked() && length->text().isEmpty())
      length->setText(QString::number(kDumpDefaultLength));
  };
  follow();
  QObject::connect(toFile, &QCheckBox::toggled, dialog, follow);
  if (flash)
    QObject::connect(flash, &QRadioButton::clicked, dialog, [&, follow] {
      toFile->setChecked(true);
      length->setText(QString::number(actions.flashSize));
      lengthIsFlash = true;
      follow();
    });
  for (QRadioButton *form : {logical, physical})
    QObject::connect(form, &QRadioButton::clicked, dialog, [&, follow] {
      if (!lengthIsFlash)
        return;
      lengthIsFlash = false;
      toFile->setChecked(false);
      length->clear();
      follow();
    });

  bool done = false;
  auto refuse = [&](unsigned message, const std::string &caption, const std::string &text) {
    plat::Notifier().MessageBox(caption, text.empty() ? std::string(GetResourceString(message)) : text,
                                plat::Buttons::Ok, plat::Icon::Error);
  };
  ExecTemplateDialog(*dialog, [&] {
    const std::string fileName = file->currentText().toStdString();
    if (!fileName.empty()) {
      state.files.last = fileName;
      state.files.Add(fileName);
    }
    state.physicalForm = physical->isChecked();
    if (flashChosen()) {
      // An existing file is written over only when the user agrees.
      const bool exists = std::filesystem::exists(fileName);
      if (!exists || plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), fileName + " Exists. Overwrite?",
                                                 plat::Buttons::OkCancel, plat::Icon::Question) == plat::IDOK) {
        try {
          actions.copyFlash(fileName);
          done = true;
        } catch (const xErr &error) {
          error.Report();
        } catch (...) {
          xInternal(kDumpModule, __LINE__).Report();
        }
      }
      dialog->accept();
      return;
    }
    const std::string text = address->currentText().toStdString().substr(0, DasmHistory::kTextLimit);
    DumpAddressParse parsed = ParseDumpAddress(text, state.physicalForm, state.at);
    if (!parsed.at) {
      refuse(parsed.error, kAddressCaption, {});
      return;
    }
    state.at = *parsed.at;
    state.addresses.last = text;
    state.addresses.Add(text);
    // The board is read from inside the dialog's event loop: what fails
    // there is reported here and ends the dialog.
    try {
      if (toFile->isChecked()) {
        char *end = nullptr;
        const std::string lengthText = length->text().toStdString();
        long bytes = std::strtol(lengthText.c_str(), &end, 10);
        if (end == lengthText.c_str())
          bytes = kDumpDefaultLength;
        if (bytes > 0 && actions.writeFile && !actions.writeFile(state.at, uint32_t(bytes), fileName)) {
          refuse(0, GetResourceString(kMsgMessageTitle), FormatMessage<kMsgCannotCreate>(fileName));
          return;
        }
      } else if (actions.showPane) {
        actions.showPane(state.at);
      }
      done = true;
    } catch (const xErr &error) {
      error.Report();
    } catch (...) {
      xInternal(kDumpModule, __LINE__).Report();
    }
    dialog->accept();
  });
  return done;
}

} // namespace tsw
