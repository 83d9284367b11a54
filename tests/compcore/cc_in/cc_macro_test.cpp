#include "compcore/front_end_fixture.h"

#include "support/tempdir.h"

#include "fakes/fake_texts.h"
#include "foundation/restext.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class Front2Macro : public FrontEndFixture {
protected:
  std::vector<std::string> Compile(const std::string &program, bool bios = false) {
    Start(program, bios);
    auto texts = Texts(DeliverAll());
    if (bios)
      EndBiosCompileMacros();
    return texts;
  }
};

struct ExpansionCase {
  const char *program;
  const char *expected;
};

TEST_F(Front2Macro, ExpansionTable) {
  const ExpansionCase cases[] = {
      {"#define N 10\nx = N;", "x = 10;"},
      {"#define ADD(a, b) ((a) + (b))\nADD(1, 2*3)", "((1) + (2*3))"},
      {"#define STR(x) #x\nSTR(a \"q\" b)", "\"a \\\"q\\\" b\""},
      {"#define STR(x) #x\nSTR(\"a\\\"b\\\\\")", "\"\\\"a\\\\\\\"b\\\\\\\\\\\"\""},
      {"#define CAT(a, b) a ## b\nCAT(var, 12)", "var12"},
      {"#define F(x) x\n#define G F(1)\nG", "1"},
      {"#define SELF SELF + 1\nSELF", "SELF + 1"},
      {"#define A B\n#define B A\nA B", "A B"},
      {"#define x1F 99\n0x1F x1F", "0x1F 99"},
      {"#define L long\n100L", "100long"},
      {"#define P(x) \"x\" x\nP(7)", "\"x\" 7"},
      {"#define F(x) [x]\nF", "F"},
      {"#define E() e\nE()", "e"},
      {"#define TWICE(x) x x\n#define ONE 1\nTWICE(ONE)", "1 1"},
      {"#define g f\n#define f(x) <x>\ng(2)", "<2>"},
  };
  for (const ExpansionCase &c : cases) {
    Restart();
    sink.records.clear();
    auto texts = Compile(c.program);
    ASSERT_EQ(texts.size(), 1u) << c.program;
    EXPECT_EQ(texts[0], c.expected) << c.program;
    EXPECT_TRUE(sink.records.empty()) << c.program;
  }
}

TEST_F(Front2Macro, FunctionLikeMacroArgumentsMayContinueOnNextLines) {
  auto texts = Compile("#define F(a, b) a+b\nF(1,\n  2) tail\nnext");
  EXPECT_EQ(texts, (std::vector<std::string>{"1+2 tail", "next"}));
}

TEST_F(Front2Macro, NameWithoutParenthesisLeavesTheNextLineAlone) {
  auto texts = Compile("#define F(a) a\nF\n#define X 5\nX");
  EXPECT_EQ(texts, (std::vector<std::string>{"F", "5"}));
}

TEST_F(Front2Macro, ReplacementTakesThePositionOfTheMacroName) {
  Start("#define V (1+2)\n  y = V + z;");
  Delivered d;
  std::vector<Delivered> all = DeliverAll();
  ASSERT_FALSE(all.empty());
  const Delivered &line = all.back();
  ASSERT_EQ(line.text, "y = (1+2) + z;");
  for (size_t i = 4; i < 9; ++i) {
    EXPECT_EQ(line.lines[i], 2);
    EXPECT_EQ(line.columns[i], 7); // the 'V'
  }
  EXPECT_EQ(line.columns[10], 9);  // '+' after the replacement keeps its own column
  EXPECT_EQ(line.columns[12], 11); // 'z'
}

TEST_F(Front2Macro, DefinitionErrors) {
  struct Case {
    const char *program;
    unsigned message;
  } cases[] = {
      {"#define\n", 490},      {"#define F(a, a) a\n", 491},       {"#define F(a b\n", 758},
      {"#define N+1\n", 2108}, {"#define F(a) a\nF(1, 2)\n", 536}, {"s = \"open\n", 492},
  };
  for (const Case &c : cases) {
    Restart();
    sink.records.clear();
    Compile(c.program);
    EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{c.message})) << c.program;
  }
}

TEST_F(Front2Macro, CharactersGoIntoMessagesAsTexts) {
  FakeTexts texts({{2108, "unexpected '%s' after the macro name"}, {492, "%s expected"}});
  SetMessageTexts(&texts);
  Compile("#define N+1\ns = 'x;\n");
  SetMessageTexts(nullptr);
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[0].text, "unexpected '+' after the macro name");
  EXPECT_EQ(sink.records[1].text, "' expected");
}

TEST_F(Front2Macro, RedefinitionKeepsTheFirstBodyWithAWarning) {
  auto texts = Compile("#define N 1\n#define N  1 \n#define N 2\nN");
  EXPECT_EQ(texts, (std::vector<std::string>{"1"}));
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{537}));
}

