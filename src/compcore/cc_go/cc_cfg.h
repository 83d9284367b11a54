#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "compcore/common/cc_session.h"

// The compiler configuration file "tsw.cfg": limits, run-time checks and
// the memory layout as 16-bit values, one "key = value" line each.
namespace tsw {

struct CompilerConfigEntry {
  const char *format; // recognises a line and writes it
  uint16_t CompilerSettings::*variable;
  uint16_t defaultValue;
};
inline constexpr size_t kCompilerConfigEntries = 32;
extern const CompilerConfigEntry CompilerConfigTable[kCompilerConfigEntries];

inline constexpr char kCompilerConfigName[] = "tsw.cfg";
// Sets every default, then reads `path` when it opens; always 0.
int ReadCompilerConfig(const std::string &path);
// Writes every entry in table order, atomically; false when the file
// cannot be written.
bool WriteCompilerConfig(const std::string &path);

// The profile file that belongs to `fileName` (its extension made "ini").
std::string MakeIniName(std::string_view fileName);

// Table sizes derived from "sym" and "lit" on the first InitCompilerTables.
struct CompilerTableSizes {
  uint32_t symbolRecords = 0;
  uint32_t symbolHashSlots = 0;
  uint32_t insertUndoEntries = 0;
  uint32_t localHashSlots = 0;
  uint32_t namePoolBytes = 0;
  uint32_t literalPoolBytes = 0;
};
CompilerTableSizes ComputeCompilerTableSizes(uint16_t sym, uint16_t lit);
const CompilerTableSizes &CompilerTables();

// The first call sizes the tables (the symbol table from "sym"); every call
// resets them for a compile, the global part too in a BIOS compile.
void InitCompilerTables();
// A module above this one whose tables start afresh with each compile adds
// its reset here, once per assembly; InitCompilerTables runs them last.
void AddCompilerTableHook(void (*hook)());

// The front-end reset just before the compile loop: the local symbols and
// the insert undo list, the error counters. A module with per-compile state
// adds its reset here and to InitCompilerTables, which resets the tables
// for a compile (the global part too in a BIOS compile).
void ResetCompilerState();

// Allocations from the default pool, counted; they live until the module
// is reset.
void *CountedAlloc(size_t size);
char *CountedStrDup(std::string_view text);
uint32_t CountedAllocations();

// One setting of a profile file and where it goes.
enum class ProfileEntryType : uint8_t { kInteger = 0, kString = 1 };
struct ProfileTableEntry {
  const char *key;
  const char *section;
  ProfileEntryType type;
  uint16_t lengthRead = 0; // set for strings
  uint16_t bufferSize = 0; // strings: the buffer's size with its terminator
  int32_t defaultInteger = 0;
  const char *defaultText = "";
  int32_t *integer = nullptr;
  char *buffer = nullptr;
};
// Reads every entry: integers with their default (a value without digits
// reads 0), strings cut to their buffer, with the default string.
void ReadProfileTable(std::span<ProfileTableEntry> table, const std::string &file);

void ResetCompilerConfigModule();

} // namespace tsw
