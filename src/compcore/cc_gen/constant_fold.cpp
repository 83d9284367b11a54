#include "compcore/cc_gen/constant_fold.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <utility>

namespace tsw {
namespace {

constexpr uint16_t kRegisterStateFlags = kValueStepNotLoaded | kValueCodeFlag13;

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }

void SwapRecords(BinaryOperands &pair) {
  std::swap(pair.left, pair.right);
  pair.recordsSwapped = !pair.recordsSwapped;
}

void SetInvalid(BinaryOperands &pair) { pair.state = OperationState::kInvalid; }

void WarnFunctionPointer(const BinaryOperands &pair) {
  if (OperandIs(*pair.left, kOperandPointerToFunction) || OperandIs(*pair.right, kOperandPointerToFunction))
    CompileWarningTrivial<kMsgFunctionPointerArithmetic>();
}

void WarnPointer(const BinaryOperands &pair) {
  if (OperandIs(*pair.left, kOperandHasLevel) || OperandIs(*pair.right, kOperandHasLevel))
    CompileWarningTrivial<kMsgPointerArithmetic>();
}

bool PrepareAddition(BinaryOperands &pair) {
  if (BothAre(pair, kOperandHasLevel, kOperandHasLevel) || BothAre(pair, kOperandHasLevel, kOperandFloat) ||
      BothAre(pair, kOperandFloat, kOperandHasLevel)) {
    SetInvalid(pair);
    return false;
  }
  WarnFunctionPointer(pair);
  return true;
}

bool PrepareSubtraction(BinaryOperands &pair) {
  if (!OperandIs(*pair.left, kOperandHasLevel) && OperandIs(*pair.right, kOperandHasLevel)) {
    SetInvalid(pair);
    return false;
  }
  WarnFunctionPointer(pair);
  return true;
}

bool PrepareMultiplicativeOrBitwise(BinaryOperands &pair, uint8_t rejectedClasses) {
  if (BothAre(pair, rejectedClasses, rejectedClasses)) {
    SetInvalid(pair);
    return false;
  }
  WarnFunctionPointer(pair);
  WarnPointer(pair);
  return true;
}

bool PrepareComparison(BinaryOperands &pair) {
  pair.comparison = true;
  // Addresses compare as unsigned 16-bit numbers.
  if (OperandIs(*pair.left, kOperandHasLevel) || OperandIs(*pair.right, kOperandHasLevel))
    pair.resultType = kTypeUnsigned;
  return true;
}

bool IsPointerAddOrSubtract(const BinaryOperands &pair, ArithOp op) {
  return (op == ArithOp::kAdd || op == ArithOp::kSubtract) &&
         (OperandIs(*pair.left, kOperandHasLevel) || OperandIs(*pair.right, kOperandHasLevel));
}

// The result is the constant 0, built from the constant right operand. A
// left operand already pushed (the right one was a constant only once
// compiled) has no routine left to pop it: it is dropped here.
void MakeZeroResult(BinaryOperands &pair) {
  if (pair.left->storage == kStorageStackStruct)
    EmitStackAdjustAndTrack(int16_t(OperandByteSize(*pair.left, OperandSizeMode::kPointer)));
  *pair.left = *pair.right;
  pair.left->value = 0;
  pair.state = OperationState::kLeftIsResult;
}

void ApplyIdentities(BinaryOperands &pair, ArithOp op) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  const bool pointerArithmetic = IsPointerAddOrSubtract(pair, op);
  pair.state = OperationState::kCodeNeeded;
  switch (op) {
  case ArithOp::kAdd:
    if (pointerArithmetic) {
      // The pointer goes left, where the scaling of the integer expects it.
      if (OperandIs(right, kOperandHasLevel))
        SwapRecords(pair);
      return;
    }
    if (IsConstant(left))
      SwapRecords(pair);
    if (ConstantEquals(*pair.right, 0))
      pair.state = OperationState::kLeftIsResult;
    return;
  case ArithOp::kSubtract:
    if (!pointerArithmetic && ConstantEquals(right, 0))
      pair.state = OperationState::kLeftIsResult;
    return;
  case ArithOp::kMultiply:
    if (IsConstant(left))
      SwapRecords(pair);
    if (ConstantEquals(*pair.right, 0))
      MakeZeroResult(pair);
    else if (ConstantEquals(*pair.right, 1))
      pair.state = OperationState::kLeftIsResult;
    return;
  case ArithOp::kDivide:
    if (ConstantEquals(right, 0))
      pair.state = OperationState::kDivideByZero;
    else if (ConstantEquals(left, 0) || ConstantEquals(right, 1))
      pair.state = OperationState::kLeftIsResult;
    return;
  case ArithOp::kRemainder:
    if (!OperandIs(left, kOperandIntegral) || !OperandIs(right, kOperandIntegral))
      SetInvalid(pair);
    else if (ConstantEquals(right, 0))
      pair.state = OperationState::kDivideByZero;
    else if (ConstantEquals(left, 0))
      pair.state = OperationState::kLeftIsResult;
    else if (ConstantEquals(right, 1))
      MakeZeroResult(pair);
    return;
  default:
    return;
  }
}

} // namespace

BinaryOperands MakeBinaryOperands(ValueRecord &left, ValueRecord &right) {
  BinaryOperands pair;
  pair.left = &left;
  pair.right = &right;
  return pair;
}

