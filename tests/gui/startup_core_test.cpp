#include "gui/tswapp_core.h"

#include <new>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "platform/notify.h"
#include "platform/pool.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

TEST(CommandLineSwitches, Table) {
  struct Case {
    std::vector<const char *> args;
    bool verbose;
    const char *version;
    const char *file; // null: none
  };
  const Case cases[] = {
      {{}, false, "7.06P", nullptr},
      {{"/DEBUGx", "a.c"}, true, "7.06P", "a.c"},
      {{"a.c", "/debug"}, false, "7.06P", "a.c"},
      {{"-c", "beta", "a.c"}, false, "7.06Pbeta", "a.c"},
      {{"/debug", "-c", "beta"}, true, "7.06Pbeta", nullptr},
      // Nothing follows: "-c" is the file to open.
      {{"-c"}, false, "7.06P", "-c"},
      {{"/debu", "a.c"}, false, "7.06P", "/debu"},
  };
  for (const Case &c : cases) {
    std::vector<const char *> argv{"tsw"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(argv.size() > 1 ? argv[1] : "none");
    CommandLine line = ParseCommandLine(int(argv.size()), argv.data());
    EXPECT_EQ(line.verbose, c.verbose);
    EXPECT_EQ(line.versionText, c.version);
    EXPECT_EQ(line.file.has_value(), c.file != nullptr);
    if (c.file && line.file) {
      EXPECT_EQ(*line.file, c.file);
    }
  }
}

TEST(ProjectFile, OnlyAReadableTspFileIsTheProject) {
  testing::TempDir dir;
  std::string source = dir.Write("a.c", "main(){}\n");
  std::string project = dir.Write("p.TSP", "[DEFINES]\n");
  const std::string fallback = dir / "tswd.tsp";
  EXPECT_EQ(ProjectFilePath(project, dir.path()), project);
  EXPECT_EQ(ProjectFilePath(source, dir.path()), fallback);
  EXPECT_EQ(ProjectFilePath(dir / "missing.tsp", dir.path()), fallback);
  EXPECT_EQ(ProjectFilePath(std::nullopt, dir.path()), fallback);
}

TEST(MemErrHandler, OutOfMemoryOrInternalEachFromItsOwnLine) {
  std::set<uint32_t> lines;
  std::vector<int> codes{1, 2, 99};
  for (int code = 3; code <= 15; ++code)
    codes.push_back(code);
  for (int code : codes) {
    SCOPED_TRACE(code);
    try {
      MemErrHandler(code);
    } catch (const xErr &error) {
      EXPECT_EQ(error.Message(), code == 2 ? 5018u : 5017u);
      EXPECT_STREQ(error.Module(), kAppModule);
      EXPECT_TRUE(lines.insert(error.Line()).second);
    }
  }
  EXPECT_EQ(lines.size(), codes.size());
}

TEST(MemErrHandler, InstalledBehindThePools) {
  InstallMemErrHandler();
  plat::MEM_POOL pool = plat::MemPoolInit(0);
  plat::MemPoolSetLimit(pool, 16);
  EXPECT_THROW(plat::MemAllocPtr(pool, 1024, 0), xNoMem);
  plat::ResetPoolModule();
}

TEST(ExitCleanupSteps, EachStepRunsOnceInOrder) {
  std::vector<int> ran;
  ExitCleanup cleanup;
  cleanup.Add([&] { ran.push_back(1); });
  cleanup.Add([&] { ran.push_back(2); });
  cleanup.Run();
  cleanup.Run();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

class FakeStartup : public StartupServices, public plat::PleaseWaitService {
public:
  plat::PleaseWaitService &PleaseWait() override { return *this; }
  void Open(bool withCancel) override { Log(withCancel ? "open with cancel" : "open"); }
  void SetText(const std::string &) override {}
  void Pump() override {}
  void Close() override { Log("close"); }
  bool Busy() const override { return false; }
  int PumpDepth() const override { return 0; }

  void PrepareCompiler() override {
    Log("prepare");
    if (failPrepare)
      failPrepare();
  }
  bool LinkSerial() const override { return serial; }
  void StartupLoadStep() override {
    Log("load step");
    if (failLoad)
      failLoad();
  }
  void ReinitCompilerTables() override { Log("tables back"); }
  void ShowMessageWindow() override { Log("message window"); }
  void EnableStatusBar() override { Log("status bar"); }
  bool SessionEnding() const override { return sessionEnding; }
  void RunExitCleanup() override { Log("clean-up"); }

  void Log(const char *s) { log.push_back(s); }
  bool serial = true, sessionEnding = false;
  std::function<void()> failPrepare, failLoad;
  std::vector<std::string> log;
};

class FinishStartupTest : public ::testing::Test {
protected:
  void SetUp() override { plat::SetNotifier(&notifier); }
  void TearDown() override { plat::SetNotifier(nullptr); }
  testing::InstalledTexts texts{{{5044, "Cannot open the port."}}};
  plat::RecordingNotifier notifier;
  FakeStartup app;
};

TEST_F(FinishStartupTest, WaysOut) {
  struct Case {
    const char *name;
    bool serial;
    std::function<void()> failPrepare, failLoad;
    std::vector<std::string> log;
    size_t boxes;
  };
  const Case cases[] = {
      {"serial", true, nullptr, nullptr, {"open", "prepare", "load step", "close", "status bar"}, 0},
      {"TCP/IP: no load step", false, nullptr, nullptr, {"open", "prepare", "close", "status bar"}, 0},
      {"link failure: reported after tables and close",
       true,
       nullptr,
       [] { throw xTCOpen("compcore\\tcs", 1); },
       {"open", "prepare", "load step", "tables back", "close", "status bar"},
       1},
      {"compile failure: the message window, no box",
       true,
       [] { throw xErr(400, "compcore\\cc_er", 1); },
       nullptr,
       {"open", "prepare", "tables back", "close", "message window", "status bar"},
       0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FakeStartup fresh;
    fresh.serial = c.serial;
    fresh.failPrepare = c.failPrepare;
    fresh.failLoad = c.failLoad;
    notifier.boxes.clear();
    EXPECT_NO_THROW(FinishStartup(fresh));
    EXPECT_EQ(fresh.log, c.log);
    EXPECT_EQ(notifier.boxes.size(), c.boxes);
  }
}

TEST_F(FinishStartupTest, AnythingElseCleansUpAndPassesOn) {
  app.failPrepare = [] { throw std::bad_alloc(); };
  EXPECT_THROW(FinishStartup(app), std::bad_alloc);
  EXPECT_EQ(app.log, (std::vector<std::string>{"open", "prepare", "close", "clean-up"}));
}

TEST_F(FinishStartupTest, ASessionEndedMeanwhileEndsStartUp) {
  app.sessionEnding = true;
  EXPECT_THROW(FinishStartup(app), xUserCancel);
  EXPECT_EQ(app.log.back(), "status bar");
}

} // namespace
} // namespace tsw
