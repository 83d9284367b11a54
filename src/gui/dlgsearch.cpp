#include "gui/dlgsearch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "gui/common/model/tswview.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"

namespace tsw {
namespace {

constexpr const char *kFindTemplate = "DIALOG_FIND";
constexpr const char *kReplaceTemplate = "DIALOG_REPLACE";
constexpr const char *kGotoTemplate = "DIALOG_GOTO";
constexpr uint32_t kFindTextId = 101;
// The find dialog's boxes.
constexpr uint32_t kFindCaseId = 102, kFindBackwardId = 104, kFindFromCaretId = 105;
// The replace dialog's.
constexpr uint32_t kReplaceTextId = 102, kReplaceCaseId = 103, kReplaceBackwardId = 105, kNoPromptId = 106,
                   kReplaceAllId = 107, kReplaceFromCaretId = 108, kSelectionOnlyId = 109;
constexpr uint32_t kGotoTextId = 101;

std::unique_ptr<QDialog> Load(const LanguageModule &module, const char *name, QWidget *parent) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, name, parent, nullptr);
  if (!dynamic_cast<QDialog *>(made.get()))
    return nullptr;
  return std::unique_ptr<QDialog>(static_cast<QDialog *>(made.release()));
}

// The history newest first, the current text selected: the first entry
// equal to it, else the newest.
void Fill(QComboBox &combo, const cComboList *history, const std::string &current) {
  combo.setEditable(true);
  combo.lineEdit()->setMaxLength(int(gui::kMaxSearchText));
  if (history)
    history->ForEach(
        [&](const std::string &text) { combo.addItem(QString::fromLatin1(text.data(), int(text.size()))); });
  const int equal = combo.findText(QString::fromLatin1(current.data(), int(current.size())),
                                   Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (combo.count() > 0)
    combo.setCurrentIndex(equal >= 0 ? equal : 0);
  if (combo.count() == 0 || equal < 0)
    combo.setEditText(QString::fromLatin1(current.data(), int(current.size())));
}

std::string TextOf(const QComboBox &combo) {
  const QByteArray bytes = combo.currentText().toLatin1();
  return std::string(bytes.constData(), std::min<size_t>(size_t(bytes.size()), gui::kMaxSearchText));
}

void SetOption(uint8_t &options, uint8_t option, bool on) {
  options = uint8_t(on ? options | option : options & ~option);
}

void Check(QDialog &dialog, uint32_t id, bool on) {
  if (auto *box = Control<QCheckBox>(dialog, id))
    box->setChecked(on);
}
bool Checked(QDialog &dialog, uint32_t id) {
  auto *box = Control<QCheckBox>(dialog, id);
  return box && box->isChecked();
}

} // namespace

void AddToSearchHistory(cComboList &history, const std::string &text) {
  const auto &entries = history.Entries();
  if (std::find(entries.begin(), entries.end(), text) == entries.end())
    history.Push(text);
}

int GotoLineNumber(const std::string &text) { return std::atoi(text.c_str()); }

cComboList *ModuleSearchDialogs::History(bool replacement) const {
  if (!state_.kept)
    return nullptr;
  return replacement ? &state_.kept->replaceHistory : &state_.kept->findHistory;
}

void ModuleSearchDialogs::TakeKept() {
  if (!state_.kept)
    return;
  gui::SearchState &last = gui::LastSearch();
  SetOption(last.options, gui::kCaseSensitive, state_.kept->caseSensitiveSearch);
  SetOption(last.options, gui::kFromCaret, state_.kept->searchFromCursor);
  state_.noPromptReplace = state_.kept->noPromptReplace;
}

void ModuleSearchDialogs::GiveKept() {
  if (!state_.kept)
    return;
  const gui::SearchState &last = gui::LastSearch();
  state_.kept->caseSensitiveSearch = last.options & gui::kCaseSensitive;
  state_.kept->searchFromCursor = last.options & gui::kFromCaret;
  state_.kept->noPromptReplace = state_.noPromptReplace;
}

