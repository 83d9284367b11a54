#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/expr/expr_argument_text.h"
#include "compcore/cc_parse/stmt/function_body.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// Calls as a program has them, compiled by the product's assembly and
// decoded: what is pushed in which order, the call, and the stack put back.
namespace tsw::testing {

namespace {

constexpr uint16_t kRootCode = 0x1000;

class CallCompile : public ProgramCompileTest {
protected:
  // The multitasking statements' state is the test's while it runs.
  ~CallCompile() override {
    CofunctionCalls() = {};
    SetCoBufferLoader(nullptr);
  }
  // Each program on a fresh compiler: a program compile keeps the origins
  // its directives defined.
  uint16_t CompileFresh(const std::string &program, TargetCpu cpu = TargetCpu::Corvid) {
    TearDown();
    SetUp();
    AddBiosSymbol("biosf", MakeAddr24(0, 0x4321));
    return Compile(std::string(cpu == TargetCpu::Corvid ? kCorvidRoot : kZ180Root) + program);
  }
  // The named function's code up to its first return, as emitted: a
  // compile that failed has it too.
  std::vector<std::string> ListingOf(const char *name, TargetCpu cpu = TargetCpu::Corvid) {
    std::vector<uint8_t> bytes;
    const uint16_t start = AddressOf(name);
    uint8_t byte = 0;
    while (bytes.size() < kListingReach && ReadEmittedBytes(MakeAddr24(0, uint16_t(start + bytes.size())), 1, &byte))
      bytes.push_back(byte);
    if (bytes.empty())
      ADD_FAILURE() << name << " was not emitted";
    std::vector<std::string> lines = DecodeAll(cpu, bytes, AddressOf(name));
    const auto ret = std::find(lines.begin(), lines.end(), "ret");
    lines.erase(ret == lines.end() ? ret : ret + 1, lines.end());
    return lines;
  }
  // A function's address is its label's; a variable's its symbol's.
  static uint16_t AddressOf(const char *name) {
    if (const BRFixupRec *label = FindGlobalLabel(name); label && label->defined)
      return Addr24FromLong(label->value).logical;
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }
  static constexpr uint32_t kListingReach = 1024;

