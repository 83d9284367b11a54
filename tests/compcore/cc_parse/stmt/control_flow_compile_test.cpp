#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Loops, switches and jumps compiled by the product to its image file and
// decoded. The global g stands at 0000 in these images: no data origin.
namespace tsw::testing {
namespace {

constexpr const char *kNoHooks = "#nodebug\nint g;\n";
// A stand-in for the run-time routine the dispatch calls, so that its call
// has an address (1000) and the case table follows it directly.
constexpr const char *kSwitchRoutine = "#nodebug\nint g;\n#asm\n_switch::\n ret\n#endasm\n";

constexpr const char *kLargeCorvidRoot =
    "#pragma Corvid\n#rcodorg rc 0 0x1000 0xC000 apply\n#rvarorg rv 0 0xdfff 0x1000 apply\n#memmap root\n";
constexpr size_t kNestedLoopsPastTheLimit = 20;
constexpr size_t kJumpListCapacityForTest = 256;
constexpr size_t kCaseTableCapacityForTest = 4096;

struct ListingCase {
  const char *what;
  const char *program;
  std::vector<std::string> listing;
  std::vector<DataSpan> data = {};
};

class ControlFlowCompile : public StatementCompileTest {
protected:
  void ExpectListings(const char *prefix, const std::vector<ListingCase> &cases) {
    for (const ListingCase &c : cases) {
      const uint16_t status = CompileAlone(std::string(prefix) + c.program);
      EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
      EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing, c.data)) << c.what;
    }
  }
};

TEST_F(ControlFlowCompile, LoopsJumpBackToTheirHeadAndOutPastTheirEnd) {
  ExpectListings(kNoHooks,
                 {
                     {"while",
                      "void f(void) { while (g) ; }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,100A", "jp    1000", "ret"}},
                     {"do", "void f(void) { do ; while (g); }", {"ld    hl,(3FFE)", "bool  hl", "jr    nz,1000", "ret"}},
                     // The test stands behind the body, which the entry test
                     // skips when the condition fails at once.
                     {"for with all three parts",
                      "void f(void) { for (g; g; g) ; }",
                      {"ld    hl,(3FFE)", "ld    hl,(3FFE)", "bool  hl", "jp    z,1013", "ld    hl,(3FFE)",
                       "ld    hl,(3FFE)", "bool  hl", "jr    nz,100A", "ret"}},
                     {"for without a condition or increment", "void f(void) { for (;;) ; }", {"jp    1000", "ret"}},
                     // Kept as it was read, over line ends.
                     {"for over several lines",
                      "void f(void) { for (;\ng\n;\ng) ; }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,1010", "ld    hl,(3FFE)", "ld    hl,(3FFE)", "bool  hl",
                       "jr    nz,1007", "ret"}},
                     {"an increment with a call, compiled once",
                      "void f(void) { for (;g;f()) ; }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,1010", "call  1000", "ld    hl,(3FFE)", "bool  hl",
                       "jr    nz,1007", "ret"}},
                     // The directives between the lines ran once, where they
                     // stand: both tests compare with the first LIMIT, and the
                     // statement after the loop sees the last one.
                     {"directives between the lines of a for",
                      "void f(void) { for (g = 0; g <\n#define LIMIT 3\nLIMIT; g++\n#undef LIMIT\n#define LIMIT 7\n) ;\n"
                      "  g = LIMIT; }",
                      {"ld    hl,0000", "ld    (3FFE),hl", "ld    hl,(3FFE)", "ld    de,8003", "add   hl,hl", "ccf",
                       "rr    hl", "sbc   hl,de", "jp    nc,1028", "ld    hl,(3FFE)", "inc   hl", "ld    (3FFE),hl",
                       "ld    hl,(3FFE)", "ld    de,8003", "add   hl,hl", "ccf", "rr    hl", "sbc   hl,de",
                       "jr    c,1014", "ld    hl,0007", "ld    (3FFE),hl", "ret"}},
                 });
}

