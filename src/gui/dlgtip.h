#pragma once

#include <optional>
#include <string>

class QWidget;

// The tip of the day: the tips and the reader's place in them live in the
// tips file, an ini file beside the program.
namespace tsw {

class LanguageModule;

inline constexpr const char *kTipTemplate = "DIALOG_TIP";

struct Tip {
  // Empty: the dialog's own heading.
  std::string heading;
  std::string text;
};

class TipFile {
public:
  explicit TipFile(std::string path) : path_(std::move(path)) {}
  bool ShowAtStartup() const;
  void SetShowAtStartup(bool show);
  // The tip after (before) the one shown last, which it becomes; none when
  // the file holds no tip at all.
  std::optional<Tip> Next();
  std::optional<Tip> Previous();

private:
  int Number(const char *key) const;
  std::optional<Tip> Show(int number);

  std::string path_;
};

// A tip's text split at its heading mark, its line-break pairs turned into
// line ends.
Tip SplitTip(const std::string &text);

// Runs the dialog modally over `owner`.
void RunTipDialog(const LanguageModule &module, QWidget *owner, TipFile &tips);

} // namespace tsw
