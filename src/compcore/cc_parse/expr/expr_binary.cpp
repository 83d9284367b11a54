#include "compcore/cc_parse/expr/expr_binary.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/constant_fold.h"
#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstring>

namespace tsw {

namespace {

struct LogicalLevel {
  const char *text;
  ArithOp op;
};
// Levels 0-4. || and && reach the or and and operations on their 0/1
// operands.
constexpr LogicalLevel kLogicalLevels[] = {
    {"||", ArithOp::kOr}, {"&&", ArithOp::kAnd}, {"|", ArithOp::kOr}, {"^", ArithOp::kXor}, {"&", ArithOp::kAnd},
};
constexpr int kLevelOr = 0;
constexpr int kLevelAnd = 1;
constexpr int kLastLogicalLevel = 4;

// The operator at the cursor is a compound assignment ("|=", "<<=", "+="):
// the text belongs to the assignment level.
bool CompoundAssignmentAtCursor() {
  const char *p = InputCursor;
  if ((p[0] == '<' || p[0] == '>') && p[1] == p[0])
    return p[2] == '=';
  return p[0] != 0 && std::strchr("|^&+-*/%", p[0]) && p[1] == '=';
}

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }

// The operation on two values. Two constants fold to the value the target
// computes. Run-time operands are the code generator's operator lowering,
// which this walk does not reach: the non-constant operand stands for the
// result, so the constant readers refuse it.
void ApplyOperation(ArithOp op, ValueRecord &left, ValueRecord &right) {
  if (!IsConstant(left) || !IsConstant(right)) {
    if (IsConstant(left))
      left = right;
    Walk().needsCode = true;
    return;
  }
  BinaryOperands pair = MakeBinaryOperands(left, right);
  if (RunCompileTimeOperation(pair, op) == OperationState::kCodeNeeded)
    Walk().needsCode = true;
  FinishBinaryOperation(pair, ConvertConstantTo);
}

// A constant as int 0 or 1; a float -0.0 is 0.
void NormaliseTruth(ValueRecord &value) {
  if (IsConstant(value))
    value = MakeIntConstantValue(ConstantEquals(value, 0) ? 0 : 1);
}

// Compiles the right operand with `next` and applies the operator.
void BinaryStep(ArithOp op, void (*next)(ValueRecord &), ValueRecord &left) {
  ValueRecord right;
  next(right);
  CheckValueNotVoid(left);
  CheckValueNotVoid(right);
  ApplyOperation(op, left, right);
}

// Matches one of `texts` at the cursor: the operator, else none.
const char *MatchOneOf(std::initializer_list<const char *> texts) {
  SkipToOperand();
  for (const char *text : texts)
    if (MatchKeyword(text))
      return text;
  return nullptr;
}

void CompileNextLogicalLevel(ValueRecord &value, int level) {
  if (level < kLastLogicalLevel)
    CompileBinaryLevel(value, level + 1);
  else
    CompileEquality(value);
}

bool LogicalOperatorAtCursor(int level) {
  const char *text = kLogicalLevels[level].text;
  const char c = SkipToOperand();
  if (c != text[0])
    return false;
  if (text[1] == 0 && InputCursor[1] == c)
    return false;
  if (CompoundAssignmentAtCursor())
    return false;
  return MatchKeyword(text) != 0;
}

// The larger of two type codes for the merged result of ?:.
uint8_t MergedType(uint8_t a, uint8_t b) { return std::max(a, b); }

} // namespace

void CompileConditional(ValueRecord &result) {
  CompileBinaryLevel(result, kLevelOr);
  if (SkipToOperand() != '?')
    return;
  ConsumeChar();
  ValueRecord condition = result;
  ValueRecord second;
  CompileConditional(second);
  ExpectChar(':');
  ValueRecord third;
  CompileConditional(third);

  // The result type is decided per expression: a nested ?: has its own.
  uint8_t type = second.type;
  uint32_t declarator = second.declarator;
  const bool secondZero = ConstantEquals(second, 0);
  const bool thirdZero = ConstantEquals(third, 0);
  if (second.declarator == 0 && third.declarator == 0) {
    type = MergedType(second.type, third.type);
  } else if (third.declarator != 0) {
    if (third.declarator != second.declarator || third.type != second.type) {
      if (secondZero) {
        type = third.type;
        declarator = third.declarator;
      } else {
        CompileError<kMsgInvalidOperands>();
      }
    }
  } else if (!thirdZero) {
    CompileError<kMsgInvalidOperands>();
  }

  if (!IsConstant(condition)) {
    Walk().needsCode = true;
    result = second;
  } else {
    result = ConstantEquals(condition, 0) ? third : second;
  }
  if (IsConstant(result) && declarator == 0 && result.type != type)
    ConvertConstantTo(result, type, false, kConvertDefaultOptions);
  result.type = type;
  result.declarator = declarator;
}

