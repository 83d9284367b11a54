#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/expression_body_fixture.h"
#include "compcore/statement_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Costates, slices and the statements that suspend them, compiled by the
// product and decoded. FuncBlk is 12 bytes here; g stands at 3FFE, and the
// first buffer reserved below it at 3FF2.
namespace tsw::testing {
namespace {

constexpr const char *kBufferType = "#nodebug\ntypedef struct { char bytes[12]; } FuncBlk;\nint g;\n";
// Stand-ins for the library's routines, at 1000 to 1006 in this order, so
// that their calls have addresses.
constexpr const char *kRoutines = "#asm\nfuncblk_entry::\n ret\nfuncblk_exit::\n ret\n__slice_entry::\n ret\n"
                                  "__slice_exit::\n ret\n__slice_waitfor::\n ret\n__slice_yield::\n ret\n"
                                  "__slice_abort::\n ret\n#endasm\n";
const std::vector<std::string> kRoutineBodies(7, "ret");

struct CostateCase {
  const char *what;
  const char *program;
  std::vector<std::string> listing;
  // The start-up table's entry: the buffer's address (0: left out) and how
  // it starts.
  uint16_t entryAddress;
  CostateStart entryState;
  std::vector<std::string> messages = {};
};

class CostateCompile : public StatementCompileTest {
protected:
  void ExpectCases(const std::vector<CostateCase> &cases) {
    for (const CostateCase &c : cases) {
      SCOPED_TRACE(c.what);
      CompileAlone(std::string(kBufferType) + kRoutines + c.program);
      EXPECT_EQ(MessageNumbers(), c.messages) << ::testing::PrintToString(Records());
      std::vector<std::string> listing = kRoutineBodies;
      listing.insert(listing.end(), c.listing.begin(), c.listing.end());
      EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), listing));
      const std::vector<CostateInitEntry> entries = CostateTableEntries();
      ASSERT_EQ(entries.size(), 1u);
      EXPECT_EQ(entries[0].address.logical, c.entryAddress);
      EXPECT_EQ(entries[0].state, c.entryState);
    }
  }
};

TEST_F(CostateCompile, ACostateEntersAndLeavesThroughItsBuffer) {
  const std::vector<std::string> alwaysOn = {"ld    hl,3FF2", "call  1000", "jp    z,101E", "ld    hl,0001",
                                             "ld    (3FFE),hl", "ld    hl,3FF2", "ld    b,02", "call  1001",
                                             "ret"};
  std::vector<std::string> off = alwaysOn;
  off[6] = "ld    b,03";
  ExpectCases({
      {"unnamed", "void f(void) { costate { g = 1; } }", alwaysOn, 0x3FF2, CostateStart::kAlwaysOn},
      {"funcblk", "void f(void) { funcblk { g = 1; } }", alwaysOn, 0x3FF2, CostateStart::kAlwaysOn},
      {"a global buffer, init_on", "FuncBlk x; void f(void) { costate x init_on { g = 1; } }", off, 0x3FF2,
       CostateStart::kInitOn},
      {"a static buffer without a state", "static FuncBlk x; void f(void) { costate x { g = 1; } }", off, 0x3FF2,
       CostateStart::kOff},
      {"a new name, always_on", "void f(void) { costate x always_on { g = 1; } }", alwaysOn, 0x3FF2,
       CostateStart::kAlwaysOn},
      // Reserved by the costate and defined there.
      {"an extern buffer", "extern FuncBlk x; void f(void) { costate x { g = 1; } }", off, 0x3FF2,
       CostateStart::kOff},
      // Reached through the frame; no start-up entry can reach it.
      {"a buffer on the stack",
       "void f(void) { FuncBlk x; costate x { g = 1; } }",
       {"add   sp,F4", "ld    hl,0000", "add   hl,sp", "call  1000", "jp    z,1022", "ld    hl,0001",
        "ld    (3FFE),hl", "ld    hl,0000", "add   hl,sp", "ld    b,03", "call  1001", "add   sp,0C", "ret"},
       0,
       CostateStart::kOff,
       {"528"}},
      // Its address is known only after the function: each store's
      // operand gets its own fixup with the byte's offset.
      {"a protected extern defined later",
       "extern protected FuncBlk x; void f(void) { costate x { yield; } }\nprotected FuncBlk x;",
       {"ld    hl,3FF2", "call  1000", "jp    z,1027", "ld    hl,101F", "ld    (3FF3),hl", "ld    hl,0F00",
        "ld    (3FF5),hl", "jp    1027", "ld    hl,3FF2", "ld    b,03", "call  1001", "ret"},
       0,
       CostateStart::kOff},
  });
}

