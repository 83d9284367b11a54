#include "compcore/cc_gen/asm/asm_lexer.h"

#include "compcore/asm_fixture.h"
#include "foundation/msgnumbers.h"

#include <fmt/format.h>

namespace tsw::assembler {
namespace {

using testing::AsmTest;

// A token as a short text: "N:name", "#value", "S:chars", "M:mnemonic",
// "end", or the operator's own characters.
std::string Describe(const AsmToken &t) {
  switch (t.code) {
  case kTokEnd: return "end";
  case kTokName: return "N:" + t.text;
  case kTokNumber: return fmt::format("#{}", t.value);
  case kTokString: return "S:" + t.text;
  default: return t.code >= kTokFirstMnemonic ? fmt::format("M:{}/{:02X}", t.mnemonic->text, t.code) : t.text;
  }
}

std::vector<std::string> Tokens(std::string_view line, AsmCpu cpu = AsmCpu::kZ180) {
  AsmLexer lexer(line, cpu);
  std::vector<std::string> out;
  do
    out.push_back(Describe(lexer.Next()));
  while (!lexer.Is(kTokEnd));
  return out;
}

void ReadToEnd(AsmLexer &lexer) {
  while (lexer.Next().code != kTokEnd)
    ;
}

using AsmLexerTest = AsmTest;

TEST_F(AsmLexerTest, LinesSplitIntoTokens) {
  struct Case {
    const char *line;
    AsmCpu cpu;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"  ld a,(ix+5)", AsmCpu::kZ180, {"M:ld/C5", "N:a", ",", "(", "N:ix", "+", "#5", ")", "end"}},
      {"LD Hl,1", AsmCpu::kZ180, {"M:ld/C5", "N:Hl", ",", "#1", "end"}},
      {"nop $ halt ; a comment", AsmCpu::kZ180, {"M:nop/C0", "$", "M:halt/C0", "end"}},
      {"loop:: djnz loop", AsmCpu::kZ180, {"N:loop", ":", ":", "M:djnz/DD", "N:loop", "end"}},
      {"x<<2>>y<z", AsmCpu::kZ180, {"N:x", "<<", "#2", ">>", "N:y", "<", "N:z", "end"}},
      {"ex af,af'", AsmCpu::kZ180, {"M:ex/C8", "N:af", ",", "N:af", "'", "end"}},
      {"`ld @sp_1,[seg]x", AsmCpu::kCorvid, {"`", "M:ld/C5", "N:@sp_1", ",", "[", "N:seg", "]", "N:x", "end"}},
      // A mnemonic of the other processor is just a name.
      {"ldp mlt", AsmCpu::kZ180, {"N:ldp", "M:mlt/E5", "end"}},
      {"ldp mlt", AsmCpu::kCorvid, {"M:ldp/F5", "N:mlt", "end"}},
      {"db \"a\\\"b\\n\",0", AsmCpu::kZ180, {"M:db/F1", "S:a\"b\n", ",", "#0", "end"}},
      {"", AsmCpu::kZ180, {"end"}},
      {"   \t", AsmCpu::kZ180, {"end"}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Tokens(c.line, c.cpu), c.tokens) << c.line;
}

TEST_F(AsmLexerTest, NumbersTakeEverySpellingOfTheirBase) {
  struct Case {
    const char *text;
    int32_t value;
  };
  const Case good[] = {
      {"0x1F", 0x1F}, {"0X1f", 0x1F}, {"1Fh", 0x1F}, {"0FFH", 0xFF}, {"1bh", 0x1B},      {"0x1b", 0x1B},
      {"101b", 5},    {"101B", 5},    {"017", 15},   {"0", 0},       {"123456", 123456}, {"0x123456", 0x123456},
  };
  for (const Case &c : good) {
    AsmLexer lexer(c.text, AsmCpu::kZ180);
    const AsmToken &t = lexer.Next();
    EXPECT_EQ(t.code, kTokNumber) << c.text;
    EXPECT_EQ(t.value, c.value) << c.text;
    EXPECT_TRUE(lexer.Next().code == kTokEnd) << c.text;
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(AsmLexerTest, LongSuffixIsDroppedWithATrivialWarning) {
  struct Case {
    const char *text;
    int32_t value;
  };
  for (const Case &c : {Case{"10L", 10}, Case{"0x10l", 16}, Case{"10hL", 16}}) {
    const char *text = c.text;
    sink.records.clear();
    AsmLexer lexer(text, AsmCpu::kZ180);
    const AsmToken &t = lexer.Next();
    EXPECT_EQ(t.code, kTokNumber) << text;
    EXPECT_EQ(t.value, c.value) << text;
    ASSERT_EQ(sink.records.size(), 1u) << text;
    EXPECT_EQ(sink.records[0].message, kMsgDemotion);
    EXPECT_EQ(sink.records[0].kind, 0);
  }
}

TEST_F(AsmLexerTest, BadInputIsAFatalErrorAtItsColumn) {
  struct Case {
    const char *line;
    unsigned message;
    uint16_t column; // 1-based, of the offending token
  };
  const Case cases[] = {
      {"db \"abc", kMsgStringNotClosed, 4},  {"ld a,?", kMsgInvalidCharacter, 6},
      {"  ld a,{", kMsgInvalidCharacter, 8}, {"ld a,19x", kMsgInvalidCharacter, 6},
      {"ld a,09", kMsgInvalidCharacter, 6},  {"ld a,102b0", kMsgInvalidCharacter, 6},
  };
  for (const Case &c : cases) {
    NextCompile();
    AsmLexer lexer(c.line, AsmCpu::kZ180);
    EXPECT_THROW(ReadToEnd(lexer), xCCErrOvflo) << c.line;
    ASSERT_EQ(sink.records.size(), 1u) << c.line;
    EXPECT_EQ(sink.records[0].message, c.message) << c.line;
    EXPECT_EQ(sink.records[0].column, c.column) << c.line;
  }
}

TEST_F(AsmLexerTest, ColumnsCountFromWhereTheLineStandsInTheSource) {
  AsmLexer lexer("ld a,?", AsmCpu::kZ180, 10);
  EXPECT_THROW(ReadToEnd(lexer), xCCErrOvflo);
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].column, 16);
}

TEST_F(AsmLexerTest, SeekReadsAgainFromAPosition) {
  AsmLexer lexer("ld (buf+2),a", AsmCpu::kZ180);
  lexer.Next();
  lexer.Next(); // "("
  const size_t afterParen = lexer.Position();
  lexer.Next();
  lexer.Next();
  lexer.Seek(afterParen);
  EXPECT_EQ(Describe(lexer.Current()), "N:buf");
  EXPECT_EQ(lexer.Current().start, 4);
}

TEST_F(AsmLexerTest, SizeofTakesItsSizeFromTheInstalledReader) {
  SetAsmSizeofReader([](std::string_view line, size_t &position) -> std::optional<int32_t> {
    std::string_view rest = line.substr(position);
    if (rest.substr(0, 3) != "(x)")
      return std::nullopt;
    position += 3;
    return 6;
  });
  EXPECT_EQ(Tokens("ld a,sizeof(x)"), (std::vector<std::string>{"M:ld/C5", "N:a", ",", "#6", "end"}));
  NextCompile();
  AsmLexer lexer("ld a,sizeof(y)", AsmCpu::kZ180);
  EXPECT_THROW(ReadToEnd(lexer), xCCErrOvflo);
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].text, "Bad input to sizeof in asm code");
  EXPECT_EQ(sink.records[0].column, 6);
  SetAsmSizeofReader(nullptr);
}

} // namespace
} // namespace tsw::assembler
