#include "compcore/cc_gen/operator_lowering.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/constant_fold.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/operand_placement.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"

#include <array>
#include <bit>
#include <cstdlib>
#include <string>

namespace tsw {

namespace {

bool Corvid() { return CurrentCpu() == TargetCpu::Corvid; }
bool CompiledForSize() { return Attributes().current & kAttrSize; }
bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }
int32_t IntConstant(const ValueRecord &value) { return int16_t(value.value); }

// ---- fixed sequences --------------------------------------------------------------

constexpr uint8_t kCorvidMultiplyT[] = {TemplateHeader(5), 0x44, 0x4D, 0xF7, 0x60, 0x69};
constexpr uint8_t kCorvidEqualTailT[] = {TemplateHeader(3), 0xCC, 0x2B, 0xCC};
constexpr uint8_t kCorvidBoolHlT[] = {TemplateHeader(1), 0xCC};
constexpr uint8_t kCorvidOrHlDeT[] = {TemplateHeader(1), 0xEC};
constexpr uint8_t kCorvidAndHlDeT[] = {TemplateHeader(1), 0xDC};
constexpr uint8_t kXorHlDeT[] = {TemplateHeader(6), 0x7D, 0xAB, 0x6F, 0x7C, 0xAA, 0x67};
constexpr uint8_t kLdBT[] = {TemplateHeader(1, OperandKind::kByte), 0x06};
constexpr uint8_t kLdAT[] = {TemplateHeader(1, OperandKind::kByte), 0x3E};
constexpr uint8_t kLdHZeroT[] = {TemplateHeader(2), 0x26, 0x00};
// The sign bits flipped, so that an unsigned subtraction orders signed
// words: the Corvid rotates them through the carry, the Z180 goes through
// A (xor also clears the carry).
constexpr uint8_t kCorvidFlipBothT[] = {TemplateHeader(6), 0xF3, 0x3F, 0xFB, 0x29, 0x3F, 0xFC};
constexpr uint8_t kCorvidFlipHT[] = {TemplateHeader(3), 0x29, 0x3F, 0xFC};
constexpr uint8_t kZ180FlipBothT[] = {TemplateHeader(8), 0x7C, 0xEE, 0x80, 0x67, 0x7A, 0xEE, 0x80, 0x57};
constexpr uint8_t kZ180FlipHT[] = {TemplateHeader(4), 0x7C, 0xEE, 0x80, 0x67};
constexpr uint8_t kOrAT[] = {TemplateHeader(1), 0xB7};
constexpr uint8_t kScfT[] = {TemplateHeader(1), 0x37};
constexpr uint8_t kSbcHlDeT[] = {TemplateHeader(2), 0xED, 0x52};
constexpr uint8_t kCcfT[] = {TemplateHeader(1), 0x3F};
// The carry made HL's 0/1, the zero flag set iff 0: what a jump on the
// carry may take back.
constexpr uint8_t kCorvidCarryTailT[] = {TemplateHeader(3), 0xED, 0x62, 0xCC};
constexpr uint8_t kZ180CarryTailT[] = {TemplateHeader(5), 0x21, 0x00, 0x00, 0xED, 0x6A};
constexpr int16_t kCorvidCarryTail = 3;
constexpr int16_t kZ180CarryTail = 5;
constexpr uint16_t kSignBias = 0x8000;

constexpr int16_t kFloatOperandBytes = 4;
constexpr int kSmallStepLimit = 4;
constexpr uint8_t kNegativeDivisor = 0x80;
constexpr int kMaxShiftCount = 16;

// A multiply by a constant as add hl,hl ('a'), push hl ('p') and
// pop de; add hl,de ('q').
struct MultiplySequence {
  uint16_t factor;
  const char *steps;
};
constexpr MultiplySequence kMultiplySequences[] = {
    {1, ""},      {2, "a"},      {3, "paq"},      {4, "aa"},     {5, "paaq"},   {6, "apaq"},     {8, "aaa"},
    {10, "apaaq"}, {12, "aapaq"}, {16, "aaaa"}, {20, "aapaaq"}, {32, "aaaaa"}, {40, "aaapaaq"}, {64, "aaaaaa"},
};

const MultiplySequence *FindMultiplySequence(int32_t factor) {
  const uint32_t magnitude = uint32_t(std::abs(factor));
  for (const MultiplySequence &sequence : kMultiplySequences)
    if (sequence.factor == magnitude)
      return &sequence;
  return nullptr;
}

void EmitMultiplySequence(const MultiplySequence &sequence, bool negative) {
  for (const char *step = sequence.steps; *step; ++step) {
    switch (*step) {
    case 'a':
      EmitFixed(Fixed::kAddHlHl);
      break;
    case 'p':
      EmitPushPair(Reg::HL);
      break;
    default:
      EmitPopPair(Reg::DE);
      EmitFixed(Fixed::kAddHlDe);
      break;
    }
  }
  if (negative)
    EmitCallNamedRoutine("c.neg");
}

// 2 << k for k 0..31: the bit number, else 0.
int PowerOfTwoShift(uint32_t magnitude) {
  if (magnitude < 2 || !std::has_single_bit(magnitude))
    return 0;
  return std::countr_zero(magnitude);
}

// ---- the routine table ------------------------------------------------------------

// Routines by operator for long, unsigned long and float; empty: no
// such operation.
struct WideRoutines {
  const char *asLong;
  const char *asUnsignedLong;
  const char *asFloat;
};
constexpr std::array<WideRoutines, 16> kWideRoutines = {{
    {"L.add", "L.add", "F.add"},   // +
    {"L.sub", "L.sub", "F.sub"},   // -
    {"G_mul", "G_mul", "F.mul"},   // *
    {"L_div", "G_div", "F.div"},   // /
    {"L_mod", "G_mod", ""},        // %
    {"L.asl", "L.asl", ""},        // <<
    {"L.asr", "G.asr", ""},        // >>
    {"L.and", "L.and", ""},        // &
    {"L.or", "L.or", ""},          // |
    {"L.xor", "L.xor", ""},        // ^
    {"eq.4", "eq.4", "cf.eq"},     // ==
    {"neq.4", "neq.4", "cf.ne"},   // !=
    {"cl.lt", "cg.lt", "cf.lt"},   // <
    {"cl.le", "cg.le", "cf.le"},   // <=
    {"cl.gt", "cg.gt", "cf.gt"},   // >
    {"cl.ge", "cg.ge", "cf.ge"},   // >=
}};

// The comparison that holds with the operands exchanged.
ArithOp Mirrored(ArithOp op) {
  switch (op) {
  case ArithOp::kLess:
    return ArithOp::kGreater;
  case ArithOp::kLessEqual:
    return ArithOp::kGreaterEqual;
  case ArithOp::kGreater:
    return ArithOp::kLess;
  case ArithOp::kGreaterEqual:
    return ArithOp::kLessEqual;
  default:
    return op;
  }
}

bool IsOrdered(ArithOp op) { return op >= ArithOp::kLess; }
bool IsEquality(ArithOp op) { return op == ArithOp::kEqual || op == ArithOp::kNotEqual; }
// The order of the two operands matters to the routine.
bool IsOrderSensitive(ArithOp op) {
  return op == ArithOp::kSubtract || op == ArithOp::kDivide || op == ArithOp::kRemainder ||
         op == ArithOp::kShiftLeft || op == ArithOp::kShiftRight;
}

void ReportInvalidOperatorType(std::string_view text) {
  RaiseError(kMsgInvalidOperands, CurrentSourceLine(), CurrentSourceColumn(),
             DiagnosticText("Invalid type for '" + std::string(text) + "' operator"));
}

void MarkResultInRegisters(ValueRecord &left) {
  left.storage = kStoragePrimary;
  left.SetLvalue(false);
}

// ---- wide operands: left pushed, right in registers ------------------------------

void LowerWide(BinaryOperands &pair, ArithOp op, std::string_view text) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  const WideRoutines &routines = kWideRoutines[size_t(op)];
  const uint8_t type = pair.resultType;
  const char *routine =
      type == kTypeFloat ? routines.asFloat : type == kTypeLong ? routines.asLong : routines.asUnsignedLong;
  if (!*routine) {
    ReportInvalidOperatorType(text);
    return;
  }
  const bool reversed = PlaceOnStackAndInRegisters(left, right, type);
  if (reversed && IsOrdered(op)) {
    const WideRoutines &mirror = kWideRoutines[size_t(Mirrored(op))];
    routine = type == kTypeFloat ? mirror.asFloat : type == kTypeLong ? mirror.asLong : mirror.asUnsignedLong;
  } else if (reversed && IsOrderSensitive(op)) {
    EmitSwapTop(type);
  }
  EmitCallNamedRoutine(routine);
  const bool floatArithmetic = type == kTypeFloat && op <= ArithOp::kDivide;
  if (floatArithmetic)
    EmitAdjustStackPointer(kFloatOperandBytes, true);
  // The stacked operand is consumed whichever record describes it.
  if (left.storage == kStorageStackStruct)
    right.storage = kStorageStackStruct;
  MarkResultInRegisters(left);
}