TEST_F(CostateCompile, ResumePointsAreWhereTheTaskComesBack) {
  ExpectCases({
      // The resume address goes to buffer + 1 with its page and check byte
      // (low ^ high ^ page); waitfor also sets buffer + 5 and resumes at
      // its test.
      {"waitfor",
       "void f(void) { costate { waitfor(g); } }",
       {"ld    hl,3FF2", "call  1000", "jp    z,1034", "ld    hl,1021", "ld    (3FF3),hl", "ld    hl,3100",
        "ld    (3FF5),hl", "ld    a,01", "ld    (3FF7),a", "ld    hl,(3FFE)", "bool  hl", "jp    nz,102C",
        "xor   a", "jp    1034", "ld    hl,3FF2", "ld    b,02", "call  1001", "ret"},
       0x3FF2,
       CostateStart::kAlwaysOn},
      // yield resumes behind its jump past the costate; abort jumps to the
      // exit sequence.
      {"yield and abort",
       "void f(void) { costate { yield; abort; } }",
       {"ld    hl,3FF2", "call  1000", "jp    z,102A", "ld    hl,101F", "ld    (3FF3),hl", "ld    hl,0F00",
        "ld    (3FF5),hl", "jp    102A", "jp    1022", "ld    hl,3FF2", "ld    b,02", "call  1001", "ret"},
       0x3FF2,
       CostateStart::kAlwaysOn},
  });
}

// The slice's buffer, size and time are pushed for its routine, which
// runs the body with the task part at buffer + 6, and taken off after the
// slice; in a slice the routines keep the resume points and the ";" after
// yield or abort is a statement of its own.
TEST_F(CostateCompile, ASliceRunsThroughItsOwnRoutines) {
  ExpectCases({
      {"yield in a slice",
       "void f(void) { slice(20, 5) { yield; } }",
       {"ld    hl,3FEA", "push  hl", "ld    hl,0014", "push  hl", "ld    hl,0005", "push  hl", "call  1002",
        "jp    1027", "ld    hl,3FF0", "call  1005", "ld    hl,3FF0", "ld    b,02", "call  1003", "add   sp,06", "ret"},
       0x3FF0,
       CostateStart::kAlwaysOn},
      // A body that starts with a name names no buffer.
      {"a reserved buffer",
       "void f(void) { slice(20, 5) g = 2; }",
       {"ld    hl,3FEA", "push  hl", "ld    hl,0014", "push  hl", "ld    hl,0005", "push  hl", "call  1002",
        "jp    1027", "ld    hl,0002", "ld    (3FFE),hl", "ld    hl,3FF0", "ld    b,02", "call  1003", "add   sp,06", "ret"},
       0x3FF0,
       CostateStart::kAlwaysOn},
      {"a buffer variable",
       "char b[30]; void f(void) { slice(b, 30, g) { waitfor(g); abort; } }",
       {"ld    hl,3FE0", "push  hl", "ld    hl,001E", "push  hl", "ld    hl,(3FFE)", "push  hl", "call  1002",
        "jp    1045", "ld    hl,102A", "ld    (3FE7),hl", "ld    hl,3A00", "ld    (3FE9),hl", "ld    a,01",
        "ld    (3FEB),a", "ld    hl,(3FFE)", "bool  hl", "jp    nz,1037", "ld    hl,3FE6", "call  1004",
        "ld    hl,3FE6", "call  1006", "ld    hl,3FE6", "ld    b,02", "call  1003", "add   sp,06", "ret"},
       0x3FE6,
       CostateStart::kAlwaysOn},
  });
}

