#pragma once

#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// The operand pair of one binary operator and what can be done with it
// before any code: the operand rules (the result type, the invalid pairs,
// the pointer warnings), folding two constants to the value the target
// computes, and the identities that need no code (x + 0, x * 1, 0 / x ...).
// The end of the operation reports a failure and marks the result once,
// whichever way the operation went.
namespace tsw {

enum class OperationState : uint8_t {
  kInvalid = 0,          // invalid operand types: 401 at the end
  kDivideByZero = 1,     // by a constant zero: 400 at the end
  kPrepared = 2,         // prepared, folded or emitted
  kCodeNeeded = 3,
  kLeftIsResult = 4,     // the left operand, converted to the result type
  kAddressFolded = 5,    // a constant offset went into an address constant
  kZeroElementSize = 6,  // pointer arithmetic on an element of size 0
};

struct BinaryOperands {
  // The result is always built in the record left points to; the two
  // pointers may be exchanged on the way.
  ValueRecord *left = nullptr;
  ValueRecord *right = nullptr;
  uint8_t resultType = 0;
  OperationState state = OperationState::kPrepared;
  bool recordsSwapped = false; // the result is copied into the other record
  bool swappedAtRunTime = false;
  bool operandsReversed = false;
  bool pointerDifference = false;
  bool comparison = false; // the result is an int
};
BinaryOperands MakeBinaryOperands(ValueRecord &left, ValueRecord &right);

// Operand classes of the rules; a value matches a mask when any of its
// classes does.
enum : uint8_t {
  kOperandIntegral = 1,          // type code up to unsigned long, pointers to them too
  kOperandFloat = 2,
  kOperandHasLevel = 4,
  kOperandPointerToFunction = 8,
};
bool OperandIs(const ValueRecord &value, uint8_t mask);
bool BothAre(const BinaryOperands &pair, uint8_t leftMask, uint8_t rightMask);

// The larger of the two type codes; two chars stay char only for + and -,
// as the emitted code computes everything else in int.
void SetResultType(BinaryOperands &pair, ArithOp op);
// The operator's rule: sets the result type, gives the pointer warnings
// (2104, 2107) and the invalid state. True while the pair is still valid.
bool ApplyOperandRules(BinaryOperands &pair, ArithOp op);

// Both operands constants: both converted to the result type and folded into
// the left one, state 2 (400 at once for a division by zero, state 0 for a
// float operand of an integer-only operator). False, and nothing changed,
// when either is not a constant, and for + and - of a pointer, which scale
// their integer operand first.
bool FoldConstantBinaryOp(BinaryOperands &pair, ArithOp op);

// The rules, the fold, then the identities; leaves the state the operation
// goes on with (3 when code is needed).
OperationState RunCompileTimeOperation(BinaryOperands &pair, ArithOp op);

// How the end of the operation converts the left operand to the result type.
using OperandConverter = void (*)(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options);
// The end of the operation: 401 or 400 for the failed states; otherwise the
// left operand converted when it is the result, pushed operands counted as
// consumed, the result marked (in registers, int for a comparison) and
// copied back when the records were swapped.
void FinishBinaryOperation(BinaryOperands &pair, OperandConverter convert);

// What the expression compiler raises for operands it cannot hand on (401).
void ReportInternalCodegenError();

} // namespace tsw
