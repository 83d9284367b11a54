#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "fakes/fake_kernel.h"
#include "platform/serialport.h"
#include "platform/ticks.h"

namespace tsw::testing {

// A serial port in the test's process, on the test's fake clock: it records
// every byte the host sends with its time, hands them to a fake kernel (or
// to a hook) and delivers the answers when their time has come. Faults are
// injected per byte and direction, and as line errors, a stalled output
// queue or a change of DSR.
class FakePort : public plat::SerialPort {
public:
  enum class Dir { ToBoard, FromBoard };
  enum class Kind { Drop, Corrupt, Delay, Duplicate };
  struct Fault {
    Dir dir;
    size_t index; // the n-th byte in that direction, from 0
    Kind kind;
    uint32_t delayMs = 0;
  };
  struct SentByte {
    uint8_t byte;
    uint32_t at;
  };

  FakePort(plat::FakeTickSource &clock, FakeKernel *kernel) : clock_(&clock), kernel_(kernel) {}

  bool Configure(const plat::SerialLineSettings &settings) override;
  long Write(const uint8_t *data, size_t count) override;
  long Read(uint8_t *out, size_t count) override;
  bool WaitReadable(uint32_t ms) override;
  size_t OutputQueued() override { return queued; }
  uint32_t TakeErrors() override;
  void Purge() override;
  void SetDtr(bool on) override {
    dtr = on;
    dtrChanges.push_back(on);
  }
  plat::ModemLine Dsr() override { return dsr; }
  bool Close() override;

  // Answer bytes as if the board sent them now.
  void Inject(const std::vector<uint8_t> &bytes);
  std::vector<uint8_t> SentBytes() const;

  std::vector<SentByte> sent;
  std::vector<Fault> faults;
  // Reported (and cleared) by the next TakeErrors; sticky ones every time.
  uint32_t pendingErrors = 0;
  uint32_t stickyErrors = 0;
  // What OutputQueued reports; 10000 or more stalls the host.
  size_t queued = 0;
  // Each write takes at most this many bytes (0: all); -1 makes writes fail.
  long writeLimit = 0;
  bool configureFails = false;
  bool closeFails = false;
  plat::ModemLine dsr = plat::ModemLine::Off;
  bool dtr = false;
  std::vector<bool> dtrChanges;
  std::vector<plat::SerialLineSettings> configurations;
  unsigned purges = 0;
  bool closed = false;
  // Sees each byte the host sends (after the faults), when set.
  std::function<void(uint8_t, uint32_t)> onHostByte;

private:
  struct Timed {
    uint8_t byte;
    uint32_t at;
  };
  const Fault *FaultAt(Dir dir, size_t index) const;
  void ToBoard(uint8_t byte, uint32_t at);
  void FromBoard(const std::vector<uint8_t> &bytes, uint32_t at);
  // Hands the host's bytes whose time has come to the kernel.
  void Deliver();
  bool Ready() const { return !rx_.empty() && int32_t(rx_.front().at - clock_->Now()) <= 0; }

  plat::FakeTickSource *clock_;
  FakeKernel *kernel_;
  std::deque<Timed> tx_; // host bytes on their way to the kernel
  std::deque<Timed> rx_; // kernel bytes on their way to the host
  size_t toBoardIndex_ = 0;
  size_t fromBoardIndex_ = 0;
  bool writeFailed_ = false;
};

// The link owns the port it opens; this hands it a view of the test's.
class PortRef : public plat::SerialPort {
public:
  explicit PortRef(plat::SerialPort &port) : port_(port) {}
  bool Configure(const plat::SerialLineSettings &s) override { return port_.Configure(s); }
  long Write(const uint8_t *data, size_t count) override { return port_.Write(data, count); }
  long Read(uint8_t *out, size_t count) override { return port_.Read(out, count); }
  bool WaitReadable(uint32_t ms) override { return port_.WaitReadable(ms); }
  size_t OutputQueued() override { return port_.OutputQueued(); }
  uint32_t TakeErrors() override { return port_.TakeErrors(); }
  void Purge() override { port_.Purge(); }
  void SetDtr(bool on) override { port_.SetDtr(on); }
  plat::ModemLine Dsr() override { return port_.Dsr(); }
  bool Close() override { return port_.Close(); }

private:
  plat::SerialPort &port_;
};

} // namespace tsw::testing
