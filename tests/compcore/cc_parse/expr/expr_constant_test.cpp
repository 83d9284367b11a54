#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/program_compile_fixture.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// Constant expressions as a program meets them: #if conditions, directive
// numbers and array dimensions, compiled through CompileFile with the
// compiler the product assembles.
class ExprConstantTest : public ProgramCompileTest {
protected:
  // The message numbers the compile recorded, in order.
  std::vector<unsigned> Messages() {
    std::vector<unsigned> numbers;
    for (const std::string &r : Records()) {
      const size_t open = r.rfind('[');
      if (open != std::string::npos)
        numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
    }
    return numbers;
  }
  static bool Declared(const char *name) { return LookupSymbol(name, false, SymbolTableId::kGlobal) != nullptr; }
  // Which branch of "#if condition" the compile took.
  bool Condition(const std::string &condition) {
    Compile("#if " + condition + "\nint taken;\n#else\nint skipped;\n#endif\n");
    EXPECT_NE(Declared("taken"), Declared("skipped")) << condition;
    return Declared("taken");
  }
  // The outermost dimension "int a[...]" declares.
  uint16_t Dimension(const std::string &text) {
    Compile("int a[" + text + "];\n");
    const SymbolRecord *a = LookupSymbol("a", false, SymbolTableId::kGlobal);
    if (!a || a->list.empty()) {
      ADD_FAILURE() << text << ": no array declared";
      return 0;
    }
    return a->list[0];
  }

};

TEST_F(ExprConstantTest, ConditionsFoldAtTheTargetsWidths) {
  struct Case {
    const char *condition;
    bool taken;
  } cases[] = {
      {"1", true},
      {"0", false},
      {"32767 + 1 == -32768", true},
      {"(30000+30000)/2 == -2768", true},
      {"0xFFFF + 1 == 0", true},
      {"65535 + 1 == 65536", true},
      {"1 << 16 == 0", true},
      {"(1<<15) < 0", true},
      {"-1 < 0U", false},
      {"-1L < 0U", true},
      {"-32768 == 0x8000", false},     // 32768 is a long, and so is its negation
      {"-32767 - 1 == 0x8000", true},  // an int against an unsigned
      {"~0 == -1", true},
      {"~0U == 0xFFFF", true},
      {"-(-32767 - 1) == -32767 - 1", true}, // negation wraps at int's width
      {"~0x8000 == 0x7FFF", true},   // complement of an unsigned stays 16 bits
      {"~'a' == 0x9E", true},        // and of a char 8 bits
      {"-'\\1' == 255", true},
      {"'\\377' == 255", true},
      {"!0 && !!7", true},
      {"2 || 0", true},
      {"(3 || 0) == 1", true},
      {"(0 && 5) + (4 && 5) == 1", true},
      {"!0.0", true},
      {"!-0.0", true},
      {"1 ? 2 : 3 == 2", true},
      {"0 ? 2 : 3", true},
      {"(1 ? 40000L : 2) == 40000L", true},
      {"(0 ? 1 : (1 ? 70000L : 2)) == 70000L", true},
      {"7 % 3 == 1 && 7 / 2 == 3 && (7 ^ 2) == 5 && (6 & 3) == 2 && (4 | 1) == 5", true},
      {"1 + 2 * 3 == 7", true},
      {"(1 + 2) * 3 == 9", true},
      {"10 - 3 - 2 == 5", true}, // left to right
      {"16 >> 2 >> 1 == 2", true},
      {"1 < 2 == 1", true},
      {"3 > 2 > 1", false},
      {"2 >= 2 && 2 <= 2 && 1 != 2", true},
      {"(int)2.5 == 2", true},
      {"(char)300 == 44", true},
      {"(unsigned)-1 == 65535U", true},
      {"(long)-1 < 0", true},
      {"sizeof(int) == 2 && sizeof(long) == 4 && sizeof(char) == 1 && sizeof(float) == 4", true},
      {"sizeof(char *) == 2 && sizeof(int[3][4]) == 24", true},
      {"sizeof 1L == 4", true},
      {"sizeof(long[10000]) > 0", true}, // a large size is no negative int
      {"sizeof(long[10000]) == 40000U", true},
      {"sizeof(char[4]) - 5 < 0", true},
      {"sizeof('a') == 1", true},
      {"- - 3 == 3", true},
      {"+3 == 3", true},
      {"1,0", false},
      {"sizeof \"abc\" == 4", true},
      {"sizeof(\"\") == 1", true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Condition(c.condition), c.taken) << c.condition;
    EXPECT_EQ(Messages(), std::vector<unsigned>{}) << c.condition;
  }
}

TEST_F(ExprConstantTest, ConditionsWithErrors) {
  struct Case {
    const char *condition;
    std::vector<unsigned> messages;
  } cases[] = {
      {"1.5", {427}},   // a float answers nothing
      {"2.0", {427}},
      {"", {452}},
      {"nothing", {493}},
      {"1 / 0", {400}},
      {"5 % 0", {400}},
      {"~1.5", {427, 401}},
      {"(1", {2085, 2051}},
      {"1 ? 2", {452, 2051}},
      {"08", {454}},
      {"\"abc\"", {427}},
  };
  for (const Case &c : cases) {
    Condition(c.condition);
    EXPECT_EQ(Messages(), c.messages) << c.condition;
  }
}

