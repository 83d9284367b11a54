#include "gui/tswapp.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>
#include <QToolBar>

#include "compcore/cc_go/cc_go.h"
#include "foundation/restext.h"
#include "foundation/version.h"
#include "foundation/xerr.h"
#include "gui/dlgmsg.h"
#include "gui/mainframe.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "platform/paths.h"

namespace tsw {

tswApp::tswApp(CommandLine line) : line_(std::move(line)) {
  InstallMemErrHandler();
  RegisterCommands();
}

tswApp::~tswApp() { delete frame_; }

void tswApp::RegisterCommands() {
  commands_.Add(
      cmd::kToolBar, [this] { ToggleToolBar(); }, {}, [this] { return toolBarOn_; });
}

void tswApp::ToggleToolBar() {
  toolBarOn_ = !toolBarOn_;
  if (frame_)
    frame_->ToolBar()->setVisible(toolBarOn_);
}

bool tswApp::InitInstance() {
  projectFile_ = ProjectFilePath(line_.file, plat::ProgramDirectory());
  windowTitle_ = GetResourceString(kMsgWindowTitle);
  InitMainWindow();
  frame_->show();
  client_->Core().SetRunState(RunState::NotDebugging);
  frame_->ToolBar()->setVisible(toolBarOn_);
  frame_->UpdateCommandStates();
  FinishStartup(*this);
  return true;
}

void tswApp::InitMainWindow() {
  windowTitle_ += VersionTitleText();
  client_ = new cMainWindow(engine_, compiler_);
  frame_ = new cMainFrame(client_, commands_);
  frame_->setWindowTitle(QString::fromUtf8(windowTitle_));
  Shell().InstallPleaseWait(std::make_unique<QtMessageDialogHost>(frame_, [] {
    if (cStatBar *bar = Shell().statusBar)
      bar->ShowMessage("");
  }));
}

void tswApp::TermInstance() {}

plat::PleaseWaitService &tswApp::PleaseWait() { return plat::PleaseWait(); }

void tswApp::PrepareCompiler() { CompileStage(false); }

void tswApp::ReinitCompilerTables() { tsw::ReinitCompilerTables(); }

void tswApp::EnableStatusBar() {
  if (cStatBar *bar = Shell().statusBar) {
    bar->EnableTexts();
    client_->Core().SetRunState(RunState::NotDebugging);
    bar->SetInsertMode(true);
  }
}

int RunTsw(int argc, char **argv, const std::function<void(tswApp &)> &started) {
  CommandLine line = ParseCommandLine(argc, argv);
  VerboseReports = line.verbose;

  QApplication qapp(argc, argv);
  QApplication::setApplicationName(kProgramName);

  int result = 0;
  {
    tswApp app(std::move(line));
    bool ready = false;
    try {
      ready = app.InitInstance();
    } catch (const xUserCancel &) {
    } catch (const xErr &error) {
      error.Report();
    }
    if (ready) {
      if (started)
        QTimer::singleShot(0, &qapp, [&] { started(app); });
      result = QApplication::exec();
    }
    app.TermInstance();
  }
  ResetShellState();
  return result;
}

} // namespace tsw
