// The Z180 target library as the compiler's own library index reads it:
// every routine must be found through the header of the module that
// defines it, or a program that calls it is never given its module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_mod/cc_mod.h"
#include "runner/asm_convert.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

using tsw::testing::TempDir;
namespace fs = std::filesystem;

// A compile request for one program beside a copy of the library (the
// index writes its caches beside each library).
class LibraryShell : public CompilerShell {
public:
  explicit LibraryShell(const TempDir &dir) : dir_(dir) {}
  std::string ProgramDirectory() override { return dir_.path(); }
  std::string LibDirPath() override { return dir_ / "LIB.DIR"; }
  int16_t BiosFileTypeSetting() override { return 0; }
  bool UserBiosEnabled() override { return false; }
  std::string DefaultUserBios() override { return {}; }
  std::string CompilePath() override { return compilePath; }
  void SetCompilePath(const std::string &path) override { compilePath = path; }
  std::string BiosSourcePath() override { return {}; }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return false; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &title, const std::string &text) override { boxes.push_back(title + text); }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }

  std::string compilePath;
  std::vector<std::string> boxes;

private:
  const TempDir &dir_;
};

class Z180LibraryIndexTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY))
      if (entry.is_regular_file())
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    AssembleCompiler(boundaries);
  }
  void TearDown() override { ResetCompiler(); }

  std::string Text(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  TempDir dir;
  LibraryShell shell{dir};
};

// The global labels a module's body defines.
std::set<std::string> DefinedLabels(const std::string &body) {
  std::set<std::string> labels;
  std::istringstream lines(ConvertLibraryAsm(body).text);
  for (std::string line; std::getline(lines, line);) {
    size_t colons = line.find("::");
    if (colons != std::string::npos && colons > 0 && line[0] != '\t')
      labels.insert(line.substr(0, colons));
  }
  return labels;
}

TEST_F(Z180LibraryIndexTest, EachModuleHeaderNamesExactlyTheRoutinesItsBodyDefines) {
  shell.compilePath = dir.Write("PROG.C", "int a;\n");
  ClearErrorList();
  EXPECT_EQ(CompileFile(1), 0);
  for (const sError *e = ErrorListHead(); e; e = e->next)
    ADD_FAILURE() << e->file << ":" << e->line << ": " << e->text;
  EXPECT_TRUE(shell.boxes.empty()) << ::testing::PrintToString(shell.boxes);

  std::set<std::string> libraries;
  std::map<std::string, std::string> definedIn; // label -> library
  for (ZLibEntry *library : ModuleIndex().Libraries()) {
    std::string path(library->name.View());
    std::string name = fs::path(path).filename().string();
    libraries.insert(name);
    // The index keeps upper-cased paths; the copies are named the same.
    std::string text = Text((fs::path(dir.path()) / name).string());
    ASSERT_FALSE(text.empty()) << path;
    for (ZModEntry *module : ListElements(library->modules)) {
      std::vector<std::string> names = ModuleNames(*module);
      std::set<std::string> listed(names.begin(), names.end());
      std::set<std::string> defined = DefinedLabels(text.substr(module->bodyStart, module->bodyEnd - module->bodyStart));
      EXPECT_EQ(listed, defined) << name << " module at line " << module->headerLine + 1;
      for (const std::string &label : defined) {
        EXPECT_FALSE(definedIn.contains(label)) << label << " in " << name << " and " << definedIn[label];
        definedIn[label] = name;
        // The name leads the index to this module.
        EXPECT_EQ(ModuleIndex().Find(label), module) << label;
      }
    }
  }
  EXPECT_EQ(libraries, (std::set<std::string>{"DEFAULT.H", "INTMATH.LIB", "LONGMATH.LIB", "RUNTIME.LIB", "FLOAT.LIB"}));
  // The routines generated code calls by name, as labels.
  for (const char *routine : {"c_mult", "c_div", "L_add", "G_mul", "cl_lt", "long_0", "_switch", "I__L", "Hi_Bl", "F_add", "cf_lt", "flt_0", "Bf_Hi", "F__L"})
    EXPECT_TRUE(definedIn.contains(routine)) << routine;
}

} // namespace
} // namespace tsw::target
