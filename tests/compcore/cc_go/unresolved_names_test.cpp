// Names the program uses but nothing defines, and names it shares with
// the library, end to end through the compiler the product assembles: a
// call of a name nothing defines would jump to address 0 on the board, so
// the compile must fail and say which name, and where it was declared.
#include "compcore/cc_go/compile.h"
#include "compcore/fixture_runtime.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  const char *name;
  int declaration; // its line among the program's own; 0: nothing declares the name
};

const UnresolvedCase kUnresolvedCases[] = {
    {"a called function only declared", "int f(void);\nint main(void) { return f(); }\n", "f", 1},
    {"declared after a blank line", "\nint twice(int);\nint main(void) { return twice(2); }\n", "twice", 2},
    {"an assembler call of a name defined nowhere", "int main(void) {\n#asm\n call nowhere_\n#endasm\n return 0; }\n",
     "nowhere_", 0},
    // The first of two in the order they were first used.
    {"two names", "int f(void);\nint g(void);\nint main(void) { return g() + f(); }\n", "g", 2},
};

class UnresolvedNames : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    texts_.ShowNumberAndArguments(kMsgUnresolvedGlobal);
    texts_.ShowNumberAndArguments(kMsgLibraryAlsoDefines);
  }
};

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
      EXPECT_EQ(Records(), std::vector<std::string>{dir / "PROG.C" + ":" + std::to_string(line) + ":E|PROG.C|785 " +
                                                    c.name});
      // Nothing of a failed compile reaches the image.
      EXPECT_FALSE(std::filesystem::exists(dir / "PROG.bin"));
    }
}

// A library module the program pulls in is compiled before the names are
// checked, and a name the module itself leaves undefined is listed under the
// library, at its declaration there.
TEST_F(UnresolvedNames, LibraryModulesAreLinkedBeforeTheCheckAndTheirOwnNamesAreListedUnderThem) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\UTIL.LIB\n");
  dir.Write("LIB/UTIL.LIB", "/*** beginheader helper */\nint helper(int x);\n/*** endheader */\n"
                            "int helper(int x) { return x + 1; }\n"
                            "/*** beginheader broken */\nint broken(void);\nint lost(void);\n/*** endheader */\n"
                            "int broken(void) { return lost(); }\n");
  EXPECT_EQ(Compile("#use \"UTIL.LIB\"\nint main(void) { return helper(1); }\n"), 0)
      << ::testing::PrintToString(Records());
  EXPECT_NE(LabelAddress("helper"), 0);

  EXPECT_NE(Compile("#use \"UTIL.LIB\"\nint main(void) { return broken(); }\n") & kCompileFailedBit, 0);
  EXPECT_EQ(Records(), std::vector<std::string>{dir / "LIB/UTIL.LIB" + ":7:E|UTIL.LIB|785 lost"});
}

// After another error a name left undefined is most likely that error's:
// only the error is listed.
TEST_F(UnresolvedNames, AnEarlierErrorIsListedAlone) {
  Compile(std::string(kCorvidRoot) + "int f(void);\nint main(void) { return f() + nothere; }\n");
  const std::vector<std::string> records = Records();
  ASSERT_FALSE(records.empty());
  for (const std::string &record : records)
    EXPECT_EQ(record.find("785"), std::string::npos) << record;
}

// The line of a module's header in the default header's text, counted
// from 1.
int HeaderLineOf(const std::string &name) {
  const std::string library = FixtureRuntimeLibrary();
  const size_t at = library.find("/*** beginheader " + name + " */");
  return at == std::string::npos ? 0 : int(std::count(library.begin(), library.begin() + std::ptrdiff_t(at), '\n')) + 1;
}

// A program that defines a name a library module also defines is warned:
// its definition wins over the module. "main" is the program's whatever
// its case; other names are compared exactly.
TEST_F(UnresolvedNames, AProgramDefiningALibrarysNameIsWarned) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\MAINS.LIB\n");
  dir.Write("LIB/MAINS.LIB", "/*** beginheader main, MAIN */\n/*** endheader */\n#asm\nmain::\nMAIN::\n ret\n#endasm\n");
  struct Case {
    const char *what;
    const char *program;
    std::vector<std::string> records;
  } cases[] = {
      {"a run-time routine's name", "int c_neg(int x) { return x; }\nint main(void) { return c_neg(1); }\n",
       {dir / "PROG.C" + ":1:W|PROG.C|3033 c_neg c_neg " + std::to_string(HeaderLineOf("c_neg")) + " DEFAULT.H"}},
      {"its name in another case", "int C_neg(int x) { return x; }\nint main(void) { return C_neg(1); }\n", {}},
      {"main", "#use \"MAINS.LIB\"\nint main(void) { return 0; }\n", {}},
      {"MAIN", "#use \"MAINS.LIB\"\nint MAIN(void) { return 0; }\nint main(void) { return MAIN(); }\n", {}},
  };
  for (const Case &c : cases) {
    Compile(c.program);
    EXPECT_EQ(Records(), c.records) << c.what;
  }
}

} // namespace
} // namespace tsw::testing
