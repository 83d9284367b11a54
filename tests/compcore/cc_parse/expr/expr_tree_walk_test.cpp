#include "compcore/parser_fixture.h"

#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/decode_check.h"
#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// The parser writes its own texts (lexical errors, the scope line of every
// function declarator it reads) for each expression of a compile: in the
// tests they are kept here instead of flooding the output.
class ParserTexts : public ParserOutput {
public:
  void write(const char *text) override { kept += text; }
  std::string kept;
};

ParserTexts &KeptParserTexts() {
  static ParserTexts texts;
  return texts;
}

class KeepParserTexts : public ::testing::Environment {
public:
  void SetUp() override { RedirectParserTexts(&KeptParserTexts()); }
  void TearDown() override { RedirectParserTexts(nullptr); }
};

[[maybe_unused]] ::testing::Environment *const kKeepParserTexts =
    ::testing::AddGlobalTestEnvironment(new KeepParserTexts);

// Trees on or off for one scope; every test leaves them on.
class TreesWanted {
public:
  explicit TreesWanted(bool wanted) { ExpressionTreesWanted() = wanted; }
  ~TreesWanted() { ExpressionTreesWanted() = true; }
  TreesWanted(const TreesWanted &) = delete;
  TreesWanted &operator=(const TreesWanted &) = delete;
};

// The text `line` as the current logical line, the cursor at its start.
void InstallLine(const std::string &line) {
  LogicalLineBuffer buffer;
  buffer.text = line;
  buffer.lines.assign(line.size() + 1, 1);
  for (size_t i = 0; i <= line.size(); ++i)
    buffer.columns.push_back(uint16_t(i + 1));
  InstallLogicalLine(std::move(buffer), 0);
  InputColumn = 0;
}

// The entry at the cursor of one logical line, after a program's
// declarations compiled by the product's assembly.
class ExprEntryTest : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    ASSERT_EQ(Compile("int a, b, c;\n"), 0);
    SingleLineMode = 1;
  }
  void TearDown() override {
    SingleLineMode = 0;
    ProgramCompileTest::TearDown();
  }
  struct Result {
    bool comparison;
    uint8_t type, storage;
    uint16_t codeBytes;
    std::string rest;
  };
  Result CompileList(const std::string &line) {
    InstallLine(line);
    const ADDR24 start = Caches().currentCode->Current();
    ValueRecord value;
    ParseAndCompileExpressionList(value, true);
    const uint16_t bytes = uint16_t(Caches().currentCode->Current().logical - start.logical);
    return {Walk().comparisonRoot, value.type, value.storage, bytes, InputCursor};
  }
};

TEST_F(ExprEntryTest, TheComparisonFlagComesFromTheTreesRootAndParseErrorsLeaveNone) {
  struct Case {
    const char *line;
    bool comparison;
  } cases[] = {
      {"a == b) x", true},  {"a < b + c) x", true}, {"(a != b)) x", false}, {"a == b || c) x", false},
      {"a = b == c) x", false}, {"a, b >= c) x", false},
      // The same comparisons where the grammar gives no tree.
      {"a == b;", false}, {"a == b", false}, {"a == ) x", false},
  };
  for (const Case &c : cases) {
    const Result withTree = CompileList(c.line);
    EXPECT_EQ(withTree.comparison, c.comparison) << c.line;
    TreesWanted none(false);
    const Result without = CompileList(c.line);
    EXPECT_FALSE(without.comparison) << c.line;
    EXPECT_EQ(withTree.type, without.type) << c.line;
    EXPECT_EQ(withTree.storage, without.storage) << c.line;
    EXPECT_EQ(withTree.codeBytes, without.codeBytes) << c.line;
    EXPECT_EQ(withTree.rest, without.rest) << c.line;
  }
}

// The tree with each node's mark: NAME#mark, children in brackets.
std::string MarkedDump(AST *node) {
  std::string out;
  for (; node; node = node->nextSibling()) {
    if (!out.empty())
      out += ' ';
    const int type = node->type();
    const bool showText = type == IDENTIFIER || (type >= OCTALINT && type <= HEXADECIMALINT);
    out += std::string(showText ? node->text() : CParser::tokenName(type)) + "#" + std::to_string(node->rootFlag);
    if (AST *child = node->firstChild())
      out += "(" + MarkedDump(child) + ")";
  }
  return out;
}

void MarkEveryNode(AST *node, uint8_t mark) {
  for (; node; node = node->nextSibling()) {
    node->rootFlag = mark;
    MarkEveryNode(node->firstChild(), mark);
  }
}

