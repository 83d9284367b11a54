#pragma once

#include "compcore/cc_gen/value_record.h"

// The binary operators and the conditional, one routine per precedence
// level, loosest first: ?:, ||, &&, |, ^, &, == !=, < <= > >=, << >>, + -,
// * / %. Each compiles its left operand at the next level, then every
// operator of its own level it finds, left to right.
namespace tsw {

void CompileConditional(ValueRecord &result);
// Levels 0-4 are ||, &&, |, ^, &; level 5 goes on with equality.
void CompileBinaryLevel(ValueRecord &result, int level);
void CompileEquality(ValueRecord &result);
void CompileRelational(ValueRecord &result);
void CompileShift(ValueRecord &result);
void CompileAdditive(ValueRecord &result);
void CompileMultiplicative(ValueRecord &result);

// The common step of the shift, additive and multiplicative levels and of
// compound assignment: the right operand compiled by `next`, then the
// operation `text` (folded or lowered), the result in `left`.
void CompileBinaryStep(const char *text, void (*next)(ValueRecord &), ValueRecord &left);

} // namespace tsw
