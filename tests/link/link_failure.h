#pragma once

#include <cstdint>

#include "foundation/xerr.h"

namespace tsw::testing {

// Runs `fn` and gives the message number of the exception it raised, or 0.
template <class Fn> uint32_t LinkFailure(Fn fn) {
  try {
    fn();
  } catch (const xErr &e) {
    return e.Message();
  }
  return 0;
}

} // namespace tsw::testing
