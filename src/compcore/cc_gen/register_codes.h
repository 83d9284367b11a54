#pragma once

#include <cstdint>

namespace tsw {

// Register codes of the code generator: single registers, pairs, the
// register of the value's own type (resolved by the caller), none.
enum class Reg : uint8_t { B = 0, C, D, E, H, L, A, BC, DE, HL, Value, None };
constexpr unsigned RegIndex(Reg r) { return unsigned(r); }

} // namespace tsw