TEST_F(Front2Macro, PredefinedMacrosAreReplaced) {
  SetPredefinedMacro("TARGETCPU", "Z180");
  SetPredefinedMacro("TARGETCPU", "CRV");
  EXPECT_STREQ(IsMacroDefined("TARGETCPU"), "CRV");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Macro, TargetMacrosFollowEachCompile) {
  PredefinedMacroSettings bios;
  bios.biosCompile = true;
  bios.cpu = tsw::TargetCpu::Corvid;
  DefineTargetMacros(bios);
  EXPECT_STREQ(IsMacroDefined("TARGETCPU"), "CRV");
  EXPECT_STREQ(IsMacroDefined("I80386"), "5");
  EXPECT_STREQ(IsMacroDefined("NO_BIOS"), "1");
  EndBiosCompileMacros();

  BeginCompileMacros(false);
  PredefinedMacroSettings program;
  program.ideBiosFlag = true;
  program.ideRunMode = 1;
  program.withoutBoard = true;
  DefineTargetMacros(program);
  EXPECT_STREQ(IsMacroDefined("NO_BIOS"), "0");
  EXPECT_STREQ(IsMacroDefined("DEBUG_RST"), "0");
  EXPECT_STREQ(IsMacroDefined("_OFFLINE_COMPILE_"), "1");
  SetTargetCpuMacro(tsw::TargetCpu::Z180);
  EXPECT_STREQ(IsMacroDefined("TARGETCPU"), "Z180");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Macro, UndefRemovesAndAllowsANewBody) {
  auto texts = Compile("#define N 1\n#undef N\nN\n#define N 2\nN");
  EXPECT_EQ(texts, (std::vector<std::string>{"N", "2"}));
}

TEST_F(Front2Macro, EachProgramCompileSeesTheBiosMacrosPlusItsOwn) {
  Compile("#define BIOSVAL 3", /*bios=*/true);
  auto first = Compile("#define N 10\nN BIOSVAL");
  EXPECT_EQ(first, (std::vector<std::string>{"10 3"}));
  auto second = Compile("#define N 20\nN BIOSVAL");
  EXPECT_EQ(second, (std::vector<std::string>{"20 3"}));
  EXPECT_TRUE(sink.records.empty());
  auto third = Compile("N");
  EXPECT_EQ(third, (std::vector<std::string>{"N"}));
}

TEST_F(Front2Macro, SecondCompileReadsTheLibraryHeadersAgain) {
  TempDir dir;
  std::string lib = dir.Write("MATH.LIB", "#define PI 3\n");
  index.libraries["MATH.LIB"] = {{lib, 0, 100, 0}};
  Compile("#define PRE 0", true);
  EXPECT_EQ(Compile("#use math.lib\n#use MATH.LIB\nPI"), (std::vector<std::string>{"3"}));
  EXPECT_EQ(Compile("#use math.lib\nPI"), (std::vector<std::string>{"3"}));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Macro, TooManyArgumentsAndActiveLimit) {
  std::string args;
  for (int i = 0; i < 33; ++i)
    args += (i ? "," : "") + std::to_string(i);
  Compile("#define F(a) a\nF(" + args + ")");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{535, 536}));

  // 128 distinct macros nested in one expansion need 128 active slots.
  sink.records.clear();
  std::string program;
  for (int i = 0; i < 128; ++i)
    program += "#define M" + std::to_string(i) + " M" + std::to_string(i + 1) + "\n";
  program += "M0";
  auto texts = Compile(program);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{539}));
}

TEST_F(Front2Macro, UndefOfAnActiveMacroClearsItsSlot) {
  DefineMacro("A", "1");
  InstallLogicalLine({"A", {1}, {1}}, 0);
  ExpandMacros();
  EXPECT_STREQ(LineBase, "1");
  UndefineMacro("A");
  DefineMacro("A", "2");
  InstallLogicalLine({"A", {1}, {1}}, 0);
  ExpandMacros();
  EXPECT_STREQ(LineBase, "2");
}

// An expansion too long for a line ends the compile with macros still
// active; resetting the table afterwards must let go of them cleanly.
TEST_F(Front2Macro, ResetAfterAnExpansionThatEndedTheCompile) {
  DefineMacro("A", std::string(1000, 'a'));
  std::string b;
  for (int i = 0; i < 70; ++i)
    b += "A ";
  DefineMacro("B", b);
  InstallLogicalLine({"B", {1}, {1}}, 0);
  EXPECT_ANY_THROW(ExpandMacros());
  ResetMacroModule();
  EXPECT_EQ(IsMacroDefined("A"), nullptr);
}

} // namespace
} // namespace tsw::testing
