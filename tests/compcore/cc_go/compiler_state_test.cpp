#include "compcore/cc_stab/cc_stab.h"
#include "compcore/compiler_fixture.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

constexpr int16_t kInt = 2, kAutomatic = 2;

class CompilerStateTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    CompilerConfig().sym = 100;
  }
};

// The BIOS compile's globals serve every program compile after it; a
// program's own globals end with its compile.
TEST_F(CompilerStateTest, TablesKeepOnlyTheBiosGlobals) {
  BiosCompileFlag() = true;
  InitCompilerTables();
  ASSERT_NE(AddSymbol("biosg", 0, kInt, 1, kKindGlobal), nullptr);
  BiosCompileFlag() = false;
  for (int compile = 1; compile <= 2; ++compile) {
    InitCompilerTables();
    EXPECT_NE(LookupSymbol("biosg", false, SymbolTableId::kGlobal), nullptr) << compile;
    EXPECT_EQ(LookupSymbol("g", false, SymbolTableId::kGlobal), nullptr) << compile;
    ASSERT_NE(AddSymbol("g", 0, kInt, 1, kKindGlobal), nullptr);
  }
  BiosCompileFlag() = true;
  InitCompilerTables();
  EXPECT_EQ(LookupSymbol("biosg", false, SymbolTableId::kGlobal), nullptr);
}

TEST_F(CompilerStateTest, ResetCompilerStateClearsLocalsAndCounters) {
  InitCompilerTables();
  ASSERT_NE(AddSymbol("g", 0, kInt, 1, kKindGlobal), nullptr);
  ASSERT_NE(AddSymbol("local", 0, kInt, 2, kAutomatic), nullptr);
  ASSERT_NE(LookupSymbol("local", false, SymbolTableId::kLocal), nullptr);
  CompileErrorCount() = 3;
  ErrorSuppression() = 1;
  ResetCompilerState();
  EXPECT_EQ(LookupSymbol("local", false, SymbolTableId::kLocal), nullptr);
  EXPECT_NE(LookupSymbol("g", false, SymbolTableId::kGlobal), nullptr);
  EXPECT_EQ(CompileErrorCount(), 0);
  EXPECT_EQ(ErrorSuppression(), 0);
}

TEST_F(CompilerStateTest, CountedAllocationsAreCountedCopies) {
  char *copy = CountedStrDup("name");
  EXPECT_STREQ(copy, "name");
  EXPECT_NE(CountedAlloc(16), nullptr);
  EXPECT_EQ(CountedAllocations(), 2u);
  ResetCompilerConfigModule(); // releases them
  EXPECT_EQ(CountedAllocations(), 0u);
}

TEST_F(CompilerStateTest, ProfileTableReadsIntegersAndStringsWithDefaults) {
  TempDir dir;
  std::string ini = dir.Write("TSW.INI", "[Lib]\nUserLibEnabled=1\nLevel=x\nUserLibDir=C:\\TSW\\MY.DIR\n");
  int32_t enabled = -1, level = -1, missing = -1;
  char path[8], other[16];
  ProfileTableEntry table[] = {
      {"UserLibEnabled", "Lib", ProfileEntryType::kInteger, 0, 0, 5, "", &enabled, nullptr},
      {"Level", "Lib", ProfileEntryType::kInteger, 0, 0, 5, "", &level, nullptr},
      {"Missing", "Lib", ProfileEntryType::kInteger, 0, 0, 5, "", &missing, nullptr},
      {"UserLibDir", "Lib", ProfileEntryType::kString, 0, sizeof path, 0, "lib.dir", nullptr, path},
      {"Other", "Lib", ProfileEntryType::kString, 0, sizeof other, 0, "lib.dir", nullptr, other},
  };
  ReadProfileTable(table, ini);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(level, 0);
  EXPECT_EQ(missing, 5);
  EXPECT_STREQ(path, "C:\\TSW\\"); // cut to the buffer
  EXPECT_EQ(table[3].lengthRead, 7);
  EXPECT_STREQ(other, "lib.dir");
  EXPECT_EQ(table[4].lengthRead, 7);
}

} // namespace
} // namespace tsw::testing
