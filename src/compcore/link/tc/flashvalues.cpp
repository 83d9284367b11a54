#include "compcore/link/tc/flashvalues.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "compcore/link/linkhost.h"

namespace tsw {

namespace {
// Macros naming each other in a ring must not hold the link up.
constexpr unsigned kMaxMacroChain = 32;

std::string Trimmed(const char *text) {
  std::string s(text);
  size_t b = s.find_first_not_of(" \t");
  size_t e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}
} // namespace

uint32_t MacroNumber(const char *name) {
  std::string current = name;
  for (unsigned depth = 0; depth < kMaxMacroChain; ++depth) {
    const char *definition = Host().IsMacroDefined(current.c_str());
    if (!definition)
      return 0;
    std::string text = Trimmed(definition);
    if (text.empty())
      return 0;
    if (std::isdigit(static_cast<unsigned char>(text[0])))
      return uint32_t(std::strtoul(text.c_str(), nullptr, 0));
    current = text;
  }
  return 0;
}

uint32_t GetFlashSize() { return MacroNumber("FLASH_SIZE") * kFlashSizeUnit; }
uint16_t GetFlashSectorSize() { return uint16_t(MacroNumber("FLASH_SECTORSIZE")); }

} // namespace tsw
