#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/common/cc_session.h"
#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_stab/cc_bios.h"
#include "foundation/xerr.h"
#include "foundation/memorymap.h"
#include "front1_fixture.h"
#include "product_shell.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  EXPECT_EQ(CurrentCpu(), TargetCpu::Z180);
  EXPECT_EQ(Output().outputBits, kOutputListing | kOutputBit01);
  // The BIOS compile is quiet: one announcement, the program's, before its
  // listing is opened and its lines are read.
  EXPECT_EQ(messages.lines, (std::vector<std::string>{"[133]", "[141]", "[750]", "[731]"}));
}


// A compile to files writes what "romc" asks for, and says it wrote images
// only when it did.
TEST_F(DriverCompile, ACompileToFilesWritesTheOutputsRomcAsksFor) {
  struct Case {
    uint16_t romc;
    uint8_t bits;
    std::vector<const char *> written;
    std::vector<const char *> absent;
    bool announced; // 731
  };
  const Case cases[] = {
      {0, kOutputListing | kOutputBit01, {"PROG.bin", "PROG.hex"}, {"PROG.bpf", "PROG.dlp"}, true},
      {1, kOutputListing, {"PROG.bpf", "PROG.hex"}, {"PROG.bin", "PROG.dlp"}, true},
      {3, kOutputListing | kOutputBit02, {"PROG.bin", "PROG.dlp"}, {"PROG.bpf", "PROG.dlp.part"}, true},
      {2, kOutputBit01, {"PROG.brk"}, {"PROG.bin", "PROG.hex", "PROG.rom"}, false},
      {4, kOutputBit01, {"PROG.brk"}, {"PROG.bin", "PROG.hex", "PROG.rom"}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.romc);
    for (const char *name : {"PROG.bin", "PROG.bpf", "PROG.hex", "PROG.dlp", "PROG.rom", "PROG.brk"})
      std::filesystem::remove(dir / name);
    dir.Write("tsw.cfg", "romc  = " + std::to_string(c.romc) + "\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    messages.lines.clear();
    ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records())
                                        << ::testing::PrintToString(messages.lines);
    EXPECT_EQ(Output().outputBits, c.bits);
    for (const char *name : c.written)
      EXPECT_TRUE(Exists(name)) << name;
    for (const char *name : c.absent)
      EXPECT_FALSE(Exists(name)) << name;
    EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[133]"), 1);
    EXPECT_EQ(messages.lines.back() == "[731]", c.announced) << ::testing::PrintToString(messages.lines);
  }
}

// An error in the program leaves the user the source positions and no
// image: a failed compile never looks like a written one.
TEST_F(DriverCompile, AFailedCompileWritesItsSourcePositionsOnly) {
  const uint16_t status = Compile("const int c;\n");
  EXPECT_NE(status & kCompileFailedBit, 0);
  EXPECT_TRUE(Exists("PROG.brk"));
  for (const char *name : {"PROG.bin", "PROG.hex", "PROG.dlp"})
    EXPECT_FALSE(Exists(name)) << name;
  EXPECT_EQ(messages.BoxesWith("[731]"), 0u);
  EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[731]"), 0);
}

// A ".brk" file the compile may not replace stops it before any work, with
// the file's or the directory's name for the user.
TEST_F(DriverCompile, AnUnwritableBrkFileStopsTheCompile) {
  struct Case {
    const char *name;
    unsigned message;
    bool readOnlyFile; // else a directory stands where the file goes
  };
  const Case cases[] = {{"read-only", kMsgBrkFileReadOnly, true}, {"not creatable", kMsgBrkFileNotCreated, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir / "PROG.brk");
    std::string expectedName;
    if (c.readOnlyFile) {
      dir.Write("PROG.brk", "old\n");
      std::filesystem::permissions(dir / "PROG.brk", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
      expectedName = dir / "PROG.brk";
    } else {
      std::filesystem::create_directory(dir / "PROG.brk");
      expectedName = dir.path();
    }
    try {
      Compile("int g;\n");
      ADD_FAILURE() << "compiled";
    } catch (const xFileOpen &e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(std::filesystem::path(e.FileName()), std::filesystem::path(expectedName));
    }
    EXPECT_FALSE(Exists("PROG.bin"));
    if (c.readOnlyFile) {
      EXPECT_EQ(dir.Read("PROG.brk"), "old\n");
    }
    std::filesystem::permissions(dir / "PROG.brk", std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir / "PROG.brk");
  }
}

// The memory sizes of the BIOS's information file serve a BIOS compile; a
// compile to the board gives the user's own back, also when it is stopped,
// and the file is closed with the compile.
TEST_F(DriverCompile, BoardCompilesGiveTheUsersMemorySizesBack) {
  struct Case {
    const char *name;
    uint16_t mode;
    bool stopped;
    uint16_t ramsAfter;
  };
  const Case cases[] = {{"files", kCompileModeFiles, false, 0x40},
                        {"board", kCompileModeBoard, false, 0x80},
                        {"board, stopped", kCompileModeBoard, true, 0x80}};
  std::string header(256, '\0');
  header[2] = 0x40; // the BIOS's RAM start page
  const std::string rti = dir.Write("BIOS.rti", header);
  dir.Write("BIOS.C", "int b;\n");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ASSERT_EQ(CompileStage(false), 0);
    ASSERT_EQ(CompilerConfig().rams, 0x80);
    ASSERT_TRUE(OpenRtiFile(rti));
    std::filesystem::remove_all(dir / "BIOS.brk");
    if (c.stopped)
      std::filesystem::create_directory(dir / "BIOS.brk");
    BiosCompileFlag() = true;
    shell.compilePath = dir / "BIOS.C";
    if (c.stopped)
      EXPECT_THROW(CompileFile(c.mode), xFileOpen);
    else
      CompileFile(c.mode);
    EXPECT_EQ(CompilerConfig().rams, c.ramsAfter);
    uint8_t left[64];
    EXPECT_FALSE(ReadRtiHeader(left)) << "the information file is left open";
    std::filesystem::remove_all(dir / "BIOS.brk");
    BiosCompileFlag() = false;
  }
}

// The BIOS's start-up finds the program's free memory and vectors by the
// symbols the driver defines from the memory map.
TEST_F(DriverCompile, TheDriverDefinesWhereTheFreeMemoryAndVectorsLie) {
  std::vector<uint8_t> info(kBiosInfoHeaderSize + 4 + 0x10, 0);
  info[19] = 0xFF; // the top of root data
  info[20] = 0xBF;
  info[31] = 4;
  info[kBiosInfoHeaderSize + 3] = 'x' | 0x80;
  shell.biosInfo = info;
  dir.Write("tsw.cfg", "free  = 10\n");
  ASSERT_EQ(CompileStage(true), 0);
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
  struct Case {
    const char *symbol;
    uint16_t logical;
  };
  const Case cases[] = {{"FREE_BASE", 0xBFF0}, {"FREE_TOP", 0xC000}, {"INT_VEC", MemoryMap().ivec_base}};
  for (const Case &c : cases)
    EXPECT_EQ(LookupBiosSymbol(c.symbol, MakeAddr24(0xEE, 0xEEEE)).logical, c.logical) << c.symbol;
  EXPECT_EQ(LastCompileInformation().freeBase, 0xBFF0);
  EXPECT_EQ(LastCompileInformation().freeTop, 0xBFFF);
}
} // namespace
} // namespace tsw::testing
