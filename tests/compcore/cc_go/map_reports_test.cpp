#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_rom/map_file.h"
#include "compcore/cc_rom/map_text.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/program_compile_fixture.h"
#include "support/tempdir.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// The map file as the product writes it beside a compiled program.
namespace tsw::testing {
namespace {

class MapCompile : public ProgramCompileTest {
protected:
  std::vector<std::string> MapLines() {
    std::vector<std::string> lines;
    std::istringstream in(dir.Read("PROG.map"));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  // The call graph stands last in the map.
  void ExpectMapEndsWith(const std::vector<std::string> &expected) {
    const std::vector<std::string> lines = MapLines();
    ASSERT_GE(lines.size(), expected.size()) << ::testing::PrintToString(lines);
    EXPECT_EQ(std::vector<std::string>(lines.end() - long(expected.size()), lines.end()), expected)
        << ::testing::PrintToString(lines);
  }
  // The rows between a section's header and the next empty line.
  std::vector<std::string> Section(const std::string &title) {
    std::vector<std::string> lines = MapLines();
    std::vector<std::string> rows;
    size_t i = 0;
    while (i < lines.size() && lines[i] != title)
      ++i;
    for (i += 2; i < lines.size() && !lines[i].empty(); ++i)
      rows.push_back(lines[i]);
    return rows;
  }
};

constexpr const char *kCorvidRoot = "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n";

TEST_F(MapCompile, LabelsAndMacrosOfTheProgramAreListedWithTheirLines) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#define LIMIT 3\n"
                                                             "#asm\n"
                                                             "first::\n"
                                                             "  ld a,LIMIT\n"
                                                             "  nop\n"
                                                             "second::\n"
                                                             "  jr second\n"
                                                             "#endasm\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  std::vector<std::string> lines = MapLines();
  ASSERT_FALSE(lines.empty()) << "no map written";
  EXPECT_EQ(lines.front(),
            "// Compilers view of MMU. Note these values are determined by the origin statements in the BIOS.");
  const std::vector<std::string> functions = Section("// * The size of labels is indeterminate and so is denoted "
                                                     "with an asterisk.");
  ASSERT_EQ(functions.size(), 2u) << ::testing::PrintToString(lines);
  EXPECT_EQ(functions[0].substr(0, 26), "    1000        *   first ");
  EXPECT_EQ(functions[1].substr(0, 27), "    1003        *   second ");
  EXPECT_TRUE(functions[0].ends_with(" 5")) << functions[0];
  EXPECT_TRUE(functions[1].ends_with(" 8")) << functions[1];
  const std::vector<std::string> macros = Section("// Macro listing and source reference.");
  ASSERT_EQ(macros.size(), 1u) << ::testing::PrintToString(lines);
  EXPECT_EQ(macros[0].substr(0, 35), "   LIMIT                           ");
  EXPECT_TRUE(macros[0].ends_with(" 3")) << macros[0];
  EXPECT_EQ(lines.back(), "No call graph information available.");
}

TEST_F(MapCompile, TheMapTakesTheProgramsNameInADottedDirectory) {
  shell.compilePath = dir.Write("release.v2/PROG.C", std::string(kCorvidRoot) + "#define ONE 1\n");
  ASSERT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
  const std::string map = dir.Read("release.v2/PROG.map");
  EXPECT_NE(map.find("   ONE "), std::string::npos) << map;
  EXPECT_FALSE(std::filesystem::exists(dir / "release.map"));
}

TEST_F(MapCompile, AFailedCompileWritesNoMap) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#asm\n"
                                                             "here::\n"
                                                             "  ld a,(ix+200)\n"
                                                             "#endasm\n");
  ASSERT_NE(status, 0);
  EXPECT_TRUE(MapLines().empty());
}

