#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/codegen_fixture.h"

#include <bit>

namespace tsw {
namespace {

using testing::CodegenTest;

class ValueQueriesTest : public CodegenTest {
protected:
  static SymbolRecord Symbol(const char *name, uint8_t kind, uint8_t type, uint32_t declarator,
                             uint32_t address = 0) {
    SymbolRecord s;
    s.name = name;
    s.kind = kind;
    s.type = type;
    s.declarator = declarator;
    s.address = address;
    return s;
  }
  static ValueRecord Value(uint8_t type, uint8_t storage, uint32_t declarator, bool lvalue = false) {
    return MakeValue(type, declarator, storage, lvalue);
  }
  static uint32_t P(uint8_t segment, uint16_t logical) { return Addr24ToLong(MakeAddr24(segment, logical)); }
};

TEST_F(ValueQueriesTest, SizesOfTypesAndOfStoredValues) {
  int16_t id = 0;
  TypeRecord *point = NewTypeRecord("point", &id);
  ASSERT_NE(point, nullptr);
  point->size = 6;
  struct Case {
    uint8_t type;
    uint16_t size;
  } cases[] = {{kTypeChar, 1}, {kTypeInt, 2},  {kTypeUnsigned, 2}, {kTypeLong, 4}, {kTypeUnsignedLong, 4},
               {kTypeFloat, 4}, {kTypeVoid, 0}, {6, 0},            {8, 0},         {kTypeLabel, 0},
               {15, 0},         {uint8_t(id), 6}};
  for (const Case &c : cases)
    EXPECT_EQ(TypeCodeSize(c.type), c.size) << int(c.type);

  EXPECT_EQ(ValueStorageSize(Value(kTypeChar, kStorageStackStruct, 0)), 2); // a pushed char takes a word
  EXPECT_EQ(ValueStorageSize(Value(kTypeChar, kStoragePrimary, 0)), 1);
  EXPECT_EQ(ValueStorageSize(Value(uint8_t(id), kStorageStackStruct, 0)), 6);
}

TEST_F(ValueQueriesTest, TypeAtADeclaratorLevel) {
  using M = LevelMode;
  struct Case {
    const char *what;
    ValueRecord value;
    M mode;
    uint8_t type;
  } cases[] = {
      {"int", Value(kTypeInt, kStorageGlobal, 0), M::kAddress, kTypeInt},
      {"int *, address", Value(kTypeInt, kStorageGlobal, kLevelPointer), M::kAddress, kTypeVoid},
      {"int *, stripped", Value(kTypeInt, kStorageGlobal, kLevelPointer), M::kStripOne, kTypeInt},
      {"int *, base", Value(kTypeInt, kStorageGlobal, kLevelPointer), M::kBaseType, kTypeInt},
      {"int **, stripped", Value(kTypeInt, kStorageGlobal, 0x22), M::kStripOne, kTypeVoid},
      {"char[4], stripped", Value(kTypeChar, kStorageGlobal, kLevelArray), M::kStripOne, kTypeChar},
      {"address of a long in registers", Value(kTypeLong, kStoragePrimary, 0, true), M::kAddress, kTypeVoid},
      {"address of a long in registers, stripped", Value(kTypeLong, kStoragePrimary, 0, true), M::kStripOne,
       kTypeLong},
      {"long value in registers", Value(kTypeLong, kStoragePrimary, 0), M::kAddress, kTypeLong},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TypeCodeAtLevel(c.value, c.mode), c.type) << c.what;
  EXPECT_EQ(ConversionTypeCode(Value(kTypeLong, kStorageGlobal, kLevelPointer)), kTypeUnsigned);
  EXPECT_EQ(ConversionTypeCode(Value(kTypeLong, kStorageGlobal, 0)), kTypeLong);
}

TEST_F(ValueQueriesTest, OperandSizesWalkTheDimensions) {
  static const uint16_t dims[] = {3, 4};
  ValueRecord matrix = Value(kTypeInt, kStorageGlobal, 0x11); // int m[3][4]
  matrix.dimensions = dims;
  EXPECT_EQ(OperandByteSize(matrix, OperandSizeMode::kPointer), 2);
  EXPECT_EQ(OperandByteSize(matrix, OperandSizeMode::kPointee), 8); // one row
  EXPECT_EQ(OperandByteSize(matrix, OperandSizeMode::kStorage), 2);
  EXPECT_EQ(OperandByteSize(Value(kTypeLong, kStorageGlobal, kLevelPointer), OperandSizeMode::kPointee), 4);
  EXPECT_EQ(OperandByteSize(Value(kTypeLong, kStorageGlobal, 0x22), OperandSizeMode::kPointee), 2);
  EXPECT_EQ(ArrayDimensionProduct(Value(kTypeInt, kStorageGlobal, 0)), 0);
  EXPECT_TRUE(sink.records.empty());

  // An inner array level whose dimension nobody knows counts as 1.
  EXPECT_EQ(ArrayDimensionProduct(Value(kTypeLong, kStorageGlobal, 0x12)), 4);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgDimensionUnknown});
}