// A return inside a slice leaves through the function's one epilog: the
// slice's words go first, the value kept, and the statements after it are
// still compiled with them on the stack (x stays at sp+0 after the slice).
TEST_F(CostateCompile, AReturnInsideASliceReleasesItsWordsFirst) {
  ExpectCases({
      {"from a loop and an if in the slice",
       "int f(void) { int x; x = g; slice(20, 5) { while (g) { if (g == 3) return 1; g--; } } return x; }",
       {"add   sp,FE", "ld    hl,(3FFE)", "ld    (sp+0),hl", "ld    hl,3FEA", "push  hl", "ld    hl,0014",
        "push  hl", "ld    hl,0005", "push  hl", "call  1002", "jp    1053",
        // while (g) at 1020
        "ld    hl,(3FFE)", "bool  hl", "jp    z,104B", "ld    hl,0003", "ld    de,(3FFE)", "or    a", "sbc   hl,de",
        "bool  hl", "dec   hl", "bool  hl", "jp    z,1041",
        // return 1: the slice's words, then the epilog at 103C
        "ld    hl,0001", "add   sp,06", "exx", "add   sp,02", "exx", "ret",
        // g--, the loop's jump, the slice's exit at 104B and its end at 1053
        "ld    hl,(3FFE)", "dec   hl", "ld    (3FFE),hl", "jp    1020", "ld    hl,3FF0", "ld    b,02", "call  1003",
        "add   sp,06", "ld    hl,(sp+0)", "jp    103C"},
       0x3FF0,
       CostateStart::kAlwaysOn},
  });
}

// A break or continue that leaves a slice for its loop releases the
// slice's words on its way; the loop's code after the slice is compiled
// as it was.
TEST_F(CostateCompile, ABreakOrContinueOutOfASliceReleasesItsWords) {
  ExpectCases({
      {"break and continue",
       "void f(void) { while (g) { slice(20, 5) { if (g == 3) break; if (g == 4) continue; g--; } } }",
       {// while (g) at 1007, its exit at 105E
        "ld    hl,(3FFE)", "bool  hl", "jp    z,105E", "ld    hl,3FEA", "push  hl", "ld    hl,0014", "push  hl",
        "ld    hl,0005", "push  hl", "call  1002", "jp    1059",
        // break
        "ld    hl,0003", "ld    de,(3FFE)", "or    a", "sbc   hl,de", "bool  hl", "dec   hl", "bool  hl",
        "jp    z,1035", "add   sp,06", "jp    105E",
        // continue
        "ld    hl,0004", "ld    de,(3FFE)", "or    a", "sbc   hl,de", "bool  hl", "dec   hl", "bool  hl",
        "jp    z,104A", "add   sp,06", "jp    1007",
        // g--, the slice's exit, its end at 1059, the loop's jump back
        "ld    hl,(3FFE)", "dec   hl", "ld    (3FFE),hl", "ld    hl,3FF0", "ld    b,02", "call  1003",
        "add   sp,06", "jp    1007", "ret"},
       0x3FF0,
       CostateStart::kAlwaysOn},
  });
}

