#include "foundation/mstimer.h"

#include "platform/ticks.h"

namespace tsw {

uint16_t ToolHelpTimer = 0;

namespace {
constexpr uint64_t kCoarseTick = 55;
} // namespace

MsTimer &MsTimer::SetPeriod(uint32_t ms) {
  if (ToolHelpTimer == 0)
    period_ = uint32_t(kCoarseTick * ((uint64_t(ms) + kCoarseTick / 2) / kCoarseTick));
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
