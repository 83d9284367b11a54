#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/inisetting.h"
#include "gui/commands.h"
#include "gui/driverlink.h"
#include "gui/settings.h"
#include "gui/shellbuild.h"
#include "gui/shelldebugui.h"
#include "gui/shellpanes.h"
#include "gui/shellrti.h"
#include "gui/shelllinkhost.h"
#include "gui/textpane.h"
#include "gui/tswcdlg.h"
#include "gui/tswapp_core.h"
#include "gui/tswmainw.h"
#include "foundation/msgnumbers.h"

namespace tsw::plat {
class Notifications;
}

// The application: start-up up to the first idle moment, the main frame
// and its client, the application's own commands, and shut-down.
namespace tsw {

class cMainFrame;
class LanguageModule;

// The program's name as the user sees it in the title bar.
inline constexpr const char *kProgramName = "Tessel C";

// The directories start-up finds, each ending in a separator.
struct ShellPaths {
  std::string programDirectory;
  std::string windowsDirectory;
  std::string systemDirectory;
  std::string startDirectory;
  static ShellPaths Find();
};

class tswApp : private StartupServices, private SettingsHost {
public:
  // `cleanup` runs after the application is gone; the application adds
  // its own steps to it.
  tswApp(CommandLine line, ShellPaths paths, ExitCleanup &cleanup, EditorFactory &editors);
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
  const ShellPaths &Paths() const { return paths_; }
  const std::string &ProjectFile() const { return projectFile_; }
  std::string LibraryDirectoryPath() const { return CompilerLibraryDirectory(*settings_, paths_.programDirectory); }
  Settings &AppSettings() { return *settings_; }

  void SetSessionEnding() { sessionEnding_ = true; }
  // The module the menus and accelerators come from.
  void SetLanguageModule(const LanguageModule *module) { module_ = module; }

private:
  void RegisterCommands();
  void ToggleToolBar();
  void ApplyViewToggles();
  void SaveSettings();
  void FrameCleanup();
  void RebuildRecentMenu();

  // StartupServices.
  plat::PleaseWaitService &PleaseWait() override;
  void PrepareCompiler() override;
  bool LinkSerial() const override { return !settings_->comm.useTcp; }
  void StartupLoadStep() override;
  void ReinitCompilerTables() override;
  void ShowMessageWindow() override;
  void EnableStatusBar() override;
  bool SessionEnding() const override { return sessionEnding_; }
  void RunExitCleanup() override { cleanup_.Run(); }

  // SettingsHost.
  std::optional<MainWindowState> MainWindow() const override;

  CommandLine line_;
  ShellPaths paths_;
  ExitCleanup &cleanup_;
  EditorFactory &editors_;
  std::unique_ptr<Settings> settings_;
  // The user's defines over the project file; the exit clean-up deletes it,
  // after the application.
  struct Defines {
    explicit Defines(const std::string &file) : setting(file, &pairs) {}
    std::vector<std::string> pairs;
    IniStringSetting setting;
  };
  std::shared_ptr<Defines> defines_;
  CommandHandlers commands_;
  BoardEngine engine_;
  ShellLinkHost linkHost_;
  // Asked by the TCP/IP login; remembered for the session at most.
  cTCPPassPhraseControl passPhrase_;
  CompileDriverControl compiler_;
  const LanguageModule *module_ = nullptr;
  cMainFrame *frame_ = nullptr;
  cMainWindow *client_ = nullptr;
  std::unique_ptr<ShellDebugUi> debugUi_;
  std::unique_ptr<DriverBuildTarget> buildTarget_;
  std::unique_ptr<ShellBuildWindows> buildWindows_;
  std::unique_ptr<ShellPanes> panes_;
  std::unique_ptr<ShellRti> rti_;
  std::string windowTitle_;
  std::string projectFile_;
  CompilerShellSource compilerSource_;
  bool sessionEnding_ = false;
};

// The link takes the settings store's port, rate and network values.
void ApplyLinkSettings(const CommunicationSettings &comm);

struct RunOptions {
  // Runs once start-up is over and the event loop is up; tests and the
  // screenshot drive and then close the program from here.
  std::function<void(tswApp &)> started;
  // Message boxes go here instead of to the screen.
  plat::Notifications *notifier = nullptr;
  // Makes the editors; the placeholder view by default.
  EditorFactory *editors = nullptr;
  // Where the serial link finds its board; the system's ports by default.
  driver::BoardPortOpener boardPort;
};

// The program's main function: runs the IDE until its main frame is
// closed; 0 when start-up fails before the application exists.
int RunTsw(int argc, char **argv, const RunOptions &options = {});

} // namespace tsw
