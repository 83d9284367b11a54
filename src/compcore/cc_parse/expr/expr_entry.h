#pragma once

#include "compcore/cc_gen/far_jumps.h"
#include "foundation/addr24.h"

#include <cstdint>

class AST;

namespace tsw {
class ParserOutput;
}

// The entries of the expression compiler: an expression list at the cursor
// into a value record, and the constant readers of the directives and the
// declarations.
namespace tsw {

struct ValueRecord;

// The entries: the expression (or comma list) at the cursor, parsed by the
// generated parser and compiled from the text, the parser's tree walked in
// step. Without `valueUsed` the (last) value is not wanted.
void ParseAndCompileExpression(ValueRecord &value, bool valueUsed);
void ParseAndCompileExpressionList(ValueRecord &value, bool valueUsed);
// Whether the entries run the parser at all: a test compiles each
// expression with its tree and without one, and compares.
bool &ExpressionTreesWanted();
// Where the parser's own texts go; null: the standard error stream.
void RedirectParserTexts(ParserOutput *sink);

// The walk of a comma list inside an expression already parsed, `node`
// the list's tree (or null); the value is the last element's.
void CompileExpressionList(ValueRecord &value, bool valueUsed, AST *node);
void CompileExpressionList(ValueRecord &value);

// An expression statement: the list up to, not including, ';'. Its value is
// not kept; without `valueUsed` a constant costs no code at all.
void CompileExpressionForEffect(bool valueUsed);
// The list's value left in the value register (a structure's address in HL,
// a structure pushed by a call released), for switch and return.
void CompileConditionValue(ValueRecord &value);
// The condition at the cursor, then `terminator` (")" or ";", 2051 when it
// is missing), then a jump to `target` taken when the condition is true
// (`jumpWhenTrue`) or false. A zero target is a forward jump the caller
// patches with EmitFarJumpFixup; a placed one (a loop's head) is reached
// by a relative jump when it lies near enough.
JumpRecord CompileConditionJump(ADDR24 target, bool jumpWhenTrue, const char *terminator);

// The constant expression at the cursor: its low 16 bits, or 0 after 427
// when it is no constant (a float is none either).
uint16_t CompileConstantExpression();
// The same with all 32 bits.
int32_t CompileConstantExpressionLong();
// One expression, no comma list (a comma after a dimension or an "@"
// address starts the next declarator), without 427: false when it is no
// integer constant, for callers that name the failure themselves.
bool ReadConstantExpression(int32_t &value);
// The same with the constant's record, whose type the caller checks.
bool ReadConstantRecord(ValueRecord &value);

// Set by the statement compiler while the statement keeps a word of its
// own on the stack: the stack check after each expression expects it.
bool &StatementExtraWord();

// One expression read as a constant reader reads it, its record given back
// for readers that take more than integers (an initializer takes an
// address known at link time, "a + 1" of an array a included): true when
// no step needed run-time code. Nothing is emitted either way.
bool ReadConstantOperand(ValueRecord &value);

void ResetExpressionCompiler();

} // namespace tsw
