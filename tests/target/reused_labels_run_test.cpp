// Names the compiler gives out again: each function's string literals are
// labelled from the same first name on, and an assembly block's local
// labels may repeat in the next function. Run on the simulator on the
// kernel, every reference must reach the object of its own function,
// whether it was made before or after that name was last placed.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"literals of two functions under the same internal names",
     "char first(void) { char *p; p = \"xy\"; return p[1]; }\n"
     "int second(void) { char *p; char *q; q = \"pq\"; p = \"rs\"; return p[0] * 256 + q[1]; }\n"
     "int third(void) { char *p; p = \"longer literal\"; return p[7] + first(); }\n",
     "  MARK(0) = first();\n"
     "  MARK(1) = second();\n"
     "  MARK(2) = third();\n",
     // 'y'; 'r' and 'q'; 'l' + 'y'
     {0x79, 0x7271, 0x6C + 0x79}},
    {"a local label of assembly used again by the next function",
     "int twice(int a) {\n"
     "  a = a;\n"
     "#asm\n"
     "  ld b,2\n"
     "  ld hl,0\n"
     "again:\n"
     "  ld de,5\n"
     "  add hl,de\n"
     "  djnz again\n"
     "  ld (0xC100),hl\n"
     "#endasm\n"
     "  return 0;\n"
     "}\n"
     "int thrice(void) {\n"
     "#asm\n"
     "  ld b,3\n"
     "  ld hl,0\n"
     "  jr again\n"
     "  ld hl,1000\n"
     "again:\n"
     "  ld de,7\n"
     "  add hl,de\n"
     "  djnz again\n"
     "  ld (0xC102),hl\n"
     "#endasm\n"
     "  return 0;\n"
     "}\n",
     "  twice(0);\n"
     "  thrice();\n",
     {10, 21}},
};

TEST(ReusedLabelsRun, EachReferenceReachesItsOwnFunctionsObject) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
