#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_parse/expr/expr_argument_text.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/decode_check.h"
#include "compcore/expression_body_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Calls as a program has them, compiled by the product's assembly and
// decoded: what is pushed in which order, the call, and the stack put back.
namespace tsw::testing {

std::string DeclaredFunctionName();

namespace {

// The stand-in body compiler with each function placed under its label, so
// that calls reach the functions of the program.
class PlacedBodies : public ExpressionBodies {
public:
  static constexpr int kParametersFollow = 2;
  bool CompileFunctionBody(int style, int16_t type, int16_t storage, uint16_t memory) override {
    // The parameters are not declared: the bodies here do not use them.
    if (style == kParametersFollow)
      while (*InputCursor && ConsumeChar() != ')') {
      }
    if (SkipToOperand() != '{')
      return false;
    AttachCodeOrigin();
    DefineLabelHere(DeclaredFunctionName(), kFixGlobal);
    return ExpressionBodies::CompileFunctionBody(style, type, storage, memory);
  }
};

class CallCompile : public ExpressionBodyTest {
protected:
  CallCompile() { backEnd = &placed; }

  // Each program on a fresh compiler: a program compile keeps the origins
  // its directives defined.
  uint16_t CompileFresh(const std::string &program) {
    TearDown();
    SetUp();
    placed.bodies.clear();
    AddBiosSymbol("biosf", MakeAddr24(0, 0x4321));
    return Compile(program);
  }
  // The code of the function compiled `n`-th (from 0).
  std::vector<uint8_t> Body(size_t n) {
    if (placed.bodies.size() <= n) {
      ADD_FAILURE() << "no function body " << n;
      return {};
    }
    const ExpressionBodies::Body &body = placed.bodies[n];
    std::vector<uint8_t> bytes(Addr24Difference(body.end, body.start));
    EXPECT_TRUE(ReadEmittedBytes(body.start, uint32_t(bytes.size()), bytes.data()));
    return bytes;
  }
  uint16_t BodyAddress(size_t n) const {
    return n < placed.bodies.size() ? placed.bodies[n].start.logical : 0;
  }

  PlacedBodies placed;
};

struct CallCase {
  const char *what;
  const char *program;
  // The listing of the program's last function, which makes the calls;
  // "{g}" and the like stand for the addresses of globals.
  std::vector<std::string> code;
};

std::vector<std::string> WithAddresses(const std::vector<std::string> &code) {
  auto address = [](const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return fmt::format("{:04X}", symbol ? Addr24FromLong(symbol->address).logical : 0);
  };
  std::vector<std::string> lines;
  for (const std::string &line : code)
    lines.push_back(fmt::format(fmt::runtime(line), fmt::arg("g", address("g")), fmt::arg("s", address("s")),
                                fmt::arg("fp", address("fp"))));
  return lines;
}

// Arguments are pushed last to first, each at least a word, and taken off
// the stack after the call; a structure argument is copied into stack space
// of its size. Functions are placed from 4000 on, one byte each.
TEST_F(CallCompile, ArgumentsArePushedLastFirstAndRemovedAfterTheCall) {
  const CallCase cases[] = {
      {"no arguments", "void f() { }\nvoid h() { f(); }\n", {"call  4000", "ret"}},
      {"two constants", "void f(int a, int b) { }\nvoid h() { f(1, 2); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,0001", "push  hl", "call  4000", "pop   af", "pop   af", "ret"}},
      {"a char takes a word", "void f(char a) { }\nvoid h() { f('a'); }\n",
       {"ld    hl,0061", "push  hl", "call  4000", "pop   af", "ret"}},
      {"a global", "int g;\nvoid f(int a) { }\nvoid h() { f(g); }\n",
       {"ld    hl,({g})", "push  hl", "call  4000", "pop   af", "ret"}},
      {"a structure is copied", "struct S { int a, b, c; } s;\nvoid f(struct S x) { }\nvoid h() { f(s); }\n",
       {"exx", "ld    hl,FFFA", "add   hl,sp", "ld    sp,hl", "exx", "ld    hl,0000", "add   hl,sp", "ex    de,hl",
        "ld    hl,{s}", "ld    bc,0006", "ldir", "call  4000", "exx", "ld    hl,0006", "add   hl,sp",
        "ld    sp,hl", "exx", "ret"}},
      {"a call as argument", "int g1(int x) { }\nvoid f(int a, int b) { }\nvoid h() { f(g1(1), 2); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,0001", "push  hl", "call  4000", "pop   af", "push  hl", "call  4001",
        "pop   af", "pop   af", "ret"}},
      // Commas inside a string literal or parentheses separate nothing; the
      // list may go on over the next line.
      {"literal, parentheses, two lines", "void f() { }\nvoid h() { f(\"a,b\",\n (1, 2)); }\n",
       {"ld    hl,0002", "push  hl", "ld    hl,0000", "push  hl", "call  4000", "pop   af", "pop   af", "ret"}},
      // The space of a structure result is reserved before the call and
      // released by the statement that does not use it.
      {"structure result", "struct S { int a, b, c; } s;\nstruct S mk();\nstruct S mk() { }\nvoid h() { mk(); }\n",
       {"exx", "ld    hl,FFFA", "add   hl,sp", "ld    sp,hl", "exx", "call  4000", "exx", "ld    hl,0006",
        "add   hl,sp", "ld    sp,hl", "exx", "ret"}},
      // Through a pointer: the pointer is pushed first; with arguments above
      // it, a copy comes to the top, where the return address replaces it.
      {"pointer, no arguments", "int (*fp)();\nvoid h() { fp(); }\n",
       {"ld    hl,({fp})", "push  hl", "ld    hl,4009", "ex    (sp),hl", "jp    (hl)", "ret"}},
      {"pointer with an argument", "int (*fp)();\nvoid h() { fp(3); }\n",
       {"ld    hl,({fp})", "push  hl", "ld    hl,0003", "push  hl", "ld    hl,0002", "add   hl,sp", "ld    a,(hl)",
        "inc   hl", "ld    h,(hl)", "ld    l,a", "push  hl", "ld    hl,4016", "ex    (sp),hl", "jp    (hl)",
        "pop   af", "pop   af", "ret"}},
  };
  for (const CallCase &c : cases) {
    ASSERT_EQ(CompileFresh(c.program), 0) << c.what << ::testing::PrintToString(Records());
    const size_t last = placed.bodies.size() - 1;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Body(last), WithAddresses(c.code), {}, BodyAddress(last))) << c.what;
    EXPECT_EQ(LiveArgumentCopies(), 0u) << c.what;
  }
}