// ---- 2-byte operands ------------------------------------------------------------------

// Repeated inc or dec of the left operand by a constant below 4.
bool LowerSmallStep(BinaryOperands &pair, ArithOp op) {
  ValueRecord &left = *pair.left;
  const ValueRecord &right = *pair.right;
  if (!IsConstant(right) || std::abs(IntConstant(right)) >= kSmallStepLimit)
    return false;
  const bool charInA = pair.resultType == kTypeChar && !IsConstant(left);
  PlaceInValueRegister(left, pair.resultType, charInA);
  int32_t steps = IntConstant(right);
  if (op == ArithOp::kSubtract)
    steps = -steps;
  const bool inA = left.IsByteResult();
  for (int32_t i = 0; i < std::abs(steps); ++i)
    EmitFixed(steps > 0 ? (inA ? Fixed::kIncA : Fixed::kIncHl) : (inA ? Fixed::kDecA : Fixed::kDecHl));
  return true;
}

// A char result outside A keeps H 0.
void NarrowCharResult(const BinaryOperands &pair) {
  if (pair.resultType == kTypeChar && !pair.left->IsByteResult())
    EmitCodeSequence(kLdHZeroT);
}

void LowerAddSubtract(BinaryOperands &pair, ArithOp op) {
  if (!LowerSmallStep(pair, op)) {
    PlaceInHlAndDe(*pair.left, *pair.right, pair.resultType, true);
    EmitFixed(op == ArithOp::kAdd ? Fixed::kAddHlDe : Fixed::kOrASbcHlDe);
  }
  NarrowCharResult(pair);
}

