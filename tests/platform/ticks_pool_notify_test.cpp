#include "platform/notify.h"
#include "platform/pool.h"
#include "platform/ticks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace tsw::plat {
namespace {

TEST(Ticks, FakeClockMakesTimeOutsInstant) {
  FakeTickSource clock(0xFFFFFF00u);
  SetTickSource(&clock);
  uint32_t start = GetTickCount();
  int polls = 0;
  // A 5-second wait across the 32-bit wrap, as the link's time-outs do it.
  while (static_cast<uint32_t>(GetTickCount() - start) < 5000) {
    Sleep(70);
    ++polls;
  }
  EXPECT_EQ(polls, 72);
  SetTickSource(nullptr);
  uint32_t a = GetTickCount(), b = GetTickCount();
  EXPECT_LE(static_cast<uint32_t>(b - a), 1000u);
}

struct PoolTest : ::testing::Test {
  void SetUp() override {
    ResetPoolModule();
    MemSetErrorHandler([this](MemError e, MEM_POOL) { errors.push_back(e); });
  }
  void TearDown() override { ResetPoolModule(); }
  std::vector<MemError> errors;
};

TEST_F(PoolTest, ExhaustionReachesTheErrorHandler) {
  MEM_POOL pool = MemPoolInit(0);
  MemPoolSetLimit(pool, 100);
  void *a = MemAllocPtr(pool, 60, MEM_ZEROINIT);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(static_cast<char *>(a)[59], 0);
  EXPECT_EQ(MemAllocPtr(pool, 60, 0), nullptr);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], MemError::OutOfMemory);
  // Freeing makes room again.
  EXPECT_TRUE(MemFreePtr(a));
  EXPECT_NE(MemAllocPtr(pool, 60, 0), nullptr);
}

TEST_F(PoolTest, AThrowingHandlerLeavesThePoolUsable) {
  MemSetErrorHandler([](MemError, MEM_POOL) { throw std::runtime_error("pool"); });
  MEM_POOL pool = MemPoolInitFS(4, 10, 0);
  MemPoolSetLimit(pool, 8);
  void *a = MemAllocFS(pool);
  void *b = MemAllocFS(pool);
  EXPECT_THROW(MemAllocFS(pool), std::runtime_error);
  EXPECT_TRUE(MemFreeFS(a));
  EXPECT_NE(MemAllocFS(pool), nullptr);
  EXPECT_TRUE(MemFreeFS(b));
}

TEST_F(PoolTest, MisusesAreReported) {
  MEM_POOL var = MemPoolInit(0);
  MEM_POOL fixed = MemPoolInitFS(13, 10, 0);
  int local = 0;
  void *v = MemAllocPtr(var, 16, 0);
  void *f = MemAllocFS(fixed);

  EXPECT_FALSE(MemFreePtr(&local));
  EXPECT_FALSE(MemFreeFS(v));
  EXPECT_FALSE(MemFreePtr(f));
  EXPECT_EQ(MemAllocPtr(fixed, 4, 0), nullptr);
  EXPECT_TRUE(MemFreePtr(v));
  EXPECT_FALSE(MemFreePtr(v));
  EXPECT_EQ(errors, (std::vector<MemError>{MemError::BadPointer, MemError::WrongPool, MemError::WrongPool,
                                          MemError::WrongPool, MemError::BadPointer}));
}

TEST_F(PoolTest, ReallocKeepsContentsAndPoolFreeReleasesAll) {
  MEM_POOL pool = MemPoolInit(0);
  char *p = static_cast<char *>(MemAllocPtr(pool, 4, 0));
  std::memcpy(p, "abc", 4);
  p = static_cast<char *>(MemReAllocPtr(p, 64, MEM_ZEROINIT));
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "abc");
  EXPECT_EQ(p[63], 0);
  EXPECT_TRUE(MemPoolFree(pool));
  EXPECT_FALSE(MemFreePtr(p)); // gone with its pool
  EXPECT_FALSE(MemPoolFree(pool));
  EXPECT_EQ(errors, (std::vector<MemError>{MemError::BadPointer, MemError::BadPool}));
}

TEST(Notify, RecordingNotifierAnswersFromItsScript) {
  RecordingNotifier recorder;
  SetNotifier(&recorder);
  recorder.answers = {IDNO};
  EXPECT_EQ(Notifier().MessageBox("T", "save?", Buttons::YesNoCancel, Icon::Question), IDNO);
  EXPECT_EQ(Notifier().MessageBox("T", "again?", Buttons::YesNo, Icon::Question), IDYES);
  Notifier().StatusText("Compiling");
  SetNotifier(nullptr);
  ASSERT_EQ(recorder.boxes.size(), 2u);
  EXPECT_EQ(recorder.boxes[0].text, "save?");
  EXPECT_EQ(recorder.statusTexts, std::vector<std::string>{"Compiling"});
}

} // namespace
} // namespace tsw::plat
