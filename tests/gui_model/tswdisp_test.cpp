#include "gui/common/model/tswdisp.h"

#include <string>

#include <gtest/gtest.h>

#include "gui/common/model/tswview.h"
#include "model_fixture.h"

namespace tsw::gui {
namespace {

using testing::FakeCharRules;

// 30 lines and about 40 columns of 8x16 cells are visible.
struct PaneFixture : testing::ViewerFixture {
  void SetUp() override {
    rules.leadBytes = {0x81};
    SetTabSize(3);
    view.SetCellSize(8, 16);
    view.Resize(8 * 40 + 4, 16 * 30);
  }
};

TEST_F(PaneFixture, SetCursorLandsOnAValidPosition) {
  SetText("abc\nx\x81yz\nlast");
  struct Case {
    TextPos asked, landed;
  } cases[] = {
      {MakePos(9, 0), MakePos(2, 4)},  {MakePos(0, 99), MakePos(0, 3)}, {MakePos(1, 2), MakePos(1, 1)},
      {MakePos(-3, 1), MakePos(0, 1)}, {MakePos(1, 3), MakePos(1, 3)},
  };
  for (const Case &c : cases) {
    view.SetCursor(c.asked);
    EXPECT_EQ(view.GetCursor(), c.landed) << std::hex << c.asked;
  }
}

// A pane whose lines have no text at all.
struct EmptyPane : cTextDisplay {
  using cTextDisplay::cTextDisplay;
  const char *GetLine(int32_t) override { return nullptr; }
  int32_t LineCount() override { return 1; }
};

TEST(EmptyPane, AcceptsOnlyPositionZero) {
  FakeCharRules rules;
  EmptyPane pane(rules);
  EXPECT_TRUE(pane.IsValidPosition(0));
  EXPECT_FALSE(pane.IsValidPosition(MakePos(0, 1)));
  pane.SetCursor(MakePos(0, 5));
  EXPECT_EQ(pane.GetCursor(), 0u);
}

TEST_F(PaneFixture, CharacterAndWordStepsKeepToBoundaries) {
  SetText("ab \x81x cd\nnext");
  struct Case {
    const char *name;
    TextPos (cTextDisplay::*step)(TextPos);
    TextPos from, to;
  } cases[] = {
      {"next over a double-byte character", &cTextDisplay::NextPosition, MakePos(0, 3), MakePos(0, 5)},
      {"prev over a double-byte character", &cTextDisplay::PrevPosition, MakePos(0, 5), MakePos(0, 3)},
      {"next at a line end", &cTextDisplay::NextPosition, MakePos(0, 8), MakePos(1, 0)},
      {"prev at a line start", &cTextDisplay::PrevPosition, MakePos(1, 0), MakePos(0, 8)},
      {"next at the very end stays", &cTextDisplay::NextPosition, MakePos(1, 4), MakePos(1, 4)},
      {"prev at the very start stays", &cTextDisplay::PrevPosition, 0, 0},
      {"next word skips blanks and a double-byte character", &cTextDisplay::NextWordPosition, 0, MakePos(0, 6)},
      {"next word to the line end", &cTextDisplay::NextWordPosition, MakePos(0, 6), MakePos(0, 8)},
      {"prev word", &cTextDisplay::PrevWordPosition, MakePos(0, 7), MakePos(0, 6)},
      {"prev word at a line start", &cTextDisplay::PrevWordPosition, MakePos(1, 0), MakePos(0, 8)},
  };
  for (const Case &c : cases)
    EXPECT_EQ((view.*c.step)(c.from), c.to) << c.name;
}

TEST_F(PaneFixture, WordRangeAndSelectionText) {
  SetText("int  count;\nx");
  struct Case {
    TextPos at;
    bool found;
    std::string word;
  } cases[] = {{MakePos(0, 1), true, "int"},
               {MakePos(0, 3), true, "int"},
               {MakePos(0, 7), true, "count"},
               {MakePos(0, 11), true, "count"},
               {MakePos(1, 0), true, "x"}};
  for (const Case &c : cases) {
    std::optional<std::string> word = view.WordAt(c.at);
    EXPECT_EQ(word.has_value(), c.found) << PosColumn(c.at);
    if (word) {
      EXPECT_EQ(*word, c.word) << PosColumn(c.at);
    }
  }
  view.SetSelection(MakePos(0, 5), MakePos(0, 10));
  EXPECT_EQ(view.GetSelectionText(), "count");
  view.SetSelection(MakePos(0, 5), MakePos(1, 1));
  EXPECT_FALSE(view.GetSelectionText()) << "only a selection on one line";
}

TEST_F(PaneFixture, TabsAndDoubleByteCharactersInDisplayColumns) {
  SetText("\tx\n  \tx\n\x81yz");
  struct Case {
    TextPos pos;
    int32_t column;
  } cases[] = {{MakePos(0, 1), 4}, {MakePos(1, 2), 3}, {MakePos(1, 3), 4}, {MakePos(2, 1), 1}, {MakePos(2, 2), 3}};
  for (const Case &c : cases)
    EXPECT_EQ(DisplayColumn(view.OffsetToDisplayColumn(c.pos, 0, 1)), c.column) << std::hex << c.pos;

  struct Back {
    int32_t line, column;
    bool snap;
    TextPos pos;
    int32_t snapped;
  } backs[] = {{1, 2, true, MakePos(0, 0), 1}, {1, 4, true, MakePos(0, 1), 4}, {3, 2, true, MakePos(2, 0), 1},
               {3, 9, true, MakePos(2, 3), 4}, {9, 5, true, MakePos(8, 0), 1}, {1, 3, false, MakePos(0, 0), 3}};
  for (const Back &b : backs) {
    DisplayPos display = MakeDisplayPos(b.line, b.column);
    EXPECT_EQ(view.DisplayColumnToOffset(display, b.snap), b.pos) << b.line << ":" << b.column;
    EXPECT_EQ(DisplayColumn(display), b.snapped) << b.line << ":" << b.column;
  }
}

TEST_F(PaneFixture, KeysMoveTheCaretAndShiftExtendsFromWhereItWas) {
  SetText("one two\nthree\nfour");
  view.SetCursor(MakePos(1, 2));
  view.KeyDown(Key::Home, kCtrl);
  EXPECT_EQ(view.GetCursor(), 0u);
  view.KeyDown(Key::End, kCtrl);
  EXPECT_EQ(view.GetCursor(), MakePos(2, 4));
  view.SetCursor(MakePos(0, 1));
  view.KeyDown(Key::Right, kShift | kCtrl);
  EXPECT_EQ(view.Anchor(), MakePos(0, 1));
  EXPECT_EQ(view.GetCursor(), MakePos(0, 4));
  view.KeyDown(Key::Down, kShift);
  EXPECT_EQ(view.SelectionStart(), MakePos(0, 1));
  EXPECT_EQ(view.SelectionEnd(), MakePos(1, 4));
  view.KeyDown(Key::Left, kNoModifier);
  EXPECT_FALSE(view.HasSelection());
  EXPECT_EQ(view.GetCursor(), MakePos(1, 3));
  view.KeyDown(Key::End, kNoModifier);
  EXPECT_EQ(view.GetCursor(), MakePos(1, 5));
}

TEST_F(PaneFixture, PageUpNearTheTopHoldsTheViewAndStillMovesTheCaret) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += "line\n";
  SetText(text);
  view.VScroll(ScrollCode::ThumbPosition, 5);
  view.SetKeepCaretInView(false);
  view.SetCursor(MakePos(40, 0));
  view.KeyDown(Key::PageUp, kNoModifier);
  int32_t page = (DisplayLine(view.LastVisible()) - DisplayLine(view.FirstVisible())) - 2;
  EXPECT_EQ(DisplayLine(view.FirstVisible()), 1);
  EXPECT_EQ(view.GetCursor(), MakePos(40 - page, 0));
  view.SetCursor(MakePos(3, 0));
  view.KeyDown(Key::PageUp, kNoModifier);
  EXPECT_EQ(view.GetCursor(), 0u) << "a negative line becomes line 0";
}

TEST_F(PaneFixture, ScrollArithmeticHoldsItsRanges) {
  std::string text;
  for (int i = 0; i < 50; ++i)
    text += "l\n";
  SetText(text);
  struct Case {
    ScrollCode code;
    int32_t thumb, expected;
  } lines[] = {{ScrollCode::Top, 0, 1},        {ScrollCode::LineUp, 0, 1},  {ScrollCode::LineDown, 0, 2},
               {ScrollCode::PageDown, 0, 30},  {ScrollCode::Bottom, 0, 51}, {ScrollCode::LineDown, 0, 51},
               {ScrollCode::ThumbTrack, 7, 7}, {ScrollCode::PageUp, 0, 1},  {ScrollCode::ThumbPosition, 999, 51}};
  for (const Case &c : lines)
    EXPECT_EQ(view.VScroll(c.code, c.thumb), c.expected) << int(c.code);
  Case columns[] = {{ScrollCode::LineUp, 0, 0},
                    {ScrollCode::Top, 0, 1},
                    {ScrollCode::PageDown, 0, 4},
                    {ScrollCode::LineDown, 0, 5},
                    {ScrollCode::ThumbTrack, 2000, 1000}};
  for (const Case &c : columns)
    EXPECT_EQ(view.HScroll(c.code, c.thumb), c.expected) << int(c.code);
}

TEST_F(PaneFixture, KeepingTheCaretInViewAsksForTheScroll) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += std::string(200, 'w') + "\n";
  SetText(text);
  int32_t height = DisplayLine(view.LastVisible()) - DisplayLine(view.FirstVisible());
  int32_t width = DisplayColumn(view.LastVisible()) - DisplayColumn(view.FirstVisible());
  ScrollRequest down = view.SetCursor(MakePos(60, 0));
  ASSERT_TRUE(down.line);
  EXPECT_EQ(*down.line, 61 - height + 3) << "three lines of context below";
  EXPECT_FALSE(down.column);
  ScrollRequest right = view.SetCursor(MakePos(60, 100));
  ASSERT_TRUE(right.column);
  EXPECT_EQ(*right.column, 101 - width + 2);
  EXPECT_EQ(DisplayColumn(view.FirstVisible()), 101 - width + 2) << "the request was carried out";
  ScrollRequest left = view.SetCursor(MakePos(60, 0));
  ASSERT_TRUE(left.column);
  EXPECT_EQ(*left.column, 0);
  ScrollRequest up = view.SetCursor(MakePos(2, 0));
  ASSERT_TRUE(up.line);
  EXPECT_EQ(*up.line, 3);
  EXPECT_FALSE(view.SetCursor(MakePos(5, 0)).line) << "inside the view nothing scrolls";
}

