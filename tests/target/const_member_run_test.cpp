// Structures with const members, compiled by our compiler and run on the
// simulator: every read of a const member gives its value, through the
// object and through a pointer, beside members that are stored.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

const MarkedProgram kPrograms[] = {
    {"const members of an initialized structure",
     "struct S { const int y; int z; char const c; } s = {5, 6, 'q'};\n",
     "  struct S *p;\n  p = &s;\n  MARK(0) = s.y;\n  MARK(1) = p->y + s.z;\n  MARK(2) = p->c;\n",
     {5, 11, 'q'}},
    {"a const member beside members the program stores",
     "struct T { int before; const long k; int after; };\nstruct T t = {1, 70000L, 2};\n",
     "  struct T *p;\n  long k;\n  p = &t;\n  p->before = 7;\n  t.after = p->before + 1;\n  k = p->k;\n"
     "  MARK(0) = k;\n  MARK(1) = k >> 16;\n  MARK(2) = t.before;\n  MARK(3) = t.after;\n",
     {4464, 1, 7, 8}},
};

TEST(ConstMemberRun, ConstMembersReadTheirValues) {
  for (const MarkedProgram &program : kPrograms)
    ExpectMarksAfterRun(program);
}

} // namespace
} // namespace tsw::target
