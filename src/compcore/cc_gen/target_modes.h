#pragma once

#include "compcore/cc_gen/codegen_hooks.h"
#include "foundation/addr24.h"

#include <cstdint>

// The processor the compile targets and what follows it (the memory
// configuration, the TARGETCPU macro, the instruction tables), the choice of
// code cache by address, and the switch between BIOS and program code.
namespace tsw {

// What the target modes reach outside the code generator: the cache set,
// the instruction tables of the assembler, the disassembler and the
// single-stepper. The compiler's assembly installs the real one.
class TargetModeServices {
public:
  virtual ~TargetModeServices() = default;
  virtual void SwitchCodeCacheSet(int set) { (void)set; }
  // The assembler lives beside the code generator: its default is the real one.
  virtual void SelectAssemblerTables();
  virtual void SelectDisassemblerTables() {}
  virtual void SelectStepperTables() {}
};
// Null puts back the neutral services.
void SetTargetModeServices(TargetModeServices *services);

// The memory-map figures the memory configurations read.
struct TargetLayout {
  // Bit 0: code runs with the data page above the root code.
  uint8_t compileTargetMode = 0;
  uint16_t rootCodeLimit = 0;
};
TargetLayout &TargetLayoutValues();

inline constexpr uint8_t kTargetModeSeparateDataPage = 0x01;

class MemoryConfiguration {
public:
  virtual ~MemoryConfiguration() = default;
  // The last address of root data.
  virtual ADDR24 DataAreaEnd() = 0;
  virtual uint16_t DataPageBase(uint16_t address) = 0;
  // Constants get a cache of their own instead of following the code.
  virtual bool KeepsConstantsApart() = 0;
};
MemoryConfiguration &ActiveMemoryConfiguration();
// The Corvid keeps constants apart only while this is set (and the data
// page is not separate).
bool &CorvidConstantsApartFlag();

// The translation of the driver's selector (0 Corvid, 1 Z180) and of the
// pragma's processor; any other selector is none.
inline constexpr uint8_t kSelectorCorvid = 0;
inline constexpr uint8_t kSelectorZ180 = 1;
bool CpuFromSelector(uint8_t selector, TargetCpu *cpu);
// Sets the processor, its memory configuration and TARGETCPU, then
// re-selects the assembler's, the disassembler's and the stepper's tables.
void SelectTargetCpu(TargetCpu cpu);
TargetCpu CurrentCpu();

// Root code below the window, extended-memory code at or above it, each
// only when its cache has an origin; the constant cache follows.
void SelectCodeCache(ADDR24 address);
// Constants go to the constant cache when the memory configuration keeps
// them apart, else with the current code.
void FollowConstantCache();

// BIOS code and program code. A begin sets its flag and brings in its cache
// set (the program shares the BIOS's); an end clears the flag.
void BeginBiosCode();
void EndBiosCode();
void BeginProgramCode();
void EndProgramCode();
bool IsBiosCode();
bool IsProgramCode();

// Processor Z180, its memory configuration, program code.
void ResetTargetModes();

} // namespace tsw
