#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/mainframe.h"
#include "gui/statbar.h"
#include "gui/tswapp.h"
#include "gui/tswedit.h"
#include "platform/notify.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

// The program itself, offscreen, with the editor it makes by default: what
// the user does to a file given on the command line.
class EditorInIde : public ::testing::Test {
protected:
  void Run(std::string file, const std::function<void(tswApp &)> &check) {
    static char name[] = "tsw";
    std::vector<char *> argv{name, file.data(), nullptr};
    RunOptions options;
    options.notifier = &notifier;
    options.boardPort = board.Opener();
    options.started = [&](tswApp &app) {
      check(app);
      app.MainFrame()->close();
    };
    RunTsw(2, argv.data(), options);
  }

  testing::ConfigHome home;
  testing::TempDir sources;
  plat::RecordingNotifier notifier;
  testing::NoBoardAttached board;
};

TEST_F(EditorInIde, TypingUndoRedoCutPasteAndSaveWorkOnTheCommandLineFile) {
  std::string file = sources.Write("edit.c", "int a;\n");
  std::vector<std::string> steps, status, other;
  Run(file, [&](tswApp &app) {
    QList<QMdiSubWindow *> frames = app.MainClient()->subWindowList();
    ASSERT_EQ(frames.size(), 1);
    auto *frame = dynamic_cast<cEditFrame *>(frames.front());
    ASSERT_NE(frame, nullptr);
    auto *edit = dynamic_cast<cTextEdit *>(frame->View());
    ASSERT_NE(edit, nullptr) << "the command line's file opens in the source editor";
    QWidget *pane = edit->Widget();
    pane->activateWindow();
    pane->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(pane->hasFocus());
    const CommandRouter &router = app.MainFrame()->Router();
    auto text = [&] { return edit->File().LineText(0); };
    QTest::keyClicks(pane, "static ");
    steps.push_back(text());
    EXPECT_TRUE(router.Dispatch(cmd::kUndo));
    steps.push_back(text());
    EXPECT_TRUE(router.Dispatch(cmd::kRedo));
    steps.push_back(text());
    QTest::keyClick(pane, Qt::Key_Home);
    QTest::keyClick(pane, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(router.Dispatch(cmd::kCut));
    steps.push_back(text());
    EXPECT_TRUE(router.Dispatch(cmd::kPaste));
    EXPECT_TRUE(router.Dispatch(cmd::kPaste));
    steps.push_back(text());
    EXPECT_TRUE(router.Dispatch(cmd::kSave));
    EXPECT_FALSE(edit->Modified());
    // The status bar follows the caret, insert mode and the modified state.
    const StatusBarModel &bar = app.MainFrame()->StatusBar()->Model();
    QTest::keyClick(pane, Qt::Key_Home);
    QTest::keyClick(pane, Qt::Key_Right);
    status.push_back(bar.Text(StatusField::Line) + "/" + bar.Text(StatusField::Column));
    QTest::keyClick(pane, Qt::Key_Insert);
    status.push_back(bar.Text(StatusField::Insert));
    QTest::keyClick(pane, Qt::Key_Insert);
    status.push_back(bar.Text(StatusField::Insert));
    status.push_back(bar.Text(StatusField::Modified));
    QTest::keyClicks(pane, "x");
    QApplication::processEvents();
    status.push_back(bar.Text(StatusField::Modified));
    // Undone back to what was saved: not modified.
    edit->Undo();
    QApplication::processEvents();
    status.push_back(bar.Text(StatusField::Modified));
    other.push_back(app.MainFrame()->StatusBar()->Model().Text(StatusField::Line));
    pane->clearFocus();
    QApplication::processEvents();
    other.push_back(bar.Text(StatusField::Line));
  });
  ASSERT_EQ(status.size(), 6u);
  EXPECT_EQ(status[0], "Line 1/Col 2") << "line and column of the caret, from 1";
  EXPECT_NE(status[1], status[2]) << "insert mode is shown";
  EXPECT_NE(status[4], status[3]) << "typing marks the file modified";
  EXPECT_EQ(status[5], status[3]) << "undoing to the saved text clears the mark";
  EXPECT_EQ(other, (std::vector<std::string>{other.front(), ""})) << "losing the focus empties the line field";
  EXPECT_EQ(steps,
            (std::vector<std::string>{"static int a;", "int a;", "static int a;", "", "static int a;static int a;"}));
  EXPECT_EQ(sources.Read("edit.c"), "static int a;static int a;\n");
  // Only the start-up's report of the board that is not there.
  EXPECT_EQ(notifier.boxes.size(), 1u);
}

} // namespace
} // namespace tsw
