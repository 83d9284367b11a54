// Stores into objects whose address is computed (locals on the Z180's
// stack, elements and members through pointers) of values that must be
// narrowed or stay in A, compiled by our compiler and run on the
// simulator: the value lands in the object and the bytes around it stay as
// they were.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runner/program_check.h"
#include "runner/simulator.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::OurBuildRequest;
using tsw::testing::TempDir;

constexpr uint32_t kMarks = 0xC100;

struct StoreProgram {
  const char *what;
  const char *globals;
  // Statements of main; "MARK(n)" is the n-th result word.
  const char *main;
  std::vector<uint16_t> marks;
};

const StoreProgram kPrograms[] = {
    {"a long constant into an unsigned local",
     "",
     "  unsigned u;\n  unsigned guard;\n  guard = 0x1234;\n  u = 65535;\n  u++;\n"
     "  MARK(0) = u;\n  MARK(1) = guard;\n",
     {0, 0x1234}},
    {"a long variable into an int and a char local",
     "long l = 0x12345678L;\n",
     "  int i;\n  char c;\n  int guard;\n  guard = 7;\n  i = l;\n  c = l;\n"
     "  MARK(0) = i;\n  MARK(1) = c;\n  MARK(2) = guard;\n",
     {0x5678, 0x78, 7}},
    {"a long into an element through a pointer",
     "long l = 70000L;\nunsigned cells[3];\n",
     "  unsigned *p;\n  p = cells;\n  p[1] = l;\n  *p = l + 1;\n"
     "  MARK(0) = cells[0];\n  MARK(1) = cells[1];\n  MARK(2) = cells[2];\n",
     {4465, 4464, 0}},
    {"a char constant through a pointer",
     "struct S { int id; char tag; char next; } s;\n",
     "  struct S *p;\n  char *q;\n  p = &s;\n  s.next = 9;\n  p->tag = 'A';\n  q = &s.next;\n  *q = 'B' + 1;\n"
     "  MARK(0) = s.tag;\n  MARK(1) = s.next;\n  MARK(2) = s.id;\n",
     {'A', 'C', 0}},
};

TEST(NarrowingStoreRunTest, WiderValuesLandInTheirObjects) {
  for (const StoreProgram &c : kPrograms) {
    TempDir dir;
    TswccBuildRequest request = OurBuildRequest();
    request.outputDir = dir.path();
    request.source = dir.Write(
        "prog.c", fmt::format("#define MARK(n) (*(int *)({:#x} + 2 * (n)))\n{}int main(void) {{\n{}  return 0;\n}}\n",
                              kMarks, c.globals, c.main));
    TswccBuild build = BuildWithTswcc(request);
    ASSERT_TRUE(build.ok) << c.what << ":\n" << build.log;
    SimulatorRequest run;
    run.hexImage = build.hexImage;
    run.dumps.push_back({kMarks, uint32_t(2 * c.marks.size())});
    SimulatorRun result = RunOnSimulator(run);
    ASSERT_EQ(result.stop, SimStop::Halted) << c.what << ":\n" << result.log;
    for (size_t i = 0; i < c.marks.size(); ++i) {
      auto bytes = result.Read(kMarks + 2 * uint32_t(i), 2);
      ASSERT_TRUE(bytes) << c.what;
      EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), c.marks[i]) << c.what << " word " << i;
    }
  }
}

} // namespace
} // namespace tsw::target
