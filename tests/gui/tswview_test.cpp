#include "gui/common/tswview.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <vector>

#include "gui/common/model/tswview.h"
#include "gui_model/model_fixture.h"
#include "pane_fixture.h"
#include "qt_fixture.h"

namespace tsw::gui {
namespace {

using testing::FakeCharRules;
using tsw::testing::RecordingPaneHost;

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kBlue = 0xFF0000, kRed = 0x0000FF, kGreen = 0x00FF00;

// A pane over a document in memory, in a window of its own with a second
// focusable widget beside it.
class PaneTest : public tsw::testing::QtSuite {
protected:
  void SetUp() override {
    SetTabSize(3);
    auto *layout = new QVBoxLayout(&window);
    pane = new cTextWidget(view, host);
    other = new QLineEdit();
    layout->addWidget(pane);
    layout->addWidget(other);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    pane->SetColors(kBlack, kWhite, kWhite, kBlue);
  }
  void SetText(const std::string &text) {
    view.ReplaceRange(0, view.GetEndPosition(), text);
    view.SetCursor(0);
    view.ClearSelection();
  }
  void FocusPane() {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    pane->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(pane->hasFocus());
  }
  int Cell() const { return pane->CellSize().width(); }
  int Row() const { return pane->CellSize().height(); }
  int Margin() const { return pane->LeftMargin(); }

  UndoPool pool;
  FakeCharRules rules;
  cBufLine doc{256, MakeMemoryStore(), &pool, nullptr};
  cTextViewer view{doc, rules};
  RecordingPaneHost host;
  QWidget window;
  cTextWidget *pane = nullptr;
  QLineEdit *other = nullptr;
};

TEST_F(PaneTest, CellIsAQuarterOfFourCapitalsTruncated) {
  QFontMetrics metrics(pane->PaneFont());
  EXPECT_EQ(Cell(), metrics.horizontalAdvance("AAAA") / 4);
  EXPECT_EQ(Row(), metrics.height());
  EXPECT_EQ(Margin(), Cell() / 2);
}

TEST_F(PaneTest, FocusGainedAndLostTellTheStatusBar) {
  SetText("abc\ndef");
  other->setFocus();
  QApplication::processEvents();
  host.carets.clear();
  view.SetCursor(MakePos(1, 2));
  EXPECT_TRUE(host.carets.empty()) << "an unfocused pane sends nothing";
  FocusPane();
  using M = RecordingPaneHost::CaretMessage;
  ASSERT_FALSE(host.carets.empty());
  EXPECT_EQ(host.carets.back(), (M{pane, true, MakeDisplayPos(2, 3)}));
  view.SetCursor(MakePos(0, 1));
  EXPECT_EQ(host.carets.back(), (M{pane, true, MakeDisplayPos(1, 2)}));
  EXPECT_TRUE(pane->CaretDrawn());
  other->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(host.carets.back(), (M{pane, false, 0}));
  EXPECT_FALSE(pane->CaretDrawn());
  size_t sent = host.carets.size();
  view.SetCursor(MakePos(1, 0));
  EXPECT_EQ(host.carets.size(), sent);
}

TEST_F(PaneTest, FocusLossClearsTheSelectionUnlessKept) {
  SetText("abcdef");
  FocusPane();
  view.SetSelection(MakePos(0, 1), MakePos(0, 4));
  other->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(view.HasSelection());
  pane->SetKeepSelectionOnFocusLoss(true);
  FocusPane();
  view.SetSelection(MakePos(0, 1), MakePos(0, 4));
  other->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(view.HasSelection());
}

TEST_F(PaneTest, TabStaysInThePane) {
  SetText("abc");
  FocusPane();
  QTest::keyClick(pane, Qt::Key_Tab);
  EXPECT_TRUE(pane->hasFocus());
  QTest::keyClick(pane, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(pane->hasFocus());
}

TEST_F(PaneTest, CaretKeysMoveAndExtendFromTheCaretBeforeTheKey) {
  SetText("abc def\nxyz");
  FocusPane();
  struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    TextPos caret;
    TextPos selStart, selEnd; // equal: no selection
  };
  for (KeyCase k : std::vector<KeyCase>{{Qt::Key_Right, Qt::NoModifier, MakePos(0, 1), 0, 0},
                                        {Qt::Key_Right, Qt::ControlModifier, MakePos(0, 4), 0, 0},
                                        {Qt::Key_End, Qt::ShiftModifier, MakePos(0, 7), MakePos(0, 4), MakePos(0, 7)},
                                        {Qt::Key_Down, Qt::ShiftModifier, MakePos(1, 3), MakePos(0, 4), MakePos(1, 3)},
                                        {Qt::Key_Home, Qt::ControlModifier, 0, 0, 0},
                                        {Qt::Key_End, Qt::ControlModifier, MakePos(1, 3), 0, 0}}) {
    QTest::keyClick(pane, k.key, k.modifiers);
    EXPECT_EQ(view.GetCursor(), k.caret) << k.key;
    EXPECT_EQ(view.HasSelection(), k.selStart != k.selEnd) << k.key;
    if (view.HasSelection()) {
      EXPECT_EQ(view.SelectionStart(), k.selStart) << k.key;
      EXPECT_EQ(view.SelectionEnd(), k.selEnd) << k.key;
    }
  }
}

TEST_F(PaneTest, ClickRoundsToTheNearerCharacterBoundary) {
  SetText("abcdefgh\nsecond line");
  struct ClickCase {
    int x, y;
    TextPos caret;
  };
  // From half a cell (truncated) before a boundary the click reaches it.
  int toBoundary = Cell() / 2;
  for (ClickCase c : std::vector<ClickCase>{{Margin() + 3 * Cell() - toBoundary - 1, 1, MakePos(0, 2)},
                                            {Margin() + 3 * Cell() - toBoundary, 1, MakePos(0, 3)},
                                            {0, 1, 0},
                                            {Margin() + 100 * Cell(), Row() + 1, MakePos(1, 11)},
                                            {Margin() + Cell(), 50 * Row(), MakePos(1, 11)}}) {
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(c.x, c.y));
    EXPECT_EQ(view.GetCursor(), c.caret) << c.x << "," << c.y;
    EXPECT_TRUE(pane->hasFocus());
    EXPECT_FALSE(pane->AutoScrolling());
  }
  // Shift extends from the caret the click left.
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(Margin() + 4 * Cell(), 1));
  EXPECT_EQ(view.SelectionStart(), MakePos(0, 4));
  EXPECT_EQ(view.SelectionEnd(), MakePos(1, 11));
}

