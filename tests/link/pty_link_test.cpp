#include <gtest/gtest.h>

#include <thread>

#include "compcore/link/linkreset.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/serial.h"
#include "fakes/fake_host.h"
#include "fakes/pty_kernel.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/xerr.h"
#include "link/link_failure.h"

namespace tsw::testing {
namespace {

// The serial link on a real terminal device, the kernel behind it, on the
// real clock with short waits.
class PtyLinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    ResetLinkModules();
    ToolHelpTimer = 1;
    CurrentLinkSettings.portDevice = pty.SlavePath();
    CurrentLinkTimeouts.receiveByte = 60;
  }
  void TearDown() override {
    ResetLinkModules();
    ResetFoundation();
  }

  PtyKernel pty;
  RecordingHost host;
};

TEST_F(PtyLinkTest, FourKilobytesWrittenAndReadBack) {
  OpenSerialPort();
  std::vector<uint8_t> data(4096);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = uint8_t(i ^ (i >> 8));
  WriteTargetMemory(4096, MakeAddr24(0, 0x8000), data.data());
  std::vector<uint8_t> back(4096);
  ReadTargetMemory(4096, MakeAddr24(0, 0x8000), back.data());
  EXPECT_EQ(back, data);
  EXPECT_EQ(QueryTargetStatus(0xFF), 0x80);
}

TEST_F(PtyLinkTest, ADeviceHeldElsewhereIs5043) {
  OpenSerialPort();
  EXPECT_FALSE(plat::OpenTermiosPort(pty.SlavePath(), nullptr));
  CloseSerialPort();
  std::unique_ptr<plat::SerialPort> holder = plat::OpenTermiosPort(pty.SlavePath(), nullptr);
  ASSERT_TRUE(holder);
  try {
    OpenSerialPort();
    ADD_FAILURE();
  } catch (const xTCInit &e) {
    EXPECT_EQ(e.Message(), 5043u);
  }
  EXPECT_FALSE(IsSerialPortOpen());
}

TEST_F(PtyLinkTest, KernelFaultsOnTheLine) {
  struct Case {
    const char *name;
    void (*arrange)(FakeKernel &);
    uint32_t message;
  } cases[] = {
      {"NAK", [](FakeKernel &k) { k.nakHeaders = 100; }, 5074},
      {"silence", [](FakeKernel &k) { k.silent = true; }, 5072},
      {"one bad sum", [](FakeKernel &k) { k.badReadSums = 1; }, 0},
  };
  OpenSerialPort();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    c.arrange(pty.kernel);
    uint8_t buf[8];
    EXPECT_EQ(LinkFailure([&] { ReadTargetMemory(8, MakeAddr24(0, 0x100), buf); }), c.message);
    pty.kernel.nakHeaders = 0;
    pty.kernel.silent = false;
  }
}

TEST_F(PtyLinkTest, AHangUpIs5043AndTheFrameEndsWithinItsTries) {
  OpenSerialPort();
  pty.HangUp();
  uint8_t buf[8];
  EXPECT_EQ(LinkFailure([&] { ReadTargetMemory(8, MakeAddr24(0, 0x100), buf); }), 5043u);
  EXPECT_EQ(host.compileFlagResets, 1u);
}

} // namespace
} // namespace tsw::testing
