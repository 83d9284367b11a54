#pragma once

#include <cstdint>

// The frame of the function being compiled: the locals below the frame
// base, then what the call and the entry left on the stack, then the
// parameters.
namespace tsw {

// Bytes between the frame base and the first parameter.
uint16_t FrameOverhead();
// Gives each parameter its offset above the frame base, in declaration
// order.
void AssignLocalOffsets();

} // namespace tsw