TEST_F(PaneTest, DragSelectsAndItsAutoScrollTickClampsTheLine) {
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "line " + std::to_string(i) + "\n";
  SetText(text);
  QTest::mousePress(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Margin(), 1));
  EXPECT_TRUE(pane->AutoScrolling());
  int32_t last = DisplayLine(view.LastVisible());
  // Far below the pane: one line past the visible ones at most.
  pane->AutoScrollTick(QPoint(Margin(), 100 * Row()));
  EXPECT_EQ(PosLine(view.GetCursor()), last);
  EXPECT_EQ(view.Anchor(), 0u);
  EXPECT_GT(DisplayLine(view.FirstVisible()), 1);
  EXPECT_EQ(pane->verticalScrollBar()->value(), DisplayLine(view.FirstVisible()));
  // Far above: three lines above the first visible one at most.
  int32_t first = DisplayLine(view.FirstVisible());
  pane->AutoScrollTick(QPoint(Margin(), -100 * Row()));
  EXPECT_EQ(PosLine(view.GetCursor()), std::max(first - 3, 1) - 1);
  QTest::mouseRelease(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Margin(), 1));
  EXPECT_FALSE(pane->AutoScrolling());
  EXPECT_TRUE(view.HasSelection());
}

TEST_F(PaneTest, DoubleClickSelectsTheWord) {
  SetText("int count = 1;");
  QTest::mouseDClick(pane->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(Margin() + 5 * Cell(), 1));
  EXPECT_EQ(view.SelectionStart(), MakePos(0, 4));
  EXPECT_EQ(view.SelectionEnd(), MakePos(0, 9));
}