void CompileBinaryLevel(ValueRecord &result, int level) {
  CompileNextLogicalLevel(result, level);
  while (LogicalOperatorAtCursor(level)) {
    const bool logical = level == kLevelOr || level == kLevelAnd;
    ValueRecord right;
    CompileNextLogicalLevel(right, level);
    CheckValueNotVoid(result);
    CheckValueNotVoid(right);
    if (logical) {
      // As a value, || and && give int 0 or 1.
      NormaliseTruth(result);
      NormaliseTruth(right);
      // A constant left operand that decides the result leaves a run-time
      // right operand unevaluated, but the result is then the constant
      // loaded for run time, no constant of the expression.
      const bool decided = IsConstant(result) && ConstantEquals(result, level == kLevelOr ? 1 : 0);
      if (decided) {
        if (!IsConstant(right))
          Walk().needsCode = true;
        continue;
      }
    }
    ApplyOperation(kLogicalLevels[level].op, result, right);
  }
}

void CompileEquality(ValueRecord &result) {
  CompileRelational(result);
  while (SkipToOperand() == '=' || *InputCursor == '!') {
    const char *text = MatchOneOf({"==", "!="});
    if (!text)
      return;
    BinaryStep(text[0] == '=' ? ArithOp::kEqual : ArithOp::kNotEqual, CompileRelational, result);
  }
}

void CompileRelational(ValueRecord &result) {
  CompileShift(result);
  for (;;) {
    const char c = SkipToOperand();
    if ((c != '<' && c != '>') || InputCursor[1] == c)
      return;
    const char *text = MatchOneOf({"<=", ">=", "<", ">"});
    if (!text)
      return;
    const bool orEqual = text[1] == '=';
    const ArithOp op = text[0] == '<' ? (orEqual ? ArithOp::kLessEqual : ArithOp::kLess)
                                      : (orEqual ? ArithOp::kGreaterEqual : ArithOp::kGreater);
    BinaryStep(op, CompileShift, result);
  }
}

void CompileShift(ValueRecord &result) {
  CompileAdditive(result);
  for (;;) {
    const char c = SkipToOperand();
    if ((c != '<' && c != '>') || CompoundAssignmentAtCursor())
      return;
    const char *text = MatchOneOf({"<<", ">>"});
    if (!text)
      return;
    BinaryStep(text[0] == '<' ? ArithOp::kShiftLeft : ArithOp::kShiftRight, CompileAdditive, result);
  }
}

void CompileAdditive(ValueRecord &result) {
  CompileMultiplicative(result);
  char c = SkipToOperand();
  if ((c != '+' && c != '-') || CompoundAssignmentAtCursor())
    return;
  while ((c = SkipToOperand()) == '+' || c == '-') {
    // "a++ + b" leaves its step to the postfix level; here only one sign.
    if (InputCursor[1] == c)
      return;
    ConsumeChar();
    BinaryStep(c == '+' ? ArithOp::kAdd : ArithOp::kSubtract, CompileMultiplicative, result);
  }
}

void CompileMultiplicative(ValueRecord &result) {
  GenerateUnaryExpression(result);
  char c = SkipToOperand();
  if ((c != '*' && c != '/' && c != '%') || CompoundAssignmentAtCursor())
    return;
  while ((c = SkipToOperand()) == '*' || c == '/' || c == '%') {
    ConsumeChar();
    const ArithOp op = c == '*' ? ArithOp::kMultiply : c == '/' ? ArithOp::kDivide : ArithOp::kRemainder;
    BinaryStep(op, GenerateUnaryExpression, result);
  }
}

} // namespace tsw