// In extended memory the resume point carries the page of the code it
// returns to, and the check byte covers it.
TEST_F(CostateCompile, AResumePointInExtendedMemoryCarriesItsPage) {
  TearDown();
  SetUp();
  CodeGenSetup().noBouncers = true;
  ASSERT_EQ(Compile(std::string(kCorvidRootProgram) + "#xcodorg xc 0x10 0xE000 0x1000 apply\n" + kBufferType +
                    kRoutines + "xmem void f(void) { costate { yield; } }\n"),
            0)
      << ::testing::PrintToString(Records());
  const ADDR24 body = MakeAddr24(0x10, 0xE000);
  constexpr size_t kBodyLength = 0x22;
  std::vector<uint8_t> code(kBodyLength);
  ASSERT_TRUE(ReadEmittedBytes(body, uint32_t(code.size()), code.data()));
  // E018 on page 10: its check byte is 18 ^ E0 ^ 10 = E8.
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, code,
                        {"ld    hl,3FF2", "call  1000", "jp    z,E020", "ld    hl,E018", "ld    (3FF3),hl",
                         "ld    hl,E810", "ld    (3FF5),hl", "jp    E020", "ld    hl,3FF2", "ld    b,02", "call  1001",
                         "lret"},
                        {}, 0xE000));
}

// An inner costate's statements act on it alone; after it the outer one
// is the innermost again. Both get entries, the inner one last.
TEST_F(CostateCompile, NestedCostatesEachLeaveByTheirOwnLabels) {
  CompileAlone(std::string(kBufferType) + kRoutines + "void f(void) { costate { costate { yield; } abort; } }");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{});
  std::vector<std::string> listing = kRoutineBodies;
  for (const char *line : {"ld    hl,3FF2", "call  1000", "jp    z,103B", "ld    hl,3FE6", "call  1000", "jp    z,1030",
                           "ld    hl,1028", "ld    (3FE7),hl", "ld    hl,3800", "ld    (3FE9),hl", "jp    1030",
                           "ld    hl,3FE6", "ld    b,02", "call  1001", "jp    1033", "ld    hl,3FF2", "ld    b,02",
                           "call  1001", "ret"})
    listing.push_back(line);
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), listing));
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].address.logical, 0x3FF2);
  EXPECT_EQ(entries[1].address.logical, 0x3FE6);
  EXPECT_EQ(CurrentCostateRecord(), nullptr);
}

// Root code from 1000 in a segment of 0x100 bytes that overflows past 1080
// into a follower at 2000: the stand-in routines and 20 assignments of 6
// bytes bring the costate to the boundary, and it is compiled again there.
TEST_F(CostateCompile, ACostateCompiledAgainInTheFollowerKeepsOneEntryAndNumber) {
  std::string fill;
  for (int i = 0; i < 20; ++i)
    fill += "g = 1;\n";
  TearDown();
  SetUp();
  ASSERT_EQ(Compile("#pragma Corvid\n#rcodorg rc 0 0x1000 0x100 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n"
                    "#rcodorg rd 0 0x2000 0x1000 follows rc\n#memmap root\n" +
                    std::string(kBufferType) + kRoutines + "void f(void) {\n" + fill + "costate { yield; }\n}\n"),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<uint8_t> image = Image();
  ASSERT_GT(image.size(), size_t(0x1000));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, std::vector<uint8_t>(image.begin() + 0x1000, image.end()),
                        {"ld    hl,3FF2", "call  1000", "jp    z,2020", "ld    hl,2018", "ld    (3FF3),hl",
                         "ld    hl,3800", "ld    (3FF5),hl", "jp    2020", "ld    hl,3FF2", "ld    b,02", "call  1001",
                         "ret"},
                        {}, 0x2000));
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].address.logical, 0x3FF2);
  EXPECT_EQ(CostateState().costateCounter, 1u);
}