  static constexpr const char *kCorvidRoot =
      "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0xC000 0x1000 apply\n"
      "#memmap root\n#nodebug\n";
  // The fixture's own origins, behind its start-up area.
  static constexpr const char *kZ180Root = "#memmap root\n#nodebug\n";
};

struct CallCase {
  const char *what;
  const char *program;
  // The listing of h, which makes the calls; "{g}" and the like stand for
  // the addresses of globals.
  std::vector<std::string> code;
};

std::vector<std::string> WithAddresses(const std::vector<std::string> &code) {
  auto address = [](const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return fmt::format("{:04X}", symbol ? Addr24FromLong(symbol->address).logical : 0);
  };
  // The high word of a long.
  auto highWord = [](const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return fmt::format("{:04X}", symbol ? uint16_t(Addr24FromLong(symbol->address).logical + 2) : 0);
  };
  const BRFixupRec *callee = FindGlobalLabel("f");
  const std::string f = fmt::format("{:04X}", callee ? Addr24FromLong(callee->value).logical : 0);
  std::vector<std::string> lines;
  for (const std::string &line : code)
    lines.push_back(fmt::format(fmt::runtime(line), fmt::arg("g", address("g")), fmt::arg("s", address("s")),
                                fmt::arg("fp", address("fp")), fmt::arg("a", address("a")), fmt::arg("f", f),
                                fmt::arg("c", address("c")), fmt::arg("g_hi", highWord("g"))));
  return lines;
}

// Arguments are pushed last to first, each at least a word, and taken off
// the stack after the call; a structure argument is copied into stack space
// of its size. The callees come first, from 1000 on.
TEST_F(CallCompile, ArgumentsArePushedLastFirstAndRemovedAfterTheCall) {
  const CallCase cases[] = {
      {"no arguments", "void f(void) { }\nvoid h(void) { f(); }\n", {"call  1000", "ret"}},
      {"two constants", "void f(int a, int b) { }\nvoid h(void) { f(1, 2); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,0001", "push  hl", "call  1000", "add   sp,04", "ret"}},
      {"a char takes a word", "void f(char a) { }\nvoid h(void) { f('a'); }\n",
       {"ld    hl,0061", "push  hl", "call  1000", "add   sp,02", "ret"}},
      {"a long takes two", "void f(int a, long b) { }\nvoid h(void) { f(1, 2L); }\n",
       {"ld    de,0002", "ld    bc,0000", "push  bc", "push  de", "ld    hl,0001", "push  hl", "call  1000",
        "add   sp,06", "ret"}},
      {"a global", "int g;\nvoid f(int a) { }\nvoid h(void) { f(g); }\n",
       {"ld    hl,({g})", "push  hl", "call  1000", "add   sp,02", "ret"}},
      // The local's offset from SP grows by the words pushed before it is read.
      {"a local", "void f(int a, int b) { }\nvoid h(void) { int x; x = 5; f(x, x); }\n",
       {"add   sp,FE", "ld    hl,0005", "ld    (sp+0),hl", "ld    hl,(sp+0)", "push  hl", "ld    hl,(sp+2)",
        "push  hl", "call  1000", "add   sp,04", "add   sp,02", "ret"}},
      {"a structure is copied", "struct S { int a, b, c; } s;\nvoid f(struct S x) { }\nvoid h(void) { f(s); }\n",
       {"add   sp,FA", "ld    hl,0000", "add   hl,sp", "ex    de,hl", "ld    hl,{s}", "ld    bc,0006", "ldir",
        "call  1000", "add   sp,06", "ret"}},
      {"a call as argument", "int g1(int x) { return x; }\nvoid f(int a, int b) { }\nvoid h(void) { f(g1(1), 2); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,0001", "push  hl", "call  1000", "add   sp,02", "push  hl",
        "call  1003", "add   sp,04", "ret"}},
      // Commas inside a string literal or parentheses separate nothing, and
      // the list goes on over the next line. The string follows the code.
      {"literal, parentheses, two lines", "void f() { }\nvoid h(void) { f(\"a,b\",\n (1, 2)); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,100F", "push  hl", "call  1000", "add   sp,04", "ret"}},
      // The space of a structure result is reserved before the call and
      // released by the statement that does not use it.
      {"structure result", "struct S { int a, b, c; } s;\nstruct S mk(void) { return s; }\nvoid h(void) { mk(); }\n",
       {"add   sp,FA", "call  1000", "add   sp,06", "ret"}},
      // Through a pointer: the pointer is pushed first; with arguments above
      // it, a copy comes to the top, where the return address replaces it.
      {"pointer, no arguments", "int (*fp)();\nvoid h(void) { fp(); }\n",
       {"ld    hl,({fp})", "push  hl", "ld    hl,100A", "ex    (sp),hl", "jp    (hl)", "ret"}},
      {"pointer with an argument", "int (*fp)();\nvoid h(void) { fp(3); }\n",
       {"ld    hl,({fp})", "push  hl", "ld    hl,0003", "push  hl", "ld    hl,(sp+2)", "push  hl", "ld    hl,1011",
        "ex    (sp),hl", "jp    (hl)", "add   sp,04", "ret"}},
  };
  for (const CallCase &c : cases) {
    ASSERT_EQ(CompileFresh(c.program), 0) << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(ListingOf("h"), WithAddresses(c.code)) << c.what;
    EXPECT_EQ(LiveArgumentCopies(), 0u) << c.what;
  }
}

// The call's target: the BIOS's address when the BIOS has the name, even
// over the program's own function; a function placed later through the
// patched reference (with the pad a longer call may take); the pseudo
// functions emit nothing.
TEST_F(CallCompile, NamedCallsReachTheirTarget) {
  const CallCase cases[] = {
      {"defined later", "void f(void);\nvoid h(void) { f(); }\nvoid f(void) { }\n",
       {"call  1005", "nop", "ret"}},
      {"BIOS first", "void biosf(void);\nvoid biosf(void) { }\nvoid h(void) { biosf(); }\n", {"call  4321", "ret"}},
      {"pseudo functions", "void FPUSH();\nvoid FNULL();\nvoid h(void) { FPUSH(); FNULL(); }\n", {"ret"}},
  };
  for (const CallCase &c : cases) {
    ASSERT_EQ(CompileFresh(c.program), 0) << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(ListingOf("h"), c.code) << c.what;
  }
}