TEST_F(ValueQueriesTest, TypesPrintAsC) {
  static const uint16_t four[] = {4};
  int16_t id = 0;
  NewTypeRecord("point", &id);
  struct Case {
    uint8_t type;
    uint32_t declarator;
    const uint16_t *dims;
    const char *text;
  } cases[] = {
      {kTypeUnsigned, 0, nullptr, "unsigned int"},
      {kTypeChar, kLevelPointer, nullptr, "char *"},
      {kTypeChar, kLevelArray, four, "char [4]"},
      {kTypeChar, 0x21, four, "char *[4]"},
      {kTypeChar, 0x12, four, "char (*)[4]"},
      {kTypeInt, 0x32, nullptr, "int (*)()"},
      {kTypeFloat, kLevelFunction, nullptr, "float ()"},
      {uint8_t(id), kLevelPointer, nullptr, "struct point *"},
  };
  for (const Case &c : cases) {
    ValueRecord v = Value(c.type, kStorageGlobal, c.declarator);
    v.dimensions = c.dims;
    EXPECT_EQ(FormatValueType(v), c.text);
  }
}

TEST_F(ValueQueriesTest, InternalLabelsAndSymbolNames) {
  EXPECT_EQ(MakeInternalLabel(0), "AA!");
  EXPECT_EQ(MakeInternalLabel(1), "BA!");
  EXPECT_EQ(MakeInternalLabel(64), "AB!");
  EXPECT_EQ(MakeInternalLabel(65), "BB!");
  EXPECT_EQ(MakeInternalLabel(63), "#A!"); // printable, never 0x80

  ValueRecord literal;
  InitValueRecord(literal, kStorageGlobal, kTypeChar, kLevelArray, StringLiteralSymbol(), 0, nullptr, 0, 0);
  literal.poolOffset = 3;
  EXPECT_EQ(ValueSymbolName(literal), "DA!");
  SymbolRecord counter = Symbol("counter", kStorageGlobal, kTypeInt, 0);
  EXPECT_EQ(ValueSymbolName(MakeValueFromSymbol(counter)), "counter");
  EXPECT_EQ(ValueSymbolName(MakeIntConstantValue(5)), "");
}

TEST_F(ValueQueriesTest, FixedAddressesByStorageAndSymbol) {
  SymbolRecord global = Symbol("g", kStorageGlobal, kTypeInt, 0);
  SymbolRecord local = Symbol("l", kStorageAuto, kTypeInt, 0);
  struct Case {
    const char *what;
    uint8_t storage;
    SymbolRecord *symbol;
    bool fixed;
  } cases[] = {
      {"global", kStorageGlobal, nullptr, true},
      {"static", kStorageStatic, nullptr, true},
      {"register class", kStorageRegisterClass, nullptr, true},
      {"extern", kStorageExtern, nullptr, true},
      {"constant", kStorageConstant, nullptr, false},
      {"auto", kStorageAuto, &local, false},
      {"in registers, no symbol", kStoragePrimary, nullptr, false},
      {"in registers, global symbol", kStoragePrimary, &global, true},
      {"in registers, auto symbol", kStoragePrimary, &local, false},
      {"on the stack, string literal", kStorageStackStruct, StringLiteralSymbol(), true},
  };
  for (const Case &c : cases) {
    ValueRecord v;
    InitValueRecord(v, c.storage, kTypeInt, 0, c.symbol, 0, nullptr, 0, 0);
    EXPECT_EQ(HasFixedAddress(v, c.storage), c.fixed) << c.what;
  }
  SymbolRecord function = Symbol("f", kStorageGlobal, kTypeInt, kLevelFunction);
  EXPECT_TRUE(IsFunctionWithFixedAddress(MakeValueFromSymbol(function)));
  EXPECT_FALSE(IsFunctionWithFixedAddress(MakeValueFromSymbol(global)));
}

