#pragma once

#include "foundation/memorymap.h"

// What the memory map reads of the compiler: the BIOS symbols for the data
// and stack segments, tsw.cfg for the sizes of the free area, the auxiliary
// stack and the heap, the code generator for the start-up code's length.
namespace tsw {

class CompilerMemoryMapEnvironment : public MemoryMapEnvironment {
public:
  void ClearBiosSymbolMarks() override;
  uint32_t LookupBiosSymbol(const char *name, uint32_t defaultValue) override;
  uint16_t ConfigValue(const char *key) override;
  void SetConfigValue(const char *key, uint16_t value) override;
  uint16_t MeasureStartupCode() override;
};

} // namespace tsw
