#include "compcore/decode_check.h"
#include "compcore/expression_body_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// Unary and postfix expressions in whole programs compiled through
// CompileFile: function bodies of expression statements, and the constant
// readers of the declarations.
class ExprUnaryProgramTest : public ExpressionBodyTest {
protected:
  // Each program on a fresh compiler: a compile keeps the origins its
  // directives defined.
  uint16_t CompileFresh(const std::string &program) {
    TearDown();
    SetUp();
    bodies.bodies.clear();
    return Compile(program);
  }
  // The message numbers the compile recorded, in order.
  std::vector<unsigned> Messages() {
    std::vector<unsigned> numbers;
    for (const std::string &r : Records()) {
      const size_t open = r.rfind('[');
      if (open != std::string::npos)
        numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
    }
    return numbers;
  }
  // "%g" in an expected line stands for g's address, "%a+4" for a's
  // address plus 4, "%c_neg" for where the routine c_neg was linked.
  static std::vector<std::string> WithAddresses(std::vector<std::string> lines) {
    static const std::regex mark(R"(%([A-Za-z_][A-Za-z0-9_]*)(\+([0-9]+))?)");
    for (std::string &line : lines) {
      std::smatch m;
      if (std::regex_search(line, m, mark)) {
        const uint16_t at = uint16_t(AddressOf(m[1].str().c_str()) + (m[3].matched ? std::stoi(m[3].str()) : 0));
        line.replace(size_t(m.position(0)), size_t(m.length(0)), fmt::format("{:04X}", at));
      }
    }
    return lines;
  }
};

TEST_F(ExprUnaryProgramTest, StatementsOfUnaryExpressions) {
  const char *declarations = "int g, y;\nint *p;\nint a[4];\nchar c;\nint f2();\n#nodebug\n";
  struct Case {
    const char *body;
    std::vector<std::string> listing;
  } cases[] = {
      // The step's value is not needed: no step back, no reload.
      {"g++;", {"ld    hl,(%g)", "inc   hl", "ld    (%g),hl", "ret"}},
      {"--c;", {"ld    a,(%c)", "dec   a", "ld    (%c),a", "ret"}},
      {"y = g++;", {"ld    hl,(%g)", "inc   hl", "ld    (%g),hl", "dec   hl", "ld    (%y),hl", "ret"}},
      {"y = -g;", {"ld    hl,(%g)", "call  %c_neg", "ld    (%y),hl", "ret"}},
      {"p = &g;", {"ld    hl,%g", "ld    (%p),hl", "ret"}},
      {"y = *p;", {"ld    hl,(%p)", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a", "ld    (%y),hl", "ret"}},
      // The pointer waits on the stack while the value is loaded.
      {"*p = 7;", {"ld    hl,(%p)", "push  hl", "ld    hl,0007", "pop   de", "ex    de,hl", "ld    (hl),e", "inc   hl",
                   "ld    (hl),d", "ex    de,hl", "ret"}},
      {"y = a[2];", {"ld    hl,(%a+4)", "ld    (%y),hl", "ret"}},
      {"y = a[g];", {"ld    hl,(%g)", "add   hl,hl", "ex    de,hl", "ld    hl,%a", "add   hl,de", "ld    a,(hl)", "inc   hl",
                     "ld    h,(hl)", "ld    l,a", "ld    (%y),hl", "ret"}},
      {"y = sizeof(a[g]);", {"ld    hl,0002", "ld    (%y),hl", "ret"}},
      // A void cast keeps what the operand does: g is still read, f2 called.
      {"(void)g;", {"ld    hl,(%g)", "ret"}},
      {"(void)f2();", {"call  %f2", "ret"}},
      // A comparison's 0 or 1 is in HL before the operator works on it.
      {"y = !(g < 3);", {"ld    hl,(%g)", "ld    de,8003", "ld    a,h", "xor   80", "ld    h,a", "sbc   hl,de",
                         "ld    hl,0000", "adc   hl,hl", "call  %c_not", "ld    (%y),hl", "ret"}},
      {"y = -(g == 1);", {"ld    hl,(%g)", "push  hl", "ld    hl,0001", "call  %e_", "call  %c_neg", "ld    (%y),hl", "ret"}},
      {"y = (char)g;", {"ld    a,(%g)", "ld    l,a", "ld    h,00", "ld    (%y),hl", "ret"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.body);
    ASSERT_EQ(CompileFresh(std::string(declarations) + "void f() { " + c.body + " }\nint f2() { 2; }\n"), 0)
        << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(), WithAddresses(c.listing)));
  }
}

TEST_F(ExprUnaryProgramTest, SizeofWithSideEffectsKeepsTheCodeAndListsEachDiagnosticOnce) {
  CompileFresh("int g, y;\nvoid f() { y = sizeof(*g++); }\n");
  // In the order of their columns: 821 at sizeof, 459 at the '*'.
  EXPECT_EQ(Messages(), (std::vector<unsigned>{kMsgSizeofSideEffects, kMsgNotIndirectable}));
  CompileFresh("int g, y;\nvoid f() { y = sizeof(g++); }\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{kMsgSizeofSideEffects});
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(),
                        WithAddresses({"ld    hl,(%g)", "inc   hl", "ld    (%g),hl", "dec   hl", "ld    hl,0002",
                                       "ld    (%y),hl", "ret"})));
}

