#include "compcore/parser_fixture.h"

#include <gtest/gtest.h>

namespace tsw::test {
namespace {

struct TreeCase {
  const char *text;
  const char *tree; // nullptr: the parse counts an error and gives no tree
};

class ExpressionTreeTest : public ::testing::TestWithParam<TreeCase> {};

TEST_P(ExpressionTreeTest, BuildsTheWalkersShape) {
  RecordingHooks hooks;
  CapturedOutput output;
  StringParserBlackBox box(hooks, &output);
  AST *tree = box.RunExpressionParser(GetParam().text);
  if (!GetParam().tree) {
    EXPECT_EQ(tree, nullptr);
    EXPECT_GT(box.parser().syntaxErrors(), 0);
    return;
  }
  ASSERT_NE(tree, nullptr) << output.text;
  EXPECT_EQ(Dump(tree), GetParam().tree);
  EXPECT_EQ(tree->rootFlag, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ExpressionTreeTest,
    ::testing::Values(
        TreeCase{"a)", "a RPARENTHESIS"}, TreeCase{"a", nullptr}, TreeCase{"a, b)", "COMMA(a b RPARENTHESIS)"},
        TreeCase{"a, b, c)", "COMMA(COMMA(a b) c RPARENTHESIS)"},
        TreeCase{"x = y = 1)", "ASSIGNEQUAL(x ASSIGNEQUAL(y 1)) RPARENTHESIS"},
        TreeCase{"a - b - c)", "MINUS(MINUS(a b) c) RPARENTHESIS"},
        TreeCase{"a ? b) : c)", "QUESTIONMARK(a b RPARENTHESIS c) RPARENTHESIS"}, TreeCase{"a ? b : c)", nullptr},
        TreeCase{"-x)", "MINUS x RPARENTHESIS"}, TreeCase{"a * -b)", "STAR(a MINUS b) RPARENTHESIS"},
        TreeCase{"(x) + 1)", "LPARENTHESIS x RPARENTHESIS PLUS 1 RPARENTHESIS"},
        TreeCase{"\"a\" \"b\")", "STRING STRING RPARENTHESIS"},
        TreeCase{"sizeof(int))", "SIZEOF(PCCTS_INT) RPARENTHESIS"},
        TreeCase{"waitfordone { f(1); g() })", "WAITFORDONE(LPARENTHESIS(f 1) LPARENTHESIS(g)) RPARENTHESIS"},
        TreeCase{"f(x)[i)].m)", "DOT(LSQUAREBRACKET(LPARENTHESIS(f x) i RPARENTHESIS) m) RPARENTHESIS"},
        TreeCase{"p->q++)", "PLUSPLUS(POINTERTO(p q)) RPARENTHESIS"}, TreeCase{"a + (b * ]) + c)", nullptr}));

// Each level of parentheses guesses whether an assignment follows; a guess
// that failed is not made again, or every level would redo the levels
// inside it and the work would double with each one.
TEST(ExpressionParser, DeeplyNestedParenthesesAndSubscriptsParse) {
  constexpr int kDepth = 200;
  // An expression list ends in ")": a parenthesised one in two.
  std::string parens = "1", subscripts = "0", assigned = "*p = 1";
  std::string assignedTree = "ASSIGNEQUAL(STAR p 1)";
  for (int i = 0; i < kDepth; ++i) {
    parens = "(" + parens + "))";
    subscripts = "a[" + subscripts + ")]";
    assigned = "(" + assigned + "))";
    assignedTree = "LPARENTHESIS(" + assignedTree + " RPARENTHESIS RPARENTHESIS)";
  }
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  for (std::string *text : {&parens, &subscripts, &assigned}) {
    *text += ")";
    EXPECT_NE(box.RunExpressionParser(text->c_str()), nullptr) << text->substr(0, 30);
  }
  EXPECT_EQ(Dump(box.RunExpressionParser(assigned.c_str())), assignedTree + " RPARENTHESIS");
}

TEST(ExpressionParser, NestingTooDeepForTheStackIsRefused) {
  constexpr int kDepth = 20000;
  std::string text = std::string(kDepth, '(') + "1" + std::string(2 * kDepth + 1, ')');
  // Brackets inside literals do not count.
  std::string literal = "f(\"" + std::string(300, '(') + "\", '['))";
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  EXPECT_EQ(box.RunExpressionParser(text.c_str()), nullptr);
  EXPECT_NE(box.RunExpressionParser(literal.c_str()), nullptr);
}

TEST(ExpressionParser, ReusesOneBoxForSeveralParses) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  EXPECT_EQ(box.RunExpressionParser("a +)"), nullptr);
  EXPECT_EQ(box.parser().syntaxErrors(), 1);
  AST *tree = box.RunExpressionParser("a + b)");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(Dump(tree), "PLUS(a b) RPARENTHESIS");
}

TEST(ExpressionParser, ADeepMismatchCountsOneError) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  EXPECT_EQ(box.RunExpressionParser("a + b * (int] c) + d)"), nullptr);
  EXPECT_EQ(box.parser().syntaxErrors(), 1);
  // An inner expression (here a subscript) handles its own error, and the
  // rule around it fails again: still no tree.
  EXPECT_EQ(box.RunExpressionParser("f(a[b + ]) * c, d)"), nullptr);
  EXPECT_GT(box.parser().syntaxErrors(), 0);
}

TEST(ExpressionParser, EveryNameIsATypeNameByDefault) {
  ParserHooks hooks;
  EXPECT_TRUE(hooks.isTypeName("x"));
  EXPECT_TRUE(hooks.isTypeName("int"));
  EXPECT_TRUE(hooks.isTypeName(""));
}

TEST(ExpressionParser, DoublyLinksTheFinishedTree) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  AST *tree = box.RunExpressionParser("a + b)");
  ASSERT_NE(tree, nullptr);
  AST *a = tree->firstChild();
  AST *b = a->nextSibling();
  EXPECT_EQ(a->up(), tree);
  EXPECT_EQ(b->left(), a);
  EXPECT_EQ(b->up(), tree);
  EXPECT_EQ(tree->up(), nullptr);
}

} // namespace
} // namespace tsw::test

