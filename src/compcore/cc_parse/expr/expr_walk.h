#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <deque>
#include <vector>

// What the levels of one expression share while they read it: whether any
// step needed code the walk cannot emit yet, and the dimension lists of the
// type names read by casts and sizeof, which value records point into.
namespace tsw {

struct ValueRecord;

struct ExpressionWalk {
  // A constant reader's walk: nothing may be emitted, and an operation on a
  // run-time operand only marks the expression as none of a constant.
  bool constantOnly = false;
  // An operation or operand that only run-time code can compute was met:
  // the expression is no constant whatever its record says.
  bool needsCode = false;
  // Where the code of the last comparison ended: a jump right behind it
  // may take back its 0/1 tail and branch on the compare's flag.
  ADDR24 comparisonEnd{};
  bool comparisonEndValid = false;
  // Nested walks under way; the outermost is 1.
  int16_t depth = 0;
  // An assignment operator followed the last list's expression.
  bool assignmentFollowed = false;
  // The parser's tree of the last expression had a comparison at its root.
  bool comparisonRoot = false;
  // During the walk: the expression is an "=" of an integer literal.
  bool integerLiteralAssigned = false;
  std::deque<std::vector<uint16_t>> typeNameDimensions;
};
ExpressionWalk &Walk();

// A constant reader's walk, which may be nested in another (a dimension
// read while a cast's type name is read, an initializer's value): no code
// is emitted, a value only run-time code could compute marks the walk, and
// the outer walk goes on as it was.
class ConstantWalkScope {
public:
  ConstantWalkScope() : savedNeedsCode_(Walk().needsCode), savedConstantOnly_(Walk().constantOnly) {
    Walk().needsCode = false;
    Walk().constantOnly = true;
  }
  ~ConstantWalkScope() {
    Walk().needsCode = savedNeedsCode_;
    Walk().constantOnly = savedConstantOnly_;
  }
  ConstantWalkScope(const ConstantWalkScope &) = delete;
  ConstantWalkScope &operator=(const ConstantWalkScope &) = delete;

private:
  bool savedNeedsCode_;
  bool savedConstantOnly_;
};

// The walk emits run-time code (no constant reader is reading).
inline bool WalkEmitsCode() { return !Walk().constantOnly; }
// Whether a conditional jump emitted now directly follows the comparison
// that made `condition`.
bool ComparisonEndsHere(const ValueRecord &condition);

// Consumes the character at the cursor as program text (the bracket tracker
// sees it).
char ConsumeChar();
// Skips blanks across lines when a blank or control character stands at the
// cursor; the character there.
char SkipToOperand();
// Consumes `expected` or reports it missing (2051).
void ExpectChar(char expected);

} // namespace tsw
