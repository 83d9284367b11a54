#include "debugger/debug_fake_session.h"
#include "foundation/xerr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tsw {
namespace {

using ::testing::ElementsAre;

class BreakpointList : public testing::DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    TargetConnect();
    ui.editors = {"main.c"};
    board.writes.clear();
    board.log.clear();
    ui.calls.clear();
  }
  std::vector<uint16_t> Addresses() const {
    std::vector<uint16_t> at;
    for (const Breakpoint &b : Breakpoints())
      at.push_back(b.address.logical);
    return at;
  }
};

TEST_F(BreakpointList, ToggleTwiceLeavesTheCodeAsItWas) {
  board.Memory()[0x4200] = 0x3E;
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 5);
  EditorCaret caret{"main.c", MakeTextPosition(2, 4)};
  EXPECT_EQ(ToggleBreakpointAtCursor(kTrapRst18, &caret), 0);
  EXPECT_EQ(board.Memory()[0x4200], kTrapRst18);
  ASSERT_EQ(Breakpoints().size(), 1u);
  EXPECT_EQ(Breakpoints()[0].savedByte, 0x3E);
  EXPECT_TRUE(HasBreakpointAt(3, 5, "main.c"));

  ToggleBreakpointAtCursor(kTrapRst18, &caret);
  EXPECT_EQ(board.Memory()[0x4200], 0x3E);
  EXPECT_TRUE(Breakpoints().empty());
  EXPECT_THAT(ui.calls, ElementsAre("open main.c", "breakpoint main.c 2:4", "open main.c", "uncolour main.c 2:4"));
  EXPECT_EQ(ToggleBreakpointAtCursor(kTrapRst18, nullptr), 1);
}

TEST_F(BreakpointList, RecordsStandInAddressOrderAndStatementsWithoutCodeGetNone) {
  products.AddStatement(MakeAddr24(0, 0x4300), "main.c", 3, 1);
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 9, 1);
  ToggleBreakpoint(MakeAddr24(0, 0x4300), kTrapRst20);
  ToggleBreakpoint(MakeAddr24(0, 0x4200), kTrapRst20);
  EXPECT_THAT(Addresses(), ElementsAre(0x4200, 0x4300));

  board.writes.clear();
  EditorCaret noCode{"main.c", MakeTextPosition(4, 0)};
  ToggleBreakpointAtCursor(kTrapRst20, &noCode);
  ToggleBreakpoint(MakeAddr24(0, 0x4400), kTrapRst20); // no source position
  EXPECT_TRUE(board.writes.empty());
  EXPECT_EQ(Breakpoints().size(), 2u);
}

TEST_F(BreakpointList, CodeOutOfLineOrderIsFoundByAddressAndPosition) {
  // An extended-memory function compiled first stands above a root function
  // whose lines come later in the file.
  ADDR24 xmem = MakeAddr24(0x72, 0xE010);
  ADDR24 root = MakeAddr24(0, 0x4200);
  board.Memory()[Addr24ToPhysical(xmem)] = 0x21;
  products.AddStatement(xmem, "main.c", 3, 1);
  products.AddStatement(root, "main.c", 20, 1);
  ToggleBreakpoint(root, kTrapRst20);
  ToggleBreakpoint(xmem, kTrapRst20);
  ASSERT_EQ(Breakpoints().size(), 2u);
  ToggleBreakpoint(xmem, kTrapRst20);
  EXPECT_EQ(Breakpoints().size(), 1u);
  EXPECT_EQ(board.Memory()[Addr24ToPhysical(xmem)], 0x21);
}

TEST_F(BreakpointList, AFailedReadMakesNoRecord) {
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 1);
  board.transfers = 0;
  board.failTransfer = 1;
  EXPECT_THROW(ToggleBreakpoint(MakeAddr24(0, 0x4200), kTrapRst20), xTCErr);
  EXPECT_TRUE(Breakpoints().empty());
  EXPECT_TRUE(board.writes.empty());
}

TEST_F(BreakpointList, OriginalBytesHookRecordsAndDiscard) {
  board.Poke(0x4200, {kDebugHook, 0x00, 0x00, 0x3E});
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 1);
  products.AddStatement(MakeAddr24(0, 0x4203), "main.c", 4, 1);
  ToggleBreakpoint(MakeAddr24(0, 0x4200), kTrapRst20);
  ToggleBreakpoint(MakeAddr24(0, 0x4203), kTrapRst18);
  EXPECT_TRUE(IsHookBreakpointAt(MakeAddr24(0, 0x4200)));
  EXPECT_FALSE(IsHookBreakpointAt(MakeAddr24(0, 0x4203)));

  uint8_t bytes[4] = {0xE7, 0x00, 0x00, 0xDF};
  RestoreOriginalBytes(MakeAddr24(0, 0x4201), MakeAddr24(0, 0x4205), bytes + 1); // the first is outside
  EXPECT_THAT(bytes, ElementsAre(0xE7, 0x00, 0x00, 0x3E));

  ui.calls.clear();
  board.writes.clear();
  DiscardBreakpoints();
  EXPECT_TRUE(Breakpoints().empty());
  EXPECT_TRUE(board.writes.empty()) << "the board keeps its opcodes";
  EXPECT_THAT(ui.calls, ElementsAre("open main.c", "uncolour main.c 2:0", "open main.c", "uncolour main.c 3:0"));
}

TEST_F(BreakpointList, NoColourUnderTheExecutionMarker) {
  ConnectAndReset(0x4100);
  ui.editors = {"main.c"};
  products.AddStatement(MakeAddr24(0, 0x4100), "main.c", 3, 1);
  RefreshDebugWindows();
  ASSERT_TRUE(ExecutionMarkerInUse().marked);
  ui.calls.clear();
  ToggleBreakpoint(MakeAddr24(0, 0x4100), kTrapRst20);
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_EQ(board.Memory()[0x4100], kTrapRst20);
}

TEST_F(BreakpointList, OverTcpTheBoardPlantsAndRemoves) {
  board.tcp = true;
  ADDR24 at = MakeAddr24(0x72, 0xE010);
  board.Memory()[Addr24ToPhysical(at)] = 0x21;
  products.AddStatement(at, "main.c", 3, 1);
  ToggleBreakpoint(at, kTrapRst20);
  ASSERT_EQ(Breakpoints().size(), 1u);
  EXPECT_EQ(Breakpoints()[0].savedByte, 0x21);
  ToggleBreakpoint(at, kTrapRst20);
  EXPECT_THAT(board.log, ElementsAre("set 72 10 e0 e7", "clear 21"));
  EXPECT_TRUE(board.writes.empty());
}

} // namespace
} // namespace tsw