TEST_F(MapCompile, GlobalsAndStaticsAreListedWithTheirSizesAndTypes) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#rvarorg rv 0 0xb000 0x1000 apply\n"
                                                             "int counter;\n"
                                                             "char buffer[10];\n"
                                                             "long table[2][3];\n"
                                                             "static char *cursor;\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const std::vector<std::string> rows = Section("// Global/static data symbol mapping and source reference.");
  struct Row {
    const char *name;
    const char *size;
    const char *line;
    const char *type;
  };
  // Each row's size is the whole object's, every dimension included.
  const Row expected[] = {
      {"counter", "2", "4", "int"},
      {"buffer", "10", "5", "char [10]"},
      {"table", "24", "6", "long [2][3]"},
      {"cursor", "2", "7", "char *"},
  };
  ASSERT_EQ(rows.size(), std::size(expected)) << ::testing::PrintToString(MapLines());
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row &row = expected[i];
    const std::string &text = rows[i];
    ASSERT_GE(text.size(), 95u) << text;
    EXPECT_EQ(text.substr(8, 9), fmt::format("{:>9}", row.size)) << text;
    EXPECT_EQ(text.substr(20, 32), fmt::format("{:<31} ", row.name)) << text;
    EXPECT_EQ(text.substr(84, 5), fmt::format("{:>5}", row.line)) << text;
    EXPECT_EQ(text.substr(91), fmt::format("{:<16}", row.type)) << text;
  }
}

TEST_F(MapCompile, CallsOfAssemblerCodeMakeTheCallGraphFromPremain) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#asm\n"
                                                             "premain::\n"
                                                             "  call main\n"
                                                             "  call not_placed_here\n"
                                                             "  ret\n"
                                                             "main::\n"
                                                             "  call main\n"
                                                             "  lcall 2, helper\n"
                                                             "  ret\n"
                                                             "helper::\n"
                                                             "  ret\n"
                                                             "not_placed_here: equ 0x1000\n"
                                                             "#endasm\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const std::vector<std::string> expected = {
      "// Function call graph.",
      "premain",
      "   main",
      "      helper",
      "      main->***recurses***",
  };
  ExpectMapEndsWith(expected);
}

// A function's row, read back by its columns.
struct FunctionRow {
  uint32_t address = 0;
  uint32_t size = 0;
  std::string name;
  std::string file;
  uint32_t line = 0;
};

FunctionRow ReadFunctionRow(const std::string &text) {
  FunctionRow row;
  row.address = uint32_t(std::stoul(text.substr(1, 7), nullptr, 16));
  row.size = uint32_t(std::stoul(text.substr(8, 9)));
  row.name = text.substr(20, 31);
  row.name.erase(row.name.find_last_not_of(' ') + 1);
  row.file = text.substr(52, 31);
  row.file.erase(row.file.find_last_not_of(' ') + 1);
  row.line = uint32_t(std::stoul(text.substr(84, 5)));
  return row;
}

// A program's functions, compiled by the product, each sized by the code
// up to the next one and referenced to the line of its name; its
// parameters and locals at the offsets the code reaches them by.
TEST_F(MapCompile, CompiledFunctionsAreListedWithTheirSizesLinesAndFrames) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#rvarorg rv 0 0xb000 0x1000 apply\n" // 3
                                                             "#memmap root\n"
                                                             "#nodebug\n"
                                                             "int total;\n"                // 6
                                                             "int add(int a, long b)\n"    // 7
                                                             "{\n"
                                                             "  char c;\n"
                                                             "  int sum;\n"
                                                             "  sum = a + 2;\n"
                                                             "  return sum;\n"
                                                             "}\n"
                                                             "void main(void) { total = add(1, 2L); }\n" // 14
                                                             "#useix\n"
                                                             "int twice(int n) { int r; r = n + n; return r; }\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const std::vector<std::string> rows = Section("// * The size of labels is indeterminate and so is denoted "
                                                "with an asterisk.");
  ASSERT_EQ(rows.size(), 3u) << ::testing::PrintToString(MapLines());
  const FunctionRow add = ReadFunctionRow(rows[0]), main = ReadFunctionRow(rows[1]),
                    twice = ReadFunctionRow(rows[2]);
  EXPECT_EQ(add.name, "add");
  EXPECT_EQ(main.name, "main");
  EXPECT_EQ(twice.name, "twice");
  EXPECT_EQ(add.address, 0x1000u);
  // The functions follow each other: each one's size reaches the next.
  EXPECT_EQ(main.address, add.address + add.size);
  EXPECT_EQ(twice.address, main.address + main.size);
  const std::string image = dir.Read("PROG.bin");
  EXPECT_EQ(twice.address + twice.size, 0x1000u + image.size());
  EXPECT_GT(main.size, 0u);
  EXPECT_EQ(add.file, MapSourceNameText(shell.compilePath));
  EXPECT_EQ(add.line, 7u);
  EXPECT_EQ(main.line, 14u);
  EXPECT_EQ(twice.line, 16u);

  // Through SP the locals lie from the stack pointer up (the first declared
  // highest), the return address above them and then the arguments; through
  // IX the locals lie below the frame and the arguments above the saved IX
  // and the return address.
  const std::vector<std::string> frame = Section("// Parameter and local auto symbol mapping and source reference.");
  const std::string file = fmt::format("{:<31}", MapSourceNameText(shell.compilePath));
  auto row = [&file](const char *head, int line, const char *type) {
    return fmt::format("{}{} {:>5}  {:<16}", head, file, line, type);
  };
  const std::vector<std::string> expected = {
      row("       5      SP        2   add:a                           ", 7, "int"),
      row("       7      SP        4   add:b                           ", 7, "long"),
      row("       2      SP        1   add:c                           ", 9, "char"),
      row("       0      SP        2   add:sum                         ", 10, "int"),
      row("       4      IX        2   twice:n                         ", 16, "int"),
      row("      -2      IX        2   twice:r                         ", 16, "int"),
  };
  EXPECT_EQ(frame, expected);
}

