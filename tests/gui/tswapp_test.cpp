#include "gui/tswapp.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QToolBar>

#include <gtest/gtest.h>

#include "gui/commands.h"
#include "gui/mainframe.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

// Runs the IDE offscreen, gives the started program to `check` and closes it.
int RunIde(std::vector<std::string> args, const std::function<void(tswApp &)> &check) {
  std::vector<char *> argv;
  static char name[] = "tsw";
  argv.push_back(name);
  for (std::string &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunTsw(int(argv.size() - 1), argv.data(), [&](tswApp &app) {
    check(app);
    app.MainFrame()->close();
  });
}

TEST(TswApp, StartsWithTitledMainFrameAndExitsCleanly) {
  testing::MapTexts texts({{kMsgWindowTitle, "Tessel C"}, {721, "Edit"}, {717, "INS"}});
  std::string title, mode, insert;
  bool visible = false;
  int rc = RunIde({}, [&](tswApp &app) {
    title = app.MainFrame()->windowTitle().toStdString();
    visible = app.MainFrame()->isVisible();
    mode = Shell().statusBar->Model().Text(StatusField::Mode);
    insert = Shell().statusBar->Model().Text(StatusField::Insert);
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(title, "Tessel C 7.06P");
  EXPECT_TRUE(visible);
  // The end of start-up enabled the bar's texts.
  EXPECT_EQ(mode, "Edit");
  EXPECT_EQ(insert, "INS");
  EXPECT_EQ(Shell().statusBar, nullptr);
}

TEST(TswApp, EveryCommandIsAnActionWithItsEnabler) {
  RunIde({}, [&](tswApp &app) {
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

TEST(TswApp, ToolBarHoverShowsTheHintAndLeavingClearsIt) {
  testing::MapTexts texts({{cmd::kCompile, "Compile the program"}});
  RunIde({}, [&](tswApp &app) {
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

TEST(TswApp, TheToolBarToggleFlipsTheBarAndItsCheck) {
  RunIde({}, [&](tswApp &app) {
    QAction *toggle = app.MainFrame()->Action(cmd::kToolBar);
    toggle->trigger();
    EXPECT_FALSE(app.MainFrame()->ToolBar()->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    EXPECT_TRUE(app.MainFrame()->ToolBar()->isVisible());
    EXPECT_TRUE(toggle->isChecked());
  });
}

} // namespace
} // namespace tsw
