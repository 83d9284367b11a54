#pragma once

#include <cstdint>

// Storage-class codes of a declaration, which become the kinds of the
// symbols it enters.
namespace tsw {

enum : int16_t {
  kClassNone = 0,
  kClassGlobal = 1,
  kClassAutoLocal = 2,
  kClassStaticLocal = 3,
  kClassRegister = 4,
  kClassParameterArea = 5,
  kClassTypedefLocal = 6,
  kClassTypedefTop = 7,
  kClassExtern = 252,
  kClassMember = 253,
  kClassStaticTop = 254,
};

} // namespace tsw
