#include "gui/msgwin.h"

#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/msgnumbers.h"
#include "pane_fixture.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

using gui::MakePos;

Diagnostic Error(uint16_t line, std::string text, bool follows = true) {
  return {line, 1, 0, std::move(text), "", "prog.c", follows};
}
Diagnostic Warning(uint16_t line, std::string text) { return {line, 1, 1, std::move(text), "", "prog.c", true}; }

std::vector<Diagnostic> Many(size_t errors, size_t warnings) {
  std::vector<Diagnostic> list;
  for (size_t i = 0; i < errors; ++i)
    list.push_back(Error(uint16_t(i + 1), "e" + std::to_string(i + 1)));
  for (size_t i = 0; i < warnings; ++i)
    list.push_back(Warning(uint16_t(100 + i), "w" + std::to_string(i + 1)));
  return list;
}

class MessageListTest : public ::testing::Test {
protected:
  testing::InstalledTexts texts{{{kMsgMessageRow, "line %d: %s"},
                                 {kMsgTooManyBoth, "over %d errors, %d warnings"},
                                 {kMsgTooManyErrors, "over %d errors"},
                                 {kMsgTooManyWarnings, "over %d warnings"}}};
  MessageList list;
};

TEST_F(MessageListTest, TheLimitsCutTheListAndAClosingNoteSaysWhich) {
  struct Case {
    const char *name;
    std::vector<Diagnostic> records;
    MessageLimits limits;
    size_t kept;
    std::string note; // the last row, empty: no note
  };
  std::vector<Diagnostic> warningFirst = Many(0, 3);
  warningFirst.insert(warningFirst.end(), {Error(1, "a"), Error(2, "b")});
  const Case cases[] = {
      {"15 errors over 10: the first ten and a note", Many(15, 0), {10, 20}, 11, "over 10 errors"},
      {"exactly at the limit: no note", Many(10, 20), {10, 20}, 30, ""},
      {"warnings over", Many(2, 5), {10, 3}, 6, "over 3 warnings"},
      {"both over", Many(4, 4), {2, 2}, 5, "over 2 errors, 2 warnings"},
      // The first record counts as one of its kind and always stays.
      {"a first warning counts as a warning", warningFirst, {2, 2}, 5, "over 2 warnings"},
      {"nothing to show", {}, {10, 20}, 0, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    list.Load(c.records, c.limits);
    std::vector<std::string> rows = list.Rows();
    ASSERT_EQ(rows.size(), c.kept);
    if (!c.note.empty()) {
      EXPECT_EQ(rows.back(), c.note);
      EXPECT_LT(list.Records().back().kind, 0);
      EXPECT_EQ(list.Records().back().line, list.Records()[c.kept - 2].line);
    } else if (!rows.empty()) {
      EXPECT_GE(list.Records().back().kind, 0);
    }
    EXPECT_EQ(list.Current(), c.kept ? std::optional<size_t>(0) : std::nullopt);
  }
}

TEST_F(MessageListTest, RowsNameTheLineOnlyForTheCompilersOwnReports) {
  struct Case {
    Diagnostic record;
    std::string row;
  };
  const Case cases[] = {
      {Error(12, "ERROR prog.c: undefined 'x'"), "line 12: ERROR prog.c: undefined 'x'"},
      {Warning(3, "WARNING prog.c: unused 'y'"), "line 3: WARNING prog.c: unused 'y'"},
      {Error(4, "Image files written."), "Image files written."},
      {Error(5, std::string(2000, 'x') + " ERROR"), "line 5: " + std::string(1015, 'x')},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.row.substr(0, 40));
    EXPECT_EQ(MessageRowText(c.record), c.row);
  }
  // A record without text has no row to stand on.
  list.Load({Error(1, "a"), Error(2, ""), Error(3, "c")}, {});
  EXPECT_EQ(list.Rows(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(MessageListTest, NextAndPreviousWrapAroundAndAClickBelowTheLastTakesTheLast) {
  list.Load(Many(3, 0), {});
  list.Previous();
  EXPECT_EQ(list.Current(), 2u) << "back from the first is the last";
  list.Next();
  EXPECT_EQ(list.Current(), 0u) << "on from the last is the first";
  list.Next();
  EXPECT_EQ(list.CurrentRecord()->text, "e2");
  list.Select(40);
  EXPECT_EQ(list.Current(), 2u);
}

TEST_F(MessageListTest, EditsOfTheProgramMoveOrDropTheMessagesAfterThem) {
  struct Case {
    const char *name;
    const char *file;
    gui::TextPos from, oldEnd, newEnd;
    // line and column of the records at lines 2 (col 5), 4 (col 3),
    // 4 (col 9) and 7 (col 1) after the edit; 0: gone.
    std::vector<std::pair<int, int>> after;
    size_t current; // was the record at 4:9
  };
  const Case cases[] = {
      {"two lines inserted at the start", "prog.c", MakePos(0, 0), MakePos(0, 0), MakePos(2, 0),
       {{4, 5}, {6, 3}, {6, 9}, {9, 1}}, 2},
      {"typing on line 4 before column 9 moves only its column", "prog.c", MakePos(3, 4), MakePos(3, 4),
       MakePos(3, 7), {{2, 5}, {4, 3}, {4, 12}, {7, 1}}, 2},
      {"deleting line 4 drops its messages; the one before becomes current", "prog.c", MakePos(3, 0),
       MakePos(4, 0), MakePos(3, 0), {{2, 5}, {6, 1}}, 0},
      {"another file leaves them alone", "other.c", MakePos(0, 0), MakePos(0, 0), MakePos(2, 0),
       {{2, 5}, {4, 3}, {4, 9}, {7, 1}}, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Diagnostic> records = {Error(2, "a"), Error(4, "b"), Error(4, "c"), Error(7, "d")};
    records[0].column = 5;
    records[1].column = 3;
    records[2].column = 9;
    list.Load(records, {});
    list.Select(2);
    list.AdjustPositions(c.file, "prog.c", c.from, c.oldEnd, c.newEnd);
    std::vector<std::pair<int, int>> after;
    for (const Diagnostic &record : list.Records())
      after.emplace_back(record.line, record.column);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(list.Current(), c.current);
  }
  // A note of the shell's own stays where it stands.
  list.Load({Error(5, "a", false)}, {});
  EXPECT_FALSE(list.AdjustPositions("prog.c", "prog.c", MakePos(0, 0), MakePos(0, 0), MakePos(1, 0)));
  EXPECT_EQ(list.Records()[0].line, 5);
}

class MessageWindowTest : public testing::QtSuite {
protected:
  testing::InstalledTexts texts{{{kMsgMessageRow, "%d: %s"}, {kMsgNoMessageHelp, "no help"}, {kMsgMessageTitle, "T"}}};
  testing::RecordingPaneHost host;
  std::vector<Diagnostic> shown;
  cTextMessage pane{40, host, [this](const Diagnostic &message) { shown.push_back(message); }};
};

TEST_F(MessageWindowTest, TheCurrentMessageIsHighlightedAndShownInItsEditor) {
  pane.Reload({Error(3, "ERROR one"), Error(8, "ERROR two")}, {});
  EXPECT_EQ(std::string(pane.Ring().GetLine(0)), "3: ERROR one");
  EXPECT_EQ(std::string(pane.Ring().GetLine(1)), "8: ERROR two");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown.back().line, 3);
  auto highlighted = [this](int32_t row) {
    const gui::cRangeData *data = nullptr;
    return pane.ColorRanges() && pane.ColorRanges()->Lookup(MakePos(row, 0), nullptr, &data) &&
           data->IsEqual(gui::cColorPair(cTextMessage::kCurrentBg, cTextMessage::kCurrentFg));
  };
  EXPECT_TRUE(highlighted(0));
  pane.NextMessage();
  EXPECT_FALSE(highlighted(0));
  EXPECT_TRUE(highlighted(1));
  EXPECT_EQ(shown.back().line, 8);
  EXPECT_EQ(gui::PosLine(pane.Ring().GetCursor()), 1);
}

TEST_F(MessageWindowTest, OnlyF1ActsAndShowsTheHelpOrSaysThereIsNone) {
  plat::RecordingNotifier notifier;
  plat::SetNotifier(&notifier);
  Diagnostic helped = Error(1, "ERROR a");
  helped.help = "declare it first";
  pane.Reload({helped, Error(2, "ERROR b")}, {});
  QTest::keyClick(&pane, Qt::Key_Down);
  EXPECT_EQ(pane.List().Current(), 0u) << "arrow keys do nothing here";
  QTest::keyClick(&pane, Qt::Key_F1);
  pane.NextMessage();
  QTest::keyClick(&pane, Qt::Key_F1);
  ASSERT_EQ(notifier.boxes.size(), 2u);
  EXPECT_EQ(notifier.boxes[0].text, "declare it first");
  EXPECT_EQ(notifier.boxes[1].text, "no help");
  plat::SetNotifier(nullptr);
}

} // namespace
} // namespace tsw