TEST_F(ValueQueriesTest, StringLiteralsReferenceTheirLabel) {
  struct Case {
    CodeOutputMode mode;
    bool defined;
    uint16_t address;
    uint16_t pendingFlags; // 0: nothing recorded
  } cases[] = {
      {CodeOutputMode::kProgram, false, 3, 0x01},
      {CodeOutputMode::kWatchCode, false, 3, 0x01},
      // A watch compile being set up only looks the label up.
      {CodeOutputMode::kWatchSetup, false, 3, 0},
      {CodeOutputMode::kWatchSetup, true, 0x8003, 0},
  };
  uint16_t poolOffset = 0;
  for (const Case &c : cases) {
    const std::string name = MakeInternalLabel(poolOffset);
    if (c.defined)
      DefineLabel(name, P(0, 0x8000), kFixLocal);
    Output().codeMode = c.mode;
    ValueRecord literal;
    InitValueRecord(literal, kStorageGlobal, kTypeChar, kLevelArray, StringLiteralSymbol(), 2, nullptr, 0, 0);
    literal.poolOffset = poolOffset++;
    EXPECT_EQ(VariableAddress(literal, 1, 0).logical, c.address) << name;
    const BRFixupRec *label = FindLocalLabel(name);
    if (!c.pendingFlags) {
      EXPECT_TRUE(!label || label->pending.empty()) << name;
      continue;
    }
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(label->pending.size(), 1u);
    EXPECT_EQ(label->pending[0]->flags, c.pendingFlags);
    EXPECT_EQ(label->pending[0]->addend, 3); // the placeholder holds what the patch adds
    EXPECT_EQ(label->pending[0]->patchAddress, Addr24ToLong(Here()));
  }
  Output().codeMode = CodeOutputMode::kProgram;
}

TEST_F(ValueQueriesTest, ExtendedMemoryFunctionsFromRootCode) {
  // A Corvid function in extended memory is reached through a root stub
  // while "No Bouncers" is on; the stub does not exist yet.
  SetCpu(TargetCpu::Corvid);
  SymbolRecord far = Symbol("far", kStorageGlobal, kTypeInt, kLevelFunction, P(0x10, 0xE100));
  far.flagsC = 0;
  ValueRecord call = MakeValueFromSymbol(far);
  call.value = 0x40; // a function's byte offset never moves its address
  EXPECT_EQ(VariableAddress(call, 0, kFixNoPatch).logical, 0);
  VariableAddress(call, 0, 0);
  EXPECT_EQ(StubStack(), std::vector<SymbolRecord *>{&far}); // once, however often referenced
  EXPECT_EQ(far.flagsC & 1, 1);
  const BRFixupRec *label = FindLocalLabel("far");
  ASSERT_NE(label, nullptr);
  ASSERT_EQ(label->pending.size(), 2u);
  EXPECT_EQ(label->pending[0]->flags, kFixBouncer | kFixGlobal | kFixLocal); // 0x4000 cleared

  // Once the stub exists its address is taken.
  far.secondAddress = P(0, 0x2345);
  EXPECT_EQ(VariableAddress(call, 1, 0).logical, 0x2346);

  // The Z180 enters it through its root bouncer, whose address the symbol
  // holds: no stub, no fixup.
  ResetCompiler();
  SetUp();
  SetCpu(TargetCpu::Z180);
  SymbolRecord banked = Symbol("banked", kStorageGlobal, kTypeInt, kLevelFunction, P(0, 0x1800));
  ValueRecord z180 = MakeValueFromSymbol(banked);
  EXPECT_EQ(VariableAddress(z180, 0, 0).logical, 0x1800);
  SymbolRecord xmem = Symbol("xmem", kStorageGlobal, kTypeInt, kLevelFunction, P(0x10, 0xE100));
  ValueRecord inWindow = MakeValueFromSymbol(xmem);
  EXPECT_EQ(Addr24ToLong(VariableAddress(inWindow, 0, 0)), P(0x10, 0xE100));
  EXPECT_TRUE(StubStack().empty());
  EXPECT_EQ(xmem.flagsC, 0);
  EXPECT_EQ(FindLocalLabel("xmem"), nullptr);
}

