#pragma once

#include <optional>
#include <string>

#include "gui/combolist.h"
#include "gui/common/model/tswreplace.h"

class QWidget;

// The editor's Find, Replace and Go to line dialogs, and the search state
// they leave for the editor: the last search (text and options) that every
// view's find-next reads, the replacement text and the replace options.
namespace tsw {

class LanguageModule;
struct EnvironmentSettings;

inline constexpr size_t kGotoTextLimit = 19;

// What the find and replace dialogs keep between uses beside the last
// search, and the histories and options the settings store keeps.
struct SearchDialogState {
  std::string replaceText;
  bool noPromptReplace = false;
  bool selectionOnly = false;
  // Find-next offers no replacing after a plain find.
  bool lastWasReplace = false;
  // The settings that keep the histories, case, from-cursor and no-prompt
  // between runs; none keeps nothing.
  EnvironmentSettings *kept = nullptr;
};

// A text enters a history unless it stands there already, letter for
// letter: one that differs only in case is a new entry.
void AddToSearchHistory(cComboList &history, const std::string &text);

// The line number of a go-to text, read as atoi reads it.
int GotoLineNumber(const std::string &text);

// The dialogs as the editor reaches them.
class SearchDialogs {
public:
  virtual ~SearchDialogs() = default;
  // True when the user confirmed: the last search holds the text to find.
  virtual bool Find(QWidget *parent) = 0;
  // The replace to run; nothing after Cancel, which keeps the texts and
  // options all the same.
  virtual std::optional<gui::ReplaceRequest> Replace(QWidget *parent, bool hasSelection) = 0;
  virtual std::optional<int> GotoLine(QWidget *parent) = 0;
};

// The dialogs of the language module's templates over `state`.
class ModuleSearchDialogs : public SearchDialogs {
public:
  ModuleSearchDialogs(const LanguageModule &module, SearchDialogState &state) : module_(module), state_(state) {}
  bool Find(QWidget *parent) override;
  std::optional<gui::ReplaceRequest> Replace(QWidget *parent, bool hasSelection) override;
  std::optional<int> GotoLine(QWidget *parent) override;

private:
  cComboList *History(bool replacement) const;
  // The kept options before a dialog, and back after it.
  void TakeKept();
  void GiveKept();

  const LanguageModule &module_;
  SearchDialogState &state_;
};

} // namespace tsw
