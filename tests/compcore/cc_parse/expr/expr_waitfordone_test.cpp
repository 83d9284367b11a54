#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/statement_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// waitfordone and waitforfirstdone compiled by the product inside a
// cofunction and decoded: the header the routine reads, the items with
// their result stores, the tail that leaves the task and the result byte.
namespace tsw::testing {
namespace {

// The task buffer type and the routines, at 1000-1005, so that the calls
// show which routine each one reaches.
constexpr const char *kLibrary = "typedef struct { char bytes[13]; } FuncBlk;\n"
                                 "#asm\ncofprolog_::\n ret\ncofepilog_::\n ret\nscofprolog_::\n ret\n"
                                 "scofepilog_::\n ret\n__scofabandon::\n ret\n__wfdheader::\n ret\n#endasm\n";
constexpr uint16_t kHeaderRoutine = 0x1005;
// The cofunctions the items call, ahead of the one under test.
constexpr const char *kCallees = "cofunc int g(void) { return 5; }\nscofunc int s(void) { return 6; }\n"
                                 "int plain(void) { return 7; }\n";

// HL = the signed result byte at offset 10 of the buffer; the jr skips
// the dec h that makes a byte of 80h or more negative.
const std::vector<std::string> kResultByte = {"ld    b,00", "ld    c,0A", "add   hl,bc", "ld    l,(hl)",
                                              "bit   7,l",  "ld    h,00", "*",          "dec   h"};

class WaitfordoneCompile : public StatementCompileTest {
protected:
  uint16_t CompileCofunction(const std::string &globals, const std::string &body) {
    return CompileAlone(std::string("#nodebug\n") + kLibrary + kCallees + globals + "cofunc void f(void) { " + body +
                        " }");
  }
  // f's code decoded from its entry to its last byte.
  std::vector<std::string> ListingOfF() {
    const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
    if (!f)
      return {};
    const uint16_t entry = Addr24FromLong(f->address).logical;
    const std::vector<uint8_t> image = Image();
    if (image.size() <= size_t(entry - 0x1000))
      return {};
    return DecodeAll(TargetCpu::Corvid, {image.begin() + (entry - 0x1000), image.end()}, entry);
  }
};

// Whether `run` stands in `lines` as consecutive lines; "*" matches any.
bool HasRun(const std::vector<std::string> &lines, const std::vector<std::string> &run) {
  if (run.size() > lines.size())
    return false;
  for (size_t at = 0; at + run.size() <= lines.size(); ++at) {
    bool all = true;
    for (size_t i = 0; i < run.size() && all; ++i)
      all = run[i] == "*" || lines[at + i] == run[i];
    if (all)
      return true;
  }
  return false;
}

std::string Listing(const std::vector<std::string> &lines) {
  std::string text;
  for (const std::string &line : lines)
    text += "\n  " + line;
  return text;
}

TEST_F(WaitfordoneCompile, TheHeaderCarriesTheLockAndCountOfItsSingleUserCalls) {
  struct Case {
    const char *what;
    const char *items;
    bool lock;
    uint16_t count;
  };
  const Case cases[] = {
      {"a cofunction", "waitfordone { g(); };", false, 0},
      {"a single-user cofunction", "waitfordone { s(); };", true, 1},
      {"two calls of it", "waitfordone { s(); g(); s(); };", true, 2},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileCofunction("", c.items), 0) << c.what << ": " << ::testing::PrintToString(Records());
    const std::vector<std::string> lines = ListingOfF();
    EXPECT_TRUE(HasRun(lines, {c.lock ? "*" : "ld    hl,0000", "push  hl", fmt::format("ld    hl,{:04X}", c.count),
                               "push  hl", "*", fmt::format("call  {:04X}", kHeaderRoutine), "*", "set   5,(hl)"}))
        << c.what << Listing(lines);
    if (c.lock) {
      // The lock operand is the byte the call claims.
      const auto header = std::find(lines.begin(), lines.end(), fmt::format("call  {:04X}", kHeaderRoutine));
      ASSERT_NE(header, lines.end());
      const std::string lockLoad = *(header - 5);
      EXPECT_NE(lockLoad, "ld    hl,0000") << c.what;
      EXPECT_TRUE(std::count(lines.begin(), lines.end(), lockLoad) >= 2) << c.what << Listing(lines);
    }
  }
}

TEST_F(WaitfordoneCompile, TheResultIsTheSignedByteTheRoutinesLeftInTheBuffer) {
  ASSERT_EQ(CompileCofunction("int r;\n", "r = waitfordone g();"), 0) << ::testing::PrintToString(Records());
  const SymbolRecord *r = LookupSymbol("r", false, SymbolTableId::kGlobal);
  ASSERT_NE(r, nullptr);
  // The value in HL is what the assignment stores.
  std::vector<std::string> run = kResultByte;
  run.push_back(fmt::format("ld    ({:04X}),hl", Addr24FromLong(r->address).logical));
  const std::vector<std::string> lines = ListingOfF();
  EXPECT_TRUE(HasRun(lines, run)) << Listing(lines);
}

TEST_F(WaitfordoneCompile, AnAssignmentItemStoresTheResultWhenTheCallIsDone) {
  struct Case {
    const char *what;
    const char *globals;
    const char *body;
    // After the call: what decides and what converts.
    std::vector<std::string> afterCall;
  };
  const Case cases[] = {
      {"an int from an int cofunction", "int x;\n", "waitfordone { x = g(); };",
       {"ex    af,af'", "rla", "or    a", "jp    m,*", "jp    z,*"}},
      {"a long from an int cofunction", "long y;\n", "waitfordone { y = g(); };",
       {"ex    af,af'", "rla", "or    a", "jp    m,*", "jp    nz,*", "exx"}},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileCofunction(c.globals, c.body), 0) << c.what << ": " << ::testing::PrintToString(Records());
    const std::vector<std::string> lines = ListingOfF();
    std::vector<std::string> run = c.afterCall;
    for (std::string &line : run)
      if (line.back() == '*')
        line = "*";
    EXPECT_TRUE(HasRun(lines, run)) << c.what << Listing(lines);
    // The store: the address pushed, the result from the other set.
    EXPECT_TRUE(HasRun(lines, {"*", "push  hl", "exx"})) << c.what << Listing(lines);
  }
}

