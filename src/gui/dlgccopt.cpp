#include "gui/dlgccopt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cstdlib>
#include <memory>

#include "foundation/msgcatalog.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/buildcmds.h"
#include "gui/exelock.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
#include "platform/notify.h"

namespace tsw {
namespace {

constexpr const char *kCompilerOptionsTemplate = "DIALOG_CCOPT";
constexpr const char *kDefinesTemplate = "DIALOG_DEFINES";
constexpr uint32_t kDefinesHelpId = 998;
constexpr uint32_t kWarnAllId = 101, kWarnNoneId = 102, kWarnSeriousId = 103;
constexpr uint32_t kIndexId = 104, kPtrId = 105, kSizeId = 107, kSpeedId = 108;
constexpr uint32_t kTcProtId = 117, kTcPtrId = 119, kTcDmtnId = 118;
constexpr uint32_t kBiosFileType0Id = 128, kBiosFileType1Id = 125;
constexpr uint32_t kUserLibId = 113, kUserLibDirId = 114, kUserLibChooseId = 115;
constexpr uint32_t kUserBiosId = 130, kUserBiosFileId = 132, kUserBiosChooseId = 131;
constexpr uint32_t kWatchAnyId = 109, kWatchRestrictedId = 110;
constexpr uint32_t kMaxErrorsId = 116, kWarningTotalId = 111, kDefinesId = 106;
constexpr uint32_t kDefinesTextId = 101;

// "warn" by radio button: every warning, none, the serious ones.
constexpr uint16_t kWarnAll = 2, kWarnNone = 0, kWarnSerious = 1;

// The message window keeps this many rows besides the errors and warnings.
constexpr unsigned kMessageRowsBeyondLimits = 2;
constexpr int kMaxErrorsLow = 1, kMaxErrorsHigh = 100;
// A total below two would leave no serious warning at all.
constexpr int kWarningTotalLow = 2, kWarningTotalHigh = 100;
constexpr size_t kPathFieldSize = 260;
constexpr size_t kLibDirAppendLimit = 260;

const FileChoice kLibraryDirectoryChoice = {
    "Library Directory Files (*.dir);;Text Files (*.txt);;Any File (*)", "Choose a Library Directory File", {}};
const FileChoice kBiosChoice = {"BIOS Files (*.c *.C)", "Choose a BIOS to Compile", {}};

std::string FieldText(QLineEdit *edit) { return edit->text().toStdString().substr(0, kPathFieldSize - 1); }

// A number field as the user left it: none when empty, else its value as
// atoi reads it, which the range check then judges.
std::optional<int> NumberField(QLineEdit *edit) {
  const std::string text = edit->text().toStdString();
  if (text.empty())
    return std::nullopt;
  return std::atoi(text.c_str());
}

// Shows the range message for `field` and puts the caret there.
void RefuseRange(QLineEdit *edit, const char *field, int low, int high) {
  plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle),
                              FormatMessage<kMsgOptionOutOfRange>(field, low, high), plat::Buttons::Ok,
                              plat::Icon::Warning);
  edit->setFocus();
  edit->selectAll();
}

std::optional<std::string> SystemFileChoice(QWidget *parent, const FileChoice &choice) {
  ExecutableReleased released;
  const QString chosen =
      QFileDialog::getOpenFileName(parent, QString::fromStdString(choice.title), QString::fromStdString(choice.initial),
                                   QString::fromStdString(choice.filter));
  if (chosen.isEmpty())
    return std::nullopt;
  return chosen.toStdString();
}

} // namespace

std::string CompilerLibraryDirectory(const Settings &settings, const std::string &programDirectory) {
  if (settings.main.userLibEnabled)
    return Upper(settings.locations.userLibDir);
  return programDirectory + Upper(settings.locations.defaultLibDir).substr(0, kLibDirAppendLimit);
}

std::optional<std::string> RunDefinesDialog(const LanguageModule &module, QWidget *parent, const std::string &text) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kDefinesTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *edit = dialog ? Control<QPlainTextEdit>(*dialog, kDefinesTextId) : nullptr;
  if (!edit)
    return std::nullopt;
  edit->setPlainText(QString::fromStdString(text));
  edit->setFocus();
  if (!ExecTemplateDialog(*dialog, {}, kDefinesHelpId))
    return std::nullopt;
  return edit->toPlainText().toStdString();
}

