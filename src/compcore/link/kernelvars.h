#pragma once

#include <cstddef>
#include <cstdint>

// Where the board's debug kernel keeps its control variables (16-bit
// logical addresses; every access makes them data addresses). The serial
// link reads them from the kernel's directory, the TCP/IP link receives them
// as one 36-byte message.
namespace tsw {

struct KernelVariables {
  // The directory itself: D, the u16 at target address 3.
  uint16_t directory = 0;
  uint16_t stdioBuffer = 0;
  uint16_t registerSaveArea = 0;
  uint16_t stdioFlag = 0;
  uint16_t doneFlag = 0;
  uint16_t watchWork1 = 0;
  // The u16 the serial link reads at E+9.
  uint16_t watchValue = 0;
  uint16_t watchWork2 = 0;
  // The byte before the stdin byte.
  uint16_t inputRequestFlag = 0;
  uint16_t stdinByte = 0;
  uint16_t stopRequest = 0;
  uint16_t syncFlag = 0;
  uint16_t pulseVariable = 0;
  uint16_t patchAddress = 0;
  uint8_t startupValue = 0;
  uint8_t savedPatchByte = 0;
  // Both inside the register save area: at +26 and +28.
  uint16_t savedFlagsWord = 0;
  uint16_t runRequest = 0;
};

inline constexpr uint16_t kKernelDirectoryPointer = 3;
inline constexpr uint16_t kSaveAreaFlagsOffset = 26;
inline constexpr uint16_t kSaveAreaRunRequestOffset = 28;
inline constexpr unsigned kKernelVariableMessageSize = 36;

// The table the TCP/IP board sends: little-endian words in its own order.
KernelVariables KernelVariablesFromMessage(const uint8_t (&message)[kKernelVariableMessageSize]);
// The same layout, for fakes of the board.
void KernelVariablesToMessage(const KernelVariables &vars, uint8_t (&message)[kKernelVariableMessageSize]);

// The table in use, filled at connect.
extern KernelVariables CurrentKernelVariables;

} // namespace tsw