// With statement hooks a waitfor is marked once, at its test, behind the
// resume store: a task that comes back stops there in the debugger.
TEST_F(CostateCompile, AWaitforWithHooksResumesAtItsOneHook) {
  CompileAlone(std::string("typedef struct { char bytes[12]; } FuncBlk;\nint g;\n") + kRoutines +
               "void f(void) { costate { waitfor(g); } }");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{});
  const std::vector<uint8_t> image = Image();
  // ld hl,resume; ld (3FF3),hl
  const std::vector<uint8_t> store{0x22, 0xF3, 0x3F};
  const auto at = std::search(image.begin(), image.end(), store.begin(), store.end());
  ASSERT_NE(at, image.end());
  ASSERT_GE(at - image.begin(), 2);
  const size_t resume = size_t(at[-2] | at[-1] << 8) - 0x1000;
  ASSERT_LT(resume + 3, image.size());
  constexpr uint8_t kHook = 0xEF, kLoadHlDirect = 0x2A, kStoreADirect = 0x32;
  // ld (3FF7),a; rst 28h; ld hl,(3FFE)
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + ptrdiff_t(resume) - 3, image.begin() + ptrdiff_t(resume) + 2),
            (std::vector<uint8_t>{kStoreADirect, 0xF7, 0x3F, kHook, kLoadHlDirect}));
  EXPECT_EQ(std::count(image.begin(), image.end(), kHook), 3) << "the costate's, the waitfor's, the function end's";
}

TEST_F(CostateCompile, WrongCostatesAndSlicesAreReported) {
  struct Case {
    const char *what;
    const char *program;
    // What the statement that follows a broken one brings is not checked.
    std::vector<std::string> messages;
    bool more = false;
  } cases[] = {
      {"a state word before the name", "void f(void) { costate always_on { g = 1; } }", {"523"}},
      {"an unknown state word", "void f(void) { costate x sometimes { g = 1; } }", {"466"}},
      {"a buffer of another type", "int x; void f(void) { costate x { g = 1; } }", {"529"}},
      {"a shared buffer", "shared FuncBlk x; void f(void) { costate x { g = 1; } }", {"530"}},
      {"an automatic variable in the body", "void f(void) { int a; costate { a = 1; } }", {"2019"}},
      {"waitfor outside a costate", "void f(void) { waitfor(g); }", {"481"}},
      {"yield outside a costate", "void f(void) { yield; }", {"481"}},
      {"abort outside a costate", "void f(void) { abort; }", {"481"}},
      {"slice without its parenthesis", "void f(void) { slice 20, 5 { } }", {"2038"}, true},
      {"a slice buffer on the stack", "void f(void) { char b[30]; slice(b, 30, 5) { } }", {"2039"}},
      {"slice arguments without a comma", "void f(void) { slice(20 5) { } }", {"2040"}, true},
      {"a slice size of another type", "void f(void) { slice(20L, 5) { } }", {"2041"}},
      {"a slice size after a buffer that is no constant", "char b[30]; void f(void) { slice(b, g, 5) { } }",
       {"2041"}},
      {"slice arguments not closed", "void f(void) { slice(20, 5 { } }", {"2006"}, true},
      {"a goto out of a slice to a label after it", "void f(void) { slice(20, 5) { goto out; } out: g = 1; }",
       {"2134"}},
      {"a goto into a slice", "void f(void) { goto in; slice(20, 5) { in: g = 1; } }", {"2134"}},
      {"a goto back into a slice", "void f(void) { slice(20, 5) { in: g = 1; } goto in; }", {"2134"}},
      {"gotos that stay at their depth", "void f(void) { a: slice(20, 5) { b: g = 1; goto b; } goto a; }", {}},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string(kBufferType) + kRoutines + c.program);
    const std::vector<std::string> numbers = MessageNumbers();
    if (c.more)
      EXPECT_EQ(Reported(c.messages[0]), 1u) << c.what << ": " << ::testing::PrintToString(Records());
    else
      EXPECT_EQ(numbers, c.messages) << c.what << ": " << ::testing::PrintToString(Records());
  }
  // Without the library's type no buffer can be laid out; the body is
  // compiled as an ordinary statement.
  CompileAlone(std::string("#nodebug\nint g;\n") + kRoutines + "void f(void) { costate { g = 1; } }");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{"480"});
}

