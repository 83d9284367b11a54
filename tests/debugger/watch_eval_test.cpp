#include "debugger/watcheval.h"

#include "debugger/debug_fake_session.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

constexpr uint16_t kResult = 0x2345; // the fake kernel table's result word
constexpr uint16_t kCodeVariable = DebugFakeBoard::Var(7);
constexpr uint16_t kRequest = DebugFakeBoard::Var(11);
constexpr uint8_t kBusy = 0x04;

class WatchEvaluation : public DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    TargetConnect();
    board.writes.clear();
    board.Poke(kResult, {2, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0});
  }
  bool Wrote(uint16_t at) const {
    for (const auto &w : board.writes)
      if (w.physical == at)
        return true;
    return false;
  }
};

TEST_F(WatchEvaluation, TheKernelRunsTheFragmentAndTheRecordIsReadBack) {
  board.statusQueue = {kBusy, kBusy, 0, 0}; // busy a while before the request, free after it
  WatchRecord record{};
  EXPECT_EQ(EvaluateWatchOnTarget(0x3E10, record), kWatchEvaluated);
  EXPECT_EQ(board.Word(kCodeVariable), 0x3E10);
  EXPECT_EQ(board.Memory()[kRequest], 1);
  EXPECT_EQ(record, (WatchRecord{2, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(Addr24ToPhysical(WatchResultVariable()), kResult);
}

TEST_F(WatchEvaluation, AKernelBusyForASecondGivesBusyAndNoRecord) {
  struct Case {
    const char *what;
    size_t freeQueries; // answers of a free kernel before it stays busy
    bool requestSent;
  };
  const Case cases[] = {{"busy before the request", 0, false}, {"busy after the request", 1, true}};
  for (const Case &c : cases) {
    board.writes.clear();
    board.statusQueue.assign(c.freeQueries, 0);
    // Every wait slice also asks for waiting output: two queries a slice.
    board.statusQueue.insert(board.statusQueue.end(), 400, kBusy);
    WatchRecord record{};
    const uint32_t started = clock.Now();
    EXPECT_EQ(EvaluateWatchOnTarget(0x3E10, record), kWatchKernelBusy) << c.what;
    EXPECT_GE(clock.Now() - started, 1000u) << c.what;
    EXPECT_EQ(Wrote(kRequest), c.requestSent) << c.what;
    EXPECT_EQ(record, WatchRecord{}) << c.what;
  }
}

TEST_F(WatchEvaluation, OutputWaitingWhileTheKernelIsBusyReachesItsPane) {
  board.QueueStdio("seen", 4);
  board.statusQueue = {kBusy};
  WatchRecord record{};
  EXPECT_EQ(EvaluateWatchOnTarget(0x3E10, record), kWatchEvaluated);
  EXPECT_NE(ui.stdio.find("seen"), std::string::npos);
}

} // namespace
} // namespace tsw::testing
