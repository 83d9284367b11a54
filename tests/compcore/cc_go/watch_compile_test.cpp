#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Watch statements compiled after the program compile, in the scope of one
// of its functions, into the board's watch code area.
namespace tsw::testing {
namespace {

constexpr uint16_t kWatchArea = 0xC800;
constexpr uint16_t kWatchRoom = 0x100;
constexpr uint16_t kWatchVariables = 0xCF00;
// The kernel's result variable the statement hands ReturnWatchValue.
constexpr const char *kResultPointer = "(void *)0x0000C000";

// In root code: the fixture library has no bank-switching routine.
constexpr const char *kProgram = "#memmap root\n"
                                 "int g;\n"
                                 "void ReturnWatchValue(void *result, ...) { }\n"
                                 "int twice(int n) {\n"
                                 "  int doubled;\n"
                                 "  doubled = n + n;\n"
                                 "  return doubled;\n"
                                 "}\n"
                                 "int main(void) { g = twice(3); return 0; }\n";

class WatchCompile : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    ASSERT_EQ(Compile(Program()), 0) << ::testing::PrintToString(Records());
  }
  virtual std::string Program() const { return kProgram; }
  static uint16_t AddressOf(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }
  // The statement of a watch of `expression` compiled in the function
  // `scope`, at `at` in the watch area.
  WatchCompileResult CompileIn(const char *scope, const std::string &expression, uint16_t at = kWatchArea) {
    const CompiledFunctionRecord *function = FunctionAt(MakeAddr24(0, AddressOf(scope)));
    EXPECT_NE(function, nullptr) << scope;
    if (!function)
      return {};
    MarkCompileStopPosition(function->recordedWord, function->recordedByte);
    WatchCompileRequest request;
    request.statement = fmt::format("ReturnWatchValue({}, {});", kResultPointer, expression);
    request.codeAddress = MakeAddr24(0, at);
    request.codeRoom = kWatchRoom;
    request.variableAddress = MakeAddr24(0, kWatchVariables);
    request.staticLocals = function->third;
    return CompileWatchStatement(request);
  }
  static std::vector<uint8_t> Fragment(uint16_t from, const WatchCompileResult &result) {
    std::vector<uint8_t> bytes(size_t(result.codeEnd.logical - from));
    EXPECT_TRUE(ReadEmittedPhysical(from, uint32_t(bytes.size()), bytes.data()));
    return bytes;
  }
};

std::string Hex4(uint16_t value) { return fmt::format("{:04X}", value); }

TEST_F(WatchCompile, AGlobalIsHandedToReturnWatchValueWithTheResultPointer) {
  const WatchCompileResult result = CompileIn("main", "g");
  EXPECT_EQ(result.count, 1);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Fragment(kWatchArea, result),
                        {"ld    hl,(" + Hex4(AddressOf("g")) + ")", "push  hl", "ld    hl,C000", "push  hl",
                         "call  " + Hex4(AddressOf("ReturnWatchValue")), "pop   af", "pop   af", "ret"},
                        {}, kWatchArea));
}

// A literal the statement names lives in the fragment, behind its code:
// the program's string pool is not the watch's.
TEST_F(WatchCompile, ALiteralStandsInTheFragmentBehindItsCode) {
  const WatchCompileResult result = CompileIn("main", "\"ab\"");
  const std::vector<uint8_t> bytes = Fragment(kWatchArea, result);
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 3, bytes.end()), (std::vector<uint8_t>{'a', 'b', 0}));
  const uint16_t literal = uint16_t(kWatchArea + bytes.size() - 3);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, std::vector<uint8_t>(bytes.begin(), bytes.end() - 3),
                        {"ld    hl," + Hex4(literal), "push  hl", "ld    hl,C000", "push  hl",
                         "call  " + Hex4(AddressOf("ReturnWatchValue")), "pop   af", "pop   af", "ret"},
                        {}, kWatchArea));
}

