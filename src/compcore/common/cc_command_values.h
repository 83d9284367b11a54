#pragma once

#include <cstdint>

#include "foundation/addr24.h"

// What the IDE's build commands hand the compile driver for one compile:
// the four memory-map overrides of a compile to the board, and compile
// option B.
namespace tsw {

struct MemoryMapOverrides {
  ADDR24 first{};
  ADDR24 second{};
  uint32_t third = 0;
  uint32_t fourth = 0;
  bool operator==(const MemoryMapOverrides &) const = default;
};
MemoryMapOverrides &CommandMemoryMapOverrides();

// Set from option B for the compile of a compile-and-load command, and 1
// at every other time.
uint8_t &CompileOptionBFlag();

} // namespace tsw
