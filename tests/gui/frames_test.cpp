#include "gui/frames.h"

#include <QMdiArea>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "platform/notify.h"
#include "qt_fixture.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

// An editor over no file system: what the frames read and what they ask.
class FakeView : public EditorPane {
public:
  explicit FakeView(std::string name, bool untitled = false) : name(std::move(name)), untitled(untitled) {}
  QWidget *Widget() override { return widget; }
  Size CellSize() const override { return {8, 16}; }
  void Clear() override {}
  std::string FileName() const override { return name; }
  bool Untitled() const override { return untitled; }
  bool ShowsFile(std::string_view path) const override { return path == name; }
  bool Modified() const override { return modified; }
  bool InsertMode() const override { return true; }
  bool ReadOnly() const override { return false; }
  void SetDebugMode(bool) override {}
  bool Save() override {
    ++saves;
    return saveWorks;
  }
  bool SaveAs() override { return true; }
  void Find() override {}
  void Undo() override {}
  void Redo() override {}
  uint32_t Caret() const override { return caret; }
  void SetCaret(uint16_t line, uint16_t column) override { caret = uint32_t(line) << 16 | column; }
  uint16_t TopLine() const override { return top; }
  void ScrollToTop(uint16_t line) override { top = line; }

  std::string name;
  bool untitled;
  bool modified = false, saveWorks = true;
  int saves = 0;
  uint32_t caret = 0;
  uint16_t top = 0;
  QWidget *widget = new QPlainTextEdit();
};

class Frames : public testing::QtSuite {
protected:
  void SetUp() override {
    ResetShellState();
    plat::SetNotifier(&notifier);
    area.resize(900, 600);
    area.show();
  }
  void TearDown() override {
    plat::SetNotifier(nullptr);
    ResetShellState();
  }
  // An editor frame in the area, at (10, 20) sized 300 by 200.
  cEditFrame *Open(std::unique_ptr<FakeView> view) {
    auto *frame = new cEditFrame(
        std::move(view), &recent, [this] { ++menuRebuilds; }, [this] { ++closedNotes; });
    area.addSubWindow(frame);
    frame->SetPlacementRecord(&frame->OwnRecord(0));
    frame->show();
    frame->setGeometry(10, 20, 300, 200);
    return frame;
  }
  static FakeView &ViewOf(cEditFrame *frame) { return *static_cast<FakeView *>(frame->View()); }

  testing::InstalledTexts texts{{{16, "Tessel C"}, {128, "'%s' has been modified. Save the changes?"}}};
  plat::RecordingNotifier notifier;
  QMdiArea area;
  RecentFiles recent;
  int menuRebuilds = 0, closedNotes = 0;
};

TEST_F(Frames, AnUnmodifiedEditorClosesWithoutQuestionAndIsRemembered) {
  auto view = std::make_unique<FakeView>("/src/a.c");
  view->caret = (12u << 16) | 5;
  view->top = 7;
  cEditFrame *frame = Open(std::move(view));
  EXPECT_TRUE(frame->close());
  EXPECT_TRUE(notifier.boxes.empty());
  ASSERT_EQ(recent.Count(), 1);
  const RecentFileRecord *record = recent.GetRecord(0);
  EXPECT_EQ(record->path, "/src/a.c");
  EXPECT_EQ((std::vector<int>{record->x, record->y, record->width, record->height}),
            (std::vector<int>{10, 20, 300, 200}));
  EXPECT_EQ(record->topRow, 7);
  EXPECT_EQ(record->caretLine, 12);
  EXPECT_EQ(record->caretColumn, 5);
  EXPECT_EQ(menuRebuilds, 1);
}

