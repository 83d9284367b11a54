#include "compcore/cc_parse/expr/expr_entry.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/conditional_jumps.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/watch_function.h"
#include "foundation/msgnumbers.h"

#include <cstdlib>

namespace tsw {

namespace {

constexpr char kBlankLimit = ' ';

// A float constant is no answer, even a whole one: its bits are no number.
bool IsIntegerConstant(const ValueRecord &value) {
  const bool isFloat = value.type == kTypeFloat && !value.HasLevel();
  return value.storage == kStorageConstant && !isFloat;
}

void CompileListElement(ValueRecord &value, bool valueUsed);

enum class ConstantForm : uint8_t {
  // A directive's number: the whole line, a comma list included.
  kList,
  // A declaration's dimension or "@" address: a comma after it starts the
  // next declarator.
  kSingle,
};

// Whatever a step below emits in spite of the walk's mode is taken back: a
// constant reader leaves no byte. True when no step needed run-time code.
bool ReadConstantRecord(ValueRecord &value, ConstantForm form) {
  ConstantWalkScope scope;
  const uint32_t point = PushCodeSavePoint();
  value = {};
  if (form == ConstantForm::kList)
    CompileExpressionList(value, true);
  else
    CompileListElement(value, true);
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  return !Walk().needsCode;
}

bool IsStructureValue(const ValueRecord &value) {
  return value.type >= kFirstStructType && !value.HasLevel();
}

// A structure a call left on the stack is released: nothing reads it.
void DiscardStackOperand(ValueRecord &value) {
  EmitStackAdjustAndTrack(int16_t(OperandByteSize(value, OperandSizeMode::kStorage)));
  value.storage = kStoragePrimary;
}

// The walk of one element of a list. Only the outermost walk checks the
// stack after its expression: nested ones (a dimension in a cast) run
// inside another expression's pushes.
class WalkDepthScope {
public:
  WalkDepthScope() { ++Walk().depth; }
  ~WalkDepthScope() { --Walk().depth; }
  WalkDepthScope(const WalkDepthScope &) = delete;
  WalkDepthScope &operator=(const WalkDepthScope &) = delete;
};

// What the stack holds after an expression: the words the function and
// the statement keep, and a structure a call left as the value.
int16_t ExpectedStackBytes(const ValueRecord &value) {
  constexpr int16_t kWord = 2;
  int16_t expected = 0;
  if (CodeGen().StaticFrame())
    expected = int16_t(expected + kWord);
  if (StatementExtraWord())
    expected = int16_t(expected + kWord);
  if (WatchFunctionFlag())
    expected = int16_t(expected + kWatchCallBytes);
  expected = int16_t(expected + StatementState().sliceStackBytes);
  if (value.storage == kStorageStackStruct && IsStructureValue(value))
    expected = int16_t(expected + OperandByteSize(value, OperandSizeMode::kStorage));
  return expected;
}

// A push the expression forgot to pop (or a pop too many) would move every
// local after it: the depth is mended and the user warned. After an error
// the code is wrong anyway, and the depth is only mended.
void CheckStackDepth(const ValueRecord &value, bool errorReported) {
  EmissionState &e = Emission();
  const int16_t expected = ExpectedStackBytes(value);
  if (errorReported) {
    e.stackOffset = int16_t(-expected);
    e.ipStackOffset = 0;
    return;
  }
  if (std::abs(int32_t(e.stackOffset)) != expected) {
    e.stackOffset = int16_t(-expected);
    CompileWarningTrivial<kMsgStackDepthDiffers>();
  }
  if (e.ipStackOffset < 0) {
    e.ipStackOffset = 0;
    CompileWarningTrivial<kMsgStackDepthNegative>();
  }
}

void CompileListElement(ValueRecord &value, bool valueUsed) {
  WalkDepthScope scope;
  const bool outermost = Walk().depth == 1 && WalkEmitsCode();
  const uint32_t errorsBefore = CompileErrorCount();
  value.addressSafe = 0;
  CompileAssignmentExpression(value, valueUsed);
  if (outermost)
    CheckStackDepth(value, CompileErrorCount() != errorsBefore);
}

} // namespace

void CompileExpressionList(ValueRecord &value, bool valueUsed) {
  Walk().assignmentFollowed = false;
  for (bool first = true;; first = false) {
    // Nothing reads a structure an earlier element left on the stack.
    if (!first && value.storage == kStorageStackStruct && IsStructureValue(value) && WalkEmitsCode())
      DiscardStackOperand(value);
    value = {};
    CompileListElement(value, valueUsed);
    if (SkipToOperand() != ',')
      return;
    ConsumeChar();
  }
}

bool &StatementExtraWord() {
  static bool extraWord = false;
  return extraWord;
}

ExpressionWalk &Walk() {
  static ExpressionWalk walk;
  return walk;
}

char ConsumeChar() {
  const char c = *InputCursor;
  TrackBracketHook(c, CurrentSourceLine(), CurrentSourceColumn());
  ++InputColumn;
  ++InputCursor;
  return c;
}

char SkipToOperand() {
  if (static_cast<unsigned char>(*InputCursor) <= kBlankLimit)
    SkipBlanksAcrossLines();
  return *InputCursor;
}

void ExpectChar(char expected) {
  if (SkipToOperand() == expected)
    ConsumeChar();
  else
    CompileError<kMsgCharExpected>();
}

void CompileExpressionList(ValueRecord &value) { CompileExpressionList(value, true); }

void CompileExpressionForEffect(bool valueUsed) {
  ValueRecord value;
  UnarySwitches().plainStep = !valueUsed && IsStepStatement();
  CompileExpressionList(value, valueUsed);
  if (IsStructureValue(value)) {
    if (value.storage == kStorageStackStruct)
      DiscardStackOperand(value);
    return;
  }
  if (value.storage == kStorageConstant && !valueUsed)
    return;
  // A value the registers hold already (an assignment's) needs nothing more;
  // an object is still read, as the statement asks.
  if (value.storage == kStoragePrimary && !value.IsLvalue())
    return;
  LoadOperandToValueRegister(value);
}

void CompileConditionValue(ValueRecord &value) {
  value = {};
  CompileExpressionList(value, false);
  if (Walk().assignmentFollowed)
    return;
  if (!IsStructureValue(value))
    LoadOperandToValueRegister(value);
  else if (value.storage == kStorageStackStruct)
    DiscardStackOperand(value);
  else
    LoadOperandAddressIntoHL(value);
}

JumpRecord CompileConditionJump(ADDR24 target, bool jumpWhenTrue, const char *terminator) {
  ValueRecord condition;
  CompileExpressionList(condition, false);
  if (SkipToOperand() == terminator[0])
    ConsumeChar();
  else
    CompileError<kMsgCharExpected>();
  // A constant condition that always jumps is a plain jump; one that never
  // does is still tested, in the registers, so that the caller has a jump
  // to patch.
  if (condition.storage == kStorageConstant) {
    if (ConstantEquals(condition, 0) != jumpWhenTrue)
      return EmitJumpToAddr24(target, kOpJump);
    LoadOperandToValueRegister(condition);
  }
  constexpr uint8_t kSenseTrue = 0, kSenseFalse = 1;
  ExpressionFlags().retract = ComparisonEndsHere(condition);
  const uint8_t sense = jumpWhenTrue ? kSenseTrue : kSenseFalse;
  // A forward jump keeps the absolute form its patch needs.
  if (Addr24ToLong(target) == 0)
    return EmitConditionalJump(condition, target, sense, false);
  return EmitConditionalJumpToPlaced(condition, target, sense);
}

// The value of an integer constant record, 0 for any other.
static bool ConstantRecordValue(ConstantForm form, int32_t &value) {
  ValueRecord record;
  const bool constant = ReadConstantRecord(record, form) && IsIntegerConstant(record);
  value = constant ? int32_t(record.value) : 0;
  return constant;
}

bool ReadConstantExpression(int32_t &value) { return ConstantRecordValue(ConstantForm::kSingle, value); }

bool ReadConstantOperand(ValueRecord &value) { return ReadConstantRecord(value, ConstantForm::kSingle); }

bool ReadConstantRecord(ValueRecord &value) {
  return ReadConstantRecord(value, ConstantForm::kSingle) && IsIntegerConstant(value);
}

int32_t CompileConstantExpressionLong() {
  int32_t value = 0;
  if (!ConstantRecordValue(ConstantForm::kList, value))
    CompileError<kMsgNotConstant>();
  return value;
}

uint16_t CompileConstantExpression() { return uint16_t(CompileConstantExpressionLong()); }

void ResetExpressionCompiler() {
  Walk() = {};
  StatementExtraWord() = false;
  ResetStringLiterals();
}

} // namespace tsw