// The walk over a tree the test parsed itself: marks it wrote, and what the
// text compiled to. Nodes the walk never reached keep the mark 7.
TEST_F(ExprEntryTest, TheWalkMarksTheNodesItPassesAndToleratesATreeUnlikeTheText) {
  constexpr uint8_t kUntouched = 7;
  struct Case {
    const char *what;
    const char *treeText;
    const char *walkText;
    const char *marked;
    uint32_t value;
  } cases[] = {
      {"a left-leaning chain is walked from its bottom up; comparisons copy their parent's mark", "1 - 2 - 3 == 4)",
       "1 - 2 - 3 == 4)", "EQUAL#1(MINUS#0(MINUS#0(1#0 2#0) 3#0) 4#1) RPARENTHESIS#7", 0},
      {"each level passes only its own operators", "6 / 2 + 1 << 1 > 3 & 1)", "6 / 2 + 1 << 1 > 3 & 1)",
       "AMPERSAND#0(GREATERTHAN#0(SHIFTLEFT#0(PLUS#0(DIVIDE#0(6#0 2#0) 1#0) 1#0) 3#0) 1#0) RPARENTHESIS#7", 1},
      {"a prefix operator's leaf stands beside its operand, which the next operand's walk then meets", "-(2)) * 3)",
       "-(2) * 3)", "STAR#0(MINUS#0 LPARENTHESIS#0(2#0 RPARENTHESIS#7 RPARENTHESIS#7) 3#7) RPARENTHESIS#7", 0xFFFA},
      {"a tree of other text: the text is compiled, the tree walked as far as it goes", "a)", "1 + 2 * 3)",
       "a#1 RPARENTHESIS#7", 7},
      {"a deeper tree than the text", "1 + 2 + 3 + 4)", "5)", "PLUS#0(PLUS#0(PLUS#0(1#0 2#7) 3#7) 4#7) RPARENTHESIS#7",
       5},
      {"operands the tree lacks: null siblings", "9)", "9 - 4 - 3 == 2)", "9#1 RPARENTHESIS#7", 1},
  };
  for (const Case &c : cases) {
    ParserHooks hooks;
    StringParserBlackBox box(hooks);
    AST *root = box.RunExpressionParser(c.treeText);
    ASSERT_NE(root, nullptr) << c.what;
    MarkEveryNode(root, kUntouched);
    InstallLine(c.walkText);
    ValueRecord value;
    CompileExpressionList(value, true, root);
    EXPECT_EQ(MarkedDump(root), c.marked) << c.what;
    EXPECT_EQ(value.storage, kStorageConstant) << c.what;
    EXPECT_EQ(value.value & 0xFFFF, c.value) << c.what;
    EXPECT_EQ(std::string(InputCursor), ")") << c.what;
  }
}

TEST_F(ExprEntryTest, TheIntegerLiteralFlagLastsOnlyForTheWalk) {
  struct Case {
    const char *line;
    bool literal;
  } cases[] = {{"a = 5)", true}, {"a = 0x5)", true}, {"a = 05)", true}, {"a = b)", false},
               {"a += 5)", false}, {"a = 5 + b)", false}, {"a == 5)", false}};
  for (const Case &c : cases) {
    ParserHooks hooks;
    StringParserBlackBox box(hooks);
    AST *root = box.RunExpressionParser(c.line);
    ASSERT_NE(root, nullptr) << c.line;
    InstallLine(c.line);
    ValueRecord value;
    Walk().integerLiteralAssigned = false;
    CompileExpressionList(value, false, root);
    EXPECT_EQ(Walk().integerLiteralAssigned, c.literal) << c.line;
    InstallLine(c.line);
    ParseAndCompileExpressionList(value, false);
    EXPECT_FALSE(Walk().integerLiteralAssigned) << c.line;
  }
}

struct ProgramCase {
  const char *what;
  const char *program;
  // Errors stop the compile before its image is written.
  bool failing = false;
};

// Whole programs compiled with every expression's tree and again with
// none: the text alone decides, so the images and the messages agree. Most
// of these lines hold texts the parser makes a tree of (a condition after
// its "(", the last clause of a for, arguments and subscripts inside them),
// some trees that do not match the text the walk reads there.
class SameCodeWithoutTheTree : public StatementCompileTest, public ::testing::WithParamInterface<ProgramCase> {
protected:
  struct Outcome {
    uint16_t status;
    std::string image;
    std::vector<std::string> records;
  };
  Outcome CompileWithTrees(bool trees) {
    TreesWanted scope(trees);
    Outcome out;
    out.status = CompileAlone(GetParam().program);
    out.image = HexBytes(Image());
    out.records = Records();
    return out;
  }
};

TEST_P(SameCodeWithoutTheTree, TheTextAloneDecides) {
  const Outcome withTrees = CompileWithTrees(true);
  const Outcome without = CompileWithTrees(false);
  EXPECT_EQ(withTrees.image.empty(), GetParam().failing) << ::testing::PrintToString(withTrees.records);
  EXPECT_EQ(withTrees.status, without.status);
  EXPECT_EQ(withTrees.image, without.image);
  EXPECT_EQ(withTrees.records, without.records);
}

