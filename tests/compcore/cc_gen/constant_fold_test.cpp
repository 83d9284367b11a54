#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/constant_fold.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_go/compile.h"
#include "foundation/msgnumbers.h"

#include "compcore/byte_road_fixture.h"

#include <gtest/gtest.h>

#include <bit>

namespace tsw {
namespace {

using testing::RecordingSink;

uint32_t Field(int64_t v) { return static_cast<uint32_t>(static_cast<uint64_t>(v)); }
uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

constexpr uint32_t kPointerToFunction = kLevelPointer | (kLevelFunction << kLevelBits);

// An operand as a row writes it: a constant of a type, or a variable.
struct Operand {
  uint8_t type;
  uint32_t value = 0; // a constant's field, before any reduction
  uint32_t declarator = 0;
  uint8_t storage = kStorageConstant;
};

ValueRecord Make(const Operand &o) {
  ValueRecord record = MakeValue(o.type, o.declarator, o.storage, o.storage != kStorageConstant);
  if (o.storage == kStorageConstant)
    record.value = o.value;
  return record;
}

Operand Int(int32_t n) { return {kTypeInt, Field(n)}; }
Operand Unsigned(uint32_t n) { return {kTypeUnsigned, n}; }
Operand Long(int64_t n) { return {kTypeLong, Field(n)}; }
Operand Char(uint8_t c) { return {kTypeChar, c}; }
Operand Float(float f) { return {kTypeFloat, Bits(f)}; }
Operand CharPointer(uint32_t address) { return {kTypeChar, address, kLevelPointer}; }
Operand Variable(uint8_t type, uint32_t declarator = 0) { return {type, 0, declarator, kStorageGlobal}; }

class ConstantFold : public ::testing::Test {
protected:
  void SetUp() override {
    ResetCompiler();
    SetDiagnosticSink(&sink);
  }
  void TearDown() override { ResetCompiler(); }

