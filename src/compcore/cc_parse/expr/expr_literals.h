#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// The literal tokens of an expression, read straight from the source
// cursor: numbers, character constants and escapes, as constant records at
// the target's widths. A literal never reads on into the next line: the end
// of the logical line ends it.
namespace tsw {

// A number, else a character constant; false when neither stands there.
bool CompileLiteral(ValueRecord &value);
// False, nothing consumed, unless a digit or '.' stands at the cursor. The
// type follows the digits and the suffix: an unsuffixed decimal above 32767
// is long, an octal or hexadecimal one that fits 16 bits unsigned.
bool CompileNumericConstant(ValueRecord &value);
// A character constant after blanks; its byte zero-extended, as the
// target's char is unsigned.
bool CompileCharConstant(ValueRecord &value);
// One character of a literal with its escape decoded, as a signed byte; 0
// at the end of the line.
int16_t ReadEscapedChar();

bool IsHexDigitChar(char c);
int HexDigitValue(char c);
char ToUpperAscii(char c);

} // namespace tsw