TEST_F(PaneFixture, OnlyAFocusedPaneShowsItsCaret) {
  SetText("abc");
  events.caretShown.clear();
  view.SetCursor(MakePos(0, 2));
  EXPECT_TRUE(events.caretShown.empty());
  view.SetFocused(true);
  view.SetCursor(MakePos(0, 1));
  EXPECT_EQ(events.caretShown, std::vector<DisplayPos>{MakeDisplayPos(1, 2)});
}

TEST_F(PaneFixture, PixelsAndCellsConvertBothWays) {
  // Left margin: half a cell.
  EXPECT_EQ(view.PixelOf(MakeDisplayPos(1, 1)).x, 4);
  EXPECT_EQ(view.PixelOf(MakeDisplayPos(3, 5)).y, 32);
  struct Case {
    PixelPoint point;
    DisplayPos pos;
  } cases[] = {{{4, 0}, MakeDisplayPos(1, 1)},
               {{7, 15}, MakeDisplayPos(1, 1)},
               {{8, 16}, MakeDisplayPos(2, 2)},
               {{-50, -50}, MakeDisplayPos(1, 1)},
               {{20, 40}, MakeDisplayPos(3, 3)}};
  for (const Case &c : cases)
    EXPECT_EQ(view.DisplayPosAt(c.point), c.pos) << c.point.x << "," << c.point.y;
  EXPECT_EQ(view.AutoScrollTarget({-100, 10000}), MakeDisplayPos(DisplayLine(view.LastVisible()) + 1, 1));
  EXPECT_EQ(view.AutoScrollTarget({10000, -100}), MakeDisplayPos(1, DisplayColumn(view.LastVisible()) - 1));
}

} // namespace
} // namespace tsw::gui
