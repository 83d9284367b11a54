#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "compcore/link/linkreset.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/tcs/tcplink.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "fakes/fake_board.h"
#include "fakes/fake_host.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/xerr.h"
#include "link/link_failure.h"

namespace tsw::testing {

// The TCP/IP link against the loopback board, on the real clock with the
// waits shortened.
class TcpLinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    ResetLinkModules();
    ToolHelpTimer = 1;
    LinkSettings &s = CurrentLinkSettings;
    s.useTcp = 1;
    s.netAddress = FakeBoard::Loopback();
    std::strcpy(s.netAddressText, "127.0.0.1");
    s.tcpPort = board.Port();
    LinkTimeouts &t = CurrentLinkTimeouts;
    t.tcpConnect = 500;
    t.tcpReply = 300;
    t.downloadStage = 300;
    t.pollStage = 300;
    host.passPhrase = "tessel";
  }
  void TearDown() override {
    ResetLinkModules();
    EXPECT_FALSE(ConnectWorkerRunning());
    ResetFoundation();
  }

  // Connected and logged in without a pass phrase: the next message the
  // host composes is its first.
  void ConnectOpen() {
    board.passPhrase.reset();
    ConnectTcp();
  }

  static uint32_t Millis() {
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  }
  template <class Fn> uint32_t Elapsed(Fn fn) {
    uint32_t start = Millis();
    fn();
    return Millis() - start;
  }

  FakeBoard board;
  RecordingHost host;
};

} // namespace tsw::testing
