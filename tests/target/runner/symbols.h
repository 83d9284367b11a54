#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsw::target {

// The addresses of a linked program's C-level global names (as written in the
// source, without any decoration a compiler adds), whichever map file format
// they were read from.
using SymbolTable = std::map<std::string, uint32_t, std::less<>>;

std::optional<uint32_t> SymbolAddress(const SymbolTable &symbols, std::string_view cName);

// Reads the symbol file that SDCC's linker writes beside the image (".noi":
// lines "DEF name 0xADDR"). C names carry a leading underscore there; names
// without one are the linker's own (area starts and sizes) and are left out.
SymbolTable ReadSdccSymbols(std::string_view noiText);

// Reads the map file our compiler writes beside the image: the rows of its
// function and global-data sections ("addr size name file line ..."). A
// root address is written "llll", a banked one "ss:llll"; the simulator has
// flat memory and no MMU, so both are taken at their logical address. A
// name met twice (statics of two files) keeps its first row.
SymbolTable ReadMapFileSymbols(std::string_view mapText);

// A function row of that map: a C function has its code's size, an
// assembly label none (0).
struct MapFunction {
  std::string name;
  uint32_t address = 0;
  uint32_t size = 0;
};
std::vector<MapFunction> ReadMapFunctions(std::string_view mapText);
// The rows of its global-data section, each with its size.
std::vector<MapFunction> ReadMapDataObjects(std::string_view mapText);

} // namespace tsw::target
