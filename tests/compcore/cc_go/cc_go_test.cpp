#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/compiler_fixture.h"
#include "compcore/product_shell.h"
#include "foundation/xerr.h"
#include "support/tempdir.h"

#include <stdexcept>

namespace tsw::testing {
namespace {

class FakeIndex : public LibraryIndexService {
public:
  int buildResult = 0, builds = 0;
  bool throwOnBuild = false, libDirChanged = false;
  std::vector<std::string> libraries;
  std::vector<std::string> changed;
  int Build(const std::string &) override {
    ++builds;
    if (throwOnBuild)
      throw xTCErr(5035, "index", 1);
    return buildResult;
  }
  std::string libDirTested;
  bool LibDirChanged(const std::string &path) override {
    libDirTested = path;
    return libDirChanged;
  }
  std::vector<std::string> LibraryPaths() override { return libraries; }
  bool LibraryChanged(const std::string &p) override {
    return std::find(changed.begin(), changed.end(), p) != changed.end();
  }
};

class DriverTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    shell.programDir = dir.path();
    shell.libDir = dir.Write("LIB.DIR", "");
    shell.compilePath = "PROG.C";
    shell.frame = &frameTag;
    shell.biosFrame = &biosTag;
    shell.boxSeparator = "/";
    SetCompilerShell(&shell);
    SetLibraryIndexService(&index);
  }
  TempDir dir;
  ProgramShell shell;
  int frameTag = 0, biosTag = 0;
  FakeIndex index;
};

TEST_F(DriverTest, MissingLibDirGivesMessageAndStatus2) {
  shell.libDir = dir / "NONE.DIR";
  bool ran = false;
  SetCompileProgram([&](const std::string &, uint16_t) {
    ran = true;
    return uint16_t(0);
  });
  SetErrorFileName("A.C", 1);
  RecordCompileError(1, 1, "old");
  EXPECT_EQ(CompileFile(1), 2);
  EXPECT_FALSE(ran);
  EXPECT_EQ(ErrorListHead(), nullptr);
  EXPECT_FALSE(shell.waitOpen);
  EXPECT_EQ(shell.boxes, (std::vector<std::string>{"[5000]/[4028 " + dir / "NONE.DIR" + "]"}));
}

TEST_F(DriverTest, ThrowingBiosCompileLeavesStateAsBefore) {
  BiosFirstFlag() = true;
  SetCompileProgram([&](const std::string &path, uint16_t) -> uint16_t {
    EXPECT_EQ(path, "BIOS.C");
    EXPECT_TRUE(BiosCompileFlag());
    EXPECT_TRUE(MessageOutputQuiet());
    EXPECT_EQ(shell.frame, &biosTag);
    throw std::runtime_error("bios");
  });
  // A fault of ours leaves the compile as an internal error, the BIOS's as well.
  EXPECT_THROW(CompileFile(1), xInternal);
  EXPECT_EQ(shell.compilePath, "PROG.C");
  EXPECT_EQ(shell.frame, &frameTag);
  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_FALSE(MessageOutputQuiet());
}

TEST_F(DriverTest, BiosWithErrorsStopsTheProgramCompile) {
  BiosFirstFlag() = true;
  std::vector<std::string> compiled;
  uint16_t biosStatus = 2;
  SetCompileProgram([&](const std::string &path, uint16_t mode) {
    compiled.push_back(path + ":" + std::to_string(mode));
    return path == "BIOS.C" ? biosStatus : uint16_t(0);
  });
  EXPECT_EQ(CompileFile(2), 2);
  EXPECT_EQ(compiled, (std::vector<std::string>{"BIOS.C:2"}));
  EXPECT_FALSE(MessageOutputQuiet());
  biosStatus = 0;
  EXPECT_EQ(CompileFile(2), 0);
  EXPECT_EQ(compiled, (std::vector<std::string>{"BIOS.C:2", "BIOS.C:2", "PROG.C:2"}));
  EXPECT_FALSE(BiosFirstFlag());
}

TEST_F(DriverTest, StagesReadConfigBuildIndexAndRetry) {
  dir.Write("tsw.cfg", "sym   = 123\n");
  index.buildResult = 1;
  EXPECT_EQ(CompileStage(false), 1);
  EXPECT_EQ(GetCompileStage(), 1);
  EXPECT_EQ(CompilerConfig().sym, 123);
  EXPECT_EQ(CompilerConfigPath(), dir / "tsw.cfg");
  index.buildResult = 0;
  EXPECT_EQ(PrepareCompilerSession(false), 0);
  EXPECT_EQ(GetCompileStage(), 3);
  EXPECT_EQ(index.builds, 2);
}

TEST_F(DriverTest, NoConfigAnywhereSavesBesideTheProgram) {
  ::setenv("TSW_SYSCONFDIR", (dir / "sys").c_str(), 1);
  EXPECT_EQ(CompileStage(false), 0);
  EXPECT_EQ(CompilerConfigPath(), dir / "tsw.cfg");
  EXPECT_TRUE(SaveCompilerConfig());
  EXPECT_NE(dir.Read("tsw.cfg").find("sym   = 4000"), std::string::npos);
  ::unsetenv("TSW_SYSCONFDIR");
}

