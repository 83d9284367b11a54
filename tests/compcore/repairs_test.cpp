#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "front1_fixture.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

// The IDE shell of a compile request for one program, without a BIOS.
class OneProgramShell : public CompilerShell {
public:
  explicit OneProgramShell(const TempDir &dir) : dir_(dir) {}
  std::string ProgramDirectory() override { return dir_.path(); }
  std::string LibDirPath() override { return dir_ / "LIB.DIR"; }
  int16_t BiosFileTypeSetting() override { return 0; }
  bool UserBiosEnabled() override { return false; }
  std::string DefaultUserBios() override { return {}; }
  std::string CompilePath() override { return compilePath; }
  void SetCompilePath(const std::string &path) override { compilePath = path; }
  std::string BiosSourcePath() override { return dir_ / "BIOS.C"; }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return true; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &, const std::string &) override {}
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }
  std::string compilePath;

private:
  const TempDir &dir_;
};

class Repairs : public Front1Test {
protected:
  void SetUp() override {
    Front1Test::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  uint16_t Compile(const std::string &program) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(1);
  }
  TempDir dir;
  OneProgramShell shell{dir};
};

// The IDE compiles the same program again and again in one compiler: each
// compile's globals are its own.
TEST_F(Repairs, GlobalsDoNotSurviveIntoTheNextCompile) {
  const char *programs[] = {"int g;\n", "int g;\nstruct s { int m; } v;\n", "struct s { int m; } v;\n"};
  for (const char *program : programs)
    for (int compile = 1; compile <= 3; ++compile) {
      ClearErrorList();
      EXPECT_EQ(Compile(program), 0) << program << compile << ": " << ::testing::PrintToString(Records());
    }
}

// A compile that reaches the error limit, or the end of one of its tables,
// ends there: the IDE gets the status of a failed compile and the list that
// tells why, never the exception itself.
TEST_F(Repairs, OverflowEndsTheCompileWithItsMessage) {
  struct Case {
    const char *what;
    std::string program;
    std::string lastWord;
  };
  std::string manyErrors;
  for (int line = 0; line < kMaxErrorRecords + 10; ++line)
    manyErrors += "@\n";
  const Case cases[] = {
      {"error limit", manyErrors, "[616]"},
      {"#fatal", "#fatal \"stop here\"\nint after;\n", "stop here"},
  };
  for (const Case &c : cases) {
    ClearErrorList();
    uint16_t status = 0;
    ASSERT_NO_THROW(status = Compile(c.program)) << c.what;
    EXPECT_NE(status & kCompileFailedBit, 0) << c.what;
    std::vector<std::string> records = Records();
    ASSERT_FALSE(records.empty()) << c.what;
    EXPECT_NE(records.back().find(c.lastWord), std::string::npos) << c.what << ": " << records.back();
    // The compiler is whole again: the next compile of a good program succeeds.
    ClearErrorList();
    EXPECT_EQ(Compile("int g;\n"), 0) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

} // namespace
} // namespace tsw::testing
