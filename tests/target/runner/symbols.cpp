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

} // namespace tsw::target