// The call's target: the BIOS's address when the BIOS has the name, even
// over the program's own function; a function placed later through the
// patched reference; the pseudo functions emit nothing.
TEST_F(CallCompile, NamedCallsReachTheirTarget) {
  const CallCase cases[] = {
      {"defined later", "void f();\nvoid h() { f(); }\nvoid f() { }\n", {"call  4004", "ret"}},
      {"BIOS first", "void biosf();\nvoid biosf() { }\nvoid h() { biosf(); }\n", {"call  4321", "ret"}},
      {"pseudo functions", "void FPUSH();\nvoid FNULL();\nvoid h() { FPUSH(); FNULL(); }\n", {"ret"}},
  };
  for (const CallCase &c : cases) {
    ASSERT_EQ(CompileFresh(c.program), 0) << c.what << ::testing::PrintToString(Records());
    const size_t caller = std::string(c.what) == "defined later" ? 0 : placed.bodies.size() - 1;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Body(caller), c.code, {}, BodyAddress(caller))) << c.what;
  }
}

TEST_F(CallCompile, CorvidRemovesArgumentsInOneAdjustment) {
  ASSERT_EQ(CompileFresh("#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n"
                         "void f(int a, long b) { }\nvoid h() { f(1, 2L); }\n"),
            0)
      << ::testing::PrintToString(Records());
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Body(1),
                        {"ld    de,0002", "ld    bc,0000", "push  bc", "push  de", "ld    hl,0001", "push  hl",
                         "call  4000", "add   sp,06", "ret"},
                        {}, BodyAddress(1)));
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

// Each fault is reported once, where it stands, and the statements after it
// still compile: a list is never read past the statement that holds it.
TEST_F(CallCompile, FaultsAreReportedOnceAndTheNextStatementCompiles) {
  const std::string deepest = Nested("f", int(kMaxLiveArgumentCopies));
  const std::string tooDeep = Nested("f", int(kMaxLiveArgumentCopies) + 1);
  struct Case {
    const char *what;
    std::string program;
    std::vector<unsigned> messages;
  } cases[] = {
      {"not a function", "int g;\nvoid k() { }\nvoid h() { g(1); k(); }\n", {kMsgNotCallable}},
      {"structure result through a pointer",
       "struct S { int a, b; };\nstruct S (*fp)();\nvoid k() { }\nvoid h() { fp(); k(); }\n",
       {kMsgStructResultThroughPointer}},
      // The bracket tracker reports the open parenthesis on its own.
      {"list without ')'", "void f(int a) { }\nvoid k() { }\nvoid h() { f(1; k(); }\n",
       {kMsgBraceNotClosed, kMsgMismatch, kMsgCharExpected}},
      {"two expressions in one argument", "void f(int a) { }\nvoid k() { }\nvoid h() { f(1 2); k(); }\n",
       {kMsgCharExpected}},
      {"copies nested to the limit", "int f(int a) { }\nvoid k() { }\nvoid h() { " + deepest + "; k(); }\n", {}},
      {"one copy beyond", "int f(int a) { }\nvoid k() { }\nvoid h() { " + tooDeep + "; k(); }\n",
       {kMsgTooManyArgumentCopies}},
  };
  for (const Case &c : cases) {
    CompileFresh(c.program);
    EXPECT_EQ(MessageNumbers(Records()), c.messages) << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(LiveArgumentCopies(), 0u) << c.what;
    // The last statement, k(), is the last call of the caller.
    const std::vector<std::string> code = DecodeAll(TargetCpu::Z180, Body(placed.bodies.size() - 1));
    ASSERT_GE(code.size(), 2u) << c.what;
    EXPECT_EQ(code[code.size() - 2].substr(0, 4), "call") << c.what << ::testing::PrintToString(code);
  }
}

} // namespace
} // namespace tsw::testing
