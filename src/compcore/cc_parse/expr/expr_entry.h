#pragma once

#include <cstdint>

// The entries of the expression compiler: an expression list at the cursor
// into a value record, and the constant readers of the directives and the
// declarations.
namespace tsw {

struct ValueRecord;

// Expressions separated by commas; the value is the last one's.
void CompileExpressionList(ValueRecord &value);

// The constant expression at the cursor: its low 16 bits, or 0 after 427
// when it is no constant (a float is none either).
uint16_t CompileConstantExpression();
// The same with all 32 bits.
int32_t CompileConstantExpressionLong();
// The same without 427: false when the expression is no integer constant,
// for callers that name the failure themselves.
bool ReadConstantExpression(int32_t &value);

void ResetExpressionCompiler();

} // namespace tsw
