#include "gui/funcinsert.h"

#include <optional>

#include "gui/common/model/funcdesc.h"
#include "gui/common/model/tswdisp.h"
#include "gui/common/model/tswview.h"

namespace tsw {
namespace {

using gui::MakePos;
using gui::PosColumn;
using gui::PosLine;
using gui::TextPos;

// The pane's text one byte at a time, its line ends read as '\n'.
class PaneReader {
public:
  PaneReader(gui::cTextDisplay &pane, TextPos from) : pane_(pane), line_(PosLine(from)), column_(PosColumn(from)) {
    Load();
  }
  // None at the end of the text.
  std::optional<char> Next() {
    if (!text_)
      return std::nullopt;
    if (column_ < text_->size())
      return (*text_)[column_++];
    ++line_;
    column_ = 0;
    Load();
    if (!text_)
      return std::nullopt;
    return '\n';
  }
  TextPos Position() const { return MakePos(line_, uint32_t(column_)); }

private:
  void Load() {
    const char *text = line_ >= 0 && line_ < pane_.LineCount() ? pane_.GetLine(line_) : nullptr;
    text_ = text ? std::optional<std::string>(text) : std::nullopt;
    if (text)
      pane_.ReleaseLine(line_);
  }

  gui::cTextDisplay &pane_;
  int32_t line_;
  size_t column_;
  std::optional<std::string> text_;
};

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// One argument as it is read, and whether it holds more than blanks.
struct ArgumentText {
  std::string text;
  bool nonBlank = false;
  void Add(char c) {
    if (text.size() < kMaxArgumentText)
      text += c;
    nonBlank = nonBlank || !Blank(c);
  }
};

} // namespace

ExtractedArguments ExtractCallArguments(gui::cTextDisplay &pane, TextPos afterName) {
  ExtractedArguments out;
  PaneReader reader(pane, afterName);
  std::optional<char> c = reader.Next();
  while (c && Blank(*c))
    c = reader.Next();
  if (!c || *c != '(')
    return out;
  out.found = true;
  out.end = reader.Position();

  enum class Inside { Code, String, Character, LineComment, BlockComment } inside = Inside::Code;
  int depth = 1;
  char previous = 0;
  ArgumentText argument;
  // "()" is no argument, "(,)" two empty ones.
  auto finish = [&](bool moreFollow) {
    if (!out.arguments.empty() || moreFollow || argument.nonBlank)
      out.arguments.push_back(argument.text);
    argument = {};
  };
  while ((c = reader.Next())) {
    const char ch = *c;
    if (inside == Inside::Code && pane.Rules().IsLeadByte(uint8_t(ch))) {
      argument.Add(ch);
      if (std::optional<char> trail = reader.Next())
        argument.Add(*trail);
      previous = 0;
      continue;
    }
    switch (inside) {
    case Inside::LineComment:
      if (ch == '\n')
        inside = Inside::Code;
      break;
    case Inside::BlockComment:
      if (previous == '*' && ch == '/') {
        inside = Inside::Code;
        argument.Add(ch);
        previous = 0; // "*/*" closes and opens nothing
        continue;
      }
      break;
    case Inside::String:
    case Inside::Character:
      if (ch == (inside == Inside::String ? '"' : '\'') && previous != '\\')
        inside = Inside::Code;
      break;
    case Inside::Code:
      if (ch == '"') {
        inside = Inside::String;
      } else if (ch == '\'') {
        inside = Inside::Character;
      } else if (previous == '/' && ch == '/') {
        inside = Inside::LineComment;
      } else if (previous == '/' && ch == '*') {
        inside = Inside::BlockComment;
        argument.Add(ch);
        previous = 0; // "/*/" opens and closes nothing
        continue;
      } else if (ch == '(') {
        ++depth;
      } else if (ch == ')') {
        if (depth == 1) {
          finish(false);
          out.end = reader.Position();
          return out;
        }
        --depth;
      } else if (ch == ',' && depth == 1) {
        out.end = MakePos(PosLine(reader.Position()), PosColumn(reader.Position()) - 1);
        finish(true);
        previous = ch;
        continue;
      }
      break;
    }
    argument.Add(ch);
    previous = ch;
  }
  finish(false);
  return out;
}

CallDraft DraftCall(gui::cTextDisplay *pane, TextPos caret, const FuncDescription &function,
                    const std::function<bool(const std::string &)> &isLibraryFunction) {
  CallDraft draft;
  draft.replaceStart = draft.replaceEnd = caret;
  TextPos start = 0, end = 0;
  if (pane && pane->WordRangeAt(caret, start, end)) {
    std::optional<std::string> word = pane->WordAt(caret);
    if (word && isLibraryFunction(*word)) {
      draft.replaceStart = start;
      draft.replaceEnd = end;
      ExtractedArguments existing = ExtractCallArguments(*pane, end);
      if (existing.found) {
        draft.arguments = std::move(existing.arguments);
        draft.replaceEnd = existing.end;
      }
    }
  }
  const size_t parameters = function.ParameterCount();
  draft.tooManyArguments = !function.Variadic() && draft.arguments.size() > parameters;
  for (size_t i = draft.arguments.size(); i < parameters; ++i)
    draft.arguments.push_back(function.Parameters()[i].name);
  return draft;
}

std::string CallText(const std::string &name, const std::vector<std::string> &arguments) {
  std::string call = name + "(";
  for (size_t i = 0; i < arguments.size() && !arguments[i].empty(); ++i)
    call += (i ? "," : "") + arguments[i];
  return call + ")";
}

void WriteCall(gui::cTextViewer &view, const CallDraft &draft, const std::string &call) {
  view.BeginUndoAction(view.GetCursor());
  const TextPos end = view.ReplaceRange(draft.replaceStart, draft.replaceEnd, call);
  view.SetCursor(end);
  view.BeginUndoAction(end);
}

void ParameterStepper::Store(const std::string &currentText) {
  if (current_ < arguments_.size())
    arguments_[current_] = currentText.substr(0, kMaxArgumentText);
}

bool ParameterStepper::Step(int delta, const std::string &currentText) {
  const long target = long(current_) - delta;
  if (target < 0)
    return false;
  if (!variadic_ && (arguments_.size() < 2 || size_t(target) >= arguments_.size()))
    return false;
  const bool onLast = current_ + 1 >= arguments_.size();
  if (variadic_ && size_t(target) >= arguments_.size()) {
    if (currentText.empty())
      return false;
    Store(currentText);
    arguments_.resize(size_t(target) + 1);
    current_ = size_t(target);
    return true;
  }
  if (variadic_ && onLast && delta > 0 && currentText.empty() && !arguments_.empty()) {
    arguments_.pop_back();
    current_ = size_t(target);
    return true;
  }
  Store(currentText);
  current_ = size_t(target);
  return true;
}

} // namespace tsw
