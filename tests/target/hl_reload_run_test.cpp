// for loops compiled without debug code, whose test stands behind the body
// and may take what the increment left in HL instead of loading it again,
// run on the simulator on the kernel: every way into the test (the
// increment, a continue, a branch of the increment) must find the
// variable's own value there.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"the increment's value tested",
     "#nodebug\nint i, s;\n"
     "void loop(void) { for (i = 0; i < 10; i++) s = s + i; }\n",
     "  loop();\n  MARK(0) = i;\n  MARK(1) = s;\n",
     {10, 45}},
    {"a continue reaching the test with another value in HL",
     "#nodebug\nint i, n;\n"
     "void loop(void) {\n"
     "  for (i = 0; i < 10;) {\n"
     "    n = n + 1;\n"
     "    if (i == 4) { i = 8; n = n + 100; continue; }\n"
     "    i = i + 1;\n"
     "  }\n"
     "}\n",
     "  loop();\n  MARK(0) = i;\n  MARK(1) = n;\n",
     // 0..4, then 8 and 9
     {10, 107}},
    {"one branch of the increment storing the variable, the other not",
     "#nodebug\nint i, n, s, c;\n"
     "void loop(void) {\n"
     "  for (i = 0; i < 10; c ? (s = 20) : (i = i + 1)) {\n"
     "    c = n == 3;\n"
     "    n = n + 1;\n"
     "  }\n"
     "}\n",
     "  loop();\n  MARK(0) = i;\n  MARK(1) = n;\n  MARK(2) = s;\n",
     {10, 11, 20}},
    {"the variable changed through a pointer in the body",
     "#nodebug\nint i, s;\n"
     "void loop(void) { int *p; p = &i; for (i = 0; i < 20; i++) { *p = *p + 1; s = s + 1; } }\n",
     "  loop();\n  MARK(0) = i;\n  MARK(1) = s;\n",
     {20, 10}},
    {"nested loops, a call in the increment and a pointer walked",
     "#nodebug\nint i, j, s, a[5];\nint *p;\n"
     "int next(int k) { return k + 3; }\n"
     "void loop(void) {\n"
     "  for (i = 0; i < 4; i++)\n"
     "    for (j = i; j * 2 < 9; j = next(j)) s = s + j;\n"
     "  for (p = a; p < a + 5; p++) *p = 7;\n"
     "}\n",
     "  loop();\n  MARK(0) = i;\n  MARK(1) = j;\n  MARK(2) = s;\n  MARK(3) = a[4] + a[0];\n",
     // j runs 0 3; 1 4; 2; 3: 0+3+1+4+2+3
     {4, 6, 13, 14}},
};

TEST(HlReloadRun, TheTestBehindTheBodyFindsTheVariablesValue) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
