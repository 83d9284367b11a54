#pragma once

#include "compcore/cc_gen/value_record.h"

// The binary operators and the conditional, one routine per precedence
// level, loosest first: ?:, ||, &&, |, ^, &, == !=, < <= > >=, << >>, + -,
// * / %. Each compiles its left operand at the next level, then every
// operator of its own level it finds, left to right.
class AST;

namespace tsw {

// `node` is the parser's tree of the text at the cursor, or null: the
// levels walk it in step with the text, which alone decides the code.
void CompileConditional(ValueRecord &result, AST *node = nullptr);
// Levels 0-4 are ||, &&, |, ^, &; level 5 goes on with equality.
void CompileBinaryLevel(ValueRecord &result, int level, AST *node = nullptr);
void CompileEquality(ValueRecord &result, AST *node = nullptr);
void CompileRelational(ValueRecord &result, AST *node = nullptr);
void CompileShift(ValueRecord &result, AST *node = nullptr);
void CompileAdditive(ValueRecord &result, AST *node = nullptr);
void CompileMultiplicative(ValueRecord &result, AST *node = nullptr);

// The common step of the shift, additive and multiplicative levels and of
// compound assignment: the right operand compiled by `next` with its tree
// `rightNode`, then the operation `text` (folded or lowered), the result
// in `left`.
void CompileBinaryStep(const char *text, void (*next)(ValueRecord &, AST *), ValueRecord &left, AST *rightNode);

} // namespace tsw