bool ModuleSearchDialogs::Find(QWidget *parent) {
  std::unique_ptr<QDialog> dialog = Load(module_, kFindTemplate, parent);
  auto *text = dialog ? Control<QComboBox>(*dialog, kFindTextId) : nullptr;
  if (!text)
    return false;
  TakeKept();
  gui::SearchState &last = gui::LastSearch();
  Fill(*text, History(false), last.text);
  Check(*dialog, kFindCaseId, last.options & gui::kCaseSensitive);
  Check(*dialog, kFindBackwardId, last.options & gui::kBackward);
  Check(*dialog, kFindFromCaretId, last.options & gui::kFromCaret);
  text->setFocus();
  // Cancel leaves everything as it was.
  if (!ExecTemplateDialog(*dialog))
    return false;
  last.text = TextOf(*text);
  state_.lastWasReplace = false;
  SetOption(last.options, gui::kFromCaret, Checked(*dialog, kFindFromCaretId));
  SetOption(last.options, gui::kBackward, Checked(*dialog, kFindBackwardId));
  SetOption(last.options, gui::kCaseSensitive, Checked(*dialog, kFindCaseId));
  if (cComboList *history = History(false))
    AddToSearchHistory(*history, last.text);
  GiveKept();
  return true;
}

std::optional<gui::ReplaceRequest> ModuleSearchDialogs::Replace(QWidget *parent, bool hasSelection) {
  std::unique_ptr<QDialog> dialog = Load(module_, kReplaceTemplate, parent);
  auto *find = dialog ? Control<QComboBox>(*dialog, kFindTextId) : nullptr;
  auto *replacement = dialog ? Control<QComboBox>(*dialog, kReplaceTextId) : nullptr;
  if (!find || !replacement)
    return std::nullopt;
  TakeKept();
  gui::SearchState &last = gui::LastSearch();
  state_.selectionOnly = hasSelection;
  Fill(*find, History(false), last.text);
  Fill(*replacement, History(true), state_.replaceText);
  Check(*dialog, kReplaceCaseId, last.options & gui::kCaseSensitive);
  Check(*dialog, kReplaceFromCaretId, last.options & gui::kFromCaret);
  Check(*dialog, kReplaceBackwardId, last.options & gui::kBackward);
  Check(*dialog, kNoPromptId, state_.noPromptReplace);
  if (auto *selection = Control<QCheckBox>(*dialog, kSelectionOnlyId)) {
    selection->setEnabled(hasSelection);
    selection->setChecked(hasSelection);
  }
  find->lineEdit()->selectAll();
  replacement->lineEdit()->selectAll();
  bool all = false;
  if (auto *replaceAll = Control<QPushButton>(*dialog, kReplaceAllId))
    QObject::connect(replaceAll, &QPushButton::clicked, dialog.get(), [&] {
      all = true;
      dialog->accept();
    });
  const bool confirmed = ExecTemplateDialog(*dialog);
  // Even a cancelled replace keeps what was typed and ticked.
  last.text = TextOf(*find);
  state_.replaceText = TextOf(*replacement);
  SetOption(last.options, gui::kCaseSensitive, Checked(*dialog, kReplaceCaseId));
  SetOption(last.options, gui::kBackward, Checked(*dialog, kReplaceBackwardId));
  SetOption(last.options, gui::kFromCaret, Checked(*dialog, kReplaceFromCaretId));
  state_.noPromptReplace = Checked(*dialog, kNoPromptId);
  state_.selectionOnly = Checked(*dialog, kSelectionOnlyId);
  state_.lastWasReplace = true;
  if (cComboList *history = History(false))
    AddToSearchHistory(*history, last.text);
  if (cComboList *history = History(true))
    AddToSearchHistory(*history, state_.replaceText);
  GiveKept();
  if (!confirmed)
    return std::nullopt;
  gui::ReplaceRequest request;
  request.text = last.text;
  request.replacement = state_.replaceText;
  request.caseSensitive = last.options & gui::kCaseSensitive;
  request.backward = last.options & gui::kBackward;
  request.fromCaret = last.options & gui::kFromCaret;
  request.inSelection = state_.selectionOnly;
  request.all = all;
  request.noPrompt = state_.noPromptReplace;
  return request;
}

std::optional<int> ModuleSearchDialogs::GotoLine(QWidget *parent) {
  std::unique_ptr<QDialog> dialog = Load(module_, kGotoTemplate, parent);
  auto *text = dialog ? Control<QLineEdit>(*dialog, kGotoTextId) : nullptr;
  if (!text)
    return std::nullopt;
  text->setMaxLength(int(kGotoTextLimit));
  if (!ExecTemplateDialog(*dialog))
    return std::nullopt;
  return GotoLineNumber(text->text().toStdString());
}

} // namespace tsw
