// Functions in extended memory entered through their root bouncers (rst 30h
// with the body's page and address behind it), run on the simulator. The
// start-up code wires the kernel's RST 30h to the library's universal
// bouncer, which switches the window's page, calls the body and switches
// back. The simulator has no MMU, so the compile is told of RAM from page
// 2: the extended-memory code page is segment 0, which logical E000 shows
// at physical E000 without any switch, and the page writes go to a port
// nothing reads. What runs is the bouncers' road: the vector, the
// parameters 6 bytes above the body's stack pointer, the results on the
// way back.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <filesystem>
#include <string>

#include "marked_program.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;
using testing::kDefaultMarks;
using testing::MarkedProgram;
using testing::MarkedProgramText;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

// RAM from page 2 to page Fh: the window's first page in RAM is segment
// 2 - "logr" 2, and extended-memory code ends below F000.
constexpr const char *kWindowAtItsOwnAddress = "rams  = 2\nrame  = F\n";
constexpr uint8_t kOpJump = 0xC3;
// The simulator dumps memory at a label as instructions: the program reads
// the RST 30h vector into the two marks after its own.
std::string WithVectorRead(const MarkedProgram &c) {
  const size_t n = c.marks.size();
  return fmt::format("{}  MARK({}) = *(int *)0x30;\n  MARK({}) = *(unsigned char *)0x32;\n", c.main, n, n + 1);
}

const MarkedProgram kPrograms[] = {
    {"parameters and an int result",
     "xmem int sum3(int a, int b, int c) { return a * 100 + b * 10 + c; }\n",
     "  MARK(0) = sum3(1, 2, 3);\n  MARK(1) = sum3(-1, 0, 9);\n", {123, uint16_t(-91)}},
    {"a long result and a long parameter",
     "xmem long twice(long v) { return v + v; }\n",
     "  long r;\n  r = twice(0x12345L);\n  MARK(0) = (int)r;\n  MARK(1) = (int)(r >> 16);\n", {0x468A, 2}},
    {"one function in extended memory calling another, and a root one between",
     "xmem int inner(int v) { return v + 1; }\n"
     "root int middle(int v) { return inner(v) * 2; }\n"
     "xmem int outer(int v) { return middle(v) + inner(v); }\n",
     "  MARK(0) = outer(5);\n  MARK(1) = inner(outer(0));\n", {18, 4}},
    {"a char result and a local frame",
     "xmem char pick(char *s, int i) { char copy[4]; copy[0] = s[i]; return copy[0]; }\n",
     "  MARK(0) = pick(\"xyz\", 2);\n", {'z'}},
};

TEST(RootBouncerRun, FunctionsInExtendedMemoryRunThroughTheirBouncers) {
  TempDir dir;
  // The library beside its own settings.
  const fs::path library = fs::path(dir.path()) / "lib";
  fs::create_directories(library);
  for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY))
    if (entry.is_regular_file())
      fs::copy_file(entry.path(), library / entry.path().filename());
  dir.Write("lib/tsw.cfg", kWindowAtItsOwnAddress);
  for (const MarkedProgram &c : kPrograms) {
    SCOPED_TRACE(c.what);
    TempDir out;
    const std::string main = WithVectorRead(c);
    MarkedProgram program = c;
    program.main = main.c_str();
    TswccBuildRequest request = OurBuildRequest();
    request.libDir = (library / "LIB.DIR").string();
    request.outputDir = out.path();
    request.source = out.Write("prog.c", MarkedProgramText(program));
    TswccBuild build = BuildWithTswcc(request);
    ASSERT_TRUE(build.ok) << build.log;
    const std::optional<uint32_t> bouncer = SymbolAddress(build.symbols, "_b_all");
    ASSERT_TRUE(bouncer) << build.log;
    SimulatorRequest run;
    run.hexImage = build.hexImage;
    run.dumps.push_back({kDefaultMarks, uint32_t(2 * c.marks.size() + 4)});
    SimulatorRun result = RunOnSimulator(run);
    ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
    for (uint32_t i = 0; i < c.marks.size(); ++i) {
      auto bytes = result.Read(kDefaultMarks + 2 * i, 2);
      ASSERT_TRUE(bytes) << result.log;
      EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), c.marks[i]) << "word " << i;
    }
    // The road went through the vector the start-up code wrote.
    auto vector = result.Read(kDefaultMarks + 2 * uint32_t(c.marks.size()), 4);
    ASSERT_TRUE(vector) << result.log;
    EXPECT_EQ(std::vector<uint8_t>({(*vector)[0], (*vector)[1], (*vector)[2]}),
              (std::vector<uint8_t>{kOpJump, uint8_t(*bouncer), uint8_t(*bouncer >> 8)}));
    testing::ExpectCleanCorvidCompile(c.what, MarkedProgramText(c));
  }
}

} // namespace
} // namespace tsw::target
