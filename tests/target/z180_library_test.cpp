// The Z180 target library as the compiler's own library index reads it:
// every routine must be found through the header of the module that
// defines it, or a program that calls it is never given its module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/asm/asm_tables.h"
#include "compcore/cc_gen/routine_contracts.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/product_shell.h"
#include "runner/asm_convert.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

using tsw::testing::TempDir;
namespace fs = std::filesystem;

class Z180LibraryIndexTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY))
      if (entry.is_regular_file())
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
    // A compile request for one program beside a copy of the library (the
    // index writes its caches beside each library), with no BIOS source.
    shell.biosPath.clear();
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
  tsw::testing::ProgramShell shell{dir};
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
  // Every routine whose contract the code generator relies on, as its
  // label.
  ASSERT_FALSE(RoutineContracts().empty());
  for (const RoutineContract &contract : RoutineContracts()) {
    std::string label(contract.name);
    std::replace(label.begin(), label.end(), '.', '_');
    EXPECT_TRUE(definedIn.contains(label)) << label;
  }
}

// Every instruction of the library is one the compiler's Z180 assembler
// knows, with conditions it knows, and no label of an #asm block is a
// mnemonic (the assembler would read it as the instruction): the names
// that are mnemonics are C functions, which the compiler names.
TEST(Z180LibrarySourceTest, UsesOnlyTheZ180AssemblersMnemonicsAndConditions) {
  using assembler::AsmCpu;
  for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY)) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".LIB" && name != "SIMBIOS.C")
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string source(std::istreambuf_iterator<char>(in), {});
    ConvertedAsm converted = ConvertLibraryAsm(source);
    EXPECT_TRUE(converted.problems.empty()) << name << ": " << ::testing::PrintToString(converted.problems);
    std::istringstream lines(converted.text);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line.find('=') != std::string::npos)
        continue;
      if (line[0] != '\t') {
        std::string label = line.substr(0, line.find(':'));
        bool cFunction = source.find("\n" + std::string("int ") + label + "(") != std::string::npos;
        EXPECT_TRUE(assembler::FindMnemonic(AsmCpu::kZ180, label) == nullptr || cFunction) << name << ": " << label;
        continue;
      }
      std::istringstream words(line.substr(1));
      std::string mnemonic, operands;
      words >> mnemonic;
      std::getline(words, operands);
      if (mnemonic.starts_with('.'))
        continue;
      EXPECT_NE(assembler::FindMnemonic(AsmCpu::kZ180, mnemonic), nullptr) << name << ": " << line;
      bool conditional = mnemonic == "jp" || mnemonic == "jr" || mnemonic == "call" || mnemonic == "ret";
      std::string first = operands.substr(operands.find_first_not_of(' ') == std::string::npos
                                              ? operands.size()
                                              : operands.find_first_not_of(' '));
      first = first.substr(0, first.find(','));
      if (conditional && (operands.find(',') != std::string::npos || mnemonic == "ret") && !first.empty()) {
        EXPECT_GE(assembler::FindCondition(AsmCpu::kZ180, first), 0) << name << ": " << line;
      }
    }
  }
}

// An #asm block's local labels (one colon) are its own: the compiler
// forgets them at the block's end. A name used in one block and defined
// locally only in another would never be resolved.
TEST(Z180LibrarySourceTest, LocalLabelsAreUsedOnlyInTheirOwnBlock) {
  for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY)) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".LIB" && name != "SIMBIOS.C")
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string source(std::istreambuf_iterator<char>(in), {});
    // Per block: its local labels and the words it uses.
    struct Block {
      std::set<std::string> locals, words;
    };
    std::vector<Block> blocks;
    std::set<std::string> globals;
    bool inAsm = false;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("#asm")) {
        inAsm = true;
        blocks.emplace_back();
        continue;
      }
      if (line.starts_with("#endasm")) {
        inAsm = false;
        continue;
      }
      if (!inAsm)
        continue;
      std::string code = line.substr(0, line.find(';'));
      size_t colon = code.find(':');
      size_t start = 0;
      if (colon != std::string::npos && colon > 0 && !std::isspace(static_cast<unsigned char>(code[0]))) {
        std::string label = code.substr(0, colon);
        bool global = colon + 1 < code.size() && code[colon + 1] == ':';
        (global ? globals : blocks.back().locals).insert(label);
        start = colon + (global ? 2 : 1);
      }
      std::string word;
      for (size_t i = start; i <= code.size(); ++i) {
        char c = i < code.size() ? code[i] : ' ';
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
          word += c;
        } else if (!word.empty()) {
          blocks.back().words.insert(word);
          word.clear();
        }
      }
    }
    std::set<std::string> allLocals;
    for (const Block &b : blocks)
      allLocals.insert(b.locals.begin(), b.locals.end());
    for (size_t i = 0; i < blocks.size(); ++i)
      for (const std::string &w : blocks[i].words)
        EXPECT_FALSE(allLocals.contains(w) && !blocks[i].locals.contains(w) && !globals.contains(w))
            << name << ": block " << i + 1 << " uses " << w << ", local to another block";
  }
}

} // namespace
} // namespace tsw::target