void LowerMultiply(BinaryOperands &pair) {
  ValueRecord &right = *pair.right;
  if (IsConstant(right)) {
    if (const MultiplySequence *sequence = FindMultiplySequence(IntConstant(right))) {
      PlaceInValueRegister(*pair.left, pair.resultType, false);
      EmitMultiplySequence(*sequence, IntConstant(right) < 0);
      return;
    }
  }
  PlaceInHlAndDe(*pair.left, right, pair.resultType, true);
  if (Corvid())
    EmitCodeSequence(kCorvidMultiplyT);
  else
    EmitCallNamedRoutine("c.mult");
}

void LowerDivide(BinaryOperands &pair, ArithOp op) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  const bool isUnsigned = pair.resultType == kTypeUnsigned || pair.resultType == kTypeVoid;
  if (op == ArithOp::kDivide && Corvid() && IsConstant(right)) {
    const int32_t divisor = isUnsigned ? int32_t(uint16_t(right.value)) : IntConstant(right);
    if (const int shift = PowerOfTwoShift(uint32_t(std::abs(divisor)))) {
      if (isUnsigned) {
        right.value = uint32_t(shift);
        PlaceInHlAndDe(left, right, pair.resultType, false);
        EmitCallNamedRoutine("c.usr");
        return;
      }
      PlaceInValueRegister(left, pair.resultType, false);
      EmitCodeSequence(kLdBT);
      EmitCodeByte(divisor < 0 ? kNegativeDivisor : 0);
      EmitCodeSequence(kLdAT);
      EmitCodeByte(uint8_t(std::min(shift, kMaxShiftCount)));
      EmitCallNamedRoutine("c.divt");
      return;
    }
  }
  // Dividend in DE, divisor in HL; the remainder comes back in DE.
  PlaceInHlAndDe(left, right, pair.resultType, false);
  EmitCallNamedRoutine(isUnsigned ? "c.udv" : "c.div");
  if (op == ArithOp::kRemainder)
    EmitFixed(Fixed::kExDeHl);
}

