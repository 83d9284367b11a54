// The program's global initialisation and assembly inside functions,
// compiled by our compiler and run on the simulator on the kernel: the
// start-up code runs the "_GLOBAL_INIT" chain before main, its fragments in
// source order and its #funcchain functions after them.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"a #GLOBAL_INIT section runs before main",
     "int g;\n"
     "void setup(void) {\n#GLOBAL_INIT { g = 41; }\n}\n",
     "  MARK(0) = g + 1;\n",
     {42}},
    // Each step doubles and adds its own digit: the order shows in the result.
    {"fragments in source order, then the chain's functions",
     "int g;\n"
     "void first(void) {\n#GLOBAL_INIT { g = 1; }\n}\n"
     "void second(void) {\n#GLOBAL_INIT g = g * 10 + 2;\n#GLOBAL_INIT g = g * 10 + 3;\n}\n"
     "void last(void) { g = g * 10 + 4; }\n"
     "#funcchain _GLOBAL_INIT last\n",
     "  MARK(0) = g;\n",
     {1234}},
    {"a chain of its own, called by the program",
     "int g;\n#makechain tick\n"
     "void counter(void) {\nsegchain tick { g = g + 5; }\n}\n"
     "void tick(void);\n",
     "  g = 1;\n  tick();\n  tick();\n  MARK(0) = g;\n",
     {11}},
    {"assembly between statements, and a c line",
     "int g;\n",
     "  g = 3;\n#asm\n  ld hl,(g)\n  add hl,hl\n  ld (g),hl\nc g = g + 1;\n#endasm\n  MARK(0) = g;\n",
     {7}},
};

TEST(GlobalInitRun, ChainsAndAssemblyRunAsWritten) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
