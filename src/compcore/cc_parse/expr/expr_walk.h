#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// What the levels of one expression share while they read it: whether any
// step needed code the walk cannot emit yet, and the dimension lists of the
// type names read by casts and sizeof, which value records point into.
namespace tsw {

struct ExpressionWalk {
  // An operation or operand that only run-time code can compute was met:
  // the expression is no constant whatever its record says.
  bool needsCode = false;
  std::deque<std::vector<uint16_t>> typeNameDimensions;
};
ExpressionWalk &Walk();

// Consumes the character at the cursor as program text (the bracket tracker
// sees it).
char ConsumeChar();
// Skips blanks across lines when a blank or control character stands at the
// cursor; the character there.
char SkipToOperand();
// Consumes `expected` or reports it missing (2051).
void ExpectChar(char expected);

} // namespace tsw
