#include "gui/common/model/tswwatch.h"

#include "fakes/fake_texts.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"

#include <gtest/gtest.h>

namespace tsw::gui {
namespace {

// The record as the board's ReturnWatchValue leaves it.
WatchResultBytes Record(uint8_t size, uint8_t type, uint32_t declarator, uint32_t value) {
  WatchResultBytes b{};
  b[0] = size;
  b[1] = type;
  for (int i = 0; i < 4; ++i) {
    b[2 + i] = uint8_t(declarator >> (8 * i));
    b[6 + i] = uint8_t(value >> (8 * i));
  }
  return b;
}

constexpr uint8_t kChar = 1, kInt = 2, kUnsigned = 3, kLong = 4, kUnsignedLong = 5, kFloat = 7, kLabel = 11, kVoid = 12,
                  kStruct = 16;
constexpr uint32_t kPtr = 2, kArr = 1, kFn = 3, kConst = 4;

TEST(WatchResult, TheRecordIsReadLowByteFirstAndAWideValueIsNone) {
  const WatchResult r = DecodeWatchResult(Record(2, kInt, 0x0432, 0x8001FFFF));
  EXPECT_EQ(r.size, 2);
  EXPECT_EQ(r.typeCode, kInt);
  EXPECT_EQ(r.declarator, 0x0432u);
  EXPECT_EQ(r.value, 0x8001FFFFu);
  // A structure's record carries its size and whatever bytes: no value.
  EXPECT_EQ(DecodeWatchResult(Record(12, kStruct, 0, 0x12345678)).value, 0u);
  EXPECT_EQ(DecodeWatchResult(Record(4, kLong, 0, 0x12345678)).value, 0x12345678u);
}

TEST(WatchResult, ValuesReadAsTheirType) {
  struct Case {
    const char *what;
    uint8_t type;
    uint32_t declarator;
    uint32_t value;
    std::string pointed;
    std::string expected;
  };
  const Case cases[] = {
      {"int -1", kInt, 0, 0xFFFF, "", "-1 (0xFFFF)"},
      {"int takes its low word only", kInt, 0, 0xABCD0005, "", "5 (0x0005)"},
      {"unsigned", kUnsigned, 0, 0xFFFF, "", "65535 (0xFFFF)"},
      {"long", kLong, 0, 0xFFFFFFFE, "", "-2 (0xFFFFFFFE)"},
      {"unsigned long", kUnsignedLong, 0, 0xFFFFFFFE, "", "4294967294 (0xFFFFFFFE)"},
      {"float", kFloat, 0, 0x40200000, "", "2.5"},
      {"char 10", kChar, 0, 10, "", "'\\n' (0x0A)"},
      {"char quote", kChar, 0, '\'', "", "'\\'' (0x27)"},
      {"char above 0x7F", kChar, 0, 0xE9, "", "'\\xE9' (0xE9)"},
      {"char control", kChar, 0, 0x01, "", "'\\x01' (0x01)"},
      {"const char", kChar, kConst, 'A', "", "'A' (0x41)"},
      {"char pointer", kChar, kPtr, 0x1234, std::string("hi\tthere\0ignored", 16), "(0x1234) \"hi\\tthere\"         "},
      {"char array is a word", kChar, kArr, 0x2000, "abc", "0x2000"},
      {"char pointer pointer", kChar, kPtr | kPtr << 4, 0x2000, "abc", "0x2000"},
      {"int pointer", kInt, kPtr, 0x2002, "", "0x2002"},
      {"function", kInt, kFn, 0x0100, "", "0x0100"},
      {"void", kVoid, 0, 0, "", ""},
      {"structure", kStruct, 0, 0, "", ""},
      {"structure code above 16", 23, 0, 0, "", ""},
      {"structure pointer", kStruct, kPtr, 0x3000, "", "0x3000"},
      {"label", kLabel, 0, 0x44, "", "????"},
      {"type 6", 6, 0, 1, "", "????"},
  };
  for (const Case &c : cases) {
    const WatchResult r = DecodeWatchResult(Record(2, c.type, c.declarator, c.value));
    EXPECT_EQ(WatchValueText(r, c.pointed), c.expected) << c.what;
  }
}

TEST(WatchResult, StringsAreQuotedEscapedAndCut) {
  struct Case {
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"", "\"\""},
      {"a\"b\\c'", "\"a\\\"b\\\\c\\'\""},
      {"\a\b\t\n\v\f\r", "\"\\a\\b\\t\\n\\v\\f\\r\""},
      {"\x1b\x7f\x80\xff", "\"\\x1B\\x7F\\x80\\xFF\""},
      {std::string("ab\0cd", 5), "\"ab\""},
      // Cut once the text has passed 32 bytes: 33 characters of 64.
      {std::string(64, 'x'), "\"" + std::string(33, 'x') + "\""},
      // An escape that crosses the limit is kept whole.
      {std::string(32, 'x') + "\n\n", "\"" + std::string(32, 'x') + "\\n\""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(QuoteTargetString(c.bytes), c.expected) << c.expected;
  EXPECT_EQ(QuoteTargetChar('\\'), "'\\\\'");
}

TEST(WatchResult, TypesNameTheirDeclarators) {
  struct Case {
    uint8_t type;
    uint32_t declarator;
    const char *tag;
    const char *expected;
  };
  const Case cases[] = {
      {kInt, 0, "", "int"},
      {kUnsigned, 0, "", "unsigned int"},
      {kChar, kConst << 0, "", "const char"},
      {kChar, kPtr, "", "char *"},
      {kChar, kPtr | kConst << 4, "", "const char *"},
      {kChar, kPtr | kConst, "", "char * const "},
      {kInt, kArr, "", "int []"},
      {kInt, kArr | kArr << 4, "", "int [][]"},
      {kInt, kPtr | kPtr << 4, "", "int **"},
      {kInt, kArr | kPtr << 4, "", "int *[]"},
      {kInt, kFn, "", "int ()"},
      {kInt, kPtr | kFn << 4, "", "int (*)()"},
      {kStruct, 0, "point", "struct point"},
      {kStruct + 3, kPtr, "point", "struct point *"},
      {kLabel, 0, "", "label"},
      {6, 0, "", "type 6"},
      {0, 0, "", "null"},
  };
  for (const Case &c : cases) {
    const WatchResult r = DecodeWatchResult(Record(2, c.type, c.declarator, 0));
    EXPECT_EQ(WatchTypeText(r, c.tag), c.expected) << c.expected;
  }
  // Past eight levels the word has no room: the ninth is never read.
  const WatchResult deep = DecodeWatchResult(Record(2, kInt, 0x22222222, 0));
  EXPECT_EQ(WatchTypeText(deep), "int ********");
}

TEST(WatchResult, LinesHoldTheirColumnsAndStatusesTheirTexts) {
  testing::FakeTexts texts({{kMsgWatchNotAvailable, "<not available>"},
                            {kMsgWatchTargetBusy, "<target busy>"},
                            {kMsgAnyLibrary, "<unknown>"}});
  SetMessageTexts(&texts);
  EXPECT_EQ(WatchStatusText(1), "????");
  EXPECT_EQ(WatchStatusText(2), "<not available>");
  EXPECT_EQ(WatchStatusText(3), "<target busy>");
  EXPECT_EQ(WatchStatusText(9), "<unknown>");
  SetMessageTexts(nullptr);

  const std::string line = FormatWatchLine("i", "int", "-1 (0xFFFF)");
  EXPECT_EQ(line, "i" + std::string(29, ' ') + " int" + std::string(13, ' ') + " -1 (0xFFFF)" + std::string(18, ' '));
  const std::string cut = FormatWatchLine(std::string(40, 'e'), std::string(20, 't'), std::string(40, 'v'));
  EXPECT_EQ(cut, std::string(30, 'e') + " " + std::string(16, 't') + " " + std::string(29, 'v'));
}

} // namespace
} // namespace tsw::gui
