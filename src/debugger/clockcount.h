#pragma once

#include <cstdint>
#include <string_view>

// Clock counts of listing lines, read back from the bytes a line shows.
namespace tsw {

// Counts that stand for a text rather than a number.
inline constexpr int16_t kClocksBlockMove = 100;         // "6+7n"
inline constexpr int16_t kClocksBlockMoveIoi = 101;      // "8+6n"
inline constexpr int16_t kClocksBlockMovePrefixed = 102; // "8+7n"
inline constexpr uint8_t kClocksConditionalReturn = 255; // " 8/2", in the low byte

// The count of the instruction whose bytes stand in columns 8-15 of `line`;
// 0 when unknown.
int16_t LineClockCount(std::string_view line);
// The clocks a Corvid prefix adds to the instruction after it; `following`
// holds the next four bytes, the first in the top 8 bits.
uint16_t PrefixClockCount(uint8_t first, uint32_t following);

} // namespace tsw