namespace tsw::test {
namespace {

// Texts the start rule cannot match are refused before they are lexed;
// anything the parser might still read as an expression list closed by
// ")" is parsed.
TEST(ExpressionParser, ATextThatCannotCloseTheListIsRefusedAtOnce) {
  struct Case {
    const char *text;
    const char *tree; // "" for none
  } cases[] = {
      {"a = b;", ""},
      {"a = b", ""},
      {"f(a, b);", ""},
      {"s = \"x)\";", ""},
      {"(a;) == b)", ""},
      {"a == b) x = 1;", "EQUAL(a b) RPARENTHESIS"},
      {"(1)) == b)", "EQUAL(LPARENTHESIS(1 RPARENTHESIS RPARENTHESIS) b) RPARENTHESIS"},
      {"s == \"a;(\") x;", "EQUAL(s STRING) RPARENTHESIS"},
      {"a /* ; */ == b)", "EQUAL(a b) RPARENTHESIS"},
      {"c == ';')", "EQUAL(c CHARACTER) RPARENTHESIS"},
      {"waitfordone { f(); g() })", "WAITFORDONE(LPARENTHESIS(f) LPARENTHESIS(g)) RPARENTHESIS"},
      {"sizeof(struct S { int a; }) + 1)", "PLUS(SIZEOF(STRUCT S LCURLYBRACE PCCTS_INT a SEMICOLON RCURLYBRACE) 1) RPARENTHESIS"},
  };
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  for (const Case &c : cases) {
    AST *tree = box.RunExpressionParser(c.text);
    EXPECT_EQ(tree ? Dump(tree) : "", c.tree) << c.text;
  }
}

} // namespace
} // namespace tsw::test