bool OperandIs(const ValueRecord &value, uint8_t mask) {
  if ((mask & kOperandPointerToFunction) && IsPointerToFunction(value))
    return true;
  if ((mask & kOperandIntegral) && value.type <= kTypeUnsignedLong)
    return true;
  if ((mask & kOperandFloat) && value.type == kTypeFloat)
    return true;
  return (mask & kOperandHasLevel) && value.HasLevel();
}

bool BothAre(const BinaryOperands &pair, uint8_t leftMask, uint8_t rightMask) {
  return OperandIs(*pair.left, leftMask) && OperandIs(*pair.right, rightMask);
}

void SetResultType(BinaryOperands &pair, ArithOp op) {
  // A shift is done in its left operand's type: the count neither widens
  // it nor makes a signed value shift in zeros.
  const bool shift = op == ArithOp::kShiftLeft || op == ArithOp::kShiftRight;
  pair.resultType = shift ? pair.left->type : std::max(pair.left->type, pair.right->type);
  if (pair.resultType == kTypeChar && op != ArithOp::kAdd && op != ArithOp::kSubtract)
    pair.resultType = kTypeInt;
}

bool ApplyOperandRules(BinaryOperands &pair, ArithOp op) {
  SetResultType(pair, op);
  switch (op) {
  case ArithOp::kAdd:
    return PrepareAddition(pair);
  case ArithOp::kSubtract:
    return PrepareSubtraction(pair);
  case ArithOp::kMultiply:
  case ArithOp::kDivide:
  case ArithOp::kRemainder:
    return PrepareMultiplicativeOrBitwise(pair, kOperandHasLevel);
  case ArithOp::kShiftLeft:
  case ArithOp::kShiftRight:
  case ArithOp::kAnd:
  case ArithOp::kOr:
  case ArithOp::kXor:
    return PrepareMultiplicativeOrBitwise(pair, kOperandFloat | kOperandHasLevel);
  default:
    return PrepareComparison(pair);
  }
}

bool FoldConstantBinaryOp(BinaryOperands &pair, ArithOp op) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  if (!IsConstant(left) || !IsConstant(right) || IsPointerAddOrSubtract(pair, op))
    return false;
  ConvertConstantTo(left, pair.resultType, false, kConvertDefaultOptions);
  ConvertConstantTo(right, pair.resultType, false, kConvertDefaultOptions);
  pair.state = OperationState::kPrepared;
  ArithResult result;
  if (IsIntegerType(left.type)) {
    result = ApplyIntegerOp(op, left.type, left.value, right.value);
  } else if (left.type == kTypeFloat) {
    result = ApplyFloatOp(op, left.value, right.value);
  } else {
    CompileError<kMsgCannotFoldType>();
    return true;
  }
  switch (result.status) {
  case ArithStatus::kDivideByZero:
    CompileError<kMsgConstantDivideByZero>();
    return true;
  case ArithStatus::kUndefined:
    SetInvalid(pair);
    return true;
  case ArithStatus::kDone:
    break;
  }
  left.value = result.value;
  if (IsComparison(op))
    left.type = kTypeInt;
  return true;
}

OperationState RunCompileTimeOperation(BinaryOperands &pair, ArithOp op) {
  if (!ApplyOperandRules(pair, op))
    return pair.state;
  if (!FoldConstantBinaryOp(pair, op))
    ApplyIdentities(pair, op);
  return pair.state;
}

void ReportInternalCodegenError() { CompileError<kMsgInvalidOperands>(); }

void FinishBinaryOperation(BinaryOperands &pair, OperandConverter convert) {
  if (pair.state == OperationState::kInvalid) {
    ReportInternalCodegenError();
    return;
  }
  if (pair.state == OperationState::kDivideByZero) {
    CompileError<kMsgConstantDivideByZero>();
    return;
  }
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  if (pair.state == OperationState::kLeftIsResult && left.type != pair.resultType)
    convert(left, pair.resultType, left.HasLevel(), kConvertDefaultOptions);
  // The operation's routine took its stacked operands. Without code, the
  // left one stays stacked as the result, and a stacked right one (0 % x,
  // x left on the stack by x - 0) is dropped here.
  const bool noCode = pair.state == OperationState::kLeftIsResult;
  for (const ValueRecord *operand : {&left, &right}) {
    if (operand->storage != kStorageStackStruct || (noCode && operand == &left))
      continue;
    const int16_t size = int16_t(OperandByteSize(*operand, OperandSizeMode::kPointer));
    if (noCode)
      EmitAdjustStackPointer(size, true);
    Emission().stackOffset = static_cast<int16_t>(Emission().stackOffset + size);
  }
  // A constant left result (0 / x) is not the right operand left in the
  // registers: it stays the constant.
  const bool resultInRegisters = pair.state != OperationState::kLeftIsResult;
  if (resultInRegisters && right.storage == kStoragePrimary && left.storage != kStoragePrimary) {
    left.storage = kStoragePrimary;
    left.flags = (left.flags & ~kRegisterStateFlags) | (right.flags & kRegisterStateFlags);
    left.SetByteResult(right.IsByteResult());
  }
  if (pair.comparison) {
    left.type = kTypeInt;
    left.declarator = 0;
    left.SetByteResult(false);
  }
  if (pair.recordsSwapped)
    right = left;
}

} // namespace tsw
