#pragma once

#include <cstdint>

#include "foundation/addr24.h"

// The fixed regions of root memory (interrupt vectors, start-up code, data
// top, auxiliary stack, heap), computed once per compile from the compiler
// configuration, the BIOS information and the code generator's figures.
namespace tsw {

// What the memory map reads from the rest of the compiler. The compiler
// installs its own; without one every question gets its neutral answer.
class MemoryMapEnvironment {
public:
  virtual ~MemoryMapEnvironment() = default;
  virtual void ClearBiosSymbolMarks() {}
  virtual uint32_t LookupBiosSymbol(const char *, uint32_t defaultValue) { return defaultValue; }
  // A value of the compiler configuration ("free", "astk", "heap"...).
  virtual uint16_t ConfigValue(const char *) { return 0; }
  virtual void SetConfigValue(const char *, uint16_t) {}
  virtual bool IsCorvidTarget() { return false; }
  // The code origin of the saved memory configuration.
  virtual uint16_t SavedCodeOrigin() { return 0; }
  // The data top of the active memory configuration (Corvid).
  virtual uint16_t ActiveDataTop() { return 0; }
  // The length of the start-up code, measured without building it.
  virtual uint16_t MeasureStartupCode() { return 0; }
};

// nullptr puts back the neutral environment.
void SetMemoryMapEnvironment(MemoryMapEnvironment *environment);

// The default of the BIOS symbol lookups: an absent origin reads as none.
inline constexpr uint32_t kBiosSymbolDefault = 0;
inline constexpr uint16_t kInternalVectorTableSize = 256;
inline constexpr uint16_t kExternalVectorTableSize = 32;
inline constexpr uint16_t kDefaultLogx = 14;
inline constexpr uint16_t kDefaultLogr = 2;

struct MemoryMapValues {
  uint16_t RootCodeOrigin = 0;
  uint16_t StartupCodeSize = 0;
  uint16_t InternalVectorTableSize = 0;
  uint16_t ExternalVectorTableSize = 0;
  uint16_t ivec_base = 0, ivec_top = 0;
  uint16_t scod_base = 0, scod_top = 0;
  uint16_t CodeFreeStart = 0;
  uint16_t PreStartupTop = 0;
  uint16_t DataTopDefault = 0; // written by the BIOS import
  uint16_t UserStackTop = 0;
  uint16_t DataTop = 0, DataTopCopy = 0;
  uint16_t FreeAreaStart = 0;
  uint16_t AstkTop = 0, AstkStart = 0;
  uint16_t HeapTop = 0, HeapStart = 0;
  uint16_t RootDataLimit = 0;
  ADDR24 ScodAnchor; // set by the code generator; Z180 start-up code follows it
};

MemoryMapValues &MemoryMap();

// Base values: the root code origin (`origin` + 256 rounded up to a page of
// 256, or the saved configuration's origin for 0), the start-up code size,
// the vector table sizes, and "logx" 14 and "logr" 2.
void InitMemoryMapDefaults(uint16_t origin);
// The region limits, in 16-bit arithmetic; `stackTop` 0 for none.
void ComputeMemoryMap(uint16_t stackTop);

// A data or stack address with the segment the BIOS uses for it.
ADDR24 MakeDataAddr24(uint16_t logical);

// Clears the map, the window start and segment base and the environment.
void ResetMemoryMapModule();

} // namespace tsw
