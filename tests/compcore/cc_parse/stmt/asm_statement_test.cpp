#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Assembly inside function bodies, compiled by the product to its image
// file on the Corvid (root code from 1000) and decoded.
namespace tsw::testing {
namespace {

struct AsmCase {
  const char *what;
  const char *body;
  std::vector<std::string> listing;
};

class AsmStatementCompile : public StatementCompileTest {
protected:
  // The lines CompileAlone puts before the program.
  static int LinesOfPrefix() { return int(std::count(kCorvidRootProgram, kCorvidRootProgram + std::strlen(kCorvidRootProgram), '\n')); }
};

TEST_F(AsmStatementCompile, BlocksAssembleBetweenTheStatementsAroundThem) {
  const std::vector<AsmCase> cases = {
      {"a block between two statements",
       "int x; x = 1;\n#asm\n ld a,5\n nop\n#endasm\n x = 2; return x;",
       {"add   sp,FE", "ld    hl,0001", "ld    (sp+0),hl", "ld    a,05", "nop", "ld    hl,0002", "ld    (sp+0),hl",
        "ld    hl,(sp+0)", "exx", "add   sp,02", "exx", "ret"}},
      {"the asm form takes the rest of its line",
       "int x;\nasm ld a,1 $ nop\n return 0;",
       {"add   sp,FE", "ld    a,01", "nop", "ld    hl,0000", "exx", "add   sp,02", "exx", "ret"}},
      {"asm xmemok is an option, not a statement",
       "int x;\nasm xmemok ld b,2\n return 0;",
       {"add   sp,FE", "ld    b,02", "ld    hl,0000", "exx", "add   sp,02", "exx", "ret"}},
      // Directives and conditional groups hold inside the block, and a macro
      // defined there is used in it.
      {"directives in the block",
       "int x;\n#asm\n#define SEVEN 7\n ld a,SEVEN\n#if 0\n ld a,9\n#endif\n#endasm\n return 0;",
       {"add   sp,FE", "ld    a,07", "ld    hl,0000", "exx", "add   sp,02", "exx", "ret"}},
      // A "c" line is one C statement among the assembly; what the
      // assembly did to HL is not taken for x.
      {"c lines",
       "int x;\n#asm\n ld a,1\nc x = 4; x = x + 1;\n ld a,2\nc return x;\n#endasm\n",
       {"add   sp,FE", "ld    a,01", "ld    hl,0004", "ld    (sp+0),hl", "ld    hl,(sp+0)", "inc   hl",
        "ld    (sp+0),hl", "ld    a,02", "ld    hl,(sp+0)", "exx", "add   sp,02", "exx", "ret",
        // The function's end does not know the assembly returned.
        "jp    1012"}},
      {"a block in a nested compound statement",
       "int x; if (1) {\n#asm\n ld c,3\n#endasm\n }\n return 0;",
       {"add   sp,FE", "ld    hl,0001", "bool  hl", "jp    z,100B", "ld    c,03", "ld    hl,0000", "exx", "add   sp,02", "exx", "ret"}},
  };
  for (const AsmCase &c : cases) {
    const uint16_t status =
        CompileAlone(std::string("#nodebug\nint f(void) {\n") + c.body + "\n}\n");
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing)) << c.what;
  }
}

TEST_F(AsmStatementCompile, AWordOtherThanAnOptionAfterHashAsmIsRefused) {
  CompileAlone("#nodebug\nvoid f(void) {\n#asm stray\n nop\n#endasm\n}\n");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{"524"}) << ::testing::PrintToString(Records());
}

TEST_F(AsmStatementCompile, ABlockLeftOpenAtTheEndOfTheInputIsReported) {
  const uint16_t status = CompileAlone("#nodebug\nvoid f(void) {\n#asm\n nop\n");
  EXPECT_NE(status, 0);
  EXPECT_GE(Reported("2091"), 1u) << ::testing::PrintToString(Records());
}

// Outside any function, a c line of a top-level block works on globals.
TEST_F(AsmStatementCompile, ACLineOfATopLevelBlockCompilesItsStatementInPlace) {
  ASSERT_EQ(CompileAlone("#nodebug\nint g;\n#asm\n nop\nc g = 3;\n nop\n#endasm\n"), 0)
      << ::testing::PrintToString(Records());
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), {"nop", "ld    hl,0003", "ld    (3FFE),hl", "nop"}));
}

// The brace a "c" line gains closes its statement on the line: an
// unfinished statement is reported there, and the assembly after it is
// still assembled.
TEST_F(AsmStatementCompile, ACLineIsOneStatementThatEndsWithItsLine) {
  CompileAlone("#nodebug\nint f(void) {\nint x;\n#asm\nc x = (1 +\n ld a,3\n#endasm\n return 0;\n}\n");
  EXPECT_FALSE(MessageNumbers().empty());
  EXPECT_EQ(Reported("616"), 0u) << "the error limit was reached";
  const std::string cLine = ":" + std::to_string(LinesOfPrefix() + 5) + ":";
  for (const std::string &record : Records())
    EXPECT_NE(record.find(cLine), std::string::npos) << record;
}

// A macro brings the line to the length limit: there is no room for the
// brace that closes the statement.
TEST_F(AsmStatementCompile, ACLineAtTheLengthLimitIsRefused) {
  // "c x =" and ";" around three expansions fill the line to its last byte.
  // One byte less leaves the room.
  for (const size_t length : {21841, 21840}) {
    const std::string macro = "#define LONG " + std::string(length, '1') + "\n";
    CompileAlone("#nodebug\n" + macro + "int f(void) {\nint x;\n#asm\nc x =LONG+LONG+LONG;\n#endasm\n return 0;\n}\n");
    EXPECT_EQ(Reported("463"), length == 21841 ? 1u : 0u) << length << ::testing::PrintToString(Records()).substr(0, 300);
  }
}

// The second "#endasm" meets the function's brace on the bracket stack.
TEST_F(AsmStatementCompile, AnEndasmWithoutItsAsmIsReportedAsTheUnmatchedBracket) {
  const uint16_t status = CompileAlone("#nodebug\nvoid f(void) {\n#asm\n nop\n#endasm\n#endasm\n}\n");
  EXPECT_NE(status, 0);
  ASSERT_FALSE(MessageNumbers().empty());
  EXPECT_EQ(MessageNumbers().front(), "562 #endasm " + std::to_string(LinesOfPrefix() + 2)) << ::testing::PrintToString(Records());
}

// The block starts near the top of the 64K space and its code runs past it.
TEST_F(AsmStatementCompile, ABlockWhoseCodeWrapsAroundTheAddressSpaceIsReported) {
  std::string nops;
  for (int i = 0; i < 32; ++i)
    nops += " nop\n";
  TearDown();
  SetUp();
  Compile("#pragma Corvid\n#rcodorg rc 0 0xFFF0 0x100 apply\n#memmap root\n#nodebug\n"
          "void f(void) {\n#asm\n" + nops + "#endasm\n}\n");
  EXPECT_EQ(Reported("2047"), 1u) << ::testing::PrintToString(Records());
}

} // namespace
} // namespace tsw::testing
