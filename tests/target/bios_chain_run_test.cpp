// A segment chain the kernel and the program both have, run on the
// simulator: the program's start calls the kernel's chain, whose end the
// program compile linked into the program's own, so that the program's
// fragments run before main, after the kernel's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::kDefaultMarks;
using testing::MarkedProgram;
using testing::MarkedProgramText;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

TEST(BiosChainRun, TheProgramsFragmentsRunThroughTheKernelsChain) {
  TempDir dir;
  TswccBuildRequest request = OurBuildRequest();
  std::ifstream kernel(request.kernel);
  std::stringstream text;
  text << kernel.rdbuf();
  // A kernel's own #GLOBAL_INIT needs a program on the board; the chain
  // it names is linked all the same.
  request.kernel = dir.Write("CHAINBIOS.C", text.str() + "#makechain _GLOBAL_INIT\n");
  request.outputDir = dir.path();
  const MarkedProgram program{"two fragments, then main",
                              "void first(void) {\n#GLOBAL_INIT { MARK(0) = 1; }\n}\n"
                              "void second(void) {\n#GLOBAL_INIT { MARK(1) = MARK(0) + 1; }\n}\n",
                              "  MARK(2) = MARK(1) + 1;\n",
                              {1, 2, 3}};
  request.source = dir.Write("prog.c", MarkedProgramText(program));
  TswccBuild build = BuildWithTswcc(request);
  ASSERT_TRUE(build.ok) << build.log;
  SimulatorRequest run;
  run.hexImage = build.hexImage;
  run.dumps.push_back({kDefaultMarks, 6});
  SimulatorRun result = RunOnSimulator(run);
  ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
  for (uint32_t i = 0; i < program.marks.size(); ++i) {
    auto bytes = result.Read(kDefaultMarks + 2 * i, 2);
    ASSERT_TRUE(bytes) << result.log;
    EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), program.marks[i]) << "word " << i;
  }
}

} // namespace
} // namespace tsw::target
