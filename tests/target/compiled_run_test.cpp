// The whole road of a program through our compiler: the kernel compiled by
// the BIOS compile, the program on it, the two images laid into one, run on
// the simulator from reset, and the results read through our map file.
#include <gtest/gtest.h>

#include <string>

#include "runner/program_check.h"
#include "runner/simulator.h"
#include "marked_program.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

// Words the program leaves at fixed addresses, above the kernel and the
// program's code: the road is proven before globals have their places.
constexpr uint32_t kMarks = 0xC100;

TEST(CompiledRunTest, TheKernelStartsTheProgramAndItsExitHalts) {
  struct Case {
    const char *what;
    const char *main; // assembly
    std::vector<uint16_t> marks;
  };
  const Case cases[] = {
      {"main returns", "main::\n\tld hl,1234\n\tld (0C100h),hl\n\tld hl,-5\n\tld (0C102h),hl\n\tret\n", {1234, 0xFFFB}},
      // The stack the start-up code set is the one main runs on.
      {"main on the program's stack", "main::\n\tld hl,0\n\tadd hl,sp\n\tld (0C100h),hl\n\tret\n", {0xDFFC}},
      {"exit ends the run", "main::\n\tld hl,7\n\tpush hl\n\tcall exit\n\tld hl,1\n\tld (0C100h),hl\n\tret\n", {0}},
  };
  for (const Case &c : cases)
    ExpectMarksAfterRun(c.what, std::string("#asm\n") + c.main + "#endasm\n", kMarks, c.marks);
}

struct RoadCase {
  const char *what;
  const char *program; // result variables with their stated values
  // What still keeps the compiler from running this program; the case must
  // fail until then, and the mark goes when it runs.
  const char *blockedBy;
};

TEST(CompiledRunTest, ProgramsOfOurCompilerGiveTheirStatedResults) {
  const RoadCase cases[] = {
      {"main in assembly stores two globals",
       "int r_a; /* expect 1234 */\n"
       "int r_b; /* expect -5 */\n"
       "#asm\n"
       "main::\n"
       "\tld hl,1234\n\tld (r_a),hl\n"
       "\tld hl,-5\n\tld (r_b),hl\n"
       "\tret\n"
       "#endasm\n",
       ""},
      {"a C loop into a global",
       "int r_g; /* expect 45 */\n"
       "int main(void) { int i; for (i = 0; i < 10; i++) r_g += i; return r_g; }\n",
       ""},
      {"initialized globals read back",
       "int a = 7;\n"
       "int b[3] = {1, 2, 3};\n"
       "char s[] = \"hi\";\n"
       "struct p { char c; int n; } q = {'x', -4};\n"
       "int r_sum; /* expect 234 */\n"
       "int main(void) { r_sum = a + b[0] + b[1] + b[2] + s[1] + q.c + q.n; return 0; }\n",
       ""},
  };
  for (const RoadCase &c : cases) {
    TempDir dir;
    TswccBuildRequest request = OurBuildRequest();
    request.outputDir = dir.path();
    std::vector<std::string> problems = CheckProgramWithTswcc(dir.Write("prog.c", c.program), request);
    std::string report;
    for (const std::string &problem : problems)
      report += problem + "\n";
    if (*c.blockedBy) {
      EXPECT_FALSE(problems.empty()) << c.what << " runs now: take off its mark (" << c.blockedBy << ")";
    } else {
      EXPECT_TRUE(problems.empty()) << c.what << ":\n" << report;
    }
  }
}

} // namespace
} // namespace tsw::target
