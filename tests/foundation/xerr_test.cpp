#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_texts.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "platform/format.h"
#include "platform/notify.h"
#include "platform/ticks.h"

namespace tsw {
namespace {

class XErrTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorModule();
    ResetMessageTextModule();
    texts = testing::FakeTexts({{5000, "Title"},
                                {5001, "Alt title"},
                                {5017, "Internal error."},
                                {5021, "Cannot open %s."},
                                {5022, "Stray %d and %s and %n here"},
                                {5034, "Port set-up failed."},
                                {5043, "No such port."},
                                {5044, "Port already open."},
                                {5045, "Receive overrun."},
                                {5053, "Transmit time-out."},
                                {5079, " [read %d:%d]"},
                                {5080, " [write %d:%d]"},
                                {11040, "Idle: "},
                                {11045, "Loading: "},
                                {7000, "Plain text."}});
    SetMessageTexts(&texts);
    plat::SetTickSource(&ticks);
    plat::SetNotifier(&notifier);
  }
  void TearDown() override {
    plat::SetTickSource(nullptr);
    plat::SetNotifier(nullptr);
    ResetErrorModule();
    ResetMessageTextModule();
  }

  testing::FakeTexts texts;
  plat::FakeTickSource ticks{1000};
  plat::RecordingNotifier notifier;
};

TEST_F(XErrTest, PlainTextIsExactlyTheMessage) {
  xErr e(7000, "compcore\\cc_er", 12);
  EXPECT_EQ(e.Text(), "Plain text.");
  EXPECT_STREQ(e.what(), "Plain text.");
  // An internal error always names its position.
  EXPECT_EQ(xInternal("gui\\tswapp", 77).Text(), "Internal error.\nFile: gui\\tswapp, Line: 77");
}

TEST_F(XErrTest, VerboseReportShowsPositionThenEarlierExceptionsNewestFirst) {
  VerboseReports = true;
  xErr first(7000, "a", 1);
  ticks.Advance(5);
  xErr second(7000, "b", 2);
  ticks.Advance(10);
  xErr third(7000, "c", 3);
  third.Report();
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].title, "Title");
  EXPECT_EQ(notifier.boxes[0].text, "Plain text.\nFile: c, Line: 3\nb,2,-10\na,1,-15");
  EXPECT_EQ(notifier.boxes[0].buttons, plat::Buttons::Ok);
  EXPECT_EQ(ErrorTraceCount(), 0u);
}

TEST_F(XErrTest, TraceKeepsTheFirstTwentyAndStartsAgainAfterAReport) {
  for (uint32_t i = 1; i <= 25; ++i)
    xErr(7000, "m", i);
  ASSERT_EQ(ErrorTraceCount(), 20u);
  EXPECT_EQ(ErrorTraceEntry(19).line, 20u);
  xErr(7000, "m", 26).ReportWithAltTitle();
  EXPECT_EQ(notifier.boxes.back().title, "Alt title");
  EXPECT_EQ(ErrorTraceCount(), 0u);
  xErr next(7000, "n", 99);
  ASSERT_EQ(ErrorTraceCount(), 1u);
  EXPECT_EQ(ErrorTraceEntry(0).line, 99u);
}

TEST_F(XErrTest, CopiesRecordNothing) {
  xErr e(7000, "m", 1);
  xErr copy = e;
  EXPECT_EQ(ErrorTraceCount(), 1u);
  EXPECT_EQ(copy.Line(), 1u);
}

TEST_F(XErrTest, FileOpenCopiesItsNameAndFormatsSafely) {
  std::string name = "PROG.BRK";
  xFileOpen e(5021, name.c_str(), "compcore\\cc_rom", 5);
  name = "overwritten";
  EXPECT_EQ(e.Text(), "Cannot open PROG.BRK.");
  EXPECT_EQ(xFileOpen(5021, nullptr, "m", 1).Text(), "Cannot open .");
  // A text whose conversions do not match its one argument stays intact.
  std::string odd = xFileOpen(5022, "F", "m", 1).Text();
  EXPECT_NE(odd.find("Stray"), std::string::npos);
  EXPECT_NE(odd.find("here"), std::string::npos);
  VerboseReports = true;
  EXPECT_EQ(xFileOpen(5021, "X", "m", 9).Text(), "Cannot open X.\nFile: m, Line: 9");
}

TEST_F(XErrTest, TextsAreCutToTheBuffer) {
  VerboseReports = true;
  xErr e(7000, "module", 1);
  char buf[8];
  e.GetText(buf, sizeof buf);
  EXPECT_STREQ(buf, "Plain t");
  e.GetText(buf, 1);
  EXPECT_STREQ(buf, "");
}

TEST_F(XErrTest, WatchKeepsAtMost159Characters) {
  xWatch e(std::string(200, 'w'), "gui\\common\\tswwatch", 3);
  EXPECT_EQ(e.Message(), 0u);
  EXPECT_EQ(e.Text(), std::string(159, 'w'));
  EXPECT_EQ(xWatch(7000, "m", 1).Text(), "Plain text.");
  // Its own report leaves the trace alone.
  e.Report();
  EXPECT_EQ(notifier.boxes.back().title, "Title");
  EXPECT_EQ(ErrorTraceCount(), 2u);
}

