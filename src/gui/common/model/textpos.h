#pragma once

#include <cstdint>

// The position every text pane shares: line in the high 16 bits, byte column
// in the low 16 bits, so that positions compare as plain numbers.
namespace tsw::gui {

using TextPos = uint32_t;
// No position, or the end.
inline constexpr TextPos kNoPos = 0xFFFFFFFF;

constexpr TextPos MakePos(int32_t line, uint32_t column) { return (uint32_t(line) << 16) | (column & 0xFFFF); }
constexpr int32_t PosLine(TextPos pos) { return int16_t(pos >> 16); }
constexpr uint32_t PosColumn(TextPos pos) { return pos & 0xFFFF; }

// Line + 1 in the high half, display column from 1 in the low half.
using DisplayPos = uint32_t;
constexpr DisplayPos MakeDisplayPos(int32_t line, int32_t column) {
  return (uint32_t(line) << 16) | (uint32_t(column) & 0xFFFF);
}
constexpr int32_t DisplayLine(DisplayPos pos) { return int16_t(pos >> 16); }
constexpr int32_t DisplayColumn(DisplayPos pos) { return int16_t(pos & 0xFFFF); }

} // namespace tsw::gui
