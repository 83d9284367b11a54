#include "runner/symbols.h"

#include <charconv>
#include <sstream>

namespace tsw::target {

std::optional<uint32_t> SymbolAddress(const SymbolTable &symbols, std::string_view cName) {
  auto found = symbols.find(cName);
  if (found == symbols.end())
    return std::nullopt;
  return found->second;
}

SymbolTable ReadSdccSymbols(std::string_view noiText) {
  SymbolTable symbols;
  std::istringstream lines{std::string(noiText)};
  std::string keyword, name, value;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    if (!(fields >> keyword >> name >> value) || keyword != "DEF" || name.size() < 2 || name[0] != '_')
      continue;
    std::string_view digits = value;
    if (digits.starts_with("0x") || digits.starts_with("0X"))
      digits.remove_prefix(2);
    uint32_t address = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), address, 16);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
      continue;
    symbols[name.substr(1)] = address;
  }
  return symbols;
}

namespace {

std::optional<uint32_t> ParseHex(std::string_view digits) {
  uint32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return value;
}

// "llll" or "ss:llll", as the map writes a root or a banked address.
std::optional<uint32_t> ParseMapAddress(std::string_view text) {
  if (size_t colon = text.find(':'); colon != std::string_view::npos) {
    if (!ParseHex(text.substr(0, colon)))
      return std::nullopt;
    text.remove_prefix(colon + 1);
  }
  return ParseHex(text);
}

bool IsSizeField(std::string_view text) {
  return text == "*" || (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos);
}

// Only these sections hold addresses of names; the others hold frame
// offsets (locals), segment origins or macros.
enum class MapSection { kOther, kFunctions, kGlobals };

struct MapRow {
  MapSection section;
  std::string name;
  uint32_t address;
  std::string size;
};

std::vector<MapRow> ReadMapRows(std::string_view mapText) {
  std::vector<MapRow> rows;
  MapSection section = MapSection::kOther;
  std::istringstream lines{std::string(mapText)};
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("//")) {
      if (line.starts_with("//  Addr") || line.starts_with("// *"))
        continue;
      section = line.starts_with("// Function mapping")                   ? MapSection::kFunctions
                : line.starts_with("// Global/static data symbol mapping") ? MapSection::kGlobals
                                                                            : MapSection::kOther;
      continue;
    }
    if (section == MapSection::kOther)
      continue;
    std::istringstream fields(line);
    std::string address, size, name;
    if (!(fields >> address >> size >> name) || !IsSizeField(size))
      continue;
    if (std::optional<uint32_t> value = ParseMapAddress(address))
      rows.push_back({section, name, *value, size});
  }
  return rows;
}

} // namespace

SymbolTable ReadMapFileSymbols(std::string_view mapText) {
  SymbolTable symbols;
  for (const MapRow &row : ReadMapRows(mapText))
    symbols.emplace(row.name, row.address);
  return symbols;
}

namespace {

std::vector<MapFunction> RowsOf(std::string_view mapText, MapSection section) {
  std::vector<MapFunction> rows;
  for (const MapRow &row : ReadMapRows(mapText))
    if (row.section == section)
      rows.push_back({row.name, row.address, row.size == "*" ? 0 : uint32_t(std::stoul(row.size))});
  return rows;
}

} // namespace

std::vector<MapFunction> ReadMapFunctions(std::string_view mapText) {
  return RowsOf(mapText, MapSection::kFunctions);
}

std::vector<MapFunction> ReadMapDataObjects(std::string_view mapText) {
  return RowsOf(mapText, MapSection::kGlobals);
}

} // namespace tsw::target
