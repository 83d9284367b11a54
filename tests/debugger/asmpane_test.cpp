#include "debugger/debug_fake_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace tsw {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

constexpr uint16_t kPc = 0x4100;

class AssemblyPane : public testing::DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    TargetConnect();
    ProgramFrame().pc = kPc;
    board.Poke(kPc, {0x21, 0x34, 0x12, 0x00, 0xC9});
    pane.firstColumn = 3;
    ui.calls.clear();
  }
  int ListingReads() const {
    return int(std::count_if(board.readLog.begin(), board.readLog.end(),
                             [](const auto &r) { return r.count == kListingBufferSize; }));
  }
  testing::DebugFakeListingPane pane;
};

TEST_F(AssemblyPane, ListsAndMarksTheProgramCounter) {
  ProgramFrame().pc = kPc + 3;
  ShowDisassemblyAt(MakeAddr24(0, kPc), kListingForceRead, pane);
  ASSERT_GE(pane.lines.size(), 3u);
  EXPECT_THAT(pane.lines[0], StartsWith("   4100 213412   ld    hl,1234"));
  EXPECT_THAT(pane.lines[1], StartsWith("   4103 00       nop"));
  EXPECT_EQ(pane.counts[1], 2);
  EXPECT_EQ(pane.marked, (std::pair<uint16_t, uint16_t>{1, 2}));
  EXPECT_EQ(pane.cursor, MakeTextPosition(1, 3));
  EXPECT_TRUE(pane.keepCaret);

  // With the caret at the address, the program counter keeps its mark only.
  ShowDisassemblyAt(MakeAddr24(0, kPc + 4), kListingForceRead | kListingCaretAtAddress, pane);
  EXPECT_EQ(pane.cursor, MakeTextPosition(0, 3));
  EXPECT_FALSE(pane.marked) << "the PC lies before the listing";
}

TEST_F(AssemblyPane, SerialRefreshReadsOnceWhenTheBytesAreUnchanged) {
  ShowDisassemblyAt(MakeAddr24(0, kPc), 0, pane);
  int clears = pane.clears;
  int reads = ListingReads();
  ShowDisassemblyAt(MakeAddr24(0, kPc + 3), 0, pane);
  EXPECT_EQ(ListingReads(), reads + 1);
  EXPECT_EQ(pane.clears, clears) << "not rebuilt";

  board.Memory()[kPc + 3] = 0x3C; // inc a
  ShowDisassemblyAt(MakeAddr24(0, kPc + 3), 0, pane);
  EXPECT_EQ(ListingReads(), reads + 3);
  EXPECT_EQ(pane.clears, clears + 1);
  EXPECT_THAT(pane.lines[0], StartsWith("   4103 3C       inc   a"));

  ClearListingState();
  reads = ListingReads();
  ShowDisassemblyAt(MakeAddr24(0, kPc + 3), 0, pane);
  EXPECT_EQ(ListingReads(), reads + 1);
  EXPECT_EQ(pane.clears, clears + 2) << "a cleared state lists again";
}

TEST_F(AssemblyPane, APlantedBreakpointIsListedAsTheByteItReplaced) {
  products.AddStatement(MakeAddr24(0, kPc + 3), "main.c", 2, 1);
  ToggleBreakpoint(MakeAddr24(0, kPc + 3), kTrapRst20);
  ShowDisassemblyAt(MakeAddr24(0, kPc), kListingForceRead, pane);
  EXPECT_THAT(pane.lines[1], StartsWith("   4103 00       nop"));
  // And an unchanged board rebuilds nothing, the opcode notwithstanding.
  int clears = pane.clears;
  ShowDisassemblyAt(MakeAddr24(0, kPc), 0, pane);
  EXPECT_EQ(pane.clears, clears);
}

TEST_F(AssemblyPane, OverTcpInsideTheListingNothingIsRead) {
  board.tcp = true;
  ShowDisassemblyAt(MakeAddr24(0, kPc), kListingForceRead, pane);
  int reads = board.reads;
  int clears = pane.clears;
  ShowDisassemblyAt(MakeAddr24(0, kPc + 3), 0, pane);
  EXPECT_EQ(board.reads, reads);
  EXPECT_EQ(pane.clears, clears);
}

TEST_F(AssemblyPane, AStopEventsCodeBytesCountAsTheyCame) {
  board.tcp = true;
  ui.assemblyOpen = true;
  TargetEvent event;
  event.flags = 0x02;
  event.frame.SetWord(FrameReg::PC, 0x5000);
  // 63 four-byte instructions fill 252 bytes; the 64th would need the
  // three bytes after the event's 255.
  for (size_t i = 0; i + 4 <= 252; i += 4) {
    event.code[i] = 0xDD, event.code[i + 1] = 0x21;
  }
  event.code[252] = 0xDD, event.code[253] = 0x21;
  board.events = {event};
  StartTargetRun();
  int reads = board.reads;
  PollTargetStatus();
  EXPECT_EQ(board.reads, reads) << "the event brought the code";
  EXPECT_EQ(ui.assembly.lines.size(), 63u);
  EXPECT_THAT(ui.assembly.lines[0], StartsWith("   5000 DD210000 ld    ix,0000"));
}

TEST_F(AssemblyPane, DisassembleAtTheCaret) {
  ui.editors = {"main.c"};
  products.AddStatement(MakeAddr24(0, kPc + 3), "main.c", 7, 5);
  ui.activeCaret = {{"main.c", MakeTextPosition(0, 0)}};
  EXPECT_EQ(DisassembleAtCursor(), 1);
  EXPECT_TRUE(ui.calls.empty()) << "no code at the caret: nothing changes";
  EXPECT_TRUE(CurrentListing().lines.empty());

  ui.activeCaret = {{"main.c", MakeTextPosition(6, 4)}};
  DisassembleAtCursor();
  EXPECT_THAT(ui.calls, ElementsAre("show assembly", "caret main.c 6:4"));
  ASSERT_FALSE(ui.assembly.lines.empty());
  EXPECT_THAT(ui.assembly.lines[0], StartsWith("   4103 00       nop"));

  ui.calls.clear();
  EXPECT_EQ(ShowAssemblyAtAddress(MakeAddr24(0, kPc)), 1);
  EXPECT_THAT(ui.assembly.lines[0], StartsWith("   4100 213412"));
}

TEST_F(AssemblyPane, DumpsGoToThePaneOrInBlocksToAFile) {
  board.Poke(0x8000, {0x41, 0x42});
  board.Poke(0x8080, {0x43});
  DumpAddressing at{false, 0, MakeAddr24(0, 0x8000), false};
  testing::DebugFakeLinePane dump;
  FillDumpWindow(at, &dump, 0, nullptr);
  ASSERT_EQ(dump.lines.size(), kDumpLines);
  EXPECT_THAT(dump.lines[0], StartsWith("8000 41 42 00"));

  std::ostringstream file;
  FillDumpWindow(at, nullptr, 256, &file);
  std::string text = file.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
  EXPECT_NE(text.find("\n8080 43 00"), std::string::npos);
}

} // namespace
} // namespace tsw
