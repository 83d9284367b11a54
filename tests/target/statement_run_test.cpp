// Loops, switches and jumps compiled by the product's statement compiler
// for the Z180 and run on the simulator: what each leaves in the variables
// it works on is held to what C computes.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/expr_code_fixture.h"
#include "runner/routine_harness.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

// The variables the statements work on, ints from B000.
constexpr const char *kNames[] = {"a", "b", "i", "j", "s"};
constexpr uint16_t kVariablesAt = 0xB000;
// Each case's code is compiled where it then runs: 1000 + 100 * case,
// inside the root code origin of the fixture, ahead of its reserve.
constexpr uint16_t kCodeBase = 0x1000;
constexpr uint16_t kCodeSpacing = 0x100;
constexpr size_t kMostCases = 14;

using Values = std::map<std::string, int16_t>;

struct StatementRun {
  const char *what;
  const char *text;
  Values before;
  Values after; // the variables not named keep their value
  bool stepCode = false; // the for form with the test ahead of the body
};

class StatementRunTest : public testing::ExprCodeTest {
protected:
  void SetUp() override {
    ExprCodeTest::SetUp();
    for (size_t k = 0; k < std::size(kNames); ++k)
      Global(kNames[k], kTypeInt, uint16_t(kVariablesAt + 2 * k));
  }

  // The statement compiled at `base` as one function body would hold it.
  std::vector<uint8_t> CompileStatementAt(const StatementRun &run, uint16_t base) {
    ResetFixupTables(kResetFinal);
    ResetLocalSymbolTable();
    ResetInstructionEmission();
    ResetOperandMoves();
    SelectTargetCpu(TargetCpu::Z180);
    Attributes().current = run.stepCode ? uint32_t(kAttrStep) : 0u;
    Caches().rootCode->SetEmitAddress(MakeAddr24(0, base));
    Caches().currentCode = Caches().rootCode;
    writer.runs.clear();
    sink.records.clear();
    Line(run.text);
    CompileStatement();
    return CodeByAddress(base);
  }

  // What the statement's code holds from `base` to where emission stands.
  // A step that takes back code it emitted (a comparison's 0/1 tail under
  // the jump on its carry) writes the same addresses again in a later run,
  // which wins, as it does in the image.
  std::vector<uint8_t> CodeByAddress(uint16_t base) {
    Caches().currentCode->Flush();
    std::vector<uint8_t> code(Caches().currentCode->Current().logical - base);
    for (const testing::Run &run : writer.runs)
      for (size_t k = 0; k < run.bytes.size(); ++k) {
        const size_t at = size_t(run.address.logical - base) + k;
        if (at < code.size())
          code[at] = run.bytes[k];
      }
    writer.runs.clear();
    return code;
  }

  // The variables set, a jump to where the code was compiled for, the code
  // (a call of a run-time routine by its name), then the variables stored.
  std::string CaseText(const StatementRun &run, uint16_t base) {
    const std::vector<uint8_t> code = CompileStatementAt(run, base);
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{}) << run.what;
    std::map<size_t, std::string> routineAt;
    for (const std::string &label : PendingLabelList())
      for (const auto &item : FindGlobalLabel(label)->pending)
        routineAt[Addr24FromLong(item->patchAddress).logical - base] = label;
    std::string text;
    for (size_t k = 0; k < std::size(kNames); ++k) {
      const auto given = run.before.find(kNames[k]);
      const uint16_t value = given == run.before.end() ? 0 : uint16_t(given->second);
      text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", value, kVariablesAt + 2 * k);
    }
    text += fmt::format("\tjp {:#06x}\n\t.org {:#06x}\n", base, base);
    for (size_t at = 0; at < code.size(); ++at) {
      if (const auto routine = routineAt.find(at); routine != routineAt.end()) {
        text += "\t.dw " + routine->second + "\n";
        ++at;
        continue;
      }
      text += fmt::format("\t.db {:#04x}\n", code[at]);
    }
    for (size_t k = 0; k < std::size(kNames); ++k)
      text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+{}),hl\n", kVariablesAt + 2 * k, 2 * k);
    text += fmt::format("\tld (OUT+{}),sp\n", 2 * std::size(kNames));
    return text;
  }

  void ExpectRuns(const std::vector<StatementRun> &runs) {
    ASSERT_LE(runs.size(), kMostCases);
    std::vector<std::string> texts;
    for (size_t k = 0; k < runs.size(); ++k)
      texts.push_back(CaseText(runs[k], uint16_t(kCodeBase + kCodeSpacing * k)));
    testing::TempDir dir;
    const AsmRun result = RunAsmCases(Z180LibraryForSimulator(TSW_Z180_LIBRARY), texts, dir.path());
    ASSERT_TRUE(result.ok) << result.log;
    ASSERT_EQ(result.blocks.size(), runs.size());
    for (size_t k = 0; k < runs.size(); ++k) {
      const StatementRun &run = runs[k];
      const std::vector<uint8_t> &b = result.blocks[k];
      for (size_t v = 0; v < std::size(kNames); ++v) {
        Values expected = run.before;
        for (const auto &[name, value] : run.after)
          expected[name] = value;
        const auto want = expected.find(kNames[v]);
        const int16_t value = int16_t(b[2 * v] | b[2 * v + 1] << 8);
        EXPECT_EQ(value, want == expected.end() ? 0 : want->second) << run.what << ": " << kNames[v];
      }
      const size_t sp = 2 * std::size(kNames);
      EXPECT_EQ(b[sp] | b[sp + 1] << 8, 0) << run.what << ": the stack as the statement left it";
    }
  }
};

