#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The whole map of a small program, compiled by the product, line by line
// against the text a programmer is meant to read: a library module and a
// macro of its header, an assembler label, globals and statics, parameters and locals on SP and IX
// frames, a macro, a recursive function and a function in extended memory.
namespace tsw::testing {
namespace {

constexpr const char *kLibrary = "/*** beginheader twice */\n"
                                 "int twice(int n);\n"
                                 "#define TWICE_LIMIT 100\n"
                                 "/*** endheader */\n"
                                 "int twice(int n) { return n + n; }\n";

// The program's directory has a name long enough that the map shows only
// the file's own name.
constexpr const char *kProgramPath = "a_directory_with_a_long_name/PROG.C";

constexpr const char *kProgram = "#pragma Corvid\n"
                                 "#rcodorg rc 0 0x1000 0x1000 apply\n"
                                 "#rvarorg rv 0 0xb000 0x1000 apply\n"
                                 "#xcodorg xc 0x10 0xE000 0x1000 apply\n"
                                 "#nodebug\n"
                                 "#use \"UTIL.LIB\"\n"
                                 "#define LIMIT 10\n"
                                 "int counter;\n"
                                 "static char flags[4];\n"
                                 "#asm\n"
                                 "premain::\n"
                                 "  call main\n"
                                 "  ret\n"
                                 "#endasm\n"
                                 "root int count(int n)\n"
                                 "{\n"
                                 "  static int calls;\n"
                                 "  int i, sum;\n"
                                 "  calls++;\n"
                                 "  sum = 0;\n"
                                 "  for (i = 0; i < n; i++)\n"
                                 "    sum += twice(i);\n"
                                 "  if (n > LIMIT)\n"
                                 "    return count(LIMIT);\n"
                                 "  return sum;\n"
                                 "}\n"
                                 "xmem useix long scaled(int k) { long r; r = k; return r * 3; }\n"
                                 "root int main(void) { counter = count(3); return (int)scaled(counter); }\n";

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

class MapProgram : public ProgramCompileTest {};

TEST_F(MapProgram, TheWholeMapOfAProgramReadsAsExpected) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\UTIL.LIB\n");
  dir.Write("LIB/UTIL.LIB", kLibrary);
  ClearErrorList();
  shell.compilePath = dir.Write(kProgramPath, kProgram);
  ASSERT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
  const std::string map = dir.Read("a_directory_with_a_long_name/PROG.map");
  const std::string expectedPath = TSW_EXPECTED_MAP_DIR "/whole_program.map";
  // Better code moves the addresses and sizes: with TSW_UPDATE_EXPECTED set
  // the map is written as the new expected text, to be read over before it
  // is committed.
  if (std::getenv("TSW_UPDATE_EXPECTED") != nullptr)
    std::ofstream(expectedPath, std::ios::binary | std::ios::trunc) << map;
  const std::vector<std::string> actual = Lines(map);
  std::ifstream file(expectedPath, std::ios::binary);
  ASSERT_TRUE(file.is_open());
  std::stringstream text;
  text << file.rdbuf();
  const std::vector<std::string> expected = Lines(text.str());
  for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i)
    EXPECT_EQ(i < actual.size() ? actual[i] : "<no line>", i < expected.size() ? expected[i] : "<no line>")
        << "line " << i + 1;
}

} // namespace
} // namespace tsw::testing