TEST_F(ExprUnaryProgramTest, AMemberOfAStructureOnTheStackIsReadThenTheStructureReleased) {
  // Without debug code: no statement hook before the calls.
  ASSERT_EQ(CompileFresh("struct pt { int x; char c; long l; };\nstruct pt f();\nint y;\nlong z;\n"
                         "#nodebug\nvoid g() { y = f().c; z = f().l; }\nstruct pt f() { y; }\n"),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<std::string> reserve = {"exx", "ld    hl,FFF9", "add   hl,sp", "ld    sp,hl", "exx", "call  %f"};
  const std::vector<std::string> release = {"exx", "ld    hl,0007", "add   hl,sp", "ld    sp,hl", "exx"};
  std::vector<std::string> listing = reserve;
  listing.insert(listing.end(), {"ld    hl,0002", "add   hl,sp", "ld    a,(hl)", "ld    l,a", "ld    h,00"});
  listing.insert(listing.end(), release.begin(), release.end());
  listing.push_back("ld    (%y),hl");
  listing.insert(listing.end(), reserve.begin(), reserve.end());
  listing.insert(listing.end(), {"ld    hl,0003", "add   hl,sp", "ld    e,(hl)", "inc   hl", "ld    d,(hl)", "inc   hl",
                                 "ld    c,(hl)", "inc   hl", "ld    b,(hl)"});
  listing.insert(listing.end(), release.begin(), release.end());
  listing.insert(listing.end(), {"ld    (%z),de", "ld    (%z+2),bc", "ret"});
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(), WithAddresses(listing)));
  EXPECT_EQ(Messages(), std::vector<unsigned>{});
}

TEST_F(ExprUnaryProgramTest, SizeofOfACallKeepsTheCallAndLeavesTheStackAsItWas) {
  CompileFresh("struct pt { int x; char c; long l; };\nstruct pt f();\nint y;\n"
               "#nodebug\nvoid g() { y = sizeof(f()); y = sizeof f().l; }\nstruct pt f() { y; }\n");
  // A call has side effects: kept, once, and its structure released.
  EXPECT_EQ(Messages(), (std::vector<unsigned>{kMsgSizeofSideEffects, kMsgSizeofSideEffects}));
  const std::vector<std::string> reserve = {"exx", "ld    hl,FFF9", "add   hl,sp", "ld    sp,hl", "exx", "call  %f"};
  const std::vector<std::string> release = {"exx", "ld    hl,0007", "add   hl,sp", "ld    sp,hl", "exx"};
  std::vector<std::string> listing = reserve;
  listing.insert(listing.end(), release.begin(), release.end());
  listing.insert(listing.end(), {"ld    hl,0007", "ld    (%y),hl"});
  listing.insert(listing.end(), reserve.begin(), reserve.end());
  listing.insert(listing.end(), {"ld    hl,0003", "add   hl,sp", "ld    e,(hl)", "inc   hl", "ld    d,(hl)", "inc   hl",
                                 "ld    c,(hl)", "inc   hl", "ld    b,(hl)"});
  listing.insert(listing.end(), release.begin(), release.end());
  listing.insert(listing.end(), {"ld    hl,0004", "ld    (%y),hl", "ret"});
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(), WithAddresses(listing)));
}

TEST_F(ExprUnaryProgramTest, AFunctionDesignatorIsAPointerToItsFunction) {
  ASSERT_EQ(CompileFresh("long twice();\nlong (*lfn)();\nvoid g() { lfn = twice; lfn = &twice; }\nlong twice() { 2; }\n"),
            0)
      << ::testing::PrintToString(Records());
  EXPECT_EQ(Messages(), std::vector<unsigned>{});
}

TEST_F(ExprUnaryProgramTest, ConstantReadersRefuseRunTimeOperandsAndEmitNothing) {
  constexpr unsigned kSizeZero = 415;
  const char *declarations = "int g;\nint *p;\nint a[4];\nstruct pt { int x; } s, *sp;\n";
  struct Case {
    const char *dimension;
    uint16_t size;
    std::vector<unsigned> messages;
  } cases[] = {
      // After 427 the dimension is 0, an object of no size.
      {"-g", 0, {kSizeZero, 427}},
      {"*p", 0, {kSizeZero, 427}},
      {"g++", 0, {kSizeZero, 427}},
      {"a[g]", 0, {kSizeZero, 427}},
      {"sp->x", 0, {kSizeZero, 427}},
      {"(char)g", 0, {kSizeZero, 427}},
      {"sizeof(*p)", 2, {}},
      {"sizeof(a[g])", 2, {}},
      {"sizeof(g++)", 2, {}},
      {"sizeof sp->x", 2, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.dimension);
    CompileFresh(std::string(declarations) + "char d[" + c.dimension + "];\n");
    EXPECT_EQ(Messages(), c.messages);
    const SymbolRecord *d = LookupSymbol("d", false, SymbolTableId::kGlobal);
    ASSERT_TRUE(d);
    if (c.size) {
      ASSERT_FALSE(d->list.empty());
      EXPECT_EQ(d->list[0], c.size);
    }
  }
}

} // namespace
} // namespace tsw::testing
