#include "gui/tswapp.h"

#include "gui/dlgfuncins.h"
#include "gui/dlgsearch.h"
#include "gui/exelock.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QSessionManager>
#include <QTimer>
#include <QToolBar>

#include "compcore/link/tc/serial.h"
#include "foundation/brstring.h"
#include "foundation/restext.h"
#include "foundation/version.h"
#include "foundation/xerr.h"
#include "gui/dlgmsg.h"
#include "gui/dlgpass.h"
#include "gui/dlgtip.h"
#include "gui/mainframe.h"
#include "gui/qtnotify.h"
#include "gui/recentfiles.h"
#include "gui/resmodule.h"
#include "gui/shellbuild.h"
#include "gui/shellpanes.h"
#include "gui/shellbreakpoints.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "gui/tswedit.h"
#include "platform/paths.h"

namespace tsw {
namespace {

constexpr const char *kTipsFile = "tsw.tip";
constexpr const char *kAboutTemplate = "DIALOG_ABOUT";

std::string WithSeparator(std::string dir) {
  if (dir.empty() || !plat::IsSeparator(dir.back()))
    dir += '/';
  return dir;
}

// Lives while the IDE runs: the seam's notifier for the time of one run.
struct NotifierScope {
  explicit NotifierScope(plat::Notifications *notifier) { plat::SetNotifier(notifier); }
  ~NotifierScope() { plat::SetNotifier(nullptr); }
};

BuildPaths BuildPathsOf(const Settings &settings, const ShellPaths &paths) {
  BuildPaths build;
  build.programDirectory = paths.programDirectory;
  build.defaultBios = settings.locations.defaultBios;
  build.defaultUserBios = settings.locations.defaultUserBios;
  build.rtiFile = settings.locations.corvidRtiFile;
  build.userBiosEnabled = settings.main.userBiosEnabled;
  build.biosFileType = settings.main.biosFileType;
  return build;
}

} // namespace

void ApplyLinkSettings(const CommunicationSettings &comm) {
  ShellLinkValues values;
  values.port = comm.port;
  values.baud = comm.baudRate;
  values.stopBits = comm.stopBits;
  values.rtsFlow = comm.rtsFlow;
  values.fullDuplex = comm.fullDuplex;
  values.safety = comm.safety;
  values.useTcp = comm.useTcp;
  values.netAddress = comm.netAddress;
  values.netAddressText = comm.netAddressText;
  values.controllerName = comm.controllerName;
  values.tcpPort = comm.tcpPort;
  driver::ApplyLinkSettings(values);
}

ShellPaths ShellPaths::Find() {
  ShellPaths paths;
  paths.programDirectory = WithSeparator(plat::ProgramDirectory());
  // The system's configuration directory stands for both of the system's
  // own directories.
  paths.windowsDirectory = WithSeparator(plat::SystemConfigDirectory());
  paths.systemDirectory = plat::SystemConfigDirectory();
  paths.startDirectory = WithSeparator(plat::CurrentDirectory());
  return paths;
}

tswApp::tswApp(CommandLine line, ShellPaths paths, ExitCleanup &cleanup, EditorFactory &editors)
    : line_(std::move(line)), paths_(std::move(paths)), cleanup_(cleanup), editors_(editors),
      settings_(std::make_unique<Settings>(line_.versionText, paths_.programDirectory)), engine_(*settings_),
      linkHost_(*settings_, paths_.programDirectory), passPhrase_([this] {
        return module_ ? RunPassPhraseDialog(*module_, frame_) : PassPhraseEntry{};
      }) {
  linkHost_.passPhrase = &passPhrase_;
  // The module's name as start-up read it, so that it is saved back.
  settings_->main.resourceModule = kEnglishModuleName;
  ReadResourceModuleName(line_.versionText, settings_->main.resourceModule);
  InstallMemErrHandler();
  InitStringTable();
  RegisterCommands();
  compilerSource_.programDirectory = [this] { return paths_.programDirectory; };
  // Read at each compile: the compiler options dialog may have changed it.
  compilerSource_.libDirPath = [this] { return LibraryDirectoryPath(); };
  compilerSource_.defaultUserBios = [this] { return settings_->locations.defaultUserBios; };
  compilerSource_.biosSourcePath = [this] {
    return client_ && client_->Builds() ? client_->Builds()->BiosPath() : std::string();
  };
  compilerSource_.biosFileType = [this] { return int16_t(settings_->main.biosFileType); };
  compilerSource_.userBiosEnabled = [this] { return settings_->main.userBiosEnabled; };
  compilerSource_.projectMacros = [this] { return defines_ ? defines_->pairs : std::vector<std::string>(); };
  compilerSource_.restrictWatchCode = [this] { return settings_->main.restrictWatchExp; };
  compilerSource_.linkHost = &linkHost_;
  InstallCompilerShell(&compilerSource_);
}

tswApp::~tswApp() {
  SetRtiShell(nullptr);
  InstallDebugger(nullptr);
  InstallCompilerShell(nullptr);
  delete frame_;
  ResetShellState();
}

void tswApp::RegisterCommands() {
  auto flag = [this](bool MainSettings::*member) { return [this, member] { return settings_->main.*member; }; };
  auto flip = [this](bool MainSettings::*member) {
    return [this, member] { settings_->main.*member = !(settings_->main.*member); };
  };
  commands_.Add(
      cmd::kToolBar, [this] { ToggleToolBar(); }, {}, flag(&MainSettings::toolBarOn));
  commands_.Add(cmd::kShow32BitRegs, flip(&MainSettings::show32BitRegs), {}, flag(&MainSettings::show32BitRegs));
  commands_.Add(cmd::kVerboseDisassembly, flip(&MainSettings::verboseDisassembly), {},
                flag(&MainSettings::verboseDisassembly));
  commands_.Add(cmd::kAssumeCorvid, flip(&MainSettings::assumeCorvidCpu), {}, flag(&MainSettings::assumeCorvidCpu));
  // The options live with the build workers' flags in the main window.
  commands_.Add(
      cmd::kOptionA,
      [this] {
        BuildState &build = client_->Build();
        build.optionA = !build.optionA;
        driver::SetCompileChanged(build.optionA != build.optionAAtLoad);
      },
      [this] { return client_ && !settings_->comm.useTcp; }, [this] { return client_ && client_->Build().optionA; });
  commands_.Add(
      cmd::kOptionB, [this] { client_->Build().optionB = !client_->Build().optionB; }, [this] { return client_ != nullptr; },
      [this] { return client_ && client_->Build().optionB; });
  commands_.Add(cmd::kTips, [this] {
    if (!module_ || !frame_)
      return;
    TipFile tips(paths_.programDirectory + kTipsFile);
    RunTipDialog(*module_, frame_, tips);
  });
  commands_.Add(cmd::kAbout, [this] {
    if (module_ && frame_)
      RunInformationDialog(*module_, kAboutTemplate, frame_);
  });
  commands_.Add(
      cmd::kOfflineCompile, [this] { client_->Builds()->OfflineCompileCommand(); },
      [this] { return client_ && client_->Builds() && !Shell().editorFrames.Empty(); });
}

void tswApp::ToggleToolBar() {
  settings_->main.toolBarOn = !settings_->main.toolBarOn;
  if (frame_)
    frame_->ToolBar()->setVisible(settings_->main.toolBarOn);
}

void tswApp::ApplyViewToggles() {
  frame_->ToolBar()->setVisible(settings_->main.toolBarOn);
  frame_->UpdateCommandStates();
}

bool tswApp::InitInstance() {
  projectFile_ = ProjectFilePath(line_.file, paths_.programDirectory);
  defines_ = std::make_shared<Defines>(projectFile_);
  defines_->setting.Load();
  cleanup_.Add([defines = defines_]() mutable { defines.reset(); });

  settings_->Load();
  ApplyLinkSettings(settings_->comm);

  windowTitle_ = GetResourceString(kMsgWindowTitle);
  LockExecutable();
  InitMainWindow();
  frame_->show();

  const MainSettings &main = settings_->main;
  if (main.left < main.right && main.top < main.bottom)
    frame_->move(main.left, main.top);
  RebuildRecentMenu();
  if (main.zoomed)
    frame_->showMaximized();

  client_->Core().SetRunState(RunState::NotDebugging);
  compilerSource_.compilePath.clear();
  if (line_.file) {
    try {
      client_->OpenFile(*line_.file);
    } catch (const xErr &error) {
      error.Report();
    }
  }
  ApplyViewToggles();
  if (module_) {
    TipFile tips(paths_.programDirectory + kTipsFile);
    if (tips.ShowAtStartup())
      RunTipDialog(*module_, frame_, tips);
  }
  FinishStartup(*this);
  return true;
}

void tswApp::InitMainWindow() {
  windowTitle_ += VersionTitleText();
  client_ = new cMainWindow(engine_, compiler_, *settings_, editors_);
  client_->SetLanguageModule(module_);
  debugUi_ = std::make_unique<ShellDebugUi>(*client_);
  InstallDebugger(debugUi_.get());
  panes_ = std::make_unique<ShellPanes>(*client_, *settings_);
  client_->SetPaneMaker([this](PaneFrameKind kind) { return panes_->Make(kind); });
  client_->paneOpened = [this](DebugPane pane, TextPane &shown) { debugUi_->FillOpenedPane(pane, shown); };
  buildTarget_ = std::make_unique<DriverBuildTarget>([this] { return settings_->comm.useTcp; });
  buildTarget_->refreshAfterReset = [this] { debugUi_->RefreshAfterReset(); };
  buildWindows_ = std::make_unique<ShellBuildWindows>(*client_);
  client_->SetBuildTarget(*buildTarget_, *buildWindows_, [this] { return BuildPathsOf(*settings_, paths_); });
  compilerSource_.build = &client_->Build();
  rti_ = std::make_unique<ShellRti>(client_);
  SetRtiShell(rti_.get());
  frame_ = new cMainFrame(client_, commands_);
  frame_->setWindowTitle(QString::fromUtf8(windowTitle_));
  const MainSettings &main = settings_->main;
  if (main.left < main.right && main.top < main.bottom)
    frame_->setGeometry(main.left, main.top, main.right - main.left, main.bottom - main.top);
  if (module_)
    frame_->BuildMenus(*module_);
  client_->recentChanged = [this] { RebuildRecentMenu(); };
  frame_->canClose = [this] { return client_->CanClose(); };
  frame_->cleanup = [this] { FrameCleanup(); };
  client_->saveSettings = [this] { SaveSettings(); };
  client_->compilerOptionServices.definesText = [this] { return defines_ ? defines_->setting.Value() : std::string(); };
  client_->compilerOptionServices.setDefines = [this](const std::string &text) {
    if (defines_)
      defines_->setting.SetValue(text);
  };
  client_->compilerOptionServices.executableDirectory = paths_.programDirectory;
  client_->linkSettingsChanged = [this] { ApplyLinkSettings(settings_->comm); };
  client_->sessionEnding = [this] { sessionEnding_ = true; };
  client_->exitRequested = [this] { QMetaObject::invokeMethod(frame_, "close", Qt::QueuedConnection); };
  // The session asks before it ends: every editor may refuse.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, frame_, [this](QSessionManager &manager) {
    if (!client_->QueryEndSession())
      manager.cancel();
  });
  Shell().InstallPleaseWait(std::make_unique<QtMessageDialogHost>(frame_, [] {
    if (cStatBar *bar = Shell().statusBar)
      bar->ShowMessage("");
  }));
}