TEST_F(Frames, TheCloseQuestion) {
  struct Case {
    const char *name;
    plat::Answer answer;
    bool saveWorks;
    bool closes;
    int saves;
  };
  const Case cases[] = {
      {"cancel keeps the frame", plat::IDCANCEL, true, false, 0},
      {"yes saves and closes", plat::IDYES, true, true, 1},
      {"yes with a failing save keeps the frame", plat::IDYES, false, false, 1},
      {"no discards", plat::IDNO, true, true, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    notifier.boxes.clear();
    notifier.answers = {c.answer};
    auto view = std::make_unique<FakeView>("/src/b.c");
    view->modified = true;
    view->saveWorks = c.saveWorks;
    FakeView *raw = view.get();
    cEditFrame *frame = Open(std::move(view));
    EXPECT_EQ(frame->CanClose(), c.closes);
    EXPECT_EQ(raw->saves, c.saves);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].text, "'/src/b.c' has been modified. Save the changes?");
    EXPECT_EQ(notifier.boxes[0].title, "Tessel C");
    EXPECT_EQ(notifier.boxes[0].buttons, plat::Buttons::YesNoCancel);
    delete frame;
  }
}

TEST_F(Frames, AnUntitledEditorNeverReachesTheRecentList) {
  notifier.answers = {plat::IDNO};
  auto view = std::make_unique<FakeView>("untitled", true);
  view->modified = true;
  cEditFrame *frame = Open(std::move(view));
  EXPECT_TRUE(frame->close());
  EXPECT_EQ(recent.Count(), 0);
  EXPECT_EQ(menuRebuilds, 0);
}

TEST_F(Frames, EditorFramesJoinTheListAndLeaveIt) {
  cEditFrame *a = Open(std::make_unique<FakeView>("a.c"));
  cEditFrame *b = Open(std::make_unique<FakeView>("b.c"));
  EXPECT_EQ(Shell().editorFrames.Head(), b);
  a->FocusGained();
  EXPECT_EQ(Shell().editorFrames.Head(), a);
  EXPECT_EQ(FindEditFrameByName(Shell().editorFrames, "b.c"), b);
  Shell().currentProgramFrame = a;
  delete a;
  // The frame told the main window it went, and the program's frame is gone.
  EXPECT_EQ(closedNotes, 1);
  EXPECT_EQ(Shell().currentProgramFrame, nullptr);
  EXPECT_EQ(Shell().editorFrames.Head(), b);
  EXPECT_EQ(Shell().editorFrames.Tail(), b);
  delete b;
}

class FixedPane : public TextPane {
public:
  QWidget *Widget() override { return widget; }
  Size CellSize() const override { return {7, 15}; }
  void Clear() override {}
  QWidget *widget = new QPlainTextEdit();
};

TEST_F(Frames, PaneFramesStartWhereTheirRecordOrKindSays) {
  struct Case {
    const char *name;
    PaneFrameKind kind;
    uint32_t state;
    QRect expected;
  };
  const Case cases[] = {
      // 12 rows by 14 columns of the cell, 20 pixels wider.
      {"stack, nothing stored", PaneFrameKind::Stack, WindowPlacement::kNone, {0, 0, 14 * 7 + 20, 12 * 15}},
      {"message, nothing stored", PaneFrameKind::Message, WindowPlacement::kNone, {0, 400, 900, 200}},
      {"a rectangle from the settings", PaneFrameKind::Register, WindowPlacement::kRectangle, {30, 40, 200, 100}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    WindowPlacement record;
    record.Init(false);
    record.state = c.state;
    record.placement.normalPosition = {30, 40, 230, 140};
    FixedPane pane;
    auto *frame = new cPaneFrame(c.kind, &pane, &record, nullptr);
    area.addSubWindow(frame);
    frame->move(0, 0);
    frame->SetUp({900, 600});
    frame->show();
    EXPECT_TRUE(record.open);
    QRect at = frame->geometry();
    if (c.kind == PaneFrameKind::Stack)
      EXPECT_EQ(at.size(), c.expected.size());
    else
      EXPECT_EQ(at, c.expected);
    delete frame;
    EXPECT_FALSE(record.open);
  }
}

TEST_F(Frames, SwitchingRecordsSavesIntoTheOldOne) {
  cEditFrame *frame = Open(std::make_unique<FakeView>("a.c"));
  frame->SetPlacementRecord(&frame->OwnRecord(1));
  EXPECT_EQ(frame->OwnRecord(0).state, WindowPlacement::kCaptured);
  EXPECT_EQ(frame->OwnRecord(0).placement.normalPosition.right, 310);
  EXPECT_EQ(frame->OwnRecord(1).state, WindowPlacement::kNone);
  delete frame;
}

} // namespace
} // namespace tsw
