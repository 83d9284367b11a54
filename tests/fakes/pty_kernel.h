#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "fakes/fake_kernel.h"

namespace tsw::testing {

// The fake kernel behind a pseudo-terminal, served by a thread of its own:
// the link opens the slave side as it would open a serial device. With a
// baud rate, bytes move both ways no faster than a line of that rate would
// carry them. Set the kernel's behaviour before the link talks to it.
class PtyKernel {
public:
  explicit PtyKernel(uint32_t baud = 0);
  ~PtyKernel();
  PtyKernel(const PtyKernel &) = delete;
  PtyKernel &operator=(const PtyKernel &) = delete;

  const std::string &SlavePath() const { return slave_; }
  int Master() const { return master_; }
  // Ends the line: the slave side sees a hang-up.
  void HangUp();

  FakeKernel kernel;

private:
  void Run(std::stop_token stop);

  int master_ = -1;
  std::string slave_;
  uint64_t byteNanos_ = 0;
  std::jthread thread_;
};

} // namespace tsw::testing
