#pragma once

#include "debugger/debugengine.h"

#include <array>
#include <vector>

// The engine's one state record, shared by its modules.
namespace tsw {

// A byte of the program's code that a trap replaced.
struct KeptByte {
  ADDR24 address;
  uint8_t byte = 0;
};

struct ListingState {
  Listing listing;
  std::array<uint8_t, kListingBufferSize> code{};
  // How many bytes of `code` came from the board: a stop event brings fewer.
  size_t codeBytes = kListingBufferSize;
  // While a TCP/IP stop is handled: the event's code bytes at its PC.
  std::optional<std::array<uint8_t, kEventCodeBlockSize>> eventCode;
};

struct EngineState {
  TargetRegisterFrame frame;
  uint8_t runState = 0;
  int resetDepth = 0;
  KernelVariables vars;
  uint16_t stepFlagAddress = 0;
  uint16_t stepWordAddress = 0;
  std::vector<Breakpoint> breakpoints; // ascending physical address
  ListingState listing;
  ExecutionMarker marker;
  // Traps a failed step left in the code, in the order they were planted.
  std::vector<KeptByte> keptTraps;
  // A stop event's 16 stack bytes, current until the next command.
  std::optional<std::array<uint8_t, kEventStackBytes>> eventStack;
};

EngineState &Engine();
DebugLink &Link();
DebugProducts &Products();
DebugUi &Ui();

// Kernel variables are logical addresses of data.
uint8_t ReadKernelByte(uint16_t logical);
uint16_t ReadKernelWord(uint16_t logical);
void WriteKernelByte(uint16_t logical, uint8_t value);
void WriteKernelWord(uint16_t logical, uint16_t value);
// The code address of the statement at a 0-based caret; 0 for none.
ADDR24 StatementAddressAt(const std::string &file, TextPosition caret);
// Waits on the tick source while the interface stays alive.
void WaitMilliseconds(uint32_t ms);
// Puts back the kept bytes, the last planted first.
void RestoreKeptBytes(std::vector<KeptByte> &kept);

} // namespace tsw
