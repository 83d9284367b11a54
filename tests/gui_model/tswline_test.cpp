#include "gui/common/model/tswline.h"

#include <string>

#include <gtest/gtest.h>

#include "gui/common/model/tswview.h"
#include "model_fixture.h"

namespace tsw::gui {
namespace {

using testing::DocBytes;

struct EditFixture : testing::ViewerFixture {
  void Type(const std::string &text) {
    for (char c : text)
      view.InsertChar(std::string(1, c));
  }
};

TEST_F(EditFixture, NewDocumentHasOneEmptyUnmodifiedLine) {
  EXPECT_EQ(doc.LinesUsed(), 1);
  EXPECT_EQ(doc.LineLength(0), 0);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(EditFixture, InsertLinesKeepsTheTableBounds) {
  EXPECT_FALSE(doc.InsertLines(2, 1)) << "past the end";
  EXPECT_TRUE(doc.InsertLines(1, 1)) << "at the end";
  EXPECT_TRUE(doc.InsertLines(0, kMaxLines - 2));
  EXPECT_EQ(doc.LinesUsed(), kMaxLines);
  EXPECT_FALSE(doc.InsertLines(0, 1)) << "the 10001st line";
  EXPECT_EQ(doc.LinesUsed(), kMaxLines);
}

TEST_F(EditFixture, ModifiedNoticeOnFirstChangeOnlyAndSaveEndsHistory) {
  Type("ab");
  EXPECT_EQ(docEvents.modified, std::vector<bool>{true});
  doc.ClearModified();
  EXPECT_EQ(docEvents.modified, (std::vector<bool>{true, false}));
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(pool.CellsInUse(), 0u);
}

TEST_F(EditFixture, TypedRunIsStoredOnceThenChangedInPlaceAndUndoneAsOne) {
  SetText("xy");
  view.SetCursor(MakePos(0, 1));
  view.BeginUndoAction(view.GetCursor());
  view.InsertChar("a");
  uint32_t cellsAfterFirst = doc.UndoCells();
  uint32_t handle = doc.Entry(0).handle;
  Type("bc");
  EXPECT_EQ(doc.UndoCells(), cellsAfterFirst) << "in-place typing writes no records";
  EXPECT_EQ(doc.Entry(0).handle, handle);
  EXPECT_EQ(doc.StoredSize(0), kFullStoredSize);
  EXPECT_EQ(Bytes(), "xabcy");
  view.EditUndo();
  EXPECT_EQ(Bytes(), "xy");
  EXPECT_EQ(view.GetCursor(), MakePos(0, 1)) << "caret back where typing began";
  EXPECT_FALSE(doc.IsModified()) << "undone back to the saved point";
  view.EditRedo();
  EXPECT_EQ(Bytes(), "xabcy");
  EXPECT_EQ(doc.Entry(0).handle, handle) << "redo puts the same handle back";
  EXPECT_EQ(view.GetCursor(), MakePos(0, 4)) << "caret after the action";
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(EditFixture, EditAfterUndoDiscardsRedo) {
  view.BeginUndoAction(0);
  Type("one");
  view.BeginUndoAction(view.GetCursor());
  view.EditUndo();
  EXPECT_TRUE(doc.CanRedo());
  view.BeginUndoAction(view.GetCursor());
  Type("two");
  EXPECT_FALSE(doc.CanRedo());
  view.EditRedo();
  EXPECT_EQ(Bytes(), "two");
}

TEST_F(EditFixture, NothingToUndoLeavesTextAndCaret) {
  SetText("abc");
  view.SetCursor(MakePos(0, 2));
  view.EditUndo();
  EXPECT_EQ(Bytes(), "abc");
  EXPECT_EQ(view.GetCursor(), MakePos(0, 2));
  EXPECT_EQ(doc.Undo(), kNoPos);
}

TEST_F(EditFixture, RecordCostsFollowTheShortAndLongForms) {
  struct Case {
    int32_t line;
    uint32_t cells; // the change, the saved point and the marker before them
  } cases[] = {{10, 3}, {4095, 3}, {4096, 8}, {5000, 8}};
  std::string text;
  for (int i = 0; i < 6000; ++i)
    text += "l\n";
  for (const Case &c : cases) {
    SetText(text);
    uint32_t before = doc.UndoCells();
    view.BeginUndoAction(MakePos(c.line, 0));
    view.InsertText(MakePos(c.line, 0), "x");
    // One-line change: 1 cell; past line 4095 a one-line DELBLOCK and
    // INSBLOCK of three cells each.
    EXPECT_EQ(doc.UndoCells() - before, c.cells + 0u) << c.line;
    view.EditUndo();
    EXPECT_EQ(Bytes(), text) << c.line;
  }
}

TEST_F(EditFixture, UndoOnLongLineKeepsTheWholeCaretColumn) {
  SetText(std::string(300, 'a'));
  view.SetCursor(MakePos(0, 290));
  view.BeginUndoAction(view.GetCursor());
  Type("zz");
  view.EditUndo();
  EXPECT_EQ(view.GetCursor(), MakePos(0, 290));
}

TEST_F(EditFixture, BudgetReclaimsWholeOldestActionsOfAnotherDocument) {
  cBufLine other(256, MakeMemoryStore(), &pool);
  cTextViewer otherView(other, rules);
  otherView.BeginUndoAction(0);
  otherView.InsertText(0, "first");
  otherView.BeginUndoAction(0);
  otherView.InsertText(0, "second ");
  otherView.BeginUndoAction(0);
  std::string block;
  for (int i = 0; i < 7000; ++i)
    block += "b\n";
  // Two actions of about 7000 cells each: together past the budget.
  for (int round = 0; round < 2; ++round) {
    view.BeginUndoAction(0);
    view.ReplaceRange(0, view.GetEndPosition(), block + std::to_string(round));
  }
  view.BeginUndoAction(0);
  EXPECT_LE(pool.CellsInUse(), pool.Budget());
  EXPECT_FALSE(other.CanUndo()) << "the other document's older actions went first";
  EXPECT_EQ(DocBytes(other), "second first");
  view.EditUndo();
  EXPECT_EQ(Bytes(), block + "0");
}

TEST_F(EditFixture, ActionAloneOverTheBudgetClearsItsHistory) {
  view.BeginUndoAction(0);
  Type("kept");
  std::string block;
  for (int i = 0; i < 9000; ++i)
    block += "c\n";
  view.BeginUndoAction(0);
  view.ReplaceRange(0, view.GetEndPosition(), block);
  view.ReplaceRange(0, view.GetEndPosition(), block + "again");
  view.BeginUndoAction(0);
  view.EditUndo();
  EXPECT_EQ(Bytes(), block + "again") << "undo is unavailable, never wrong";
}

TEST_F(EditFixture, OutputInsertLinesDropsTheHistory) {
  view.BeginUndoAction(0);
  Type("ab");
  view.BeginUndoAction(view.GetCursor());
  view.SetCursor(MakePos(0, 1));
  ASSERT_TRUE(view.InsertLines(0, {"x", "y"}));
  EXPECT_EQ(Bytes(), "x\ny\nab");
  EXPECT_EQ(view.GetCursor(), MakePos(2, 1));
  EXPECT_FALSE(doc.CanUndo());
  ASSERT_TRUE(view.InsertLines(-1, {"z"}));
  EXPECT_EQ(Bytes(), "x\ny\nab\nz");
}

} // namespace
} // namespace tsw::gui