void tswApp::RebuildRecentMenu() {
  if (QMenu *file = frame_->FileMenu()) {
    // Taken out first, so the rebuild deletes only items of its own.
    for (uint16_t id = cmd::kRecentFirst; id <= cmd::kRecentLast; ++id)
      file->removeAction(frame_->Action(id));
    RebuildRecentFileMenu(*file, settings_->recentFiles);
    // The new items are the commands' own actions, routed like the rest.
    for (QAction *item : file->actions()) {
      uint16_t id = item->data().isValid() ? uint16_t(item->data().toUInt()) : 0;
      if (id < cmd::kRecentFirst || id > cmd::kRecentLast)
        continue;
      QAction *action = frame_->Action(id);
      action->setText(item->text());
      file->insertAction(item, action);
      file->removeAction(item);
      item->deleteLater();
    }
  }
}

void tswApp::FrameCleanup() {
  client_->SaveWindowStates();
  SaveSettings();
}

void tswApp::SaveSettings() { settings_->Save(this); }

std::optional<SettingsHost::MainWindowState> tswApp::MainWindow() const {
  if (!frame_)
    return std::nullopt;
  MainWindowState state;
  state.maximized = frame_->isMaximized();
  state.minimized = frame_->isMinimized();
  QRect r = frame_->geometry();
  state.rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return state;
}

