#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/internal_labels.h"
#include "compcore/cc_parse/expr/expr_literals.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/codegen_fixture.h"

#include <bit>
#include <cstring>
#include <string>

namespace tsw {
namespace {

using testing::CodegenTest;

class ExprLiteralsTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    SingleLineMode = 1;
  }
  void TearDown() override {
    SingleLineMode = 0;
    CodegenTest::TearDown();
  }
  // Makes `text` the current logical line, the cursor at its start.
  static void Line(const std::string &text) {
    LogicalLineBuffer line;
    line.text = text;
    for (size_t i = 0; i < text.size(); ++i) {
      line.lines.push_back(1);
      line.columns.push_back(uint16_t(i + 1));
    }
    InstallLogicalLine(std::move(line), 0);
    InputColumn = 0;
  }
  static std::string Rest() { return InputCursor; }
  static uint32_t FloatBits(float f) { return std::bit_cast<uint32_t>(f); }
};

struct LiteralCase {
  const char *text;
  uint8_t type;
  uint32_t value;
  const char *rest;
  std::vector<unsigned> messages;
};

TEST_F(ExprLiteralsTest, NumbersTakeTheTypeTheirDigitsAndSuffixGive) {
  const LiteralCase cases[] = {
      {"0", kTypeInt, 0, "", {}},
      {"32767", kTypeInt, 32767, "", {}},
      {"32768", kTypeLong, 32768, "", {}},
      {"65535", kTypeLong, 65535, "", {}},
      {"0x8000", kTypeUnsigned, 0x8000, "", {}},
      {"0177777", kTypeUnsigned, 0xFFFF, "", {}},
      {"0x7FFF", kTypeInt, 0x7FFF, "", {}},
      {"0xFFFFFFFF", kTypeUnsignedLong, 0xFFFFFFFF, "", {}},
      {"2147483648", kTypeUnsignedLong, 0x80000000, "", {}},
      {"0x10000", kTypeLong, 0x10000, "", {}},
      {"65535L", kTypeLong, 65535, "", {}},
      {"0x80000000L", kTypeUnsignedLong, 0x80000000, "", {}},
      {"5U", kTypeUnsigned, 5, "", {}},
      {"5u", kTypeUnsigned, 5, "", {}},
      {"70000U", kTypeUnsignedLong, 70000, "", {}},
      {"5UL", kTypeUnsignedLong, 5, "", {}},
      {"5LU", kTypeUnsignedLong, 5, "", {}},
      {"5lu", kTypeUnsignedLong, 5, "", {}},
      {"0x1F", kTypeInt, 31, "", {}},
      {"0x1f+2", kTypeInt, 31, "+2", {}},
      {"017", kTypeInt, 15, "", {}},
      {"12)", kTypeInt, 12, ")", {}},
      {"08", kTypeInt, 0, "8", {kMsgBadOctalDigit}},
      {"0779", kTypeInt, 63, "9", {kMsgBadOctalDigit}},
      {"12abc", kTypeInt, 12, "abc", {}},
      {"4294967296", kTypeInt, 0, "", {}}, // the accumulator wraps at 32 bits
      {"1F", kTypeFloat, FloatBits(1.0f), "", {}},
      {"0.5", kTypeFloat, FloatBits(0.5f), "", {}},
      {".5", kTypeFloat, FloatBits(0.5f), "", {}},
      {"1e5", kTypeFloat, FloatBits(1e5f), "", {}},
      {"2.5E-1*", kTypeFloat, FloatBits(0.25f), "*", {}},
      {"1.e+2", kTypeFloat, FloatBits(100.0f), "", {}},
      {"3.", kTypeFloat, FloatBits(3.0f), "", {}},
      {"1e39", kTypeFloat, 0, "", {kMsgFloatOutOfRange}},
      {"3.4e38", kTypeFloat, 0, "", {kMsgFloatOutOfRange}},
      {"1e-45", kTypeFloat, FloatBits(float(1e-45L)), "", {}},
      {"1.000000000000000000000000000000001", kTypeFloat, 0, "", {kMsgFloatOutOfRange}},
      // More digits than the text buffer holds still keep the value (modulo 2^32).
      {"123456789012345678901234567890123", kTypeUnsignedLong, 0xA64244CB, "", {}},
  };
  for (const LiteralCase &c : cases) {
    sink.records.clear();
    Line(c.text);
    ValueRecord v;
    ASSERT_TRUE(CompileNumericConstant(v)) << c.text;
    EXPECT_EQ(v.storage, kStorageConstant) << c.text;
    EXPECT_EQ(int(v.type), int(c.type)) << c.text;
    EXPECT_EQ(v.value, c.value) << c.text;
    EXPECT_EQ(v.declarator, 0u) << c.text;
    EXPECT_EQ(Rest(), c.rest) << c.text;
    EXPECT_EQ(sink.Messages(), c.messages) << c.text;
  }
}

