#include "compcore/board_over_link.h"

#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "debugger/break_step_session.h"
#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_ui.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/products/compiler_products.h"
#include "foundation/memorymap.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// The debugger engine as the product assembles it: the real link, the
// compiler's products, and the compiler's board calling the engine's
// kernel access. Behind the in-process kernel the scripted CPU works on the
// kernel's memory, which also holds the BIOS's symbol table.
class ProductDebugger : public BoardOverLink {
protected:
  static constexpr uint16_t kSymbolTable = 0x1000;

  void SetUp() override {
    BoardOverLink::SetUp();
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.directiveShell = &directives;
    boundaries.linkShell = &host;
    boundaries.boardOverLink = true;
    boundaries.kernel = {[] { TargetConnect(); }, [](uint8_t value) { PulseKernelFlag(value); }};
    AssembleCompiler(boundaries);
    kernel.onWrite = [this](uint32_t physical, unsigned count) {
      if (physical == DebugFakeBoard::PulseVariable())
        pulses.push_back(kernel.memory[physical]);
      cpu.KernelSeesWrite(physical, uint16_t(count));
    };
    kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
    ResetDebugEngine();
    SetDebugSeams(&link, &products, &ui);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    BoardOverLink::TearDown();
  }

  // The BIOS's symbol table where the directory names it.
  void PlaceSymbolTable(const std::vector<std::pair<std::string, uint32_t>> &symbols) {
    kernel.Poke(kSymbolTable, BoardSymbolTable(symbols));
    cpu.PokeWord(DebugFakeBoard::kDirectory + 0x11, kSymbolTable);
    // The layout byte: the extended-memory window from 0xE000, root data
    // from the second page.
    cpu.Poke(DebugFakeBoard::kDirectory + 0x2C, {0xE2});
  }

  TargetDebugLink link;
  CompilerProducts products;
  DebugFakeUi ui;
  DebugFakeBoard cpu{&kernel.memory};
};

