// Interrupt functions called from the program with arguments: the words
// the interrupt entry pushes lie between the return address and the body,
// so the parameters stand that far above where an ordinary function finds
// them.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"two parameters",
     "int seen;\n"
     "interrupt void isr(int a, int b) { seen = a * 10 + b; }\n",
     "  isr(3, 4);\n"
     "  MARK(0) = seen;\n",
     {34}},
    {"a parameter beside locals",
     "int seen;\n"
     "interrupt void isr(int a, long b) {\n"
     "  int c;\n"
     "  c = a + 1;\n"
     "  seen = c + (int)(b - 100000L);\n"
     "}\n",
     "  isr(6, 100002L);\n"
     "  MARK(0) = seen;\n",
     {9}},
    {"through an IX frame",
     "int seen;\n"
     "useix interrupt void isr(int a, int b) {\n"
     "  int c;\n"
     "  c = b - a;\n"
     "  seen = c;\n"
     "}\n",
     "  isr(5, 12);\n"
     "  MARK(0) = seen;\n",
     {7}},
    // Debug code hands the frame to the library's frame routines.
    {"with debug code",
     "#debug\n"
     "int seen;\n"
     "interrupt void isr(int a, int b) { int c; c = a * 10; seen = c + b; }\n"
     "#nodebug\n",
     "  isr(8, 1);\n"
     "  MARK(0) = seen;\n",
     {81}},
};

TEST(InterruptParameterRun, ParametersAreReadAboveTheEntrysSavedRegisters) {
  for (const MarkedProgram &program : kPrograms)
    ExpectMarksAfterRun(program);
}

} // namespace
} // namespace tsw::target
