#include "compcore/board_over_link.h"

#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_session.h"
#include "compcore/link/biosimage.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "debugger/debug_fake_ui.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/products/compiler_products.h"
#include "debugger/registerframe.h"
#include "foundation/memorymap.h"
#include "link/tcp_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// The product's compiler with the board over TCP/IP: the loopback board
// on 127.0.0.1.
class TcpBoardOverLink : public ProductCompilerOver<TcpLinkTest> {
protected:
  // Connected and the board's description read, as the shell does before
  // a compile.
  void ConnectAndDescribe() {
    ConnectOpen();
    ReadTargetInfoTcp();
  }
};

TEST_F(TcpBoardOverLink, TargetMacrosAreTheBoardsDescription) {
  struct Case {
    const char *name;
    bool goodBlock;
    std::vector<std::pair<const char *, const char *>> macros;
  };
  // A block whose CRC fails names no board and no block.
  const Case cases[] = {
      {"good block",
       true,
       {{"_FLASH_SIZE_", "64"},
        {"_RAM_SIZE_", "256"},
        {"_BOARD_TYPE_", "4660"},
        {"_ID_BLOCK_SIZE_", "388L"},
        {"_ID_BLOCK_PTR_", "261756L"}}},
      {"spoilt block",
       false,
       {{"_FLASH_SIZE_", "64"}, {"_BOARD_TYPE_", "0"}, {"_ID_BLOCK_SIZE_", "0L"}, {"_ID_BLOCK_PTR_", "0L"}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    board.flashId = 0xBFB6;
    board.ramSize = 0x20;
    std::vector<uint8_t> block = MakeIdBlock(0x40, 0x100, 0x1234);
    if (!c.goodBlock)
      block[19] ^= 1;
    std::copy(block.begin(), block.end(), board.idBlock.begin());
    ConnectAndDescribe();
    CompileBiosThatStops();
    for (const auto &[name, value] : c.macros)
      EXPECT_STREQ(IsMacroDefined(name), value) << name;
    DisconnectTcp();
  }
}

// The link's dialogs are the shell's, with the compiler's host between.
TEST_F(TcpBoardOverLink, TheLoginAsksTheShellForThePassPhrase) {
  struct Case {
    const char *name;
    std::optional<std::string> phrase;
    uint32_t failure; // 0: logged in
  };
  const Case cases[] = {{"right phrase", "tessel", 0}, {"cancelled", std::nullopt, 5138}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    host.passPhrase = c.phrase;
    const unsigned asked = host.passPhraseAsks;
    EXPECT_EQ(LinkFailure([] { ConnectTcp(); }), c.failure);
    EXPECT_EQ(host.passPhraseAsks, asked + 1);
    DisconnectTcp();
  }
}

TEST_F(TcpBoardOverLink, TheBiosCompileKeepsLowMemoryFromTheBoard) {
  struct Case {
    const char *name;
    bool biosCompile;
    uint8_t onBoard;
    uint8_t inImage;
  };
  // Over TCP/IP the board's low memory is the image buffer's while the BIOS
  // compiles; the program's bytes go to the board.
  const Case cases[] = {{"program", false, 0x5A, 0}, {"BIOS", true, 0, 0x5A}};
  const uint8_t byte = 0x5A;
  ConnectAndDescribe();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    board.kernel.memory.assign(FakeKernel::kMemorySize, 0);
    BiosImageBuffer = BiosImage{};
    BiosCompileFlag() = c.biosCompile;
    CurrentOutputTarget()->WriteTargetMemory(1, MakeAddr24(0, 0x1000), &byte);
    // Each write request is answered before the call returns.
    EXPECT_EQ(board.kernel.Peek(0x1000), c.onBoard);
    EXPECT_EQ(BiosImageBuffer.bytes[0x1000], c.inImage);
  }
  BiosCompileFlag() = false;
}

// The engine's reset over TCP/IP restarts the program where the compile put
// it: the link's request and the engine's frame agree on the code start.
TEST_F(TcpBoardOverLink, TheResetRestartsTheProgramAtTheCompilesCodeStart) {
  TargetDebugLink link;
  CompilerProducts products;
  DebugFakeUi ui;
  // The engine lets go of the seams however the test ends.
  struct Installed {
    Installed(DebugLink &l, DebugProducts &p, DebugUi &u) {
      ResetDebugEngine();
      SetDebugSeams(&l, &p, &u);
    }
    ~Installed() {
      SetDebugSeams(nullptr, nullptr, nullptr);
      ResetDebugEngine();
    }
  } installed{link, products, ui};
  InitMemoryMapDefaults(0x3F00);
  ComputeMemoryMap(0xD000);
  ConnectOpen();
  TargetRegisterFrame stopped;
  stopped.pc = 0x4000;
  stopped.sp = 0xD000;
  board.frame.assign(RegisterFrame::kSize, 0);
  EncodeRegisterFrame(stopped, board.frame.data());
  ResetTargetProgram();
  std::vector<uint8_t> request;
  for (const FakeBoard::Message &m : board.Received())
    if (m.type == kTcpRun)
      request = m.payload;
  EXPECT_EQ(request, (std::vector<uint8_t>{0, 0x00, 0x40}));
  EXPECT_EQ(ProgramFrame().pc, 0x4000);
  EXPECT_EQ(ProgramFrame().sp, 0xD000);
}

} // namespace
} // namespace tsw::testing
