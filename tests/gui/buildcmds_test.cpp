#include "gui/buildcmds.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"
#include "gui/commands.h"
#include "platform/notify.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

constexpr uint16_t kOk = 0, kMessages = kCompileMessagesStatus, kFailed = kCompileFailedStatus;

// The world around the build workers, logging what they ask of it in
// order: the main window's engine and windows, the compile driver and the
// board, the shell's windows.
class World : public DebugEngine,
              public CompilerControl,
              public DebugWindows,
              public PollTimer,
              public BusyState,
              public BuildTarget,
              public BuildWindows {
public:
  // DebugEngine.
  bool LinkIsTcp() const override { return tcp; }
  void SetLinkRunState(int) override {}
  void PollTargetStatus() override { Log("poll"); }
  void OpenSerialPort() override { Log("open port"); }
  void DisconnectTcp() override { Log("disconnect"); }
  void DiscardBreakpointMarkers() override {}
  void ResetProgram() override {}
  void StartProgram() override { Log("start program"); }
  void StopProgram() override {}
  void StepOver() override {}
  void StepInto() override {}
  void ToggleInterrupts() override {}
  void RefreshPanes() override {}
  // CompilerControl.
  void MarkCompileChanged() override { changed = true; }
  void ResetTargetCompileFlags() override {
    Log("reset target flags");
    changed = true;
  }
  void CloseOutputFile() override { Log("close output"); }
  bool OfflineCompileActive() const override { return false; }
  // DebugWindows.
  bool PaneOpen(DebugPane) const override { return false; }
  void ClosePane(DebugPane) override {}
  bool PaneRecordOpen(DebugPane) const override { return false; }
  void ReopenPane(DebugPane) override {}
  void SetMarkExecution(bool) override {}
  void ShowPriority(int) override {}
  void SetModeText(int) override {}
  void ClearExecutionColours() override {}
  void RestoreProgramFrame() override {}
  void EnterDebugMode() override { Log("debugging"); }
  bool HasProgramFrame() const override { return true; }
  void ForgetProgramFrame() override {}
  // PollTimer.
  void Start() override { timer = true; }
  void Stop() override { timer = false; }
  bool Running() const override { return timer; }
  // BusyState.
  bool Busy() const override { return busy; }
  void Close() override { ClosePleaseWait(); }

  // BuildTarget.
  uint16_t CompileFile(uint16_t mode) override {
    Log((biosCompile ? "compile bios " : "compile ") + path + " mode " + std::to_string(mode));
    optionBAtCompile.push_back(optionBFlag);
    if (onCompile)
      onCompile(biosCompile);
    return biosCompile ? biosStatus : programStatus;
  }
  void SetCompilePath(const std::string &p) override { path = p; }
  bool CompileChanged() const override { return changed; }
  void SetCompileChanged(bool c) override { changed = c; }
  bool BiosWanted() const override { return biosWanted; }
  void SetBiosWanted(bool w) override { biosWanted = w; }
  void SetBiosCompile(bool on) override { biosCompile = on; }
  void ResetLoadBounds(bool bios) override { boundsResetForBios.push_back(bios); }
  void SetOptionBFlag(bool on) override { optionBFlag = on; }
  void ClearCompileProducts() override {}
  bool RecordedErrorsOrWarnings() const override { return recorded; }
  bool DiagnosticsRecorded() const override { return recorded; }
  bool LibrariesChanged() override { return librariesChanged; }
  bool CompileOptionsChanged() override { return optionsChanged; }
  void RememberCompileOptions() override {}
  std::optional<int64_t> FileTime(const std::string &p) override {
    auto it = times.find(p);
    return it == times.end() ? std::nullopt : std::optional<int64_t>(it->second);
  }
  void OpenBiosInfo(const std::string &p) override { Log("open info " + p); }
  void CloseBiosInfo() override { Log("close info"); }
  void SetAssumeCorvidCpu() override {}
  void UseUserBaudRate() override {}
  void DrainAndCloseSerialPort() override { Log("close port"); }
  void SyncKernelForCompile() override { Log("sync kernel"); }
  void ConnectTcp() override { Log("connect tcp"); }
  void ReadBoardInfoTcp() override { Log("board info"); }
  bool ColdLoadBareBoard() override {
    Log("cold load");
    return coldLoadWorks;
  }
  void HandOverBaudRate() override { Log("hand over baud"); }
  void TargetConnect() override {
    Log("connect kernel");
    if (connectFails)
      throw xTCErr(kMsgKernelNoSync, "test", 1);
  }
  void ResetTargetProgram() override { Log("reset program"); }
  void RefreshPanesAfterReset() override { Log("refresh panes"); }

  // BuildWindows.
  std::optional<std::string> TakeProgramFrame() override {
    if (editor.empty())
      return std::nullopt;
    return editor;
  }
  void TakeBiosFrame(const std::string &) override {}
  bool EditorModified(const std::string &p) override { return p == modifiedEditor; }
  void RaiseRecentEditor() override {}
  bool PleaseWaitOpen() override { return busy; }
  void OpenPleaseWait(bool) override { busy = true; }
  void SetPleaseWaitText(const std::string &) override {}
  void ClosePleaseWait() override { busy = false; }
  void ShowBox(unsigned message) override { Log("box " + std::to_string(message)); }
  void Report(const xErr &error) override { Log("report " + std::to_string(error.Message())); }
  void Wait(uint32_t) override {}
  bool MessageWindowOpen() override { return messageWindow; }
  void ShowMessageWindow() override {
    messageWindow = true;
    Log("show messages");
  }
  void FocusMessageWindow() override { Log("focus messages"); }
  void ForgetMessageWindow() override { messageWindow = false; }
  void ClearAndHideMessageWindow() override {}
  void HideMessageWindow() override {}

  void Log(std::string s) { log.push_back(std::move(s)); }
  bool Logged(const std::string &s) const { return std::find(log.begin(), log.end(), s) != log.end(); }
  size_t Count(const std::string &prefix) const {
    return size_t(std::count_if(log.begin(), log.end(), [&](const std::string &s) { return s.rfind(prefix, 0) == 0; }));
  }

  bool tcp = false, timer = false, busy = false;
  bool changed = false, biosWanted = false, biosCompile = false, recorded = false;
  bool librariesChanged = false, optionsChanged = false, coldLoadWorks = true, connectFails = false;
  bool messageWindow = false;
  uint16_t programStatus = kOk, biosStatus = kOk;
  std::string path, editor = "/src/prog.c", modifiedEditor;
  std::map<std::string, int64_t> times;
  std::function<void(bool bios)> onCompile;
  std::vector<std::string> log;
  bool optionBFlag = true;
  std::vector<bool> optionBAtCompile, boundsResetForBios;
};