// A long count of a word shift: only its low bits can matter, so it is
// narrowed quietly, in the registers before the value shifted goes to DE,
// which the long's load would overwrite.
void NarrowLongShiftCount(BinaryOperands &pair) {
  ValueRecord &count = *pair.right;
  if (count.type != kTypeLong && count.type != kTypeUnsignedLong)
    return;
  if (IsConstant(count)) {
    ConvertConstantTo(count, kTypeInt, false, kConvertNarrowChar);
    return;
  }
  if (pair.left->storage == kStoragePrimary) {
    // An address in HL (the destination of >>=) is read before it waits.
    PlaceInValueRegister(*pair.left, pair.resultType, false);
    PushOperand(*pair.left);
  }
  if (count.storage == kStorageStackStruct)
    PopOperandToValueRegister(count);
  else
    LoadOperandToValueRegister(count);
  ConvertOperandTo(count, kTypeInt, false, kConvertNarrowChar);
}

void LowerShift(BinaryOperands &pair, ArithOp op) {
  NarrowLongShiftCount(pair);
  const bool isUnsigned = pair.resultType == kTypeUnsigned || pair.resultType == kTypeVoid;
  PlaceInHlAndDe(*pair.left, *pair.right, pair.resultType, false);
  EmitCallNamedRoutine(op == ArithOp::kShiftLeft ? "c.asl" : isUnsigned ? "c.usr" : "c.asr");
}

// The left operand pushed, the right in HL, a routine that pops the left.
void CallWithLeftPushed(BinaryOperands &pair, const char *routine) {
  PlaceOnStackAndInRegisters(*pair.left, *pair.right, pair.resultType);
  EmitCallNamedRoutine(routine);
  if (pair.left->storage == kStorageStackStruct)
    pair.right->storage = kStorageStackStruct;
}

void LowerEquality(BinaryOperands &pair, ArithOp op) {
  if (!Corvid()) {
    CallWithLeftPushed(pair, op == ArithOp::kEqual ? "e." : "n.");
    return;
  }
  PlaceInHlAndDe(*pair.left, *pair.right, pair.resultType, false);
  EmitFixed(Fixed::kOrASbcHlDe);
  EmitCodeSequence(op == ArithOp::kEqual ? kCorvidEqualTailT : kCorvidBoolHlT);
}

void LowerBitwise(BinaryOperands &pair, ArithOp op) {
  if (op == ArithOp::kXor) {
    if (CompiledForSize()) {
      CallWithLeftPushed(pair, "x.");
      return;
    }
    PlaceInHlAndDe(*pair.left, *pair.right, pair.resultType, false);
    EmitCodeSequence(kXorHlDeT);
    return;
  }
  if (!Corvid()) {
    CallWithLeftPushed(pair, op == ArithOp::kOr ? "o." : "a.");
    return;
  }
  PlaceInHlAndDe(*pair.left, *pair.right, pair.resultType, false);
  EmitCodeSequence(op == ArithOp::kOr ? kCorvidOrHlDeT : kCorvidAndHlDeT);
}

// An ordered comparison computes HL - DE with the operands in the roles
// that put a constant in DE: "less" (A < B, or a) or "less or equal"
// (A <= B, scf), the carry set when it holds; a positive sense means the
// carry is clear when the comparison holds, and a ccf before the 0/1 tail
// turns it round for HL.
struct OrderedForm {
  bool leftInHl;
  bool orEqual;
  bool carryMeansTrue;
};
OrderedForm ChooseOrderedForm(ArithOp op, bool constantLeft) {
  switch (op) {
  case ArithOp::kLess: // L < R, or R <= L false
    return constantLeft ? OrderedForm{false, true, false} : OrderedForm{true, false, true};
  case ArithOp::kLessEqual: // L <= R, or R < L false
    return constantLeft ? OrderedForm{false, false, false} : OrderedForm{true, true, true};
  case ArithOp::kGreater: // R < L, or L <= R false
    return constantLeft ? OrderedForm{false, false, true} : OrderedForm{true, true, false};
  default: // >=: R <= L, or L < R false
    return constantLeft ? OrderedForm{false, true, true} : OrderedForm{true, false, false};
  }
}

