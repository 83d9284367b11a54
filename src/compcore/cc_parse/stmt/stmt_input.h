#pragma once

// The input helpers every statement compiler shares. The cursor helpers of
// the source input (SkipSpaces, SkipBlanksAcrossLines, MatchKeyword) are
// used as they stand.
namespace tsw {

// Nothing is left to compile: the input ended and the cursor stands on no
// character.
bool AtEndOfInput();
// After blanks across lines: a ';' or the end of the line follows.
bool AtStatementEnd();
// A character the statement needs is missing; nothing is consumed.
void ErrorCharExpected();
// After blanks across lines, consumes `c` (handing it to the bracket
// checker) or reports it missing. Whether it was there.
bool ExpectStatementChar(char c);
// After blanks across lines, consumes `c` when it stands there.
bool SkipBlanksAndMatchChar(char c);
// After blanks across lines, the whole word `keyword`; nothing consumed
// when it is not there.
bool SkipBlanksAndMatchKeyword(const char *keyword);

} // namespace tsw
