#pragma once

#include "debugger/debugengine.h"

#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debug_fake_ui.h"
#include "fakes/fake_texts.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "platform/ticks.h"

#include <gtest/gtest.h>

namespace tsw::testing {

// A board, a compile and an interface around a freshly emptied engine, on
// a fake clock.
class DebugSessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetMemoryMapModule();
    ResetTimerModule();
    plat::SetTickSource(&clock);
    ResetDebugEngine();
    SetDebugSeams(&board, &products, &ui);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    ResetTimerModule();
    plat::SetTickSource(nullptr);
  }

  // Selects the processor before the engine picks its tables.
  void UseCpu(TargetCpu cpu) {
    products.cpu = cpu;
    SetDebugSeams(&board, &products, &ui);
  }
  // Connected and reset: the program stands at `entry` on a trap.
  void ConnectAndReset(uint16_t entry = 0x4100) {
    TargetConnect();
    board.Memory()[entry] = kTrapRst20;
    board.script = [entry](const TargetRegisterFrame &, DebugFakeBoard &) {
      return DebugFakeBoard::Stop{entry, 0, nullptr, {}};
    };
    ResetTargetProgram();
    board.Memory()[entry] = 0x00;
    board.script = nullptr;
    board.writes.clear();
    board.trapsAtResume.clear();
    board.resumedFrames.clear();
    ui.calls.clear();
  }

  plat::FakeTickSource clock{1000};
  DebugFakeBoard board;
  DebugFakeProducts products;
  DebugFakeUi ui;
  InstalledTexts texts{{
      {142, "Run-time error %d."},
      {143, "%s\nin %s, line %d."},
      {729, "%s(%d)"},
      {788, "Run-time error 228"},
      {1144, "%s\nat address %02X:%04X."},
      {2093, "Program ended"},
  }};
};

} // namespace tsw::testing
