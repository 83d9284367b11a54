// Extended-memory tables compiled by our compiler and read back on the
// simulator. The simulator's memory is 64 KiB without an MMU, so the
// compile is told of RAM that ends at 10000: its extended-memory code
// page is the one that logical E000 shows in segment 1, physical F000,
// which the simulator has at that address. A program there may read a
// table through the low 16 bits of its name's physical address. The same
// programs compile for the Corvid.
#include <gtest/gtest.h>

#include <filesystem>

#include "marked_program.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;
using testing::kDefaultMarks;
using testing::MarkedProgram;
using testing::MarkedProgramText;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

// RAM from page 3 to page 10h: the window's first page in RAM is segment
// 3 - "logr" 2.
constexpr const char *kRamInTheLow64k = "rams  = 3\nrame  = 10\n";

const MarkedProgram kPrograms[] = {
    {"xdata: ints and a long, least significant byte first",
     "xdata table { 10, 20, 30000, 0x12345L };\n",
     "  int *p;\n  p = (int *)(unsigned)table;\n"
     "  MARK(0) = p[0] + p[2];\n  MARK(1) = p[1];\n  MARK(2) = p[3];\n  MARK(3) = p[4];\n"
     "  MARK(4) = (unsigned)(table >> 16);\n",
     {30010, 20, 0x2345, 1, 0}},
    // The strings with their zeros, then the table of their physical
    // addresses, which the name holds.
    {"xstring: the name holds the table of the strings' addresses",
     "xstring words { \"ab\", \"xyz\" };\n",
     "  unsigned *w;\n  char *s;\n  w = (unsigned *)(unsigned)words;\n"
     "  s = (char *)w[0];\n  MARK(0) = s[1];\n  MARK(1) = s[2];\n"
     "  s = (char *)w[2];\n  MARK(2) = s[1];\n  MARK(3) = w[1];\n",
     {'b', 0, 'y', 0}},
    // Each declaration goes on where the last one ended.
    {"two declarations, one after the other",
     "xdata first { 1, 2 };\nxdata second { 3 };\n",
     "  MARK(0) = (unsigned)second - (unsigned)first;\n  MARK(1) = *(int *)(unsigned)second;\n",
     {4, 3}},
};

TEST(XdataRun, TablesHoldTheirValuesWhereTheirNamesSay) {
  TempDir dir;
  // The library beside its own settings.
  const fs::path library = fs::path(dir.path()) / "lib";
  fs::create_directories(library);
  for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY))
    if (entry.is_regular_file())
      fs::copy_file(entry.path(), library / entry.path().filename());
  dir.Write("lib/tsw.cfg", kRamInTheLow64k);
  for (const MarkedProgram &c : kPrograms) {
    SCOPED_TRACE(c.what);
    TempDir out;
    TswccBuildRequest request = OurBuildRequest();
    request.libDir = (library / "LIB.DIR").string();
    request.outputDir = out.path();
    request.source = out.Write("prog.c", MarkedProgramText(c));
    TswccBuild build = BuildWithTswcc(request);
    ASSERT_TRUE(build.ok) << build.log;
    SimulatorRequest run;
    run.hexImage = build.hexImage;
    run.dumps.push_back({kDefaultMarks, uint32_t(2 * c.marks.size())});
    SimulatorRun result = RunOnSimulator(run);
    ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
    for (uint32_t i = 0; i < c.marks.size(); ++i) {
      auto bytes = result.Read(kDefaultMarks + 2 * i, 2);
      ASSERT_TRUE(bytes) << result.log;
      EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), c.marks[i]) << "word " << i;
    }
    testing::ExpectCleanCorvidCompile(c.what, MarkedProgramText(c));
  }
}

} // namespace
} // namespace tsw::target
