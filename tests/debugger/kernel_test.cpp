#include "debugger/debug_fake_session.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

using testing::DebugFakeBoard;

class KernelAccess : public testing::DebugSessionTest {};

uint32_t MessageOf(const std::function<void()> &action) {
  try {
    action();
  } catch (const xErr &error) {
    return error.Message();
  }
  return 0;
}

TEST_F(KernelAccess, DirectoryFillsTheSameRecordAsTheKernelMessage) {
  ReadKernelDirectory();
  const KernelVariables &v = KernelVariablesInUse();
  EXPECT_EQ(v.directory, DebugFakeBoard::kDirectory);
  EXPECT_EQ(v.stdioBuffer, DebugFakeBoard::kStdioBuffer);
  EXPECT_EQ(v.registerSaveArea, DebugFakeBoard::kSaveArea);
  EXPECT_EQ(v.doneFlag, DebugFakeBoard::DoneFlag());
  EXPECT_EQ(v.watchValue, 0x2345);
  EXPECT_EQ(v.patchAddress, DebugFakeBoard::kPatchAddress);
  EXPECT_EQ(v.startupValue, 0x5A);
  EXPECT_EQ(v.savedPatchByte, 0xC9);

  // Every field the board's message carries, by way of its own layout.
  uint8_t message[kKernelVariableMessageSize];
  KernelVariablesToMessage(v, message);
  KernelVariables fromMessage = KernelVariablesFromMessage(message);
  fromMessage.directory = v.directory; // not in the message
  uint8_t again[kKernelVariableMessageSize];
  KernelVariablesToMessage(fromMessage, again);
  EXPECT_EQ(std::vector<uint8_t>(message, message + sizeof message), std::vector<uint8_t>(again, again + sizeof again));
  const uint16_t table = DebugFakeBoard::kTable;
  const uint16_t expected[] = {
      v.stdioFlag, v.watchWork1,  v.watchWork2, v.inputRequestFlag,
      v.stdinByte, v.stopRequest, v.syncFlag,   v.pulseVariable,
  };
  const uint16_t offsets[] = {4, 7, 11, 13, 14, 15, 16, 17};
  for (size_t i = 0; i < std::size(offsets); ++i)
    EXPECT_EQ(expected[i], table + offsets[i]) << offsets[i];
  EXPECT_EQ(v.savedFlagsWord, DebugFakeBoard::kSaveArea + 26);
  EXPECT_EQ(v.runRequest, DebugFakeBoard::kSaveArea + 28);
}

