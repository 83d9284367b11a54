#include "gui/tswmainw.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "gui/frames.h"
#include "gui/shellstate.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

class Pane : public TextPane {
public:
  QWidget *Widget() override { return widget; }
  Size CellSize() const override { return {8, 16}; }
  void Clear() override { ++clears; }
  QWidget *widget = new QPlainTextEdit();
  int clears = 0;
};

class MainWindowTest : public testing::QtSuite {
protected:
  void SetUp() override {
    ResetShellState();
    plat::SetNotifier(&notifier);
    window.resize(900, 600);
    window.show();
    window.SetPaneMaker([this](PaneFrameKind) {
      panes.push_back(std::make_unique<Pane>());
      return panes.back().get();
    });
  }
  void TearDown() override {
    plat::SetNotifier(nullptr);
    ResetShellState();
  }

  testing::ConfigHome home;
  testing::TempDir sources;
  testing::InstalledTexts texts{{{5023, "Cannot open '%s'."}, {5148, "The directory %s does not exist."}}};
  plat::RecordingNotifier notifier;
  Settings settings{"7.06P", "/nowhere/"};
  BoardEngine engine{settings};
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  std::vector<std::unique_ptr<Pane>> panes;
  cMainWindow window{engine, compiler, settings, editors};
};

TEST_F(MainWindowTest, OpeningAListedFileRestoresItAndTakesItOffTheList) {
  std::string listed = sources.Write("a.c", "x\n"), other = sources.Write("b.c", "y\n");
  RecentFiles &recent = settings.recentFiles;
  RecentFileRecord *record = recent.GetRecord(*recent.Add(listed));
  *record = {listed, 40, 50, 300, 200, 0, 7, 12, 3};
  cEditFrame *frame = window.OpenFile(listed);
  EXPECT_EQ(frame->geometry(), QRect(40, 50, 300, 200));
  EXPECT_EQ(frame->View()->TopLine(), 7);
  EXPECT_EQ(frame->View()->Caret(), (12u << 16) | 3);
  EXPECT_EQ(recent.Count(), 0);
  cEditFrame *fresh = window.OpenFile(other);
  EXPECT_EQ(fresh->View()->Caret(), 0u);
}

TEST_F(MainWindowTest, OpenFileRefusesMissingDirectoriesAndFiles) {
  try {
    window.OpenFile(sources / "gone/a.c");
    FAIL();
  } catch (const xFileOpen &error) {
    EXPECT_EQ(error.Message(), kMsgNoDirectory);
    EXPECT_EQ(error.FileName(), sources / "gone");
  }
  EXPECT_THROW(window.OpenFile(sources / "none.c"), xFileOpen);
  EXPECT_TRUE(window.subWindowList().isEmpty());
}

TEST_F(MainWindowTest, WithTheActiveChildMaximisedANewEditorIsMaximisedToo) {
  cEditFrame *first = window.OpenFile(std::nullopt);
  first->showMaximized();
  cEditFrame *second = window.OpenFile(std::nullopt);
  EXPECT_TRUE(second->isMaximized());
}

TEST_F(MainWindowTest, ClosingTheProgramsEditorEndsDebuggingAndClosesTheMessageWindow) {
  cEditFrame *program = window.OpenFile(std::nullopt);
  Shell().currentProgramFrame = program;
  window.Core().ArrangeDebugWindows(RunState::Stopped);
  ASSERT_NE(window.ShowMessageWindow(), nullptr);
  delete program;
  EXPECT_FALSE(window.Core().Debugging());
  EXPECT_EQ(window.MessageFrame(), nullptr);
  EXPECT_EQ(panes.front()->clears, 1);
}

TEST_F(MainWindowTest, RegisterWindowToggles) {
  int fills = 0;
  window.paneOpened = [&](DebugPane pane, TextPane &) { fills += pane == DebugPane::Register; };
  window.Core().SetRunState(RunState::Stopped);
  window.Commands().Find(cmd::kToggleRegisters)->worker();
  EXPECT_NE(window.PaneFrame(DebugPane::Register), nullptr);
  window.Commands().Find(cmd::kToggleRegisters)->worker();
  EXPECT_EQ(window.PaneFrame(DebugPane::Register), nullptr);
  EXPECT_FALSE(window.PaneRecord(DebugPane::Register).open);
  window.Commands().Find(cmd::kToggleRegisters)->worker();
  EXPECT_NE(window.PaneFrame(DebugPane::Register), nullptr);
  EXPECT_EQ(fills, 2);
}

TEST_F(MainWindowTest, LeavingDebuggingClosesPanesAndEnteringReopensThem) {
  window.Core().ArrangeDebugWindows(RunState::Stopped);
  window.ShowPane(DebugPane::Stack);
  window.Core().ArrangeDebugWindows(RunState::NotDebugging);
  EXPECT_EQ(window.PaneFrame(DebugPane::Stack), nullptr);
  EXPECT_TRUE(window.PaneRecord(DebugPane::Stack).open);
  window.Core().ArrangeDebugWindows(RunState::Stopped);
  EXPECT_NE(window.PaneFrame(DebugPane::Stack), nullptr);
}

} // namespace
} // namespace tsw
