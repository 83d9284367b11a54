#include "debugger/stepper.h"

#include "debugger/fake_target.h"
#include "debugger/runtimenames.h"

#include <gtest/gtest.h>

#include <optional>

namespace tsw {
namespace {

using tsw::testing::FakeTarget;

enum class Ask { NextPc, BranchTarget, CallContinuation };

struct StepCase {
  const char *name;
  TargetCpu cpu;
  std::vector<uint8_t> code;
  std::function<void(FakeTarget &)> setUp;
  Ask ask;
  std::optional<uint32_t> target; // packed ADDR24, nothing for "no target"
};

constexpr uint16_t kPc = 0x4000;
constexpr uint16_t kSp = 0xD000;
constexpr uint16_t kSwitch = 0x0300;

TEST(Stepper, NextAddressesOfControlTransfers) {
  constexpr auto Z = TargetCpu::Z180;
  constexpr auto C = TargetCpu::Corvid;
  auto none = [](FakeTarget &) {};
  auto returnTo = [](uint16_t address) { return [=](FakeTarget &t) { t.PokeWord(kSp, address); }; };
  auto switchTable = [](uint16_t hl, uint16_t cases, uint16_t offset) {
    return [=](FakeTarget &t) {
      t.frame.hl = hl;
      t.frame.bc = cases;
      for (uint16_t i = 0; i < 3; ++i)
        t.Poke(kPc + offset + 5 * i, {uint8_t(i + 1), 0, 0x00, uint8_t(0x50 + i), 0x00});
    };
  };
  const StepCase cases[] = {
      {"jp (ix) takes the frame's ix",
       Z,
       {0xDD, 0xE9},
       [](FakeTarget &t) { t.frame.ix = 0x4321; },
       Ask::NextPc,
       0x4321},
      {"relative jump backwards", Z, {0x18, 0xFC}, none, Ask::NextPc, kPc - 2},
      {"djnz forwards", Z, {0x10, 0x10}, none, Ask::NextPc, kPc + 0x12},
      {"conditional return reads the stack", Z, {0xC8}, returnTo(0x1234), Ask::NextPc, 0x1234},
      {"reti", Z, {0xED, 0x4D}, returnTo(0x2222), Ask::NextPc, 0x2222},
      {"other ED rows go nowhere", Z, {0xED, 0xB0}, none, Ask::NextPc, std::nullopt},
      {"absolute jump", Z, {0xC3, 0x00, 0x60}, none, Ask::NextPc, 0x6000},
      {"call entered", Z, {0xCD, 0x00, 0x70}, none, Ask::NextPc, 0x7000},
      {"rst 28h", Z, {0xEF}, none, Ask::NextPc, 0x28},
      {"rst 30h has a three-byte target", Z, {0xF7, 0x0E, 0x00, 0xE0}, none, Ask::NextPc, 0x0EE000},
      {"restarts run through when stepped over", Z, {0xEF}, none, Ask::BranchTarget, std::nullopt},
      {"plain instructions have no target", Z, {0x3E, 0x05}, none, Ask::NextPc, std::nullopt},
      {"Corvid ljp takes its segment byte", C, {0xC7, 0x00, 0xE0, 0x12}, none, Ask::NextPc, 0x12E000},
      {"Corvid lcall takes its segment byte", C, {0xCF, 0x34, 0xE1, 0x07}, none, Ask::NextPc, 0x07E134},
      {"Corvid lret reads three bytes",
       C,
       {0xED, 0x45},
       [](FakeTarget &t) {
         t.Poke(kSp, {0x00, 0xE2, 0x15});
       },
       Ask::NextPc,
       0x15E200},
      {"Z180 retn reads two", Z, {0xED, 0x45}, returnTo(0x3333), Ask::NextPc, 0x3333},
      {"ordinary calls have no continuation", Z, {0xCD, 0x00, 0x70}, none, Ask::CallContinuation, std::nullopt},
      {"a call stepped over goes nowhere special", Z, {0xCD, 0x00, 0x70}, none, Ask::BranchTarget, std::nullopt},
      {"switch stops at the matching case", Z, {0xCD, 0x00, 0x03}, switchTable(3, 3, 3), Ask::BranchTarget, 0x5200},
      {"switch without a match goes past the table",
       Z,
       {0xCD, 0x00, 0x03},
       switchTable(9, 3, 3),
       Ask::CallContinuation,
       kPc + 3 + 15},
      {"switch after a Corvid lcall", C, {0xCF, 0x00, 0x03, 0x00}, switchTable(2, 3, 4), Ask::CallContinuation, 0x5100},
      {"an absurd case count is no switch",
       Z,
       {0xCD, 0x00, 0x03},
       switchTable(1, 60000, 3),
       Ask::CallContinuation,
       std::nullopt},
      {"st4. skips its in-line operands", Z, {0xCD, 0x00, 0x04}, none, Ask::CallContinuation, kPc + 7},
      {"frame restore continues at the saved return",
       Z,
       {0xCD, 0x00, 0x05},
       [](FakeTarget &t) {
         t.frame.hl = 0x10;
         t.PokeWord(kSp + 0x10 + 2, 0x4444);
       },
       Ask::CallContinuation,
       0x4444},
      {"frame restore from an interrupt reads deeper",
       Z,
       {0xC3, 0x00, 0x05},
       [](FakeTarget &t) {
         t.frame.hl = 0x10;
         t.PokeWord(kSp + 0x10 + 2, 0x0600);
         t.PokeWord(kSp + 0x10 + 24, 0x5555);
       },
       Ask::CallContinuation,
       0x5555},
      {"longjmp goes where the buffer says",
       Z,
       {0xCD, 0x00, 0x07},
       [](FakeTarget &t) {
         t.PokeWord(kSp, 0xC000);
         t.PokeWord(0xC004, 0x4567);
       },
       Ask::CallContinuation,
       0x4567},
  };
  for (const StepCase &c : cases) {
    FakeTarget target(c.cpu);
    target.frame.pc = kPc;
    target.frame.sp = kSp;
    target.routines = {
        {kSwitchRoutineName, kSwitch}, {"st4.", 0x0400}, {"rspixrf_", 0x0500}, {"intr2", 0x0600}, {"longjmp", 0x0700}};
    c.setUp(target);
    ADDR24 found = MakeAddr24(0, 0);
    bool has = false;
    switch (c.ask) {
    case Ask::NextPc: has = FindNextPc(c.code.data(), c.code.size(), &found); break;
    case Ask::BranchTarget: has = FindBranchTarget(c.code.data(), c.code.size(), &found); break;
    case Ask::CallContinuation: has = FindCallContinuation(c.code.data(), c.code.size(), &found); break;
    }
    ASSERT_EQ(has, c.target.has_value()) << c.name;
    if (has) {
      EXPECT_EQ(Addr24ToLong(found), *c.target) << c.name << std::hex << " got " << Addr24ToLong(found);
    }
  }
}

TEST(Stepper, InstructionLengths) {
  struct Case {
    TargetCpu cpu;
    std::vector<uint8_t> code;
    bool followPrefix;
    uint16_t length;
  } cases[] = {
      {TargetCpu::Z180, {0xDD, 0xE9}, false, 2},
      {TargetCpu::Z180, {0xDD, 0xCB, 0x05, 0x46}, false, 4},
      {TargetCpu::Z180, {0xFD, 0x36, 0x01, 0x02}, false, 4},
      {TargetCpu::Z180, {0xDD, 0x00}, false, 1}, // the prefix stands alone
      {TargetCpu::Z180, {0xED, 0x43, 0, 0}, false, 4},
      {TargetCpu::Z180, {0xF7, 0, 0, 0}, false, 4},
      {TargetCpu::Z180, {0x76, 0x21, 0, 0}, true, 1}, // halt: no prefixes on the Z180
      {TargetCpu::Corvid, {0x76, 0x21, 0, 0}, true, 4},
      {TargetCpu::Corvid, {0x76, 0x21, 0, 0}, false, 1},
      {TargetCpu::Corvid, {0xD3, 0x76, 0x7F}, true, 3},
      {TargetCpu::Corvid, {0xC7, 0, 0, 0}, false, 4},
      {TargetCpu::Corvid, std::vector<uint8_t>(100, 0x76), true, 101},
  };
  for (const Case &c : cases) {
    FakeTarget target(c.cpu);
    std::vector<uint8_t> exact(c.code);
    EXPECT_EQ(InstructionLength(exact.data(), exact.size(), c.followPrefix), c.length);
  }
}

TEST(Stepper, RoutineAddressesCompareAsWords) {
  FakeTarget target;
  target.routines = {{"st4.", 0x1234}};
  EXPECT_TRUE(IsAddressOfRoutine(0x1234, {"nothere", "st4."}));
  EXPECT_FALSE(IsAddressOfRoutine(0x1235, {"st4."}));
  EXPECT_FALSE(IsAddressOfRoutine(0x1234, {"st4.s"}));
}

} // namespace
} // namespace tsw
