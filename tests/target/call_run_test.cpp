// Calls compiled by our compiler and run on the simulator beside SDCC's
// build of the same program: the arguments arrive in their order and
// types, results come back, and the stack is where it was after each call
// (a loop of many calls would run out of it otherwise).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kSdccStartup;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

struct CallProgram {
  const char *what;
  const char *program; // result variables with their stated values
  // What still keeps our compiler from running this program; the case must
  // fail until then, and the mark goes when it runs.
  const char *blockedBy;
  // SDCC builds it: it passes no structure by value.
  bool oracleBuilds = true;
};

const CallProgram kPrograms[] = {
    {"arguments in order, results back",
     "int r_sum; /* expect 10 */\n"
     "int r_diff; /* expect 7 */\n"
     "int r_nested; /* expect 21 */\n"
     "int add3(int a, int b, int c) { return a + b + c; }\n"
     "int sub(int a, int b) { return a - b; }\n"
     "int main(void) {\n"
     "  r_sum = add3(1, 2, 7);\n"
     "  r_diff = sub(10, 3);\n"
     "  r_nested = add3(sub(10, 3), add3(1, 2, 3), 8);\n"
     "  return 0;\n"
     "}\n",
     "the Z180 road: code and globals placed by the driver"},
    {"char and long arguments",
     "long r_long; /* expect 100065 */\n"
     "int r_char; /* expect 66 */\n"
     "long widen(char c, long l) { return l + c; }\n"
     "int next(char c) { return c + 1; }\n"
     "int main(void) { r_long = widen('A', 100000L); r_char = next('A'); return 0; }\n",
     "the Z180 road: code and globals placed by the driver"},
    {"the stack is balanced over many calls",
     "int r_count; /* expect 1000 */\n"
     "int one(int a, int b) { return a - b; }\n"
     "int main(void) { int i; for (i = 0; i < 1000; i++) r_count += one(i + 1, i); return 0; }\n",
     "the Z180 road: code and globals placed by the driver"},
    {"recursion",
     "int r_fact; /* expect 720 */\n"
     "int fact(int n) { if (n < 2) return 1; return n * fact(n - 1); }\n"
     "int main(void) { r_fact = fact(6); return 0; }\n",
     "the Z180 road: code and globals placed by the driver"},
    {"a call through a pointer",
     "int r_ptr; /* expect 7 */\n"
     "int sub(int a, int b) { return a - b; }\n"
     "int (*op)(int, int);\n"
     "int main(void) { op = sub; r_ptr = op(10, 3); return 0; }\n",
     "the Z180 road: code and globals placed by the driver"},
    {"a structure argument",
     "struct P { int x, y; };\n"
     "int r_s; /* expect 11 */\n"
     "int sum(struct P p) { return p.x + p.y; }\n"
     "struct P q;\n"
     "int main(void) { q.x = 4; q.y = 7; r_s = sum(q); return 0; }\n",
     "the Z180 road: code and globals placed by the driver", false},
};

TEST(CallRunTest, TheOracleAgreesWithTheStatedResults) {
  for (const CallProgram &c : kPrograms) {
    if (!c.oracleBuilds)
      continue;
    TempDir dir;
    const std::vector<std::string> problems =
        CheckProgramWithSdcc(dir.Write("prog.c", c.program), kSdccStartup, dir.path());
    std::string report;
    for (const std::string &problem : problems)
      report += problem + "\n";
    EXPECT_TRUE(problems.empty()) << c.what << ":\n" << report;
  }
}

TEST(CallRunTest, OurCallsGiveTheStatedResults) {
  for (const CallProgram &c : kPrograms) {
    TempDir dir;
    TswccBuildRequest request = OurBuildRequest();
    request.outputDir = dir.path();
    const std::vector<std::string> problems = CheckProgramWithTswcc(dir.Write("prog.c", c.program), request);
    std::string report;
    for (const std::string &problem : problems)
      report += problem + "\n";
    if (*c.blockedBy)
      EXPECT_FALSE(problems.empty()) << c.what << " runs now: take off its mark (" << c.blockedBy << ")";
    else
      EXPECT_TRUE(problems.empty()) << c.what << ":\n" << report;
  }
}

} // namespace
} // namespace tsw::target