TEST_F(ExprLiteralsTest, NoNumberNoConsumption) {
  for (const char *text : {"abc", "+1", "", "'a'"}) {
    Line(text);
    ValueRecord v;
    EXPECT_FALSE(CompileNumericConstant(v)) << text;
    EXPECT_EQ(Rest(), text);
  }
}

TEST_F(ExprLiteralsTest, CharacterConstantsHoldTheirByteZeroExtended) {
  const LiteralCase cases[] = {
      {"'a'", kTypeChar, 'a', "", {}},
      {"  'a' + 1", kTypeChar, 'a', " + 1", {}},
      {"'\\n'", kTypeChar, 10, "", {}},
      {"'\\a'", kTypeChar, 7, "", {}},
      {"'\\v'", kTypeChar, 11, "", {}},
      {"'\\q'", kTypeChar, 'q', "", {}},
      {"'\\''", kTypeChar, '\'', "", {}},
      {"'\\\\'", kTypeChar, '\\', "", {}},
      {"'\\101'", kTypeChar, 65, "", {}},
      {"'\\0'", kTypeChar, 0, "", {}},
      {"'\\377'", kTypeChar, 0xFF, "", {}},
      {"'\\x41'", kTypeChar, 0x41, "", {}},
      {"'\\xff'", kTypeChar, 0xFF, "", {}},
      {"'\\B101'", kTypeChar, 5, "", {}},
      {"'\\Q'", kTypeChar, 'Q', "", {}},
      {"'('", kTypeChar, '(', "", {}},
      {"'\\x'", kTypeChar, 'x', "", {kMsgBadHexEscape}},
      {"'\\B2'", kTypeChar, 'B', "2'", {kMsgBadBinaryEscape, kMsgCharExpected}},
      {"'ab'", kTypeChar, 'a', "b'", {kMsgCharExpected}},
      {"'a", kTypeChar, 'a', "", {kMsgCharExpected}},
      {"'\\18'", kTypeChar, 8 + 8, "", {kMsgBadOctalDigit}},
  };
  for (const LiteralCase &c : cases) {
    sink.records.clear();
    Line(c.text);
    ValueRecord v;
    ASSERT_TRUE(CompileLiteral(v)) << c.text;
    EXPECT_EQ(v.storage, kStorageConstant) << c.text;
    EXPECT_EQ(int(v.type), int(c.type)) << c.text;
    EXPECT_EQ(v.value, c.value) << c.text;
    EXPECT_EQ(Rest(), c.rest) << c.text;
    EXPECT_EQ(sink.Messages(), c.messages) << c.text;
  }
}

TEST_F(ExprLiteralsTest, EscapesReadAtMostTheirDigits) {
  struct Case {
    const char *text;
    int16_t value;
    const char *rest;
  } cases[] = {
      {"\\1011", 9, ""},   // four octal digits, kept to 8 bits
      {"\\10112", 9, "2"}, // and no more
      {"\\x414", 0x41, "4"},
      {"\\B111111111", -1, ""}, // a binary escape takes every bit, kept to 8
      {"\\377", -1, ""},
      {"\\", 0, ""},
      {"", 0, ""},
      {"z", 'z', ""},
  };
  for (const Case &c : cases) {
    Line(c.text);
    EXPECT_EQ(ReadEscapedChar(), c.value) << c.text;
    EXPECT_EQ(Rest(), c.rest) << c.text;
  }
}

TEST_F(ExprLiteralsTest, BracketsInsideACharacterConstantAreNotTracked) {
  Line("'('");
  const size_t open = OpenBracketCount();
  ValueRecord v;
  ASSERT_TRUE(CompileCharConstant(v));
  EXPECT_EQ(OpenBracketCount(), open);
  EXPECT_FALSE(BracketTrackingDisabled());
}

TEST_F(ExprLiteralsTest, ScannerHelpers) {
  EXPECT_TRUE(IsHexDigitChar('f'));
  EXPECT_TRUE(IsHexDigitChar('F'));
  EXPECT_TRUE(IsHexDigitChar('9'));
  EXPECT_FALSE(IsHexDigitChar('g'));
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('7'), 7);
  EXPECT_EQ(ToUpperAscii('q'), 'Q');
  EXPECT_EQ(ToUpperAscii(char(0xE4)), char(0xE4));
}

