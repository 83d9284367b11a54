#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The compiler configuration file "tsw.cfg": limits, run-time checks and
// the memory layout as 16-bit values, one "key = value" line each.
namespace tsw {

struct CompilerSettings {
  uint16_t error, index, ptr, stack, size, warn, lit, mac, sym;
  uint16_t ustk, astk, heap, free, logr, logx, logxs, logrs;
  uint16_t roms, rome, romx, romg, ramcfg, rams, rame, ramx, ramg, romc;
  // Kept together in this order: the option accessors pass them as one record.
  uint16_t tcprot, tcptr, tcdmtn;
  uint16_t cchexf, ccsvrm;
};
CompilerSettings &CompilerConfig();

struct CompilerConfigEntry {
  const char *format; // recognises a line and writes it
  uint16_t CompilerSettings::*variable;
  uint16_t defaultValue;
};
inline constexpr size_t kCompilerConfigEntries = 32;
extern const CompilerConfigEntry CompilerConfigTable[kCompilerConfigEntries];

inline constexpr char kCompilerConfigName[] = "tsw.cfg";
// The configuration file in force: the program's directory, the current
// directory, then the system configuration directory; nullopt when none
// holds one.
std::optional<std::string> FindCompilerConfig();
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

// Each module with per-compile state registers its reset here; every
// InitCompilerTables runs them in registration order. `biosCompile` tells
// whether the global part is emptied as well.
using CompilerTableHook = void (*)(const CompilerTableSizes &sizes, bool biosCompile);
void AddCompilerTableHook(CompilerTableHook hook);
// Set while the BIOS is compiled.
bool &BiosCompileFlag();
void InitCompilerTables();

void ResetCompilerConfigModule();

} // namespace tsw
