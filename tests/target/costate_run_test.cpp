// Costates compiled by our compiler and run on the simulator: two tasks in
// one loop take turns at their yield and waitfor, each resuming where it
// left off, and an always-on task starts again from the top once its body
// ends, through the library's task routines.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runner/simulator.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::OurBuildRequest;
using tsw::testing::TempDir;

constexpr uint32_t kMarks = 0xC100;
// The log's length stands behind its entries.
constexpr uint32_t kCountWord = 15;

struct CostateProgram {
  const char *what;
  // The loop's body, run for r = 0 .. rounds - 1; put(v) logs v.
  const char *loop;
  int rounds;
  std::vector<uint16_t> log;
};

const CostateProgram kPrograms[] = {
    // Round by round: the first task yields, the second waits; the first
    // lets it go on; the first ends and the second ends and starts again;
    // the first starts again while the second still waits.
    {"yield and waitfor take turns",
     "    costate { put(1); yield; put(2); go = 1; yield; put(3); }\n"
     "    costate { put(10); waitfor(go); put(20); go = 0; }\n",
     4,
     {1, 10, 2, 20, 3, 10, 1}},
    // abort leaves through the exit: the task starts again from its top.
    {"abort ends the turn and the body",
     "    costate { put(5); yield; if (r == 1) abort; put(6); }\n",
     3,
     {5, 5}},
};

std::string ProgramText(const CostateProgram &c) {
  return fmt::format("#define MARK(n) (*(int *)({:#x} + 2 * (n)))\n"
                     "int n;\nint go;\nint r;\n"
                     "void put(int v) {{ MARK(n) = v; n++; }}\n"
                     "int main(void) {{\n  for (r = 0; r < {}; r++) {{\n{}  }}\n  MARK({}) = n;\n  return 0;\n}}\n",
                     kMarks, c.rounds, c.loop, kCountWord);
}

TEST(CostateRunTest, CostatesTakeTurnsAndResumeWhereTheyLeft) {
  for (const CostateProgram &c : kPrograms) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    TswccBuildRequest request = OurBuildRequest();
    request.outputDir = dir.path();
    request.source = dir.Write("prog.c", ProgramText(c));
    TswccBuild build = BuildWithTswcc(request);
    ASSERT_TRUE(build.ok) << build.log;
    SimulatorRequest run;
    run.hexImage = build.hexImage;
    run.dumps.push_back({kMarks, 2 * (kCountWord + 1)});
    SimulatorRun result = RunOnSimulator(run);
    ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
    auto word = [&](uint32_t i) {
      auto bytes = result.Read(kMarks + 2 * i, 2);
      return bytes ? uint16_t((*bytes)[0] | (*bytes)[1] << 8) : uint16_t(0xFFFF);
    };
    ASSERT_EQ(word(kCountWord), c.log.size());
    for (uint32_t i = 0; i < c.log.size(); ++i)
      EXPECT_EQ(word(i), c.log[i]) << "entry " << i;
  }
}

} // namespace
} // namespace tsw::target
