#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/compiler_fixture.h"
#include "compcore/fixture_runtime.h"
#include "compcore/product_shell.h"
#include "platform/ticks.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <string>

namespace tsw::testing {
namespace {

// A clock that moves on at every reading, as a compile's clock does, so
// that its start and end are told apart; it remembers its last reading.
class SteppingClock : public plat::TickSource {
public:
  static constexpr uint32_t kStart = 70000, kStep = 250;
  uint32_t Now() override { return last = now += kStep; }
  void Sleep(uint32_t ms) override { now += ms; }
  uint32_t now = kStart;
  uint32_t last = 0;
};

// The figures of the last compile that the information dialog shows, from
// a program compiled to files by the product's own compiler.
class CompileFigures : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", FixtureRuntimeLibrary());
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ClearErrorList();
    plat::SetTickSource(&clock);
  }
  void TearDown() override {
    plat::SetTickSource(nullptr);
    CompilerFixture::TearDown();
  }
  uint16_t Compile(const std::string &program) {
    shell.compilePath = dir.Write("PROG.C", program);
    ClearErrorList();
    return CompileFile(kCompileModeFiles);
  }
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
  SteppingClock clock;
};

TEST_F(CompileFigures, LinesAndTimesAreRecordedWhetherTheCompileSucceedsOrFails) {
  struct Case {
    const char *name;
    std::string program;
    bool fails;
  };
  const Case cases[] = {
      {"compiles", "int g;\n", false},
      {"compiles, four lines more", "int g;\n\n\n/* note */\nint h;\n", false},
      {"fails", "const int c;\n", true},
      {"fails, four lines more", "const int c;\n\n\n\nint h;\n", true},
  };
  uint32_t baseLines = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t before = clock.now;
    const uint16_t status = Compile(c.program);
    EXPECT_EQ((status & kCompileFailedBit) != 0, c.fails) << ::testing::PrintToString(Records());
    const CompileInformation &info = LastCompileInformation();
    EXPECT_GT(info.startMs, before) << "the start is read in this compile";
    EXPECT_GT(info.endMs, info.startMs);
    EXPECT_EQ(info.endMs, clock.last) << "the end is the compile's last reading";
    // The library headers and the prologue come with every compile; the
    // program's own lines are what differs.
    const bool longer = std::string(c.name).ends_with("more");
    if (!longer)
      baseLines = info.linesCompiled;
    else
      EXPECT_EQ(info.linesCompiled, baseLines + 4);
    EXPECT_GT(info.linesCompiled, 0u);
  }
}

TEST_F(CompileFigures, RootDataRunsFromTheLowestVariableToTheTopOfRootData) {
  struct Case {
    const char *program;
    unsigned bytes;
  };
  const Case cases[] = {{"extern int g;\n", 0}, {"int g;\n", 2}, {"int g;\nchar c;\nlong l;\n", 7}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    ASSERT_EQ(Compile(c.program), 0) << ::testing::PrintToString(Records());
    const CompileInformation &info = LastCompileInformation();
    EXPECT_EQ(unsigned(uint16_t(info.rootVariableStart.logical - info.rootDataLow + 1)), c.bytes);
  }
}

TEST_F(CompileFigures, RootCodeEndsAtItsLastByte) {
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
  const CompileInformation before = LastCompileInformation();
  EXPECT_GE(before.rootCodeLast + 1, before.rootCodeStart.logical);
  ASSERT_EQ(Compile("int g;\nroot int f(int a) { return a + g; }\n"), 0) << ::testing::PrintToString(Records());
  const CompileInformation after = LastCompileInformation();
  EXPECT_EQ(after.rootCodeStart.logical, before.rootCodeStart.logical);
  EXPECT_GT(after.rootCodeLast, before.rootCodeLast) << "a function's code lies below the end";
  EXPECT_LT(after.rootCodeLast, after.codeEnd) << "the page rounding lies above the last byte";
}

} // namespace
} // namespace tsw::testing
