#pragma once

#include <cstdint>

// The millisecond time-out timer behind every wait on the board and the
// time stamps of exceptions. It reads the platform tick source, so tests
// drive it with a fake clock.
namespace tsw {

// 0 (the default) selects the coarse mode, in which periods are rounded to
// the next multiple of 55 ms up; any other value keeps them exact.
extern uint16_t ToolHelpTimer;

class MsTimer {
public:
  MsTimer() = default;
  explicit MsTimer(uint32_t ms) { SetPeriod(ms); }

  // Sets the period and leaves the timer not started.
  MsTimer &SetPeriod(uint32_t ms);
  void Start();
  // True once the deadline is reached, across the wrap of the tick count
  // for periods below 2^31 ms; a timer never started reads as expired.
  bool Expired() const;

  uint32_t Period() const { return period_; }
  uint32_t Deadline() const { return deadline_; }

  static uint32_t Now();

private:
  uint32_t period_ = 0;
  uint32_t deadline_ = 0;
};

void ResetTimerModule();

} // namespace tsw