TEST_F(ValueQueriesTest, UnknownAddressesFallBackToTheBiosThenToAFixup) {
  AddBiosSymbol("putchar", MakeAddr24(0, 0x0400));
  SymbolRecord putchar = Symbol("putchar", kStorageGlobal, kTypeInt, kLevelFunction);
  EXPECT_EQ(VariableAddress(MakeValueFromSymbol(putchar), 0, 0).logical, 0x0400);
  EXPECT_EQ(FindLocalLabel("putchar"), nullptr);

  SymbolRecord later = Symbol("later", kStorageGlobal, kTypeInt, kLevelFunction);
  EXPECT_EQ(VariableAddress(MakeValueFromSymbol(later), 2, 0x0800).logical, 2);
  ASSERT_NE(FindLocalLabel("later"), nullptr);
  EXPECT_EQ(FindLocalLabel("later")->pending[0]->flags, 0x0803);
  EXPECT_EQ(FindLocalLabel("later")->pending[0]->addend, 2);

  // An external is resolved by its label; its byte offset is added.
  SymbolRecord table = Symbol("table", kStorageExtern, kTypeInt, kLevelArray);
  ValueRecord element = MakeValueFromSymbol(table);
  element.value = 4;
  EXPECT_FALSE(HasResolvedAddress(element));
  EXPECT_EQ(VariableAddress(element, 0, 0).logical, 4);
  EXPECT_EQ(FindLocalLabel("table")->pending[0]->addend, 4);
  DefineLabel("table", P(0, 0x9000), kFixGlobal);
  EXPECT_TRUE(HasResolvedAddress(element));
  EXPECT_EQ(VariableAddress(element, 1, 0).logical, 0x9005);

  SymbolRecord count = Symbol("count", kStorageGlobal, kTypeInt, 0, P(0, 0xC010));
  ValueRecord member = MakeValueFromSymbol(count);
  member.value = 2;
  EXPECT_EQ(VariableAddress(member, -1, 0).logical, 0xC011);
  EXPECT_TRUE(sink.records.empty());

  ValueRecord literal;
  InitValueRecord(literal, kStorageGlobal, kTypeChar, kLevelArray, StringLiteralSymbol(), 0, nullptr, 0, 0);
  EXPECT_FALSE(HasResolvedAddress(literal));
}

TEST_F(ValueQueriesTest, AConstantHasNoAddress) {
  EXPECT_EQ(VariableAddress(MakeIntConstantValue(7), 1, 0).logical, 8);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgConstantHasNoAddress});
}

TEST_F(ValueQueriesTest, StackOffsetsCountPushesOutsideCofunctions) {
  Emission().frameBase = 2;
  Emission().stackOffset = -4; // two pushes
  ValueRecord local = Value(kTypeInt, kStorageAuto, 0);
  local.value = 4;
  EXPECT_EQ(LocalStackOffset(local), 10);
  Emission().ipStackOffset = -2;
  EXPECT_EQ(LocalStackOffset(local), 12);
  Attributes().current |= 1u << kAttrCofuncShift;
  EXPECT_EQ(LocalStackOffset(local), 6);
}

TEST_F(ValueQueriesTest, ConstantTestsReadTheTargetWidths) {
  struct Case {
    const char *what;
    ValueRecord value;
    double number;
    bool equal;
  } cases[] = {
      {"int -1", MakeIntConstantValue(-1), -1, true},
      {"unsigned 65535", MakeUnsignedConstantValue(0xFFFF), 65535, true},
      {"char 255", MakeCharConstantValue(0xFF), 255, true},
      {"unsigned long", MakeUnsignedLongConstantValue(0xFFFFFFFF), 4294967295.0, true},
      {"long", MakeLongConstantValue(0xFFFFFFFF), -1, true},
      {"float", MakeFloatConstantValue(1.5f), 1.5, true},
      {"float against its bits", MakeFloatConstantValue(1.5f), double(std::bit_cast<uint32_t>(1.5f)), false},
      {"void pointer", MakeVoidPointerConstant(0), 0, false},
      {"a variable", Value(kTypeInt, kStorageGlobal, 0), 0, false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ConstantEquals(c.value, c.number), c.equal) << c.what;

  EXPECT_TRUE(IsIntegralConstant(MakeFloatConstantValue(2.0f)));
  EXPECT_FALSE(IsIntegralConstant(MakeFloatConstantValue(2.5f)));
  EXPECT_TRUE(IsIntegralConstant(MakeLongConstantValue(7)));
  EXPECT_FALSE(IsIntegralConstant(Value(kTypeInt, kStorageGlobal, 0)));

  struct Small {
    int16_t n;
    int32_t small;
  } smalls[] = {{125, 125}, {126, 0}, {-128, -128}, {-129, 0}, {0, 0}};
  for (const Small &s : smalls)
    EXPECT_EQ(SmallConstantValue(MakeIntConstantValue(s.n)), s.small) << s.n;

  EXPECT_TRUE(CheckConstantRange(MakeIntConstantValue(3), 0, 3));
  EXPECT_TRUE(ConstantInRange(MakeFloatConstantValue(-0.5f), -1, 0));
  EXPECT_TRUE(sink.records.empty());
  EXPECT_FALSE(CheckConstantRange(MakeIntConstantValue(4), 0, 3));
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgConstantOutOfRange});
}

