#include "compcore/parser_fixture.h"
#include "DLGLexer.h"

#include <gtest/gtest.h>

namespace tsw::test {
namespace {

// What the lexer makes of a text: every token up to Eof as "NAME:text"
// (text only where it says more than the name), the line of the Eof token,
// and whether it reported an invalid token.
struct Lexed {
  std::string tokens;
  int lastLine = 0;
  bool invalid = false;
};

Lexed Lex(const char *text) {
  RecordingHooks hooks;
  CapturedOutput output;
  StringParserBlackBox box(hooks, &output);
  DLGStringInput input(text);
  box.lexer().setInputStream(&input);
  Lexed result;
  for (;;) {
    ANTLRTokenPtr token = box.lexer().getToken();
    int type = token->getType();
    if (type == Eof) {
      result.lastLine = token->getLine();
      break;
    }
    if (!result.tokens.empty())
      result.tokens += ' ';
    result.tokens += CParser::tokenName(type);
    if (type == IDENTIFIER || type == STRING || type == CHARACTER ||
        (type >= OCTALINT && type <= HEXADECIMALINT) || type == FLOATONE || type == FLOATTWO)
      result.tokens += std::string(":") + token->getText();
  }
  result.invalid = output.text.find("invalid token") != std::string::npos;
  return result;
}

struct LexCase {
  const char *text;
  const char *tokens;
  bool invalid;
  int line;
};

class LexerTest : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTest, SplitsTheTextAsTheTokenSetSays) {
  Lexed lexed = Lex(GetParam().text);
  EXPECT_EQ(lexed.tokens, GetParam().tokens);
  EXPECT_EQ(lexed.invalid, GetParam().invalid);
  EXPECT_EQ(lexed.lastLine, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, LexerTest,
    ::testing::Values(
        LexCase{"a...b", "IDENTIFIER:a ELLIPSIS IDENTIFIER:b", false, 1},
        LexCase{"a..b", "IDENTIFIER:a", true, 1},
        LexCase{"x=0x1F;", "IDENTIFIER:x ASSIGNEQUAL HEXADECIMALINT:0x1F SEMICOLON", false, 1},
        LexCase{"0xg", "", true, 1},
        LexCase{"012", "OCTALINT:012", false, 1},
        LexCase{"089", "", true, 1},
        LexCase{"089.5", "FLOATONE:089.5", false, 1},
        LexCase{"1e5", "FLOATTWO:1e5", false, 1},
        LexCase{"1.e5 .5 5.", "FLOATONE:1.e5 FLOATONE:.5 FLOATONE:5.", false, 1},
        LexCase{"\"a\\tb\"", "STRING:\"a\tb\"", false, 1},
        LexCase{"'\\65' '\\0101' '\\0x41'", "CHARACTER:'A' CHARACTER:'A' CHARACTER:'A'", false, 1},
        LexCase{"''", "CHARACTER:''", false, 1},
        LexCase{"'ab'", "", true, 1},
        LexCase{"/* c */1", "DECIMALINT:1", false, 1},
        LexCase{"/* c\n */1", "DECIMALINT:1", false, 2},
        LexCase{"a\r\nb", "IDENTIFIER:a IDENTIFIER:b", false, 3},
        LexCase{"waitfordone waitfordone2 xmem", "WAITFORDONE IDENTIFIER:waitfordone2 IDENTIFIER:xmem",
                false, 1},
        LexCase{"10UL", "DECIMALINT:10U IDENTIFIER:L", false, 1},
        LexCase{"#  7 foo\nx", "IDENTIFIER:x", false, 7},
        LexCase{"#pragma once\nx", "IDENTIFIER:x", false, 3},
        LexCase{"a <<= b >>= c -> d", "IDENTIFIER:a SHIFTLEFTEQUAL IDENTIFIER:b SHIFTRIGHTEQUAL IDENTIFIER:c POINTERTO IDENTIFIER:d",
                false, 1},
        LexCase{"\"abc", "", false, 1},
        LexCase{"1e+ x", "IDENTIFIER:x", true, 1},
        // No backslash-x escape: the error eats the escape and the opening
        // quote goes with it.
        LexCase{"\"\\x41\" y", "STRING:41\" IDENTIFIER:y", true, 1}));

TEST(LexerTokenSet, NumbersAndNamesMatchTheParsersTable) {
  EXPECT_EQ(CParser::SET_SIZE, 133);
  EXPECT_STREQ(CParser::tokenName(Eof), "Eof");
  EXPECT_STREQ(CParser::tokenName(POINTERTO), "POINTERTO");
  EXPECT_EQ(POINTERTO, 47);
  EXPECT_EQ(WAITFORDONE, 80);
  EXPECT_EQ(IDENTIFIER, 88);
  EXPECT_EQ(STRING, 99);
  EXPECT_EQ(CHARACTER, 116);
  EXPECT_EQ(DLGLexer::MAX_MODE, 5);
}

} // namespace
} // namespace tsw::test
