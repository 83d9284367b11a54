// Stores into objects whose address is computed (locals on the Z180's
// stack, elements and members through pointers) of values that must be
// narrowed or stay in A, compiled by our compiler and run on the
// simulator: the value lands in the object and the bytes around it stay as
// they were.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"a long constant into an unsigned local",
     "",
     "  unsigned u;\n  unsigned guard;\n  guard = 0x1234;\n  u = 65535;\n  u++;\n"
     "  MARK(0) = u;\n  MARK(1) = guard;\n",
     {0, 0x1234}},
    {"a long variable into an int and a char local",
     "long l = 0x12345678L;\n",
     "  int i;\n  char c;\n  int guard;\n  guard = 7;\n  i = l;\n  c = l;\n"
     "  MARK(0) = i;\n  MARK(1) = c;\n  MARK(2) = guard;\n",
     {0x5678, 0x78, 7}},
    {"a long into an element through a pointer",
     "long l = 70000L;\nunsigned cells[3];\n",
     "  unsigned *p;\n  p = cells;\n  p[1] = l;\n  *p = l + 1;\n"
     "  MARK(0) = cells[0];\n  MARK(1) = cells[1];\n  MARK(2) = cells[2];\n",
     {4465, 4464, 0}},
    {"a char constant through a pointer",
     "struct S { int id; char tag; char next; } s;\n",
     "  struct S *p;\n  char *q;\n  p = &s;\n  s.next = 9;\n  p->tag = 'A';\n  q = &s.next;\n  *q = 'B' + 1;\n"
     "  MARK(0) = s.tag;\n  MARK(1) = s.next;\n  MARK(2) = s.id;\n",
     {'A', 'C', 0}},
    // The parameters after a pointer lie one pointer further on.
    {"a structure reached through a pointer parameter",
     "struct point { int x; int y; long w; } s;\n"
     "void move(struct point *p, int dx, long *lp, int dy) {\n"
     "  struct point copy;\n  copy = *p;\n  copy.x += dx;\n  copy.y += dy;\n  copy.w = *lp;\n  *p = copy;\n}\n",
     "  long w;\n  w = 9;\n  s.x = 3;\n  s.y = 6;\n  move(&s, 10, &w, -10);\n"
     "  MARK(0) = s.x;\n  MARK(1) = s.y;\n  MARK(2) = s.w;\n",
     {13, 0xFFFC, 9}},
    // The row's address waits on the stack while the column is computed.
    {"a long matrix element by variable subscripts into an element",
     "long lm[2][2];\nlong r_lm[4];\n",
     "  int i, j;\n  lm[0][1] = 65536;\n  lm[1][0] = 70000;\n  lm[1][1] = -lm[1][0];\n"
     "  for (i = 0; i < 2; i++)\n    for (j = 0; j < 2; j++)\n      r_lm[i * 2 + j] = lm[i][j];\n"
     "  MARK(0) = r_lm[1] >> 16;\n  MARK(1) = r_lm[2];\n  MARK(2) = r_lm[3];\n  MARK(3) = r_lm[3] >> 16;\n",
     {1, 0x1170, 0xEE90, 0xFFFE}},
};

TEST(NarrowingStoreRunTest, WiderValuesLandInTheirObjects) {
  for (const MarkedProgram &c : kPrograms)
    ExpectMarksAfterRun(c);
}

} // namespace
} // namespace tsw::target
