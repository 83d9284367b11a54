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
constexpr const char *kSwitchRoutine = "#nodebug\n#asm\n_switch::\n ret\n#endasm\nint g;\n";

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
                      {"ld    hl,(0000)", "bool  hl", "jp    z,100A", "jp    1000", "ret"}},
                     {"do", "void f(void) { do ; while (g); }", {"ld    hl,(0000)", "bool  hl", "jp    nz,1000", "ret"}},
                     // The test stands behind the body, which the entry test
                     // skips when the condition fails at once.
                     {"for with all three parts",
                      "void f(void) { for (g; g; g) ; }",
                      {"ld    hl,(0000)", "ld    hl,(0000)", "bool  hl", "jp    z,1014", "ld    hl,(0000)",
                       "ld    hl,(0000)", "bool  hl", "jp    nz,100A", "ret"}},
                     {"for without a condition or increment", "void f(void) { for (;;) ; }", {"jp    1000", "ret"}},
                     // Read again from the source, over line ends.
                     {"for over several lines",
                      "void f(void) { for (;\ng\n;\ng) ; }",
                      {"ld    hl,(0000)", "bool  hl", "jp    z,1011", "ld    hl,(0000)", "ld    hl,(0000)", "bool  hl",
                       "jp    nz,1007", "ret"}},
                     {"an increment with a call, compiled once",
                      "void f(void) { for (;g;f()) ; }",
                      {"ld    hl,(0000)", "bool  hl", "jp    z,1011", "call  1000", "ld    hl,(0000)", "bool  hl",
                       "jp    nz,1007", "ret"}},
                 });
}

TEST_F(ControlFlowCompile, BreakAndContinueLeaveTheNearestLoopOrSwitch) {
  ExpectListings(kNoHooks,
                 {
                     {"in a while",
                      "void f(void) { while (g) { break; continue; } }",
                      {"ld    hl,(0000)", "bool  hl", "jp    z,1010", "jp    1010", "jp    1000", "jp    1000", "ret"}},
                     // continue goes to the increment behind the body, break
                     // past the test.
                     {"in a for",
                      "void f(void) { for (; g; f()) { continue; break; } }",
                      {"ld    hl,(0000)", "bool  hl", "jp    z,1017", "jp    100D", "jp    1017", "call  1000",
                       "ld    hl,(0000)", "bool  hl", "jp    nz,1007", "ret"}},
                     {"in a do: continue reaches the test",
                      "void f(void) { do { continue; break; } while (g); }",
                      {"jp    1006", "jp    100D", "ld    hl,(0000)", "bool  hl", "jp    nz,1000", "ret"}},
                     // The label prefixes the break: both are the loop's body.
                     {"a labelled break is the loop's body",
                      "void f(void) { while (g) L: break; }",
                      {"ld    hl,(0000)", "bool  hl", "jp    z,100D", "jp    100D", "jp    1000", "ret"}},
                 });
}

TEST_F(ControlFlowCompile, GotosReachTheirLabelsForwardAndBack) {
  ExpectListings(kNoHooks, {
                               {"forward and back", "void f(void) { a: goto b; b: goto a; }", {"jp    1003", "jp    1000", "ret"}},
                               {"a label at the end of the block",
                                "void f(void) { goto out; g; out: }",
                                {"jp    1006", "ld    hl,(0000)", "ret"}},
                           });
}

} // namespace
} // namespace tsw::testing