TEST_F(ControlFlowCompile, BreakAndContinueLeaveTheNearestLoopOrSwitch) {
  ExpectListings(kNoHooks,
                 {
                     {"in a while",
                      "void f(void) { while (g) { break; continue; } }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,1010", "jp    1010", "jp    1000", "jp    1000", "ret"}},
                     // continue goes to the increment behind the body, break
                     // past the test.
                     {"in a for",
                      "void f(void) { for (; g; f()) { continue; break; } }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,1016", "jp    100D", "jp    1016", "call  1000",
                       "ld    hl,(3FFE)", "bool  hl", "jr    nz,1007", "ret"}},
                     {"in a do: continue reaches the test",
                      "void f(void) { do { continue; break; } while (g); }",
                      {"jp    1006", "jp    100C", "ld    hl,(3FFE)", "bool  hl", "jr    nz,1000", "ret"}},
                     // The label prefixes the break: both are the loop's body.
                     {"a labelled break is the loop's body",
                      "void f(void) { while (g) L: break; }",
                      {"ld    hl,(3FFE)", "bool  hl", "jp    z,100D", "jp    100D", "jp    1000", "ret"}},
                 });
}

// With statement hooks every loop stops at its condition: the head of a
// while has an address of its own behind the while's hook, and a for tests
// ahead of its body.
TEST_F(ControlFlowCompile, StatementHooksStopAtConditionsAndLabels) {
  const ListingCase cases[] = {
      {"while", "void f(void) { while (g) ; }",
       {"rst   28h", "nop", "rst   28h", "ld    hl,(3FFE)", "bool  hl", "jp    z,1016", "rst   28h", "jp    100A"}},
      {"do", "void f(void) { do g = 1; while (g); }",
       {"rst   28h", "nop", "rst   28h", "ld    hl,0001", "ld    (3FFE),hl", "rst   28h", "ld    hl,(3FFE)",
        "bool  hl", "jr    nz,1009"}},
      // Condition at 100C, increment at 1017 behind a jump over it, body at
      // 101E, which goes on at the increment.
      {"for", "void f(void) { for (g; g; g) ; }",
       {"rst   28h", "ld    hl,(3FFE)", "rst   28h", "ld    hl,(3FFE)", "bool  hl", "jp    z,1022", "jp    101E",
        "rst   28h", "ld    hl,(3FFE)", "jp    100C", "rst   28h", "jp    1017"}},
      // No condition and no increment: the body goes on at the head.
      {"for without its parts", "void f(void) { for (;;) ; }", {"rst   28h", "nop", "rst   28h", "jp    1009"}},
      // The label right behind the empty statement's hook takes the hook's
      // address, so that the jump to it stops there.
      {"a label behind a hook", "void f(void) { ; L: goto L; }", {"rst   28h", "nop", "rst   28h", "jp    1008"}},
  };
  for (const ListingCase &c : cases) {
    const uint16_t status = CompileAlone(std::string("int g;\n") + c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    // The frame's entry and exit routines follow the function, linked from
    // the library, a bare ret each.
    std::vector<std::string> listing = {"exx", "ld    hl,0000", CallOf("sspixffn_"), "nop"};
    listing.insert(listing.end(), c.listing.begin(), c.listing.end());
    listing.insert(listing.end(), {"rst   28h", "exx", "ld    hl,0000", CallOf("rspixffn_"), "nop", "ret", "ret", "ret"});
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), listing)) << c.what;
  }
}

TEST_F(ControlFlowCompile, GotosReachTheirLabelsForwardAndBack) {
  ExpectListings(kNoHooks, {
                               {"forward and back", "void f(void) { a: goto b; b: goto a; }", {"jp    1003", "jp    1000", "ret"}},
                               // The label is no statement of its own:
                               // the assignment is the if's.
                               {"a label under an if",
                                "void f(void) { if (g) L: g = 1; }",
                                {"ld    hl,(3FFE)", "bool  hl", "jp    z,100D", "ld    hl,0001", "ld    (3FFE),hl", "ret"}},
                               {"a label at the end of the block",
                                "void f(void) { goto out; g; out: }",
                                {"jp    1006", "ld    hl,(3FFE)", "ret"}},
                           });
}

