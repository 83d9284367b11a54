#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/decode_check.h"
#include "compcore/expression_body_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// Expression statements compiled by the product and decoded: the code each
// operator level leaves, what constant operands fold away, and the faults
// an assignment reports.
namespace tsw::testing {
namespace {

constexpr const char *kGlobals = "int a @ 0x9000; int b @ 0x9002; int c @ 0x9004;\n"
                                 "long l @ 0x9006; char ch @ 0x900A; int *p;\n";

class ExprStatementTest : public ExpressionBodyTest {
protected:
  // Each program with a compiler of its own, as a fresh session would.
  uint16_t CompileAlone(const std::string &program) {
    TearDown();
    SetUp();
    bodies.bodies.clear();
    return Compile(program);
  }
  // The numbers of the messages the compile recorded, in order.
  std::vector<std::string> MessageNumbers() {
    std::vector<std::string> numbers;
    for (const std::string &record : Records()) {
      const size_t open = record.find('['), close = record.find(']', open);
      if (open != std::string::npos && close != std::string::npos)
        numbers.push_back(record.substr(open + 1, close - open - 1));
    }
    return numbers;
  }
  std::string Listing(size_t body = 0) {
    std::string listing;
    const uint16_t start = body < bodies.bodies.size() ? bodies.bodies[body].start.logical : 0;
    for (const std::string &line : DecodeAll(TargetCpu::Z180, BodyBytes(body), start))
      listing += "\n  " + line;
    return listing;
  }
};

TEST_F(ExprStatementTest, AConstantStatementCostsNoCodeAndAVariableIsLoaded) {
  ASSERT_EQ(Compile("int g;\nvoid f() { 5; g; }\n"), 0) << ::testing::PrintToString(Records());
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(), {fmt::format("ld    hl,({:04X})", AddressOf("g")), "ret"}));
}

struct CodeCase {
  const char *what;
  const char *statement;
  std::vector<std::string> listing;
};

TEST_F(ExprStatementTest, EachFormLeavesItsCode) {
  const std::vector<std::string> lessThan = {"ld    hl,(9000)", "ld    de,(9002)", "ld    a,h", "xor   80",
                                             "ld    h,a",       "ld    a,d",       "xor   80", "ld    d,a",
                                             "sbc   hl,de",     "ld    hl,0000",   "adc   hl,hl"};
  const auto with = [](std::vector<std::string> head, std::initializer_list<std::string> tail) {
    head.insert(head.end(), tail);
    return head;
  };
  const CodeCase cases[] = {
      {"a store of a constant loads nothing else", "a = 5", {"ld    hl,0005", "ld    (9000),hl", "ret"}},
      {"a chain stores the one value twice", "a = b = c", {"ld    hl,(9004)", "ld    (9002),hl", "ld    (9000),hl", "ret"}},
      {"a char takes the low byte", "ch = a", {"ld    hl,(9000)", "ld    a,l", "ld    (900A),a", "ret"}},
      {"compound assignment reads and writes once", "a += b",
       {"ld    hl,(9000)", "ld    de,(9002)", "add   hl,de", "ld    (9000),hl", "ret"}},
      {"a comparison's value is its 0/1 tail", "a = a < b", with(lessThan, {"ld    (9000),hl", "ret"})},
      // The left operand decides: the right one leaves no code at all.
      {"1 || anything is 1", "a = 1 || (b = 2)", {"ld    hl,0001", "ld    (9000),hl", "ret"}},
      {"0 && anything is 0", "a = 0 && (b = 2)", {"ld    hl,0000", "ld    (9000),hl", "ret"}},
      {"a constant condition takes one operand", "a = 1 ? b : (c = 3)", {"ld    hl,(9002)", "ld    (9000),hl", "ret"}},
      {"x - 1 is a decrement", "a = a - 1", {"ld    hl,(9000)", "dec   hl", "ld    (9000),hl", "ret"}},
      // The jump tests the left operand's 0/1, so both paths leave it in HL.
      {"&& jumps over its right operand",
       "a = b && c",
       {"ld    hl,(9002)", "ld    a,h", "or    l", "ld    hl,0000", "jr    z,200B", "inc   hl", "jp    z,2019",
        "ld    hl,(9004)", "ld    a,h", "or    l", "ld    hl,0000", "jr    z,2019", "inc   hl", "ld    (9000),hl",
        "ret"}},
      {"?: joins its two loads",
       "a = c ? b : 7",
       {"ld    hl,(9004)", "ld    a,h", "or    l", "ld    hl,0000", "jr    z,200B", "inc   hl", "jp    z,2014",
        "ld    hl,(9002)", "jp    2017", "ld    hl,0007", "ld    (9000),hl", "ret"}},
  };
  for (const CodeCase &c : cases) {
    ASSERT_EQ(CompileAlone(std::string(kGlobals) + "void f() { " + c.statement + "; }\n"), 0)
        << c.what << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(), c.listing, {}, bodies.bodies[0].start.logical)) << c.what;
  }
}

