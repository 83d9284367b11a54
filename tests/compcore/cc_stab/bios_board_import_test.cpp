#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_bios.h"
#include "foundation/addr24.h"
#include "compcore/board_over_link.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tsw::testing {
namespace {

// The BIOS symbols read from the board again and again, as every debug
// session start does: a board whose window does not start at E000 moves
// the segments the first import computes with, and every later import
// still finds its table where the BIOS put it.
TEST_F(BoardOverLink, EveryImportFromABoardWithItsOwnLayoutFindsTheTable) {
  struct Case {
    const char *what;
    uint8_t layoutByte;
    uint16_t tablePointer;
    uint32_t physical;
  };
  const Case cases[] = {
      {"default window, high table", 0xE2, 0x9000, 0x39000},
      {"window at D000, high table", 0xD2, 0x9000, 0x39000},
      {"window at D000, low table", 0xD2, 0x1000, 0x1000},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    kernel.memory.assign(FakeKernel::kMemorySize, 0);
    const uint16_t directory = 0x0200;
    kernel.Poke(3, {uint8_t(directory), uint8_t(directory >> 8)});
    kernel.Poke(directory + 0x11, {uint8_t(c.tablePointer), uint8_t(c.tablePointer >> 8)});
    kernel.Poke(directory + 0x2B, {8, c.layoutByte});
    kernel.Poke(c.physical, BoardSymbolTable({{"ticks", 0x1234}, {"putc", 0x4567}}));
    Open();
    for (int import = 1; import <= 3; ++import) {
      ASSERT_EQ(LoadBiosSymbolsFromBoard(), 0) << "import " << import;
      EXPECT_EQ(LookupBiosSymbol("ticks", {}).logical, 0x1234) << "import " << import;
      EXPECT_EQ(LookupBiosSymbol("putc", {}).logical, 0x4567) << "import " << import;
      EXPECT_EQ(ExtWindowStart, uint16_t(c.layoutByte >> 4) << 12) << "import " << import;
    }
    CloseSerialPort();
  }
}

} // namespace
} // namespace tsw::testing