// The dispatch goes behind the body: the count, the call and the table of
// {value, address, page}; on the Corvid a jump then leads on into root code.
TEST_F(ControlFlowCompile, SwitchesDispatchThroughTheirCaseTable) {
  ExpectListings(kSwitchRoutine,
                 {
                     {"cases and a default",
                      "void f(void) { switch (g) { case 1: g; case 5: break; default: ; } }",
                      {"ret", "ld    hl,(3FFE)", "jp    1010", "ld    hl,(3FFE)", "jp    1026", "jp    1026",
                       "ld    bc,0002", "call  1000", "db 01", "db 00", "db 07", "db 10", "db 00", "db 05", "db 00",
                       "db 0A", "db 10", "db 00", "jp    1023", "jp    100D", "ret"},
                      {{0x16, 10}}},
                     {"sparse cases without a default go on after the switch",
                      "void f(void) { switch (g) { case 300: break; case -1: ; } }",
                      {"ret", "ld    hl,(3FFE)", "jp    100D", "jp    1020", "jp    1020", "ld    bc,0002", "call  1000",
                       "db 2C", "db 01", "db 07", "db 10", "db 00", "db FF", "db FF", "db 0A", "db 10", "db 00",
                       "jp    1020", "ret"},
                      {{0x13, 10}}},
                     // The inner switch's case 2 stays out of the outer table.
                     {"a nested switch",
                      "void f(void) { switch (g) { case 1: switch (g) { case 2: ; } case 3: ; } }",
                      {"ret", "ld    hl,(3FFE)", "jp    1021", "ld    hl,(3FFE)", "jp    1010", "jp    101E",
                       "ld    bc,0001", "call  1000", "db 02", "db 00", "db 0D", "db 10", "db 00", "jp    101E",
                       "jp    1034", "ld    bc,0002", "call  1000", "db 01", "db 00", "db 07", "db 10", "db 00", "db 03",
                       "db 00", "db 1E", "db 10", "db 00", "jp    1034", "ret"},
                      {{0x16, 5}, {0x27, 10}}},
                     {"continue in a switch goes to the loop around it",
                      "void f(void) { while (g) switch (g) { case 1: continue; } }",
                      {"ret", "ld    hl,(3FFE)", "bool  hl", "jp    z,1025", "ld    hl,(3FFE)", "jp    1014",
                       "jp    1001", "jp    1022", "ld    bc,0001", "call  1000", "db 01", "db 00", "db 0E", "db 10",
                       "db 00", "jp    1022", "jp    1001", "ret"},
                      {{0x1A, 5}}},
                     // No loop to continue, yet a statement to be in: nothing
                     // is emitted and nothing reported.
                     {"continue in a switch in no loop",
                      "void f(void) { switch (g) { case 1: continue; } }",
                      {"ret", "ld    hl,(3FFE)", "jp    100A", "jp    1018", "ld    bc,0001", "call  1000", "db 01",
                       "db 00", "db 07", "db 10", "db 00", "jp    1018", "ret"},
                      {{0x10, 5}}},
                 });
}

TEST_F(ControlFlowCompile, MistakesAreReportedOnceAndTheRestCompiles) {
  struct Case {
    const char *what;
    const char *body;
    const char *number;
    // The bracket checker has its own say about a missing parenthesis.
    bool bracketsUnbalanced = false;
  };
  const Case cases[] = {
      {"break outside a loop", "break;", "495"},
      {"continue outside a loop", "continue;", "495"},
      // The label's constant and colon are read, so that its statement
      // compiles as written.
      {"case outside a switch", "case 1: g;", "482"},
      {"default outside a switch", "default: g;", "482"},
      {"a case value twice", "switch (g) { case 1: ; case 1: ; }", "2101"},
      {"a long case constant", "switch (g) { case 1L: ; }", "483"},
      {"a second default", "switch (g) { default: ; default: ; }", "491"},
      {"do without its while", "do ; g;", "492"},
      {"goto without a label", "goto ;", "484"},
      {"a label placed twice", "a: ; a: ;", "491"},
      {"while without its parenthesis", "while g) ;", "2051", true},
      {"a for without its closing parenthesis", "for (;g;g ;", "2051", true},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string(kNoHooks) + "void f(void) { " + c.body + " }");
    if (c.bracketsUnbalanced)
      EXPECT_EQ(Reported(c.number), 1u) << c.what << ": " << ::testing::PrintToString(Records());
    else
      EXPECT_EQ(MessageNumbers(), std::vector<std::string>{c.number}) << c.what;
  }
}

