// Calls compiled by our compiler, run on the simulator on the kernel: the
// arguments arrive in their order and types, results come back, recursion
// works, and the stack is where it was after each call (a loop of many
// calls would run out of it otherwise). The programs leave their results
// in words at fixed addresses above the kernel and the program's code.
#include <gtest/gtest.h>

#include <cstdint>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"arguments in order, results back",
     "int add3(int a, int b, int c) { return a + b + c; }\n"
     "int sub(int a, int b) { return a - b; }\n",
     "  MARK(0) = add3(1, 2, 7);\n"
     "  MARK(1) = sub(10, 3);\n"
     "  MARK(2) = add3(sub(10, 3), add3(1, 2, 3), 8);\n",
     {10, 7, 21}},
    // 100065 is 0x000186E1.
    {"char and long arguments",
     "long widen(char c, long l) { return l + c; }\n"
     "int next(char c) { return c + 1; }\n",
     "  *(long *)(0xC100) = widen('A', 100000L);\n"
     "  MARK(2) = next('A');\n",
     {0x86E1, 0x0001, 'B'}},
    // The prototype widens the int to the long the callee reads, sign and
    // all, and the (unsigned) char takes the int's low byte: 0x41 - 2 and
    // 70000 + 0xFE.
    {"int arguments for char and long parameters",
     "long widen(char c, long l) { return l + c; }\n"
     "int k;\n",
     "  k = -2;\n"
     "  *(long *)(0xC100) = widen(321, k);\n"
     "  *(long *)(0xC104) = widen(k, 70000L);\n",
     {0x003F, 0x0000, 0x126E, 0x0001}},
    {"the stack is balanced over many calls",
     "int sub(int a, int b) { return a - b; }\n",
     "  int i;\n  int n;\n  n = 0;\n"
     "  for (i = 0; i < 1000; i++) n += sub(i + 1, i);\n"
     "  MARK(0) = n;\n",
     {1000}},
    {"recursion",
     "int fact(int n) { if (n < 2) return 1; return n * fact(n - 1); }\n",
     "  MARK(0) = fact(6);\n",
     {720}},
    {"through a pointer",
     "int sub(int a, int b) { return a - b; }\n"
     "int (*op)();\n",
     "  op = sub;\n"
     "  MARK(0) = op(10, 3);\n"
     "  MARK(1) = op(op(9, 1), 2);\n",
     {7, 6}},
    {"a structure result",
     "struct P { int x, y, z; };\n"
     "struct P q;\n"
     "struct P shift(int k, struct P p) { p.x += k; p.z -= k; return p; }\n",
     "  struct P r;\n"
     "  q.x = 4;\n  q.y = 5;\n  q.z = 7;\n"
     "  r = shift(2, q);\n"
     "  MARK(0) = r.x;\n  MARK(1) = r.y;\n  MARK(2) = r.z;\n  MARK(3) = q.x;\n",
     {6, 5, 5, 4}},
    {"through pointers declared with their parameter types",
     "long twice(long v) { return v * 2; }\n"
     "int sub(int a, int b) { return a - b; }\n"
     "long (*lfn)(long);\n"
     "int (*ops[2])(int, int);\n",
     "  lfn = twice;\n"
     "  *(long *)(0xC100) = lfn(70000L);\n"
     "  ops[1] = sub;\n"
     "  MARK(2) = ops[1](10, 4);\n"
     "  MARK(3) = (*ops[1])(3, 10);\n",
     {0x22E0, 0x0002, 6, 0xFFF9}},
    {"a structure argument",
     "struct P { int x, y, z; };\n"
     "struct P q;\n"
     "int weigh(int k, struct P p, int m) { return k * 100 + p.x * 10 + p.z + m; }\n",
     "  q.x = 4;\n  q.y = 5;\n  q.z = 7;\n"
     "  MARK(0) = weigh(2, q, 1000);\n",
     {1247}},
};

TEST(CallRunTest, CallsGiveTheirResultsAndKeepTheStack) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
