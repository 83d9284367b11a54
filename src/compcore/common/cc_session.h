#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What every phase of the compiler reads of the compile in progress: the
// limits and memory layout of tsw.cfg, which of the two compiles (BIOS or
// program) runs, the libraries it used, and the BIOS values the phases
// below the symbol table need.
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

// Set while the BIOS is compiled.
bool &BiosCompileFlag();
// Set when the next compile must compile the BIOS first.
bool &BiosFirstFlag();
// The compile-option flag: set while the BIOS on the board is out of date.
uint8_t SetCompileOptionFlag(uint8_t value);
uint8_t GetCompileOptionFlag();

// The libraries the program compile used, by file name.
void AddUsedLibrary(std::string_view fileName); // duplicates are skipped
const std::vector<std::string> &UsedLibraries();
void ClearUsedLibraries();
// The libraries the BIOS names with "#use", upper-cased, each once; from
// one BIOS compile to the next.
void AddBiosLibrary(std::string_view name);
const std::vector<std::string> &BiosLibraries();
void ClearBiosLibraries();

// The BIOS's root data origin ("IOP_DATAORG"), stored as the BIOS symbols
// are imported; 0 when the BIOS defines none.
uint32_t &BiosDataOrigin();

// All of it as at program start (the settings zero until the configuration
// module sets its defaults).
void ResetCompileSession();

} // namespace tsw
