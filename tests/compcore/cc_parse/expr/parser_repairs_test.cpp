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

// Counts the parser's questions whether a name is a type (every name is,
// as in the compiler): a count of the work a parse does.
class CountingHooks : public ParserHooks {
public:
  bool isTypeName(const char *) override {
    ++questions;
    return true;
  }
  long questions = 0;
};

// Assignments whose target holds an assignment: "f(f(x)=1)=1" and deeper.
std::string NestedAssignments(int depth) {
  std::string text = "x";
  for (int level = 0; level < depth; ++level)
    text = "f(" + text + ")=1";
  return text + ")";
}

// The parse of such nesting grows with its depth, not with two to the power
// of its depth: every level's guess at its target succeeds, and the parse
// of the target is not made again and again.
TEST(ParserRepairs, NestedAssignmentsParseInLinearSteps) {
  auto steps = [](int depth) {
    CountingHooks hooks;
    StringParserBlackBox box(hooks);
    const std::string text = NestedAssignments(depth);
    EXPECT_NE(box.RunExpressionParser(text.c_str()), nullptr) << text;
    return hooks.questions;
  };
  const long shallow = steps(8), deep = steps(16);
  EXPECT_GT(shallow, 0);
  EXPECT_LT(deep, 4 * shallow) << shallow << " steps at depth 8, " << deep << " at 16";
}

} // namespace
} // namespace tsw::test
