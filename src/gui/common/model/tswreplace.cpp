#include "gui/common/model/tswreplace.h"

namespace tsw::gui {

ReplacePrompt::~ReplacePrompt() = default;

int RunReplace(cTextViewer &view, const ReplaceRequest &request, ReplacePrompt &prompt) {
  uint8_t options = 0;
  if (request.caseSensitive)
    options |= kCaseSensitive;
  if (request.backward)
    options |= kBackward;
  TextPos from = 0, to = kNoPos;
  if (request.inSelection && view.HasSelection()) {
    from = view.SelectionStart();
    to = view.SelectionEnd();
  } else if (request.fromCaret) {
    options |= kFromCaret;
  }
  // A run the prompt stops must not leave the caret hidden.
  struct CaretBack {
    cTextViewer &view;
    ReplacePrompt &prompt;
    bool hidden;
    ~CaretBack() {
      if (hidden) {
        prompt.ShowCaret(true);
        view.SetCursor(view.GetCursor());
      }
    }
  } caretBack{view, prompt, request.noPrompt};
  if (request.noPrompt)
    prompt.ShowCaret(false);
  int replaced = 0;
  TextPos match = view.Search(request.text, options, from, to);
  if (match == kNoPos) {
    prompt.NotFound(request.text);
  } else {
    view.BeginUndoAction(match);
    options |= kFromCaret;
  }
  while (match != kNoPos && view.HasSelection()) {
    ReplaceAnswer answer = request.noPrompt ? ReplaceAnswer::Ok : prompt.Ask(request.all);
    if (answer == ReplaceAnswer::Cancel)
      break;
    if (answer == ReplaceAnswer::Ok || answer == ReplaceAnswer::Yes) {
      TextPos matchEnd = view.LastMatchEnd();
      view.ReplaceSelection(request.replacement);
      ++replaced;
      // The end of a selected range moves with the text replaced on its line.
      if (to != kNoPos && PosLine(to) == PosLine(matchEnd) && to >= matchEnd)
        to = to - (matchEnd - match) + uint32_t(request.replacement.size());
      // Backward, the next search ends where this match began: from the end
      // of the new text it would find the new text itself when it matches
      // again, and replace it for ever.
      if (request.backward)
        view.SetCursor(match);
      prompt.Replaced();
    }
    if (!request.all)
      break;
    match = view.Search(request.text, options, from, to);
  }
  return replaced;
}

} // namespace tsw::gui
