// Interrupt functions compiled for the Z180 and entered as the hardware
// would, through a call whose return their exit routine takes: the words
// the entry pushes lie above the frame, so the body's locals are where its
// statements look for them and the exit finds its own address intact.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"locals written by the first statement",
     "int seen;\n"
     "interrupt void isr(void) {\n"
     "  int a;\n"
     "  int b;\n"
     "  a = 2;\n"
     "  b = a + 3;\n"
     "  seen = a * 10 + b;\n"
     "}\n"
     "void (*vector)(void);\n",
     "  vector = isr;\n"
     "  vector();\n"
     "  MARK(0) = seen;\n"
     "  vector();\n"
     "  MARK(1) = seen + 1;\n",
     {25, 26}},
    {"registers of the interrupted code kept",
     "int ticks;\n"
     "interrupt void tick(void) {\n"
     "  long n;\n"
     "  n = ticks;\n"
     "  n = n + 100000L;\n"
     "  ticks = (int)(n - 99999L);\n"
     "}\n"
     "void (*vector)(void);\n",
     "  int i, sum;\n"
     "  vector = tick;\n"
     "  sum = 0;\n"
     "  for (i = 0; i < 3; ++i) {\n"
     "    vector();\n"
     "    sum = sum + i;\n"
     "  }\n"
     "  MARK(0) = ticks;\n"
     "  MARK(1) = sum;\n",
     {3, 3}},
};

TEST(InterruptFunctionRun, TheBodyFindsItsLocalsAndReturnsThroughItsExit) {
  for (const MarkedProgram &program : kPrograms)
    ExpectMarksAfterRun(program);
}

} // namespace
} // namespace tsw::target
