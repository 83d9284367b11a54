#pragma once

#include <cstdint>
#include "foundation/msgnumbers.h"

// Module names and message numbers of the link's failures.
namespace tsw {

inline constexpr const char *kModuleTcs = "compcore\\tcs";
inline constexpr const char *kModuleTc = "compcore\\tc";


} // namespace tsw
