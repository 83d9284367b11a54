#include "debugger/debug_fake_session.h"
#include "foundation/xerr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tsw {
namespace {

using testing::DebugFakeBoard;
using ::testing::ElementsAre;

constexpr uint16_t kPc = 0x4100;

class StopHandling : public testing::DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    ConnectAndReset(kPc);
  }
  // The program runs from kPc and the kernel stops at `at`, where a trap
  // stands for the time of the stop.
  void RunAndStopAt(uint16_t at, std::function<void(TargetRegisterFrame &)> registers = nullptr) {
    ProgramFrame().pc = kPc;
    board.Poke(kPc, {0x00});
    uint8_t previous = board.Memory()[at];
    board.script = [=, n = 0](const TargetRegisterFrame &, DebugFakeBoard &b) mutable {
      if (n++ == 0) // the step over the instruction at kPc
        return std::optional<DebugFakeBoard::Stop>(DebugFakeBoard::Stop{kPc + 1, 0, nullptr, {}});
      b.Memory()[at] = kTrapRst20;
      return std::optional<DebugFakeBoard::Stop>(DebugFakeBoard::Stop{at, 0, registers, {}});
    };
    StartTargetRun();
    ui.calls.clear();
    PollTargetStatus();
    board.Memory()[at] = previous;
  }
  bool Wrote(uint16_t address) const {
    return std::any_of(board.writes.begin(), board.writes.end(), [&](const auto &w) { return w.physical == address; });
  }
};

TEST_F(StopHandling, SerialPollStatusBits) {
  board.statusQueue = {0x82};
  PollTargetStatus();
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_TRUE(board.writes.empty());

  board.QueueStdio("out", 3);
  board.statusQueue = {0x01};
  PollTargetStatus();
  EXPECT_EQ(ui.stdio, "out");

  // Input: the character goes to the stdin byte, then the request is cleared.
  board.writes.clear();
  board.statusQueue = {0x08};
  PollTargetStatus();
  EXPECT_TRUE(board.writes.empty()) << "no character waiting";
  ui.keys = "k";
  board.statusQueue = {0x08};
  PollTargetStatus();
  ASSERT_EQ(board.writes.size(), 2u);
  EXPECT_EQ(board.writes[0].physical, DebugFakeBoard::StdinByte());
  EXPECT_EQ(board.writes[0].bytes, std::vector<uint8_t>{'k'});
  EXPECT_EQ(board.writes[1].physical, DebugFakeBoard::InputRequest());
  EXPECT_EQ(board.writes[1].bytes, std::vector<uint8_t>{0});
}

TEST_F(StopHandling, AStopRefreshesOnceAndShowsThePriority) {
  board.Memory()[DebugFakeBoard::SavedFlags()] = 0x04;
  RunAndStopAt(0x4200);
  EXPECT_THAT(ui.calls, ::testing::Contains("run state 1"));
  EXPECT_THAT(ui.calls, ::testing::Contains("priority 1"));
  EXPECT_TRUE(Wrote(DebugFakeBoard::kStepFlag)) << "the refresh clears the step flag";
  EXPECT_EQ(ProgramFrame().pc, 0x4200);
  EXPECT_EQ(EngineRunState(), 0);

  board.writes.clear();
  ui.calls.clear();
  PollTargetStatus();
  EXPECT_FALSE(Wrote(DebugFakeBoard::kStepFlag)) << "refreshed once only";
  EXPECT_THAT(ui.calls, ElementsAre("run state 1", "priority 1"));
}

TEST_F(StopHandling, OpenPanesAndTheSourceAreRefreshedInOrder) {
  ui.editors = {"main.c"};
  ui.registersOpen = ui.stackOpen = ui.dumpOpen = ui.watchOpen = true;
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 5);
  board.PokeWord(0xD000, 0x1234);
  RunAndStopAt(0x4200, [](TargetRegisterFrame &f) { f.sp = 0xD000; });
  EXPECT_THAT(ui.calls, ElementsAre("watches 4200", "dump", "open main.c", "caret main.c 2:4", "uncolour main.c 2:4",
                                    "execution main.c 2:4", "top main.c", "run state 1", "priority 0"));
  EXPECT_EQ(ui.stack.lines.size(), 2u + kStackPaneWords);
  EXPECT_EQ(ui.stack.lines[2], "D000: 1234");
  EXPECT_EQ(ui.registers.lines[1], "main.c(3)");
  EXPECT_EQ(ui.registers.lines.back(), "PC  4200  SP  D000");
}

