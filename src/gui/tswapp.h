#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/commands.h"
#include "gui/tswapp_core.h"
#include "gui/tswmainw.h"

// The application: start-up up to the first idle moment, the main frame
// and its client, the application's own commands, and shut-down.
namespace tsw {

class cMainFrame;

// The program's name as the user sees it in the title bar.
inline constexpr const char *kProgramName = "Tessel C";
inline constexpr unsigned kMsgWindowTitle = 1102;

class tswApp : private StartupServices {
public:
  explicit tswApp(CommandLine line);
  ~tswApp() override;
  tswApp(const tswApp &) = delete;
  tswApp &operator=(const tswApp &) = delete;

  // Start-up; false when it cannot go on.
  bool InitInstance();
  void InitMainWindow();
  void TermInstance();

  cMainFrame *MainFrame() const { return frame_; }
  cMainWindow *MainClient() const { return client_; }
  const CommandHandlers &Commands() const { return commands_; }
  const CommandLine &Line() const { return line_; }
  const std::string &WindowTitle() const { return windowTitle_; }
  ExitCleanup &Cleanup() { return cleanup_; }

  bool ToolBarOn() const { return toolBarOn_; }
  void SetSessionEnding() { sessionEnding_ = true; }

private:
  void RegisterCommands();
  void ToggleToolBar();

  // StartupServices.
  plat::PleaseWaitService &PleaseWait() override;
  void PrepareCompiler() override;
  bool LinkSerial() const override { return !engine_.LinkIsTcp(); }
  void StartupLoadStep() override {}
  void ReinitCompilerTables() override;
  void ShowMessageWindow() override {}
  void EnableStatusBar() override;
  bool SessionEnding() const override { return sessionEnding_; }
  void RunExitCleanup() override { cleanup_.Run(); }

  CommandLine line_;
  CommandHandlers commands_;
  NoBoardEngine engine_;
  CompileDriverControl compiler_;
  cMainFrame *frame_ = nullptr;
  cMainWindow *client_ = nullptr;
  ExitCleanup cleanup_;
  std::string windowTitle_;
  std::string projectFile_;
  bool sessionEnding_ = false;
  bool toolBarOn_ = true;
};

// The program's main function: runs the IDE until its main frame is
// closed. `started` runs once start-up is over and the event loop is up;
// tests and the screenshot use it to drive and then close the program.
int RunTsw(int argc, char **argv, const std::function<void(tswApp &)> &started = {});

} // namespace tsw
