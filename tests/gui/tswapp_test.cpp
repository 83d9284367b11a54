#include "gui/tswapp.h"

#include "gui/exelock.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolBar>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "compcore/link/linksettings.h"
#include "gui/commands.h"
#include "gui/driverlink.h"
#include "gui/resbuilder.h"
#include "gui/frames.h"
#include "gui/mainframe.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

// What the start-up load step reports when no board is attached.
const std::string kNoBoardReport = "While compiling: Cannot set up the serial port.";

// The IDE offscreen over an empty settings directory, its boxes recorded,
// no board on its serial port.
class Ide : public ::testing::Test {
protected:
  int Run(std::vector<std::string> args, const std::function<void(tswApp &)> &check) {
    std::vector<char *> argv;
    static char name[] = "tsw";
    argv.push_back(name);
    for (std::string &a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    RunOptions options;
    options.notifier = &notifier;
    options.boardPort = board.Opener();
    options.started = [&](tswApp &app) {
      check(app);
      app.MainFrame()->close();
    };
    return RunTsw(int(argv.size() - 1), argv.data(), options);
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto &box : notifier.boxes)
      texts.push_back(box.text);
    return texts;
  }

  testing::ConfigHome home;
  testing::TempDir sources;
  plat::RecordingNotifier notifier;
  testing::NoBoardAttached board;
};

TEST_F(Ide, TheStartUpLoadLooksForTheBoardReportsItsAbsenceAndStartUpGoesOn) {
  bool started = false;
  std::string mode;
  bool held = false;
  Run({}, [&](tswApp &) {
    started = true;
    held = ExecutableLocked();
    mode = Shell().statusBar->Model().Text(StatusField::Mode);
  });
  EXPECT_TRUE(started);
  EXPECT_EQ(mode, "Edit");
  EXPECT_TRUE(held) << "the running IDE holds its executable";
  EXPECT_FALSE(ExecutableLocked()) << "let go of at the end";
  ASSERT_FALSE(board.opened.empty()) << "the load step went to the serial port";
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kNoBoardReport}) << "reported once, as a link failure";
}

TEST_F(Ide, StartsWithTitledMainFrameAndEndsStartUpWithTheStatusBar) {
  std::string title, mode, insert;
  bool visible = false;
  int rc = Run({}, [&](tswApp &app) {
    title = app.MainFrame()->windowTitle().toStdString();
    visible = app.MainFrame()->isVisible();
    mode = Shell().statusBar->Model().Text(StatusField::Mode);
    insert = Shell().statusBar->Model().Text(StatusField::Insert);
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(title, "Tessel C 7.06P");
  EXPECT_TRUE(visible);
  EXPECT_EQ(mode, "Edit");
  EXPECT_EQ(insert, "INS");
  EXPECT_EQ(Shell().statusBar, nullptr);
}

TEST_F(Ide, EveryCommandIsAnActionWithItsEnabler) {
  Run({}, [&](tswApp &app) {
    for (const CommandSpec &spec : CommandTable()) {
      SCOPED_TRACE(spec.id);
      QAction *action = app.MainFrame()->Action(spec.id);
      ASSERT_NE(action, nullptr);
      EXPECT_EQ(action->isEnabled(), app.MainFrame()->Router().State(spec.id).enabled);
    }
    // Nothing is debugging and no editor is open.
    EXPECT_FALSE(app.MainFrame()->Action(cmd::kStop)->isEnabled());
    EXPECT_FALSE(app.MainFrame()->Action(cmd::kLeaveDebugging)->isEnabled());
    EXPECT_TRUE(app.MainFrame()->Action(cmd::kToolBar)->isChecked());
  });
}

// Acts on the modal dialog the next command opens, then presses OK.
void ConfirmNextDialog(std::function<void(QDialog &)> user) {
  QTimer::singleShot(0, [user = std::move(user)] {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    user(*dialog);
    if (auto *ok = dynamic_cast<QPushButton *>(FindControl(*dialog, 1)))
      ok->click();
    if (dialog->isVisible())
      dialog->reject();
  });
}

TEST_F(Ide, TheOptionDialogsStoreWhereTheCompilerAndTheLinkReadThem) {
  Run({}, [&](tswApp &app) {
    for (uint16_t id = cmd::kEditorOptions; id <= cmd::kDisplayOptions; ++id)
      EXPECT_TRUE(app.MainFrame()->Action(id)->isEnabled()) << id;

    const CompilerOptionValues before = driver::CompilerOptions();
    ConfirmNextDialog([](QDialog &d) {
      auto *index = dynamic_cast<QCheckBox *>(FindControl(d, 104));
      ASSERT_NE(index, nullptr);
      index->setChecked(!index->isChecked());
      dynamic_cast<QLineEdit *>(FindControl(d, 116))->setText("20");
      dynamic_cast<QCheckBox *>(FindControl(d, 113))->setChecked(true);
      dynamic_cast<QLineEdit *>(FindControl(d, 114))->setText("/libs/my.dir");
    });
    EXPECT_TRUE(app.MainFrame()->Router().Dispatch(cmd::kCompilerOptions));
    EXPECT_EQ(driver::CompilerOptions().index, before.index ? 0 : 1) << "the compiler's own value";
    EXPECT_EQ(app.AppSettings().compiler.maxErrors, 20);
    EXPECT_EQ(app.LibraryDirectoryPath(), "/LIBS/MY.DIR") << "the next compile reads the user's library";

    ConfirmNextDialog([](QDialog &d) {
      dynamic_cast<QComboBox *>(FindControl(d, 101))->setCurrentIndex(3);
      dynamic_cast<QComboBox *>(FindControl(d, 102))->setCurrentText("9600");
    });
    EXPECT_TRUE(app.MainFrame()->Router().Dispatch(cmd::kTargetOptions));
    EXPECT_EQ(app.AppSettings().comm.port, 4);
    EXPECT_EQ(CurrentLinkSettings.port, 4) << "the link works with the new port";
    EXPECT_EQ(CurrentLinkSettings.baud, 9600u);
  });
}

TEST_F(Ide, ToolBarHoverShowsTheHintAndLeavingClearsIt) {
  Run({}, [&](tswApp &app) {
    testing::InstalledTexts hints({{cmd::kCompile, "Compile the program"}});
    QToolBar *bar = app.MainFrame()->ToolBar();
    QWidget *button = bar->widgetForAction(app.MainFrame()->Action(cmd::kCompile));
    ASSERT_NE(button, nullptr);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    const StatusBarModel &model = Shell().statusBar->Model();
    std::string shown = model.Overlay() ? model.OverlayText() : model.Text(StatusField::Message);
    EXPECT_EQ(shown, "Compile the program");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(model.Overlay());
    EXPECT_EQ(model.Text(StatusField::Message), "");
  });
}

TEST_F(Ide, TheToolBarToggleIsSavedAtExit) {
  Run({}, [&](tswApp &app) {
    QAction *toggle = app.MainFrame()->Action(cmd::kToolBar);
    toggle->trigger();
    EXPECT_FALSE(app.MainFrame()->ToolBar()->isVisible());
    EXPECT_FALSE(toggle->isChecked());
  });
  bool shownAgain = true;
  Run({}, [&](tswApp &app) { shownAgain = app.MainFrame()->ToolBar()->isVisibleTo(app.MainFrame()); });
  EXPECT_FALSE(shownAgain);
}

TEST_F(Ide, TheCommandLineFileOpensInAnEditor) {
  std::string file = sources.Write("a.c", "main() {}\n");
  int frames = 0;
  std::string caption;
  Run({file}, [&](tswApp &app) {
    frames = int(app.MainClient()->subWindowList().size());
    if (frames)
      caption = app.MainClient()->subWindowList().front()->windowTitle().toStdString();
  });
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(caption, file);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kNoBoardReport});
}