TEST_F(ControlFlowCompile, TablesReportTheirLimitOnceAndKeepCompiling) {
  std::string nested;
  for (size_t i = 0; i < kNestedLoopsPastTheLimit; ++i)
    nested += "while (g) ";
  std::string breaks;
  for (size_t i = 0; i <= kJumpListCapacityForTest; ++i)
    breaks += "break;\n";
  std::string cases;
  for (size_t i = 0; i <= kCaseTableCapacityForTest; ++i)
    cases += "case " + std::to_string(i) + ":\n";
  struct Case {
    const char *what;
    std::string body;
    const char *number;
  };
  const Case table[] = {
      {"loops nested too deeply", nested + ";", "612"},
      {"too many breaks in one loop", "while (g) {\n" + breaks + "}", "609"},
      {"too many case labels", "switch (g) {\n" + cases + "; }", "608"},
  };
  for (const Case &c : table) {
    TearDown();
    SetUp();
    // Room for a dispatch of 4096 cases.
    Compile(std::string(kLargeCorvidRoot) + kNoHooks + "void f(void) { " + c.body + " }\n");
    EXPECT_EQ(MessageNumbers(), std::vector<std::string>{c.number}) << c.what;
  }
}

// Root code from 1000 in a segment of 0x100 bytes that overflows past 1080
// (its reserve is 128 bytes) into a follower at 2000; 20 assignments of 6
// bytes each bring the statement under test to the boundary.
TEST_F(ControlFlowCompile, AStatementThatCrossesTheSegmentLandsWholeInTheFollower) {
  std::string fill;
  for (int i = 0; i < 20; ++i)
    fill += "g = 1;\n";
  struct Case {
    const char *what;
    std::string program;
    size_t linkAt; // the segment's last jump, to the follower
    std::vector<std::string> follower;
    std::vector<DataSpan> data = {};
  };
  const Case cases[] = {
      // A break entered before the overflow would patch the segment's own
      // jump to the follower.
      {"a break",
       std::string(kNoHooks) + "void f(void) { while (g) {\n" + fill + "break;\n} }",
       0x7F,
       {"jp    2006", "jp    1000", "ret"}},
      // The case's table entry is the follower's address, entered once.
      {"a case label with its statement",
       std::string(kSwitchRoutine) + "void f(void) { switch (g) {\ncase 1:\n" + fill + "case 7: g = 2;\n} }",
       0x7F,
       {"ld    hl,0002", "ld    (3FFE),hl", "jp    201C", "ld    bc,0002", "call  1000", "db 01", "db 00", "db 07",
        "db 10", "db 00", "db 07", "db 00", "db 00", "db 20", "db 00", "jp    201C", "ret"},
       {{0x0F, 10}}},
  };
  for (const Case &c : cases) {
    TearDown();
    SetUp();
    const uint16_t status = Compile("#pragma Corvid\n#rcodorg rc 0 0x1000 0x100 apply\n"
                                    "#rvarorg rv 0 0x3fff 0x1000 apply\n"
                                    "#rcodorg rd 0 0x2000 0x1000 follows rc\n#memmap root\n" +
                                    c.program + "\n");
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    const std::vector<uint8_t> image = Image();
    ASSERT_GT(image.size(), size_t(0x1000)) << c.what;
    const std::vector<uint8_t> link(image.begin() + ptrdiff_t(c.linkAt), image.begin() + ptrdiff_t(c.linkAt + 3));
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, link, {"jp    2000"}, {}, uint16_t(0x1000 + c.linkAt))) << c.what;
    const std::vector<uint8_t> follower(image.begin() + 0x1000, image.end());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, follower, c.follower, c.data, 0x2000)) << c.what;
  }
}

} // namespace
} // namespace tsw::testing