// The message numbers the compile recorded, in order.
std::vector<unsigned> MessageNumbers(const std::vector<std::string> &records) {
  std::vector<unsigned> numbers;
  for (const std::string &r : records) {
    const size_t open = r.rfind('[');
    if (open != std::string::npos)
      numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
  }
  return numbers;
}

std::string Nested(const char *name, int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i)
    text += std::string(name) + "(";
  text += "1";
  for (int i = 0; i < depth; ++i)
    text += ")";
  return text;
}

// Each fault is reported once, where it stands, and the statement after it
// still compiles: a list is never read past the statement that holds it.
TEST_F(CallCompile, FaultsAreReportedOnceAndTheNextStatementCompiles) {
  const std::string deepest = Nested("f", int(kMaxLiveArgumentCopies));
  const std::string tooDeep = Nested("f", int(kMaxLiveArgumentCopies) + 1);
  struct Case {
    const char *what;
    std::string program;
    std::vector<unsigned> messages;
  } cases[] = {
      {"not a function", "int g;\nvoid k(void) { }\nvoid h(void) { g(1); k(); }\n", {kMsgNotCallable}},
      {"structure result through a pointer",
       "struct S { int a, b; };\nstruct S (*fp)();\nvoid k(void) { }\nvoid h(void) { fp(); k(); }\n",
       {kMsgStructResultThroughPointer}},
      // The bracket tracker reports the open parenthesis on its own.
      {"list without ')'", "void f(int a) { }\nvoid k(void) { }\nvoid h(void) { f(1; k(); }\n",
       {kMsgBraceNotClosed, kMsgMismatch, kMsgCharExpected}},
      {"two expressions in one argument", "void f(int a) { }\nvoid k(void) { }\nvoid h(void) { f(1 2); k(); }\n",
       {kMsgCharExpected}},
      {"copies nested to the limit", "int f(int a) { return a; }\nvoid k(void) { }\nvoid h(void) { " + deepest +
                                         "; k(); }\n",
       {}},
      {"one copy beyond", "int f(int a) { return a; }\nvoid k(void) { }\nvoid h(void) { " + tooDeep + "; k(); }\n",
       {kMsgTooManyArgumentCopies}},
  };
  for (const Case &c : cases) {
    CompileFresh(c.program);
    EXPECT_EQ(MessageNumbers(Records()), c.messages) << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(LiveArgumentCopies(), 0u) << c.what;
    // k() is the last statement; its call comes just before the return.
    const std::vector<std::string> code = ListingOf("h");
    ASSERT_GE(code.size(), 2u) << c.what;
    EXPECT_EQ(code[code.size() - 2], fmt::format("call  {:04X}", AddressOf("k"))) << c.what
                                                                                  << ::testing::PrintToString(code);
  }
}

// Where only a constant may stand, a call is none, and it costs no code.
TEST_F(CallCompile, ACallIsNoConstant) {
  ASSERT_NE(CompileFresh("int f(int a) { return a; }\nconst int x = f(1);\nvoid h(void) { }\n"), 0);
  EXPECT_EQ(MessageNumbers(Records()), std::vector<unsigned>{kMsgNotConstant}) << ::testing::PrintToString(Records());
  // Between f's return and h lie only x's two bytes, a constant's in the
  // code.
  EXPECT_EQ(ListingOf("f"), (std::vector<std::string>{"ld    hl,(sp+2)", "ret"}));
  EXPECT_EQ(AddressOf("h"), AddressOf("f") + 5);
  EXPECT_EQ(LiveArgumentCopies(), 0u);
}

// The function compiler with what a test sets up before each body, as the
// declarations and the statements around a call would.
class PreparedBodies : public FunctionCompilerBackEnd {
public:
  bool CompileFunctionBody(int style, int16_t type, int16_t storage, uint16_t memory) override {
    if (beforeBody)
      beforeBody();
    return FunctionCompilerBackEnd::CompileFunctionBody(style, type, storage, memory);
  }
  std::function<void()> beforeBody;
};

