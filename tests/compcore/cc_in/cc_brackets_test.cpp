#include "foundation/xerr.h"
#include "compcore/compiler_fixture.h"

namespace tsw::testing {
namespace {

using BracketTest = CompilerFixture;

void Feed(const std::string &chars, uint32_t line) {
  uint32_t column = 1;
  for (char c : chars)
    TrackBracket(c, line++, column++);
}

TEST_F(BracketTest, MismatchReportsClosingTextAndOpeningLine) {
  SetErrorFileName("ERROR", 1);
  Feed("([)]", 10); // ( at 10, [ at 11, ) at 12, ] at 13
  EXPECT_EQ(Records(), (std::vector<std::string>{"ERROR:12:E|ERROR|[562 ) 11]", "ERROR:13:E|ERROR|[562 ] 10]"}));
  EXPECT_EQ(OpenBracketCount(), 0u);
}

TEST_F(BracketTest, UnmatchedAndUnclosedReports) {
  SetErrorFileName("ERROR", 1);
  Feed("}", 3);
  Feed("{(", 5);
  CheckBracketNesting(kCommentOpen, 8, 2);
  ReportUnclosedBrackets();
  EXPECT_EQ(Records(), (std::vector<std::string>{"ERROR:3:E|ERROR|[2088]", "ERROR:8:E|ERROR|[464]",
                                                 "ERROR:6:E|ERROR|[2085]", "ERROR:5:E|ERROR|[2087]"}));
  EXPECT_EQ(OpenBracketCount(), 0u);
}

TEST_F(BracketTest, BalancedAndDisabledCountNothing) {
  Feed("{[()]}", 1);
  BracketTrackingDisabled() = true;
  Feed("((", 2);
  BracketTrackingDisabled() = false;
  EXPECT_EQ(OpenBracketCount(), 0u);
  EXPECT_EQ(ErrorListHead(), nullptr);
}

TEST_F(BracketTest, ReportsPassTheRecordLimit) {
  SetErrorFileName("ERROR", 1);
  for (int i = 0; i < kMaxErrorRecords; ++i)
    RecordCompileError(1, 1, "e");
  Feed(")", 4);
  EXPECT_EQ(ErrorRecordCount(), kMaxErrorRecords + 1);
}

TEST_F(BracketTest, WithoutTextsTheStackIsStillEmptied) {
  Feed("{{", 1);
  SetMessageTexts(nullptr);
  ReportUnclosedBrackets();
  EXPECT_EQ(OpenBracketCount(), 0u);
  EXPECT_EQ(ErrorListHead(), nullptr);
}

TEST_F(BracketTest, WatchModeReportsTheClosingItem) {
  SetErrorFileName("ERROR", 1);
  Feed("(", 1);
  WatchCompileFlag() = true;
  EXPECT_THROW(Feed("]", 2), xWatch);
  WatchCompileFlag() = false;
  EXPECT_EQ(OpenBracketCount(), 0u);
  EXPECT_FALSE(BracketReportFlag()); // or later errors would pass the record limit
}

} // namespace
} // namespace tsw::testing
