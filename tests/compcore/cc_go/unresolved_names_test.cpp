// Names the program uses but nothing defines, end to end through the
// compiler the product assembles: such a call would jump to address 0 on
// the board, so the compile must fail and say which name, and where it was
// declared.
#include "compcore/cc_go/compile.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
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
  int declaration; // its line among the program's own; 0: nothing declares the name
};

const UnresolvedCase kUnresolvedCases[] = {
    {"a called function only declared", "int f(void);\nint main(void) { return f(); }\n", 1},
    {"declared after a blank line", "\nint twice(int);\nint main(void) { return twice(2); }\n", 2},
    {"an assembler call of a name defined nowhere", "int main(void) {\n#asm\n call nowhere_\n#endasm\n return 0; }\n", 0},
};

using UnresolvedNames = ProgramCompileTest;

TEST_F(UnresolvedNames, ANameUsedButNeverDefinedFailsTheCompileWith785) {
  for (const Processor &cpu : kProcessors)
    for (const UnresolvedCase &c : kUnresolvedCases) {
      SCOPED_TRACE(std::string(cpu.name) + ": " + c.what);
      TearDown();
      SetUp();
      const uint16_t status = Compile(std::string(cpu.prefix) + c.program);
      EXPECT_NE(status & kCompileFailedBit, 0);
      // A name no declaration holds is reported at the program's start.
      const int line = c.declaration ? c.declaration + cpu.prefixLines : 1;
      EXPECT_EQ(Records(), std::vector<std::string>{dir / "PROG.C" + ":" + std::to_string(line) + ":E|PROG.C|[785]"});
      // Nothing of a failed compile reaches the image.
      EXPECT_FALSE(std::filesystem::exists(dir / "PROG.bin"));
    }
}

} // namespace
} // namespace tsw::testing