TEST_F(PaneTest, InvalidateRangeGivesOneOrThreeRectangles) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += "0123456789\n";
  SetText(text);
  int width = pane->viewport()->width();
  int x3 = Margin() + 2 * Cell(), x6 = Margin() + 5 * Cell();
  int32_t lastLine = DisplayLine(view.LastVisible());
  struct RectCase {
    const char *name;
    TextPos from, to;
    std::vector<QRect> rects;
  };
  for (const RectCase &c :
       std::vector<RectCase>{{"one line", MakePos(1, 2), MakePos(1, 5), {QRect(x3, Row(), x6 - x3, Row())}},
                             {"from column 1 takes the margin", MakePos(0, 0), MakePos(0, 5), {QRect(0, 0, x6, Row())}},
                             {"three lines",
                              MakePos(1, 2),
                              MakePos(4, 5),
                              {QRect(x3, Row(), width - x3, Row()), QRect(0, 2 * Row(), width, 2 * Row()),
                               QRect(0, 4 * Row(), x6, Row())}},
                             {"to the end of the pane",
                              MakePos(2, 0),
                              kNoPos,
                              {QRect(0, 2 * Row(), width, Row()), QRect(0, 3 * Row(), width, (lastLine - 4) * Row()),
                               QRect(0, (lastLine - 1) * Row(), 0, Row())}},
                             {"below the pane", MakePos(90, 0), MakePos(91, 0), {}}}) {
    EXPECT_EQ(pane->RangeRects(c.from, c.to), c.rects) << c.name;
  }
  view.VScroll(ScrollCode::ThumbPosition, 3);
  EXPECT_EQ(pane->RangeRects(MakePos(0, 2), MakePos(3, 1)),
            (std::vector<QRect>{QRect(0, 0, width, Row()), QRect(0, Row(), width, 0),
                                QRect(0, Row(), Margin() + Cell(), Row())}))
      << "a start above the pane is clipped to its first line";
}

// The colour of the middle of a cell of the pane's picture.
// The letters sampled have no descenders: the bottom row is background.
QColor CellColor(const QImage &image, const cTextWidget &pane, int32_t line, int32_t column) {
  int x = pane.LeftMargin() + column * pane.CellSize().width() + 1;
  int y = line * pane.CellSize().height() + pane.CellSize().height() - 1;
  return image.pixelColor(x, y);
}

TEST_F(PaneTest, PictureShowsRangesSelectionAndTheCellGrid) {
  SetText("ab  cdef\n         M\n\x01");
  pane->AddColorRange(MakePos(0, 1), MakePos(0, 2), kRed, kGreen, true);
  pane->AddColorRange(MakePos(0, 4), MakePos(0, 5), kRed, kGreen, true);
  view.SetSelection(MakePos(0, 3), MakePos(0, 6));
  pane->SetKeepSelectionOnFocusLoss(true);
  other->setFocus(); // no caret in the picture
  QImage image = pane->viewport()->grab().toImage();
  // Column 1 (byte 1): the range's background; byte 4: a breakpoint cell
  // inside the selection takes the selection's colours.
  EXPECT_EQ(CellColor(image, *pane, 0, 1), QColor(255, 0, 0));
  EXPECT_EQ(CellColor(image, *pane, 0, 4), QColor(0, 0, 255));
  EXPECT_EQ(CellColor(image, *pane, 0, 3), QColor(0, 0, 255));
  EXPECT_EQ(CellColor(image, *pane, 0, 6), QColor(255, 255, 255));
  EXPECT_EQ(CellColor(image, *pane, 0, 0), QColor(255, 255, 255));
  // A control byte is a mark drawn inverse: its cell in the text colour.
  EXPECT_EQ(CellColor(image, *pane, 2, 0), QColor(0, 0, 0));
  // The glyph of byte n stands in the cell at margin + n cells.
  int y0 = Row(), y1 = 2 * Row();
  int inkLeft = image.width(), inkRight = -1;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != QColor(255, 255, 255)) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x);
      }
  EXPECT_GE(inkLeft, Margin() + 9 * Cell());
  EXPECT_LT(inkRight, Margin() + 10 * Cell());
}

