#pragma once

#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The disassembly listing: up to 64 decoded instructions with their bytes
// and clock counts, built from a buffer of target memory.
namespace tsw {

inline constexpr size_t kListingLineLimit = 64;
inline constexpr size_t kListingBufferSize = 260;
inline constexpr size_t kListingClockColumn = 40;

struct AssemblyLine {
  std::string text;
  // What the pane's clock-count list keeps: the count, or 0 when the clock
  // field holds a text.
  int16_t clockCount = 0;
};

// One line: address (columns 0-7), up to four bytes (8-15), the decoded
// text (16-39) and the clock field (40-43).
AssemblyLine FormatAssemblyLine(ADDR24 address, const uint8_t *bytes, uint16_t length, const std::string &text);

struct Listing {
  std::vector<AssemblyLine> lines;
  std::vector<ADDR24> lineAddresses; // one per line
  ADDR24 end;                        // the address after the last line
};

// Decodes from `address`, whose bytes stand in `code` (`available` of
// them). Stops at 64 lines, at an address whose 16-bit part is 0, when the
// address would not advance, or before an instruction that does not fit.
Listing BuildListing(ADDR24 address, const uint8_t *code, size_t available);

// The line holding `address`: from its start address up to the next line's.
std::optional<size_t> ListingRowOf(const Listing &listing, ADDR24 address);

} // namespace tsw
