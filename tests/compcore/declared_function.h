#pragma once

#include <string>

namespace tsw::testing {

// The name of the function whose body a stand-in for the function
// compiler is about to compile.
std::string DeclaredFunctionName();

} // namespace tsw::testing