TEST_F(DriverTest, FailedBiosLoadLowersStageAndIsAbsorbed) {
  SetCompileStage(3);
  CompileErrorCount() = 4;
  try {
    CompileStage(true);
    FAIL();
  } catch (const xTCErr &e) { // the original exception, not a sliced copy
    EXPECT_EQ(e.Message(), kMsgBiosSymbolsFailed);
  }
  EXPECT_EQ(GetCompileStage(), 2);
  EXPECT_EQ(CompileErrorCount(), 0); // the tables were reset on the way out
  EXPECT_EQ(PrepareCompilerSession(true), 1);
  EXPECT_EQ(PrepareCompilerSession(false), 0);
  EXPECT_EQ(GetCompileStage(), 3);
  EXPECT_EQ(index.builds, 0);
}

TEST_F(DriverTest, IndexExceptionKeepsItsClass) {
  index.throwOnBuild = true;
  SetCompileStage(1);
  EXPECT_THROW(CompileStage(false), xTCErr);
}

TEST_F(DriverTest, OptionsChangeOnceThenSettle) {
  EXPECT_EQ(CompileOptionsChanged(), 1); // the defaults differ from the empty record
  EXPECT_EQ(CurrentRunTimeCheckMask(), 6);
  EXPECT_EQ(CompileOptionsChanged(), 0);
  shell.userBiosPath = "X.C"; // switch off: the path alone is no change
  EXPECT_EQ(CompileOptionsChanged(), 0);
  shell.userBios = true;
  EXPECT_EQ(CompileOptionsChanged(), 1);
  shell.userBiosPath = "x.c";
  EXPECT_EQ(CompileOptionsChanged(), 0);
  CompilerConfig().stack = 1;
  EXPECT_EQ(CompileOptionsChanged(), 1);
  EXPECT_EQ(CurrentRunTimeCheckMask(), 14);
}

TEST_F(DriverTest, LibrariesChangedLooksAtUsedLibrariesOnly) {
  AddUsedLibrary("STDIO.LIB");
  AddUsedLibrary("STDIO.LIB");
  EXPECT_EQ(UsedLibraries().size(), 1u);
  index.libraries = {"LIB\\STDIO.LIB", "/LIB/MATH.LIB"};
  index.changed = {"/LIB/MATH.LIB"};
  EXPECT_FALSE(LibrariesChanged());
  index.changed.push_back("LIB\\STDIO.LIB");
  EXPECT_TRUE(LibrariesChanged());
  index.libDirChanged = true;
  index.changed.clear();
  EXPECT_FALSE(LibrariesChanged());
  EXPECT_EQ(index.builds, 1);
  shell.libDir = dir / "NONE.DIR";
  EXPECT_TRUE(LibrariesChanged());
  // A bare name is looked for in the program's directory, whatever its case.
  shell.libDir = "lib.dir";
  EXPECT_FALSE(LibrariesChanged());
  EXPECT_EQ(index.libDirTested, dir / "LIB.DIR"); // the file found is the one whose time counts
}

TEST_F(DriverTest, ResetTargetCompileFlags) {
  BiosCompileFlag() = true;
  BiosFirstFlag() = true;
  ResetTargetCompileFlags();
  EXPECT_EQ(GetCompileOptionFlag(), 1);
  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_FALSE(BiosFirstFlag());
  EXPECT_FALSE(shell.waitOpen);
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

TEST_F(DriverTest, OptionAccessorsRoundTripAndClearRomc) {
  CompilerConfig().romc = 5;
  SetCompilerOptions(1, 0, 1, 1, 0, 2000, 3, 500, 1, {0, 1, 0});
  uint16_t v[9];
  ProtocolSwitches tc{};
  EXPECT_EQ(GetCompilerOptions(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], tc), 0);
  EXPECT_EQ(std::vector<uint16_t>(v, v + 9), (std::vector<uint16_t>{1, 0, 1, 1, 0, 2000, 3, 500, 1}));
  EXPECT_EQ(CompilerConfig().tcptr, 1);
  EXPECT_EQ(CompilerConfig().tcprot, 0);
  SetRootMapOptions(1, 2, 3, 4);
  GetRootMapOptions(v[0], v[1], v[2], v[3]);
  EXPECT_EQ(std::vector<uint16_t>(v, v + 4), (std::vector<uint16_t>{1, 2, 3, 4}));
  SetReservedMemoryOptions(7, 8);
  GetReservedMemoryOptions(v[0], v[1]);
  EXPECT_EQ(v[0], 7);
  EXPECT_EQ(v[1], 8);
  SetMemoryMapOptions(1, 2, 3, 4, 5, 0);
  GetMemoryMapOptions(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
  EXPECT_EQ(std::vector<uint16_t>(v, v + 7), (std::vector<uint16_t>{1, 2, 3, 4, 5, 0, 0}));
}

} // namespace
} // namespace tsw::testing
