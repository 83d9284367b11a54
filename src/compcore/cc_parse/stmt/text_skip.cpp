#include "compcore/cc_parse/stmt/text_skip.h"

#include "compcore/cc_in/cc_in.h"

#include <cstddef>

namespace tsw {

namespace {

bool Opens(char c) { return c == '(' || c == '[' || c == '{'; }
bool Closes(char c) { return c == ')' || c == ']' || c == '}'; }

// A constant's length with its quotes; an unclosed one ends with its line.
size_t QuotedLength(const char *text) {
  const char quote = text[0];
  size_t n = 1;
  while (text[n] && text[n] != quote)
    n += text[n] == '\\' && text[n + 1] ? 2 : 1;
  return text[n] ? n + 1 : n;
}

} // namespace

bool PassOverBracketedText(char close) {
  int depth = 0;
  for (;;) {
    const char c = *InputCursor;
    if (!c) {
      SkipBlanksAcrossLines();
      if (!*InputCursor)
        return false;
      continue;
    }
    if (c == '"' || c == '\'') {
      SkipInputChars(QuotedLength(InputCursor));
      continue;
    }
    NextInputChar();
    if (depth == 0 && c == close)
      return true;
    if (Opens(c))
      ++depth;
    else if (Closes(c) && depth > 0)
      --depth;
  }
}

} // namespace tsw