void LowerOrdered(BinaryOperands &pair, ArithOp op) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  const bool isUnsigned = pair.resultType != kTypeInt && pair.resultType != kTypeChar;
  const bool constantLeft = IsConstant(left) && !IsConstant(right);
  const bool constantRight = IsConstant(right);
  // Variables take the roles that need no ccf.
  OrderedForm form = ChooseOrderedForm(op, constantLeft);
  if (!constantLeft && !constantRight) {
    const bool greater = op == ArithOp::kGreater || op == ArithOp::kGreaterEqual;
    form = {!greater, op == ArithOp::kLessEqual || op == ArithOp::kGreaterEqual, true};
  }
  ValueRecord &inDe = form.leftInHl ? right : left;
  const bool constantInDe = IsConstant(inDe);
  if (!isUnsigned && constantInDe) {
    ConvertOperandTo(inDe, kTypeInt, false, kConvertDefaultOptions);
    inDe.value = uint32_t(uint16_t(inDe.value) ^ kSignBias);
  }
  PlaceInHlAndDe(left, right, pair.resultType, form.leftInHl);
  if (!isUnsigned) {
    if (Corvid())
      EmitCodeSequence(constantInDe ? kCorvidFlipHT : kCorvidFlipBothT);
    else
      EmitCodeSequence(constantInDe ? kZ180FlipHT : kZ180FlipBothT);
    if (form.orEqual)
      EmitCodeSequence(kScfT);
  } else {
    EmitCodeSequence(form.orEqual ? kScfT : kOrAT);
  }
  EmitCodeSequence(kSbcHlDeT);
  int16_t takeBack = Corvid() ? kCorvidCarryTail : kZ180CarryTail;
  if (!form.carryMeansTrue) {
    EmitCodeSequence(kCcfT);
    ++takeBack;
  }
  EmitCodeSequence(Corvid() ? kCorvidCarryTailT : kZ180CarryTailT);
  left.zeroFlagCondition = 0;
  left.carryFlagCondition = form.carryMeansTrue ? -1 : 1;
  left.skipLength = int16_t(-takeBack);
}

// ---- pointers ---------------------------------------------------------------------------

// The integer operand of pointer + or - scaled by the element size; a
// constant offset of an address constant folds into it.
bool ScalePointerOperand(BinaryOperands &pair, ArithOp op) {
  ValueRecord &pointer = *pair.left;
  ValueRecord &offset = *pair.right;
  const uint16_t size = ArrayDimensionProduct(pointer);
  if (size == 0) {
    pair.state = OperationState::kZeroElementSize;
    CompileError<kMsgZeroSizeArithmetic>();
    return false;
  }
  if (IsConstant(offset)) {
    ConvertOperandTo(offset, kTypeInt, false, kConvertDefaultOptions);
    const int32_t scaled = IntConstant(offset) * int32_t(size);
    if (pointer.addressConstant && pointer.storage != kStoragePrimary) {
      pointer.value = uint32_t(int32_t(pointer.value) + (op == ArithOp::kSubtract ? -scaled : scaled));
      pair.state = OperationState::kAddressFolded;
      return false;
    }
    offset.value = uint32_t(int32_t(int16_t(scaled)));
    return true;
  }
  if (size == 1)
    return true;
  // The pointer waits in the cache while the offset is scaled in HL.
  if (pointer.storage == kStoragePrimary)
    CachePrimaryRegister(pointer, false);
  PlaceInValueRegister(offset, kTypeInt, false);
  if (const MultiplySequence *sequence = FindMultiplySequence(size)) {
    EmitMultiplySequence(*sequence, false);
  } else {
    LoadConstantIntoPair(Reg::DE, int16_t(size));
    if (Corvid())
      EmitCodeSequence(kCorvidMultiplyT);
    else
      EmitCallNamedRoutine("c.mult");
  }
  ForgetPrimaryRegister(pointer);
  return true;
}

bool IsPointer(const ValueRecord &value) { return value.HasLevel(); }

