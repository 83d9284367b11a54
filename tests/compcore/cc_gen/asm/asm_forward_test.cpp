#include "compcore/asm_fixture.h"

#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"

#include <array>

// Names used before their line: each operand field is patched when the name
// is placed, and the patched code decodes as the instruction meant.
namespace tsw::testing {
namespace {

using assembler::AsmCpu;

constexpr uint16_t kStart = 0x2000;

// The jump emitters' re-emission of a jump whose target became known.
class JumpRecorder : public CodeGenCollaborators {
public:
  JumpRecorder() { SetCodeGenCollaborators(this); }
  ~JumpRecorder() override { SetCodeGenCollaborators(nullptr); }
  void EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t) override {
    calls.push_back({opcode, patch.logical, target.logical});
  }
  std::vector<std::array<uint16_t, 3>> calls;
};

class AsmForwardTest : public AsmCodeTest {
protected:
  std::vector<uint8_t> AssembleLines(AsmCpu cpu, const std::vector<std::string> &lines) {
    UseCpu(cpu);
    StartAt(kStart);
    for (const std::string &line : lines)
      AssembleAll(line);
    // The end of the item: references still open in its own table look
    // for the global labels.
    ResetFixupTables(kResetLocal);
    return Emitted();
  }
};

TEST_F(AsmForwardTest, FieldsArePatchedWhenTheNameIsPlaced) {
  struct Case {
    AsmCpu cpu;
    std::vector<std::string> lines;
    const char *bytes;
    std::vector<std::string> decoded;
  };
  const Case cases[] = {
      {AsmCpu::kZ180, {"jr fwd1", "nop", "fwd1: nop"}, "18 01 00 00", {"jr    2003", "nop", "nop"}},
      {AsmCpu::kZ180, {"jr z,fwd2", "fwd2: nop"}, "28 00 00", {"jr    z,2002", "nop"}},
      {AsmCpu::kZ180, {"djnz fwd3", "fwd3: halt"}, "10 00 76", {"djnz  2002", "halt"}},
      {AsmCpu::kZ180, {"ld hl,fwd4+1", "fwd4: nop"}, "21 04 20 00", {"ld    hl,2004", "nop"}},
      // The stored byte's field is the fourth of the instruction.
      {AsmCpu::kZ180, {"ld (ix+5),k1", "k1: equ 7"}, "DD 36 05 07", {"ld    (ix+5),07"}},
      {AsmCpu::kZ180, {"ld a,k2", "k2: equ 42h"}, "3E 42", {"ld    a,42"}},
      {AsmCpu::kZ180, {"db 1,low1,2", "low1: equ 0AAh"}, "01 AA 02", {"db 01", "db AA", "db 02"}},
      {AsmCpu::kZ180, {"dw word1,0", "word1: equ 1234h"}, "34 12 00 00", {"db 34", "db 12", "db 00", "db 00"}},
      {AsmCpu::kZ180, {"ld hl,glob1", "glob1:: nop"}, "21 03 20 00", {"ld    hl,2003", "nop"}},
      {AsmCpu::kZ180, {"ld bc,loc1", "loc1: nop"}, "01 03 20 00", {"ld    bc,2003", "nop"}},
      {AsmCpu::kCorvid, {"ldp (buf1),ix", "buf1: equ 0C000h"}, "DD 65 00 C0", {"ldp   (C000),ix"}},
      {AsmCpu::kCorvid,
       {"ld hl,(sp+2) $ jr fwd5", "fwd5: nop"},
       "C4 02 18 00 00",
       {"ld    hl,(sp+2)", "jr    2004", "nop"}},
  };
  for (const Case &c : cases) {
    NextCase();
    const std::vector<uint8_t> bytes = AssembleLines(c.cpu, c.lines);
    EXPECT_EQ(HexBytes(bytes), c.bytes) << c.lines[0];
    EXPECT_TRUE(diagnostics.records.empty()) << c.lines[0] << ": message " << diagnostics.records[0].message;
    std::vector<DataSpan> data;
    if (c.decoded[0].rfind("db", 0) == 0)
      data.push_back({0, bytes.size()});
    EXPECT_TRUE(DecodesAs(DecoderCpu(c.cpu), bytes, c.decoded, data, kStart)) << c.lines[0];
  }
}

// A jump or call to a name placed later is emitted again by the jump
// emitters once the target is known: the reference carries its opcode and
// the operand's address.
TEST_F(AsmForwardTest, JumpsAndCallsReachTheJumpEmittersWithTheirOpcode) {
  struct Case {
    AsmCpu cpu;
    std::vector<std::string> lines;
    std::array<uint16_t, 3> call; // opcode, operand, target
  };
  const Case cases[] = {
      {AsmCpu::kZ180, {"jp j1", "j1: nop"}, {0xC3, kStart + 1, kStart + 3}},
      {AsmCpu::kZ180, {"jp nc,j2", "j2: nop"}, {0xD2, kStart + 1, kStart + 3}},
      {AsmCpu::kZ180, {"call c1", "c1: nop"}, {0xCD, kStart + 1, kStart + 3}},
      {AsmCpu::kZ180, {"call po,c2", "c2: nop"}, {0xE4, kStart + 1, kStart + 3}},
      {AsmCpu::kCorvid, {"ljp j3", "j3: nop"}, {0xC7, kStart + 1, kStart + 4}},
      {AsmCpu::kCorvid, {"lcall 5,c3", "c3:: nop"}, {0xCF, kStart + 1, kStart + 4}},
      {AsmCpu::kCorvid, {"ljp 5,j4", "j4:: nop"}, {0xC7, kStart + 1, kStart + 4}},
      {AsmCpu::kCorvid, {"lcall c4", "c4:: nop"}, {0xCF, kStart + 1, kStart + 4}},
  };
  for (const Case &c : cases) {
    NextCase();
    JumpRecorder recorder;
    AssembleLines(c.cpu, c.lines);
    EXPECT_EQ(recorder.calls, (std::vector<std::array<uint16_t, 3>>{c.call})) << c.lines[0];
    EXPECT_TRUE(diagnostics.records.empty()) << c.lines[0];
  }
}

// The same through the product's own jump emitters: the operand is
// patched once the label is placed in root code.
TEST_F(AsmForwardTest, ForwardJumpsAndCallsArePatchedInRootCode) {
  struct Case {
    AsmCpu cpu;
    std::vector<std::string> lines;
    const char *bytes;
    std::vector<std::string> decoded;
  };
  const Case cases[] = {
      {AsmCpu::kZ180, {"jp f1", "nop", "f1: halt"}, "C3 04 20 00 76", {"jp    2004", "nop", "halt"}},
      {AsmCpu::kZ180, {"call z,f2", "f2: ret"}, "CC 03 20 C9", {"call  z,2003", "ret"}},
      // A forward call on the Corvid keeps a byte for the page it needs if
      // the label lands in a bank; in root code that byte stays a nop.
      {AsmCpu::kCorvid, {"call f3", "f3: ret"}, "CD 04 20 00 C9", {"call  2004", "nop", "ret"}},
      {AsmCpu::kCorvid, {"jp c,f4", "f4:: ret"}, "DA 03 20 C9", {"jp    c,2003", "ret"}},
      {AsmCpu::kCorvid, {"ljp f5", "f5: ret"}, "C7 04 20 00 C9", {"ljp   002004", "ret"}},
  };
  for (const Case &c : cases) {
    NextCase();
    const std::vector<uint8_t> bytes = AssembleLines(c.cpu, c.lines);
    EXPECT_EQ(HexBytes(bytes), c.bytes) << c.lines[0];
    EXPECT_TRUE(DecodesAs(DecoderCpu(c.cpu), bytes, c.decoded, {}, kStart)) << c.lines[0];
    EXPECT_TRUE(diagnostics.records.empty()) << c.lines[0];
  }
}

TEST_F(AsmForwardTest, ANameDefinedNowhereIsReportedAtTheEndOfTheProgram) {
  AssembleLines(AsmCpu::kZ180, {"ld hl,nowhere"});
  EXPECT_THROW(ResetFixupTables(kResetLocal | kResetGlobal), xCCErrOvflo);
  EXPECT_EQ(diagnostics.Messages(), std::vector<unsigned>{kMsgUnresolvedGlobal});
}

TEST_F(AsmForwardTest, AGlobalLabelIsASymbolCCodeCanName) {
  AssembleLines(AsmCpu::kZ180, {"nop", "entry:: ret"});
  const SymbolRecord *symbol = LookupSymbol("entry", false, SymbolTableId::kGlobal);
  ASSERT_NE(symbol, nullptr);
  EXPECT_EQ(symbol->address, Addr24ToLong(MakeAddr24(0, kStart + 1)));
  EXPECT_NE(symbol->definition, 0);
  ASSERT_NE(FindGlobalLabel("entry"), nullptr);
  EXPECT_TRUE(FindGlobalLabel("entry")->defined);
  // A local label stays in the function's own table.
  AssembleLines(AsmCpu::kZ180, {"inner: nop"});
  EXPECT_EQ(LookupSymbol("inner", false, SymbolTableId::kGlobal), nullptr);
  EXPECT_NE(LookupSymbol("inner", false, SymbolTableId::kLocal), nullptr);
}

} // namespace
} // namespace tsw::testing
