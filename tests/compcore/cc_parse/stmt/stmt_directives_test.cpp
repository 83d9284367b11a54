#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_session.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The directives whose handlers the statement compiler serves, compiled
// through CompileFile by the product's compiler.
namespace tsw::testing {
namespace {

class StatementDirectives : public ProgramCompileTest {
protected:
  std::string AllRecords() { return ::testing::PrintToString(Records()); }
};

struct MessageCase {
  const char *what;
  const char *program;
  int16_t kind;
  std::string text; // the one record's text holds it
};

TEST_F(StatementDirectives, MessageDirectivesReportTheirTextInTheirClass) {
  const std::vector<MessageCase> cases = {
      {"#error", "#error \"no clock\"\nint a;\n", kErrorKind, "no clock"},
      {"#error through a macro", "#define WHY \"no clock\"\n#error WHY\n", kErrorKind, "no clock"},
      {"#warns is serious", "#warns \"check the baud rate\"\n", kSeriousWarningKind, "check the baud rate"},
      {"#warnt is trivial", "#warnt \"unused buffer\"\n", kTrivialWarningKind, "unused buffer"},
      // Nothing after #fatal is read.
      {"#fatal ends the compile", "#fatal \"stop here\"\n#error \"after\"\nint b = ;\n", kErrorKind, "stop here"},
  };
  for (const MessageCase &c : cases) {
    Compile(c.program);
    ASSERT_EQ(Records().size(), 1u) << c.what << ": " << AllRecords();
    EXPECT_EQ(ErrorListHead()->kind, c.kind) << c.what;
    EXPECT_NE(ErrorListHead()->text.find(c.text), std::string::npos) << c.what << ": " << AllRecords();
  }
}

TEST_F(StatementDirectives, KillTakesNamesFromTheBiosTableOverSeveralLines) {
  Compile("int a;\n");
  for (const char *name : {"first", "second", "third", "kept"})
    AddBiosSymbol(name, MakeAddr24(0, 0x1234));
  Compile("#KILL first,\n  second,\n\n third\n"
          "#ifdef first\n#error \"first\"\n#endif\n"
          "#ifdef second\n#error \"second\"\n#endif\n"
          "#ifdef third\n#error \"third\"\n#endif\n"
          "#ifndef kept\n#error \"kept\"\n#endif\n");
  EXPECT_TRUE(Records().empty()) << AllRecords();
}

TEST_F(StatementDirectives, TheBiosRecordsEachLibraryItUsesOnceUpperCased) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\A.LIB\n");
  dir.Write("LIB/A.LIB", "/*** beginheader fa */\n/*** endheader */\n");
  dir.Write("BIOS.C", "#use \"a.lib\"\n#use A.LIB\n#use \"A.LIB\"\n");
  BiosFirstFlag() = true;
  ASSERT_EQ(Compile("int g;\n"), 0) << AllRecords();
  EXPECT_EQ(BiosLibraries(), std::vector<std::string>{"A.LIB"});
}

// Nothing in the program calls fa or fb: the directive alone has their
// modules compiled; fc, named nowhere, stays out.
TEST_F(StatementDirectives, PrecompileCompilesTheNamedLibraryFunctions) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\A.LIB\n");
  dir.Write("LIB/A.LIB", "/*** beginheader fa */\nint fa();\n/*** endheader */\nint fa() { return 1; }\n"
                         "/*** beginheader fb */\nint fb();\n/*** endheader */\nint fb() { return 2; }\n"
                         "/*** beginheader fc */\nint fc();\n/*** endheader */\nint fc() { return 3; }\n");
  ASSERT_EQ(Compile("#use \"A.LIB\"\n#precompile fa, fb\nint main(void) { return 0; }\n"), 0) << AllRecords();
  for (const char *name : {"fa", "fb"}) {
    const BRFixupRec *label = FindGlobalLabel(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_TRUE(label->defined) << name;
  }
  EXPECT_EQ(FindGlobalLabel("fc"), nullptr);
  // One message-window line per name.
  EXPECT_EQ(std::ranges::count(messages.lines, std::string("[4006]")), 2) << ::testing::PrintToString(messages.lines);
}

// A BIOS compiled on its own, with no program on the board to start its
// chains, is told so for each chain it adds to; the sections still compile.
TEST_F(StatementDirectives, ChainsOfABiosWithNoProgramAreReported) {
  BiosCompileFlag() = true;
  Compile("void f(void) {\n#GLOBAL_INIT { }\nsegchain ticks { }\n}\n#funcchain ticks f\n");
  BiosCompileFlag() = false;
  size_t reported = 0;
  for (const std::string &record : Records())
    reported += record.find("[2029]") != std::string::npos;
  EXPECT_EQ(reported, 3u) << AllRecords();
}

} // namespace
} // namespace tsw::testing
