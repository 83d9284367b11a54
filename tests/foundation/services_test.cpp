#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/brstring.h"
#include "foundation/inisetting.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/restext.h"
#include "foundation/version.h"
#include "foundation/xerr.h"
#include "platform/profile.h"
#include "platform/ticks.h"
#include "support/tempdir.h"

namespace tsw {
namespace {
using testing::TempDir;

class MsTimerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetTimerModule();
    plat::SetTickSource(&ticks);
  }
  void TearDown() override {
    plat::SetTickSource(nullptr);
    ResetTimerModule();
  }
  plat::FakeTickSource ticks{5000};
};

TEST_F(MsTimerTest, CoarseModeRoundsUpToMultiplesOf55) {
  struct Case {
    uint32_t ms, coarse;
  } cases[] = {{0, 0}, {1, 55}, {20, 55}, {55, 55}, {56, 110}, {1000, 1045}, {0xFFFFFFFF, 0xFFFFFFE6}};
  for (const Case &c : cases) {
    ToolHelpTimer = 0;
    EXPECT_EQ(MsTimer().SetPeriod(c.ms).Period(), c.coarse) << c.ms;
    ToolHelpTimer = 1;
    EXPECT_EQ(MsTimer().SetPeriod(c.ms).Period(), c.ms) << c.ms;
  }
}

TEST_F(MsTimerTest, ZeroPeriodExpiresAtOnceAndUnstartedReadsExpired) {
  MsTimer timer(0);
  EXPECT_TRUE(timer.Expired());
  ticks.Advance(0x80000001u); // far from the deadline 0 in signed terms
  EXPECT_TRUE(timer.Expired());
  timer.Start();
  EXPECT_TRUE(timer.Expired());
}

TEST_F(MsTimerTest, DeadlineHoldsAcrossTheTickWrap) {
  ToolHelpTimer = 1;
  plat::FakeTickSource nearWrap(0xFFFFFF00u); // 256 ms before the wrap
  plat::SetTickSource(&nearWrap);
  MsTimer timer(512);
  timer.Start();
  EXPECT_EQ(timer.Deadline(), 256u);
  nearWrap.Advance(128); // 128 ms before the wrap
  EXPECT_FALSE(timer.Expired());
  nearWrap.Advance(128 + 255);
  EXPECT_FALSE(timer.Expired());
  nearWrap.Advance(1);
  EXPECT_TRUE(timer.Expired());
}

TEST_F(MsTimerTest, DeadlineThatComesOutZeroIsMadeOne) {
  ToolHelpTimer = 1;
  plat::FakeTickSource clock(0xFFFFFF00u);
  plat::SetTickSource(&clock);
  MsTimer timer(0x100);
  timer.Start();
  EXPECT_EQ(timer.Deadline(), 1u);
  EXPECT_FALSE(timer.Expired());
}

TEST(VersionTest, PacksAndShowsSevenOhSixP) {
  EXPECT_EQ(PackVersionNumber(), 0x0706);
  EXPECT_EQ(VersionTitleText(), " 7.06P");
  EXPECT_EQ(FullVersionText(""), "7.06P");
  EXPECT_EQ(FullVersionText("beta"), "7.06Pbeta");
}

TEST(TrimBlanksTest, CutsBlanksAndTabsOnly) {
  EXPECT_EQ(TrimBlanks(" \t a b \t"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\nx\n"), "\nx\n");
}

TEST(SplitDefinesTest, TableOfTexts) {
  using V = std::vector<std::string>;
  struct Case {
    const char *text;
    V pairs;
  } cases[] = {
      {"A=1; B = two ;C", {"A", "1", "B", "two", "C", ""}},
      {"X=\"a;b\"", {"X", "\"a;b\""}},
      {"Y=1=2;Z=3", {}},
      {"", {}},
      {" ; ;=5;N", {"N", ""}},
      {"P=\"q\\\"r\" ;Q=1", {"P", "\"q\\\"r\"", "Q", "1"}},
      {"E=a\\;b;F", {"E", "a\\;b", "F", ""}},
      {"G=1;H\"x=2;I=3", {"G", "1"}},
      {"J=\"x\" y;K=1", {}},
      {"L=\"open", {}},
      {"M=", {"M", ""}},
  };
  for (const Case &c : cases) {
    V out;
    SplitDefines(c.text, out);
    EXPECT_EQ(out, c.pairs) << c.text;
  }
}

TEST(IniStringSettingTest, SavedDefinesReachTheListAfterARestart) {
  TempDir dir;
  std::string file = dir / "tsw.ini";
  std::vector<std::string> list = {"stale", "pair"};
  {
    IniStringSetting setting(file, &list);
    EXPECT_TRUE(list.empty());
    setting.SetValue("DEBUG=1;NAME = \"x;y\"");
    EXPECT_EQ(list, (std::vector<std::string>{"DEBUG", "1", "NAME", "\"x;y\""}));
  }
  EXPECT_EQ(plat::GetProfileString("DEFINES", "defs", "", file), "DEBUG=1;NAME = \"x;y\"");

  std::vector<std::string> restarted;
  IniStringSetting again(file, &restarted);
  EXPECT_EQ(again.Value(), "DEBUG=1;NAME = \"x;y\"");
  EXPECT_EQ(restarted, (std::vector<std::string>{"DEBUG", "1", "NAME", "\"x;y\""}));
  again.SetValue("");
  EXPECT_TRUE(restarted.empty());
}

TEST(IniStringSettingTest, LongDefinesComeBackWhole) {
  TempDir dir;
  std::string file = dir / "tsw.ini";
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; i < 150; ++i) {
    text += (i ? ";" : "") + ("NAME_" + std::to_string(i)) + "=" + std::to_string(1000 + i);
    expected.push_back("NAME_" + std::to_string(i));
    expected.push_back(std::to_string(1000 + i));
  }
  ASSERT_GT(text.size(), 1023u);
  std::vector<std::string> list;
  IniStringSetting(file, &list).SetValue(text);
  std::vector<std::string> restarted;
  IniStringSetting again(file, &restarted);
  EXPECT_EQ(again.Value(), text);
  EXPECT_EQ(restarted, expected);
}

TEST(ResetFoundationTest, PutsEveryModuleBackToItsStart) {
  ResetFoundation();
  uint16_t emptyTable = StringTableCount();
  BRStringEntry *orphan = FindOrAddStringEntry("left over");
  ASSERT_NE(orphan, nullptr);
  ExtWindowStart = 0xD000;
  MemoryMap().DataTop = 0x1234;
  VerboseReports = true;
  CurrentActivity = 4;
  LinkTransfer.pending = true;
  xErr(1, "m", 1);
  ToolHelpTimer = 1;

  ResetFoundation();
  EXPECT_EQ(StringTableCount(), emptyTable);
  EXPECT_EQ(FindStringEntry("left over"), nullptr);
  EXPECT_EQ(ExtWindowStart, kDefaultExtWindowStart);
  EXPECT_EQ(MemoryMap().DataTop, 0);
  EXPECT_FALSE(VerboseReports);
  EXPECT_EQ(CurrentActivity, 0u);
  EXPECT_FALSE(LinkTransfer.pending);
  EXPECT_EQ(ErrorTraceCount(), 0u);
  EXPECT_EQ(ToolHelpTimer, 0);
  EXPECT_STREQ(GetResourceString(1111), "");
  FreeStringTable();
}

} // namespace
} // namespace tsw
