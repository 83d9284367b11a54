#include "fakes/pty_kernel.h"

#include <chrono>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace tsw::testing {

namespace {
using Clock = std::chrono::steady_clock;
constexpr uint64_t kBitsPerByte = 10;

uint32_t Millis(Clock::time_point t) {
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}
} // namespace

PtyKernel::PtyKernel(uint32_t baud) {
  if (baud)
    byteNanos_ = kBitsPerByte * 1000000000ull / baud;
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ::grantpt(master_);
  ::unlockpt(master_);
  slave_ = ::ptsname(master_);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

PtyKernel::~PtyKernel() { HangUp(); }

void PtyKernel::HangUp() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  if (master_ >= 0)
    ::close(master_);
  master_ = -1;
}

void PtyKernel::Run(std::stop_token stop) {
  // Each direction's line is busy until its "free" time; a byte starts
  // once the line is free and takes one byte time.
  std::deque<uint8_t> in, out;
  std::vector<uint8_t> answer;
  auto inFree = Clock::now(), outFree = Clock::now();
  const auto byteTime = std::chrono::nanoseconds(byteNanos_);
  while (!stop.stop_requested()) {
    uint8_t buf[512];
    ssize_t n = ::read(master_, buf, sizeof buf);
    auto now = Clock::now();
    if (n > 0) {
      if (in.empty())
        inFree = std::max(inFree, now);
      in.insert(in.end(), buf, buf + n);
    }
    while (!in.empty() && inFree <= now) {
      answer.clear();
      kernel.Feed(in.front(), Millis(now), answer);
      in.pop_front();
      inFree += byteTime;
      if (out.empty())
        outFree = std::max(outFree, now);
      out.insert(out.end(), answer.begin(), answer.end());
    }
    size_t due = 0;
    while (due < out.size() && outFree + byteTime * due <= now)
      ++due;
    if (due > 0) {
      ssize_t w = ::write(master_, std::vector<uint8_t>(out.begin(), out.begin() + long(due)).data(), due);
      if (w > 0) {
        out.erase(out.begin(), out.begin() + w);
        outFree += byteTime * w;
      }
    }
    if (in.empty() && out.empty()) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 5) > 0 && (p.revents & (POLLHUP | POLLERR)))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else if (byteNanos_) {
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
  }
}

} // namespace tsw::testing