const ProgramCase kPrograms[] = {
    {"EachComparison",
     "int a, b;\nint f(void) { if (a == b) return 1; if (a != b) return 2; if (a < b) return 3;\n"
     "if (a <= b) return 4; if (a > b) return 5; while (a >= b) a--; return 0; }\n"},
    {"ChainsPrecedenceAndLogicalOperators",
     "int a, b, c;\nint f(void) { if (a - b - c == a * b / c % 3) return 1;\n"
     "if (a || b && c | a ^ b & c) return 2; if (a << 2 >> b < c) return 3; return 0; }\n"},
    {"ConditionalsCastsSizeofAndUnaryOperators",
     "int a, b; long l; char ch;\nint f(void) { if (a ? b : (a ? 1 : 2)) return 1;\n"
     "if ((long)a + l > -a) return 2; if (sizeof(long) == sizeof l + ~a + !b) return 3;\n"
     "if ((char)a == ch) return 4; return 0; }\n"},
    {"AssignmentsCommaListsAndSteps",
     "int a, b, i;\nint f(void) { if ((a = 5) == b) return 1; if (a = b, b += 3, a) return 2;\n"
     "for (i = 0; i < 10; i++) a <<= 1; for (i = 0; i < 3; ++i) ; return a; }\n"},
    {"CallsSubscriptsMembersAndPointers",
     "struct S { int x; int y; } s, *ps;\nint v[4]; int *p;\nint g(int x, int y) { return x + y; }\n"
     "int f(void) { if (g(v[1], s.y) == ps->x) return 1; if (*p == v[g(1, 2)]) return 2;\n"
     "if (&v[2] != p) return 3; return 0; }\n"},
    {"LiteralsOfEveryKind",
     "char *q;\nint f(void) { if ('a' + 0x10 + 010 + 7u + 1L == 3) return 1; if (1.5 < 2.0e1) return 2;\n"
     "if (q == \"ab\") return 3; return 0; }\n"},
    {"AFunctionPointerCast",
     "int h(void) { return 1; }\nint (*fp)(void);\n"
     "int f(void) { if ((int (*)(void))h == fp) return 1; return 0; }\n"},
    {"ErrorsTheTextShows",
     "int a;\nint f(void) { if (a == ) return 1; if (a[1] == 2) return 2; if (undeclared == a) return 3;\n"
     "if (5 = a) return 4; return 0; }\n",
     true},
    {"LogicalValuesStoresAndMergedConditionals",
     "int a, b, x, i, v[4], *p; long l;\nint f(void) { if ((x = a || b) == 1) return 1;\n"
     "if ((a ? l : (b ? 1 : 2)) > 0) return 2; if (v[i] == (*p = 3)) return 3; if (a && (b = 0)) return 4;\n"
     "return x; }\n"},
    {"StructureValuesOfCalls",
     "struct S { int x; int y; } s;\nstruct S g(void) { return s; }\n"
     "int f(void) { if (sizeof(g()) == 4) return 1; if (g().y == 1) return 2; return 0; }\n"},
    // A dimension read inside a condition's type name is an entry of its
    // own, parsed while the condition's tree is still being walked.
    {"NestedEntries",
     "char *p;\nint f(void) { if (sizeof(int [2 + 1]) == 6) return 1; if ((char (*)[4 * 2])p == 0) return 2;\n"
     "return 0; }\n"},
    // The error list fills inside the condition and the compile ends there;
    // the next compile (the run without trees) starts afresh.
    {"AnErrorFloodEndsTheCompileInsideACondition",
     "int f(void) { if (u0 + u1 + u2 + u3 + u4 + u5 + u6 + u7 + u8 + u9 + u10 + u11 + u12 + u13 + u14 + u15 + u16 + u17 + u18 + u19 + u20 + u21 + u22 + u23 + u24 + u25 + u26 + u27 + u28 + u29 + u30 + u31 + u32 + u33 + u34 + u35 + u36 + u37 + u38 + u39 + u40 + u41 + u42 + u43 + u44 + u45 + u46 + u47 + u48 + u49 + u50 + u51 + u52 + u53 + u54 + u55 + u56 + u57 + u58 + u59 == 0) return 1; return 0; }\n",
     true},
    {"ConstantExpressions",
     "#if (2 == 2) && (3 > 1)\nint d[(4 + 4) * 2];\n#endif\nint at @ (0x9000 + 2);\n"
     "int f(void) { return sizeof d; }\n"},
};

INSTANTIATE_TEST_SUITE_P(Programs, SameCodeWithoutTheTree, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<ProgramCase> &info) { return std::string(info.param.what); });

} // namespace
} // namespace tsw::testing
