// Unary expressions compiled by the product's expression compiler and code
// generator for the Z180 and run on the simulator: the value each yields
// and what each leaves in the variables it names are held to what C
// computes.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/expr_code_fixture.h"
#include "runner/routine_harness.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

constexpr uint16_t kIntAt = 0x9000;
constexpr uint16_t kCharAt = 0x9002;
constexpr uint16_t kPointerAt = 0x9004;
constexpr uint16_t kLongAt = 0x9006;
constexpr uint16_t kArrayAt = 0x9010;
constexpr uint16_t kTextAt = 0x9020;
constexpr uint16_t kStructAt = 0x9030;
constexpr uint16_t kStructPointerAt = 0x9040;
// The frame the expression runs in: three words pushed, k at SP+0, i at
// SP+2 and q at SP+4; SP starts at 0.
constexpr uint16_t kLocalIAt = 0xFFFC;

// The variables as every case starts with them, and as a case leaves them.
struct Variables {
  uint16_t g = 0x1234;
  uint8_t c = 0xF0;
  uint16_t p = kArrayAt;
  uint32_t l = 0x00012345;
  uint16_t a0 = 0x0101, a1 = 0x0202;
  uint16_t i = 7;
  uint16_t q = kTextAt;
  uint8_t text0 = 'x';
  uint16_t k = 1;
  // struct pt { int x; char c; long l; } s, *sp = &s;
  uint16_t sx = 0x1111;
};
constexpr uint8_t kStructChar = 0x22;
constexpr uint8_t kTextSecond = 'z';
// Stored by a case that ran to its end.
constexpr uint16_t kCaseEnded = 0xE0D5;
constexpr uint16_t kLastElement = 0x0404; // a[3]
constexpr uint32_t kStructLong = 0x33334444;

struct UnaryRun {
  const char *text;
  uint32_t result;
  Variables after = {};
};

Variables With(void (*change)(Variables &)) {
  Variables v;
  change(v);
  return v;
}

class UnaryRunTest : public testing::ExprCodeTest {
protected:
  void SetUp() override {
    ExprCodeTest::SetUp();
    Global("g", kTypeInt, kIntAt);
    Global("c", kTypeChar, kCharAt);
    Global("p", kTypeInt, kPointerAt, kLevelPointer);
    Global("l", kTypeLong, kLongAt);
    Global("a", kTypeInt, kArrayAt, kLevelArray, kArrayDimensions);
    Local("i", kTypeInt, 2);
    Local("q", kTypeChar, 4, kLevelPointer);
    Local("k", kTypeInt, 0);
    const uint8_t point = DeclareStructure("pt", {{"x", kTypeInt, 0}, {"c", kTypeChar, 2}, {"l", kTypeLong, 3}}, 7);
    Global("s", point, kStructAt);
    Global("sp", point, kStructPointerAt, kLevelPointer);
  }

  // The case's assembly: the variables set, the frame pushed, the
  // expression's code with its value loaded, then the value and the
  // variables stored.
  std::string CaseText(const UnaryRun &run, bool &isLong) {
    ResetFixupTables(kResetFinal);
    ValueRecord value;
    std::vector<uint8_t> code = CompileAt(TargetCpu::Z180, run.text, value);
    isLong = IsLongOrFloatValue(value);
    LoadOperandToValueRegister(value);
    const std::vector<uint8_t> load = Emitted();
    code.insert(code.end(), load.begin(), load.end());
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{}) << run.text;
    std::map<size_t, std::string> routineAt;
    for (const std::string &label : PendingLabelList())
      for (const auto &item : FindGlobalLabel(label)->pending)
        routineAt[Addr24FromLong(item->patchAddress).logical - kCodeStart] = label;

