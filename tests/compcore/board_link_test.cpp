#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_session.h"
#include "compcore/link/linksettings.h"
#include "foundation/crc16.h"
#include "foundation/restext.h"
#include "front1_fixture.h"
#include "link/serial_fixture.h"
#include "product_shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// A well-formed identification block of 132 bytes as the board keeps it,
// naming its 4096-byte page (offset 19) and its extra size (offset 122).
std::vector<uint8_t> MakeIdBlock(uint16_t page, uint16_t extra) {
  std::vector<uint8_t> b(132, 0);
  b[19] = uint8_t(page);
  b[20] = uint8_t(page >> 8);
  b[116] = 132;
  b[122] = uint8_t(extra);
  b[123] = uint8_t(extra >> 8);
  for (unsigned i = 0; i < 6; ++i)
    b[126 + i] = i % 2 ? 0xAA : 0x55;
  uint16_t crc = 0;
  for (unsigned i = 0; i < 132; ++i)
    if (i != 115)
      crc = ComputeCrc16(i == 124 || i == 125 ? uint8_t(0) : b[i], 0x1021, crc);
  b[124] = uint8_t(crc);
  b[125] = uint8_t(crc >> 8);
  return b;
}

// The product's compiler with the real board over the serial link, the
// board being the in-process fake kernel behind the fake port.
class BoardOverLink : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    SetMessageTexts(&texts);
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.boardOverLink = true;
    boundaries.kernel.connect = [this] { ++connects; };
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  void TearDown() override {
    ResetCompiler();
    SerialLinkTest::TearDown();
  }
  uint16_t Compile(const std::string &program) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(1);
  }
  // The target macros are defined while the BIOS compiles; its failure ends
  // the request there.
  void CompileBiosThatStops() {
    dir.Write("BIOS.C", "int b;\n#error \"stop\"\n");
    BiosFirstFlag() = true;
    EXPECT_NE(Compile("int a;\n") & kCompileFailedBit, 0);
  }

  NumberedTexts texts;
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
  unsigned connects = 0;
};

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
  };
  // A compile without a board sends the board nothing.
  const Case cases[] = {{"serial board", false, 1}, {"offline", true, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    host.offline = c.offline;
    connects = 0;
    Open();
    const unsigned writesBefore = kernel.writeFrames;
    // The BIOS compiled on its own, not first in a program's request.
    BiosCompileFlag() = true;
    Compile("int b;\n#pragma CompileProgram\n");
    EXPECT_EQ(kernel.Peek(0x4001), c.startByte);
    EXPECT_EQ(kernel.writeFrames - writesBefore, c.startByte);
    EXPECT_EQ(connects, 1u);
    CloseSerialPort();
  }
}

TEST_F(BoardOverLink, AClosedPortAnswersNoBoard) {
  CompileBiosThatStops();
  EXPECT_STREQ(IsMacroDefined("_FLASH_SIZE_"), "32");
  EXPECT_STREQ(IsMacroDefined("_RAM_SIZE_"), "0");
  EXPECT_STREQ(IsMacroDefined("_BOARD_TYPE_"), "0");
  EXPECT_EQ(kernel.queries, 0u);
}

} // namespace
} // namespace tsw::testing