// What the calls reach, placed behind the caller.
constexpr const char *kCofunctionStandIn = "#asm\ncf::\n ret\n#endasm\n";

// "{callee}" in a listing stands for the called function's address.
std::vector<std::string> Calling(std::vector<std::string> code, uint16_t callee) {
  for (std::string &line : code)
    line = fmt::format(fmt::runtime(line), fmt::arg("callee", fmt::format("{:04X}", callee)));
  return code;
}

class CofunctionCallCompile : public CallCompile {
protected:
  CofunctionCallCompile() { backEnd = &prepared; }
  PreparedBodies prepared;
};

// The bytes of the cofunction protocol around a call, in a waitfordone
// whose task buffer lies at 5000: the argument code runs only when the
// cofunction is ready, the item number and the buffer go with the call, and
// the carry after it says who removes the arguments.
TEST_F(CofunctionCallCompile, CofunctionCallsCarryTheirItemBufferAndLock) {
  struct Case {
    const char *what;
    uint8_t instances;
    bool singleUser;
    bool inWaitfordone;
    std::vector<std::string> code;
    std::vector<unsigned> messages;
  } cases[] = {
      {"cofunction", 1, false, true,
       {"ld    hl,5000", "bit   7,(hl)", "jp    z,100C", "ld    hl,0007", "push  hl", "ld    b,00", "ld    c,03",
        "push  bc", "ld    hl,5000", "push  hl", "call  {callee}", "nop", "ex    af,af'", "rla", "jp    c,1020",
        "add   sp,02", "ret"},
       {}},
      // The lock is claimed by a first call; the jump left open after it is
      // the waitfordone item's to resolve.
      {"single-user cofunction", 1, true, true,
       {"ld    hl,C000", "ld    a,(hl)", "cp    FF", "ld    b,a", "jp    nz,1019", "push  hl", "ld    hl,5000",
        "push  hl", "call  {callee}", "nop", "pop   bc", "pop   hl", "or    a", "jp    nz,0000", "bit   0,(hl)",
        "jp    nz,1022", "ld    hl,0007", "push  hl", "ld    b,00", "ld    c,03", "push  bc", "ld    hl,C000",
        "push  hl", "ld    a,(hl)", "ld    hl,5000", "push  hl", "call  {callee}", "nop", "ex    af,af'", "rla",
        "jp    c,103B", "add   sp,02", "ret"},
       {}},
      // The jump goes to the index code, which comes back to the label after
      // it with the instance index in L; without an index here (2018) its
      // label stays undefined.
      {"indexed cofunction", 2, false, true,
       {"ld    hl,5000", "bit   7,(hl)", "jp    z,100C", "ld    hl,0007", "push  hl", "jp    0000", "ld    b,l",
        "ld    c,03", "push  bc", "ld    hl,5000", "push  hl", "call  {callee}", "nop", "ex    af,af'", "rla",
        "jp    c,1022", "add   sp,02", "ret"},
       {kMsgUnresolvedLocal, kMsgInstanceIndexMissing}},
      {"outside a waitfordone", 1, false, false,
       {"ld    hl,5000", "bit   7,(hl)", "jp    z,100C", "ld    hl,0007", "push  hl", "ld    b,00", "ld    c,03",
        "push  bc", "ld    hl,5000", "push  hl", "call  {callee}", "nop", "ex    af,af'", "rla", "jp    c,1020",
        "add   sp,02", "ret"},
       {kMsgCofunctionOutsideWait}},
  };
  for (const Case &c : cases) {
    prepared.beforeBody = [&c] {
      SymbolRecord *cf = LookupSymbol("cf", false, SymbolTableId::kGlobal);
      if (!cf)
        return;
      // The instance count is bits 7-12 of the attribute word, the
      // single-user mark bit 6.
      const uint16_t word = uint16_t(c.instances << 7 | (c.singleUser ? 1u << 6 : 0u));
      cf->flagsA = uint8_t(word);
      cf->flagsB = uint8_t(cf->flagsB | word >> 8);
      CofunctionCallContext &context = CofunctionCalls();
      context = {};
      context.costateOpen = true;
      context.waitfordoneLoop = c.inWaitfordone ? MakeAddr24(0, 0x2100) : ADDR24{};
      context.itemNumber = 3;
      SetCoBufferLoader([] {
        EmitCodeByte(0x21);
        EmitWord(0x5000);
      });
    };
    CompileFresh(std::string("int cf(int a);\nvoid h(void) { cf(7); }\n") + kCofunctionStandIn);
    EXPECT_EQ(MessageNumbers(Records()), c.messages) << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(ListingOf("h"), Calling(c.code, AddressOf("cf"))) << c.what;
    EXPECT_EQ(CofunctionCalls().cofunctionCalled, true) << c.what;
    EXPECT_EQ(CofunctionCalls().pendingLockJump.has_value(), c.singleUser) << c.what;
    EXPECT_EQ(CofunctionCalls().lockCalls, c.singleUser ? 1 : 0) << c.what;
  }
}

