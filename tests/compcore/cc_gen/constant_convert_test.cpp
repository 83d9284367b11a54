#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"
#include "compcore/common/cc_session.h"

#include "compcore/byte_road_fixture.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

namespace tsw {
namespace {

using testing::RecordingSink;

uint32_t Field(int64_t v) { return static_cast<uint32_t>(static_cast<uint64_t>(v)); }
uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

constexpr uint8_t kStructType = kFirstStructType + 2;
constexpr uint32_t kPointer = kLevelPointer;

class ConstantConvert : public ::testing::Test {
protected:
  void SetUp() override {
    ResetCompiler();
    SetDiagnosticSink(&sink);
  }
  void TearDown() override { ResetCompiler(); }
  RecordingSink sink;
};

struct ConvertRow {
  const char *name;
  uint8_t fromType;
  uint32_t fromDeclarator;
  uint32_t value;
  uint8_t toType;
  bool toPointer;
  uint8_t options;
  uint16_t tcdmtn;
  // expected
  uint8_t type;
  uint32_t declarator;
  uint32_t result;
  std::vector<unsigned> messages;
};

const ConvertRow kRows[] = {
    {"int -1 to char", kTypeInt, 0, Field(-1), kTypeChar, false, 3, 1, kTypeChar, 0, 0xFF, {kMsgDemotion}},
    {"no report without tcdmtn", kTypeInt, 0, Field(-1), kTypeChar, false, 3, 0, kTypeChar, 0, 0xFF, {}},
    {"no report without option bit 0", kTypeInt, 0, Field(-1), kTypeChar, false, 2, 1, kTypeChar, 0, 0xFF, {}},
    {"int 300 to char", kTypeInt, 0, 300, kTypeChar, false, 3, 1, kTypeChar, 0, 44, {kMsgDemotion}},
    {"int 255 fits char", kTypeInt, 0, 255, kTypeChar, false, 3, 1, kTypeChar, 0, 255, {}},
    {"unsigned 256 to char", kTypeUnsigned, 0, 256, kTypeChar, false, 3, 1, kTypeChar, 0, 0, {kMsgDemotion}},
    {"long 70000 to int", kTypeLong, 0, 70000, kTypeInt, false, 3, 1, kTypeInt, 0, 4464, {kMsgDemotion}},
    {"long 70000 to unsigned", kTypeLong, 0, 70000, kTypeUnsigned, false, 3, 1, kTypeUnsigned, 0, 4464, {kMsgDemotion}},
    {"long -1 fits int", kTypeLong, 0, Field(-1), kTypeInt, false, 3, 1, kTypeInt, 0, Field(-1), {}},
    {"long -1 to unsigned", kTypeLong, 0, Field(-1), kTypeUnsigned, false, 3, 1, kTypeUnsigned, 0, 0xFFFF, {kMsgDemotion}},
    {"long 40000 to int", kTypeLong, 0, 40000, kTypeInt, false, 3, 1, kTypeInt, 0, Field(40000 - 65536), {kMsgDemotion}},
    {"unsigned long 65535 to unsigned", kTypeUnsignedLong, 0, 65535, kTypeUnsigned, false, 3, 1, kTypeUnsigned, 0, 65535, {}},
    {"unsigned long max to long", kTypeUnsignedLong, 0, 0xFFFFFFFF, kTypeLong, false, 3, 1, kTypeLong, 0, 0xFFFFFFFF, {}},
    {"unsigned 65535 to int", kTypeUnsigned, 0, 65535, kTypeInt, false, 3, 1, kTypeInt, 0, Field(-1), {}},
    {"int -1 to unsigned", kTypeInt, 0, Field(-1), kTypeUnsigned, false, 3, 1, kTypeUnsigned, 0, 0xFFFF, {}},
    {"int -1 to unsigned long", kTypeInt, 0, Field(-1), kTypeUnsignedLong, false, 3, 1, kTypeUnsignedLong, 0, 0xFFFFFFFF, {}},
    {"unsigned 65535 to long", kTypeUnsigned, 0, 65535, kTypeLong, false, 3, 1, kTypeLong, 0, 65535, {}},
    {"char 0xFF to long", kTypeChar, 0, 0xFF, kTypeLong, false, 3, 1, kTypeLong, 0, 255, {}},
    {"unreduced int to long", kTypeInt, 0, 0x12345, kTypeLong, false, 3, 1, kTypeLong, 0, 0x2345, {}},
    {"unsigned 65535 to float", kTypeUnsigned, 0, 65535, kTypeFloat, false, 3, 1, kTypeFloat, 0, Bits(65535.0f), {}},
    {"int -1 to float", kTypeInt, 0, Field(-1), kTypeFloat, false, 3, 1, kTypeFloat, 0, Bits(-1.0f), {}},
    {"char to float", kTypeChar, 0, 0x1C8, kTypeFloat, false, 3, 1, kTypeFloat, 0, Bits(200.0f), {}},
    {"unsigned long max to float", kTypeUnsignedLong, 0, 0xFFFFFFFF, kTypeFloat, false, 3, 1, kTypeFloat, 0, Bits(4294967296.0f), {}},
    {"float 3.9 to int", kTypeFloat, 0, Bits(3.9f), kTypeInt, false, 3, 1, kTypeInt, 0, 3, {}},
    {"float -3.9 fits int", kTypeFloat, 0, Bits(-3.9f), kTypeInt, false, 3, 1, kTypeInt, 0, Field(-3), {}},
    {"float 1e19 to long", kTypeFloat, 0, Bits(1e19f), kTypeLong, false, 3, 1, kTypeLong, 0, 0, {kMsgDemotion}},
    {"float 5e9 to unsigned long", kTypeFloat, 0, Bits(5e9f), kTypeUnsignedLong, false, 3, 1, kTypeUnsignedLong, 0, Field(5000000000 & 0xFFFFFFFF), {kMsgDemotion}},
    {"float 2^31 to long", kTypeFloat, 0, Bits(2147483648.0f), kTypeLong, false, 3, 1, kTypeLong, 0, 0x80000000, {kMsgDemotion}},
    {"float -1 to unsigned long", kTypeFloat, 0, Bits(-1.0f), kTypeUnsignedLong, false, 3, 1, kTypeUnsignedLong, 0, 0xFFFFFFFF, {kMsgDemotion}},
    {"float 200 to char", kTypeFloat, 0, Bits(200.0f), kTypeChar, false, 3, 1, kTypeChar, 0, 200, {}},
    {"float NaN to int", kTypeFloat, 0, Bits(std::numeric_limits<float>::quiet_NaN()), kTypeInt, false, 3, 1, kTypeInt, 0, 0, {kMsgDemotion}},
    {"float -inf to unsigned", kTypeFloat, 0, Bits(-std::numeric_limits<float>::infinity()), kTypeUnsigned, false, 3, 1, kTypeUnsigned, 0, 0, {kMsgDemotion}},
    {"same type keeps the field", kTypeInt, 0, 0x12345, kTypeInt, false, 3, 1, kTypeInt, 0, 0x12345, {}},
    {"structure is invalid once", kStructType, 0, 7, kTypeInt, false, 3, 1, kStructType, 0, 7, {kMsgInvalidOperands}},
    {"to a structure is invalid", kTypeInt, 0, 7, kStructType, false, 3, 1, kTypeInt, 0, 7, {kMsgInvalidOperands}},
    {"int to pointer to char", kTypeInt, 0, 0x4000, kTypeChar, true, 3, 1, kTypeChar, kPointer, 0x4000, {}},
    {"int -1 to pointer", kTypeInt, 0, Field(-1), kTypeInt, true, 3, 1, kTypeInt, kPointer, 0xFFFF, {}},
    {"long to pointer", kTypeLong, 0, 0x12345, kTypeChar, true, 3, 1, kTypeChar, kPointer, 0x2345, {kMsgDemotion}},
    {"float to pointer is invalid", kTypeFloat, 0, Bits(1.0f), kTypeChar, true, 3, 1, kTypeFloat, 0, Bits(1.0f), {kMsgInvalidOperands}},
    {"int to the address base is int", kTypeInt, 0, 5, kTypeAddressBase, false, 3, 1, kTypeInt, 0, 5, {}},
    {"pointer keeps its base type", kTypeChar, kPointer, 0x8000, kTypeAddressBase, false, 3, 1, kTypeChar, kPointer, 0x8000, {}},
    {"pointer to int drops its level", kTypeChar, kPointer, 0x8000, kTypeInt, false, 3, 1, kTypeInt, 0, Field(-32768), {}},
    {"pointer to long", kTypeChar, kPointer, 0xFFFF, kTypeLong, false, 3, 1, kTypeLong, 0, 0xFFFF, {}},
    {"pointer to char", kTypeInt, kPointer, 0x1234, kTypeChar, false, 3, 1, kTypeChar, 0, 0x34, {kMsgDemotion}},
    {"pointer to float is invalid", kTypeInt, kPointer, 0x1234, kTypeFloat, false, 3, 1, kTypeInt, kPointer, 0x1234, {kMsgInvalidOperands}},
    {"pointer to pointer to long", kTypeChar, kPointer, 0x1234, kTypeLong, true, 3, 1, kTypeLong, kPointer, 0x1234, {}},
};

TEST_F(ConstantConvert, ConstantsTakeTheTargetsValueAndWarnOnlyOutsideItsRange) {
  for (const ConvertRow &row : kRows) {
    SCOPED_TRACE(row.name);
    sink.records.clear();
    CompilerConfig().tcdmtn = row.tcdmtn;
    ValueRecord value;
    InitValueRecord(value, kStorageConstant, row.fromType, row.fromDeclarator, nullptr, row.value, nullptr, 0, 0);
    ConvertConstantTo(value, row.toType, row.toPointer, row.options);
    EXPECT_EQ(value.type, row.type);
    EXPECT_EQ(value.declarator, row.declarator);
    EXPECT_EQ(value.value, row.result) << std::hex << value.value;
    EXPECT_EQ(sink.Messages(), row.messages);
  }
}

TEST_F(ConstantConvert, ADemotionIsReportedWithTheDefaultSetting) {
  ASSERT_EQ(CompilerConfig().tcdmtn, 1);
  ValueRecord value;
  InitValueRecord(value, kStorageConstant, kTypeLong, 0, nullptr, 70000, nullptr, 0, 0);
  ConvertConstantTo(value, kTypeInt, false, kConvertDefaultOptions);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgDemotion});
}