TEST_F(CostateCompile, TheTableTakesNoEntryPastItsLastAndTheNumbersGoOn) {
  std::string body;
  for (int i = 0; i <= kCostateTableEntries; ++i)
    body += "costate { }\n";
  TearDown();
  SetUp();
  Compile("#pragma Corvid\n#rcodorg rc 0 0x1000 0x2000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n#memmap root\n" +
          std::string(kBufferType) + kRoutines + "void f(void) {\n" + body + "}\n");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{"2058"});
  EXPECT_EQ(CostateTableEntries().size(), kCostateTableEntries);
  EXPECT_EQ(CostateState().costateCounter, kCostateTableEntries + 1u);

  // The labels a second compile makes must not meet the first one's.
  Compile(std::string(kCorvidRootProgram) + kBufferType + kRoutines + "void f(void) { costate { } }\n");
  EXPECT_EQ(CostateTableEntries().size(), 1u);
  EXPECT_EQ(CostateState().costateCounter, kCostateTableEntries + 2u);
}

// On the Z180 the same instructions: every one is valid there.
class CostateZ180Compile : public ProgramCompileTest {
protected:
  CostateZ180Compile() { backEnd = &placed; }
  PlacedFunctionBodies placed;
};

TEST_F(CostateZ180Compile, ASliceWithItsStatementsDecodes) {
  ASSERT_EQ(Compile(std::string(kBufferType) + kRoutines +
                    "char b[30];\nroot void f(void) { slice(b, 30, g) { waitfor(g); yield; abort; } }\n"),
            0)
      << ::testing::PrintToString(Records());
  ASSERT_EQ(placed.bodies.size(), 1u);
  const CompiledBody &f = placed.bodies[0];
  ASSERT_EQ(f.start.logical, 0x2000);
  std::vector<uint8_t> bytes(Addr24Difference(f.end, f.start));
  ASSERT_TRUE(ReadEmittedBytes(f.start, uint32_t(bytes.size()), bytes.data()));
  auto address = [](const char *name) {
    return Addr24FromLong(LookupSymbol(name, false, SymbolTableId::kGlobal)->address).logical;
  };
  const uint16_t b = address("b"), g = address("g"), task = uint16_t(b + 6);
  auto call = [](const char *routine) { return fmt::format("call  {:04X}", FindRuntimeRoutine(routine).logical); };
  auto hl = [](uint16_t n) { return fmt::format("ld    hl,{:04X}", n); };
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes,
                        {hl(b), "push  hl", "ld    hl,001E", "push  hl", fmt::format("ld    hl,({:04X})", g),
                         "push  hl", call("__slice_entry"), "jp    204B",
                         // The resume point 2023 (check 23 ^ 20 ^ 00) and the
                         // waitfor byte.
                         "ld    hl,2023", fmt::format("ld    ({:04X}),hl", task + 1), "ld    hl,0300",
                         fmt::format("ld    ({:04X}),hl", task + 3), "ld    a,01",
                         fmt::format("ld    ({:04X}),a", task + 5), fmt::format("ld    hl,({:04X})", g), "ld    a,h",
                         "or    l", "ld    hl,0000", "jr    z,202E", "inc   hl", "jp    nz,2037", hl(task),
                         call("__slice_waitfor"), hl(task), call("__slice_yield"), hl(task), call("__slice_abort"),
                         hl(task), "ld    b,02", call("__slice_exit"),
                         // The slice's three words go, HL kept.
                         "exx", "ld    hl,0006", "add   hl,sp", "ld    sp,hl", "exx", "ret"},
                        {}, f.start.logical));
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].address.logical, task);
}

