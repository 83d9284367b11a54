#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The BIOS's symbols (name -> target address) and memory layout, imported
// from the BIOS information file or from the board's memory.
namespace tsw {

void ClearBiosSymbols();
void AddBiosSymbol(std::string_view name, ADDR24 value);
ADDR24 LookupBiosSymbol(std::string_view name, ADDR24 defaultValue);
// "#KILL": the program may define the name itself.
void RemoveBiosSymbol(std::string_view name);
int MarkBiosSymbolUsed(std::string_view name);
bool BiosSymbolUsed(std::string_view name);
int ClearBiosSymbolMarks();
// Null when no symbol has that value; valid until the table changes.
const char *FindBiosSymbolByValue(ADDR24 address);
// While set every lookup gives its default.
bool &BiosSymbolsDisabled();

// The layout values the import sets for the rest of the compiler.
inline constexpr size_t kSpecialBiosSymbols = 15;
struct BiosLayout {
  uint16_t layoutWord1Rounded = 0;
  uint16_t layoutWord4 = 0;
  uint16_t layoutWord5 = 0;
  uint16_t layoutWord6 = 0;
  uint8_t ramSizeCode = 0;
  uint8_t layoutByte = 0;
  uint8_t ramStartPage = 0;
  uint16_t symbolTableLength = 0;
  uint8_t opMode = 0;
  // ".lcod_base" ... ".watch" in their fixed order.
  uint32_t special[kSpecialBiosSymbols] = {};
};
const BiosLayout &BiosLayoutValues();
// The value a special symbol set; nullopt for other names.
std::optional<uint32_t> SpecialBiosSymbol(std::string_view name);

inline constexpr size_t kBiosInfoHeaderSize = 33;

// Import from the contents of the BIOS information file (nullopt when it is
// missing). 0 on success; 1 when the file is missing, short or malformed,
// and then nothing is changed.
int LoadBiosSymbols(std::optional<std::span<const uint8_t>> file);

// The board as the import reads it (the target link provides it).
class BiosTargetMemory {
public:
  virtual ~BiosTargetMemory() = default;
  virtual uint8_t ReadByte(ADDR24 address) = 0;
  virtual uint16_t ReadWord(ADDR24 address) = 0;
  virtual void ReadBlock(ADDR24 address, uint8_t *out, size_t count) = 0;
  // The TCP/IP link flag or the second mode flag is set.
  virtual bool AltLinkMode() = 0;
  virtual uint16_t ComAttnValue() = 0;
  virtual void PulseKernelFlag(int value) = 0;
  virtual bool IsCorvidTarget() = 0;
  // The compiler's "symTab" entry, used in the alternative link modes.
  virtual uint16_t CompilerSymTab() = 0;
};
// Throws xTCErr 5035 on a table that is too long or malformed.
int LoadBiosSymbolsFromBios(BiosTargetMemory &target);

// ---- functions compiled in this compile ----------------------------------

struct CompiledFunctionRecord {
  std::string name;
  ADDR24 start, second, third, end;
  uint16_t flagWord = 0;
  uint8_t flagByte = 0;
  uint16_t recordedWord = 0;
  uint8_t recordedByte = 0;
  uint8_t classByte = 0;
};
// The option flags and class default in force, stamped on new records.
struct FunctionRecordContext {
  uint16_t flagWord = 0;
  uint8_t flagByte = 0;
  uint8_t classByte = 0;
};
FunctionRecordContext &CurrentFunctionContext();
const CompiledFunctionRecord &AddCompiledFunction(uint16_t recordedWord, uint8_t recordedByte, ADDR24 second,
                                                  ADDR24 start, ADDR24 end, const ADDR24 *third, std::string_view name);
ADDR24 FindFunctionAddressByName(std::string_view name);
// Leaves both outputs as they were when no function holds the address.
void FindFunctionAtAddress(ADDR24 address, uint16_t &recordedWord, uint8_t &recordedByte);
const CompiledFunctionRecord *FunctionAt(ADDR24 address);
const std::vector<CompiledFunctionRecord> &CompiledFunctions();
void ClearFunctionList();

// The end of the root code and the start of the root data, as the code
// generator compares them after a compile.
struct RootCodeAndDataLimits {
  uint16_t codeTop = 0;
  uint16_t dataStart = 0;
};
// Records the last code byte below `codeAddress` and the first data byte
// above `dataAddress`; a watch compile leaves the program's limits alone.
void SetRootCodeAndDataLimits(uint16_t codeAddress, uint16_t dataAddress);
const RootCodeAndDataLimits &RootLimits();

void ResetBiosSymbolModule();

} // namespace tsw