TEST_F(ConstantConvert, ChainedConversionsStartFromTheReducedValue) {
  ValueRecord value;
  InitValueRecord(value, kStorageConstant, kTypeInt, 0, nullptr, Field(-1), nullptr, 0, 0);
  ConvertConstantTo(value, kTypeUnsigned, false, kConvertDefaultOptions);
  ConvertConstantTo(value, kTypeFloat, false, kConvertDefaultOptions);
  EXPECT_EQ(value.value, Bits(65535.0f));
  ConvertConstantTo(value, kTypeChar, false, kConvertDefaultOptions);
  EXPECT_EQ(value.value, 0xFFu);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgDemotion});
}

struct IndexRow {
  uint8_t type;
  ConversionIndex index;
};

TEST(ConversionIndexOf, EveryTypeCodeHasItsRow) {
  const IndexRow rows[] = {
      {kTypeNone, ConversionIndex::kChar},         {kTypeChar, ConversionIndex::kChar},
      {kTypeInt, ConversionIndex::kInt},           {kTypeUnsigned, ConversionIndex::kUnsigned},
      {kTypeLong, ConversionIndex::kLong},         {kTypeUnsignedLong, ConversionIndex::kUnsignedLong},
      {6, ConversionIndex::kOther},                {kTypeFloat, ConversionIndex::kFloat},
      {kTypeLabel, ConversionIndex::kOther},       {kTypeAddressBase, ConversionIndex::kPointer},
      {13, ConversionIndex::kOther},               {kFirstStructType, ConversionIndex::kOther},
  };
  for (const IndexRow &row : rows)
    EXPECT_EQ(ConversionIndexOf(row.type), row.index) << int(row.type);
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

// A value in registers of each row's kind, and the conversion that reaches
// each column.
ValueRecord RowValue(int row) {
  static const uint8_t kRowTypes[] = {kTypeChar, kTypeInt,   kTypeUnsigned, kTypeLong,
                                      kTypeUnsignedLong, kTypeFloat, kTypeChar, kFirstStructType};
  const uint32_t declarator = row == 6 ? uint32_t{kLevelPointer} : 0;
  return MakeValue(kRowTypes[row], declarator, kStoragePrimary, false);
}

char CellOf(const ConversionRecord &c) {
  if (!c.valid)
    return 'X';
  if (!c.commit)
    return 'S';
  return c.demoted ? 'D' : '-';
}

TEST_F(ConstantConvert, ClassificationMarksSameTypesNarrowingsAndInvalidPairs) {
  // Columns: char int unsigned long unsigned-long float pointer other.
  const char *const kExpected[] = {
      "S------X", "-S-----X", "--S----X", "DDDS---X", "DDD-S--X", "DDDDDSXX", "-----X-X", "XXXXXXXX",
  };
  static const uint8_t kColumnTypes[] = {kTypeChar, kTypeInt,   kTypeUnsigned, kTypeLong,
                                         kTypeUnsignedLong, kTypeFloat, kTypeAddressBase, kFirstStructType};
  for (int row = 0; row < 8; ++row) {
    std::string cells;
    for (int column = 0; column < 8; ++column) {
      ValueRecord value = RowValue(row);
      // A plain value reaches the pointer column by asking for a pointer.
      const bool toPointer = column == 6 && row != 6;
      const uint8_t type = toPointer ? uint8_t{kTypeChar} : kColumnTypes[column];
      ConversionRecord c = BeginConversion(value, type, toPointer, kConvertDefaultOptions);
      ClassifyConversion(c);
      cells += CellOf(c);
    }
    EXPECT_EQ(cells, kExpected[row]) << "row " << row;
  }
  EXPECT_TRUE(sink.records.empty()); // classification alone reports nothing
}

TEST_F(ConstantConvert, ACheckNeedsNothingBetweenTypesThatShareTheirRegisters) {
  struct Row {
    uint8_t from;
    uint8_t to;
    bool commit;
  } rows[] = {
      {kTypeInt, kTypeUnsigned, false},      {kTypeUnsigned, kTypeInt, false},
      {kTypeLong, kTypeUnsignedLong, false}, {kTypeInt, kTypeInt, false},
      {kTypeInt, kTypeLong, true},           {kTypeChar, kTypeInt, true},
      {kTypeLong, kTypeInt, true},           {kTypeFloat, kTypeLong, true},
  };
  for (const Row &row : rows) {
    ValueRecord value = MakeValue(row.from, 0, kStorageGlobal, true);
    const ValueRecord before = value;
    EXPECT_EQ(ConvertCheck(value, row.to, false, kConvertDefaultOptions).commit, row.commit)
        << int(row.from) << " to " << int(row.to);
    EXPECT_EQ(value.type, before.type);
    EXPECT_EQ(value.declarator, before.declarator);
  }
}

} // namespace
} // namespace tsw
