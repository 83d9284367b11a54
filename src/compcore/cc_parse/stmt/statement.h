#pragma once

#include "compcore/cc_parse/stmt/control_flow.h"

#include <cstdint>
#include <span>

// One statement at the cursor, compiled straight to code: the overflow
// retry around it, the dispatcher's keyword table, compound statements and
// if/else.
namespace tsw {

// The result of a statement at the end of the input: nothing was there.
inline constexpr uint16_t kStatementEndOfInput = 0;

// A statement with the segment-overflow retry: one that overflows its
// segment is compiled once more in the following origin. Its result code.
uint16_t CompileStatement();
// A compile starts with no statement open.
void ResetStatementNesting();
// The statement itself, without the retry.
uint16_t CompileStatementBody();
// After "{": the statements up to and with "}"; the last one's result, 2
// for an empty block.
uint16_t CompileCompoundStatement();
// After "if": the condition, the then-part and an else-part.
uint16_t CompileIf();
// Consumes ";" or reports it missing.
void ExpectStatementSemicolon();

// A row of the dispatcher. A row with a keyword is taken when the keyword
// stands at the cursor as a whole word (consumed before `compile` runs); a
// row without one asks `compile`, which answers kNotThisStatement with the
// input left as it was when the text is not its statement. `marked` rows
// are statements of their own and start with a statement mark; the others
// (labels, assembly blocks) come before it.
inline constexpr uint16_t kNotThisStatement = 0xFFFF;
struct StatementRow {
  const char *keyword;
  bool marked;
  uint16_t (*compile)();
};
std::span<const StatementRow> StatementRows();

} // namespace tsw
