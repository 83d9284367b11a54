// Assembly inside compiled functions reaching the C frame around it, run on
// the simulator on the kernel: parameters and locals by name through IX or
// through "@SP" and the stack pointer, the size of the locals as
// "@LENGTH", and a structure result written where "@RETVAL" says. The
// programs leave their results in words at fixed addresses.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

// Loads the word at SP + @SP + `name` into HL.
#define LOAD_FRAME_WORD(name)                                                                                          \
  "  ld hl,@SP+" name "\n"                                                                                             \
  "  add hl,sp\n"                                                                                                      \
  "  ld e,(hl)\n"                                                                                                      \
  "  inc hl\n"                                                                                                         \
  "  ld d,(hl)\n"                                                                                                      \
  "  ex de,hl\n"

const MarkedProgram kPrograms[] = {
    {"parameters and a local through the stack pointer",
     "int second(int a, int b) {\n"
     "  int local;\n"
     "  local = a + 1;\n"
     "#asm\n" LOAD_FRAME_WORD("b") "  ld (0xC100),hl\n" LOAD_FRAME_WORD("local") "  ld (0xC102),hl\n"
     "  ld hl,@SP+local\n"
     "  add hl,sp\n"
     "  ld (hl),42\n"
     "#endasm\n"
     "  return local;\n"
     "}\n",
     "  MARK(2) = second(5, 1234);\n",
     {1234, 6, 42}},
    {"a local's size",
     "int sized(void) {\n"
     "  long a;\n"
     "  char b;\n"
     "  a = 1; b = 2;\n"
     "#asm\n"
     "  ld hl,@LENGTH\n"
     "  ld (0xC100),hl\n"
     "#endasm\n"
     "  return b;\n"
     "}\n",
     "  MARK(1) = sized();\n",
     {5, 2}},
    {"parameters and a local through IX",
     "useix int third(int a, int b, int c) {\n"
     "  int local;\n"
     "  local = 77;\n"
     "#asm\n"
     "  ld l,(ix+c)\n"
     "  ld h,(ix+c+1)\n"
     "  ld (0xC100),hl\n"
     "  ld l,(ix+local)\n"
     "  ld h,(ix+local+1)\n"
     "  ld (0xC102),hl\n"
     "#endasm\n"
     "  return a;\n"
     "}\n",
     "  MARK(2) = third(9, 8, 300);\n",
     {300, 77, 9}},
    {"a structure result written by assembly",
     "struct P { int x, y; };\n"
     "struct P q;\n"
     "struct P make(int k) {\n"
     "#asm\n"
     "  ld hl,@SP+@RETVAL\n"
     "  add hl,sp\n"
     "  ld (hl),7\n"
     "  inc hl\n"
     "  ld (hl),0\n"
     "  inc hl\n"
     "  ld (hl),9\n"
     "  inc hl\n"
     "  ld (hl),0\n"
     "#endasm\n"
     "}\n",
     "  q = make(3);\n"
     "  MARK(0) = q.x;\n"
     "  MARK(1) = q.y;\n",
     {7, 9}},
};

TEST(AsmFrameRunTest, AssemblyReachesTheFrameOfItsFunction) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