// A long value in BC:HL is kept while the slice's words go.
TEST_F(CostateZ180Compile, AReturnInsideASliceReleasesItsWordsKeepingTheValue) {
  ASSERT_EQ(Compile(std::string(kBufferType) + kRoutines +
                    "root long f(void) { slice(20, 5) { if (g) return 0x12345678L; } return 0L; }\n"),
            0)
      << ::testing::PrintToString(Records());
  ASSERT_EQ(placed.bodies.size(), 1u);
  const CompiledBody &f = placed.bodies[0];
  std::vector<uint8_t> bytes(Addr24Difference(f.end, f.start));
  ASSERT_TRUE(ReadEmittedBytes(f.start, uint32_t(bytes.size()), bytes.data()));
  ASSERT_EQ(f.start.logical, 0x2000);
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 1u);
  const uint16_t task = entries[0].address.logical;
  const uint16_t g = Addr24FromLong(LookupSymbol("g", false, SymbolTableId::kGlobal)->address).logical;
  auto call = [](const char *routine) { return fmt::format("call  {:04X}", FindRuntimeRoutine(routine).logical); };
  const std::vector<std::string> releaseKeepingTheValue = {"exx", "ld    hl,0006", "add   hl,sp", "ld    sp,hl",
                                                           "exx"};
  std::vector<std::string> listing = {fmt::format("ld    hl,{:04X}", task - 6), "push  hl", "ld    hl,0014",
                                      "push  hl", "ld    hl,0005", "push  hl", call("__slice_entry"), "jp    2036",
                                      fmt::format("ld    hl,({:04X})", g), "ld    a,h", "or    l", "ld    hl,0000",
                                      "jr    z,201D", "inc   hl", "jp    z,202E", "ld    de,5678", "ld    bc,1234"};
  listing.insert(listing.end(), releaseKeepingTheValue.begin(), releaseKeepingTheValue.end());
  // The epilog at 202D; the slice's exit, and at its end 2036 the release
  // for the way past it.
  for (const std::string &line : {std::string("ret"), fmt::format("ld    hl,{:04X}", task), std::string("ld    b,02"),
                                  call("__slice_exit")})
    listing.push_back(line);
  listing.insert(listing.end(), releaseKeepingTheValue.begin(), releaseKeepingTheValue.end());
  for (const char *line : {"ld    de,0000", "ld    bc,0000", "jp    202D"})
    listing.push_back(line);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes, listing, {}, f.start.logical));
}

TEST_F(CostateZ180Compile, ACostateWithYieldDecodes) {
  ASSERT_EQ(Compile(std::string(kBufferType) + kRoutines + "root void f(void) { costate { yield; g = 1; } }\n"), 0)
      << ::testing::PrintToString(Records());
  ASSERT_EQ(placed.bodies.size(), 1u);
  const CompiledBody &f = placed.bodies[0];
  std::vector<uint8_t> bytes(Addr24Difference(f.end, f.start));
  ASSERT_TRUE(ReadEmittedBytes(f.start, uint32_t(bytes.size()), bytes.data()));
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 1u);
  const uint16_t buffer = entries[0].address.logical;
  const uint16_t at = f.start.logical;
  constexpr uint16_t kResumeOffset = 0x18, kEndOffset = 0x26;
  const uint16_t resume = uint16_t(at + kResumeOffset);
  const uint8_t check = uint8_t(resume ^ resume >> 8);
  const uint16_t end = uint16_t(at + kEndOffset);
  auto call = [](const char *routine) { return fmt::format("call  {:04X}", FindRuntimeRoutine(routine).logical); };
  const uint16_t g = Addr24FromLong(LookupSymbol("g", false, SymbolTableId::kGlobal)->address).logical;
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes,
                        {fmt::format("ld    hl,{:04X}", buffer), call("funcblk_entry"),
                         fmt::format("jp    z,{:04X}", end), fmt::format("ld    hl,{:04X}", resume),
                         fmt::format("ld    ({:04X}),hl", buffer + 1), fmt::format("ld    hl,{:02X}00", check),
                         fmt::format("ld    ({:04X}),hl", buffer + 3), fmt::format("jp    {:04X}", end),
                         "ld    hl,0001", fmt::format("ld    ({:04X}),hl", g), fmt::format("ld    hl,{:04X}", buffer),
                         "ld    b,02", call("funcblk_exit"), "ret"},
                        {}, at));
}

} // namespace
} // namespace tsw::testing