// pointer - pointer: the same element type, the byte difference divided
// by the element size.
bool LowerPointerDifference(BinaryOperands &pair) {
  ValueRecord &left = *pair.left;
  ValueRecord &right = *pair.right;
  const uint16_t size = ArrayDimensionProduct(left);
  if (left.type != right.type || left.type == kTypeVoid || RemoveLevel(left.declarator) != RemoveLevel(right.declarator)) {
    pair.state = OperationState::kInvalid;
    return false;
  }
  PlaceInHlAndDe(left, right, kTypeVoid, true);
  EmitFixed(Fixed::kOrASbcHlDe);
  if (size > 1) {
    const int shift = PowerOfTwoShift(size);
    if (Corvid() && shift) {
      EmitCodeSequence(kLdBT);
      EmitCodeByte(0);
      EmitCodeSequence(kLdAT);
      EmitCodeByte(uint8_t(shift));
      EmitCallNamedRoutine("c.divt");
    } else {
      EmitFixed(Fixed::kExDeHl);
      LoadConstantIntoPair(Reg::HL, int16_t(size));
      EmitCallNamedRoutine("c.div");
    }
  }
  pair.resultType = kTypeInt;
  left.type = kTypeInt;
  left.declarator = kLevelNone;
  return true;
}

void LowerInt(BinaryOperands &pair, ArithOp op) {
  if (pair.resultType == kTypeChar && op != ArithOp::kAdd && op != ArithOp::kSubtract)
    pair.resultType = kTypeInt;
  switch (op) {
  case ArithOp::kAdd:
  case ArithOp::kSubtract:
    if (op == ArithOp::kSubtract && IsPointer(*pair.left) && IsPointer(*pair.right)) {
      LowerPointerDifference(pair);
      break;
    }
    if (IsPointer(*pair.left) && !ScalePointerOperand(pair, op))
      return;
    LowerAddSubtract(pair, op);
    break;
  case ArithOp::kMultiply:
    LowerMultiply(pair);
    break;
  case ArithOp::kDivide:
  case ArithOp::kRemainder:
    LowerDivide(pair, op);
    break;
  case ArithOp::kShiftLeft:
  case ArithOp::kShiftRight:
    LowerShift(pair, op);
    break;
  case ArithOp::kEqual:
  case ArithOp::kNotEqual:
    LowerEquality(pair, op);
    break;
  case ArithOp::kAnd:
  case ArithOp::kOr:
  case ArithOp::kXor:
    LowerBitwise(pair, op);
    break;
  default:
    LowerOrdered(pair, op);
    break;
  }
  if (pair.state != OperationState::kPrepared)
    return;
  MarkResultInRegisters(*pair.left);
  if (IsEquality(op) || IsOrdered(op)) {
    Emission().flagsValid = true;
    Emission().valueIsCondition = true;
  }
}

void EmitOperation(BinaryOperands &pair, ArithOp op, std::string_view text) {
  pair.state = OperationState::kPrepared;
  // What the flags told of an operand is no longer so of the result: inc
  // hl keeps a condition's zero flag beside the value it stepped. A
  // comparison states its own afterwards.
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
  // Nor is an operand's 0/1 tail the result's, which a jump could take back.
  for (ValueRecord *operand : {pair.left, pair.right}) {
    operand->zeroFlagCondition = 0;
    operand->carryFlagCondition = 0;
    operand->skipLength = 0;
  }
  if (pair.left->HasLevel() || pair.right->HasLevel()) {
    // Addresses are added, subtracted and compared as words; the pointer
    // keeps its type through the operation.
    if (!(op == ArithOp::kAdd || op == ArithOp::kSubtract || IsEquality(op) || IsOrdered(op))) {
      ReportInvalidOperatorType(text);
      return;
    }
    if (!IsOrdered(op))
      pair.resultType = kTypeVoid;
  }
  const uint8_t type = pair.resultType;
  if (type == kTypeLong || type == kTypeUnsignedLong || type == kTypeFloat) {
    LowerWide(pair, op, text);
    return;
  }
  if (type >= kFirstStructType) {
    ReportInvalidOperatorType(text);
    return;
  }
  LowerInt(pair, op);
}

} // namespace

void BeginBinaryOperation(std::string_view text, ValueRecord &left, ValueRecord &right) {
  const std::optional<ArithOp> op = ArithOpFromText(text);
  if (!op) {
    if (text.empty() || (text.front() != '=' && text.front() != '!'))
      CompileError<kMsgUnknownOperator>();
    return;
  }
  BinaryOperands pair = MakeBinaryOperands(left, right);
  if (RunCompileTimeOperation(pair, *op) == OperationState::kCodeNeeded)
    EmitOperation(pair, *op, text);
  FinishBinaryOperation(pair, ConvertOperandTo);
}

} // namespace tsw
