#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_session.h"
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/link/biosimage.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tc/flashvalues.h"
#include "foundation/crc16.h"
#include "foundation/restext.h"
#include "compcore/compiler_fixture.h"
#include "link/serial_fixture.h"
#include "compcore/product_shell.h"
#include "compcore/board_over_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {


TEST_F(BoardOverLink, TargetMacrosAreWhatTheKernelAnswers) {
  struct Case {
    const char *name;
    uint16_t flashId;
    uint8_t ramSize;
    uint16_t boardType;
    uint32_t baud;
    std::vector<std::pair<const char *, const char *>> macros;
  };
  const Case cases[] = {
      {"64-page flash, 256 KiB RAM",
       0xBFB6,
       0x20,
       0x1234,
       115200,
       {{"_FLASH_SIZE_", "64"}, {"_RAM_SIZE_", "256"}, {"_BOARD_TYPE_", "4660"}, {"_USE115KBAUD_", "1"},
        {"_SECTOR_SIZE_", "4096"}}},
      {"small sectors, slower line",
       0x1F25,
       0x04,
       0x0200,
       57600,
       {{"_FLASH_SIZE_", "16"}, {"_RAM_SIZE_", "32"}, {"_BOARD_TYPE_", "512"}, {"_USE115KBAUD_", "0"},
        {"_SECTOR_SIZE_", "128"}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.flashId = c.flashId;
    kernel.ramSize = c.ramSize;
    kernel.boardType = c.boardType;
    CurrentLinkSettings.baud = c.baud;
    Open();
    CompileBiosThatStops();
    for (const auto &[name, value] : c.macros)
      EXPECT_STREQ(IsMacroDefined(name), value) << name;
    CloseSerialPort();
  }
}

TEST_F(BoardOverLink, IdBlockMacrosComeFromTheBoardsBlock) {
  struct Case {
    const char *name;
    bool placed;
    const char *size;
    const char *pointer;
  };
  // 0x40 pages of 4096 bytes, less the block's 132 bytes and 0x100 more.
  const Case cases[] = {{"block on the board", true, "388L", "261756L"}, {"no block", false, "0L", "0L"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    if (c.placed)
      kernel.Poke(0x100000 - 132, MakeIdBlock(0x40, 0x100));
    Open();
    CompileBiosThatStops();
    EXPECT_STREQ(IsMacroDefined("_ID_BLOCK_SIZE_"), c.size);
    EXPECT_STREQ(IsMacroDefined("_ID_BLOCK_PTR_"), c.pointer);
    CloseSerialPort();
  }
}

TEST_F(BoardOverLink, AFinishedBiosIsStartedOnTheBoardAndConnectedTo) {
  struct Case {
    const char *name;
    bool offline;
    uint8_t startByte;
    unsigned connects;
  };
  // A compile without a board sends the board nothing.
  const Case cases[] = {{"serial board", false, 1, 1}, {"offline", true, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    directives.withoutBoard = c.offline;
    connects = 0;
    Open();
    const unsigned writesBefore = kernel.writeFrames;
    // The BIOS compiled on its own, not first in a program's request.
    BiosCompileFlag() = true;
    // The program's start jump goes into the BIOS's root code, which needs
    // its origin.
    Compile("#pragma Corvid\n#rcodorg rootcode 0 0x1000 0x1000 apply\n#rvarorg rootdata 0 0xbfff 0x1000 apply\n"
            "int b;\n#pragma CompileProgram\n");
    EXPECT_EQ(kernel.Peek(0x4001), c.startByte);
    EXPECT_EQ(kernel.writeFrames - writesBefore, c.startByte);
    EXPECT_EQ(connects, c.connects);
    CloseSerialPort();
  }
}

// The board's answer is the compile's: a link that fails while the target
// macros are read ends the compile with its error, for the command to show.
TEST_F(BoardOverLink, ASilentBoardEndsTheCompileWithTheLinksError) {
  Open();
  kernel.silent = true;
  dir.Write("BIOS.C", "int b;\n");
  BiosFirstFlag() = true;
  SetCompileOptionFlag(0);
  try {
    Compile("int a;\n");
    ADD_FAILURE() << "compiled";
  } catch (const xTCErr &e) {
    EXPECT_EQ(e.Message(), 5072u);
  }
  // The failed frames ask for a full compile next time.
  EXPECT_FALSE(BiosFirstFlag());
  EXPECT_EQ(GetCompileOptionFlag(), 1);
}

TEST_F(BoardOverLink, AClosedPortAnswersNoBoard) {
  CompileBiosThatStops();
  EXPECT_STREQ(IsMacroDefined("_FLASH_SIZE_"), "32");
  EXPECT_STREQ(IsMacroDefined("_RAM_SIZE_"), "0");
  EXPECT_STREQ(IsMacroDefined("_BOARD_TYPE_"), "0");
  EXPECT_EQ(kernel.queries, 0u);
}

// The link asks the compiler, not a quiet stand-in, once the product
// assembles it with the board.
TEST_F(BoardOverLink, TheLinkReadsTheCompilersMacros) {
  struct Case {
    const char *definitions;
    uint16_t sectorSize;
  };
  const Case cases[] = {
      {"#define FLASH_SECTORSIZE 0x80\n", 0x80},
      {"#define FLASH_SECTORSIZE 0400\n", 0400},
      {"#define SECTOR 4096\n#define FLASH_SECTORSIZE SECTOR\n", 4096},
      {"", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.definitions);
    Compile(std::string(c.definitions) + "int a;\n");
    EXPECT_EQ(GetFlashSectorSize(), c.sectorSize);
  }
}

TEST_F(BoardOverLink, TheImageFileIsNamedAndReportedByTheCompiler) {
  const std::string program = dir / "PROG.C";
  ASSERT_TRUE(CreateBinImageFile(program.c_str()));
  CloseBinImageFile();
  EXPECT_EQ(BinImagePath(), dir / "PROG.bin");
  EXPECT_EQ(ErrorListHead(), nullptr);
  // A directory that does not exist: the compile's own list records why.
  const std::string lost = dir / "none/PROG.C";
  EXPECT_FALSE(CreateBinImageFile(lost.c_str()));
  ASSERT_NE(ErrorListHead(), nullptr);
  EXPECT_NE(ErrorListHead()->text.find("[5023 " + dir / "none/PROG.bin]"), std::string::npos)
      << ErrorListHead()->text;
  EXPECT_TRUE(host.compileErrors.empty());
}

TEST_F(BoardOverLink, AFailedFrameResetsTheCompilersTargetFlags) {
  Open();
  kernel.nakHeaders = 100;
  BiosCompileFlag() = true;
  SetCompileOptionFlag(0);
  const uint8_t byte = 0x5A;
  EXPECT_THROW(WriteTargetMemory(1, MakeAddr24(0, 0x4000), &byte), xTCErr);
  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_EQ(GetCompileOptionFlag(), 1);
  EXPECT_EQ(host.compileFlagResets, 0u);
}

TEST_F(BoardOverLink, WritesFollowTheCompilersModes) {
  struct Case {
    const char *name;
    bool biosCompile;
    bool withoutBoard;
    uint8_t onBoard;
    uint8_t inImage;
  };
  // The BIOS compile keeps its low memory in the image buffer and, on the
  // serial link, sends it too; a compile without a board sends nothing.
  const Case cases[] = {{"program", false, false, 0x5A, 0},
                        {"BIOS", true, false, 0x5A, 0x5A},
                        {"program without board", false, true, 0, 0},
                        {"BIOS without board", true, true, 0, 0x5A}};
  const uint8_t byte = 0x5A;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    BiosImageBuffer = BiosImage{};
    BiosCompileFlag() = c.biosCompile;
    directives.withoutBoard = c.withoutBoard;
    Open();
    WriteTargetMemory(1, MakeAddr24(0, 0x1000), &byte);
    EXPECT_EQ(kernel.Peek(0x1000), c.onBoard);
    EXPECT_EQ(BiosImageBuffer.bytes[0x1000], c.inImage);
    CloseSerialPort();
  }
}

TEST_F(BoardOverLink, TheLinksWaitsPumpTheShell) {
  const unsigned before = host.pumps;
  Delay(100);
  EXPECT_GT(host.pumps, before);
}

TEST_F(BoardOverLink, CodeTargetReadsAndWritesTheBoard) {
  OutputTarget *board = CurrentOutputTarget();
  ASSERT_NE(board, nullptr);
  Open();
  const uint8_t written[3] = {1, 2, 3};
  board->WriteTargetMemory(3, MakeAddr24(0, 0x6000), written);
  uint8_t read[3] = {};
  ASSERT_TRUE(board->ReadTargetMemory(3, MakeAddr24(0, 0x6000), read));
  EXPECT_EQ(std::vector<uint8_t>(read, read + 3), std::vector<uint8_t>(written, written + 3));
  board->PulseKernelFlag(1);
  board->PulseKernelFlag(2);
  EXPECT_EQ(pulses, (std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(board->UseTcp());
  CurrentLinkSettings.fullDuplex = 0;
  EXPECT_FALSE(board->FullDuplex());
  CurrentLinkSettings.fullDuplex = 1;
  EXPECT_TRUE(board->FullDuplex());
}

TEST_F(BoardOverLink, CodeTargetTellsAnUnreadableBoard) {
  struct Case {
    const char *name;
    bool withoutBoard;
    bool silent;
  };
  // The callers drop half-read results: a failed read must not look done.
  const Case cases[] = {{"without board", true, false}, {"kernel silent", false, true}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    directives.withoutBoard = c.withoutBoard;
    kernel.silent = c.silent;
    Open();
    uint8_t read[4] = {};
    EXPECT_FALSE(CurrentOutputTarget()->ReadTargetMemory(4, MakeAddr24(0, 0x6000), read));
    CloseSerialPort();
  }
}

TEST_F(BoardOverLink, BiosSymbolsAreReadFromTheBoard) {
  struct Case {
    const char *name;
    uint16_t tablePointer;
    uint32_t physical;
    std::vector<uint8_t> pulses;
  };
  // Low tables are read with the kernel's debug block opened; high ones sit
  // in the BIOS's own bank.
  const Case cases[] = {{"low table", 0x1000, 0x1000, {1, 2}}, {"high table", 0x9000, 0x39000, {}}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    pulses.clear();
    const uint16_t directory = 0x0200;
    kernel.Poke(3, {uint8_t(directory), uint8_t(directory >> 8)});
    kernel.Poke(directory + 0x11, {uint8_t(c.tablePointer), uint8_t(c.tablePointer >> 8)});
    kernel.Poke(c.physical, BoardSymbolTable({{"ticks", 0x1234}, {"putc", 0x4567}}));
    Open();
    ASSERT_EQ(LoadBiosSymbolsFromBoard(), 0);
    EXPECT_EQ(LookupBiosSymbol("ticks", {}).logical, 0x1234);
    EXPECT_EQ(LookupBiosSymbol("putc", {}).logical, 0x4567);
    EXPECT_EQ(pulses, c.pulses);
    CloseSerialPort();
  }
}

TEST(BoardOverLinkAssembly, WithoutTheBoardTheLinkIsLeftAlone) {
  RecordingHost host;
  AssembleCompiler({});
  EXPECT_EQ(&Host(), &host);
  EXPECT_EQ(CurrentOutputTarget(), nullptr);
  EXPECT_EQ(LoadBiosSymbolsFromBoard(), 1);
  AssembleCompiler({.boardOverLink = true});
  EXPECT_NE(&Host(), &host);
  EXPECT_NE(CurrentOutputTarget(), nullptr);
  // A compiler put back to its start asks nothing of the link's host.
  ResetCompiler();
  EXPECT_EQ(dynamic_cast<CompilerLinkHost *>(&Host()), nullptr);
}

} // namespace
} // namespace tsw::testing