// A firsttime function gets the caller's task buffer pushed behind its
// arguments, which is only there inside a costate.
TEST_F(CofunctionCallCompile, FirstTimeFunctionsGetTheCallersBuffer) {
  for (const bool inCostate : {true, false}) {
    prepared.beforeBody = [inCostate] {
      if (SymbolRecord *ft = LookupSymbol("ft", false, SymbolTableId::kGlobal))
        ft->flagsA |= 0x20;
      CofunctionCalls().costateOpen = inCostate;
      SetCoBufferLoader([] {
        EmitCodeByte(0x21);
        EmitWord(0x5000);
      });
    };
    CompileFresh("int ft(int a);\nvoid h(void) { ft(7); }\n#asm\nft::\n ret\n#endasm\n");
    if (inCostate) {
      EXPECT_EQ(MessageNumbers(Records()), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
      EXPECT_EQ(ListingOf("h"), Calling({"ld    hl,0007", "push  hl", "ld    hl,5000", "push  hl", "call  {callee}", "nop",
                                         "add   sp,04", "ret"},
                                        AddressOf("ft")));
    } else {
      EXPECT_EQ(MessageNumbers(Records()), std::vector<unsigned>{kMsgFirstTimeOutsideCostate});
      EXPECT_EQ(ListingOf("h"),
                Calling({"ld    hl,0007", "push  hl", "call  {callee}", "nop", "add   sp,02", "ret"}, AddressOf("ft")));
    }
  }
}

// With debug code the call is a place to stop: its mark stands right
// before the call, behind the arguments.
TEST_F(CallCompile, DebugCodeMarksTheCall) {
  TearDown();
  SetUp();
  ASSERT_EQ(Compile("#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#memmap root\n"
                    "void f(int a) { }\n#debug\nvoid h(void) { f(1); }\n"),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<std::string> code = ListingOf("h");
  const auto call = std::find(code.begin(), code.end(), "call  1000");
  ASSERT_TRUE(call != code.end() && call - code.begin() >= 3) << ::testing::PrintToString(code);
  EXPECT_EQ(*(call - 1), "rst   28h") << ::testing::PrintToString(code);
  EXPECT_EQ(*(call - 2), "push  hl") << ::testing::PrintToString(code);
}

// A Typed callee finds behind each argument its declarator word and a
// word of its size and type code, all over two zero words that end the
// list; the call removes them with the arguments. Pushed last to first,
// the first argument's descriptor lies nearest the return address.
TEST_F(CallCompile, ATypedCalleeFindsEachArgumentsTypeBehindIt) {
  auto constant = [](const char *word) { return std::vector<std::string>{fmt::format("ld    hl,{}", word), "push  hl"}; };
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> lines;
    for (const std::vector<std::string> &part : parts)
      lines.insert(lines.end(), part.begin(), part.end());
    return lines;
  };
  const std::vector<std::string> listEnd = join({constant("0000"), constant("0000")});
  const struct {
    const char *what;
    const char *program;
    std::vector<std::string> pushes;
    const char *removed;
  } cases[] = {
      {"no arguments", "Typed void f() { }\nvoid h(void) { f(); }\n", listEnd, "04"},
      {"an int", "Typed void f() { }\nvoid h(void) { f(1); }\n",
       join({listEnd, constant("0001"), constant("0000"), constant("0000"), constant("0202")}), "0C"},
      // A char still takes a word but says it is one byte; a pointer's
      // declarator has its level; a structure says its own size.
      {"char, long, pointer, structure",
       "char c;\nlong g;\nstruct S { int a, b, c; } s;\nTyped void f() { }\nvoid h(void) { f(c, g, &g, s); }\n",
       join({listEnd, {"lower sp by 6", "ld    hl,0000", "add   hl,sp", "ex    de,hl", "ld    hl,{s}", "ld    bc,0006", "ldir"},
             constant("0000"), constant("0000"), constant("1006"),
             constant("{g}"), constant("0000"), constant("0002"), constant("0402"),
             {"ld    de,({g})", "ld    bc,({g_hi})", "push  bc", "push  de"}, constant("0000"), constant("0000"),
             constant("0404"),
             {"ld    a,({c})", "ld    l,a", "ld    h,00", "push  hl"}, constant("0000"), constant("0000"),
             constant("0101")}),
       "2A"},
  };
  for (TargetCpu cpu : {TargetCpu::Corvid, TargetCpu::Z180}) {
    for (const auto &c : cases) {
      ASSERT_EQ(CompileFresh(c.program, cpu), 0) << c.what << ::testing::PrintToString(Records());
      // The Corvid moves SP in one step; the Z180 has its own ways, the
      // same whatever the call pushed.
      std::vector<std::string> expected;
      for (const std::string &line : WithAddresses(join({c.pushes, {"call  {f}"}}))) {
        if (line != "lower sp by 6")
          expected.push_back(line);
        else if (cpu == TargetCpu::Corvid)
          expected.push_back("add   sp,FA");
        else
          expected.insert(expected.end(), {"exx", "ld    hl,FFFA", "add   hl,sp", "ld    sp,hl", "exx"});
      }
      if (cpu == TargetCpu::Corvid)
        expected.push_back(fmt::format("add   sp,{}", c.removed));
      std::vector<std::string> code = ListingOf("h", cpu);
      code.resize(std::min(code.size(), expected.size()));
      EXPECT_EQ(code, expected) << c.what;
    }
  }
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// Calls held to the callee's prototype, with the checks the program
// directory's settings ask for.
class PrototypedCallCompile : public CallCompile {
protected:
  uint16_t CompileChecked(const std::string &program, bool checkPrototypes) {
    TearDown();
    SetUp();
    const char *flag = checkPrototypes ? "1" : "0";
    dir.Write("tsw.cfg", fmt::format("tcprot= {}\ntcptr = {}\n", flag, flag));
    return Compile(std::string(kCorvidRoot) + program);
  }
};

// Each argument is converted to its parameter's type before it is pushed;
// an argument that does not fit its parameter, or a count that differs,
// is reported once, and too many arguments leave the prototype unused.
TEST_F(PrototypedCallCompile, ArgumentsAreHeldToTheCalleesPrototype) {
  struct Case {
    const char *what;
    const char *program;
    bool checked;
    std::vector<unsigned> messages;
    // The listing of h; "{g}" stands for the address of g.
    std::vector<std::string> code;
  } cases[] = {
      {"char and long parameters take int constants",
       "void f(char c, long l) { }\nvoid h(void) { f(1, 2); }\n", true, {},
       {"ld    de,0002", "ld    bc,0000", "push  bc", "push  de", "ld    hl,0001", "push  hl", "call  1000",
        "add   sp,06", "ret"}},
      // The long is the int's sign widened; the char is the int's low byte,
      // all the callee reads of its word.
      {"char and long parameters take an int variable",
       "int g;\nvoid f(char c, long l) { }\nvoid h(void) { f(g, g); }\n", true, {},
       {"ld    hl,({g})", "ex    de,hl", "ld    a,d", "rla", "sbc   hl,hl", "ld    b,h", "ld    c,l", "push  bc",
        "push  de", "ld    hl,({g})", "push  hl", "call  1000", "add   sp,06", "ret"}},
      // An array argument is its address, whatever the parameter.
      {"an array for a pointer parameter", "int a[4];\nvoid f(int *p, long n) { }\nvoid h(void) { f(a, 4); }\n",
       true, {},
       {"ld    de,0004", "ld    bc,0000", "push  bc", "push  de", "ld    hl,{a}", "push  hl", "call  1000",
        "add   sp,06", "ret"}},
      {"a prototype ahead of the definition",
       "void f(long l);\nvoid h(void) { f(2); }\nvoid f(long l) { }\n", true, {},
       {"ld    de,0002", "ld    bc,0000", "push  bc", "push  de", "call  100F", "nop", "add   sp,04", "ret"}},
      {"\"...\" takes more arguments as they are",
       "void f(int a, ...);\nvoid h(void) { f(1, 2, 3L); }\nvoid f(int a, ...) { }\n", true, {},
       {"ld    de,0003", "ld    bc,0000", "push  bc", "push  de", "ld    hl,0002", "push  hl", "ld    hl,0001",
        "push  hl", "call  1017", "nop", "add   sp,08", "ret"}},
      {"too many arguments: the prototype is not used",
       "void f(long l);\nvoid h(void) { f(1, 2); }\nvoid f(long l) { }\n", true, {kMsgTooManyArguments},
       {"ld    hl,0002", "push  hl", "ld    hl,0001", "push  hl", "call  100F", "nop", "add   sp,04", "ret"}},
      {"too many arguments, unchecked: still converted",
       "void f(long l);\nvoid h(void) { f(1, 2); }\nvoid f(long l) { }\n", false, {},
       {"ld    hl,0002", "push  hl", "ld    de,0001", "ld    bc,0000", "push  bc", "push  de", "call  1013", "nop",
        "add   sp,06", "ret"}},
      {"too few arguments", "void f(int a, int b);\nvoid h(void) { f(1); }\nvoid f(int a, int b) { }\n", true,
       {kMsgTooFewArguments}, {"ld    hl,0001", "push  hl", "call  100B", "nop", "add   sp,02", "ret"}},
      {"another structure", "struct A { int a; } a;\nstruct B { int b; } b;\nvoid f(struct A x);\n"
                            "void h(void) { f(b); }\nvoid f(struct A x) { }\n",
       true, {kMsgArgumentTypeDiffers}, {}},
      {"another pointer level", "int **q;\nvoid f(int *a);\nvoid h(void) { f(q); }\nvoid f(int *a) { }\n", true,
       {kMsgArgumentPointerDiffers}, {}},
      // A pointer of the parameter's own base type differs only in its
      // levels; one of another base type mixes pointer and number.
      {"a pointer for an int", "int *g;\nvoid f(int a);\nvoid h(void) { f(g); }\nvoid f(int a) { }\n", true,
       {kMsgArgumentPointerDiffers}, {"ld    hl,({g})", "push  hl", "call  100B", "nop", "add   sp,02", "ret"}},
      {"a char pointer for an int", "char *p;\nvoid f(int a);\nvoid h(void) { f(p); }\nvoid f(int a) { }\n",
       true, {kMsgArgumentTypeDiffers}, {}},
      {"an int for a pointer", "int n;\nvoid f(int *a);\nvoid h(void) { f(n); }\nvoid f(int *a) { }\n", true,
       {kMsgArgumentPointerDiffers}, {}},
      {"a void argument", "void k(void) { }\nvoid f(int a);\nvoid h(void) { f(k()); }\nvoid f(int a) { }\n",
       true, {kMsgArgumentIncompatible}, {}},
      {"unchecked, nothing is reported",
       "int **q;\nvoid f(int *a, int b);\nvoid h(void) { f(q); }\nvoid f(int *a, int b) { }\n", false, {}, {}},
  };
  for (const Case &c : cases) {
    CompileChecked(c.program, c.checked);
    EXPECT_EQ(MessageNumbers(Records()), c.messages) << c.what << ::testing::PrintToString(Records());
    if (!c.code.empty()) {
      EXPECT_EQ(ListingOf("h"), WithAddresses(c.code)) << c.what;
    }
  }
}

} // namespace
} // namespace tsw::testing
