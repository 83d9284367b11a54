#pragma once

#include "debugger/targetcpu.h"

#include <array>
#include <cstdint>

// The step analyser's tables: what kind of instruction a first byte starts
// and how long it is.
namespace tsw {

// Class table bytes: low nibble a length (1-4) or a prefix, high nibble the
// kind of control transfer.
inline constexpr uint8_t kClassLengthMask = 0x0F;
inline constexpr uint8_t kClassTransferMask = 0xF0;
inline constexpr uint8_t kClassEdPrefix = 7;
inline constexpr uint8_t kClassIxPrefix = 8;
inline constexpr uint8_t kClassIyPrefix = 9;
inline constexpr uint8_t kTransferNone = 0x00;
inline constexpr uint8_t kTransferJump = 0x50;
inline constexpr uint8_t kTransferReturn = 0x60;
inline constexpr uint8_t kTransferCall = 0x70;
inline constexpr uint8_t kTransferRestart = 0xA0;
// Low nibbles of a jump.
inline constexpr uint8_t kJumpThroughRegister = 1;
inline constexpr uint8_t kJumpRelative = 2;
inline constexpr uint8_t kJumpAbsolute = 3;
inline constexpr uint8_t kJumpLong = 4;

struct StepperTables {
  std::array<uint8_t, 256> classes; // by the first byte
  std::array<uint8_t, 256> index;   // extra length of the indexed form, 0 none
  std::array<uint8_t, 256> ed;      // length by the byte after 0xED
};

const StepperTables &StepperTablesFor(TargetCpu cpu);

} // namespace tsw
