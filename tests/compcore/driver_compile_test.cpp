#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/common/cc_session.h"
#include "front1_fixture.h"
#include "product_shell.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// A BIOS and a program in a directory of their own, compiled through
// CompileFile with the compiler as the product assembles it: only the
// shell and the message output are ours, and there is no board.
class DriverCompile : public Front1Test {
protected:
  void SetUp() override {
    Front1Test::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ClearErrorList();
  }
  uint16_t Compile(const std::string &program, uint16_t mode = kCompileModeFiles) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(mode);
  }
  bool Exists(const char *name) const { return std::filesystem::exists(dir / name); }
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
};

// The BIOS compile of a two-step request writes only its source positions;
// the program compile then writes its image, the image's HEX twin and its
// own source positions, and leaves no BIOS compile behind it.
TEST_F(DriverCompile, BiosThenProgramToFilesWritesTheProgramsOutputsOnly) {
  dir.Write("BIOS.C", "int biosVariable;\n");
  BiosFirstFlag() = true;
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());

  struct Case {
    const char *file;
    bool written;
  };
  const Case cases[] = {{"BIOS.brk", true},  {"BIOS.rom", false}, {"BIOS.bin", false}, {"BIOS.hex", false},
                        {"PROG.brk", true},  {"PROG.bin", true},  {"PROG.hex", true},
                        // The listing is the image's source, removed once the image is built.
                        {"PROG.rom", false}, {"PROG.hdl", false}, {"PROG.bdl", false}};
  for (const Case &c : cases)
    EXPECT_EQ(Exists(c.file), c.written) << c.file;
  // The BIOS's source positions are written before the program is read.
  EXPECT_LE(std::filesystem::last_write_time(dir / "BIOS.brk"), std::filesystem::last_write_time(dir / "PROG.brk"));

  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_FALSE(BiosFirstFlag());
  EXPECT_EQ(CurrentCpu(), CodeCpu::kZ180);
  EXPECT_EQ(Output().outputBits, kOutputListing | kOutputBit01);
  // The BIOS compile is quiet: one announcement, the program's, before its
  // listing is opened and its lines are read.
  EXPECT_EQ(messages.lines, (std::vector<std::string>{"[133]", "[141]", "[750]"}));
}

} // namespace
} // namespace tsw::testing