// The first item done ends a waitforfirstdone: its store jumps to the
// result, where a waitfordone's goes on with the next item.
TEST_F(WaitfordoneCompile, AStoreOfWaitforfirstdoneEndsTheConstruct) {
  for (const bool firstDone : {false, true}) {
    const std::string keyword = firstDone ? "waitforfirstdone" : "waitfordone";
    ASSERT_EQ(CompileCofunction("int x;\n", keyword + " { x = g(); g(); };"), 0)
        << keyword << ": " << ::testing::PrintToString(Records());
    const std::vector<std::string> lines = ListingOfF();
    const auto test = std::find(lines.begin(), lines.end(), "bit   5,(hl)");
    ASSERT_TRUE(test != lines.end() && test + 1 != lines.end()) << keyword << Listing(lines);
    const std::string done = (test + 1)->substr((test + 1)->find(',') + 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "jp    " + done), firstDone ? 1 : 0) << keyword << Listing(lines);
  }
}

// In a costate of an ordinary function the task left is the costate: no
// xor a for a cofunction's epilog before the jump.
TEST_F(WaitfordoneCompile, InACostateTheTaskLeftIsTheCostate) {
  ASSERT_EQ(CompileAlone(std::string("#nodebug\n") + kLibrary + kCallees +
                         "#asm\nfuncblk_entry::\n ret\nfuncblk_exit::\n ret\n#endasm\n"
                         "int r;\nvoid f(void) { costate { r = waitfordone g(); } }"),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<std::string> lines = ListingOfF();
  const auto test = std::find(lines.begin(), lines.end(), "bit   5,(hl)");
  ASSERT_NE(test, lines.end()) << Listing(lines);
  EXPECT_EQ(std::find(test, lines.end(), "xor   a"), lines.end()) << Listing(lines);
}

// Every form in one cofunction, on each processor: the code from its entry
// to the image's end decodes as that processor's instructions.
TEST_F(WaitfordoneCompile, EveryFormDecodesOnBothProcessors) {
  const std::string program = std::string("#nodebug\n") + kLibrary + kCallees +
                              "cofunc int k[3](int i) { return i; }\nint x;\nlong y;\n"
                              "cofunc void f(int n) { int v;\n"
                              "  x = waitfordone { g(); s(); v = k[n](2); y = g(); };\n"
                              "  waitforfirstdone { x = g(); k[1](n); };\n}\n";
  for (const TargetCpu cpu : {TargetCpu::Corvid, TargetCpu::Z180}) {
    const bool corvid = cpu == TargetCpu::Corvid;
    uint16_t status = 0;
    if (corvid) {
      status = CompileAlone(program);
    } else {
      TearDown();
      SetUp();
      Output().zeroPadBin = true;
      status = Compile(program);
    }
    ASSERT_EQ(status, 0) << corvid << ": " << ::testing::PrintToString(Records());
    const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
    ASSERT_NE(f, nullptr);
    const uint16_t entry = Addr24FromLong(f->address).logical;
    const std::vector<uint8_t> image = Image();
    const size_t start = corvid ? size_t(entry - 0x1000) : entry;
    ASSERT_GT(image.size(), start);
    const std::vector<std::string> lines = DecodeAll(cpu, {image.begin() + start, image.end()}, entry);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.rfind("???", 0) == 0; }),
              0)
        << corvid << Listing(lines);
    // Both constructs, each ending in the result byte.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ld    c,0A"), 2) << corvid << Listing(lines);
  }
}

TEST_F(WaitfordoneCompile, MistakesAreReportedByNumber) {
  struct Case {
    const char *what;
    std::string program;
    const char *number;
  };
  const std::string prefix = std::string("#nodebug\n") + kLibrary + kCallees + "int x;\n";
  const Case cases[] = {
      {"a single item without ';'", prefix + "cofunc void f(void) { x = waitfordone g() + 1; }", "470"},
      {"a block without its '}'", prefix + "cofunc void f(void) { waitfordone { g(); g() ) ; }", "2031"},
      {"an item without a name", prefix + "cofunc void f(void) { waitfordone { 3; }; }", "2044"},
      {"an item calling a plain function", prefix + "cofunc void f(void) { waitfordone { x = plain(); }; }",
       "2045"},
      {"outside every costate", prefix + "void f(void) { waitfordone { g(); }; }", "481"},
      {"in the everytime block", prefix + "cofunc void f(void) { everytime { waitfordone { g(); }; } }", "2043"},
  };
  for (const Case &c : cases) {
    CompileAlone(c.program);
    EXPECT_EQ(Reported(c.number), 1u) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

} // namespace
} // namespace tsw::testing
