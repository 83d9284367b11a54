#pragma once

#include "compcore/cc_gen/value_record.h"

// The innermost levels: unary operators, casts, sizeof, the postfix
// operators and the primary expressions (names, literals, parentheses).
namespace tsw {

void GenerateUnaryExpression(ValueRecord &value);
// `parenthesised`: the opening parenthesis is consumed already.
void CompilePostfixExpression(ValueRecord &value, bool parenthesised);
void CompilePrimaryExpression(ValueRecord &value, bool parenthesised);

} // namespace tsw
