#include "compcore/cc_gen/startup_stub.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/link/linkhost.h"
#include "compcore/program_compile_fixture.h"
#include "debugger/disasm.h"
#include "fakes/fake_host.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// An extended-memory function called from root code: where the function is
// entered, the stamp and where the image file starts all follow the
// settings (a zero-padded image puts each byte at its physical address).
constexpr const char *kProgram = "#pragma Corvid\n#rcodorg rc 0 0x1100 0x0F00 apply\n"
                                 "#rvarorg rv 0 0x3fff 0x1000 apply\n#memmap root\n"
                                 "#xcodorg xc 0x10 0xE000 0x1000 apply\n#nodebug\n"
                                 "xmem int f(void) { return 1; }\n"
                                 "int g(void) { return f(); }\n";

class ShellSettingsCompile : public ProgramCompileTest {
protected:
  void SetUp() override {
    defaultHeader = kDeclaresNothing;
    ProgramCompileTest::SetUp();
  }
  void Assemble() { ProgramCompileTest::Assemble({.linkShell = &host}); }
  uint16_t Compile() { return ProgramCompileTest::Compile(kProgram); }
  // The IDE's settings as its link host answers them.
  RecordingHost host;
};

// Each compile reads the settings the IDE holds at that moment, so a
// change in the options dialog takes effect with the next compile.
TEST_F(ShellSettingsCompile, EachCompileFollowsTheIdesSettings) {
  Assemble();
  struct Case {
    bool noBouncers, includeTimeStamp, zeroPadBin;
    uint32_t fAddress;    // the bouncer's in root code, or the body's
    std::string rootCode; // from 0x1100
    bool stamped;
    size_t imageOffsetOfRootCode; // where root code stands in PROG.bin
  };
  const Case cases[] = {
      {true, true, false, Addr24ToLong(MakeAddr24(0x10, 0xE000)), "CF 00 E0 10 C9", true, 0},
      // With bouncers g calls past f's bouncer to its body, leaving room
      // for the return address the bouncer's call would have pushed.
      {false, false, true, Addr24ToLong(MakeAddr24(0, 0x1100)), "CF 00 E0 10 C9 27 FE CF 00 E0 10 27 02", false,
       0x1100},
      {true, false, false, Addr24ToLong(MakeAddr24(0x10, 0xE000)), "CF 00 E0 10 C9", false, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::Message() << c.noBouncers << c.includeTimeStamp << c.zeroPadBin);
    host.noBouncers = c.noBouncers;
    host.includeTimeStamp = c.includeTimeStamp;
    host.zeroPadBin = c.zeroPadBin;
    ClearErrorList();
    ASSERT_EQ(Compile(), 0) << ::testing::PrintToString(Records());
    const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->address, c.fAddress);
    std::vector<uint8_t> root(c.rootCode.size() / 3 + 1);
    ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, 0x1100), uint32_t(root.size()), root.data()));
    EXPECT_EQ(HexBytes(root), c.rootCode);
    EXPECT_EQ(LastCompileInformation().timeStamp != kNoTimeStamp, c.stamped);
    const std::string image = dir.Read("PROG.bin");
    ASSERT_GT(image.size(), c.imageOffsetOfRootCode);
    EXPECT_EQ(HexBytes(std::vector<uint8_t>(image.begin() + long(c.imageOffsetOfRootCode),
                                            image.begin() + long(c.imageOffsetOfRootCode + root.size()))),
              c.rootCode);
  }
}

std::string Decoded(const std::vector<uint8_t> &bytes) {
  uint16_t length = 0;
  std::string text;
  DisassembleOne(MakeAddr24(0, 0x1000), bytes.data(), bytes.size(), &length, &text);
  return text;
}

// A compile that changes the processor changes the tables the disassembly
// pane and the stepper decode with, in the order the assembler's come
// first: a Corvid program's long jump reads as one, and a Z180 program
// compiled after it reads 0xC7 as the restart it is there.
TEST_F(ShellSettingsCompile, TheDebuggersTablesFollowTheCompiledProcessor) {
  CompiledProcessorEnvironment processor;
  std::vector<std::string> selected;
  ProgramCompileTest::Assemble({.selectDisassemblerTables =
                                    [&] {
                                      selected.push_back(CurrentCpu() == TargetCpu::Corvid ? "decoder Corvid"
                                                                                           : "decoder Z180");
                                      SelectDisassemblerTables();
                                    },
                                .selectStepperTables = [&] { selected.push_back("stepper"); }});
  const std::vector<uint8_t> longJump = {0xC7, 0x00, 0xE0, 0x10};
  struct Case {
    const char *program;
    std::vector<std::string> selected;
    std::string decoded;
  };
  const Case cases[] = {
      {kProgram, {"decoder Z180", "stepper", "decoder Corvid", "stepper"}, "ljp   10E000"},
      {"int g;\n", {"decoder Z180", "stepper"}, "rst   00h"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    selected.clear();
    ClearErrorList();
    shell.compilePath = dir.Write("PROG.C", c.program);
    ASSERT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(Decoded(longJump), c.decoded);
  }
}

// With bouncers on the Corvid, C calls an extended-memory function past its
// bouncer, straight to the body the address directory holds for it, and
// keeps the bouncer's frame; an assembly block calls the address it names,
// the bouncer, unless it asks for a long call.
TEST_F(ShellSettingsCompile, CCallsReachTheBodyAndAssemblyCallsTheBouncer) {
  Assemble();
  host.noBouncers = false;
  shell.compilePath = dir.Write("PROG.C", std::string(kProgram) + "#asm\nh::\n  call f\n  lcall f\n  ret\n#endasm\n");
  ASSERT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
  const SymbolRecord *g = LookupSymbol("g", false, SymbolTableId::kGlobal);
  ASSERT_NE(g, nullptr);
  const uint16_t gAt = Addr24FromLong(g->address).logical;
  std::vector<uint8_t> call(8);
  ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, gAt), uint32_t(call.size()), call.data()));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, call, {"add   sp,FE", "lcall 10E000", "add   sp,02"}, {}, gAt));
  const uint16_t hAt = uint16_t(gAt + call.size() + 1);
  std::vector<uint8_t> block(8);
  ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, hAt), uint32_t(block.size()), block.data()));
  // f's bouncer stands first in root code, at 1100.
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, block, {"call  1100", "lcall 10E000", "ret"}, {}, hAt));
}

} // namespace
} // namespace tsw::testing
