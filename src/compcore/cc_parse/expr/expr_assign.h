#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>
#include <string>

class AST;

// The assignment level above the conditional: "=" and the ten compound
// forms, grouped to the right, and the type check every store and
// conversion makes of its two sides.
namespace tsw {

// A conditional expression and, when an assignment operator follows it,
// the assignment with it as the destination. Without `valueUsed` a
// constant may be stored without passing through the value register.
// `node` is the parser's tree of the expression, or null.
void CompileAssignmentExpression(ValueRecord &value, bool valueUsed, AST *node = nullptr);

// Consumes an assignment operator at the cursor: true, with `op` the
// arithmetic part ("" for "=", "+" for "+=", "<<" for "<<="); false and
// nothing consumed otherwise ("==" and "<=" are none).
bool ScanAssignmentOperator(std::string &op);

// The store of the right-hand side at the cursor into `destination`, which
// then describes the assignment's value.
// `node` is the right-hand side's tree, or null.
void CompileAssignment(ValueRecord &destination, const std::string &op, bool valueUsed, AST *node);

enum class TypeMatch : uint8_t {
  kCompatible = 0,
  kDifferentStructures = 1,
  kDifferentLevels = 2,
  kVoidInvolved = 3,
  kPointerAgainstValue = 4,
};
TypeMatch TypeCompatibility(uint8_t targetType, uint8_t sourceType, uint32_t targetWord, uint32_t sourceWord);
// 436, 437, 438 or 519 for a match other than compatible.
void ReportTypeMismatch(TypeMatch match, const ValueRecord &target, const ValueRecord &source);

} // namespace tsw