    const Variables v;
    std::string text = fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v.g, kIntAt);
    text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", v.c, kCharAt);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v.p, kPointerAt);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", uint16_t(v.l), kLongAt);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", uint16_t(v.l >> 16), kLongAt + 2);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v.a0, kArrayAt);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v.a1, kArrayAt + 2);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", kLastElement, kArrayAt + 6);
    text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", v.text0, kTextAt);
    text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", kTextSecond, kTextAt + 1);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v.sx, kStructAt);
    text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", kStructChar, kStructAt + 2);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", uint16_t(kStructLong), kStructAt + 3);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", uint16_t(kStructLong >> 16), kStructAt + 5);
    text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", kStructAt, kStructPointerAt);
    text += fmt::format("\tld hl,#{:#06x}\n\tpush hl\n\tld hl,#{:#06x}\n\tpush hl\n", v.q, v.i);
    text += fmt::format("\tld hl,#{:#06x}\n\tpush hl\n", v.k);
    for (size_t at = 0; at < code.size(); ++at) {
      if (const auto routine = routineAt.find(at); routine != routineAt.end()) {
        text += "\t.dw " + routine->second + "\n";
        ++at;
        continue;
      }
      text += fmt::format("\t.db {:#04x}\n", code[at]);
    }
    text += isLong ? "\tld (OUT),de\n\tld (OUT+2),bc\n" : "\tld (OUT),hl\n";
    text += fmt::format("\tld hl,#{:#06x}\n\tld (OUT+30),hl\n", kCaseEnded);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+4),hl\n", kIntAt);
    text += fmt::format("\tld a,({:#06x})\n\tld (OUT+6),a\n", kCharAt);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+8),hl\n", kPointerAt);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+10),hl\n", kLongAt);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+12),hl\n", kLongAt + 2);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+14),hl\n", kArrayAt);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+16),hl\n", kArrayAt + 2);
    text += fmt::format("\tld a,({:#06x})\n\tld (OUT+18),a\n", kTextAt);
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+26),hl\n", kStructAt);
    text += "\tpop hl\n\tld (OUT+28),hl\n\tpop hl\n\tld (OUT+20),hl\n\tpop hl\n\tld (OUT+22),hl\n";
    text += "\tld (OUT+24),sp\n";
    return text;
  }

  static constexpr uint16_t kArrayDimensions[] = {4};
};

TEST_F(UnaryRunTest, ValuesAndStoresMatchC) {
  const UnaryRun runs[] = {
      {"-g", 0xEDCC},
      {"~g", 0xEDCB},
      {"!g", 0},
      {"-(-g)", 0x1234},
      {"-c", 0x10},
      {"~c", 0x0F},
      {"!c", 0},
      {"-l", 0xFFFEDCBB},
      {"*p", 0x0101},
      {"*q", 'x'},
      {"&g", kIntAt},
      {"&i", kLocalIAt},
      {"*&i", 7},
      {"(long)g", 0x1234},
      {"(long)-g", 0xFFFFEDCC},
      {"(char)g", 0x34},
      {"(char)-g", 0xCC},
      {"(unsigned)c", 0xF0},
      {"++g", 0x1235, With([](Variables &v) { v.g = 0x1235; })},
      {"g++", 0x1234, With([](Variables &v) { v.g = 0x1235; })},
      {"--c", 0xEF, With([](Variables &v) { v.c = 0xEF; })},
      {"c--", 0xF0, With([](Variables &v) { v.c = 0xEF; })},
      {"p++", kArrayAt, With([](Variables &v) { v.p = kArrayAt + 2; })},
      {"--p", kArrayAt - 2, With([](Variables &v) { v.p = kArrayAt - 2; })},
      {"l++", 0x12345, With([](Variables &v) { v.l = 0x12346; })},
      {"--l", 0x12344, With([](Variables &v) { v.l = 0x12344; })},
      {"i++", 7, With([](Variables &v) { v.i = 8; })},
      {"--i", 6, With([](Variables &v) { v.i = 6; })},
      {"(*p)++", 0x0101, With([](Variables &v) { v.a0 = 0x0102; })},
      {"*q++", 'x', With([](Variables &v) { v.q = kTextAt + 1; })},
      {"++*q", 'y', With([](Variables &v) { v.text0 = 'y'; })},
      {"-i++", uint16_t(-7), With([](Variables &v) { v.i = 8; })},
      {"a[1]", 0x0202},
      {"a[k]", 0x0202},
      {"p[k]", 0x0202},
      {"&a[k]", kArrayAt + 2},
      {"a[k]++", 0x0202, With([](Variables &v) { v.a1 = 0x0203; })},
      {"--p[k]", 0x0201, With([](Variables &v) { v.a1 = 0x0201; })},
      {"q[k]", kTextSecond},
      {"s.x", 0x1111},
      {"s.c", kStructChar},
      {"s.l", kStructLong},
      {"sp->c", kStructChar},
      {"sp->l", kStructLong},
      {"(*sp).l", kStructLong},
      {"&sp->c", kStructAt + 2},
      {"++sp->x", 0x1112, With([](Variables &v) { v.sx = 0x1112; })},
      {"s.x--", 0x1111, With([](Variables &v) { v.sx = 0x1110; })},
  };
  std::vector<std::string> texts;
  std::vector<bool> longs;
  for (const UnaryRun &run : runs) {
    bool isLong = false;
    texts.push_back(CaseText(run, isLong));
    longs.push_back(isLong);
  }
  testing::TempDir dir;
  const AsmRun result = RunAsmCases(Z180LibraryForSimulator(TSW_Z180_LIBRARY), texts, dir.path());
  ASSERT_TRUE(result.ok) << result.log;
  ASSERT_EQ(result.blocks.size(), std::size(runs));
  for (size_t k = 0; k < std::size(runs); ++k) {
    const UnaryRun &run = runs[k];
    SCOPED_TRACE(run.text);
    const std::vector<uint8_t> &b = result.blocks[k];
    auto word = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    const uint32_t value = longs[k] ? word(0) | uint32_t(word(2)) << 16 : word(0);
    EXPECT_EQ(value, run.result);
    EXPECT_EQ(word(4), run.after.g);
    EXPECT_EQ(b[6], run.after.c);
    EXPECT_EQ(word(8), run.after.p);
    EXPECT_EQ(word(10) | uint32_t(word(12)) << 16, run.after.l);
    EXPECT_EQ(word(14), run.after.a0);
    EXPECT_EQ(word(16), run.after.a1);
    EXPECT_EQ(b[18], run.after.text0);
    EXPECT_EQ(word(20), run.after.i);
    EXPECT_EQ(word(22), run.after.q);
    EXPECT_EQ(word(26), run.after.sx);
    EXPECT_EQ(word(28), run.after.k);
    EXPECT_EQ(word(24), 0) << "the stack as the case left it";
  }
}

