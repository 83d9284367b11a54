// Functions declared Typed, written in C and called with arguments: every
// argument comes with its descriptor on the stack, and the function reads
// its parameters past them.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"int, long and char parameters",
     "Typed int mix(int a, long b, char c) { return a * 100 + (int)(b - 70000L) * 10 + c; }\n",
     "  MARK(0) = mix(3, 70004L, 5);\n",
     {345}},
    {"a local beside the parameters, through IX",
     "useix Typed int diff(int a, int b) { int d; d = b - a; return d; }\n",
     "  MARK(0) = diff(5, 12);\n",
     {7}},
    {"a pointer parameter stores through",
     "Typed void put(int *at, int v) { *at = v; }\n",
     "  put(&MARK(0), 9);\n",
     {9}},
    {"through a Typed pointer",
     "Typed int add(int a, int b) { return a * 10 + b; }\n"
     "Typed int (*fp)(int, int);\n",
     "  fp = add;\n"
     "  MARK(0) = fp(2, 3);\n",
     {23}},
    {"with debug code",
     "#debug\n"
     "Typed int pick(int a, long b) { int c; c = a - 1; return c + (int)b; }\n"
     "#nodebug\n",
     "  MARK(0) = pick(4, 10L);\n",
     {13}},
    // The result's space lies above everything the call pushed.
    {"a structure result",
     "struct S { int a, b; } r;\n"
     "Typed struct S mk(int a) { struct S s; s.a = a; s.b = a + 1; return s; }\n",
     "  r = mk(4);\n"
     "  MARK(0) = r.a * 10 + r.b;\n",
     {45}},
};

TEST(TypedCallRun, TheCalleeReadsItsParametersPastTheirDescriptors) {
  for (const MarkedProgram &program : kPrograms)
    ExpectMarksAfterRun(program);
}

} // namespace
} // namespace tsw::target
