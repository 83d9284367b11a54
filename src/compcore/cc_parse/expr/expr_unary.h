#pragma once

#include "compcore/cc_gen/value_record.h"

class AST;

// The innermost levels: unary operators, casts, sizeof, the postfix
// operators and the primary expressions (names, literals, parentheses).
namespace tsw {

// What the function-body and statement compilers tell these levels, and
// what they learn back.
struct UnaryLevelSwitches {
  // A function compiled without a frame of its own has no automatic
  // variables to name.
  bool noAutoVariables = false;
  // A costate's body outlives the frame it was entered from.
  bool insideCostate = false;
  // Set when the function's body names one of its automatic variables.
  bool autoReferenced = false;
  // The whole expression statement is "name++" or "name--": the stepped
  // value is not needed afterwards.
  bool plainStep = false;
};
UnaryLevelSwitches &UnarySwitches();

// A constant reader's walk emits nothing: false then, and an operation
// that needs code only marks the expression as no constant.
bool RunTimeCodeAllowed();

// Whether the text at the cursor is a whole step statement, "name++" or
// "name--" followed by ")" or ";" or the end: its value is not needed.
// Blanks before it are skipped; nothing else is consumed.
bool IsStepStatement();

// Marks the value as the result of an operation with side effects (a
// call, a store, a step whose value is used): sizeof then keeps the
// operand's code.
void NoteSideEffect(ValueRecord &value);

// `node` is the parser's tree of the text at the cursor, or null.
void GenerateUnaryExpression(ValueRecord &value, AST *node = nullptr);
// `parenthesised`: the opening parenthesis is consumed already.
void CompilePostfixExpression(ValueRecord &value, bool parenthesised, AST *node = nullptr);
void CompilePrimaryExpression(ValueRecord &value, bool parenthesised, AST *node = nullptr);

} // namespace tsw
