#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/xerr.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tsw::testing {
namespace {

// What one compile leaves to the next, and what leaves a compile at all:
// programs compiled through CompileFile as the product assembles the
// compiler, only the shell, the directive shell and the messages ours.
class CompileSession : public ProgramCompileTest {
protected:
  void SetUp() override {
    defaultHeader = kDeclaresNothing;
    ProgramCompileTest::SetUp();
  }
};

// A fault of ours in any stage of a compile, the BIOS's as well as the
// program's, reaches the IDE as an internal error, which it reports; the
// compiler is whole again for the next compile.
TEST_F(CompileSession, AFaultInAnyStageLeavesAsAnInternalError) {
  // Asked once the BIOS text is compiled, where its end is laid out.
  struct FaultyShell : DirectiveShell {
    bool IsProgramLoaded() override { throw std::runtime_error("a fault"); }
  } faulty;
  dir.Write("BIOS.C", "int biosVariable;\n");
  Assemble({.directiveShell = &faulty});
  BiosFirstFlag() = true;
  EXPECT_THROW(Compile("int g;\n"), xInternal);
  Assemble();
  BiosFirstFlag() = false;
  EXPECT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
}

// Constants are folded as the target rounds them, to nearest, whatever the
// host's rounding mode; the host's mode and its exception flags are as
// they were when the compile ends.
TEST_F(CompileSession, FloatConstantsFoldToNearestWhateverTheHostRounding) {
  const std::string program = "const float third = 1.0 / 3.0;\n"
                              "const float sum = 0.1 + 0.2;\n"
                              "const float wide = 16777217L;\n"
                              "const float tenth = 0.1;\n";
  const char *const names[] = {"third", "sum", "wide", "tenth"};
  struct Folded {
    std::vector<std::vector<uint8_t>> bytes;
    int roundingAfter, raisedAfter;
  };
  // The host holds a flag of its own when the compile starts.
  constexpr int kHostFlag = FE_DIVBYZERO;
  auto compile = [&](int rounding) {
    shell.compilePath = dir.Write("PROG.C", program);
    EXPECT_EQ(std::fesetround(rounding), 0);
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(kHostFlag);
    const uint16_t status = CompileFile(1);
    Folded folded{{}, std::fegetround(), std::fetestexcept(FE_ALL_EXCEPT)};
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(status, 0) << ::testing::PrintToString(Records());
    for (const char *name : names) {
      const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
      std::vector<uint8_t> value(4);
      EXPECT_TRUE(symbol && ReadEmittedBytes(Addr24FromLong(symbol->address), 4, value.data())) << name;
      folded.bytes.push_back(value);
    }
    return folded;
  };
  const Folded nearest = compile(FE_TONEAREST);
  EXPECT_EQ(nearest.bytes[0], (std::vector<uint8_t>{0xAB, 0xAA, 0xAA, 0x3E}));
  EXPECT_EQ(nearest.bytes[2], (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x4B}));
  struct Mode {
    const char *what;
    int rounding;
  };
  for (const Mode mode : {Mode{"upward", FE_UPWARD}, Mode{"downward", FE_DOWNWARD}, Mode{"toward zero", FE_TOWARDZERO}}) {
    const Folded underMode = compile(mode.rounding);
    EXPECT_EQ(underMode.bytes, nearest.bytes) << mode.what;
    EXPECT_EQ(underMode.roundingAfter, mode.rounding) << mode.what;
    EXPECT_EQ(underMode.raisedAfter, kHostFlag) << mode.what;
  }
}

// Each compile starts from its own state, however the compile before it
// ended: inside conditional groups, with macros of its own, stopped by
// #fatal or by a limit inside nested statements and brackets. The next
// program lists what it lists in a fresh compiler.
TEST_F(CompileSession, NothingOfACompileReachesTheNext) {
  // The deepest nesting of statements a compile takes, and one deeper.
  auto nested = [](size_t depth) {
    return "void deep() {" + std::string(depth, '{') + std::string(depth, '}') + "}\n";
  };
  constexpr size_t kDeepest = 512;
  struct Case {
    const char *what;
    std::string first;
    std::string next;
  };
  const Case cases[] = {
      {"unclosed groups", "#if 0\n#if 1\nint a;\n", "int g;\n"},
      {"#fatal in a group", "#if 1\n#ifdef X\n#else\n#fatal \"stop\"\n", "int g;\n#endif\n"},
      {"its own macros", "#define LEAKED 1\n", "#ifdef LEAKED\nint leaked;\n#endif\nint g;\n"},
      {"#fatal in nested statements", "void f() { { { if (1) { g(1, (2\n#fatal \"stop\"\n", nested(kDeepest)},
      {"the nesting limit", nested(kDeepest + 1), nested(kDeepest)},
  };
  for (const Case &c : cases) {
    Assemble();
    Compile(c.next);
    const std::vector<std::string> fresh = Records();
    Assemble();
    Compile(c.first);
    ClearErrorList();
    Compile(c.next);
    EXPECT_EQ(Records(), fresh) << c.what;
    EXPECT_EQ(LookupSymbol("leaked", false, SymbolTableId::kGlobal), nullptr) << c.what;
  }
}

// The IDE's choices reach the compile as its target macros: the project's
// DEFINES (however long the list), the memory mode, the watch-code
// restriction and the board a compile without a board assumes. The BIOS
// compile defines them; the program compiled after it keeps them.
TEST_F(CompileSession, TheIdesChoicesBecomeTheTargetMacros) {
  FakeDirectiveShell choosing;
  choosing.memoryMode = 1;
  choosing.restrictWatchCode = true;
  choosing.withoutBoard = true;
  choosing.offlineBoard = {0x1234, 18432000, 16 * 32, 64 * 32};
  choosing.macros = {"SPEED", "9600", "NO_VALUE", "", "", "NAMELESS"};
  // Far longer than any line a settings file was once read with.
  for (int i = 0; i < 150; ++i)
    choosing.macros.insert(choosing.macros.end(), {"PROJECT_NAME_" + std::to_string(i), std::to_string(i)});
  choosing.macros.push_back("TRAILING_NAME");
  dir.Write("BIOS.C", "int biosVariable;\n");
  Assemble({.directiveShell = &choosing});
  BiosFirstFlag() = true;
  ASSERT_EQ(Compile("#if SPEED == 9600 && _RAM_\nint fast;\n#endif\n"), 0) << ::testing::PrintToString(Records());
  EXPECT_NE(LookupSymbol("fast", false, SymbolTableId::kGlobal), nullptr);
  const std::pair<const char *, const char *> macros[] = {
      {"SPEED", "9600"},
      {"PROJECT_NAME_0", "0"},
      {"PROJECT_NAME_149", "149"},
      {"_RAM_", "1"},
      {"_RESTRICT_WATCHCODE_", "1"},
      {"_BOARD_TYPE_", "4660"},
      {"_CRYSTAL_SPEED_", "18432000"},
      {"_FREQ_DIV_19200_", "30"},
      {"_RAM_SIZE_", "128"},
      {"_FLASH_SIZE_", "512"},
      // A name without a value, or a value without a name, defines nothing.
      {"NO_VALUE", nullptr},
      {"NAMELESS", nullptr},
      {"TRAILING_NAME", nullptr},
      {"_FLASH_", nullptr},
  };
  for (const auto &[name, body] : macros) {
    const char *defined = IsMacroDefined(name);
    if (!body) {
      EXPECT_EQ(defined, nullptr) << name;
      continue;
    }
    ASSERT_NE(defined, nullptr) << name;
    EXPECT_STREQ(defined, body) << name;
  }
}

} // namespace
} // namespace tsw::testing
