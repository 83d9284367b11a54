// A program compiled again in the same session: what its own directives
// defined the first time is defined afresh, not found standing.
#include "compcore/program_compile_fixture.h"
#include "compcore/cc_stab/cc_stab.h"

#include <gtest/gtest.h>

#include <string>

namespace tsw::testing {
namespace {

using Recompile = ProgramCompileTest;

std::string ProgramAt(const char *codeOrigin) {
  return std::string("#pragma Corvid\n#rcodorg rc 0 ") + codeOrigin +
         " 0x1000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n#nodebug\nint g;\nint f(void) { g = 2; return g; }\n";
}

uint32_t AddressOfF() {
  const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
  return f ? f->address : 0;
}

TEST_F(Recompile, AProgramDefiningItsOriginsCompilesAgainTheSame) {
  ASSERT_EQ(Compile(ProgramAt("0x1000")), 0) << ::testing::PrintToString(Records());
  const std::string image = dir.Read("PROG.bin");
  const uint32_t first = AddressOfF();
  ASSERT_EQ(Compile(ProgramAt("0x1000")), 0) << ::testing::PrintToString(Records());
  EXPECT_EQ(dir.Read("PROG.bin"), image);
  EXPECT_EQ(AddressOfF(), first);
  // An origin the program moved is where the code goes now.
  ASSERT_EQ(Compile(ProgramAt("0x2000")), 0) << ::testing::PrintToString(Records());
  EXPECT_EQ(Addr24FromLong(AddressOfF()).logical, 0x2000);
}

} // namespace
} // namespace tsw::testing