  // One operator on two operands, to the end of the operation; the result is
  // read from the caller's left record, whatever the pair did with it.
  OperationState Run(const char *text, ValueRecord &left, ValueRecord &right) {
    BinaryOperands pair = MakeBinaryOperands(left, right);
    const OperationState state = RunCompileTimeOperation(pair, *ArithOpFromText(text));
    FinishBinaryOperation(pair, ConvertConstantTo);
    return state;
  }
  RecordingSink sink;
};

struct FoldRow {
  Operand left;
  const char *text;
  Operand right;
  OperationState state;
  uint8_t type;
  uint32_t value;
  std::vector<unsigned> messages;
};

const FoldRow kFoldRows[] = {
    // The target's widths after every fold.
    {Int(30000), "+", Int(30000), OperationState::kPrepared, kTypeInt, Field(-5536), {}},
    {Int(200), "*", Int(200), OperationState::kPrepared, kTypeInt, Field(-25536), {}},
    {Int(1), "<<", Int(15), OperationState::kPrepared, kTypeInt, Field(-32768), {}},
    {Int(1), "<<", Int(33), OperationState::kPrepared, kTypeInt, 2, {}},
    {Unsigned(0xFFFE), "/", Int(2), OperationState::kPrepared, kTypeUnsigned, 32767, {}},
    {Unsigned(0xFFFF), "/", Int(256), OperationState::kPrepared, kTypeUnsigned, 255, {}},
    {Unsigned(0xFFF8), ">>", Int(1), OperationState::kPrepared, kTypeUnsigned, 0x7FFC, {}},
    {Int(-8), ">>", Int(1), OperationState::kPrepared, kTypeInt, Field(-4), {}},
    {Int(-7), "/", Int(2), OperationState::kPrepared, kTypeInt, Field(-3), {}},
    {Int(-7), "%", Int(2), OperationState::kPrepared, kTypeInt, Field(-1), {}},
    {Long(2147483647), "+", Int(1), OperationState::kPrepared, kTypeLong, 0x80000000, {}},
    {Long(-2147483648ll), "/", Long(-1), OperationState::kPrepared, kTypeLong, 0x80000000, {}},
    {Long(-2147483648ll), "%", Long(-1), OperationState::kPrepared, kTypeLong, 0, {}},
    {Int(-32768), "/", Int(-1), OperationState::kPrepared, kTypeInt, Field(-32768), {}},
    {Int(-32768), "%", Int(-1), OperationState::kPrepared, kTypeInt, 0, {}},
    {Int(-1), "<", Unsigned(0), OperationState::kPrepared, kTypeInt, 0, {}}, // compared as unsigned
    // Two chars: + and - in 8 bits, everything else in int.
    {Char(200), "+", Char(100), OperationState::kPrepared, kTypeChar, 44, {}},
    {Char(1), "-", Char(2), OperationState::kPrepared, kTypeChar, 255, {}},
    {Char(16), "*", Char(16), OperationState::kPrepared, kTypeInt, 256, {}},
    {Char(200), "<<", Char(1), OperationState::kPrepared, kTypeInt, 400, {}},
    {Char('a'), "<", Int(300), OperationState::kPrepared, kTypeInt, 1, {}},
    // The logical operators, their operands already made 0 or 1.
    {Int(0), "&&", Int(1), OperationState::kPrepared, kTypeInt, 0, {}},
    {Int(1), "||", Int(0), OperationState::kPrepared, kTypeInt, 1, {}},
    // Division by a constant zero: once, the left value kept.
    {Int(7), "/", Int(0), OperationState::kPrepared, kTypeInt, 7, {kMsgConstantDivideByZero}},
    {Int(7), "%", Int(0), OperationState::kPrepared, kTypeInt, 7, {kMsgConstantDivideByZero}},
    {Float(1.0f), "/", Float(0.0f), OperationState::kPrepared, kTypeFloat, Bits(1.0f), {kMsgConstantDivideByZero}},
    // Floats.
    {Float(16777216.0f), "+", Float(1.0f), OperationState::kPrepared, kTypeFloat, Bits(16777216.0f), {}},
    {Float(2.5f), "==", Float(2.5f), OperationState::kPrepared, kTypeInt, 1, {}},
    {Float(2.5f), "!=", Float(2.5f), OperationState::kPrepared, kTypeInt, 0, {}},
    {Float(1.5f), "<", Int(2), OperationState::kPrepared, kTypeInt, 1, {}},
    {Int(3), "*", Float(0.5f), OperationState::kPrepared, kTypeFloat, Bits(1.5f), {}},
    {Float(5.0f), "%", Int(2), OperationState::kInvalid, kTypeFloat, Bits(5.0f), {kMsgInvalidOperands}},
    {Float(5.0f), "<<", Int(1), OperationState::kInvalid, kTypeFloat, Bits(5.0f), {kMsgInvalidOperands}},
    {Int(1), "&", Float(1.5f), OperationState::kInvalid, kTypeFloat, Bits(1.0f), {kMsgInvalidOperands}},
    {Float(1.5f), "|", Float(2.5f), OperationState::kInvalid, kTypeFloat, Bits(1.5f), {kMsgInvalidOperands}},
    // Pointers.
    {CharPointer(0x10), "+", CharPointer(0x20), OperationState::kInvalid, kTypeChar, 0x10, {kMsgInvalidOperands}},
    {Int(1), "-", CharPointer(0x20), OperationState::kInvalid, kTypeInt, 1, {kMsgInvalidOperands}},
    {CharPointer(0x10), "*", Int(3), OperationState::kPrepared, kTypeInt, 0x30, {kMsgPointerArithmetic}},
    {CharPointer(0x8000), ">", Int(1), OperationState::kPrepared, kTypeInt, 1, {}}, // unsigned addresses
    {CharPointer(0x8000), "<", Int(1), OperationState::kPrepared, kTypeInt, 0, {}},
    // An address compared with a long: the long is shortened to the address's width.
    {CharPointer(0x10), "<", Long(70000), OperationState::kPrepared, kTypeInt, 1, {kMsgDemotion}},
};

TEST_F(ConstantFold, ConstantsFoldToTheTargetsResult) {
  for (const FoldRow &row : kFoldRows) {
    SCOPED_TRACE(::testing::Message() << std::hex << row.left.value << ' ' << row.text << ' ' << row.right.value);
    sink.records.clear();
    ValueRecord left = Make(row.left);
    ValueRecord right = Make(row.right);
    EXPECT_EQ(Run(row.text, left, right), row.state);
    EXPECT_EQ(left.storage, kStorageConstant);
    EXPECT_EQ(left.type, row.type);
    EXPECT_EQ(left.value, row.value);
    EXPECT_EQ(sink.Messages(), row.messages);
    if (row.state == OperationState::kPrepared) {
      EXPECT_EQ(left.declarator, 0u);
    }
  }
}

TEST_F(ConstantFold, ATypeWithoutArithmeticIsNotFolded) {
  ValueRecord address = MakeVoidPointerConstant(0x10);
  ValueRecord two = Make(Int(2));
  EXPECT_EQ(Run("*", address, two), OperationState::kPrepared);
  EXPECT_EQ(address.value, 0x10u);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{kMsgPointerArithmetic, kMsgCannotFoldType}));
}