TEST_F(ExprLiteralsTest, StringLiteralsGoIntoThePoolInOrder) {
  ResetStringPool(100);
  struct Case {
    const char *text;
    uint16_t length;
    uint16_t offset;
    std::string bytes;
    const char *rest;
  } cases[] = {
      {"\"abc\" + 1", 4, 0, std::string("abc", 4), " + 1"},
      {"  \"a\\nb\"", 4, 4, std::string("a\nb", 4), ""},
      {"\"\"", 1, 8, std::string("", 1), ""},
      {"\"(\\\"\"", 3, 9, std::string("(\"", 3), ""},
      {"\"open", 5, 12, std::string("open", 5), ""},
  };
  for (const Case &c : cases) {
    Line(c.text);
    ValueRecord v;
    const size_t open = OpenBracketCount();
    EXPECT_EQ(CompileStringLiteral(v), c.length) << c.text;
    EXPECT_EQ(OpenBracketCount(), open) << c.text;
    EXPECT_EQ(v.storage, kStorageStatic) << c.text;
    EXPECT_EQ(v.type, kTypeChar) << c.text;
    EXPECT_EQ(v.declarator, kLevelArray) << c.text;
    EXPECT_TRUE(IsStringLiteralSymbol(v.symbol)) << c.text;
    EXPECT_FALSE(v.IsModifiable()) << c.text;
    EXPECT_FALSE(v.IsLvalue()) << c.text;
    EXPECT_EQ(v.length, c.length) << c.text;
    EXPECT_EQ(v.poolOffset, c.offset) << c.text;
    EXPECT_EQ(LastStringLiteral(), c.bytes) << c.text;
    EXPECT_EQ(Rest(), c.rest) << c.text;
  }
  const StringPool &pool = FunctionStringPool();
  EXPECT_EQ(PooledStrings(pool.bytes.data(), pool.count),
            (std::vector<PooledString>{{0, 3}, {4, 3}, {8, 0}, {9, 2}, {12, 4}}));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ExprLiteralsTest, NoStringNoConsumption) {
  Line("abc");
  ValueRecord v;
  EXPECT_EQ(CompileStringLiteral(v), 0);
  EXPECT_EQ(Rest(), "abc");
}

TEST_F(ExprLiteralsTest, MergingReusesATailOfAPooledString) {
  ResetStringPool(100);
  LiteralPool().merging = true;
  struct Case {
    const char *text;
    uint16_t offset;
    uint16_t used;
  } cases[] = {
      {"\"xabc\"", 0, 5},
      {"\"bc\"", 2, 5},   // the tail, terminator included
      {"\"xab\"", 5, 9},  // a prefix is no match: its terminator is not there
      {"\"xabc\"", 0, 9},
  };
  for (const Case &c : cases) {
    Line(c.text);
    ValueRecord v;
    CompileStringLiteral(v);
    EXPECT_EQ(v.poolOffset, c.offset) << c.text;
    EXPECT_EQ(FunctionStringPool().count, c.used) << c.text;
  }
  LiteralPool().merging = false;
}

TEST_F(ExprLiteralsTest, AFullPoolCutsTheLiteralAndSaysSoOnce) {
  ResetStringPool(8);
  for (const char *text : {"\"abcd\"", "\"xyz\"", "\"q\""}) {
    Line(text);
    ValueRecord v;
    CompileStringLiteral(v);
  }
  EXPECT_EQ(FunctionStringPool().count, 7);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgStringPoolFull});
  EXPECT_EQ(LastStringLiteral(), std::string("q", 2)) << "the literal itself stays whole";
}

TEST_F(ExprLiteralsTest, DelimitedTextIsCutToItsRoom) {
  struct Case {
    const char *text;
    uint16_t size;
    char delimiter;
    const char *read;
    const char *rest;
    std::vector<unsigned> messages;
  } cases[] = {
      {"abc\" x", 10, '"', "abc", " x", {}},
      {"abcdef\" x", 4, '"', "abc", " x", {kMsgTextTooLong}},
      {"abc\" x", 4, '"', "abc", " x", {}},
      {"a\\tb\"", 10, '"', "a\tb", "", {}},
      {"file.c rest", 20, 0, "file.c", " rest", {}},
      {"unclosed", 20, '"', "unclosed", "", {}},
  };
  for (const Case &c : cases) {
    sink.records.clear();
    Line(c.text);
    char buffer[32] = {};
    const char *end = ReadDelimitedText(buffer, c.size, c.delimiter);
    EXPECT_STREQ(buffer, c.read) << c.text;
    EXPECT_EQ(end, buffer + std::strlen(c.read) + 1) << c.text;
    EXPECT_EQ(Rest(), c.rest) << c.text;
    EXPECT_EQ(sink.Messages(), c.messages) << c.text;
  }
}

} // namespace
} // namespace tsw