void tswApp::TermInstance() {
  try {
    CloseSerialPort();
  } catch (...) {
    cleanup_.Run();
  }
  UnlockExecutable();
}

plat::PleaseWaitService &tswApp::PleaseWait() { return plat::PleaseWait(); }

void tswApp::PrepareCompiler() { driver::Prepare(); }

void tswApp::ReinitCompilerTables() { driver::ReinitTables(); }

void tswApp::StartupLoadStep() {
  if (BuildCommands *builds = client_ ? client_->Builds() : nullptr)
    builds->StartupLoadStep();
}

void tswApp::ShowMessageWindow() { client_->ShowMessageWindow(); }

void tswApp::EnableStatusBar() {
  if (cStatBar *bar = Shell().statusBar) {
    bar->EnableTexts();
    client_->Core().SetRunState(RunState::NotDebugging);
    bar->SetInsertMode(true);
  }
}

int RunTsw(int argc, char **argv, const RunOptions &options) {
  CommandLine line = ParseCommandLine(argc, argv);
  VerboseReports = line.verbose;

  QApplication qapp(argc, argv);
  QApplication::setApplicationName(kProgramName);
  QtNotifier screenNotifier;
  NotifierScope notifierScope(options.notifier ? options.notifier : &screenNotifier);

  // The board stays the one given until the program ends.
  driver::UseBoardPort(options.boardPort);
  struct SystemPortsAtExit {
    ~SystemPortsAtExit() { driver::UseBoardPort(nullptr); }
  } systemPorts;
  ShellPaths paths = ShellPaths::Find();
  StartupModule module = LoadStartupModule(line.versionText, paths.programDirectory);
  if (!module.module)
    return 0;

  ExitCleanup cleanup;
  cTextEditFactory sourceEditors;
  EditorFactory &editors = options.editors ? *options.editors : sourceEditors;
  // Outlives the application, whose editors keep it.
  ShellBreakpoints breakpoints;
  sourceEditors.SetBreakpoints(&breakpoints);
  ShellMessagePositions messagePositions;
  sourceEditors.SetMessagePositions(&messagePositions);
  int result = 0;
  {
    tswApp app(line, paths, cleanup, editors);
    sourceEditors.SetSettings(&app.AppSettings());
    breakpoints.window = [&app] { return app.MainClient(); };
    messagePositions.window = [&app] { return app.MainClient(); };
    app.SetLanguageModule(module.module.get());
    SearchDialogState search;
    search.kept = &app.AppSettings().environment;
    ModuleSearchDialogs searchDialogs(*module.module, search);
    sourceEditors.SetSearchDialogs(&searchDialogs);
    ModuleFunctionHelpDialogs functionHelp(*module.module, &app.AppSettings());
    sourceEditors.SetFunctionHelp(&functionHelp);
    cleanup.Add([] { driver::ClearBiosSymbols(); });
    cleanup.Add([] { SetMessageTexts(nullptr); });
    std::string tipsFile = paths.programDirectory + kTipsFile;
    bool ready = false;
    try {
      ready = app.InitInstance();
    } catch (const xUserCancel &) {
    } catch (const xErr &error) {
      error.Report();
    }
    if (ready) {
      if (options.started)
        QTimer::singleShot(0, &qapp, [&] { options.started(app); });
      result = QApplication::exec();
    }
    app.TermInstance();
  }
  cleanup.Add([&module] { module.module.reset(); });
  cleanup.Run();
  return result;
}

} // namespace tsw
