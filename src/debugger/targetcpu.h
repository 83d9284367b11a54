#pragma once

#include <cstdint>

namespace tsw {

// The processor a compile targets; the values are those the compiler keeps.
enum class TargetCpu : uint8_t { Z180 = 0, Corvid = 1 };

} // namespace tsw
