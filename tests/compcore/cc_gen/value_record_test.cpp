#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_stab/cc_stab.h"

#include "compcore/decode_check.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

TEST(ValueRecord, CopiesTheSymbolsAttributesAndClearsThemWithoutOne) {
  SymbolRecord symbol;
  symbol.flagsA = 0x0C | 0x20 | 0x40 | 0x80; // memory class 3, bits 5, 6, instances bit 0
  symbol.flagsB = 0x40 | 0x80 | 0x01;        // bits 14, 15, instances bit 1
  ValueRecord record;
  InitValueRecord(record, kStorageGlobal, kTypeInt, 0, &symbol, 7, nullptr, 1, 0);
  EXPECT_EQ(record.MemoryClass(), 3);
  EXPECT_EQ(record.Instances(), 3);
  EXPECT_TRUE(record.flags & kValueAttr5);
  EXPECT_TRUE(record.flags & kValueAttr6);
  EXPECT_TRUE(record.flags & kValueAttr14);
  EXPECT_EQ(record.flags2, kValueFlags2Attr15);
  EXPECT_TRUE(record.IsLvalue());
  EXPECT_EQ(record.wasLvalue, 1);
  EXPECT_TRUE(record.IsModifiable());

  record.zeroFlagCondition = -3;
  record.generatorByte = 9;
  InitValueRecord(record, kStorageConstant, kTypeChar, 0, nullptr, 65, nullptr, 0, 1);
  EXPECT_EQ(record.flags, kValueByteResult);
  EXPECT_EQ(record.flags2, 0);
  EXPECT_EQ(record.zeroFlagCondition, 0);
  EXPECT_EQ(record.generatorByte, 9); // only the code generator touches it
}

TEST(ValueRecord, StringLiteralsAreNeverModifiable) {
  ValueRecord record;
  InitValueRecord(record, kStorageGlobal, kTypeChar, kLevelArray, StringLiteralSymbol(), 0, nullptr, 0, 0);
  EXPECT_FALSE(record.IsModifiable());
}

TEST(DecodeCheck, FailsOnTheOtherProcessorsFormsAndOnCutInstructions) {
  using testing::DecodesAs;
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, {0x21, 0x34, 0x12, 0xC9}, {"ld    hl,1234", "ret"}));
  EXPECT_FALSE(DecodesAs(TargetCpu::Z180, {0x21, 0x34}, {"ld    hl,1234"}));
  EXPECT_FALSE(DecodesAs(TargetCpu::Z180, {0xED, 0x80}, {"???"}));
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, {0xCD, 0x00, 0x20, 0x02, 0x00}, {"call  2000", "db 02", "db 00"},
                        {{3, 2}}));
}

} // namespace
} // namespace tsw