TEST_F(StatementRunTest, LoopsRunTheirRoundsAndLeaveWhereC) {
  ExpectRuns({
      {"while", "{ i = 0; s = 0; while (i < 10) { s += i; i++; } }", {}, {{"i", 10}, {"s", 45}}},
      {"while that never runs", "while (a) s = 1;", {}, {}},
      {"do with continue", "{ do { i++; if (i % 2 == 0) continue; s += i; } while (i < 10); }", {},
       {{"i", 10}, {"s", 25}}},
      {"do that runs once", "do s++; while (0);", {}, {{"s", 1}}},
      {"for, test behind the body", "for (i = 0; i < 10; i++) s += i;", {}, {{"i", 10}, {"s", 45}}},
      {"for, test ahead of the body", "for (i = 0; i < 10; i++) s += i;", {}, {{"i", 10}, {"s", 45}}, true},
      {"for that never runs", "for (i = 5; i < 5; i++) s = 1;", {}, {{"i", 5}}},
      {"for with break", "for (i = 0; ; i++) { if (i == 7) break; s += i; }", {}, {{"i", 7}, {"s", 21}}},
      {"for with break, test ahead", "for (i = 0; ; i++) { if (i == 7) break; s += i; }", {}, {{"i", 7}, {"s", 21}},
       true},
      // i=0: j 1, 2; i=1: j 0, 2; i=2: j 0, 1; i=3: j 0, 1, 2.
      {"nested loops with break and continue",
       "for (i = 0; i < 4; i++) for (j = 0; j < 4; j++) { if (j == i) continue; if (j > 2) break; s += 1; }",
       {},
       {{"i", 4}, {"j", 4}, {"s", 9}}},
      {"a continue in a for's test-ahead form reaches the increment",
       "for (i = 0; i < 10; i++) { if (i > 2) continue; s += i; }", {}, {{"i", 10}, {"s", 3}}, true},
  });
}

TEST_F(StatementRunTest, SwitchesAndGotosGoWhereC) {
  ExpectRuns({
      {"dense cases, fall-through and default",
       "for (i = 0; i < 6; i++) switch (i) { case 0: s += 1; break; case 1: s += 10; case 2: s += 100; break; "
       "default: s += 1000; }",
       {},
       {{"i", 6}, {"s", 3211}}},
      {"sparse cases without default",
       "for (i = -2; i < 400; i++) switch (i) { case -1: s += 1; break; case 300: s += 2; break; case 7: s += 4; }",
       {},
       {{"i", 400}, {"s", 7}}},
      {"continue in a switch in a loop", "for (i = 0; i < 5; i++) { switch (i) { case 2: continue; } s += i; }", {},
       {{"i", 5}, {"s", 8}}},
      {"a nested switch",
       "switch (a) { case 1: switch (b) { case 2: s = 12; break; default: s = 10; } break; case 2: s = 20; }",
       {{"a", 1}, {"b", 2}},
       {{"s", 12}}},
      {"a nested switch's default", "switch (a) { case 1: switch (b) { case 2: s = 12; break; default: s = 10; } }",
       {{"a", 1}, {"b", 3}},
       {{"s", 10}}},
      {"gotos forward and back", "{ top: i++; if (i > 5) goto done; s += i; goto top; done: ; }", {},
       {{"i", 6}, {"s", 15}}},
      {"a label under an if", "if (a) L: s = 1;", {}, {}},
  });
}

} // namespace
} // namespace tsw::target
