#include "compcore/cc_parse/expr/expr_argument_text.h"

#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "foundation/msgnumbers.h"

#include <new>

namespace tsw {

namespace {

unsigned &LiveCopies() {
  static unsigned live = 0;
  return live;
}

// An argument never holds these outside a literal: met at depth 0 they end
// a list whose ')' is missing, so that the rest of the function is not read
// as arguments.
bool EndsUnclosedList(char c) { return c == ';' || c == '{' || c == '}'; }

void Append(LogicalLineBuffer &copy, char c, uint16_t line, uint16_t column) {
  copy.text.push_back(c);
  copy.lines.push_back(line);
  copy.columns.push_back(column);
}

// The character at the cursor into the copy, consumed as program text.
void TakeChar(LogicalLineBuffer &copy) {
  Append(copy, *InputCursor, CurrentSourceLine(), CurrentSourceColumn());
  ConsumeChar();
}

bool OnlyBlanks(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ')
      return false;
  return true;
}

} // namespace

void ExpandArgumentText(ExpandedArgumentScope &scope) {
  LogicalLineBuffer &copy = scope.copy_;
  scope.starts_.assign(1, 0);
  int depth = 0;
  char quote = 0;
  for (;;) {
    const char c = *InputCursor;
    if (c == '\0') {
      const uint16_t line = CurrentSourceLine(), column = CurrentSourceColumn();
      if (!SingleLineMode && !EndOfInput)
        SkipBlanksAcrossLines();
      if (*InputCursor == '\0') {
        CompileError<kMsgCharExpected>();
        break;
      }
      // A literal does not go on past its line.
      quote = 0;
      Append(copy, ' ', line, column);
      continue;
    }
    if (quote) {
      TakeChar(copy);
      if (c == '\\' && *InputCursor)
        TakeChar(copy);
      else if (c == quote)
        quote = 0;
      continue;
    }
    if (depth == 0 && (c == ')' || EndsUnclosedList(c))) {
      if (c == ')')
        ConsumeChar();
      else
        CompileError<kMsgCharExpected>();
      break;
    }
    if (c == '"' || c == '\'')
      quote = c;
    else if (c == '(')
      ++depth;
    else if (c == ')')
      --depth;
    else if (c == ',' && depth == 0)
      scope.starts_.push_back(copy.text.size() + 1);
    TakeChar(copy);
  }
  scope.count_ = OnlyBlanks(copy.text) ? 0 : uint16_t(scope.starts_.size());
  // Every character may have come from a macro: none is read back from its
  // source position.
  copy.expandedEnd = copy.text.size();
  copy.lines.push_back(CurrentSourceLine());
  copy.columns.push_back(CurrentSourceColumn());
}

ExpandedArgumentScope::ExpandedArgumentScope() {
  try {
    ExpandArgumentText(*this);
  } catch (const std::bad_alloc &) {
    CompileError<kMsgNoMemoryForArgument>();
    return;
  }
  if (LiveCopies() >= kMaxLiveArgumentCopies) {
    CompileError<kMsgTooManyArgumentCopies>();
    return;
  }
  usable_ = true;
  ++LiveCopies();
  savedLine_ = CurrentLogicalLine();
  savedCursor_ = CursorIndex();
  savedColumn_ = InputColumn;
  savedSingleLine_ = SingleLineMode;
  savedTrackingOff_ = BracketTrackingDisabled();
  // The copy's characters were program text once already: brackets are
  // not counted twice, and its end is the end of what may be read.
  SingleLineMode = 1;
  BracketTrackingDisabled() = true;
  InstallLogicalLine(copy_, 0);
  installed_ = true;
}

ExpandedArgumentScope::~ExpandedArgumentScope() {
  if (!installed_)
    return;
  InstallLogicalLine(std::move(savedLine_), savedCursor_);
  InputColumn = savedColumn_;
  SingleLineMode = savedSingleLine_;
  BracketTrackingDisabled() = savedTrackingOff_;
  --LiveCopies();
}

void ExpandedArgumentScope::SelectArgument(uint16_t index) {
  const size_t start = index < starts_.size() ? starts_[index] : copy_.text.size();
  InputCursor = LineBase + start;
  InputColumn = uint16_t(start);
}

bool ExpandedArgumentScope::AtArgumentEnd(uint16_t index) {
  const size_t end = index + 1u < starts_.size() ? starts_[index + 1] - 1 : CurrentLogicalLine().text.size();
  while (CursorIndex() < end && static_cast<unsigned char>(*InputCursor) <= ' ')
    ++InputCursor;
  return CursorIndex() == end;
}

unsigned LiveArgumentCopies() { return LiveCopies(); }

} // namespace tsw
