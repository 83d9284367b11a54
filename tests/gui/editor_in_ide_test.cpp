#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/mainframe.h"
#include "gui/tswapp.h"
#include "gui/tswedit.h"
#include "platform/notify.h"
#include "settings_fixture.h"
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
    options.started = [&](tswApp &app) {
      check(app);
      app.MainFrame()->close();
    };
    RunTsw(2, argv.data(), options);
  }

  testing::ConfigHome home;
  testing::TempDir sources;
  plat::RecordingNotifier notifier;
};

TEST_F(EditorInIde, TypingUndoRedoCutPasteAndSaveWorkOnTheCommandLineFile) {
  std::string file = sources.Write("edit.c", "int a;\n");
  std::vector<std::string> steps;
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
  });
  EXPECT_EQ(steps, (std::vector<std::string>{"static int a;", "int a;", "static int a;", "",
                                             "static int a;static int a;"}));
  EXPECT_EQ(sources.Read("edit.c"), "static int a;static int a;\n");
  EXPECT_TRUE(notifier.boxes.empty());
}

} // namespace
} // namespace tsw
