#include "compcore/cc_in/cc_in.h"
#include "compcore/compiler_fixture.h"
#include "compcore/product_shell.h"
#include "foundation/xerr.h"

namespace tsw::testing {
namespace {

using ErrorListTest = CompilerFixture;

struct Arrival {
  const char *file;
  int line;
};

struct OrderCase {
  std::vector<Arrival> arrivals;
  std::vector<std::string> expected; // "file:line"
};

TEST_F(ErrorListTest, RecordsStandInFileAndLineOrder) {
  const OrderCase cases[] = {
      {{{"A.C", 30}, {"A.C", 10}, {"A.C", 20}}, {"A.C:10", "A.C:20", "A.C:30"}},
      {{{"A.C", 50}, {"B.C", 1}, {"A.C", 10}}, {"A.C:10", "A.C:50", "B.C:1"}},
      {{{"A.C", 10}, {"B.C", 5}, {"A.C", 20}}, {"A.C:10", "B.C:5", "A.C:20"}},
      {{{"A.C", 50}, {"B.C", 7}, {"B.C", 1}}, {"A.C:50", "B.C:1", "B.C:7"}},
      {{{"ERROR", 9}, {"ERROR", 2}, {"error", 5}}, {"ERROR:9", "ERROR:2", "error:5"}},
      {{{"a.c", 20}, {"A.C", 10}}, {"A.C:10", "a.c:20"}},
  };
  for (const OrderCase &c : cases) {
    ClearErrorList();
    for (const Arrival &a : c.arrivals) {
      SetErrorFileName(a.file, 1);
      EXPECT_EQ(RecordCompileError(a.line, 1, "x"), 0);
    }
    std::vector<std::string> got;
    for (const sError *e = ErrorListHead(); e; e = e->next)
      got.push_back(e->file + ":" + std::to_string(e->line));
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(ErrorListTest, SameLineLaterRecordStandsFirst) {
  SetErrorFileName("A.C", 1);
  RecordCompileError(4, 1, "first");
  RecordCompileError(4, 1, "second");
  EXPECT_EQ(Records(), (std::vector<std::string>{"A.C:4:E|A.C|second", "A.C:4:E|A.C|first"}));
}

TEST_F(ErrorListTest, FileNameInTextHasNoDirectory) {
  SetErrorFileName("C:\\LIB\\STDIO.LIB", 0);
  RecordCompileError(3, 7, "bad");
  ASSERT_NE(ErrorListHead(), nullptr);
  EXPECT_EQ(ErrorListHead()->text, "E|STDIO.LIB|bad");
  EXPECT_EQ(ErrorListHead()->flags, 0);
  EXPECT_EQ(ErrorListHead()->column, 7);
}

TEST_F(ErrorListTest, PercentInNameIsShownAsWritten) {
  SetErrorFileName("P.C", 1);
  RecordCompileError(1, 1, "undefined symbol 'a%sb%d%n'");
  RecordCompileWarning(1, 2, 1, "unused '%s'");
  EXPECT_EQ(Records(),
            (std::vector<std::string>{"P.C:1:E|P.C|undefined symbol 'a%sb%d%n'", "P.C:2:W|P.C|unused '%s'"}));
}

// Given a format, the recorders format once: an argument's '%' stays.
TEST_F(ErrorListTest, FormatsWithArgumentsOnce) {
  SetErrorFileName("P.C", 1);
  RecordCompileError(1, 1, "undefined '%s' (%d)", "a%sb", 7);
  RecordCompileWarning(0, 2, 1, "unused '%s'", "x%d");
  MakeErrorRecord(kErrorKind, 3, 1, "raw %s", "100%");
  EXPECT_EQ(Records(), (std::vector<std::string>{"P.C:1:E|P.C|undefined 'a%sb' (7)", "P.C:2:W|P.C|unused 'x%d'",
                                                 "P.C:3:raw 100%"}));
}

TEST_F(ErrorListTest, PositionsAndTextAreClamped) {
  SetErrorFileName("A.C", 1);
  MakeErrorRecord(kErrorKind, -3, 0, std::string(300, 'x'));
  MakeErrorRecord(kErrorKind, 5, 300, "y");
  const sError *e = ErrorListHead();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->line, 1);
  EXPECT_EQ(e->column, 1);
  EXPECT_EQ(e->text, std::string(kMaxErrorText, 'x'));
  ASSERT_NE(e->next, nullptr);
  EXPECT_EQ(e->next->column, 300 % 256);
}

TEST_F(ErrorListTest, HelpTextSplit) {
  struct Case {
    std::string text, message, help;
  } cases[] = {
      {"text\a\amore", "text", "more"},
      {"text\a\a", "text", kNoHelpText},
      {"plain", "plain", kNoHelpText},
      {"one\atwo", "one\atwo", kNoHelpText},
  };
  for (const Case &c : cases) {
    std::string message, help;
    SplitHelpText(c.text, message, &help);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(help, c.help);
  }
}

TEST_F(ErrorListTest, KindHoldsNegativeValues) {
  MakeErrorRecord(-2, 1, 1, "x");
  ASSERT_NE(ErrorListHead(), nullptr);
  EXPECT_EQ(ErrorListHead()->kind, -2);
}

TEST_F(ErrorListTest, ErrorLimitDropsAndRaisersThrowOverflow) {
  InstallErrorListSink();
  SetErrorFileName("A.C", 1);
  for (int i = 0; i < kMaxErrorRecords; ++i)
    ASSERT_EQ(RecordCompileError(i + 1, 1, "e"), 0);
  EXPECT_EQ(RecordCompileError(2000, 1, "dropped"), 1);
  EXPECT_EQ(RecordCompileWarning(1, 2000, 1, "dropped"), 1);
  EXPECT_EQ(ErrorRecordCount(), kMaxErrorRecords);
  EXPECT_EQ(CompileErrorCount(), kMaxErrorRecords + 1);
  EXPECT_THROW(CompileErrorAtLine<408>(5, 1), xCCErrOvflo);
  SetDiagnosticSink(nullptr);
}

TEST_F(ErrorListTest, SuppressionDropsEverything) {
  ErrorSuppression() = 1;
  EXPECT_EQ(RecordCompileError(1, 1, "e"), 1);
  EXPECT_EQ(RecordCompileWarning(0, 1, 1, "w"), 1);
  EXPECT_EQ(ErrorListHead(), nullptr);
}

TEST_F(ErrorListTest, WarningLimitAndCounts) {
  SetWarningLimits(1, 1);
  for (int i = 0; i < 5; ++i)
    RecordCompileWarning(i % 2, i + 1, 1, "w");
  EXPECT_EQ(WarningCount(), 3);
  EXPECT_EQ(SeriousWarningCount(), 1);
  EXPECT_EQ(TrivialWarningCount(), 2);
  EXPECT_EQ(ErrorListStatus(), unsigned(kListHoldsRecords));
  RecordCompileError(1, 1, "e");
  EXPECT_EQ(ErrorListStatus(), unsigned(kListHoldsRecords | kListHoldsErrors));
  ClearErrorList();
  EXPECT_EQ(ErrorListStatus(), 0u);
}

TEST_F(ErrorListTest, WatchModeThrowsWithoutHelp) {
  WatchCompileFlag() = true;
  SetErrorFileName("W.C", 1);
  try {
    RecordCompileError(1, 1, "bad\a\ahelp");
    FAIL();
  } catch (const xWatch &e) {
    EXPECT_EQ(e.FreeText(), "E|W.C|bad");
  }
  EXPECT_EQ(ErrorListHead(), nullptr);
}

TEST_F(ErrorListTest, FileNameRecordsOutliveClearUntilReleased) {
  SetErrorFileName("A.C", 1);
  const ErrorFileRecord *a = CurrentErrorFileRecord();
  SetErrorFileName("B.LIB", 0);
  ClearErrorList();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->name, "A.C");
  ASSERT_NE(a->next, nullptr);
  EXPECT_EQ(a->next->name, "B.LIB");
  BiosCompileFlag() = true;
  InitCompilerTables();
  EXPECT_EQ(CurrentErrorFileRecord(), nullptr);
}

TEST_F(ErrorListTest, ShowMessageFHonoursQuietFlag) {
  RecordedMessages out;
  out.boxAs = [](const std::string &title, const std::string &text) { return title + "/" + text; };
  out.lineAs = [](const std::string &, const std::string &text) { return "wait/" + text; };
  SetMessageOutput(&out);
  ShowMessageF(true, "%d files", 3);
  DisableMessageOutput();
  ShowMessageF(false, "hidden");
  EnableMessageOutput();
  ShowMessageF(false, "line %s", "x");
  EXPECT_EQ(out.shown, (std::vector<std::string>{"[16]/3 files", "wait/line x"}));
  SetMessageOutput(nullptr);
}

} // namespace
} // namespace tsw::testing
