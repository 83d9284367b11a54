#include "compcore/cc_parse/stmt/stmt_input.h"

#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "foundation/msgnumbers.h"

namespace tsw {

// A statement read from one line alone (a "c" line of assembly) has nothing
// after that line's end.
bool AtEndOfInput() { return (EndOfInput || SingleLineMode) && (!InputCursor || *InputCursor == '\0'); }

bool AtStatementEnd() {
  SkipBlanksAcrossLines();
  return !InputCursor || *InputCursor == ';' || *InputCursor == '\0';
}

void ErrorCharExpected() { CompileError<kMsgCharExpected>(); }

bool SkipBlanksAndMatchChar(char c) {
  SkipBlanksAcrossLines();
  const char text[2] = {c, '\0'};
  return MatchKeyword(text) != 0;
}

bool ExpectStatementChar(char c) {
  if (SkipBlanksAndMatchChar(c))
    return true;
  ErrorCharExpected();
  return false;
}

bool SkipBlanksAndMatchKeyword(const char *keyword) {
  SkipBlanksAcrossLines();
  return MatchKeyword(keyword) != 0;
}

} // namespace tsw
