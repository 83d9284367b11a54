#include "compcore/cc_gen/origins.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "front1_fixture.h"
#include "support/tempdir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

// The IDE shell of a compile request for one program in a directory of its
// own, with a library directory file and its libraries beside it.
class ProgramShell : public CompilerShell {
public:
  explicit ProgramShell(const TempDir &dir) : dir_(dir) {}
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
  void ShowStopBox(const std::string &title, const std::string &text) override { boxes.push_back(title + text); }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }

  std::string compilePath;
  std::vector<std::string> boxes;

private:
  const TempDir &dir_;
};

// A program compiled through CompileFile, with the compiler as the product
// assembles it: only the shell is ours.
class ProductCompile : public Front1Test {
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
  ProgramShell shell{dir};
};

TEST_F(ProductCompile, EachFrontEndModuleReportsToTheDiagnosticList) {
  struct Case {
    const char *module;
    const char *program;
    const char *record; // part of the one expected record's text
  };
  std::string pushes;
  for (int i = 0; i <= kDefaultStackEntries; ++i)
    pushes += "#memmap push xmem\n";
  const Case cases[] = {
      {"source input", "int a = 'x;\n", "[492]"},      {"brackets", "/* open\n", "[464]"},
      {"directives", "#if\n#endif\n", "[427]"},        {"macros", "#define M 1\n#define M 2\n", "[537]"},
      {"pragmas", "#pragma bogus\n", "'bogus'"},       {"memmap", pushes.c_str(), "[428]"},
      {"libraries", "#use NONE.LIB\n", "[2002]"},      {"compile loop", "#asm bogus\n#endasm\n", "[524]"},
      {"symbol table", "int if;\n", "[2096]"},         {"declarations", "const int c;\n", "[549]"},
      {"parameters", "int f(x) int y; {\n", "[2085]"},
  };
  for (const Case &c : cases) {
    ClearErrorList();
    uint16_t status = Compile(c.program);
    std::vector<std::string> records = Records();
    bool found = false;
    for (const std::string &r : records)
      found = found || r.find(c.record) != std::string::npos;
    EXPECT_TRUE(found) << c.module << ": " << ::testing::PrintToString(records);
    EXPECT_NE(status & kListHoldsRecords, 0) << c.module;
  }
}

TEST_F(ProductCompile, ACleanProgramLeavesTheListEmpty) {
  EXPECT_EQ(Compile("int a;\nchar *p;\nstruct s { int m; } v;\n"), 0);
  EXPECT_EQ(ErrorListHead(), nullptr);
  EXPECT_TRUE(shell.boxes.empty());
}

// The origin directives reach the byte road through the product's assembly,
// and a compile to files with no board writes the image built from the
// listing, its HEX twin and the source-position file.
TEST_F(ProductCompile, OriginDirectivesPlaceTheBytesOfACompileToFilesWithoutBoard) {
  const std::string blob = dir.Write("BLOB.BIN", std::string("\x5A\xA5\x01", 3));
  const uint16_t status = Compile("#pragma Corvid\n"
                                  "#xcodorg xc 0x10 0xE000 0x1000 apply\n"
                                  "#rvarorg vars 0 0xC000 0x100 apply\n"
                                  "#ximport \"" +
                                  blob + "\" blob\n");
  EXPECT_EQ(status, 0) << ::testing::PrintToString(Records());
  ASSERT_GE(FindOrigin("xc"), 0);
  const OriginDirective &xc = *OriginTable()[size_t(FindOrigin("xc"))];
  EXPECT_EQ(xc.start.segment, 0x10);
  EXPECT_EQ(xc.start.logical, 0xE000);
  EXPECT_EQ(xc.size, 0x1000u);
  ASSERT_GE(FindOrigin("vars"), 0);
  EXPECT_EQ(OriginTable()[size_t(FindOrigin("vars"))]->start.logical, 0xC000);
  // The import's length word and bytes stand at the origin's start: the
  // image begins there.
  const std::string image = dir.Read("PROG.bin");
  ASSERT_GE(image.size(), 7u);
  EXPECT_EQ(image.substr(0, 7), std::string("\x03\x00\x00\x00\x5A\xA5\x01", 7));
  const std::string hex = dir.Read("PROG.hex");
  EXPECT_NE(hex.find("030000005AA501"), std::string::npos) << hex;
  EXPECT_TRUE(std::filesystem::exists(dir / "PROG.brk"));
  EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(ProductCompile, ResetCompilerForgetsTheLastCompile) {
  Compile("#define KEPT 1\nint g;\n");
  ResetCompiler();
  EXPECT_EQ(LookupMacro("KEPT"), nullptr);
  EXPECT_EQ(ErrorListHead(), nullptr);
  EXPECT_TRUE(UsedLibraries().empty());
}

} // namespace
} // namespace tsw::testing