// The same forms for the Corvid decode as the Corvid's instructions, with
// no byte its decoder does not know.
TEST_F(ExprStatementTest, EachFormDecodesOnTheCorvid) {
  const char *statements[] = {"a = b && c", "a = b || c < a", "a = c ? b : 7", "l = c ? l : 1",  "ch = a",
                              "a += b",     "a <<= 3",        "a = b * c",     "a = a < b",      "l = l * a"};
  for (const char *statement : statements) {
    ASSERT_EQ(CompileAlone(std::string("#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x4000 0x100 apply\n") + kGlobals +
                           "void f() { " + statement + "; }\n"),
              0)
        << statement << ::testing::PrintToString(Records());
    for (const std::string &line : DecodeAll(TargetCpu::Corvid, BodyBytes(), bodies.bodies[0].start.logical))
      EXPECT_NE(line.rfind("???", 0), 0u) << statement << Listing();
  }
}

// A constant reader that meets a run-time operand reports it and leaves
// nothing behind: the function after it starts where the code begins.
TEST_F(ExprStatementTest, ConstantReadersRefuseRunTimeOperandsWithoutCode) {
  struct Case {
    const char *declaration;
    std::vector<std::string> messages;
  } cases[] = {
      // The dimension it could not read leaves the array empty.
      {"int arr[a + 1];", {"415", "427"}},
      {"int arr[a = 2];", {"415", "427"}},
      {"int arr[a ? 1 : 2];", {"415", "427"}},
      {"int arr[a && 1];", {"415", "427"}},
      {"int arr[1 || a];", {"415", "427"}},
      {"int arr[(a < b) + 1];", {"415", "427"}},
      {"int arr[2 * 3 + (1 ? 4 : a)];", {}},
      // The address reader stops at the comma that starts the next declarator.
      {"int x @ 0x9200, y @ 0x9202;", {}},
      {"int x @ a;", {"2003"}},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string(kGlobals) + c.declaration + "\nvoid f() { 1; }\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.declaration;
    ASSERT_EQ(bodies.bodies.size(), 1u) << c.declaration;
    EXPECT_EQ(bodies.bodies[0].start.logical, bodies.originAddress) << c.declaration << Listing();
  }
}

