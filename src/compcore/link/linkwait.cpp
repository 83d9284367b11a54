#include "compcore/link/linkwait.h"

#include <algorithm>

#include "compcore/link/linkhost.h"
#include "compcore/link/linktimeouts.h"
#include "platform/ticks.h"

namespace tsw {

LinkTimeouts CurrentLinkTimeouts;

uint32_t TimeLeft(const MsTimer &timer) {
  if (timer.Expired())
    return 0;
  return timer.Deadline() - MsTimer::Now();
}

uint32_t NextSlice(const MsTimer &timer) { return std::min(kWaitSlice, TimeLeft(timer)); }

void Delay(uint32_t ms) {
  MsTimer timer(ms);
  timer.Start();
  for (;;) {
    Host().Pump();
    uint32_t slice = NextSlice(timer);
    if (slice == 0)
      return;
    plat::Sleep(slice);
  }
}

} // namespace tsw
