#pragma once

#include "debugger/debugengine.h"

#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debug_fake_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tsw::testing {

// A whole debugging session on the scripted board, whatever carries the
// engine's requests to it: connect, reset, break at a statement, step over,
// read the panes, remove the breakpoint, and the code is left as loaded.
// The compile's statements go where `addStatement` puts them.
using StatementSink = std::function<void(ADDR24 address, const std::string &file, uint16_t line, uint8_t column)>;
inline void RunBreakStepSession(DebugFakeBoard &board, const StatementSink &addStatement, DebugFakeUi &ui) {
  using ::testing::Contains;
  // Four statements; the third was compiled without its debug hook.
  board.Poke(0x4100, {kDebugHook, 0x3E, 0x01});
  board.Poke(0x4103, {kDebugHook, 0x3E, 0x02});
  board.Poke(0x4106, {0x3E, 0x03});
  board.Poke(0x4108, {kDebugHook, 0x18, 0xFD});
  const uint16_t statements[] = {0x4100, 0x4103, 0x4106, 0x4108};
  for (uint16_t line = 1; line <= 4; ++line)
    addStatement(MakeAddr24(0, statements[line - 1]), "/work/main.c", line, 5);
  const std::vector<uint8_t> loaded(board.Memory().begin() + 0x3000, board.Memory().end());
  ui.editors = {"/work/main.c"};
  ui.registersOpen = true;

  // Where the kernel stops, resume after resume.
  std::vector<uint16_t> stops = {0x4100, 0x4101, 0x4106, 0x4108, 0x4108};
  board.script = [&, n = size_t(0)](const TargetRegisterFrame &, DebugFakeBoard &) mutable {
    std::optional<DebugFakeBoard::Stop> stop;
    if (n < stops.size())
      stop = DebugFakeBoard::Stop{stops[n], 0, [](TargetRegisterFrame &f) { f.sp = 0xD000; }, {}};
    ++n;
    return stop;
  };

  TargetConnect();
  ResetTargetProgram();
  EXPECT_EQ(ProgramFrame().pc, 0x4100);

  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  StartTargetRun();
  PollTargetStatus();
  EXPECT_EQ(ProgramFrame().pc, 0x4106);
  EXPECT_EQ(ExecutionMarkerInUse().position, MakeTextPosition(2, 4));
  EXPECT_THAT(ui.registers.lines, Contains("PC  4106  SP  D000"));
  ASSERT_GE(ui.registers.lines.size(), 2u);
  EXPECT_EQ(ui.registers.lines[1], "/work/main.c(3)");

  StepOverCommand();
  PollTargetStatus();
  EXPECT_EQ(ProgramFrame().pc, 0x4108);
  EXPECT_THAT(ui.registers.lines, Contains("PC  4108  SP  D000"));
  EXPECT_THAT(ui.calls, Contains("execution /work/main.c 3:4"));

  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  EXPECT_TRUE(Breakpoints().empty());
  EXPECT_TRUE(std::vector<uint8_t>(board.Memory().begin() + 0x3000, board.Memory().end()) == loaded);
}

inline void RunBreakStepSession(DebugFakeBoard &board, DebugFakeProducts &products, DebugFakeUi &ui) {
  RunBreakStepSession(
      board,
      [&](ADDR24 address, const std::string &file, uint16_t line, uint8_t column) {
        products.AddStatement(address, file, line, column);
      },
      ui);
}

} // namespace tsw::testing