class BuildCommandsTest : public ::testing::Test {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    builds.SetPaths([this] { return paths; });
    paths.programDirectory = "/tsw/";
    paths.defaultBios = "bios.c";
    paths.rtiFile = "bios/corvbios.rti";
  }
  void TearDown() override { plat::SetNotifier(nullptr); }
  // The board as a load left it: its BIOS built from what is there now.
  void Loaded() {
    world.times[biosPath] = 7;
    state.biosFileTime = 7;
    world.changed = false;
  }

  testing::InstalledTexts texts{{{kMsgCompiling, "Compiling %s"}}};
  plat::RecordingNotifier notifier;
  World world;
  MainWindowCore core{world, world, world, world, world};
  BuildState state;
  BuildCommands builds{core, state, world, world};
  BuildPaths paths;
  const std::string biosPath = "/tsw/BIOS/BIOS.C";
};

TEST_F(BuildCommandsTest, TheCompileCommandLoadsTheBiosOnlyWhenSomethingItIsBuiltFromChanged) {
  struct Case {
    const char *name;
    std::function<void(World &, BuildState &)> change;
    bool loadsBios;
  };
  const Case cases[] = {
      {"nothing changed", [](World &, BuildState &) {}, false},
      {"the BIOS source touched", [this](World &w, BuildState &) { w.times[biosPath] = 8; }, true},
      {"a library changed", [](World &w, BuildState &) { w.librariesChanged = true; }, true},
      {"the compile options changed", [](World &w, BuildState &) { w.optionsChanged = true; }, true},
      {"the BIOS edited and not saved", [this](World &w, BuildState &) { w.modifiedEditor = biosPath; }, true},
      {"the compile state marked changed", [](World &w, BuildState &) { w.changed = true; }, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    world = World();
    Loaded();
    c.change(world, state);
    builds.CompileProgramCommand();
    EXPECT_EQ(world.Logged("cold load"), c.loadsBios);
    EXPECT_EQ(world.Logged("compile bios " + biosPath + " mode 0"), c.loadsBios);
    EXPECT_TRUE(world.Logged("compile /src/prog.c mode 0")) << "the program is compiled either way";
    EXPECT_EQ(core.State(), RunState::Stopped) << "loaded and stopped at its start";
    EXPECT_TRUE(world.Logged("reset program"));
    EXPECT_FALSE(state.biosCompileActive);
    EXPECT_FALSE(world.biosCompile) << "the driver's BIOS mark goes with it";
    core.ArrangeDebugWindows(RunState::NotDebugging);
  }
}

TEST_F(BuildCommandsTest, AFailedLoadStepKeepsTheProgramFromCompiling) {
  struct Case {
    const char *name;
    std::function<void(World &)> fault;
    std::vector<std::string> shown; // boxes and reports after the cold load
    bool unreachable;
  };
  const Case cases[] = {
      {"the board does not take the cold loader", [](World &w) { w.coldLoadWorks = false; }, {}, false},
      {"the BIOS does not compile", [](World &w) { w.biosStatus = kFailed; }, {}, false},
      {"the kernel does not answer after the load", [](World &w) { w.connectFails = true; },
       {"report " + std::to_string(kMsgKernelNoSync)}, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    world = World();
    state = BuildState();
    world.changed = true;
    c.fault(world);
    builds.CompileProgramCommand();
    EXPECT_FALSE(world.Logged("compile /src/prog.c mode 0"));
    std::vector<std::string> shown;
    for (const std::string &line : world.log)
      if (line.rfind("box", 0) == 0 || line.rfind("report", 0) == 0)
        shown.push_back(line);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(state.targetUnreachable, c.unreachable);
    EXPECT_FALSE(state.programLoaded);
    EXPECT_TRUE(world.changed) << "the next compile loads again";
    EXPECT_FALSE(world.busy) << "no please-wait dialog left open";
    EXPECT_FALSE(core.Debugging());
  }
  // While the board cannot be reached, a compile to it is refused.
  world = World();
  ASSERT_TRUE(state.targetUnreachable);
  EXPECT_FALSE(builds.Compile(BuildCommands::CompileMode::Load));
  EXPECT_TRUE(world.Logged("box " + std::to_string(kMsgTargetUnreachable)));
  EXPECT_EQ(world.Count("compile "), 0u);
  EXPECT_FALSE(MainWindowEnabled(cmd::kCompile, {.editorOpen = true, .targetUnreachable = true}).value());
}

TEST_F(BuildCommandsTest, FailuresInsideTheCompileEndItWithoutLeavingTheDialogOrFlagsBehind) {
  struct Case {
    const char *name;
    bool tcp;
    std::function<void()> raise;
    bool recorded;
    std::vector<std::string> expected; // what follows the compile, in order
  };
  const std::string noSync = std::to_string(kMsgKernelNoSync);
  const Case cases[] = {
      {"cancelled: no report", true, [] { throw xUserCancel("test", 1); }, false, {"close output", "disconnect"}},
      {"an error with messages recorded", false, [] { throw xTCErr(kMsgKernelNoSync, "test", 1); }, true,
       {"report " + noSync, "reset target flags", "show messages", "focus messages"}},
      // Nothing recorded: no empty message window for it.
      {"an error before any message", false, [] { throw xTCErr(kMsgKernelNoSync, "test", 1); }, false,
       {"report " + noSync, "reset target flags"}},
      {"failed with messages on TCP/IP", true, [this] { world.programStatus = kFailed | kMessages; }, true,
       {"show messages", "focus messages", "disconnect"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    world = World();
    state = BuildState();
    state.offlineCompile = true;
    world.tcp = c.tcp;
    world.recorded = c.recorded;
    world.onCompile = [&](bool) { c.raise(); };
    EXPECT_FALSE(builds.Compile(BuildCommands::CompileMode::Load));
    auto compiled = std::find(world.log.begin(), world.log.end(), "compile /src/prog.c mode 0");
    ASSERT_NE(compiled, world.log.end());
    EXPECT_EQ(std::vector<std::string>(compiled + 1, world.log.end()), c.expected);
    EXPECT_FALSE(world.busy);
    EXPECT_FALSE(state.offlineCompile);
    EXPECT_FALSE(world.biosWanted);
    EXPECT_FALSE(core.Debugging());
  }
}

TEST_F(BuildCommandsTest, WithDebuggingOffTheProgramIsLoadedToRunOnItsOwn) {
  struct Case {
    int biosFileType;
    unsigned box;
  };
  for (const Case &c : {Case{0, kMsgLoadedNoDebugger}, Case{1, kMsgLoadedImageNoDebugger}}) {
    SCOPED_TRACE(c.biosFileType);
    world = World();
    state = BuildState();
    Loaded();
    paths.biosFileType = c.biosFileType;
    state.optionA = false;
    builds.CompileProgramCommand();
    EXPECT_TRUE(world.Logged("box " + std::to_string(c.box)));
    EXPECT_EQ(state.downloadState, 2u);
    EXPECT_FALSE(core.Debugging());
    EXPECT_FALSE(world.Logged("reset program"));
    EXPECT_FALSE(MainWindowEnabled(cmd::kRun, {.editorOpen = true, .downloadState = state.downloadState,
                                               .optionA = state.optionA})
                     .value());
  }
  // Run from the menu says why it will not run under the debugger.
  world = World();
  builds.RunCheckedCommand(true);
  EXPECT_EQ(world.log, (std::vector<std::string>{"box " + std::to_string(kMsgDebuggingOff)}));
}

TEST_F(BuildCommandsTest, ACompileWithoutABoardNeverTouchesTheBoard) {
  for (uint16_t status : {kOk, kFailed}) {
    SCOPED_TRACE(status);
    world = World();
    state = BuildState();
    world.programStatus = status;
    world.biosStatus = status;
    builds.OfflineCompileCommand();
    for (const char *traffic : {"open port", "close port", "cold load", "sync kernel", "connect kernel",
                                "hand over baud", "reset program"})
      EXPECT_FALSE(world.Logged(traffic)) << traffic;
    EXPECT_TRUE(world.Logged("compile bios " + biosPath + " mode 0"));
    EXPECT_FALSE(state.offlineCompile);
    EXPECT_FALSE(core.Debugging());
  }
}

TEST_F(BuildCommandsTest, TheStartupLoadStepLoadsTheBiosAndConnects) {
  state.startupLoadStep = false;
  builds.StartupLoadCommand();
  EXPECT_EQ(world.log, (std::vector<std::string>{"close port", "cold load", "open info /tsw/bios/corvbios.rti",
                                                 "open port", "compile bios " + biosPath + " mode 0", "close info",
                                                 "hand over baud", "connect kernel"}));
  EXPECT_TRUE(state.programLoaded);
  EXPECT_FALSE(state.targetUnreachable);
  EXPECT_FALSE(world.changed) << "the board's BIOS is current";
  EXPECT_FALSE(world.busy);
}

TEST(BiosSourcePathTest, TheUsersBiosOrTheDefaultOneInTheProgramsBiosFolder) {
  struct Case {
    bool userEnabled;
    const char *user;
    bool commandForm;
    const char *path;
  };
  const Case cases[] = {
      {false, "/my/mine.c", false, "/tsw/BIOS/CORVBIOS.C"},
      {true, "/my/mine.c", false, "/MY/MINE.C"},
      {true, "", false, "/tsw/BIOS/CORVBIOS.C"},
      // The compile command takes the user's name whenever it is enabled.
      {true, "", true, ""},
  };
  for (const Case &c : cases) {
    BuildPaths paths{"/tsw/", "corvbios.c", c.user, "", c.userEnabled, 0};
    EXPECT_EQ(BiosSourcePath(paths, c.commandForm), c.path) << c.user << " " << c.commandForm;
  }
}

TEST_F(BuildCommandsTest, OptionBReachesOnlyTheCompileAndLoadsProgramAndBoardCompilesStartFromResetBounds) {
  struct Case {
    const char *name;
    bool optionB;
    bool loaded; // the BIOS on the board is up to date
    std::function<void()> fault; // raised by the program compile
    bool compileAndLoad;          // else the compile command
    std::vector<bool> optionBAtCompile;   // the BIOS's (when compiled), then the program's
    std::vector<bool> boundsResetForBios; // one per compile to the board
  };
  auto noFault = [] {};
  const Case cases[] = {
      {"compile and load, B off", false, false, noFault, true, {true, false}, {true}},
      {"compile and load, B on", true, false, noFault, true, {true, true}, {true}},
      {"a failed compile", false, false, [] { throw xErr(kMsgKernelNoSync, "test", 1); }, true, {true, false}, {true}},
      {"a cancelled compile", false, false, [] { throw xUserCancel("test", 1); }, true, {true, false}, {true}},
      {"the compile command, B off", false, true, noFault, false, {true}, {false}},
      {"the compile command loading the BIOS", false, false, noFault, false, {true, true}, {true, false}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    world = World();
    state = BuildState();
    world.changed = true;
    if (c.loaded)
      Loaded();
    state.optionB = c.optionB;
    world.onCompile = [&](bool bios) {
      if (!bios)
        c.fault();
    };
    if (c.compileAndLoad)
      core.RunGuarded([&] { builds.CompileAndLoadCommand(); });
    else
      builds.CompileProgramCommand();
    EXPECT_EQ(world.optionBAtCompile, c.optionBAtCompile);
    EXPECT_EQ(world.boundsResetForBios, c.boundsResetForBios);
    EXPECT_TRUE(world.optionBFlag) << "back to 1 after every compile";
    core.ArrangeDebugWindows(RunState::NotDebugging);
  }
}

} // namespace
} // namespace tsw
