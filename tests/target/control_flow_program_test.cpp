// Whole programs of loops, switches and gotos compiled by our compiler on
// the kernel and run on the simulator: each leaves its results in words at
// fixed addresses above the kernel and the program's code.
#include <gtest/gtest.h>

#include <cstdint>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

constexpr uint32_t kMarks = 0xC200;

const MarkedProgram kPrograms[] = {
    {"the loop of the session's goal", "",
     "  int i;\n  int g;\n  g = 0;\n  for (i = 0; i < 10; i++) g += i;\n  MARK(0) = g;\n  MARK(1) = i;\n",
     {45, 10}},
    {"while and do with break and continue", "",
     "  int i;\n  int n;\n  i = 0;\n  n = 0;\n"
     "  while (1) { i++; if (i > 20) break; if (i % 3) continue; n += i; }\n"
     "  MARK(0) = n;\n  MARK(1) = i;\n"
     "  i = 0;\n  do i += 7; while (i < 30);\n  MARK(2) = i;\n",
     {63, 21, 35}},
    // A switch in a function called with each value, its default taken by
    // the values no case names.
    {"dense and sparse switches",
     "int dense(int v) { switch (v) { case 0: return 5; case 1: case 2: return 6; case 3: break; default: return 9; }"
     " return 7; }\n"
     "int sparse(int v) { int r; r = 0; switch (v) { case -300: r = 1; break; case 4000: r = 2; break; case 17: r = 3; }"
     " return r; }\n",
     "  MARK(0) = dense(0);\n  MARK(1) = dense(2);\n  MARK(2) = dense(3);\n  MARK(3) = dense(8);\n"
     "  MARK(4) = sparse(-300);\n  MARK(5) = sparse(4000);\n  MARK(6) = sparse(17);\n  MARK(7) = sparse(18);\n",
     {5, 6, 7, 9, 1, 2, 3, 0}},
    {"gotos forward and back",
     "int count(int n) { int k; k = 0; again: if (k == n) goto out; k++; goto again; out: return k * 2; }\n",
     "  MARK(0) = count(0);\n  MARK(1) = count(12);\n",
     {0, 24}},
    {"nested loops leave only their own", "",
     "  int i;\n  int j;\n  int n;\n  n = 0;\n"
     "  for (i = 0; i < 5; i++) { for (j = 0; ; j++) { if (j == i) break; n++; } if (i == 3) continue; n += 100; }\n"
     "  MARK(0) = n;\n",
     {410}},
};

TEST(ControlFlowProgramTest, LoopsSwitchesAndGotosLeaveWhatCComputes) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c, kMarks);
}

} // namespace
} // namespace tsw::target