TEST_F(ExprStatementTest, AssignmentsReportWhatCannotBeStored) {
  struct Case {
    const char *statement;
    std::vector<std::string> messages;
  } cases[] = {
      {"5 = a", {"458"}},
      {"a + b = c", {"458"}},
      // One base type: the levels must agree; two: a pointer against a value.
      {"p = a", {"437"}},
      {"a = p", {"437"}},
      {"pp = p", {"437"}},
      {"p = l", {"519"}},
      {"l = p", {"519"}},
      {"p = 0", {}},
      {"p = &a", {}},
      {"p = &l", {}},
      {"s1 = t1", {"436"}},
      {"s1 = u1", {"439", "436"}},
      {"s1 = s2", {}},
      {"a = v()", {"438"}},
      {"a = c ? p : 1", {"437", "401"}},
      {"p = c ? p : 0", {}},
      {"p = c ? 0 : p", {}},
      {"a = b || v()", {"399"}},
      {"a = c ? b 1", {"2051"}},
      // A const object takes no store; a pointer to one is a pointer.
      {"k = 2", {"442"}},
      {"k += 2", {"442"}},
      {"pk = &a", {}},
      {"pk = p", {}},
      {"*pk = 1", {"442"}},
      {"k++", {"442"}},
      {"--k", {"442"}},
      {"ka[1] = 3", {"442"}},
      {"ks.x = 1", {"442"}},
      {"ks.x++", {"442"}},
      {"s1.x++", {}},
      // A const pointer: the pointer takes no store, what it points at does.
      {"cp = p", {"442"}},
      {"cp[1] = 4", {}},
      {"*cp = 4", {}},
      // A function designator is the address of its function.
      {"lf = twice", {}},
      {"lf = &twice", {}},
      {"lfs[1] = twice", {}},
      {"lf = lfs[0]", {}},
      {"pl = twice", {"437"}},
  };
  const std::string declarations = std::string(kGlobals) +
                                   "struct S { int x; } s1 @ 0x9100, s2 @ 0x9110;\n"
                                   "struct T { int y; } t1 @ 0x9120;\n"
                                   "struct U { long z; } u1 @ 0x9130;\n"
                                   "void v(); int **pp; const int k @ 0x9300; const int *pk;\n"
                                   "const int ka[2] @ 0x9310; const struct S ks @ 0x9320; int * const cp @ 0x9330;\n"
                                   "long twice(); long (*lf)(long); long (*lfs[2])(long w); long *pl;\n";
  for (const Case &c : cases) {
    CompileAlone(declarations + "void f() { " + c.statement + "; }\nlong twice() { 2; }\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.statement;
  }
}

// The destination's address is kept on the stack while the right-hand side
// is compiled, in case a call leaves its structure there.
TEST_F(ExprStatementTest, AStructureAssignmentIsOneBlockCopy) {
  ASSERT_EQ(CompileAlone("struct S { int x; long y; } s1 @ 0x9100, s2 @ 0x9110;\nvoid f() { s1 = s2; }\n"), 0)
      << ::testing::PrintToString(Records());
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(),
                        {"ld    hl,9100", "push  hl", "pop   hl", "ex    de,hl", "ld    hl,9110", "ld    bc,0006", "ldir",
                         "ret"},
                        {}, bodies.bodies[0].start.logical));
  // A structure a call leaves on the stack lies under the saved address:
  // the copy reads both from the stack, then releases them together.
  ASSERT_EQ(CompileAlone("struct S { int x; long y; } s1 @ 0x9100;\nstruct S f();\nvoid g() { s1 = f(); }\n"
                         "struct S f() { s1; }\n"),
            0)
      << ::testing::PrintToString(Records());

  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(),
                        {"ld    hl,9100", "push  hl", "exx", "ld    hl,FFFA", "add   hl,sp", "ld    sp,hl", "exx",
                         fmt::format("call  {:04X}", LabelAddress("f")), "ld    hl,0006", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)",
                         "ld    l,a", "ex    de,hl", "ld    hl,0000", "add   hl,sp", "ld    bc,0006", "ldir", "exx",
                         "ld    hl,0008", "add   hl,sp", "ld    sp,hl", "exx", "ret"},
                        {}, bodies.bodies[0].start.logical));
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// A push the code forgot to pop would move every local after it: the depth
// is checked after each outermost expression, mended and warned of once;
// after an error in the expression it is only mended.
TEST_F(ExprStatementTest, TheStackDepthAfterEachExpressionIsCheckedAndMended) {
  struct Case {
    const char *what;
    std::function<void()> beforeEachStatement;
    const char *statements;
    std::vector<std::string> messages;
  } cases[] = {
      {"a word the statement keeps was never pushed", [] { StatementExtraWord() = true; }, "a = 1; a = b + c;", {"660"}},
      {"interrupt states popped too often", [] { Emission().ipStackOffset = int16_t(Emission().ipStackOffset - 2); },
       "a = 1; a = 2;", {"661", "661"}},
      {"an error in the expression", [] { StatementExtraWord() = true; }, "5 = a; a = 2;", {"458"}},
      {"a balanced statement", [] {}, "a = b ? c : a && b; l = l * a;", {}},
  };
  for (const Case &c : cases) {
    bodies.beforeEachStatement = c.beforeEachStatement;
    CompileAlone(std::string(kGlobals) + "void f() { " + c.statements + " }\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.what;
  }
  bodies.beforeEachStatement = nullptr;
}

// On the Corvid, a store through a pointer in debug code with pointer
// checks reads the store table's byte for the address's page first; a store
// whose address is known to be safe, or one in code without the checks,
// goes without. The compile option switches the checks on for every
// function.
TEST_F(ExprStatementTest, StoresThroughPointersAreCheckedAgainstTheStoreTable) {
  // The IDE compiles with the BIOS: NO_BIOS is 0.
  FakeDirectiveShell shell;
  shell.ideBiosFlag = true;
  directiveShell = &shell;
  constexpr uint32_t kChecks = kAttrDebug | kAttrPointerCheck;
  const std::vector<std::string> checkAt4200 = {"ex    de,hl", "ld    h,42", "ld    l,d", "xor   a"};
  struct Case {
    const char *what;
    uint32_t attributes;
    const char *statement;
    bool checked;
    TargetCpu cpu = TargetCpu::Corvid;
    uint16_t pointerOption = 0;
  } cases[] = {
      {"through a pointer", kChecks, "*p = a", true},
      {"compound, through a pointer", kChecks, "*p += a", true},
      {"without pointer checks", kAttrDebug, "*p = a", false},
      {"without debug code", kAttrPointerCheck, "*p = a", false},
      {"into a global", kChecks, "a = 1", false},
      {"into an element of known bound", kChecks, "t[1] = a", false},
      {"on the Z180", kChecks, "*p = a", false, TargetCpu::Z180},
      {"by the compile option", kAttrDebug, "*p = a", true, TargetCpu::Corvid, 1},
      {"by the compile option, without debug code", 0, "*p = a", false, TargetCpu::Corvid, 1},
  };
  for (const Case &c : cases) {
    TearDown();
    SetUp();
    bodies.bodies.clear();
    bodies.extraAttributes = c.attributes;
    dir.Write("tsw.cfg", fmt::format("ptr   = {}\n", c.pointerOption));
    AddBiosSymbol("STORE_TABLE", MakeAddr24(0, 0x4200));
    const std::string placement =
        c.cpu == TargetCpu::Corvid ? "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x4000 0x100 apply\n" : "";
    ASSERT_EQ(Compile(placement + kGlobals + "int t[4] @ 0x9200;\nvoid f() { " + c.statement + "; }\n"), 0)
        << c.what << ::testing::PrintToString(Records());
    const std::vector<std::string> listing = DecodeAll(c.cpu, BodyBytes(), bodies.bodies[0].start.logical);
    const bool checked = std::search(listing.begin(), listing.end(), checkAt4200.begin(), checkAt4200.end()) !=
                         listing.end();
    std::string text;
    for (const std::string &line : listing)
      text += "\n  " + line;
    EXPECT_EQ(checked, c.checked) << c.what << text;
    // The jump over the call of the refusal's routine also skips the byte
    // kept for its long form.
    if (c.checked) {
      const uint16_t routine = LabelAddress("bound_e");
      ASSERT_NE(routine, 0) << c.what;
      EXPECT_NE(HexBytes(BodyBytes()).find(fmt::format("EB 26 42 6A AF ED 6C FC EB 38 04 CD {:02X} {:02X} 00",
                                                       routine & 0xFF, routine >> 8)),
                std::string::npos)
          << c.what << text;
    }
  }
  bodies.extraAttributes = 0;
  directiveShell = nullptr;
}

// What an initializer reads: an address fixed at link time, with a
// constant offset scaled by the element size, is one constant too.
TEST_F(ExprStatementTest, AddressesWithConstantOffsetsAreReadAsConstants) {
  ASSERT_EQ(CompileAlone("int a[4] @ 0x9000; long m[3] @ 0x9100; int g @ 0x9200;\n"), 0)
      << ::testing::PrintToString(Records());
  struct Case {
    const char *text;
    bool constant;
    const char *symbol;
    int32_t offset;
  } cases[] = {
      {"a + 1", true, "a", 2},      {"2 + a", true, "a", 4},    {"&a[3] - 1", true, "a", 4},
      {"m + 2", true, "m", 8},      {"&g + 1", true, "g", 2},   {"a - 1 + 3", true, "a", 4},
      {"a + g", false, nullptr, 0}, {"g + 1", false, nullptr, 0}, {"7 * 6", true, nullptr, 42},
  };
  for (const Case &c : cases) {
    const std::string text = c.text;
    InstallLogicalLine({text, std::vector<uint16_t>(text.size() + 1, 1), std::vector<uint16_t>(text.size() + 1, 1)}, 0);
    const ADDR24 before = Caches().currentCode->Current();
    ValueRecord value;
    EXPECT_EQ(ReadConstantOperand(value), c.constant) << c.text;
    EXPECT_TRUE(Addr24Equal(Caches().currentCode->Current(), before)) << c.text << ": code emitted";
    if (!c.constant)
      continue;
    EXPECT_EQ(int32_t(value.value), c.offset) << c.text;
    EXPECT_EQ(value.symbol ? std::string(value.symbol->name) : std::string(), c.symbol ? c.symbol : "") << c.text;
  }
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

class DecidedLogicalTest : public ProgramCompileTest {
protected:
  DecidedLogicalTest() { backEnd = &placed; }
  PlacedFunctionBodies placed;
};

// The right operand a constant left one decides away leaves no code, and
// nothing of it is patched later: the call of a function defined after it
// would otherwise land its address in the bytes that took the call's place.
TEST_F(DecidedLogicalTest, ADroppedOperandLeavesNoFixupBehind) {
  ASSERT_EQ(Compile("#memmap root\nint a @ 0x9000;\nint f();\n"
                    "nodebug void g(void) { a = 1 || f(); a = 0 && f(); a = 0x2345; }\n"
                    "nodebug int f(void) { return 3; }\n"),
            0)
      << ::testing::PrintToString(Records());
  ASSERT_EQ(placed.bodies.size(), 2u);
  const CompiledBody &g = placed.bodies[0];
  std::vector<uint8_t> bytes(Addr24Difference(g.end, g.start));
  ASSERT_TRUE(ReadEmittedBytes(g.start, uint32_t(bytes.size()), bytes.data()));
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes,
                        {"ld    hl,0001", "ld    (9000),hl", "ld    hl,0000", "ld    (9000),hl", "ld    hl,2345",
                         "ld    (9000),hl", "ret"},
                        {}, g.start.logical));
}

} // namespace
} // namespace tsw::testing