TEST_F(StopHandling, TheMarkerMovesAndABreakpointUnderItGetsItsColourBack) {
  ui.editors = {"main.c"};
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 5);
  products.AddStatement(MakeAddr24(0, 0x4300), "main.c", 4, 1);
  ToggleBreakpoint(MakeAddr24(0, 0x4200), kTrapRst18);
  RunAndStopAt(0x4200);
  EXPECT_THAT(ui.calls, ::testing::Contains("execution main.c 2:4"));

  // A run command takes the marker away and gives the breakpoint under it
  // its colour back.
  ui.calls.clear();
  board.script = [n = 0](const TargetRegisterFrame &, DebugFakeBoard &) mutable {
    return n++ ? std::nullopt : std::optional<DebugFakeBoard::Stop>(DebugFakeBoard::Stop{0x4201, 0, nullptr, {}});
  };
  StartTargetRun();
  EXPECT_THAT(ui.calls, ElementsAre("run state 2", "uncolour main.c 2:4", "open main.c", "breakpoint main.c 2:4"));
  EXPECT_FALSE(ExecutionMarkerInUse().marked);

  // A stop while the marker is set moves it.
  StopTargetProgram();
  RunAndStopAt(0x4300);
  TargetRegisterFrame frame = board.SavedFrame();
  frame.pc = 0x4200;
  board.SetSavedFrame(frame);
  ui.calls.clear();
  RefreshDebugWindows();
  EXPECT_THAT(ui.calls, ElementsAre("open main.c", "uncolour main.c 3:0", "caret main.c 2:4", "uncolour main.c 2:4",
                                    "execution main.c 2:4", "top main.c"));
  EXPECT_EQ(ExecutionMarkerInUse().position, MakeTextPosition(2, 4));
}

TEST_F(StopHandling, AStopAtAHookBreakpointMovesPastTheHook) {
  board.Memory()[0x4200] = kDebugHook;
  products.AddStatement(MakeAddr24(0, 0x4200), "main.c", 3, 5);
  ToggleBreakpoint(MakeAddr24(0, 0x4200), kTrapRst20);
  RunAndStopAt(0x4200);
  EXPECT_EQ(ProgramFrame().pc, 0x4201);
}

TEST_F(StopHandling, RunTimeErrorReports) {
  products.functions = {MakeAddr24(0, 0x4000), MakeAddr24(0, 0x4200), MakeAddr24(0, 0x4400)};
  products.AddStatement(MakeAddr24(0, 0x4210), "/src/dir/main.c", 12, 3);
  struct Case {
    uint16_t hl, hlAlternate;
    const char *text;
  };
  const Case cases[] = {
      {0x00E5, 0x4230, "Program ended\nin main.c, line 12."},
      {0x00E5, 0x4410, "Program ended\nat address 00:4410."}, // the statement is another function's
      {0x00E5, 0x4205, "Program ended\nat address 00:4205."}, // nothing back to the function's start
      {0x0EE5, 0xE010, "Program ended\nat address 0E:E010."},
      {0x00E4, 0x4210, "Run-time error 228\nin main.c, line 12."},
      {0x0000, 0x4210, "Run-time error 0."},
      {0x00FE, 0x4210, "Run-time error 254."},
  };
  for (const Case &c : cases)
    EXPECT_EQ(RunTimeErrorText(c.hl, c.hlAlternate), c.text) << c.hl << " " << c.hlAlternate;
}

TEST_F(StopHandling, AStopAtExitResetsAndReports) {
  products.functions = {MakeAddr24(0, 0x4000)};
  products.AddStatement(MakeAddr24(0, 0x4008), "main.c", 7, 1);
  RunAndStopAt(testing::DebugFakeProducts::kExit, [](TargetRegisterFrame &f) {
    f.hl = 0x00E5;
    f.hl_ = 0x4009;
  });
  EXPECT_THAT(ui.boxes, ElementsAre("Program ended\nin main.c, line 7."));
  EXPECT_THAT(ui.calls, ::testing::Contains("reset stdio"));
  EXPECT_EQ(ProgramFrame().pc, testing::DebugFakeProducts::kCodeStart);
}

