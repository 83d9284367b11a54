#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "compcore/link/linkreset.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/tc/serial.h"
#include "fakes/fake_host.h"
#include "fakes/fake_kernel.h"
#include "fakes/fake_port.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/xerr.h"
#include "link/link_failure.h"
#include "platform/ticks.h"

namespace tsw::testing {

// The serial link on an in-process port and kernel, on a fake clock with
// exact timer periods.
class SerialLinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    ResetLinkModules();
    ToolHelpTimer = 1;
    plat::SetTickSource(&clock);
    SetSerialPortOpener([this](const std::string &path, std::string *) -> std::unique_ptr<plat::SerialPort> {
      openedPaths.push_back(path);
      if (openFails)
        return nullptr;
      port.closed = false;
      return std::make_unique<PortRef>(port);
    });
  }
  void TearDown() override {
    ResetLinkModules();
    plat::SetTickSource(nullptr);
    ResetFoundation();
  }

  void Open() { OpenSerialPort(); }

  // How often a frame starting with `header` went out.
  size_t Tries(const std::vector<uint8_t> &header) const {
    std::vector<uint8_t> sent = port.SentBytes();
    size_t n = 0;
    for (auto it = sent.begin(); (it = std::search(it, sent.end(), header.begin(), header.end())) != sent.end(); ++it)
      ++n;
    return n;
  }

  template <class Fn> uint32_t Elapsed(Fn fn) {
    uint32_t start = clock.Now();
    fn();
    return clock.Now() - start;
  }

  plat::FakeTickSource clock{100000};
  FakeKernel kernel;
  FakePort port{clock, &kernel};
  RecordingHost host;
  bool openFails = false;
  std::vector<std::string> openedPaths;
};

} // namespace tsw::testing
