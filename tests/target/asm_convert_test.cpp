#include <gtest/gtest.h>

#include <string>

#include "runner/asm_convert.h"

namespace tsw::target {
namespace {

// The dialect's Zilog syntax against what sdasz80 reads; a wrong rewrite
// would run a different routine on the simulator than the one the library
// holds.
TEST(AsmConvertTest, RewritesEachStatementForTheSimulatorAssembler) {
  struct Case {
    const char *dialect;
    const char *sdas;
  };
  const Case cases[] = {
      {"ld hl,1234h", "\tld hl,#0x1234"},
      {"ld a,0FFh", "\tld a,#0x0ff"},
      {"and 00001111b", "\tand #0b00001111"},
      {"ld de,label+2", "\tld de,#label+2"},
      {"ld hl,(1234h)", "\tld hl,(0x1234)"},
      {"ld (var),hl", "\tld (var),hl"},
      {"ld a,(ix+5)", "\tld a,5(ix)"},
      {"ld (iy-2),a", "\tld -2(iy),a"},
      {"ld (ix),l", "\tld 0(ix),l"},
      {"ld a,(hl)", "\tld a,(hl)"},
      {"jp nz,target", "\tjp nz,target"},
      {"jr c,back", "\tjr c,back"},
      {"call c_div", "\tcall c_div"},
      {"ret p", "\tret p"},
      {"jp (hl)", "\tjp (hl)"},
      {"jp (ix)", "\tjp (ix)"},
      {"rst 28h", "\trst 0x28"},
      {"bit 7,h", "\tbit 7,h"},
      {"ex af,af'", "\tex af,af'"},
      {"ex (sp),hl", "\tex (sp),hl"},
      {"out0 (38h),a", "\tout0 (0x38),a"},
      {"mlt bc", "\tmlt bc"},
      {"cp 'x'", "\tcp #'x'"},
      {"db 1,2,0Ah", "\t.db 1,2,0x0a"},
      {"dw c_div", "\t.dw c_div"},
      {"db \"TesselC\"", "\t.ascii \"TesselC\""},
      {"db 1,\"ab\",0", "\t.db 1\n\t.ascii \"ab\"\n\t.db 0"},
      {"name::", "name::"},
      {"loop: dec a", "loop:\tdec a"},
      {"size: equ 10h", "size = 0x10"},
      {"limit:: equ 5", "limit == 5"},
      {"sub 1 ; the comment", "\tsub #1"},
      {"inc hl $ inc hl", "\tinc hl\n\tinc hl"},
  };
  for (const Case &c : cases) {
    ConvertedAsm converted = ConvertLibraryAsm(std::string("#asm\n") + c.dialect + "\n#endasm\n");
    EXPECT_TRUE(converted.problems.empty()) << c.dialect;
    EXPECT_EQ(converted.text, std::string(c.sdas) + "\n") << c.dialect;
  }
}

TEST(AsmConvertTest, TakesOnlyTheAsmBlocksAndReportsWhatItCannotRead) {
  ConvertedAsm converted = ConvertLibraryAsm("/*** BeginHeader f */\nint f();\n/*** EndHeader */\n"
                                             "#asm root\nf::\n\tret\n#endasm\nint g;\n#asm\n\t+ 1\n");
  EXPECT_EQ(converted.text, "f::\n\tret\n");
  ASSERT_EQ(converted.problems.size(), 2u);
  EXPECT_NE(converted.problems[0].find("line 10"), std::string::npos) << converted.problems[0];
  EXPECT_NE(converted.problems[1].find("#endasm"), std::string::npos);
}

TEST(AsmConvertTest, KeepsOnlyWhatAZ180CompileKeeps) {
  ConvertedAsm converted = ConvertLibraryAsm("#if TARGETCPU == CRV\n#asm\ncorvid::\n#endasm\n#else\n#asm\nz180::\n"
                                             "#endasm\n#endif\n#if TARGETCPU != CRV\n#asm\nboth::\n#endasm\n#endif\n"
                                             "#if FOO\n#endif\n");
  EXPECT_EQ(converted.text, "z180::\nboth::\n");
  ASSERT_EQ(converted.problems.size(), 1u);
  EXPECT_NE(converted.problems[0].find("line 15"), std::string::npos) << converted.problems[0];
}

TEST(AsmConvertTest, AFunctionWithAnAsmBodyIsItsLabelTheBlockAndARet) {
  struct Case {
    const char *source;
    const char *text;
    size_t problems;
  };
  const Case cases[] = {
      {"int BIT(char *address, int bit)\n{\n#asm\n\tnop\n#endasm\n}\n", "BIT::\n\tnop\n\tret\n", 0},
      {"void f(void) {\n/* why */\n#asm\n\tnop\n#endasm\n}\n", "f::\n\tnop\n\tret\n", 0},
      {"int f(int a);\n#asm\ng::\n#endasm\n", "g::\n", 0},
      {"/* f(x) in a comment\n   g(y) */\n#asm\ng::\n#endasm\n", "g::\n", 0},
      {"int f()\n{\n  return 1;\n}\n", "f::\n\tret\n", 1},
  };
  for (const Case &c : cases) {
    ConvertedAsm converted = ConvertLibraryAsm(c.source);
    EXPECT_EQ(converted.text, c.text) << c.source;
    EXPECT_EQ(converted.problems.size(), c.problems) << c.source;
  }
}

} // namespace
} // namespace tsw::target
