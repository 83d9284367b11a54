#pragma once

#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "foundation/addr24.h"

#include <array>
#include <cstdint>
#include <vector>

// What the multitasking statements know while a compile runs: one object,
// so that a statement compiled again (a segment overflow, a nested save
// point) finds the table, the open constructs and the running numbers as it
// first saw them. The running numbers name labels and so live for the
// process: a second compile must not reuse the first one's.
namespace tsw {

struct SymbolRecord;

// How "funcblk_init" starts a task's buffer.
enum class CostateStart : uint8_t {
  kOff = 0,      // a named costate without a state word
  kInitOn = 1,   // "init_on"
  kAlwaysOn = 3, // unnamed costates, "always_on", slices, cofunctions
};

struct CostateInitEntry {
  // Only the 16-bit logical address reaches the table; 0 means the buffer
  // has no fixed address (a stack buffer) and the entry is left out.
  ADDR24 address{};
  CostateStart state = CostateStart::kAlwaysOn;
};

// One open costate, slice or cofunction body.
struct CostateRecord {
  uint32_t number = 0;
  ADDR24 buffer{};
  // The named buffer variable, when there is one.
  SymbolRecord *symbol = nullptr;
};

// The start-up table's fixed size: the library's table walker stops there.
inline constexpr uint16_t kCostateTableEntries = 255;
// Where the write position stands while a cofunction body is compiled
// outside any costate: entries made there are no part of the table.
inline constexpr uint16_t kCostateScratchEntry = 0;
inline constexpr uint16_t kCostateFirstEntry = 1;

struct CostateModuleState {
  // Entry 0 is the scratch entry, 1 .. 255 the table.
  std::array<CostateInitEntry, kCostateTableEntries + 1> table{};
  uint16_t write = kCostateFirstEntry;
  uint16_t saved = kCostateFirstEntry;
  // Innermost last; empty outside every construct.
  std::vector<CostateRecord> records;
  // The innermost open construct is a slice.
  bool inSlice = false;
  // Open costates and slices of the function being compiled.
  uint16_t nesting = 0;
  // A cofunction's everytime block is being compiled.
  bool everytime = false;
  // The waitfordone being compiled, as the call compiler sees it too.
  CofunctionCallContext calls;
  // The running numbers: never reset by a compile.
  uint32_t costateCounter = 0;
  uint32_t cofunctionCounter = 0;
  uint16_t waitfordoneCounter = 0;
};
CostateModuleState &CostateState();

// The innermost open record, or null.
CostateRecord *CurrentCostateRecord();
void PushCostateRecord(const CostateRecord &record);
void PopCostateRecord();

// Takes the next table entry and advances the write position; null when
// the table is full (the caller reports it and the construct compiles
// without an entry). At the scratch entry the same entry comes back each
// time.
CostateInitEntry *TakeCostateEntry();
// The table entries made this compile, oldest first.
std::vector<CostateInitEntry> CostateTableEntries();

// While a cofunction body is compiled outside every costate, entries go to
// the scratch entry; the first costate in it turns them back to the table.
void RedirectCostateTableToScratch();
void RestoreCostateTablePosition();
bool CostateTableAtScratch();

// The start of a compile: the table is empty and no construct is open; the
// running numbers go on.
void ResetCostateState();
// The module back to its start, the running numbers too, and part of the
// statement snapshot; once per reset of the code-state module.
void ResetCostateModule();

} // namespace tsw
