#include "compcore/parser_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace tsw::test {
namespace {

// A parse that failed leaves nothing behind for the next one on the same
// parser: valid text parses as it would on a fresh one.
TEST(ParserRepairs, AFailedParseLeavesNoTokensForTheNext) {
  const char *failing[] = {"(b))", "(a(b)", "a b c)", "((("};
  RecordingHooks freshHooks;
  StringParserBlackBox fresh(freshHooks);
  const std::string expected = Dump(fresh.RunExpressionParser("x + 1)"));
  for (const char *text : failing) {
    RecordingHooks hooks;
    StringParserBlackBox box(hooks);
    box.RunExpressionParser(text);
    AST *tree = box.RunExpressionParser("x + 1)");
    ASSERT_NE(tree, nullptr) << "after " << text;
    EXPECT_EQ(Dump(tree), expected) << "after " << text;
  }
}

std::string Repeated(const std::string &piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += piece;
  return text;
}

// Every nesting the parser recurses on is bounded, not only brackets: a
// long chain of prefix operators or assignments is refused, not a stack
// overflow; flat expressions of any length and modest nesting still parse.
TEST(ParserRepairs, NestingOfEveryKindIsBounded) {
  struct Case {
    std::string text;
    bool parses;
  };
  const Case cases[] = {
      {Repeated("!", 28000) + "x)", false},
      {Repeated("*", 30000) + "p)", false},
      {Repeated("~", 30000) + "x)", false},
      {Repeated("- ", 30000) + "x)", false},
      {Repeated("sizeof ", 30000) + "x)", false},
      {Repeated("a = ", 30000) + "1)", false},
      {Repeated("a ? b : ", 30000) + "c)", false},
      {Repeated("(", 300) + "x" + Repeated(")", 300) + ")", false},
      {Repeated("!", 200) + "x)", true},
      {Repeated("a = ", 200) + "1)", true},
      {"x" + Repeated(" + !x - -x * ~x", 5000) + ")", true},
      {"f(" + Repeated("a = 1, ", 2000) + "b)" + Repeated(" + f(!x)", 2000) + ")", true},
  };
  for (const Case &c : cases) {
    RecordingHooks hooks;
    StringParserBlackBox box(hooks);
    EXPECT_EQ(box.RunExpressionParser(c.text.c_str()) != nullptr, c.parses) << c.text.substr(0, 40);
  }
}

} // namespace
} // namespace tsw::test
