#include "compcore/compiler_fixture.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

using ConfigTest = CompilerFixture;

TEST_F(ConfigTest, MissingFileGivesDefaults) {
  TempDir dir;
  CompilerConfig().sym = 7;
  EXPECT_EQ(ReadCompilerConfig(dir / "none.cfg"), 0);
  EXPECT_EQ(CompilerConfig().sym, 4000);
  EXPECT_EQ(CompilerConfig().ustk, 0x800);
  EXPECT_EQ(CompilerConfig().warn, 2);
}

TEST_F(ConfigTest, LinesAreMatchedByTheirOwnKey) {
  TempDir dir;
  std::string path = dir.Write("tsw.cfg", "stack = 1\n"
                                           "ustk=1000\n"
                                           "logrs = a00\n"
                                           "\n"
                                           "garbage line\n"
                                           "sym   = 100\n"
                                           "sym   = 200\n"
                                           "ptr = -1\n");
  ReadCompilerConfig(path);
  const CompilerSettings &c = CompilerConfig();
  EXPECT_EQ(c.stack, 1);
  EXPECT_EQ(c.ustk, 0x1000);
  EXPECT_EQ(c.logrs, 0xA00);
  EXPECT_EQ(c.logr, 2);
  EXPECT_EQ(c.sym, 200);
  EXPECT_EQ(c.ptr, 0xFFFF);
  EXPECT_EQ(c.index, 1);
}

TEST_F(ConfigTest, WriteReadRoundTrip) {
  TempDir dir;
  ReadCompilerConfig(dir / "none.cfg");
  ASSERT_TRUE(WriteCompilerConfig(dir / "tsw.cfg"));
  std::string text = dir.Read("tsw.cfg");
  EXPECT_NE(text.find("ptr   = 1\n"), std::string::npos);
  EXPECT_NE(text.find("ustk  = 800\n"), std::string::npos);
  EXPECT_NE(text.find("ramcfg= 1\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 32);

  CompilerConfig().heap = 0x1234;
  CompilerConfig().ptr = 0xFFFF;
  CompilerConfig().tcdmtn = 0;
  CompilerSettings before = CompilerConfig();
  ASSERT_TRUE(WriteCompilerConfig(dir / "tsw.cfg"));
  ReadCompilerConfig(dir / "none.cfg");
  ReadCompilerConfig(dir / "tsw.cfg");
  for (const CompilerConfigEntry &e : CompilerConfigTable)
    EXPECT_EQ(CompilerConfig().*e.variable, before.*e.variable) << e.format;
}

TEST_F(ConfigTest, WriteFailureIsReported) {
  TempDir dir;
  EXPECT_FALSE(WriteCompilerConfig(dir / "missing/dir/tsw.cfg"));
}

TEST_F(ConfigTest, TableSizesIn32Bits) {
  CompilerTableSizes s = ComputeCompilerTableSizes(4000, 15000);
  EXPECT_EQ(s.symbolHashSlots, 5000u);
  EXPECT_EQ(s.localHashSlots, 1000u);
  EXPECT_EQ(s.namePoolBytes, 65280u);
  s = ComputeCompilerTableSizes(60000, 0);
  EXPECT_EQ(s.symbolHashSlots, 75000u);
  EXPECT_EQ(s.insertUndoEntries, 75000u);
  s = ComputeCompilerTableSizes(100, 0);
  EXPECT_EQ(s.localHashSlots, 128u);
  EXPECT_EQ(s.namePoolBytes, 3300u);
}

TEST_F(ConfigTest, InitSizesOnceAndResetsCounters) {
  CompileErrorCount() = 5;
  ErrorSuppression() = 1;
  CompilerConfig().sym = 100;
  InitCompilerTables();
  CompilerConfig().sym = 200; // sized once per run
  BiosCompileFlag() = true;
  InitCompilerTables();
  EXPECT_EQ(CompilerTables().symbolRecords, 100u);
  EXPECT_EQ(CompileErrorCount(), 0);
  EXPECT_EQ(ErrorSuppression(), 0);
}

TEST_F(ConfigTest, IniNameReplacesTheExtension) {
  EXPECT_EQ(MakeIniName("C:\\P\\PROG.C"), "C:\\P\\PROG.ini");
  EXPECT_EQ(MakeIniName("PROG"), "PROG.ini");
}

} // namespace
} // namespace tsw::testing