bool RunCompilerOptionsDialog(const LanguageModule &module, QWidget *parent, Settings &settings,
                              CompilerOptionValues &values, const CompilerOptionsServices &services) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kCompilerOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return false;
  QDialog &d = *dialog;
  auto check = [&](uint32_t id) { return Control<QCheckBox>(d, id); };
  auto radio = [&](uint32_t id) { return Control<QRadioButton>(d, id); };
  auto edit = [&](uint32_t id) { return Control<QLineEdit>(d, id); };
  for (uint32_t id : {kIndexId, kPtrId, kTcProtId, kTcPtrId, kTcDmtnId, kUserLibId, kUserBiosId})
    if (!check(id))
      return false;
  for (uint32_t id : {kWarnAllId, kWarnNoneId, kWarnSeriousId, kSizeId, kSpeedId, kBiosFileType0Id, kBiosFileType1Id,
                      kWatchAnyId, kWatchRestrictedId})
    if (!radio(id))
      return false;
  for (uint32_t id : {kUserLibDirId, kUserBiosFileId, kMaxErrorsId, kWarningTotalId})
    if (!edit(id))
      return false;

  // Each set of radio buttons chooses one value, whatever the template
  // put next to it.
  for (std::initializer_list<uint32_t> set : {std::initializer_list<uint32_t>{kWarnAllId, kWarnNoneId, kWarnSeriousId},
                                              {kSizeId, kSpeedId},
                                              {kBiosFileType0Id, kBiosFileType1Id},
                                              {kWatchAnyId, kWatchRestrictedId}}) {
    auto *group = new QButtonGroup(&d);
    for (uint32_t id : set)
      group->addButton(radio(id));
  }

  // Set-up: the controls from the values.
  radio(kWarnAllId)->setChecked(values.warn == kWarnAll);
  radio(kWarnNoneId)->setChecked(values.warn == kWarnNone);
  radio(kWarnSeriousId)->setChecked(values.warn == kWarnSerious);
  check(kIndexId)->setChecked(values.index != 0);
  check(kPtrId)->setChecked(values.ptr != 0);
  radio(values.size != 0 ? kSizeId : kSpeedId)->setChecked(true);
  check(kTcProtId)->setChecked(values.tcprot != 0);
  check(kTcPtrId)->setChecked(values.tcptr != 0);
  check(kTcDmtnId)->setChecked(values.tcdmtn != 0);
  if (settings.main.biosFileType == 0)
    radio(kBiosFileType0Id)->setChecked(true);
  else if (settings.main.biosFileType == 1)
    radio(kBiosFileType1Id)->setChecked(true);
  check(kUserLibId)->setChecked(settings.main.userLibEnabled);
  edit(kUserLibDirId)->setMaxLength(int(kPathFieldSize - 1));
  edit(kUserLibDirId)->setText(QString::fromStdString(settings.locations.userLibDir));
  check(kUserBiosId)->setChecked(settings.main.userBiosEnabled);
  edit(kUserBiosFileId)->setMaxLength(int(kPathFieldSize - 1));
  edit(kUserBiosFileId)->setText(QString::fromStdString(settings.locations.defaultUserBios));
  radio(settings.main.restrictWatchExp ? kWatchRestrictedId : kWatchAnyId)->setChecked(true);
  const CompilerPreferences &limits = settings.compiler;
  edit(kMaxErrorsId)->setText(QString::number(limits.maxErrors));
  edit(kWarningTotalId)->setText(QString::number(limits.maxSeriousWarnings + limits.maxTrivialWarnings));

  // A path field and its chooser only while their check box is on.
  auto follow = [&](uint32_t box, uint32_t field, uint32_t chooser) {
    auto apply = [&d, field, chooser](bool on) {
      if (QWidget *w = FindControl(d, field))
        w->setEnabled(on);
      if (QWidget *w = FindControl(d, chooser))
        w->setEnabled(on);
    };
    apply(check(box)->isChecked());
    QObject::connect(check(box), &QCheckBox::toggled, &d, apply);
  };
  follow(kUserLibId, kUserLibDirId, kUserLibChooseId);
  follow(kUserBiosId, kUserBiosFileId, kUserBiosChooseId);

  auto chooser = [&](uint32_t button, uint32_t field, const FileChoice &kind) {
    auto *b = Control<QPushButton>(d, button);
    if (!b)
      return;
    QObject::connect(b, &QPushButton::clicked, &d, [&, field, kind] {
      FileChoice choice = kind;
      choice.initial = edit(field)->text().toStdString();
      if (choice.initial.empty())
        choice.initial = services.executableDirectory;
      const std::optional<std::string> chosen =
          services.chooseFile ? services.chooseFile(&d, choice) : SystemFileChoice(&d, choice);
      if (chosen)
        edit(field)->setText(QString::fromStdString(*chosen));
    });
  };
  chooser(kUserLibChooseId, kUserLibDirId, kLibraryDirectoryChoice);
  chooser(kUserBiosChooseId, kUserBiosFileId, kBiosChoice);

  if (auto *defines = Control<QPushButton>(d, kDefinesId))
    QObject::connect(defines, &QPushButton::clicked, &d, [&] {
      const std::string text = services.definesText ? services.definesText() : std::string();
      if (std::optional<std::string> confirmed = RunDefinesDialog(module, &d, text))
        if (services.setDefines)
          services.setDefines(*confirmed);
    });

  // OK closes only once both numbers are in range.
  std::optional<int> errors, warnings;
  const bool accepted = ExecTemplateDialog(d, [&] {
    errors = NumberField(edit(kMaxErrorsId));
    if (errors && (*errors < kMaxErrorsLow || *errors > kMaxErrorsHigh)) {
      RefuseRange(edit(kMaxErrorsId), "Errors", kMaxErrorsLow, kMaxErrorsHigh);
      return;
    }
    warnings = NumberField(edit(kWarningTotalId));
    if (warnings && (*warnings < kWarningTotalLow || *warnings > kWarningTotalHigh)) {
      RefuseRange(edit(kWarningTotalId), "Warnings", kWarningTotalLow, kWarningTotalHigh);
      return;
    }
    d.accept();
  });
  if (!accepted)
    return false;

  values.index = check(kIndexId)->isChecked();
  values.ptr = check(kPtrId)->isChecked();
  values.size = radio(kSizeId)->isChecked();
  if (radio(kWarnAllId)->isChecked())
    values.warn = kWarnAll;
  else if (radio(kWarnSeriousId)->isChecked())
    values.warn = kWarnSerious;
  else if (radio(kWarnNoneId)->isChecked())
    values.warn = kWarnNone;
  values.tcprot = check(kTcProtId)->isChecked();
  values.tcptr = check(kTcPtrId)->isChecked();
  values.tcdmtn = check(kTcDmtnId)->isChecked();
  if (radio(kBiosFileType0Id)->isChecked())
    settings.main.biosFileType = 0;
  else if (radio(kBiosFileType1Id)->isChecked())
    settings.main.biosFileType = 1;
  settings.main.userLibEnabled = check(kUserLibId)->isChecked();
  settings.main.userBiosEnabled = check(kUserBiosId)->isChecked();
  settings.locations.defaultUserBios = FieldText(edit(kUserBiosFileId));
  settings.locations.userLibDir = FieldText(edit(kUserLibDirId));
  settings.main.restrictWatchExp = radio(kWatchRestrictedId)->isChecked();
  CompilerPreferences &prefs = settings.compiler;
  if (errors)
    prefs.maxErrors = uint16_t(*errors);
  if (warnings) {
    prefs.maxSeriousWarnings = uint16_t(*warnings / 2);
    prefs.maxTrivialWarnings = uint16_t(*warnings - *warnings / 2);
    prefs.maxRows = uint16_t(errors.value_or(0) + *warnings + int(kMessageRowsBeyondLimits));
  }
  return true;
}

} // namespace tsw