TEST_F(UnaryRunTest, AnIndexOutsideItsArrayEndsTheProgramWhenIndexesAreChecked) {
  Attributes().current = kAttrIndexCheck;
  bool isLong = false;
  const std::vector<std::string> texts = {
      CaseText({"a[k]", 0x0202}, isLong),
      CaseText({"a[k+2]", kLastElement}, isLong),
      CaseText({"a[k+3]", 0}, isLong),      // one past: the handler ends the run
      CaseText({"a[k]", 0x0202}, isLong),
  };
  testing::TempDir dir;
  const AsmRun result = RunAsmCases(Z180LibraryForSimulator(TSW_Z180_LIBRARY), texts, dir.path());
  ASSERT_TRUE(result.ok) << result.log;
  ASSERT_EQ(result.blocks.size(), texts.size());
  auto word = [&](size_t block, size_t at) {
    return uint16_t(result.blocks[block][at] | result.blocks[block][at + 1] << 8);
  };
  EXPECT_EQ(word(0, 0), 0x0202);
  EXPECT_EQ(word(0, 30), kCaseEnded);
  EXPECT_EQ(word(1, 0), kLastElement);
  EXPECT_EQ(word(1, 30), kCaseEnded);
  EXPECT_NE(word(2, 30), kCaseEnded) << "the out-of-bounds index ran on";
  EXPECT_NE(word(3, 30), kCaseEnded) << "the program went on after the handler";

  // A negative index, taken unsigned, lies past the bound too.
  const AsmRun negative =
      RunAsmCases(Z180LibraryForSimulator(TSW_Z180_LIBRARY), {CaseText({"a[k-2]", 0}, isLong)}, dir.path());
  ASSERT_TRUE(negative.ok) << negative.log;
  ASSERT_EQ(negative.blocks.size(), 1u);
  EXPECT_NE(uint16_t(negative.blocks[0][30] | negative.blocks[0][31] << 8), kCaseEnded);
}

} // namespace
} // namespace tsw::target
