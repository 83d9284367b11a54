#pragma once

#include "platform/paths.h"

#include <cstdlib>
#include <string>

namespace tsw::testing {

// Where the built programs and modules are: the test's own directory when
// it is run by hand.
inline std::string BuildBin() {
  const char *bin = std::getenv("TSW_BUILD_BIN");
  return bin ? bin : plat::ProgramDirectory();
}

} // namespace tsw::testing