TEST_F(ExprConstantTest, ANamedObjectIsNoConstant) {
  Compile("int g;\n#if g\nint taken;\n#endif\n#if sizeof g == 2\nint sized;\n#endif\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{427});
  EXPECT_FALSE(Declared("taken"));
  EXPECT_TRUE(Declared("sized")) << "sizeof needs only its operand's type";
}

TEST_F(ExprConstantTest, DimensionsReadConstantExpressions) {
  struct Case {
    const char *text;
    uint16_t dimension;
  } cases[] = {
      {"3*4+1", 13},
      {"'\\377'", 255},
      {"(int)2.5", 2},
      {"sizeof(long) * 2", 8},
      {"0x10 | 1", 17},
      {"1 << 3", 8},
      {"(2 + 3) * (1 + 1)", 10},
      {"7 > 3 ? 5 : 6", 5},
      // Unary minus and complement stay in their type's width.
      {"~0xFFF0", 15},
      {"-0xFFF1", 15},
      {"-'\\xF1'", 15},
      {"~'\\xF0'", 15},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Dimension(c.text), c.dimension) << c.text;
    EXPECT_EQ(Messages(), std::vector<unsigned>{}) << c.text;
  }
}

TEST_F(ExprConstantTest, DimensionsOfOtherObjectsAndTheirSizes) {
  Compile("int m[3][5];\nchar b[sizeof m];\nchar r[sizeof m[0]];\nchar e[sizeof m[0][0]];\n"
          "char n[sizeof m / sizeof m[0]];\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{});
  struct Case {
    const char *name;
    uint16_t dimension;
  } cases[] = {{"b", 30}, {"r", 10}, {"e", 2}, {"n", 3}};
  for (const Case &c : cases) {
    const SymbolRecord *s = LookupSymbol(c.name, false, SymbolTableId::kGlobal);
    ASSERT_TRUE(s && !s->list.empty()) << c.name;
    EXPECT_EQ(s->list[0], c.dimension) << c.name;
  }
}

TEST_F(ExprConstantTest, SubscriptsAndMembersGiveTheirElementsType) {
  const char *declarations = "int m[3][5];\nextern int u[];\nint g;\nstruct pt { int x; long y; char n[6]; } p;\n"
                             "struct pt *pp;\n";
  struct Case {
    const char *operand;
    uint16_t size;
    std::vector<unsigned> messages;
  } cases[] = {
      {"m[2]", 10, {}},
      {"m[2][4]", 2, {}},
      {"m[3]", 10, {448}},
      {"m[1][5]", 2, {448}},
      {"m[-1]", 10, {}},
      {"u[7]", 2, {}}, // an unsized array has no bound to check
      {"g[0]", 2, {447}},
      {"p.x", 2, {}},
      {"p.y", 4, {}},
      {"p.n", 6, {}},
      {"p.n[5]", 1, {}},
      {"p.n[6]", 1, {448}},
      {"pp->y", 4, {}},
      {"m[0].x", 10, {449}}, // the value stays what it was
      {"p.z", 12, {449}},
      {"\"abc\"[2]", 1, {}},
      {"\"abc\"[3]", 1, {448}},
  };
  for (const Case &c : cases) {
    Compile(std::string(declarations) + "char s[sizeof " + c.operand + "];\n");
    const SymbolRecord *s = LookupSymbol("s", false, SymbolTableId::kGlobal);
    ASSERT_TRUE(s && !s->list.empty()) << c.operand;
    EXPECT_EQ(s->list[0], c.size) << c.operand;
    EXPECT_EQ(Messages(), c.messages) << c.operand;
  }
}

TEST_F(ExprConstantTest, DimensionsThatAreNoConstant) {
  struct Case {
    const char *program;
    std::vector<unsigned> messages;
  } cases[] = {
      {"int a[2.5];\n", {415, 427}},
      {"int n;\nint a[n];\n", {415, 427}},
      {"int a[1/0];\n", {400}},
  };
  for (const Case &c : cases) {
    Compile(c.program);
    EXPECT_EQ(Messages(), c.messages) << c.program;
  }
}

TEST_F(ExprConstantTest, PlacedObjectsTakeAConstantExpressionAddress) {
  Compile("int port @ 0x4000 + 2 * 8;\nchar flag @ (0x40 << 4) | 1;\nint g;\nint other @ g + 1;\n"
          "int undeclared @ nowhere;\n");
  struct Case {
    const char *name;
    uint32_t address;
  } cases[] = {{"port", 0x4010}, {"flag", 0x401}, {"other", 0}, {"undeclared", 0}};
  for (const Case &c : cases) {
    const SymbolRecord *s = LookupSymbol(c.name, false, SymbolTableId::kGlobal);
    ASSERT_NE(s, nullptr) << c.name;
    EXPECT_EQ(s->address, c.address) << c.name;
  }
  // An object is no constant (2003); an undeclared name is 493 and stands
  // for 0.
  EXPECT_EQ(Messages(), (std::vector<unsigned>{2003, 493}));
}

TEST_F(ExprConstantTest, NestedConditionsAndElifReadExpressions) {
  Compile("#define N 4\n#if N * 2 > 10\nint big;\n#elif N * 2 == 8\nint eight;\n#else\nint other;\n#endif\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{});
  EXPECT_FALSE(Declared("big"));
  EXPECT_TRUE(Declared("eight"));
  EXPECT_FALSE(Declared("other"));
}

TEST_F(ExprConstantTest, TheAnymemThresholdIsAConstantExpression) {
  struct Case {
    const char *directive;
    uint32_t threshold;
    std::vector<unsigned> messages;
  } cases[] = {
      {"#memmap anymem 0x100 * 2\n", 512, {}},
      {"#memmap anymem 16L * 1024\n", 16384, {}},
      {"#memmap anymem 1 << 16\n", 0, {}}, // an int shift: 0
      {"#memmap anymem 65536\n", 65536, {}},
  };
  for (const Case &c : cases) {
    Compile(c.directive);
    EXPECT_EQ(AnymemThreshold(), c.threshold) << c.directive;
    EXPECT_EQ(Messages(), c.messages) << c.directive;
  }
}

} // namespace
} // namespace tsw::testing
