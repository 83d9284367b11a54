#include "foundation/mstimer.h"

#include <algorithm>

#include "platform/ticks.h"

namespace tsw {

uint16_t ToolHelpTimer = 0;

namespace {
constexpr uint64_t kCoarseTick = 55;
constexpr uint64_t kLargestCoarse = UINT32_MAX / kCoarseTick * kCoarseTick;
} // namespace

MsTimer &MsTimer::SetPeriod(uint32_t ms) {
  // Coarse periods round up, so that a short wait never becomes no wait
  // and no time-out ends before the time it was given.
  if (ToolHelpTimer == 0)
    period_ = uint32_t(std::min(kCoarseTick * ((uint64_t(ms) + kCoarseTick - 1) / kCoarseTick), kLargestCoarse));
  else
    period_ = ms;
  deadline_ = 0;
  return *this;
}

void MsTimer::Start() {
  deadline_ = Now() + period_;
  if (deadline_ == 0)
    deadline_ = 1;
}

bool MsTimer::Expired() const {
  if (deadline_ == 0)
    return true;
  return int32_t(deadline_ - Now()) <= 0;
}

uint32_t MsTimer::Now() { return plat::GetTickCount(); }

void ResetTimerModule() { ToolHelpTimer = 0; }

} // namespace tsw
