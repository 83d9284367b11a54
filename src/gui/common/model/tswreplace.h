#pragma once

#include <cstdint>
#include <string>

#include "gui/common/model/tswview.h"

// The replace command's loop over the matches of a view: search, ask,
// replace or skip, and on to the next match until none is left or the user
// stops. The dialog and the question box stand behind ReplacePrompt.
namespace tsw::gui {

enum class ReplaceAnswer : uint8_t { Ok, Yes, No, Cancel };

class ReplacePrompt {
public:
  virtual ~ReplacePrompt();
  // The question over the selected match: Yes, No or Cancel when replacing
  // all, else OK or Cancel.
  virtual ReplaceAnswer Ask(bool all) = 0;
  // Nothing matched the text at all.
  virtual void NotFound(const std::string &text) = 0;
  // The caret is hidden while replacing without questions.
  virtual void ShowCaret(bool shown) = 0;
  // After each replacement: a run without questions can take long, and
  // the user may stop it here (by an exception).
  virtual void Replaced() {}
};

struct ReplaceRequest {
  std::string text;
  std::string replacement;
  bool caseSensitive = false;
  bool backward = false;
  bool fromCaret = false;
  bool inSelection = false;
  bool all = false;
  bool noPrompt = false;
};

// The number of matches replaced; the whole run is one undo action. The
// caret is shown again on every way out.
int RunReplace(cTextViewer &view, const ReplaceRequest &request, ReplacePrompt &prompt);

} // namespace tsw::gui
