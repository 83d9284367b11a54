#include "compcore/asm_fixture.h"

#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"

// The assembler's diagnostics by number: each fatal error ends the line at
// the token it names, each warning lets the line assemble.
namespace tsw::testing {
namespace {

using assembler::AsmCpu;
constexpr AsmCpu Z = AsmCpu::kZ180;
constexpr AsmCpu C = AsmCpu::kCorvid;

class AsmErrorTest : public AsmCodeTest {};

TEST_F(AsmErrorTest, FatalErrorsNameTheirToken) {
  struct Case {
    AsmCpu cpu;
    const char *line;
    unsigned message;
    uint16_t column; // 1-based
  };
  const Case cases[] = {
      {Z, "nop nop", kMsgNothingCompiled, 5},
      {Z, "ld a,*", kMsgAsmExpression, 6},
      {Z, "ld a,(2+)", kMsgAsmExpression, 9},
      {C, "ldp (1234h),hl", kMsgLdpOperand, 6},
      {C, "ldp 5,(x)", kMsgLdpOperand, 5},
      {C, "altd ioi ld a,(hl)", kMsgOnePrefix, 6},
      {C, "altd ld a',b", kMsgOnePrefix, 10},
      {C, "ioi ld a',(hl)", kMsgOnePrefix, 9},
      {C, "``ld a,b", kMsgOnePrefix, 2},
      {C, "altd push bc", kMsgAltdNotAllowed, 6},
      {C, "push bc'", kMsgRegisterNotAllowed, 9},
      {C, "ioi nop", kMsgIoNeedsMemory, 5},
      {C, "ioi ldp (hl),hl", kMsgIoNeedsMemory, 5},
      {Z, "ld a b", kMsgCommaExpected, 6},
      {Z, "jp nz 1234h", kMsgCommaExpected, 7},
      {Z, "out 10h,a", kMsgOpenParenExpected, 5},
      {C, "ldp hl,1234h", kMsgOpenParenExpected, 8},
      {Z, "ld a,(ix+2", kMsgParamListOpen, 11},
      {Z, "ld a,((2)", kMsgParamListOpen, 10},
      {Z, "foo nop", kMsgLabelExpected, 5},
      {Z, "ld 5,a", kMsgRegisterExpected, 4},
      {Z, "ld bc,de", kMsgRegisterNotAllowed, 9},
      {Z, "ld hl',de", kMsgRegisterNotAllowed, 6},
      {Z, "ex de',hl", kMsgRegisterNotAllowed, 6},
      {Z, "ld sp',hl", kMsgRegisterNotAllowed, 6},
      {C, "ld ix',hl", kMsgRegisterNotAllowed, 6},
      {C, "ld a,b'", kMsgRegisterNotAllowed, 7},
      {Z, "ld i,5", kMsgRegisterNotAllowed, 6},
      {Z, "inc af", kMsgRegisterNotAllowed, 7},
      {Z, "ld (bc),5", kMsgRegisterNotAllowed, 9},
      {C, "ld (sp+2),5", kMsgRegisterNotAllowed, 11},
      {Z, "out0 (c),a", kMsgNumberExpected, 11},
      {Z, "in0 a,(c)", kMsgNumberExpected, 8},
      {Z, "db \"abc", kMsgStringNotClosed, 4},
      {C, "ld (sp-2),hl", kMsgNegativeSpOffset, 7},
      {Z, "ld (ix+5),-128", kMsgAsmByteRange, 11},
      {Z, "cp 300", kMsgAsmByteRange, 4},
      {Z, "out (256),a", kMsgAsmByteRange, 6},
      {Z, "jr pe,1234h", kMsgBadCondition, 4},
      {Z, "ret xx", kMsgBadCondition, 5},
      {Z, "ld a,@foo", kMsgBadAtName, 6},
      {Z, "ld a,?", kMsgInvalidCharacter, 6},
      {Z, "rst 1", kMsgBadRestart, 5},
      {C, "rst 0", kMsgBadRestart, 5},
      {C, "rst 30h", kMsgBadRestart, 5},
      {Z, "jr 2000h", kMsgDisplacementRange, 4},
      {Z, "im 3", kMsgBadInterruptMode, 4},
      {Z, "bit 8,a", kMsgBadBitNumber, 5},
      {Z, "bit x,a", kMsgBadBitNumber, 5},
      {Z, "foo: xyz", kMsgNoSuchInstruction, 6},
      {Z, "ld (bc),(de)", kMsgNoSuchInstruction, 13},
      {Z, "bit 0,bc", kMsgNoSuchInstruction, 9},
      {Z, "mlt ix", kMsgRegisterNotAllowed, 7},
      {Z, "ld a,[nothing]x", kMsgBadSegmentName, 7},
      {Z, "ld a,x+y", kMsgSecondUnresolved, 8},
      // An index displacement is one signed byte, a stack offset one
      // unsigned byte: a wider value must not wrap to another object.
      {Z, "ld (ix+200),a", kMsgAsmByteRange, 7},
      {Z, "ld a,(iy-129)", kMsgAsmByteRange, 9},
      {C, "ld hl,(sp+256)", kMsgAsmByteRange, 10},
      {Z, "bit 1,(ix+128)", kMsgAsmByteRange, 10},
      // A displacement has no field of its own to patch later.
      {Z, "ld a,(ix+later)", kMsgNumberExpected, 10},
      {C, "ld hl,(sp+later)", kMsgNumberExpected, 11},
      // An equ takes its value at once; nothing would correct it later.
      {Z, "size: equ finish-4", kMsgNumberExpected, 11},
  };
  for (const Case &c : cases) {
    NextCase();
    UseCpu(c.cpu);
    EXPECT_EQ(FatalOf(c.line), c.message) << c.line;
    ASSERT_FALSE(diagnostics.records.empty()) << c.line;
    EXPECT_EQ(diagnostics.records.back().column, c.column) << c.line;
    EXPECT_TRUE(Emitted().empty()) << c.line;
  }
}

TEST_F(AsmErrorTest, SegmentOverrideNeedsItsClosingBracket) {
  UseCpu(Z);
  AddBiosSymbol("seg", MakeAddr24(0, 0x20));
  EXPECT_EQ(FatalOf("ld a,[seg x"), kMsgSegmentBracket);
  EXPECT_EQ(diagnostics.records.back().column, 11);
}

// Errors that let the compile go on: reported where the compile stands,
// the statement's bytes as the case says.
TEST_F(AsmErrorTest, ContinuingErrorsLeaveTheStatementAsItMustBe) {
  struct Case {
    AsmCpu cpu;
    const char *line;
    unsigned message;
    const char *bytes;
  };
  const Case cases[] = {
      {Z, "ld a,1<2", kMsgShiftExpected, "3E 04"},
      {Z, "ld a,8>2", kMsgShiftExpected, "3E 02"},
      {C, "lcall", kMsgLongCallAddress, ""},
      {C, "lcall 3,", kMsgLongCallAddress, ""},
      // The Corvid has no (hl+d) form for a byte register, nor for a stored
      // byte with an offset: nothing is emitted rather than a wrong access.
      {C, "ld a,(hl+2)", kMsgNoSuchInstruction, ""},
      {C, "ld (hl+2),b", kMsgNoSuchInstruction, ""},
      {C, "ld (hl+3),5", kMsgNoSuchInstruction, ""},
      {C, "altd ld (hl+3),5", kMsgNoSuchInstruction, "76"},
  };
  for (const Case &c : cases) {
    NextCase();
    UseCpu(c.cpu);
    EXPECT_EQ(FatalOf(c.line), 0u) << c.line;
    EXPECT_EQ(diagnostics.Messages(), std::vector<unsigned>{c.message}) << c.line;
    EXPECT_EQ(HexBytes(Emitted()), c.bytes) << c.line;
  }
}

TEST_F(AsmErrorTest, WarningsLetTheLineAssemble) {
  const InstalledTexts texts({{kMsgSlowIndexedForm, "%s: slower indexed form"}});
  struct Case {
    AsmCpu cpu;
    const char *line;
    unsigned message;
    int level; // 1 serious, 0 trivial
    const char *text;
    const char *bytes;
  };
  const Case cases[] = {
      {Z, "ld a,10L", kMsgDemotion, 0, "", "3E 0A"},
      {Z, "rl (ix+1)", kMsgSlowIndexedForm, 0, "rl (ix+d): slower indexed form", "DD CB 01 16"},
      {Z, "srl (iy-1)", kMsgSlowIndexedForm, 0, "srl (iy+d): slower indexed form", "FD CB FF 3E"},
      {C, "rlc (ix+0)", kMsgSlowIndexedForm, 0, "rlc (ix+d): slower indexed form", "DD CB 00 06"},
      {Z, "rrc (iy+2)", kMsgSlowIndexedForm, 0, "rrc (iy+d): slower indexed form", "FD CB 02 0E"},
      {Z, "rr (ix+2)", kMsgSlowIndexedForm, 0, "rr (ix+d): slower indexed form", "DD CB 02 1E"},
      {Z, "sla (ix+2)", kMsgSlowIndexedForm, 0, "sla (ix+d): slower indexed form", "DD CB 02 26"},
      {Z, "sra (iy+2)", kMsgSlowIndexedForm, 0, "sra (iy+d): slower indexed form", "FD CB 02 2E"},
      {Z, "bit 2,(iy+3)", kMsgSlowIndexedForm, 0, "bit b, (iy+d): slower indexed form", "FD CB 03 56"},
      {C, "res 7,(ix+3)", kMsgSlowIndexedForm, 0, "res b, (ix+d): slower indexed form", "DD CB 03 BE"},
      {Z, "set 0,(ix+3)", kMsgSlowIndexedForm, 0, "set b, (ix+d): slower indexed form", "DD CB 03 C6"},
      {C, "lcall 3,0E100h", kMsgLongCallIntoWindow, 1, "", "CF 00 E1 03"},
  };
  for (const Case &c : cases) {
    NextCase();
    UseCpu(c.cpu);
    EXPECT_EQ(FatalOf(c.line), 0u) << c.line;
    ASSERT_EQ(diagnostics.records.size(), 1u) << c.line;
    EXPECT_EQ(diagnostics.records[0].message, c.message) << c.line;
    EXPECT_EQ(diagnostics.records[0].kind, c.level) << c.line;
    EXPECT_EQ(diagnostics.records[0].text, c.text) << c.line;
    EXPECT_EQ(HexBytes(Emitted()), c.bytes) << c.line;
  }
}

TEST_F(AsmErrorTest, ALongCallBelowTheWindowIsSilent) {
  UseCpu(C);
  EXPECT_EQ(HexBytes(Assemble("lcall 3,0DFFFh")), "CF FF DF 03");
  EXPECT_TRUE(diagnostics.records.empty());
}

TEST_F(AsmErrorTest, ALabelOverASymbolThatAlreadyHoldsAnAddressIsASeriousWarning) {
  UseCpu(Z);
  SymbolRecord *symbol = AddSymbol("placed", 3, 2, 0, kKindGlobal);
  symbol->address = 0x1234;
  EXPECT_EQ(FatalOf("placed:: nop"), 0u);
  ASSERT_EQ(diagnostics.records.size(), 1u);
  EXPECT_EQ(diagnostics.records[0].message, kMsgLabelAlreadyPlaced);
  EXPECT_EQ(diagnostics.records[0].kind, 1);
}

TEST_F(AsmErrorTest, ALabelDefinedTwiceIsARedeclaration) {
  UseCpu(Z);
  EXPECT_EQ(FatalOf("twice:: nop"), 0u);
  EXPECT_EQ(FatalOf("twice:: nop"), 0u);
  EXPECT_EQ(diagnostics.Messages(), std::vector<unsigned>{kMsgRedeclared});
}

// Lines cut anywhere or filled with stray characters: each one assembles or
// ends with a numbered error, and none reads past its text.
TEST_F(AsmErrorTest, EveryPrefixOfALineEndsCleanly) {
  const char *lines[] = {
      "ld (ix+5),7",    "ld a,(iy-2)",       "ldp (buf),ix",      "lcall 3,0E000h", "ex af,af'",
      "ioi ld a,(hl)",  "db \"ab\\\"c\",1", "jp nz,x+2",         "out0 (20h),l",   "bit 3,(ix+1)",
      "ld hl',bc",      "ld a,[seg]x",       "ld hl,(sp+2) $ nop", "l1:: equ 5",     "rr ix",
  };
  for (AsmCpu cpu : {Z, C}) {
    for (const char *line : lines) {
      const std::string text = line;
      for (size_t n = 0; n <= text.size(); ++n) {
        NextCase();
        UseCpu(cpu);
        const std::string cut = text.substr(0, n);
        try {
          AssembleAll(cut);
        } catch (const xCCErrOvflo &) {
          EXPECT_FALSE(diagnostics.records.empty()) << cut;
        }
        ResetFixupTables(kResetLocal);
      }
    }
  }
}

} // namespace
} // namespace tsw::testing