TEST_F(XErrTest, PortSetupTextsPlainAndVerbose) {
  xTCInit e(5043, "compcore\\tcs", 40);
  EXPECT_EQ(e.Text(), "Port set-up failed.");
  VerboseReports = true;
  EXPECT_EQ(e.Text(), "Port set-up failed.\nNo such port.\nFile: compcore\\tcs, Line: 40");
  EXPECT_EQ(xTCComm(5053, "t", 2).Text(),
            "Transmit time-out.\nTransmit time-out.\nFile: t, Line: 2\ncompcore\\tcs,40,0");
  EXPECT_EQ(xTCOverrun("t", 3).Text(), "Receive overrun.\nFile: t, Line: 3\nt,2,0\ncompcore\\tcs,40,0");
}

TEST_F(XErrTest, LinkErrorBeginsWithTheActivitySentence) {
  struct Case {
    uint32_t activity;
    const char *prefix;
  } cases[] = {{4, "Loading: "}, {0, "Idle: "}, {8, "Idle: "}, {1, ""}};
  for (const Case &c : cases) {
    CurrentActivity = c.activity;
    xTCOpen("compcore\\tcs", 7).Report();
    EXPECT_EQ(notifier.boxes.back().text, std::string(c.prefix) + "Port already open.") << c.activity;
  }
  // Link reports leave the trace alone.
  EXPECT_EQ(ErrorTraceCount(), 4u);
}

TEST_F(XErrTest, TransferNoteIsAddedOnceAndClearsTheFlag) {
  LinkTransfer = LinkTransferState{true, true, MakeAddr24(0x12, 0xE345)};
  xTCXmitTimeout e("compcore\\tcs", 9);
  e.Report();
  EXPECT_EQ(notifier.boxes.back().text, "Idle: Transmit time-out. [write 18:58181]");
  EXPECT_FALSE(LinkTransfer.pending);
  e.ReportWithAltTitle();
  EXPECT_EQ(notifier.boxes.back().title, "Alt title");
  EXPECT_EQ(notifier.boxes.back().text, "Idle: Transmit time-out.");
  LinkTransfer = LinkTransferState{true, false, MakeAddr24(1, 2)};
  EXPECT_EQ(e.LinkErrorText(512), "Idle: Transmit time-out. [read 1:2]");
}

TEST_F(XErrTest, PrefixThatFillsTheBufferLeavesNoRoomAndNoOverrun) {
  texts.Set(11040, std::string(600, 'p'));
  xTCComm e(5053, "t", 1);
  EXPECT_EQ(e.LinkErrorText(512), std::string(511, 'p'));
  texts.Set(11040, std::string(510, 'p'));
  EXPECT_EQ(e.LinkErrorText(512), std::string(510, 'p'));
  EXPECT_EQ(e.LinkErrorText(0), "");
}

TEST_F(XErrTest, MissingMessagesGiveEmptyTextsNotErrors) {
  xErr e(4242, "m", 1);
  e.Report();
  EXPECT_EQ(notifier.boxes.back().text, "");
  char buf[16] = "junk";
  EXPECT_EQ(LoadResourceString(4242, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  GetResourceString(7000);
  EXPECT_STREQ(GetResourceString(4242), "");
  SetMessageTexts(nullptr);
  EXPECT_STREQ(GetResourceString(7000), "");
}

TEST_F(XErrTest, LoadResourceStringCutsAndCounts) {
  char buf[6];
  EXPECT_EQ(LoadResourceString(7000, buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "Plain");
  EXPECT_EQ(LoadResourceString(7000, buf, 0), 0);
}

TEST_F(XErrTest, ClassesCarryTheirMessageNumbers) {
  EXPECT_EQ(xNoMem("m", 1).Message(), 5018u);
  EXPECT_EQ(xInternal("m", 1).Message(), 5017u);
  EXPECT_EQ(xUserCancel("m", 1).Message(), 5016u);
  EXPECT_EQ(xCCErrOvflo("compcore\\cc_stab", 280).Message(), 616u);
  EXPECT_EQ(xTCOpen("m", 1).Message(), 5044u);
  EXPECT_EQ(xTCLocked("m", 1).Message(), 5039u);
  EXPECT_EQ(xTCBaud("m", 1).Message(), 5038u);
  EXPECT_EQ(xTCOverrun("m", 1).Message(), 5045u);
  EXPECT_EQ(xTCXmitTimeout("m", 1).Message(), 5053u);
  // Caught by reference through the base, the subclass's text still shows.
  try {
    throw xTCInit(5043, "m", 1);
  } catch (const xErr &e) {
    EXPECT_EQ(e.Text(), "Port set-up failed.");
  }
}

} // namespace
} // namespace tsw