TEST_F(ProductDebugger, TheConnectReadsTheBoardsBiosSymbolsThroughTheLink) {
  // ".exit" is kept indirectly: its value names the word that holds it.
  PlaceSymbolTable({{"ticks", 0x1234}, {"..bp_init", DebugFakeBoard::kBpInit}, {".exit", 0x3E00}});
  cpu.PokeWord(0x3E01, 0x4010);
  SetCompileStage(5);
  Open();
  TargetConnect();
  EXPECT_EQ(products.StartupLabel("..bp_init"), DebugFakeBoard::kBpInit);
  EXPECT_EQ(products.StartupLabel(".exit"), 0x4010);
  ASSERT_NE(products.FindBiosSymbolByValue(MakeAddr24(0, 0x1234)), nullptr);
  EXPECT_STREQ(products.FindBiosSymbolByValue(MakeAddr24(0, 0x1234)), "ticks");
  // A low table is read with the kernel's debug block opened and closed.
  EXPECT_EQ(pulses, (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(products.GetCompileStage(), 5);
}

TEST_F(ProductDebugger, AMalformedTableFailsTheConnectAndKeepsTheCompileStage) {
  kernel.Poke(kSymbolTable, {0x30, 0x75}); // 30000 bytes: longer than any table
  cpu.PokeWord(DebugFakeBoard::kDirectory + 0x11, kSymbolTable);
  SetCompileStage(5);
  Open();
  try {
    TargetConnect();
    ADD_FAILURE() << "connected";
  } catch (const xTCErr &e) {
    EXPECT_EQ(e.Message(), 5035u);
  }
  EXPECT_EQ(products.GetCompileStage(), 5);
  EXPECT_EQ(pulses, (std::vector<uint8_t>{1, 2}));
}

TEST_F(ProductDebugger, StatementsAndFunctionsOfTheCompileAnswerBothWays) {
  struct Statement {
    uint16_t address;
    uint16_t line;
    uint16_t column;
  };
  const Statement statements[] = {{0x4100, 3, 5}, {0x4108, 4, 9}, {0x4120, 7, 1}};
  StartStatementPositions("/work/main.c", 3, 5, MakeAddr24(0, 0x4100));
  for (const Statement &s : statements)
    RecordStatementPosition("/work/main.c", s.line, s.column, MakeAddr24(0, s.address));
  FlushStatementPosition(8, 1, MakeAddr24(0, 0x4130));
  CommitStatementPositions();
  for (const Statement &s : statements) {
    SCOPED_TRACE(s.line);
    std::optional<SourceLocation> where = products.FindSourceForAddress(MakeAddr24(0, s.address));
    ASSERT_TRUE(where);
    EXPECT_EQ(where->file, "/work/main.c");
    EXPECT_EQ(where->line, s.line);
    EXPECT_EQ(where->column, s.column);
    EXPECT_EQ(Addr24Logical(products.FindAddressForSource("/work/main.c", s.line, s.column)), s.address);
  }
  EXPECT_FALSE(products.FindSourceForAddress(MakeAddr24(0, 0x3000)));

  AddCompiledFunction(0, 0, MakeAddr24(0, 0x4100), MakeAddr24(0, 0x4100), MakeAddr24(0, 0x411F), nullptr, "main");
  AddCompiledFunction(0, 0, MakeAddr24(0, 0x4120), MakeAddr24(0, 0x4120), MakeAddr24(0, 0x412F), nullptr, "_switch");
  const std::vector<ADDR24> starts = products.FunctionAddresses();
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(Addr24Logical(starts[0]), 0x4100);
  EXPECT_EQ(Addr24Logical(starts[1]), 0x4120);
  EXPECT_EQ(products.FindRuntimeRoutine("_switch"), std::optional<uint16_t>(0x4120));
  EXPECT_EQ(products.FindRuntimeRoutine("_none"), std::nullopt);
}

TEST_F(ProductDebugger, TheDecoderSeesTheProgramsGlobalsInEntryOrder) {
  Compile("int counter;\nint limit;\n");
  SymbolRecord *counter = LookupSymbol("counter", false, SymbolTableId::kGlobal);
  SymbolRecord *limit = LookupSymbol("limit", false, SymbolTableId::kGlobal);
  ASSERT_TRUE(counter && limit);
  counter->address = Addr24ToLong(MakeAddr24(0, 0x8100));
  limit->definition = 7;
  std::vector<std::string> seen;
  products.ForEachSymbol([&](const SymbolView &symbol) {
    seen.push_back(symbol.name);
    if (seen.back() == "counter") {
      EXPECT_EQ(Addr24Logical(symbol.address), 0x8100);
    }
    if (seen.back() == "limit") {
      EXPECT_EQ(symbol.value, 7);
    }
    return false;
  });
  const auto counterAt = std::find(seen.begin(), seen.end(), "counter");
  ASSERT_NE(counterAt, seen.end());
  EXPECT_EQ(counterAt + 1, std::find(seen.begin(), seen.end(), "limit"));

  // A visit that answers true ends the walk.
  unsigned visits = 0;
  products.ForEachSymbol([&](const SymbolView &) { return ++visits == 1; });
  EXPECT_EQ(visits, 1u);
}

TEST_F(ProductDebugger, TheProgramStartsWhereTheMemoryMapPutsIt) {
  InitMemoryMapDefaults(0x3E80);
  ComputeMemoryMap(0xDFFF);
  // The BIOS ends just below the code start, which the link's run request
  // and the engine's reset share.
  EXPECT_EQ(products.CodeStart(), MemoryMap().RootCodeOrigin);
  EXPECT_EQ(products.CodeStart(), Host().ProgramCodeStart());
  EXPECT_EQ(products.StackTop(), 0xDFFF);
}

TEST_F(ProductDebugger, TheProcessorIsTheCompilesOwn) {
  struct Case {
    const char *program;
    TargetCpu cpu;
  };
  const Case cases[] = {{"int a;\n", TargetCpu::Z180}, {"#pragma Corvid\nint a;\n", TargetCpu::Corvid}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    Compile(c.program);
    EXPECT_EQ(products.Cpu(), c.cpu);
  }
}

// The whole product headless: the compiler's statement table and memory
// map, the BIOS symbols read from the board at connect, the engine and the
// real serial link.
TEST_F(ProductDebugger, BreakStepAndLeaveTheCodeAsLoaded) {
  PlaceSymbolTable({{"..bp_init", DebugFakeBoard::kBpInit}});
  // The program's code starts at 0x4000, its stack below 0xD000.
  InitMemoryMapDefaults(0x3F00);
  ComputeMemoryMap(0xD000);
  ASSERT_EQ(products.CodeStart(), 0x4000);
  Open();
  // The compile records each statement as its code starts; the last one
  // ends with the function.
  size_t recorded = 0;
  RunBreakStepSession(
      cpu,
      [&](ADDR24 address, const std::string &file, uint16_t line, uint8_t column) {
        if (recorded++ == 0)
          StartStatementPositions(file, line, column, address);
        RecordStatementPosition(file, line, column, address);
        if (recorded == 4) {
          FlushStatementPosition(line, 20, Addr24Add(address, 3));
          CommitStatementPositions();
        }
      },
      ui);
  EXPECT_EQ(products.StartupLabel("..bp_init"), DebugFakeBoard::kBpInit);
  EXPECT_GT(kernel.writeFrames, 0u);
}

} // namespace
} // namespace tsw::testing
