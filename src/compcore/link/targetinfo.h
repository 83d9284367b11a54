#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// What the link learnt of the board: the values the compiler's target
// macros read, and the board's identification block.
namespace tsw {

inline constexpr unsigned kIdBlockSize = 132;

// Offsets in the identification block.
enum : unsigned {
  kIdBoardTypeAt = 2,
  kIdCrcExcludedAt = 115,
  kIdBlockSizeAt = 116,
  kIdCrcAt = 124,
  kIdMarkerAt = 126,
};

struct TargetInfo {
  int8_t ramSizeCode = 0;
  uint16_t flashId = 0;
  uint16_t boardType = 0;
  std::array<uint8_t, kIdBlockSize> idBlock{};
};

extern TargetInfo CurrentTargetInfo;

// The block's CRC-16 (bytes 0-114 and 116-131, the CRC field taken as 0)
// equals the one it stores.
bool IdBlockCrcMatches(const std::array<uint8_t, kIdBlockSize> &block);

} // namespace tsw