TEST_F(ConstantFold, AFoldFeedsTheNextOneReduced) {
  struct Chain {
    const char *text;
    Operand right;
    uint32_t value;
  } chains[] = {{"/", Int(2), Field(-2768)}, {"<", Int(0), 1}};
  for (const Chain &chain : chains) {
    ValueRecord sum = Make(Int(30000));
    ValueRecord other = Make(Int(30000));
    Run("+", sum, other);
    ValueRecord right = Make(chain.right);
    Run(chain.text, sum, right);
    EXPECT_EQ(sum.value, chain.value) << chain.text;
    EXPECT_EQ(sum.type, kTypeInt);
  }
}

struct IdentityRow {
  const char *name;
  Operand left;
  const char *text;
  Operand right;
  OperationState state;
  uint8_t storage; // of the result in the caller's left record
  uint8_t type;
  std::vector<unsigned> messages;
};

const IdentityRow kIdentityRows[] = {
    {"x + 0", Variable(kTypeInt), "+", Int(0), OperationState::kLeftIsResult, kStorageGlobal, kTypeInt, {}},
    {"0 + x", Int(0), "+", Variable(kTypeInt), OperationState::kLeftIsResult, kStorageGlobal, kTypeInt, {}},
    {"x - 0", Variable(kTypeLong), "-", Long(0), OperationState::kLeftIsResult, kStorageGlobal, kTypeLong, {}},
    {"x + 3", Variable(kTypeInt), "+", Int(3), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {}},
    {"x * 0", Variable(kTypeInt), "*", Int(0), OperationState::kLeftIsResult, kStorageConstant, kTypeInt, {}},
    {"0L * x", Long(0), "*", Variable(kTypeInt), OperationState::kLeftIsResult, kStorageConstant, kTypeLong, {}},
    {"x * 1", Variable(kTypeUnsigned), "*", Unsigned(1), OperationState::kLeftIsResult, kStorageGlobal, kTypeUnsigned, {}},
    {"x * 7", Variable(kTypeInt), "*", Int(7), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {}},
    {"x / 1", Variable(kTypeInt), "/", Int(1), OperationState::kLeftIsResult, kStorageGlobal, kTypeInt, {}},
    {"0 / x", Int(0), "/", Variable(kTypeInt), OperationState::kLeftIsResult, kStorageConstant, kTypeInt, {}},
    {"x / 0", Variable(kTypeInt), "/", Int(0), OperationState::kDivideByZero, kStorageGlobal, kTypeInt, {kMsgConstantDivideByZero}},
    {"x % 0", Variable(kTypeInt), "%", Int(0), OperationState::kDivideByZero, kStorageGlobal, kTypeInt, {kMsgConstantDivideByZero}},
    {"x % 1", Variable(kTypeInt), "%", Int(1), OperationState::kLeftIsResult, kStorageConstant, kTypeInt, {}},
    {"f % g", Variable(kTypeFloat), "%", Variable(kTypeFloat), OperationState::kInvalid, kStorageGlobal, kTypeFloat, {kMsgInvalidOperands}},
    {"x << 0 needs code", Variable(kTypeInt), "<<", Int(0), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {}},
    {"fp + 1", Variable(kTypeInt, kPointerToFunction), "+", Int(1), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {kMsgFunctionPointerArithmetic}},
    {"1 + fp", Int(1), "+", Variable(kTypeInt, kPointerToFunction), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {kMsgFunctionPointerArithmetic}},
    {"fp * 2", Variable(kTypeInt, kPointerToFunction), "*", Int(2), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {kMsgFunctionPointerArithmetic, kMsgPointerArithmetic}},
    {"p & 1", Variable(kTypeChar, kLevelPointer), "&", Int(1), OperationState::kCodeNeeded, kStorageGlobal, kTypeChar, {kMsgPointerArithmetic}},
    {"p < i is an int", Variable(kTypeChar, kLevelPointer), "<", Variable(kTypeInt), OperationState::kCodeNeeded, kStorageGlobal, kTypeInt, {}},
};

