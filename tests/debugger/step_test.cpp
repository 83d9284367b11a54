#include "debugger/debug_fake_session.h"
#include "debugger/runtimenames.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <set>

namespace tsw {
namespace {

using testing::DebugFakeBoard;

constexpr uint16_t kPc = 0x4100;
constexpr uint16_t kSp = 0xD000;

class Stepping : public testing::DebugSessionTest {
protected:
  // The kernel stops at each of `stops` in turn, one per resume.
  void StopAt(std::vector<uint16_t> stops) {
    board.script = [stops, n = size_t(0)](const TargetRegisterFrame &, DebugFakeBoard &) mutable {
      std::optional<DebugFakeBoard::Stop> stop;
      if (n < stops.size())
        stop = DebugFakeBoard::Stop{stops[n], 0, nullptr, {}};
      ++n;
      return stop;
    };
  }
  std::vector<uint8_t> Code() const { return {board.Memory().begin() + 0x3000, board.Memory().end()}; }
  bool Wrote(uint16_t address) const {
    return std::any_of(board.writes.begin(), board.writes.end(), [&](const auto &w) { return w.physical == address; });
  }
};

enum class Step { InstructionOver, InstructionInto, StatementOver, StatementInto };

struct StepCase {
  const char *name;
  TargetCpu cpu;
  std::vector<uint8_t> code;
  std::function<void(DebugFakeBoard &, TargetRegisterFrame &, testing::DebugFakeProducts &)> setUp;
  Step step;
  std::vector<uint16_t> stops;
  std::vector<std::set<uint32_t>> trapsAtResumes;
  bool controlWords;
  uint16_t pcAfter;
};

TEST_F(Stepping, TrapsFlagsAndFramesOfEachStep) {
  constexpr auto Z = TargetCpu::Z180;
  constexpr auto C = TargetCpu::Corvid;
  auto none = [](DebugFakeBoard &, TargetRegisterFrame &, testing::DebugFakeProducts &) {};
  auto stackHolds = [](std::vector<uint8_t> bytes) {
    return [=](DebugFakeBoard &b, TargetRegisterFrame &, testing::DebugFakeProducts &) { b.Poke(kSp, bytes); };
  };
  auto switchTable = [](uint16_t thirdCase) {
    return [=](DebugFakeBoard &b, TargetRegisterFrame &f, testing::DebugFakeProducts &p) {
      p.routines[kSwitchRoutineName] = 0x0300;
      f.bc = 3, f.hl = 3;
      b.Poke(kPc + 3, {1, 0, 0x00, 0x47, 0, 2, 0, 0x00, 0x48, 0});
      b.Poke(kPc + 13, {3, 0, uint8_t(thirdCase), uint8_t(thirdCase >> 8), 0});
    };
  };
  const StepCase cases[] = {
      {"jr nz taken", Z, {0x20, 0x05}, none, Step::InstructionOver, {0x4107}, {{0x4102, 0x4107}}, false, 0x4107},
      {"jr nz not taken", Z, {0x20, 0x05}, none, Step::InstructionOver, {0x4102}, {{0x4102, 0x4107}}, false, 0x4102},
      {"call stepped over", Z, {0xCD, 0x00, 0x50}, none, Step::InstructionOver, {0x4103}, {{0x4103}}, false, 0x4103},
      {"call entered", Z, {0xCD, 0x00, 0x50}, none, Step::InstructionInto, {0x5000}, {{0x4103, 0x5000}}, false, 0x5000},
      {"ret", Z, {0xC9}, stackHolds({0x67, 0x45}), Step::InstructionOver, {0x4567}, {{0x4101, 0x4567}}, false, 0x4567},
      {"jp (ix)",
       Z,
       {0xDD, 0xE9},
       [](auto &, auto &f, auto &) { f.ix = 0x4800; },
       Step::InstructionInto,
       {0x4800},
       {{0x4102, 0x4800}},
       false,
       0x4800},
      {"rst into the BIOS asks for the next statement",
       Z,
       {0xD7},
       none,
       Step::InstructionInto,
       {0x4101},
       {{0x4101}},
       true,
       0x4101},
      {"the statement hook is stepped over when tracing",
       Z,
       {0xEF},
       none,
       Step::InstructionInto,
       {0x4101},
       {{0x4101}},
       false,
       0x4101},
      {"Corvid ljp",
       C,
       {0xC7, 0x00, 0x50, 0x00},
       none,
       Step::InstructionOver,
       {0x5000},
       {{0x4104, 0x5000}},
       false,
       0x5000},
      {"Corvid lcall over",
       C,
       {0xCF, 0x00, 0x50, 0x00},
       none,
       Step::InstructionOver,
       {0x4104},
       {{0x4104}},
       false,
       0x4104},
      {"Corvid lcall into",
       C,
       {0xCF, 0x00, 0x50, 0x00},
       none,
       Step::InstructionInto,
       {0x5000},
       {{0x4104, 0x5000}},
       false,
       0x5000},
      {"Corvid lret",
       C,
       {0xED, 0x45},
       stackHolds({0x00, 0x46, 0x00}),
       Step::InstructionOver,
       {0x4600},
       {{0x4102, 0x4600}},
       false,
       0x4600},
      {"switch with HL at the third case",
       Z,
       {0xCD, 0x00, 0x03},
       switchTable(0x4600),
       Step::InstructionOver,
       {0x4600},
       {{0x4600}},
       false,
       0x4600},
      {"a jump to the fall-through address",
       Z,
       {0x18, 0x00},
       none,
       Step::InstructionOver,
       {0x4102},
       {{0x4102}},
       false,
       0x4102},
      {"statement step over: one instruction, then on to the next statement",
       Z,
       {0x3E, 0x05},
       [](auto &b, auto &, auto &) { b.Memory()[0x4110] = kDebugHook; },
       Step::StatementOver,
       {0x4102, 0x4110},
       {{0x4102}, {}},
       true,
       0x4110},
      {"statement trace into: run flag only",
       Z,
       {0x3E, 0x05},
       none,
       Step::StatementInto,
       {0x4102},
       {{0x4102}, {}},
       false,
       0x4102},
  };
  for (const StepCase &c : cases) {
    SCOPED_TRACE(c.name);
    board = DebugFakeBoard();
    products = testing::DebugFakeProducts();
    ResetDebugEngine();
    UseCpu(c.cpu);
    ConnectAndReset(kPc);
    board.Poke(kPc, c.code);
    TargetRegisterFrame frame = board.SavedFrame();
    frame.sp = kSp;
    c.setUp(board, frame, products);
    board.SetSavedFrame(frame);
    ProgramFrame() = frame;
    std::vector<uint8_t> before = Code();
    StopAt(c.stops);

    ui.assemblyOpen = c.step == Step::InstructionOver || c.step == Step::InstructionInto;
    if (c.step == Step::InstructionOver || c.step == Step::StatementOver)
      StepOverCommand();
    else
      TraceIntoCommand();

    EXPECT_EQ(board.trapsAtResume, c.trapsAtResumes);
    EXPECT_EQ(Wrote(DebugFakeBoard::kStepFlag) && Wrote(DebugFakeBoard::kStepWord), c.controlWords);
    EXPECT_EQ(board.SavedFrame().pc, c.pcAfter);
    EXPECT_TRUE(Code() == before) << "the code is not as it was";
  }
}

TEST_F(Stepping, AJumpToItselfUnderABreakpointKeepsTheBreakpoint) {
  ConnectAndReset(kPc);
  board.Poke(kPc, {0x18, 0xFE});
  products.AddStatement(MakeAddr24(0, kPc), "main.c", 3, 1);
  ToggleBreakpoint(MakeAddr24(0, kPc), kTrapRst20);
  ASSERT_EQ(board.Memory()[kPc], kTrapRst20);
  std::vector<uint8_t> before = Code();
  StopAt({kPc});
  StepInstruction(kTrapRst20, true);
  EXPECT_EQ(board.trapsAtResume, (std::vector<std::set<uint32_t>>{{kPc, kPc + 2}}));
  EXPECT_TRUE(Code() == before);
  EXPECT_EQ(board.Memory()[kPc], kTrapRst20);
}

TEST_F(Stepping, RunAtABreakpointStepsPutsTheOpcodeBackThenResumes) {
  ConnectAndReset(kPc);
  board.Poke(kPc, {0x00});
  products.AddStatement(MakeAddr24(0, kPc), "main.c", 3, 1);
  ToggleBreakpoint(MakeAddr24(0, kPc), kTrapRst20);
  StopAt({kPc + 1});
  StartTargetRun();
  ASSERT_EQ(board.trapsAtResume.size(), 2u);
  EXPECT_EQ(board.trapsAtResume[0], (std::set<uint32_t>{kPc + 1}));
  EXPECT_EQ(board.trapsAtResume[1], (std::set<uint32_t>{kPc})); // the breakpoint is back
  EXPECT_TRUE(board.Running());
  EXPECT_EQ(EngineRunState(), kRunStateRunning | kRunStateRefreshOnStop);
}

TEST_F(Stepping, RunWhoseStepLeavesThePcDoesNotResume) {
  ConnectAndReset(kPc);
  board.Poke(kPc, {0x18, 0xFE});
  StopAt({kPc});
  StartTargetRun();
  EXPECT_EQ(board.resumedFrames.size(), 1u);
  EXPECT_FALSE(board.Running());
}

TEST_F(Stepping, AKernelThatNeverReturnsFromAStepLeavesTheCodeAsItWas) {
  ToolHelpTimer = 1;
  ConnectAndReset(kPc);
  board.Poke(kPc, {0x20, 0x05});
  std::vector<uint8_t> before = Code();
  StopAt({}); // runs free
  try {
    StepInstruction(kTrapRst20, true);
    ADD_FAILURE() << "the step came back";
  } catch (const xTCErr &error) {
    EXPECT_EQ(error.Message(), 5076u);
  }
  EXPECT_TRUE(Code() == before);
}

TEST_F(Stepping, AContinuationInTheBiosPlantsNothing) {
  ToolHelpTimer = 1;
  ConnectAndReset(kPc);
  products.routines[kSwitchRoutineName] = 0x0300;
  board.Poke(kPc, {0xCD, 0x00, 0x03, 1, 0, 0x00, 0x02, 0}); // case 1 goes to 0200, in the BIOS
  ProgramFrame().bc = 1, ProgramFrame().hl = 1;
  board.SetSavedFrame(ProgramFrame());
  std::vector<uint8_t> before = Code();
  StopAt({0x0200});
  EXPECT_THROW(StepInstruction(kTrapRst20, true), xTCErr);
  EXPECT_EQ(board.trapsAtResume, (std::vector<std::set<uint32_t>>{{}}));
  EXPECT_TRUE(Code() == before);
}

TEST_F(Stepping, ATransferErrorMidStepWritesNothingAfterItAndTheResetPutsTheBytesBack) {
  ConnectAndReset(kPc);
  board.Poke(kPc, {0x20, 0x05});
  std::vector<uint8_t> before = Code();
  StopAt({kPc + 2});
  // The code read, a trap written at the fall-through, one read, written and
  // read back at the target; then the read of the register frame fails.
  board.transfers = 0;
  board.failTransfer = 6;
  size_t writesBefore = board.writes.size();
  EXPECT_THROW(StepInstruction(kTrapRst20, true), xTCErr);
  size_t writesAtFailure = board.writes.size();
  EXPECT_GT(writesAtFailure, writesBefore); // traps went in
  EXPECT_FALSE(Code() == before);
  board.failTransfer = 0;

  // The reset runs the start-up code to a stop of its own.
  board.script = [](const TargetRegisterFrame &, DebugFakeBoard &b) {
    b.Memory()[0x4100 + 0x80] = kTrapRst20;
    return DebugFakeBoard::Stop{0x4180, 0, nullptr, {}};
  };
  ResetTargetProgram();
  board.Memory()[0x4180] = 0;
  EXPECT_TRUE(Code() == before);
}

} // namespace
} // namespace tsw