TEST_F(ValueQueriesTest, LongFloatAndFunctionPointerShapes) {
  EXPECT_TRUE(IsLongOrFloatValue(Value(kTypeFloat, kStoragePrimary, 0)));
  EXPECT_FALSE(IsLongOrFloatValue(Value(kTypeLong, kStoragePrimary, kLevelPointer)));
  EXPECT_FALSE(IsLongOrFloatValue(Value(kTypeLong, kStorageGlobal, kLevelFunction)));
  EXPECT_TRUE(IsLongOrFloatResult(Value(kTypeLong, kStorageGlobal, kLevelFunction)));
  EXPECT_FALSE(IsLongOrFloatResult(Value(kTypeInt, kStorageGlobal, kLevelFunction)));
  EXPECT_TRUE(IsPointerToFunction(Value(kTypeInt, kStorageGlobal, 0x32)));
  EXPECT_TRUE(IsPointerToFunction(Value(kTypeInt, kStorageGlobal, 0x31)));
  EXPECT_TRUE(IsPointerToFunction(Value(kTypeInt, kStorageGlobal, 0x232)));
  EXPECT_FALSE(IsPointerToFunction(Value(kTypeInt, kStorageGlobal, 0x23)));
}

TEST_F(ValueQueriesTest, MakersHoldTargetWidths) {
  ValueRecord assigned = MakeIntConstantValue(9);
  MakeConstantValue(assigned, kTypeInt, 0x18000);
  struct Case {
    const char *what;
    ValueRecord value;
    uint8_t type;
    uint32_t declarator;
    uint32_t bits;
  } cases[] = {
      {"char", MakeCharConstantValue(0x80), kTypeChar, 0, 0x80},
      {"int -1", MakeIntConstantValue(-1), kTypeInt, 0, 0xFFFFFFFF},
      {"host 70000", MakeIntConstantFromHostInt(70000), kTypeInt, 0, 0x1170},
      {"host 40000", MakeIntConstantFromHostInt(40000), kTypeInt, 0, 0xFFFF9C40},
      {"unsigned", MakeUnsignedConstantValue(0x12345), kTypeUnsigned, 0, 0x2345},
      {"long", MakeLongConstantValue(0x80000000), kTypeLong, 0, 0x80000000},
      {"unsigned long", MakeUnsignedLongConstantValue(7), kTypeUnsignedLong, 0, 7},
      {"float", MakeFloatConstantValue(1.0f), kTypeFloat, 0, 0x3F800000},
      {"void pointer", MakeVoidPointerConstant(0x8000), kTypeVoid, kLevelPointer, 0x8000},
      {"given int", assigned, kTypeInt, 0, 0xFFFF8000},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.value.type, c.type) << c.what;
    EXPECT_EQ(c.value.storage, kStorageConstant) << c.what;
    EXPECT_EQ(c.value.declarator, c.declarator) << c.what;
    EXPECT_EQ(c.value.value, c.bits) << c.what;
    EXPECT_FALSE(c.value.IsLvalue()) << c.what;
    EXPECT_EQ(c.value.symbol, nullptr) << c.what;
  }
  ValueRecord result = MakeValue(kTypeLong, 0, kStoragePrimary, true);
  EXPECT_EQ(result.storage, kStoragePrimary);
  EXPECT_TRUE(result.IsLvalue());
}

TEST_F(ValueQueriesTest, ValuesFromSymbols) {
  static const uint16_t dims[] = {8};
  struct Case {
    const char *what;
    uint8_t kind;
    uint32_t declarator;
    uint8_t storage;
    bool lvalue;
  } cases[] = {
      {"global", kStorageGlobal, 0, kStorageGlobal, true},
      {"register class", 4, 0, kStorageStatic, true},
      {"parameter area", 5, kLevelPointer, kStorageStatic, true},
      {"array", kStorageGlobal, kLevelArray, kStorageGlobal, false},
      {"function", kStorageGlobal, kLevelFunction, kStorageGlobal, false},
      {"auto", kStorageAuto, 0, kStorageAuto, true},
  };
  for (const Case &c : cases) {
    SymbolRecord s = Symbol("s", c.kind, kTypeInt, c.declarator);
    s.definition = 0xFFFC;
    s.list = dims;
    const ValueRecord v = MakeValueFromSymbol(s);
    EXPECT_EQ(v.storage, c.storage) << c.what;
    EXPECT_EQ(v.IsLvalue(), c.lvalue) << c.what;
    EXPECT_EQ(v.value, 0xFFFFFFFC) << c.what; // the definition word, sign-extended
    EXPECT_EQ(v.dimensions, dims) << c.what;
    EXPECT_EQ(v.symbol, &s) << c.what;
  }
}

} // namespace
} // namespace tsw