TEST_F(StopHandling, AStopAtTheSecondExitGoesToTheStatementUnderTheCaret) {
  products.AddStatement(MakeAddr24(0, 0x4300), "main.c", 4, 1);
  RunAndStopAt(testing::DebugFakeProducts::kExit2);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ProgramFrame().pc, testing::DebugFakeProducts::kExit2) << "no caret: the PC stays";

  ui.activeCaret = {{"main.c", MakeTextPosition(5, 0)}};
  RunAndStopAt(testing::DebugFakeProducts::kExit2);
  EXPECT_EQ(ProgramFrame().pc, testing::DebugFakeProducts::kExit2) << "no statement there: the PC stays";

  ui.activeCaret = {{"main.c", MakeTextPosition(3, 0)}};
  RunAndStopAt(testing::DebugFakeProducts::kExit2);
  EXPECT_EQ(ProgramFrame().pc, 0x4300);
}

TEST_F(StopHandling, AResetInsideAResetDoesNothingAndLaterResetsWork) {
  size_t resumes = board.resumedFrames.size();
  board.script = [](const TargetRegisterFrame &, DebugFakeBoard &b) {
    b.Memory()[kPc] = kTrapRst20;
    return std::optional<DebugFakeBoard::Stop>(DebugFakeBoard::Stop{kPc, 0, nullptr, {}});
  };
  ui.onResetStdio = [] { ResetTargetProgram(); };
  ResetTargetProgram();
  EXPECT_EQ(board.resumedFrames.size(), resumes + 2) << "the helper and the start-up run, once";

  ui.onResetStdio = [] { throw xUserCancel("test", 1); };
  EXPECT_THROW(ResetTargetProgram(), xUserCancel);
  ui.onResetStdio = nullptr;
  ResetTargetProgram();
  EXPECT_EQ(board.resumedFrames.size(), resumes + 4);
}

TEST_F(StopHandling, InterruptToggle) {
  struct Case {
    TargetCpu cpu;
    uint8_t before, after;
  };
  const Case cases[] = {
      {TargetCpu::Corvid, 0x00, 0x03}, {TargetCpu::Corvid, 0x02, 0x00}, {TargetCpu::Corvid, 0x81, 0x80},
      {TargetCpu::Z180, 0x00, 0x04},   {TargetCpu::Z180, 0x45, 0x41},
  };
  for (const Case &c : cases) {
    UseCpu(c.cpu);
    board.Memory()[DebugFakeBoard::SavedFlags()] = c.before;
    ToggleTargetInterrupts();
    EXPECT_EQ(board.Memory()[DebugFakeBoard::SavedFlags()], c.after) << int(c.before);
  }
}

class TcpStopHandling : public testing::DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    board.tcp = true;
    TargetConnect();
  }
  TargetEvent Event(uint8_t flags, uint16_t pc = 0x4200) {
    TargetEvent event;
    event.flags = flags;
    event.frame.SetWord(FrameReg::PC, pc);
    event.frame.SetWord(FrameReg::SP, 0xD000);
    event.stack[0] = 0x34, event.stack[1] = 0x12;
    return event;
  }
};

TEST_F(TcpStopHandling, EventsOfOnePollTick) {
  StartTargetRun();
  ui.stackOpen = ui.watchOpen = true;
  ui.keys = "x";
  board.events = {Event(0x82), Event(0x02), Event(0x08)};
  ui.calls.clear();
  PollTargetStatus();
  EXPECT_EQ(ProgramFrame().pc, 0x4200);
  ASSERT_EQ(ui.stack.lines.size(), 2u + kStackPaneWords);
  EXPECT_EQ(ui.stack.lines[2], "D000: 1234") << "the event's stack bytes, not a read";
  EXPECT_THAT(ui.calls, ::testing::Contains("run state 1"));
  EXPECT_THAT(ui.calls, ::testing::Not(::testing::Contains(::testing::StartsWith("priority"))));
  EXPECT_THAT(ui.calls, ::testing::IsSupersetOf({"store watches", "watches 4200"}));
  EXPECT_THAT(board.log, ::testing::Contains("read watches"));
  EXPECT_EQ(board.log.back(), "key 26 78");

  board.events.assign(40, Event(0x01));
  board.tcpPolls = 0;
  PollTargetStatus();
  EXPECT_EQ(board.tcpPolls, 32);
  EXPECT_EQ(board.events.size(), 8u);
}

TEST_F(TcpStopHandling, CommandsAreRequests) {
  ResetTargetProgram();
  StartTargetRun();
  StepOverCommand();
  TraceIntoCommand();
  ui.assemblyOpen = true;
  StepOverCommand();
  TraceIntoCommand();
  StopTargetProgram();
  EXPECT_THAT(board.log, ElementsAre("kernel variables", "run 0 4000", "run 1 0000", "statement step 1",
                                     "statement step 0", "instruction step 1", "instruction step 0", "stop"));
}

} // namespace
} // namespace tsw