// The fragment runs with the kernel's return address above the stopped
// function's frame: its parameter and its local lie two bytes further from
// SP than the function's own code finds them (n at SP+4 above the local and
// the return, doubled at SP+0), and the count says the value is the
// function's.
TEST_F(WatchCompile, ParametersAndLocalsAreReadThroughTheStoppedFunctionsFrame) {
  struct Case {
    const char *expression;
    const char *offset;
  };
  for (const Case &c : {Case{"n", "0006"}, Case{"doubled", "0002"}}) {
    const WatchCompileResult result = CompileIn("twice", c.expression);
    EXPECT_EQ(result.count, 2) << c.expression;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Fragment(kWatchArea, result),
                          {fmt::format("ld    hl,{}", c.offset), "add   hl,sp", "ld    a,(hl)", "inc   hl",
                           "ld    h,(hl)", "ld    l,a", "push  hl", "ld    hl,C000", "push  hl",
                           "call  " + Hex4(AddressOf("ReturnWatchValue")), "pop   af", "pop   af", "ret"},
                          {}, kWatchArea))
        << c.expression;
  }
}

// A diagnostic is thrown with its own text (the test catalogue writes the
// number); a call of a function nobody defined would jump to 0 on the
// board. Neither leaves a symbol behind, and the next watch compiles.
TEST_F(WatchCompile, AStatementThatFailsThrowsItsTextAndEntersNothing) {
  struct Case {
    const char *expression;
    unsigned message;
  };
  const Case cases[] = {{"nosuch + 1", kMsgUndeclaredName}, {"nosuch()", kMsgWatchUnresolved}};
  for (const Case &c : cases) {
    try {
      CompileIn("main", c.expression);
      ADD_FAILURE() << c.expression << ": no exception";
    } catch (const xWatch &failure) {
      EXPECT_NE(failure.FreeText().find(fmt::format("[{}]", c.message)), std::string::npos)
          << c.expression << ": " << failure.FreeText();
    }
    EXPECT_EQ(LookupSymbol("nosuch", false, SymbolTableId::kGlobal), nullptr) << c.expression;
    const WatchCompileResult result = CompileIn("main", "g");
    EXPECT_EQ(result.count, 1) << c.expression;
    EXPECT_GT(result.codeEnd.logical, kWatchArea) << c.expression;
  }
}

TEST_F(WatchCompile, FragmentsFollowEachOtherAndTheProgramStaysAsCompiled) {
  // Where the debugger stops for twice's statements, read again by each
  // watch in its scope.
  const std::string program = dir.path() + "/PROG.C";
  const ADDR24 assigns = FindAddressForSource(program, 6, 3);
  const ADDR24 returns = FindAddressForSource(program, 7, 3);
  ASSERT_NE(assigns.logical, 0);
  const WatchCompileResult first = CompileIn("main", "g");
  const WatchCompileResult second = CompileIn("twice", "n", first.codeEnd.logical);
  EXPECT_EQ(second.count, 2);
  EXPECT_GT(second.codeEnd.logical, first.codeEnd.logical);
  // A watch defines nothing of its function anew.
  const CompiledFunctionRecord *twice = FunctionAt(MakeAddr24(0, AddressOf("twice")));
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice->start.logical, AddressOf("twice"));
  EXPECT_EQ(CompiledFunctions().size(), 3u);
  EXPECT_EQ(Addr24ToLong(FindAddressForSource(program, 6, 3)), Addr24ToLong(assigns));
  EXPECT_EQ(Addr24ToLong(FindAddressForSource(program, 7, 3)), Addr24ToLong(returns));
}

// The Corvid's program gives the watch code an origin of its own: the
// fragments go there, and the compile tells the IDE where it lies.
class WatchCompileCorvid : public WatchCompile {
protected:
  std::string Program() const override {
    return "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n"
           "#wcodorg wc 0 0x3000 0x100 apply\n#memmap root\n" +
           std::string(kProgram);
  }
};

TEST_F(WatchCompileCorvid, TheWatchCodeOriginTakesTheFragments) {
  constexpr uint16_t kOrigin = 0x3000;
  EXPECT_EQ(LastCompileInformation().watchCodeStart, kOrigin);
  const WatchCompileResult result = CompileIn("main", "g", kOrigin);
  EXPECT_EQ(result.count, 1);
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Fragment(kOrigin, result),
                        {"ld    hl,(" + Hex4(AddressOf("g")) + ")", "push  hl", "ld    hl,C000", "push  hl",
                         "call  " + Hex4(AddressOf("ReturnWatchValue")), "add   sp,04", "ret"},
                        {}, kOrigin));
}

} // namespace
} // namespace tsw::testing