TEST_F(PaneTest, ColorRangesOverlapRemoveAndClear) {
  SetText("abcdef\nghi");
  pane->AddColorRange(MakePos(0, 1), MakePos(0, 3), kRed, kGreen, false);
  pane->AddColorRange(MakePos(0, 2), MakePos(0, 4), kBlue, kGreen, false); // overlaps: dropped
  ASSERT_NE(pane->ColorRanges(), nullptr);
  EXPECT_EQ(pane->ColorRanges()->SpanCount(), 3u);
  pane->AssignColorRange(MakePos(0, 2), MakePos(0, 4), kBlue, kGreen, false); // overwrites
  EXPECT_EQ(pane->ColorRanges()->SpanCount(), 4u);
  pane->RemoveColorRange(MakePos(0, 2), false);
  EXPECT_FALSE(pane->ColorRanges()->Lookup(MakePos(0, 3)));
  EXPECT_TRUE(pane->ColorRanges()->Lookup(MakePos(0, 1)));
  pane->ShiftColorRanges(1);
  EXPECT_TRUE(pane->ColorRanges()->Lookup(MakePos(1, 1)));
  pane->ClearColorRanges(false);
  EXPECT_EQ(pane->ColorRanges(), nullptr);
}

struct ShownCase {
  uint8_t byte;
  char16_t shown;
  bool mark;
};

TEST(PaneBytes, EveryByteShowsAsItsLatin1CharacterOrAVisibleMark) {
  for (ShownCase c : std::vector<ShownCase>{{0x00, '@', true},
                                            {0x01, 'A', true},
                                            {0x1F, '_', true},
                                            {0x7F, '?', true},
                                            {0x80, 0xB7, true},
                                            {0x9F, 0xB7, true},
                                            {'A', 'A', false},
                                            {0xA0, 0xA0, false},
                                            {0xB7, 0xB7, false},
                                            {0xE9, 0xE9, false},
                                            {0xFF, 0xFF, false}}) {
    EXPECT_EQ(ShownChar(c.byte).character.unicode(), c.shown) << int(c.byte);
    EXPECT_EQ(ShownChar(c.byte).mark, c.mark) << int(c.byte);
  }
  std::string every;
  for (int byte = 0; byte < 256; ++byte)
    every += char(byte);
  EXPECT_EQ(TextToBytes(BytesToText(every)), every);
  EXPECT_EQ(TextToBytes(QString::fromUtf8("caf\xC3\xA9")), std::string("caf\xE9"));
  EXPECT_EQ(TextToBytes(QString::fromUtf8("\xE2\x82\xAC")), std::nullopt);
}

} // namespace
} // namespace tsw::gui

namespace tsw::gui {
namespace {

TEST_F(PaneTest, CaretBlinksWhileFocused) {
  SetText("abc");
  FocusPane();
  ASSERT_GT(QApplication::cursorFlashTime(), 0);
  EXPECT_TRUE(pane->CaretDrawn());
  bool hidden = false;
  for (int waited = 0; waited < 3 * QApplication::cursorFlashTime() && !hidden; waited += 20) {
    QTest::qWait(20);
    hidden = !pane->CaretDrawn();
  }
  EXPECT_TRUE(hidden) << "the caret goes off within a flash period";
  view.SetCursor(MakePos(0, 1));
  EXPECT_TRUE(pane->CaretDrawn()) << "a moved caret is shown at once";
}

TEST_F(PaneTest, ScrollBarsMoveTheFirstVisiblePositionAndFollowIt) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += std::string(120, 'w') + "\n";
  SetText(text);
  pane->verticalScrollBar()->setValue(40);
  EXPECT_EQ(DisplayLine(view.FirstVisible()), 40);
  pane->horizontalScrollBar()->setValue(7);
  EXPECT_EQ(DisplayColumn(view.FirstVisible()), 7);
  view.SetCursor(MakePos(250, 0));
  EXPECT_EQ(pane->verticalScrollBar()->value(), DisplayLine(view.FirstVisible()));
  EXPECT_GT(DisplayLine(view.LastVisible()), 251);
  EXPECT_EQ(pane->verticalScrollBar()->maximum(), view.LineCount());
  EXPECT_EQ(pane->horizontalScrollBar()->value(), DisplayColumn(view.FirstVisible()));
}

} // namespace
} // namespace tsw::gui
