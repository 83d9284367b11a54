#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/compiler_fixture.h"
#include "compcore/decode_check.h"
#include "compcore/product_shell.h"
#include "compcore/statement_compile_fixture.h"
#include "debugger/stepper.h"
#include "support/tempdir.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// Loops compiled without debug code, so that each test stands behind its
// body, and read back from the image as the decoder lists them.
class HlReloadCompile : public CompilerFixture {
protected:
  void Assemble(bool withDecoder) {
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    // The decoder takes its lengths from the stepper's tables.
    boundaries.selectDisassemblerTables = [] { SelectDisassemblerTables(); };
    boundaries.selectStepperTables = [] { SelectStepperTables(); };
    if (withDecoder)
      boundaries.decodeInstruction = DecodeEmittedInstruction;
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  // The listing of `f`, compiled alone behind the globals it uses; the
  // globals' addresses written as the decoder shows them, "(i)" for i.
  std::vector<std::string> CompileLoop(const std::string &body) {
    shell.compilePath = dir.Write("PROG.C", std::string(kCorvidRootProgram) +
                                                "#nodebug\nint i, n, s, c;\nvoid f(void) {\n" + body + "\n}\n");
    EXPECT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
    const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
    if (!f)
      return {};
    const ADDR24 start = Addr24FromLong(f->address);
    std::vector<uint8_t> code(Caches().rootCode->Current().logical - start.logical);
    EXPECT_TRUE(ReadEmittedBytes(start, uint32_t(code.size()), code.data()));
    std::vector<std::string> lines = DecodeAll(TargetCpu::Corvid, code, start.logical);
    for (const char *name : {"i", "n", "s", "c"}) {
      const SymbolRecord *global = LookupSymbol(name, false, SymbolTableId::kGlobal);
      const std::string address = fmt::format("({:04X})", Addr24FromLong(global->address).logical);
      for (std::string &line : lines)
        if (const size_t at = line.find(address); at != std::string::npos)
          line.replace(at, address.size(), std::string("(") + name + ")");
    }
    return lines;
  }
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
  CompiledProcessorEnvironment processor;
};

// How often HL is loaded from `word` right behind a store of HL to it.
size_t ReloadsAfterStores(const std::vector<std::string> &lines, const std::string &word) {
  size_t reloads = 0;
  for (size_t k = 0; k + 1 < lines.size(); ++k)
    reloads += lines[k] == "ld    " + word + ",hl" && lines[k + 1] == "ld    hl," + word;
  return reloads;
}

// A for loop's test behind the body reads the variable its increment has
// just stored from HL, which still holds it: the load is left out, unless
// another path can reach the test with something else in HL or the word
// may have changed meanwhile.
TEST_F(HlReloadCompile, TheTestBehindTheBodyUsesWhatTheIncrementLeftInHl) {
  struct Case {
    const char *what;
    bool decoder;
    const char *body;
    const char *word; // as the decoder shows it
    size_t stores;    // of HL to it
    // The entry test ahead of the body always loads the word again.
    size_t reloads;
  };
  const Case cases[] = {
      {"the increment's store", true, "for (i = 0; i < 10; i++) s = s + i;", "(i)", 2, 1},
      {"a local on the stack", true, "int k; for (k = 0; k < 10; k++) s = s + k;", "(sp+0)", 2, 1},
      {"without the debugger's decoder", false, "for (i = 0; i < 10; i++) s = s + i;", "(i)", 2, 2},
      {"another word stored last", true, "for (i = 0; i < 10; i++, s = i) c = 1;", "(i)", 2, 1},
      {"a continue joining the test", true, "for (i = 0; i < 10;) { if (c) continue; i = i + 1; }", "(i)", 2, 2},
      // The store of i ends the second branch; the first joins behind it
      // with 2 in HL.
      {"a join inside the increment", true, "for (i = 0; i < 10; c ? (s = 2) : (i = i + 1)) s = 1;", "(i)", 2, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    Assemble(c.decoder);
    const std::vector<std::string> lines = CompileLoop(c.body);
    EXPECT_EQ(size_t(std::count(lines.begin(), lines.end(), std::string("ld    ") + c.word + ",hl")), c.stores)
        << ::testing::PrintToString(lines);
    EXPECT_EQ(ReloadsAfterStores(lines, c.word), c.reloads) << ::testing::PrintToString(lines);
  }
}

} // namespace
} // namespace tsw::testing