TEST_F(KernelAccess, ConnectOutcomes) {
  struct Case {
    const char *name;
    std::function<void(testing::DebugFakeBoard &, testing::DebugFakeProducts &)> setUp;
    uint32_t error;
    bool stopRequested;
    bool syncWritten;
  };
  auto running = [](DebugFakeBoard &b) { b.Memory()[DebugFakeBoard::DoneFlag()] = 0; };
  const Case cases[] = {
      {"a stopped kernel needs no synchronisation", [](auto &, auto &) {}, 0, false, false},
      {"a running kernel is stopped and synchronised", [&](auto &b, auto &) { running(b); }, 0, true, true},
      {"it never stops", [&](auto &b, auto &) { running(b), b.ignoresStop = true; }, 5077, true, false},
      {"the sync flag stays set", [&](auto &b, auto &) { running(b), b.ignoresSync = true; }, 5078, true, true},
      {"Corvid: the sync flag is not written", [&](auto &b, auto &) { running(b), b.assumeCorvid = true; }, 0, true,
       false},
      {"wrong signature", [](auto &b, auto &) { b.Memory()[DebugFakeBoard::kDirectory] = 'X'; }, 5036, false, false},
      {"no BIOS symbols", [](auto &, auto &p) { p.biosLoadResult = 1; }, 5037, false, false},
      {"a transfer fails", [](auto &b, auto &) { b.failTransfer = 3; }, 5072, false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    board = DebugFakeBoard();
    products = testing::DebugFakeProducts();
    ResetDebugEngine();
    c.setUp(board, products);
    EXPECT_EQ(MessageOf(TargetConnect), c.error);
    auto wrote = [&](uint16_t address) {
      return std::any_of(board.writes.begin(), board.writes.end(),
                         [&](const auto &w) { return w.physical == address; });
    };
    EXPECT_EQ(wrote(DebugFakeBoard::StopRequest()), c.stopRequested);
    EXPECT_EQ(wrote(DebugFakeBoard::SyncFlag()), c.syncWritten);
    // The compile stage is lowered for the connect and back afterwards.
    ASSERT_EQ(products.stages.size(), 2u);
    EXPECT_EQ(products.stages[0], 2);
    EXPECT_EQ(products.compileStage, 5);
  }
}

TEST_F(KernelAccess, ConnectReopensAnOpenPortUnlessCorvidIsAssumed) {
  board.portOpen = true;
  TargetConnect();
  EXPECT_EQ(board.log, (std::vector<std::string>{"close", "open"}));
  EXPECT_EQ(products.biosSymbolClears, 1);

  board.log.clear();
  board.assumeCorvid = true;
  TargetConnect();
  EXPECT_EQ(board.log, (std::vector<std::string>{"open"}));
}

TEST_F(KernelAccess, ConnectOverTcpTakesTheKernelMessageOnly) {
  board.tcp = true;
  board.tcpVariables.doneFlag = 0x1234;
  TargetConnect();
  EXPECT_EQ(KernelVariablesInUse().doneFlag, 0x1234);
  EXPECT_TRUE(board.writes.empty());
  EXPECT_TRUE(products.stages.empty());
}

TEST_F(KernelAccess, AKernelThatNeverReturnsFailsAtTheFirstTestAfterASecond) {
  ToolHelpTimer = 1; // exact periods: the rounding is the timer's own affair
  TargetConnect();
  board.QueueStdio("hi", 2);
  TargetRegisterFrame frame, out;
  uint32_t start = clock.Now();
  EXPECT_EQ(MessageOf([&] { RunTargetAndWait(frame, out); }), 5076u);
  uint32_t waited = clock.Now() - start;
  EXPECT_GE(waited, 1000u);
  EXPECT_LE(waited, 1000u + 10u); // one wait slice
  EXPECT_EQ(ui.stdio, "hi");      // shown while waiting
}

TEST_F(KernelAccess, ResumeNeedsAStoppedKernel) {
  TargetConnect();
  board.Memory()[DebugFakeBoard::DoneFlag()] = 0;
  board.writes.clear();
  EXPECT_THROW(ResumeKernel(TargetRegisterFrame{}), xInternal);
  EXPECT_TRUE(board.writes.empty());
}

TEST_F(KernelAccess, StdioBlocks) {
  TargetConnect();
  board.QueueStdio(std::string(300, 'x'), 300);
  ReadTargetStdio();
  EXPECT_EQ(ui.stdio.size(), 255u);
  EXPECT_EQ(board.Memory()[DebugFakeBoard::StdioFlag()], 0);

  ui.calls.clear();
  board.QueueStdio("", 0);
  int readsBefore = board.reads;
  ReadTargetStdio();
  EXPECT_EQ(board.reads, readsBefore + 1); // the count only
  EXPECT_EQ(board.Memory()[DebugFakeBoard::StdioFlag()], 0);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"stdio 0"}));
}

TEST_F(KernelAccess, StepVariablesComeFromTheHelper) {
  TargetConnect();
  ProgramFrame().sp = 0xD800;
  RunKernelHelperForStepVariables();
  ASSERT_EQ(board.resumedFrames.size(), 1u);
  EXPECT_EQ(board.resumedFrames[0].pc, DebugFakeBoard::kBpInit);
  EXPECT_EQ(board.resumedFrames[0].sp, 0xD800);
  WriteKernelControlWords();
  EXPECT_EQ(board.Memory()[DebugFakeBoard::kStepFlag], 1);
  EXPECT_EQ(board.Word(DebugFakeBoard::kStepWord), 0);
  EXPECT_EQ(board.Memory()[DebugFakeBoard::RunRequest()], 1);
  ClearKernelStepFlag();
  EXPECT_EQ(board.Memory()[DebugFakeBoard::kStepFlag], 0);
}

TEST_F(KernelAccess, StopRequestRestoresThePatchedByte) {
  TargetConnect();
  board.Memory()[DebugFakeBoard::kPatchAddress] = 0xE7;
  RequestKernelStop();
  EXPECT_EQ(board.Memory()[DebugFakeBoard::kPatchAddress], 0xC9);
  uint32_t start = clock.Now();
  PulseKernelFlag(2);
  EXPECT_EQ(board.Memory()[DebugFakeBoard::PulseVariable()], 2);
  EXPECT_GE(clock.Now() - start, 200u);
}

} // namespace
} // namespace tsw
