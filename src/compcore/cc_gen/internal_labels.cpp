#include "compcore/cc_gen/internal_labels.h"

#include <string_view>

namespace tsw {
namespace {

// 'A' and 'B' come first so that the first names read AA!, BA!, ...
constexpr std::string_view kLabelDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_#";
static_assert(kLabelDigits.size() == 64);
constexpr unsigned kDigitBits = 6;
constexpr unsigned kDigitMask = 63;
constexpr unsigned kTwoDigitLimit = 1u << (2 * kDigitBits);
constexpr char kInternalMark = '!';

} // namespace

std::string MakeInternalLabel(uint16_t n) {
  std::string label;
  label += kLabelDigits[n & kDigitMask];
  label += kLabelDigits[(n >> kDigitBits) & kDigitMask];
  if (n >= kTwoDigitLimit)
    label += kLabelDigits[n >> (2 * kDigitBits)];
  label += kInternalMark;
  return label;
}

std::vector<PooledString> PooledStrings(const uint8_t *pool, uint16_t count) {
  std::vector<PooledString> strings;
  uint32_t offset = 0;
  while (offset < count) {
    uint32_t end = offset;
    while (end < count && pool[end] != 0)
      ++end;
    strings.push_back({static_cast<uint16_t>(offset), static_cast<uint16_t>(end - offset)});
    offset = end + 1;
  }
  return strings;
}

} // namespace tsw
