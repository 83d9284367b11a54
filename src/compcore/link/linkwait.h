#pragma once

#include <cstdint>

#include "foundation/mstimer.h"

// Waits of the link: never blocking for long, pumping the please-wait
// dialog's messages between short slices, so the user can cancel.
namespace tsw {

inline constexpr uint32_t kWaitSlice = 20;

// Milliseconds until the timer's deadline, 0 once it has expired.
uint32_t TimeLeft(const MsTimer &timer);
// The next slice to wait: at most kWaitSlice, at most the time left.
uint32_t NextSlice(const MsTimer &timer);

// Waits until `ms` have passed, pumping.
void Delay(uint32_t ms);

} // namespace tsw
