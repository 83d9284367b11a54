#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/common/model/textpos.h"

// The function-insert assistant's work on the text, apart from its dialog:
// the call already written at the caret taken apart into its arguments,
// stepping through the parameters, and the call written back.
namespace tsw {

class FuncDescription;
namespace gui {
class cTextDisplay;
class cTextViewer;
} // namespace gui

// An argument holds no more than a record of the assistant does.
inline constexpr size_t kMaxArgumentText = 1023;

// The call an assistant writes: the range it replaces and its arguments,
// one per parameter.
struct CallDraft {
  gui::TextPos replaceStart = 0;
  gui::TextPos replaceEnd = 0;
  std::vector<std::string> arguments;
  // The call at the caret had more arguments than the function takes.
  bool tooManyArguments = false;
};

// The argument list behind `afterName` ("(a, (b+1), s)"), each argument
// with its blanks and comments; commas and parentheses inside strings,
// character constants and comments do not count. Empty `arguments` and
// `found` false when no "(" follows.
struct ExtractedArguments {
  bool found = false;
  std::vector<std::string> arguments;
  // Behind the closing parenthesis; at the last comma when the text ended
  // first.
  gui::TextPos end = 0;
};
ExtractedArguments ExtractCallArguments(gui::cTextDisplay &pane, gui::TextPos afterName);

// The draft for `caret` of `pane` (none: no pane to write into): a call
// written at the caret whose name `isLibraryFunction` knows is replaced,
// its arguments kept; otherwise the call goes in at the caret. Missing
// arguments start as their parameters' names.
CallDraft DraftCall(gui::cTextDisplay *pane, gui::TextPos caret, const FuncDescription &function,
                    const std::function<bool(const std::string &)> &isLibraryFunction);

// "name(a,b)": the arguments up to the first empty one.
std::string CallText(const std::string &name, const std::vector<std::string> &arguments);

// Replaces the draft's range by the call as one undo step; the caret goes
// behind it.
void WriteCall(gui::cTextViewer &view, const CallDraft &draft, const std::string &call);

// The parameter the assistant shows, stepped by its scroll bar.
class ParameterStepper {
public:
  ParameterStepper(std::vector<std::string> arguments, bool variadic)
      : arguments_(std::move(arguments)), variadic_(variadic) {}

  // 0-based; the current argument holds `currentText` from now on. A
  // positive delta moves to a lower number. False when it did not move.
  bool Step(int delta, const std::string &currentText);
  void Store(const std::string &currentText);
  size_t Current() const { return current_; }
  const std::vector<std::string> &Arguments() const { return arguments_; }

private:
  std::vector<std::string> arguments_;
  bool variadic_;
  size_t current_ = 0;
};

} // namespace tsw
