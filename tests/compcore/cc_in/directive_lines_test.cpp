#include "compcore/cc_stab/cc_stab.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Directives that expand macros in their operand, compiled as whole
// programs by the product: the expansion ends at the directive's own line.
namespace tsw::testing {
namespace {

class DirectiveLines : public ProgramCompileTest {};

// A function-like macro at the end of a directive line would take its
// arguments from the next line, which would then vanish into the
// directive. The next line is a line of its own: outside a group its
// mistakes are reported on it and the line after it compiles; in a group
// the directive keeps false, it is skipped with the group.
TEST_F(DirectiveLines, AMacroCallEndsWithTheDirectivesLine) {
  struct Case {
    const char *directive;
    unsigned nextLine;
    bool compiled; // the next line and the one after it
  };
  const Case cases[] = {
      {"#pragma F", 3, true},        {"#memmap F", 3, true}, {"#class F", 3, true},
      {"#use F", 3, true},           {"#if 0\n#elif F", 4, false},
  };
  for (const Case &c : cases) {
    Compile(std::string("#define F(x) x\n") + c.directive + "\n(1)\nint after;\n" + (c.compiled ? "" : "#endif\n"));
    bool reportedOnNextLine = false;
    for (const std::string &record : Records())
      reportedOnNextLine =
          reportedOnNextLine || record.rfind(dir / "PROG.C" + ":" + std::to_string(c.nextLine) + ":", 0) == 0;
    EXPECT_EQ(reportedOnNextLine, c.compiled) << c.directive << ": " << ::testing::PrintToString(Records());
    EXPECT_EQ(LookupSymbol("after", false, SymbolTableId::kGlobal) != nullptr, c.compiled) << c.directive;
  }
}

} // namespace
} // namespace tsw::testing
