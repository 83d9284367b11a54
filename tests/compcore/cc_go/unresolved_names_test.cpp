// Names the program uses but nothing defines, end to end through the
// compiler the product assembles: such a call would jump to address 0 on
// the board, so the compile must fail and say which name, and where it was
// declared.
#include "compcore/cc_go/compile.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

constexpr const char *kCorvidRoot =
    "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n";

struct Processor {
  const char *name;
  const char *prefix; // the lines before the program's own
  int prefixLines;
};

const Processor kProcessors[] = {{"Corvid", kCorvidRoot, 3}, {"Z180", "", 0}};

struct UnresolvedCase {
  const char *what;
  const char *program;
  int line;       // of the record, counted in the program's own lines; 0: line 1 of no file
  bool atDeclaration; // the record names the program file
};

const UnresolvedCase kUnresolvedCases[] = {
    {"a called function only declared", "int f(void);\nint main(void) { return f(); }\n", 1, true},
    {"declared after a blank line", "\nint twice(int);\nint main(void) { return twice(2); }\n", 2, true},
    {"an assembler call of a name defined nowhere", "int main(void) {\n#asm\n call nowhere_\n#endasm\n return 0; }\n", 0,
     false},
};

using UnresolvedNames = ProgramCompileTest;

TEST_F(UnresolvedNames, DISABLED_ANameUsedButNeverDefinedFailsTheCompileWith785) {
  for (const Processor &cpu : kProcessors)
    for (const UnresolvedCase &c : kUnresolvedCases) {
      SCOPED_TRACE(std::string(cpu.name) + ": " + c.what);
      TearDown();
      SetUp();
      const uint16_t status = Compile(std::string(cpu.prefix) + c.program);
      EXPECT_NE(status & kCompileFailedBit, 0);
      const std::string where = c.atDeclaration
                                    ? dir / "PROG.C" + ":" + std::to_string(c.line + cpu.prefixLines) + ":F|PROG.C|[785]"
                                    : std::string("");
      const std::vector<std::string> records = Records();
      ASSERT_EQ(records.size(), 1u) << ::testing::PrintToString(records);
      if (c.atDeclaration)
        EXPECT_EQ(records[0], where);
      else
        EXPECT_NE(records[0].find(":1:"), std::string::npos) << records[0];
      EXPECT_NE(records[0].find("[785]"), std::string::npos) << records[0];
    }
}

} // namespace
} // namespace tsw::testing