#include "compcore/codegen_fixture.h"
#include "compcore/cc_gen/routine_contracts.h"
#include "compcore/cc_parse/stmt/costate.h"

namespace tsw::testing {
namespace {

class CostateInitTable : public CodegenTest {};

// "funcblk_init" reads its entries from behind the call: the newest first,
// the buffers no start-up code can reach left out, a zero entry last.
TEST_F(CostateInitTable, ListsTheEntriesNewestFirstAndEndsWithZeros) {
  EmitCostateInitTable();
  EXPECT_TRUE(Emitted().empty()) << "no table without entries";

  const struct {
    uint16_t address;
    CostateStart state;
  } made[] = {
      {0x4000, CostateStart::kOff},
      {0x0000, CostateStart::kOff},
      {0x4100, CostateStart::kInitOn},
      {0x4200, CostateStart::kAlwaysOn},
  };
  for (const auto &m : made)
    *TakeCostateEntry() = {MakeAddr24(0, m.address), m.state};
  EmitCostateInitTable();
  const std::vector<uint8_t> bytes = Emitted();
  constexpr size_t kCallLength = 3;
  ASSERT_GE(bytes.size(), kCallLength);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, std::vector<uint8_t>(bytes.begin(), bytes.begin() + kCallLength),
                        {"call  0000"}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + kCallLength, bytes.end()),
            (std::vector<uint8_t>{0x00, 0x42, 0x02, 0x00, 0x41, 0x02, 0x00, 0x40, 0x03, 0x00, 0x00, 0x00}));
}

TEST(CostateRoutines, EveryRoutineTheStatementsCallHasAContract) {
  for (const char *routine : {"funcblk_entry", "funcblk_exit", "funcblk_init"})
    EXPECT_NE(FindRoutineContract(routine), nullptr) << routine;
}

} // namespace
} // namespace tsw::testing

#include "compcore/cc_parse/stmt/control_flow.h"

namespace tsw::testing {
namespace {

class TaskStatementTest : public CodegenTest {};

// An everytime block runs on each entry of its cofunction: it cannot give
// up its turn. The statement is still compiled.
TEST_F(TaskStatementTest, TheTaskStatementsAreRefusedInAnEverytimeBlock) {
  const struct {
    const char *text;
    uint16_t (*compile)();
  } statements[] = {{"(1);", CompileWaitfor}, {";", CompileYield}, {";", CompileAbort}};
  for (const auto &s : statements) {
    PushCostateRecord({0, MakeAddr24(0, 0x4000), nullptr});
    InEverytimeBlock() = true;
    Line(s.text);
    s.compile();
    InEverytimeBlock() = false;
    PopCostateRecord();
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{2043}) << s.text;
    EXPECT_FALSE(Emitted().empty()) << s.text;
    sink.records.clear();
  }
}

} // namespace
} // namespace tsw::testing

#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_queries.h"

namespace tsw::testing {
namespace {

// A char left in A is pushed once, ahead of both passes of the resume
// store: the image holds the second, with the resume address behind the
// jump that leaves the task.
TEST_F(TaskStatementTest, AValueHeldInAIsPushedOnceBeforeTheResumeStore) {
  PushCostateRecord({0, MakeAddr24(0, 0x4000), nullptr});
  ValueRecord cached = MakeValue(kTypeChar, 0, kStoragePrimary, false);
  cached.SetByteResult(true);
  CachePrimaryRegister(cached, false);
  EXPECT_TRUE(EmitResumePoint("yield", false, EmitLeaveTask));
  PopCostateRecord();
  EXPECT_TRUE(sink.Messages().empty()) << ::testing::PrintToString(sink.Messages());
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(),
                        {"ld    l,a", "ld    h,00", "push  hl", "ld    hl,1013", "ld    (4001),hl", "ld    hl,0300",
                         "ld    (4003),hl", "jp    0000"}));
}

} // namespace
} // namespace tsw::testing
