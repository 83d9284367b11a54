#include "gui/common/model/tswview.h"

#include <string>

#include <gtest/gtest.h>

#include "model_fixture.h"

namespace tsw::gui {
namespace {

struct ViewFixture : testing::ViewerFixture {
  void SetUp() override {
    view.SetCellSize(8, 16);
    view.Resize(800, 400);
  }
  void FillLines(int32_t count) {
    std::string text;
    for (int32_t i = 1; i < count; ++i)
      text += "\n";
    SetText(text);
    ASSERT_EQ(doc.LinesUsed(), count);
  }
};

TEST_F(ViewFixture, EnterSplitsTheLineAndTakesTheFirstLinesEnd) {
  SetText("first\nabcdef");
  doc.SetLineEnd(0, LineEnd::CRLF);
  view.SetCursor(MakePos(1, 3));
  view.InsertChar("\n");
  EXPECT_EQ(Bytes(), "first\r\nabc\r\ndef");
  EXPECT_EQ(view.GetCursor(), MakePos(2, 0));
}

TEST_F(ViewFixture, PastedBreaksOfEveryKindGiveOneLineEach) {
  SetText("x");
  EXPECT_EQ(view.PasteText(MakePos(0, 1), "1\r\n2\n3\r4\n\r5"), MakePos(4, 1));
  EXPECT_EQ(Bytes(), "x1\n2\n3\n4\n5");
}

TEST_F(ViewFixture, LongPasteIsContinuedAndKeepsItsBytes) {
  SetText("ab");
  std::string long700(700, 'm');
  TextPos end = view.PasteText(MakePos(0, 1), long700);
  ASSERT_EQ(doc.LinesUsed(), 2);
  EXPECT_EQ(doc.LineLength(0), 512);
  EXPECT_EQ(doc.LineLength(1), 190);
  EXPECT_TRUE(doc.IsContinued(0));
  EXPECT_EQ(Bytes(), "a" + long700 + "b");
  EXPECT_EQ(end, MakePos(1, 189));
}

TEST_F(ViewFixture, EditsPastTheLineLimitAreRefusedWhole) {
  struct Case {
    const char *name;
    int32_t lines;
    std::string text;
  } cases[] = {{"Enter at 10000 lines", kMaxLines, "\n"},
               {"2000-byte paste into 9998 lines", 9998, std::string(2000, 'p')},
               {"tail pushed past 512 at the limit", kMaxLines, std::string(600, 't')}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FillLines(c.lines);
    std::string before = Bytes();
    TextPos at = MakePos(5, 0);
    EXPECT_EQ(view.ReplaceRange(at, at, c.text), at);
    EXPECT_EQ(events.messages, std::vector<uint32_t>{kMsgTooManyLines});
    EXPECT_EQ(Bytes(), before);
  }
}

TEST_F(ViewFixture, SelectionReplacesTheGivenRange) {
  SetText("hello world");
  view.SetSelection(MakePos(0, 6), MakePos(0, 11));
  TextPos end = view.ReplaceRange(0, 0, "there");
  EXPECT_EQ(Bytes(), "hello there");
  EXPECT_EQ(end, MakePos(0, 11));
  EXPECT_EQ(view.GetCursor(), end);
  EXPECT_FALSE(view.HasSelection());
}

TEST_F(ViewFixture, CaretMovesWithTheTextAfterTheEdit) {
  SetText("abc\ndef\nghi");
  struct Case {
    TextPos caret, from, to;
    const char *text;
    TextPos expected;
  } cases[] = {
      {MakePos(1, 2), MakePos(1, 0), MakePos(1, 1), "XY", MakePos(1, 3)},
      {MakePos(2, 1), MakePos(0, 1), MakePos(0, 1), "\n\n", MakePos(4, 1)},
      {MakePos(2, 1), MakePos(0, 1), MakePos(1, 1), "", MakePos(1, 1)},
      {MakePos(0, 0), MakePos(0, 1), MakePos(0, 2), "zz", MakePos(0, 0)},
  };
  for (const Case &c : cases) {
    SetText("abc\ndef\nghi");
    view.SetCursor(c.caret);
    view.ReplaceRange(c.from, c.to, c.text);
    EXPECT_EQ(view.GetCursor(), c.expected) << c.text;
  }
}

TEST_F(ViewFixture, CopyGivesEachLinesOwnEnd) {
  SetText(std::string(600, 'k') + "\nz");
  EXPECT_EQ(view.CopyText(0, MakePos(2, 1)), std::string(600, 'k') + "\nz") << "no end inside a continued line";
  SetText("a\nb\nc");
  doc.SetLineEnd(0, LineEnd::CRLF);
  EXPECT_EQ(view.CopyText(0, MakePos(2, 1)), "a\r\nb\nc");
  EXPECT_EQ(view.CopyText(MakePos(1, 0), MakePos(1, 1)), "b");
}

TEST_F(ViewFixture, OverwriteReplacesCharactersAndInsertsAtTheEnd) {
  rules.leadBytes = {0x81};
  SetText("ab\x81x");
  view.SetCursor(0);
  view.OverwriteChar("Z");
  EXPECT_EQ(Bytes(), "Zb\x81x");
  view.SetCursor(MakePos(0, 2));
  view.OverwriteChar("q");
  EXPECT_EQ(Bytes(), "Zbq ") << "the rest of the double-byte character becomes a blank";
  view.SetCursor(MakePos(0, 4));
  view.OverwriteChar("!");
  EXPECT_EQ(Bytes(), "Zbq !");
}

TEST_F(ViewFixture, ThinFormsIgnoreInvalidPositions) {
  rules.leadBytes = {0x81};
  SetText("\x81x");
  std::string before = Bytes();
  view.InsertText(MakePos(0, 1), "no");
  view.DeleteRange(MakePos(0, 1), MakePos(0, 2));
  view.InsertText(MakePos(3, 0), "no");
  EXPECT_EQ(Bytes(), before);
}

struct SearchCase {
  const char *name;
  std::string line;
  std::string text;
  uint8_t options;
  int64_t column; // -1: not found
};

TEST_F(ViewFixture, SearchFoldsCaseByTheFixedTable) {
  const SearchCase cases[] = {
      {"folds ASCII", "xAb", "ab", 0, 1},
      {"folds mixed", "x aB", "Ab", 0, 2},
      {"case-sensitive", "AB Ab ab", "ab", kCaseSensitive, 6},
      {"Latin-1 letters fold", "x\xC9t\xE9", "\xE9T", 0, 1},
      {"times and divide do not fold", "\xD7", "\xF7", 0, -1},
      {"backward takes the later match", "ab ab", "ab", kBackward, 3},
      {"only whole lines match", "abc", "abcd", 0, -1},
  };
  for (const SearchCase &c : cases) {
    SCOPED_TRACE(c.name);
    SetText(c.line);
    TextPos found = view.Search(c.text, c.options, 0, kNoPos);
    EXPECT_EQ(found, c.column < 0 ? kNoPos : MakePos(0, uint32_t(c.column)));
  }
}

TEST_F(ViewFixture, SearchNeverFoldsOrStartsInsideATrailByte) {
  rules.leadBytes = {0x81};
  SetText("\x81"
          "a A");
  EXPECT_EQ(view.Search("a", 0, 0, kNoPos), MakePos(0, 3)) << "the trail byte a is no letter";
  EXPECT_EQ(view.Search("\x81"
                        "A",
                        0, 0, kNoPos),
            kNoPos)
      << "the trail byte is compared exactly";
  EXPECT_EQ(view.Search("\x81"
                        "a",
                        0, 0, kNoPos),
            0u);
}

TEST_F(ViewFixture, BackwardSearchSelectsWithTheCaretAtTheStart) {
  SetText("one ab two ab\nab");
  TextPos found = view.Search("ab", kBackward, 0, MakePos(1, 0));
  EXPECT_EQ(found, MakePos(0, 11));
  EXPECT_EQ(view.GetCursor(), MakePos(0, 11));
  EXPECT_EQ(view.Anchor(), MakePos(0, 13));
}

TEST_F(ViewFixture, FindNextGoesOnFromTheCaretWithTheLast79Bytes) {
  std::string hundred(100, 'r');
  SetText(hundred.substr(0, 79) + "\n" + hundred.substr(0, 79));
  EXPECT_EQ(view.Search(hundred, 0, 0, kNoPos), kNoPos);
  EXPECT_EQ(LastSearch().text.size(), kMaxSearchText);
  view.SetCursor(0);
  EXPECT_EQ(view.FindNext(), 0u);
  EXPECT_EQ(view.FindNext(), MakePos(1, 0)) << "starts at the caret, after the match";
  EXPECT_EQ(view.LastMatchEnd(), MakePos(1, 79));
}

TEST_F(ViewFixture, GoToLineTakesOnlyExistingLines) {
  SetText("a\nb\nc");
  EXPECT_TRUE(view.GoToLine(3));
  EXPECT_EQ(view.GetCursor(), MakePos(2, 0));
  EXPECT_FALSE(view.GoToLine(9));
  EXPECT_EQ(events.messages, std::vector<uint32_t>{0}) << "a beep";
  EXPECT_EQ(view.GetCursor(), MakePos(2, 0));
}

TEST_F(ViewFixture, EndPositionIsAfterTheLastCharacter) {
  SetText("ab\ncde");
  EXPECT_EQ(view.GetEndPosition(), MakePos(1, 3));
}

} // namespace
} // namespace tsw::gui
