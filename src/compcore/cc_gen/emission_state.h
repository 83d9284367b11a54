#pragma once

#include <cstdint>

// What instruction emission tracks between requests within one function:
// the stack bytes pushed since the frame was set up (every push emitted
// lowers it by 2, every pop raises it), the bytes held by saved interrupt
// states, the frame base, and whether the flags already describe the value
// in the registers. Stack variables are addressed relative to SP, so a
// push that is not counted here moves every local by two bytes.
namespace tsw {

struct EmissionState {
  int16_t stackOffset = 0;
  int16_t ipStackOffset = 0;
  int16_t frameBase = 0;
  // The zero flag already holds the test of the value in the registers.
  bool flagsValid = false;
  // The value in the registers is a condition (0 or 1), not a number.
  bool valueIsCondition = false;
};
EmissionState &Emission();

// Back to the start of a compile.
void ResetEmissionState();

} // namespace tsw