TEST_F(ConstantFold, IdentitiesNeedNoCodeAndFailuresReportOnce) {
  for (const IdentityRow &row : kIdentityRows) {
    SCOPED_TRACE(row.name);
    sink.records.clear();
    ValueRecord left = Make(row.left);
    ValueRecord right = Make(row.right);
    EXPECT_EQ(Run(row.text, left, right), row.state);
    EXPECT_EQ(left.storage, row.storage);
    EXPECT_EQ(left.type, row.type);
    if (row.storage == kStorageConstant) {
      EXPECT_EQ(left.value, 0u);
    }
    EXPECT_EQ(sink.Messages(), row.messages);
  }
}

TEST_F(ConstantFold, PointerAdditionIsLeftToTheScalingWithThePointerOnTheLeft) {
  ValueRecord index = Make(Int(2));
  ValueRecord pointer = Make(CharPointer(0x4000));
  BinaryOperands pair = MakeBinaryOperands(index, pointer);
  EXPECT_EQ(RunCompileTimeOperation(pair, ArithOp::kAdd), OperationState::kCodeNeeded);
  EXPECT_EQ(pair.left, &pointer);
  EXPECT_TRUE(pair.recordsSwapped);
  EXPECT_EQ(pointer.value, 0x4000u); // not folded as a plain number
}

TEST_F(ConstantFold, TheEndCountsPushedOperandsAndMarksTheResult) {
  struct Row {
    const char *name;
    uint8_t leftStorage;
    uint8_t leftType;
    uint8_t rightStorage;
    int16_t stackGrowth;
    uint8_t resultStorage;
  } rows[] = {
      {"pushed int consumed", kStorageStackStruct, kTypeInt, kStorageConstant, 2, kStorageStackStruct},
      {"pushed char is a word", kStorageStackStruct, kTypeChar, kStorageConstant, 2, kStorageStackStruct},
      {"pushed long", kStorageStackStruct, kTypeLong, kStorageConstant, 4, kStorageStackStruct},
      {"right in registers", kStorageGlobal, kTypeInt, kStoragePrimary, 0, kStoragePrimary},
      {"both in memory", kStorageGlobal, kTypeInt, kStorageGlobal, 0, kStorageGlobal},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    ValueRecord left = MakeValue(row.leftType, 0, row.leftStorage, false);
    ValueRecord right = MakeValue(row.leftType, 0, row.rightStorage, false);
    right.flags |= kValueStepNotLoaded | kValueByteResult;
    BinaryOperands pair = MakeBinaryOperands(left, right);
    pair.resultType = row.leftType;
    pair.state = OperationState::kPrepared;
    const int16_t before = Emission().stackOffset;
    FinishBinaryOperation(pair, ConvertConstantTo);
    EXPECT_EQ(Emission().stackOffset - before, row.stackGrowth);
    EXPECT_EQ(left.storage, row.resultStorage);
    const bool tookRegisterState = row.rightStorage == kStoragePrimary;
    EXPECT_EQ(left.StepNotLoaded(), tookRegisterState);
    EXPECT_EQ(left.IsByteResult(), tookRegisterState);
  }
  EXPECT_TRUE(sink.records.empty());
}

} // namespace
} // namespace tsw
