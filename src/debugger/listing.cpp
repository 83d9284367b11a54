#include "debugger/listing.h"

#include "debugger/clockcount.h"
#include "debugger/disasm.h"
#include "debugger/stepper.h"

#include <fmt/format.h>

namespace tsw {
namespace {

constexpr uint16_t kShownBytes = 4;
constexpr size_t kTextWidth = 23;

std::string ClockField(int16_t n, int16_t *stored) {
  *stored = 0;
  switch (n) {
  case kClocksBlockMove: return "6+7n";
  case kClocksBlockMoveIoi: return "8+6n";
  case kClocksBlockMovePrefixed: return "8+7n";
  default: break;
  }
  if ((n & 0xFF) == kClocksConditionalReturn)
    return " 8/2";
  *stored = n;
  return fmt::format("{:4d}", n);
}

} // namespace

AssemblyLine FormatAssemblyLine(ADDR24 address, const uint8_t *bytes, uint16_t length, const std::string &text) {
  std::string line = Addr24InWindow(address) ? fmt::format("{:02x}:{:04x} ", address.segment, address.logical)
                                             : fmt::format("   {:04x} ", address.logical);
  for (uint16_t i = 0; i < kShownBytes; ++i)
    line += i < length ? fmt::format("{:02X}", bytes[i]) : std::string("  ");
  line += fmt::format(" {:<{}.{}}", text, kTextWidth, kTextWidth);
  AssemblyLine result;
  line += ClockField(LineClockCount(line), &result.clockCount);
  result.text = std::move(line);
  return result;
}

Listing BuildListing(ADDR24 address, const uint8_t *code, size_t available) {
  Listing listing;
  ADDR24 cur = address;
  while (listing.lines.size() < kListingLineLimit && cur.logical != 0) {
    size_t offset = Addr24Difference(cur, address);
    if (offset >= available)
      break;
    const uint8_t *at = code + offset;
    size_t left = available - offset;
    if (InstructionLength(at, left, true) > left)
      break;
    uint16_t length = 0;
    std::string text;
    DisassembleOne(cur, at, left, &length, &text);
    listing.lines.push_back(FormatAssemblyLine(cur, at, length, text));
    listing.lineAddresses.push_back(cur);
    ADDR24 next = Addr24Add(cur, length);
    if (!Addr24Less(cur, next))
      break;
    cur = next;
  }
  listing.end = cur;
  return listing;
}

std::optional<size_t> ListingRowOf(const Listing &listing, ADDR24 address) {
  for (size_t i = 0; i < listing.lineAddresses.size(); ++i) {
    ADDR24 next = i + 1 < listing.lineAddresses.size() ? listing.lineAddresses[i + 1] : listing.end;
    if (!Addr24Less(address, listing.lineAddresses[i]) && Addr24Less(address, next))
      return i;
  }
  return std::nullopt;
}

} // namespace tsw
