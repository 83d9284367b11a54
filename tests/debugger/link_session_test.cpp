#include "debugger/break_step_session.h"
#include "debugger/debuglink_adapter.h"

#include "debugger/debug_fake_texts.h"
#include "link/serial_fixture.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

// The engine over the real serial link: the in-process kernel serves the
// frames, and the scripted CPU behind it works on the kernel's memory,
// woken by the frames that land there.
class SerialLinkSession : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    SetMessageTexts(&texts);
    kernel.onWrite = [this](uint32_t physical, unsigned count) { cpu.KernelSeesWrite(physical, uint16_t(count)); };
    kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
    ResetDebugEngine();
    SetDebugSeams(&link, &products, &ui);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    SerialLinkTest::TearDown();
  }

  TargetDebugLink link;
  DebugFakeBoard cpu{&kernel.memory};
  DebugFakeProducts products;
  DebugFakeUi ui;
  DebugFakeTexts texts{{{729, "%s(%d)"}}};
};

TEST_F(SerialLinkSession, BreakStepAndLeaveTheCodeAsLoaded) {
  RunBreakStepSession(cpu, products, ui);
  EXPECT_TRUE(IsSerialPortOpen());
  // Every request went as frames the kernel took.
  EXPECT_GT(kernel.writeFrames, 0u);
  EXPECT_GT(kernel.readFrames, 0u);
}

} // namespace
} // namespace tsw::testing
