#include "compcore/asm_fixture.h"

#include "compcore/cc_in/cc_pragma.h"

// What a line of an #asm block does beyond its instruction: the statement
// separator, the case of names, the NOP that an I/O-prefixed access needs
// before the next access through (hl), the run-time copies, and C lines.
namespace tsw::testing {
namespace {

using assembler::AsmCpu;
using assembler::AssembleLine;

class AsmLineTest : public AsmCodeTest {};

TEST_F(AsmLineTest, DollarSeparatesStatementsOfOneLine) {
  UseCpu(AsmCpu::kZ180);
  const std::string line = "ld a,1 $ inc a $ ret";
  size_t position = 0;
  EXPECT_EQ(AssembleLine(line, position, false), 1);
  EXPECT_EQ(line.substr(position), " inc a $ ret");
  EXPECT_EQ(AssembleLine(line, position, false), 1);
  EXPECT_EQ(AssembleLine(line, position, false), 0);
  EXPECT_EQ(HexBytes(Emitted()), "3E 01 3C C9");
  // A "$" with nothing after it ends the line.
  position = 0;
  EXPECT_EQ(AssembleLine("nop $", position, false), 0);
  EXPECT_EQ(HexBytes(Emitted()), "00");
}

TEST_F(AsmLineTest, MnemonicsTakeAnyCaseButRegistersOnlyOne) {
  struct Case {
    const char *line;
    unsigned fatal;
    const char *bytes;
  };
  const Case cases[] = {
      {"LD A,1", 0, "3E 01"},
      {"Ld hl,1", 0, "21 01 00"},
      {"ld HL,1", 0, "21 01 00"},
      {"ld Hl,1", kMsgRegisterExpected, ""},
      {"push Bc", kMsgRegisterExpected, ""},
  };
  UseCpu(AsmCpu::kZ180);
  for (const Case &c : cases) {
    NextCase();
    EXPECT_EQ(FatalOf(c.line), c.fatal) << c.line;
    EXPECT_EQ(HexBytes(Emitted()), c.bytes) << c.line;
  }
}

TEST_F(AsmLineTest, AnAccessThroughHlRightAfterAnIoPrefixedOneGetsANopFirst) {
  struct Case {
    std::vector<std::string> lines;
    const char *bytes;
  };
  const Case cases[] = {
      {{"ioi ld a,(hl)", "ld (hl),a"}, "D3 7E 00 77"},
      {{"ioi ld a,(hl)", "ld b,(hl)"}, "D3 7E 00 46"},
      {{"ioe ld (ix+1),a", "inc (hl)"}, "DB DD 77 01 00 34"},
      {{"ioi ld a,(hl)", "add a,(hl)"}, "D3 7E 00 86"},
      // Only the first instruction after the prefixed one is looked at.
      {{"ioi ld a,(hl)", "ld b,c", "ld (hl),a"}, "D3 7E 41 77"},
      {{"ioi ld a,(hl)", "ld (hl),a", "ld (hl),a"}, "D3 7E 00 77 77"},
      {{"ld a,(hl)", "ld (hl),a"}, "7E 77"},
  };
  UseCpu(AsmCpu::kCorvid);
  for (const Case &c : cases) {
    NextCase();
    for (const std::string &line : c.lines)
      AssembleAll(line);
    EXPECT_EQ(HexBytes(Emitted()), c.bytes) << c.lines[0] << " / " << c.lines[1];
    EXPECT_TRUE(diagnostics.records.empty());
  }
}

TEST_F(AsmLineTest, ANewCompileOwesNoNopToTheLastOne) {
  UseCpu(AsmCpu::kCorvid);
  AssembleAll("ioi ld a,(hl)");
  Emitted();
  ResetByteRoadForCompile(false);
  AssembleAll("ld (hl),a");
  EXPECT_EQ(HexBytes(Emitted()), "77");
}

TEST_F(AsmLineTest, RepeatedCopiesCallTheRunTimeRoutineWhenDataWaitStatesAreUsed) {
  UseCpu(AsmCpu::kCorvid);
  Line(" DATAWAITSUSED on");
  PragmaDirective();
  ASSERT_TRUE(DataWaitsUsed());
  AssembleAll("ldir");
  AssembleAll("lddr");
  AssembleAll("ldi");
  EXPECT_EQ(upcalls->events, (std::vector<std::string>{"call ldir_func", "call lddr_func"}));
  EXPECT_EQ(HexBytes(Emitted()), "CD 00 00 CD 00 00 ED A0");
  // An I/O-prefixed copy runs as the instruction itself.
  AssembleAll("ioi ldir");
  EXPECT_EQ(HexBytes(Emitted()), "D3 ED B0");
  Line(" DATAWAITSUSED off");
  PragmaDirective();
  AssembleAll("ldir");
  EXPECT_EQ(HexBytes(Emitted()), "ED B0");
}

class RecordingHost : public assembler::AsmHost {
public:
  RecordingHost() { assembler::SetAsmHost(this); }
  ~RecordingHost() override { assembler::SetAsmHost(nullptr); }
  void CompileCStatement(std::string_view text) override {
    statements.emplace_back(text);
    modes.push_back(SourceLanguageMode);
  }
  void EnterMapFunction(std::string_view name) override { functions.emplace_back(name); }
  std::vector<std::string> statements, functions;
  std::vector<uint16_t> modes;
};

TEST_F(AsmLineTest, ALineBeginningWithCIsOneCStatement) {
  RecordingHost host;
  UseCpu(AsmCpu::kZ180);
  for (const char *line : {"c x = y + 1;", "  C f(a $ b);"}) {
    size_t position = 0;
    EXPECT_EQ(AssembleLine(line, position, false), 0) << line;
    EXPECT_EQ(position, std::string_view(line).size()) << line;
  }
  EXPECT_EQ(host.statements, (std::vector<std::string>{" x = y + 1;", " f(a $ b);"}));
  EXPECT_EQ(host.modes, (std::vector<uint16_t>{kLangCInAsm, kLangCInAsm}));
  EXPECT_EQ(SourceLanguageMode, kLangAsm);
  // "c" as an operand is the register.
  AssembleAll("ld c,c");
  EXPECT_EQ(HexBytes(Emitted()), "49");
}

TEST_F(AsmLineTest, ACLineWithoutAStatementCompilerFailsLoudly) {
  UseCpu(AsmCpu::kZ180);
  size_t position = 0;
  EXPECT_THROW(AssembleLine("c x = 1;", position, false), xInternal);
  EXPECT_EQ(SourceLanguageMode, kLangAsm);
}

TEST_F(AsmLineTest, GlobalLabelsOpenMapFunctionsAndEquDoesNot) {
  RecordingHost host;
  UseCpu(AsmCpu::kZ180);
  AssembleAll("first:: nop");
  AssembleAll("local: nop");
  AssembleAll("value:: equ 5");
  AssembleAll("second::");
  EXPECT_EQ(host.functions, (std::vector<std::string>{"first", "second"}));
}

TEST_F(AsmLineTest, AStatementLongerThanItsBufferIsAFatalError) {
  UseCpu(AsmCpu::kZ180);
  const std::string line = "db \"" + std::string(130, 'x') + "\"";
  EXPECT_THROW(AssembleAll(line), xCCErrOvflo);
  ASSERT_EQ(diagnostics.records.size(), 1u);
  EXPECT_EQ(diagnostics.records[0].text, "asm statement longer than 128 bytes: split it");
  EXPECT_TRUE(Emitted().empty());
  NextCase();
  EXPECT_EQ(FatalOf("db \"" + std::string(128, 'x') + "\""), 0u);
  EXPECT_EQ(Emitted().size(), 128u);
}

} // namespace
} // namespace tsw::testing