TEST_F(MapCompile, CallsOfCompiledFunctionsMakeTheCallGraph) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#rvarorg rv 0 0xb000 0x1000 apply\n"
                                                             "#memmap root\n"
                                                             "int main(void);\n"
                                                             "void premain(void) { main(); }\n"
                                                             "int fact(int n) { if (n < 2) return 1; return n * fact(n - 1); }\n"
                                                             "int helper(void) { return 1; }\n"
                                                             "int main(void) { return helper() + fact(3) + helper(); }\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  // Each callee once, in the order of their names; a function that is
  // already on the path is not followed again.
  const std::vector<std::string> expected = {
      "// Function call graph.",
      "premain",
      "   main",
      "      fact",
      "         fact->***recurses***",
      "      helper",
  };
  ExpectMapEndsWith(expected);
}

// What the function-body compiler reports: a function's entry sized by the
// code between its start and its end, its calls, its parameters and locals.
TEST_F(MapCompile, CompiledFunctionsReportTheirCodeCallsAndFrames) {
  CodeGenerator &generator = CodeGen();
  generator.SetCacheEmitAddress(OriginCache::kRootCode, MakeAddr24(0, 0x2000));
  generator.MapFunctionBegins("premain", 0);
  generator.MapCallsFunction("count");
  generator.SetCacheEmitAddress(OriginCache::kRootCode, MakeAddr24(0, 0x2008));
  generator.MapFunctionEnds("premain");
  // An entry that shares its code with the next function.
  generator.MapFunctionBegins("count_entry", 0);
  generator.MapFunctionEnds("count_entry");
  generator.MapFunctionBegins("count", 0);
  generator.MapCallsFunction("count");
  SymbolRecord parameter;
  parameter.type = kTypeInt;
  SymbolRecord local;
  local.type = kTypeLong;
  generator.AddMapFrameSymbol("count:n", "PROG.C", parameter, 4, true);
  generator.AddMapFrameSymbol("count:sum", "PROG.C", local, -4, false);
  generator.SetCacheEmitAddress(OriginCache::kRootCode, MakeAddr24(0, 0x2014));
  generator.MapFunctionEnds("count");
  std::ostringstream out;
  WriteMapText(out);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  auto has = [&lines](const std::string &start) {
    for (const std::string &line : lines)
      if (line.rfind(start, 0) == 0)
        return true;
    return false;
  };
  const char *const rows[] = {
      "    2000        8   premain ",
      "    2008       12   count_entry ",
      "    2008       12   count ",
      "       4      IX        2   count:n                         PROG.C                              0  int ",
      "      -4      SP        4   count:sum                       PROG.C                              0  long ",
      "premain",
      "   count",
      "      count->***recurses***",
  };
  for (const char *row : rows)
    EXPECT_TRUE(has(row)) << row << "\n" << out.str();
}

} // namespace
} // namespace tsw::testing