TEST_F(Ide, AFileThatCannotBeOpenedIsReportedAndStartUpGoesOn) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"-c"}, "Cannot open '-c'."},
      {{sources / "none/a.c"}, "The directory " + (sources / "none") + " does not exist."},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    notifier.boxes.clear();
    bool started = false;
    Run(c.args, [&](tswApp &app) { started = app.MainClient()->subWindowList().isEmpty(); });
    EXPECT_TRUE(started);
    ASSERT_FALSE(notifier.boxes.empty());
    EXPECT_EQ(notifier.boxes[0].text.substr(0, c.message.size()), c.message);
  }
}

TEST_F(Ide, TheMenusHoldEachCommandsOneActionAndTheRecentFiles) {
  std::string file = sources.Write("m.c", "int y;\n");
  Run({file}, [](tswApp &) {});
  Run({}, [&](tswApp &app) {
    QMenu *fileMenu = app.MainFrame()->FileMenu();
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_TRUE(fileMenu->actions().contains(app.MainFrame()->Action(cmd::kOpen)));
    QAction *recent = app.MainFrame()->Action(cmd::kRecentFirst);
    ASSERT_TRUE(fileMenu->actions().contains(recent));
    EXPECT_TRUE(recent->text().endsWith(QString::fromStdString(file)));
    ASSERT_NE(app.MainFrame()->WindowMenu(), nullptr);
    EXPECT_TRUE(app.MainFrame()->WindowMenu()->actions().contains(app.MainFrame()->Action(cmd::kCascade)));
    // The recent entry opens its file again.
    recent->trigger();
    EXPECT_EQ(app.MainClient()->subWindowList().size(), 1);
  });
}

TEST_F(Ide, TheExtraVersionTextKeepsSettingsOfItsOwn) {
  std::string file = sources.Write("a.c", "main() {}\n");
  Run({"-c", "beta", file}, [](tswApp &) {});
  EXPECT_TRUE(std::filesystem::exists(SettingsFilePath("7.06Pbeta")));
  EXPECT_FALSE(std::filesystem::exists(SettingsFilePath("7.06P")));
}

TEST_F(Ide, AClosedFileComesBackWhereItWas) {
  std::string file = sources.Write("b.c", "int x;\n");
  Run({file}, [&](tswApp &app) {
    QMdiSubWindow *frame = app.MainClient()->subWindowList().front();
    frame->showNormal();
    frame->setGeometry(15, 25, 320, 240);
  });
  QRect again;
  Run({file}, [&](tswApp &app) { again = app.MainClient()->subWindowList().front()->geometry(); });
  EXPECT_EQ(again, QRect(15, 25, 320, 240));
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

TEST(ScreenshotScript, WritesAPictureOfTheMainWindow) {
  // The program stands beside the test.
  const std::string bin = plat::ProgramDirectory();
  testing::TempDir dir;
  std::string file = dir.Write("shot.c", "main()\n{\n}\n");
  std::string out = dir / "shot.png";
  std::string command = "TSW_BIN='" + bin + "/tsw' '" + TSW_SOURCE_DIR + "/scripts/screenshot.sh' '" + file + "' '" +
                        out + "' 640x480 >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream png(out, std::ios::binary);
  char signature[8] = {};
  png.read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

} // namespace
} // namespace tsw
