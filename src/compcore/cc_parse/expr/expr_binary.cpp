#include "compcore/cc_parse/expr/expr_binary.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/conditional_jumps.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/constant_fold.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/operator_lowering.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/cc_ast.h"
#include "compcore/cc_parse/expr/expr_tree.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstring>

namespace tsw {

namespace {

// Levels 0-4, loosest first. || and && reach the or and and operations on
// their 0/1 operands when both are constants.
constexpr const char *kLogicalLevelTexts[] = {"||", "&&", "|", "^", "&"};
constexpr int kLevelOr = 0;
constexpr int kLevelAnd = 1;
constexpr int kLastLogicalLevel = 4;
// The tree's operator nodes of each of those levels.
constexpr int kLogicalLevelTokens[] = {OR, AND, BITWISEOR, BITWISEXOR, AMPERSAND};

// EmitConditionalJump's senses.
constexpr uint8_t kJumpWhenTrue = 0;
constexpr uint8_t kJumpWhenFalse = 1;

// Both conversion option bits: what a constant store and a ?: operand use.
constexpr uint8_t kConvertBothOptions = 3;

// The operator at the cursor is a compound assignment ("|=", "<<=", "+="):
// the text belongs to the assignment level.
bool CompoundAssignmentAtCursor() {
  const char *p = InputCursor;
  if ((p[0] == '<' || p[0] == '>') && p[1] == p[0])
    return p[2] == '=';
  return p[0] != 0 && std::strchr("|^&+-*/%", p[0]) && p[1] == '=';
}

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }

ADDR24 Here() { return Caches().currentCode->Current(); }

// Neither the flags nor the registers are known to hold a condition: where
// two paths of code meet, or after an operation whose result is a number.
void ForgetFlagState() {
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
}

// An object's address fixed at link time, which an initializer can store.
bool IsLinkTimeAddress(const ValueRecord &value) {
  const bool address = value.addressConstant || value.Level() == kLevelArray;
  const bool function = OutermostLevel(RemoveLevel(value.declarator)) == kLevelFunction;
  return address && !function && value.storage != kStoragePrimary && HasFixedAddress(value, value.storage);
}

// Such an address plus or minus an integer constant is one too: the
// offset, scaled by the element size, goes into the record's byte offset.
bool FoldAddressOffset(ArithOp op, ValueRecord &left, ValueRecord &right) {
  const bool leftAddress = IsLinkTimeAddress(left) && IsIntegralConstant(right);
  const bool rightAddress = op == ArithOp::kAdd && IsLinkTimeAddress(right) && IsIntegralConstant(left);
  if ((op != ArithOp::kAdd && op != ArithOp::kSubtract) || (!leftAddress && !rightAddress))
    return false;
  ValueRecord &address = leftAddress ? left : right;
  ValueRecord &offset = leftAddress ? right : left;
  ConvertConstantTo(offset, kTypeInt, false, kConvertDefaultOptions);
  const int32_t scaled = int32_t(int16_t(offset.value)) * int32_t(ArrayDimensionProduct(address));
  address.value = uint32_t(int32_t(address.value) + (op == ArithOp::kSubtract ? -scaled : scaled));
  if (!leftAddress)
    left = right;
  return true;
}

// A constant reader folds two constants (and an address with a constant
// offset); a run-time operand leaves the non-constant operand standing for
// the result, which the reader refuses.
void ApplyConstantOperation(ArithOp op, ValueRecord &left, ValueRecord &right) {
  if (FoldAddressOffset(op, left, right))
    return;
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

// The operation on two values, folded when both are constants, else
// lowered to code by the code generator; the result in the left record.
void ApplyOperation(const char *text, ValueRecord &left, ValueRecord &right) {
  const std::optional<ArithOp> op = ArithOpFromText(text);
  if (!WalkEmitsCode()) {
    ApplyConstantOperation(*op, left, right);
    return;
  }
  BeginBinaryOperation(text, left, right);
  if (IsComparison(*op) && !IsConstant(left)) {
    Walk().comparisonEnd = Here();
    Walk().comparisonEndValid = true;
  }
}

// A constant as int 0 or 1; a float -0.0 is 0.
void NormaliseTruth(ValueRecord &value) {
  if (IsConstant(value))
    value = MakeIntConstantValue(ConstantEquals(value, 0) ? 0 : 1);
}

// The value as int 0 or 1 in HL, the zero flag set when it is 0.
void TestValueForTruth(ValueRecord &value) {
  if (value.storage == kStorageConstant)
    LoadOperandToValueRegister(value);
  if (value.IsByteResult())
    WidenCharInA(value);
  EmitTestForZero(value);
  value = MakeValue(kTypeInt, kLevelNone, kStoragePrimary, false);
}

// Matches one of `texts` at the cursor: the operator, else none.
const char *MatchOneOf(std::initializer_list<const char *> texts) {
  SkipToOperand();
  for (const char *text : texts)
    if (MatchKeyword(text))
      return text;
  return nullptr;
}

void CompileNextLogicalLevel(ValueRecord &value, int level, AST *node) {
  if (level < kLastLogicalLevel)
    CompileBinaryLevel(value, level + 1, node);
  else
    CompileEquality(value, node);
}

bool LogicalOperatorAtCursor(int level) {
  const char *text = kLogicalLevelTexts[level];
  const char c = SkipToOperand();
  if (c != text[0])
    return false;
  if (text[1] == 0 && InputCursor[1] == c)
    return false;
  if (CompoundAssignmentAtCursor())
    return false;
  return MatchKeyword(text) != 0;
}

// || and && with a constant left operand: one that decides the result
// leaves the right operand's code out; otherwise the result is the right
// operand's truth.
void CompileDecidedLogical(ValueRecord &result, int level, AST *rightNode) {
  NormaliseTruth(result);
  const bool decides = ConstantEquals(result, level == kLevelOr ? 1 : 0);
  // The save point cannot take back a push of an operand cached before it.
  if (WalkEmitsCode())
    FlushPrimaryRegister();
  const uint32_t point = PushCodeSavePoint();
  ValueRecord right;
  CompileNextLogicalLevel(right, level, rightNode);
  CheckValueNotVoid(result);
  CheckValueNotVoid(right);
  NormaliseTruth(right);
  if (decides) {
    RestoreCodeSavePoint(point);
    DropCodeSavePoint(point);
    // What the dropped code told of the flags is gone with it.
    if (WalkEmitsCode())
      ForgetFlagState();
    if (!IsConstant(right) && !WalkEmitsCode())
      Walk().needsCode = true;
    return;
  }
  DropCodeSavePoint(point);
  if (IsConstant(right) || !WalkEmitsCode()) {
    ApplyOperation(kLogicalLevelTexts[level], result, right);
    return;
  }
  TestValueForTruth(right);
  result = right;
}

// || and && with a run-time left operand: a jump over the right operand
// when the left decides. Both paths end with the result as int 0/1 in HL
// and the zero flag set when it is 0.
void CompileJumpingLogical(ValueRecord &result, int level, AST *rightNode) {
  FlushPrimaryRegister();
  if (result.IsByteResult())
    WidenCharInA(result);
  // The jump tests the 0/1 value, so the taken path leaves it in HL too.
  ExpressionFlags().retract = false;
  const JumpRecord skip = EmitConditionalJump(result, {}, level == kLevelOr ? kJumpWhenTrue : kJumpWhenFalse, false);
  ValueRecord right;
  CompileNextLogicalLevel(right, level, rightNode);
  CheckValueNotVoid(result);
  CheckValueNotVoid(right);
  NormaliseTruth(right);
  TestValueForTruth(right);
  EmitFarJumpFixup(skip, Here());
  Emission().flagsValid = true;
  Emission().valueIsCondition = true;
  result = right;
}

// The larger of two type codes for the merged result of ?:.
uint8_t MergedType(uint8_t a, uint8_t b) { return std::max(a, b); }

struct ConditionalType {
  uint8_t type;
  uint32_t declarator;
};

// The type of c ? second : third; 401 for pointers that do not meet.
ConditionalType MergeConditionalTypes(const ValueRecord &second, const ValueRecord &third, bool secondZero,
                                      bool thirdZero) {
  ConditionalType merged{second.type, second.declarator};
  if (second.declarator == 0 && third.declarator == 0) {
    merged.type = MergedType(second.type, third.type);
  } else if (third.declarator != 0) {
    if (third.declarator != second.declarator || third.type != second.type) {
      if (secondZero)
        merged = {third.type, third.declarator};
      else
        CompileError<kMsgInvalidOperands>();
    }
  } else if (!thirdZero) {
    CompileError<kMsgInvalidOperands>();
  }
  return merged;
}

bool NeedsConversionCode(const ConditionalType &merged) {
  return merged.declarator == 0 && merged.type > kTypeUnsigned && merged.type < kFirstStructType;
}

// ?: with a constant condition: the operand not taken is compiled for its
// type only, its code taken back.
void CompileConstantConditional(ValueRecord &result, AST *secondNode, AST *thirdNode) {
  const bool takeSecond = !ConstantEquals(result, 0);
  if (WalkEmitsCode())
    FlushPrimaryRegister();
  ValueRecord second;
  uint32_t point = PushCodeSavePoint();
  CompileConditional(second, secondNode);
  if (!takeSecond)
    RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  ExpectChar(':');
  ValueRecord third;
  point = PushCodeSavePoint();
  CompileConditional(third, thirdNode);
  if (takeSecond)
    RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  if (!takeSecond || WalkEmitsCode())
    ForgetFlagState();

  const ConditionalType merged =
      MergeConditionalTypes(second, third, ConstantEquals(second, 0), ConstantEquals(third, 0));
  result = takeSecond ? second : third;
  if (merged.declarator == 0 && result.type != merged.type && merged.type < kFirstStructType) {
    if (IsConstant(result))
      ConvertConstantTo(result, merged.type, false, kConvertDefaultOptions);
    else if (WalkEmitsCode())
      ConvertOperandTo(result, merged.type, false, kConvertBothOptions);
  }
  result.type = merged.type;
  result.declarator = merged.declarator;
}

// ?: at run time: the condition jumps to the third operand, the second
// jumps over it, and both leave their value in the value register.
void CompileRunTimeConditional(ValueRecord &result, AST *secondNode, AST *thirdNode) {
  FlushPrimaryRegister();
  ExpressionFlags().retract = ComparisonEndsHere(result);
  const JumpRecord toThird = EmitConditionalJump(result, {}, kJumpWhenFalse, false);
  ValueRecord second;
  CompileConditional(second, secondNode);
  const bool secondZero = ConstantEquals(second, 0);
  CheckValueNotVoid(second);
  LoadOperandToValueRegister(second);
  ExpectChar(':');
  JumpRecord toEnd = EmitJumpToAddr24({}, kOpJump);
  EmitFarJumpFixup(toThird, Here());
  ForgetFlagState();

  ValueRecord third;
  CompileConditional(third, thirdNode);
  const bool thirdZero = ConstantEquals(third, 0);
  CheckValueNotVoid(third);
  LoadOperandToValueRegister(third);

  const ConditionalType merged = MergeConditionalTypes(second, third, secondZero, thirdZero);
  if (NeedsConversionCode(merged)) {
    if (third.type < merged.type) {
      ConvertOperandTo(third, merged.type, false, kConvertBothOptions);
    } else if (second.type < merged.type) {
      // The second operand's conversion sits behind the third's path.
      const JumpRecord overConversion = EmitJumpToAddr24({}, kOpJump);
      EmitFarJumpFixup(toEnd, Here());
      ConvertOperandTo(second, merged.type, false, kConvertBothOptions);
      toEnd = overConversion;
    }
  }
  EmitFarJumpFixup(toEnd, Here());
  ForgetFlagState();
  result = MakeValue(merged.type, merged.declarator, kStoragePrimary, false);
}

// The common step of a binary operator: the right operand compiled by
// `compileRight`, then the operation.
template <class CompileRight>
void BinaryStep(const char *text, ValueRecord &left, CompileRight compileRight, AST *rightNode) {
  ValueRecord right;
  const bool emits = WalkEmitsCode();
  // Held in the registers, the left operand is pushed only if the right one
  // needs them.
  if (emits && left.storage == kStoragePrimary)
    CachePrimaryRegister(left, false);
  compileRight(right, rightNode);
  if (emits)
    ForgetPrimaryRegister(left);
  CheckValueNotVoid(left);
  CheckValueNotVoid(right);
  ApplyOperation(text, left, right);
}

} // namespace

bool ComparisonEndsHere(const ValueRecord &condition) {
  return condition.skipLength != 0 && Walk().comparisonEndValid && Addr24Equal(Walk().comparisonEnd, Here());
}

void CompileBinaryStep(const char *text, void (*next)(ValueRecord &, AST *), ValueRecord &left, AST *rightNode) {
  BinaryStep(text, left, next, rightNode);
}

// Each level below walks the tree as it reads the text: it passes its own
// operator nodes down to the leftmost operand's, and after each operator
// the text shows, gives the right operand the next sibling and goes on
// with the parent, so a left-leaning chain is walked from its bottom up.

void CompileConditional(ValueRecord &result, AST *node) {
  node = StepThrough(node, {QUESTIONMARK}, NodeMark::kCleared);
  CompileBinaryLevel(result, kLevelOr, node);
  if (SkipToOperand() != '?')
    return;
  ConsumeChar();
  CheckValueNotVoid(result);
  AST *secondNode = NextSibling(node);
  AST *thirdNode = NextSibling(secondNode);
  if (IsConstant(result) || !WalkEmitsCode()) {
    if (!IsConstant(result))
      Walk().needsCode = true;
    CompileConstantConditional(result, secondNode, thirdNode);
  } else {
    CompileRunTimeConditional(result, secondNode, thirdNode);
  }
}

void CompileBinaryLevel(ValueRecord &result, int level, AST *node) {
  node = StepThrough(node, {kLogicalLevelTokens[level]}, NodeMark::kCleared);
  CompileNextLogicalLevel(result, level, node);
  while (LogicalOperatorAtCursor(level)) {
    AST *rightNode = NextSibling(node);
    node = ParentNode(node);
    if (level == kLevelOr || level == kLevelAnd) {
      if (IsConstant(result) || !WalkEmitsCode())
        CompileDecidedLogical(result, level, rightNode);
      else
        CompileJumpingLogical(result, level, rightNode);
      continue;
    }
    // A bitwise result is a number, never a pending condition.
    const bool emits = WalkEmitsCode();
    if (emits)
      ForgetFlagState();
    BinaryStep(
        kLogicalLevelTexts[level], result,
        [level](ValueRecord &right, AST *operand) { CompileNextLogicalLevel(right, level, operand); }, rightNode);
    if (emits)
      ForgetFlagState();
  }
}

void CompileEquality(ValueRecord &result, AST *node) {
  node = StepThrough(node, {EQUAL, NOTEQUAL}, NodeMark::kFromParent);
  CompileRelational(result, node);
  while (SkipToOperand() == '=' || *InputCursor == '!') {
    const char *text = MatchOneOf({"==", "!="});
    if (!text)
      return;
    CompileBinaryStep(text, CompileRelational, result, NextSibling(node));
    node = ParentNode(node);
  }
}

void CompileRelational(ValueRecord &result, AST *node) {
  node = StepThrough(node, {LESSTHAN, GREATERTHAN, LESSTHANOREQUALTO, GREATERTHANOREQUALTO}, NodeMark::kFromParent);
  CompileShift(result, node);
  for (;;) {
    const char c = SkipToOperand();
    if ((c != '<' && c != '>') || InputCursor[1] == c)
      return;
    const char *text = MatchOneOf({"<=", ">=", "<", ">"});
    if (!text)
      return;
    CompileBinaryStep(text, CompileShift, result, NextSibling(node));
    node = ParentNode(node);
  }
}

void CompileShift(ValueRecord &result, AST *node) {
  node = StepThrough(node, {SHIFTLEFT, SHIFTRIGHT}, NodeMark::kCleared);
  CompileAdditive(result, node);
  for (;;) {
    const char c = SkipToOperand();
    if ((c != '<' && c != '>') || CompoundAssignmentAtCursor())
      return;
    const char *text = MatchOneOf({"<<", ">>"});
    if (!text)
      return;
    CompileBinaryStep(text, CompileAdditive, result, NextSibling(node));
    node = ParentNode(node);
  }
}

void CompileAdditive(ValueRecord &result, AST *node) {
  node = StepThrough(node, {PLUS, MINUS}, NodeMark::kCleared);
  CompileMultiplicative(result, node);
  char c = SkipToOperand();
  if ((c != '+' && c != '-') || CompoundAssignmentAtCursor())
    return;
  while ((c = SkipToOperand()) == '+' || c == '-') {
    // "a++ + b" leaves its step to the postfix level; here only one sign.
    if (InputCursor[1] == c)
      return;
    ConsumeChar();
    CompileBinaryStep(c == '+' ? "+" : "-", CompileMultiplicative, result, NextSibling(node));
    node = ParentNode(node);
  }
}

void CompileMultiplicative(ValueRecord &result, AST *node) {
  node = StepThrough(node, {STAR, DIVIDE, MOD}, NodeMark::kCleared);
  GenerateUnaryExpression(result, node);
  char c = SkipToOperand();
  if ((c != '*' && c != '/' && c != '%') || CompoundAssignmentAtCursor())
    return;
  while ((c = SkipToOperand()) == '*' || c == '/' || c == '%') {
    ConsumeChar();
    CompileBinaryStep(c == '*' ? "*" : c == '/' ? "/" : "%", GenerateUnaryExpression, result, NextSibling(node));
    node = ParentNode(node);
  }
}

} // namespace tsw
