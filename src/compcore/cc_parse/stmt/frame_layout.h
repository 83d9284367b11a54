#pragma once

#include <cstdint>

// The frame of the function being compiled: the locals below the frame
// base, then what the call and the entry left on the stack, then the
// parameters.
namespace tsw {

// A call of a Typed function pushes behind each argument its descriptor
// (declarator word, then a word of size and type code), all above two zero
// words that end the list.
inline constexpr uint16_t kArgumentDescriptorBytes = 6;
inline constexpr uint16_t kDescriptorListEndBytes = 4;

// Bytes between the frame base and the first parameter.
uint16_t FrameOverhead();
// Whether the function being compiled declares a parameter ("f(void)"
// declares none).
bool HasParameters();
// Gives each parameter its offset above the frame base, in declaration
// order.
void AssignLocalOffsets();

} // namespace tsw
