#pragma once

#include <cstdint>

namespace tsw {

// The processor a compile targets, the one code every part of the system
// keeps for it: the compiler's selection, the macros, the decoder, the
// stepper.
enum class TargetCpu : uint8_t { Z180 = 0, Corvid = 1 };

} // namespace tsw
