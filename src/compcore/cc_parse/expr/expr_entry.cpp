#include "compcore/cc_parse/expr/expr_entry.h"

#include "compcore/cc_gen/conditional_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "foundation/msgnumbers.h"

namespace tsw {

namespace {

constexpr char kBlankLimit = ' ';

// A nested expression (a dimension read while a cast's type name is read)
// has its own walk; the outer one goes on as it was.
class WalkScope {
public:
  WalkScope() : saved_(Walk().needsCode) { Walk().needsCode = false; }
  ~WalkScope() { Walk().needsCode = saved_; }
  WalkScope(const WalkScope &) = delete;
  WalkScope &operator=(const WalkScope &) = delete;

private:
  bool saved_;
};

// A float constant is no answer, even a whole one: its bits are no number.
bool IsIntegerConstant(const ValueRecord &value) {
  const bool isFloat = value.type == kTypeFloat && !value.HasLevel();
  return value.storage == kStorageConstant && !Walk().needsCode && !isFloat;
}

bool ReadConstantRecord(ValueRecord &value) {
  WalkScope scope;
  value = {};
  CompileExpressionList(value);
  return IsIntegerConstant(value);
}

bool IsStructureValue(const ValueRecord &value) {
  return value.type >= kFirstStructType && !value.HasLevel();
}

// A structure a call left on the stack is released: nothing reads it.
void DiscardStackOperand(ValueRecord &value) {
  EmitStackAdjustAndTrack(int16_t(OperandByteSize(value, OperandSizeMode::kStorage)));
  value.storage = kStoragePrimary;
}

} // namespace

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

void CompileExpressionList(ValueRecord &value) {
  for (;;) {
    value = {};
    CompileConditional(value);
    if (SkipToOperand() != ',')
      return;
    ConsumeChar();
  }
}

void CompileExpressionForEffect(bool valueUsed) {
  ValueRecord value;
  CompileExpressionList(value);
  if (IsStructureValue(value)) {
    if (value.storage == kStorageStackStruct)
      DiscardStackOperand(value);
    return;
  }
  if (value.storage == kStorageConstant && !valueUsed)
    return;
  LoadOperandToValueRegister(value);
}

void CompileConditionValue(ValueRecord &value) {
  value = {};
  CompileExpressionList(value);
  if (!IsStructureValue(value))
    LoadOperandToValueRegister(value);
  else if (value.storage == kStorageStackStruct)
    DiscardStackOperand(value);
  else
    LoadOperandAddressIntoHL(value);
}

JumpRecord CompileConditionJump(ADDR24 target, bool jumpWhenTrue, const char *terminator) {
  ValueRecord condition;
  CompileExpressionList(condition);
  if (SkipToOperand() == terminator[0])
    ConsumeChar();
  else
    CompileError<kMsgCharExpected>();
  constexpr uint8_t kSenseTrue = 0, kSenseFalse = 1;
  return EmitConditionalJump(condition, target, jumpWhenTrue ? kSenseTrue : kSenseFalse, false);
}

bool ReadConstantExpression(int32_t &value) {
  ValueRecord record;
  const bool constant = ReadConstantRecord(record);
  value = constant ? int32_t(record.value) : 0;
  return constant;
}

int32_t CompileConstantExpressionLong() {
  int32_t value = 0;
  if (!ReadConstantExpression(value))
    CompileError<kMsgNotConstant>();
  return value;
}

uint16_t CompileConstantExpression() { return uint16_t(CompileConstantExpressionLong()); }

void ResetExpressionCompiler() {
  Walk() = {};
  ResetStringLiterals();
}

} // namespace tsw
