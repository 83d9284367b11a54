#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The low target memory (physical 0x0000-0x24FF) as the BIOS compile left
// it: written while the BIOS is compiled for loading, read back where the
// board's own copy cannot be read (over TCP/IP, or without a board), and
// written at the start of the ".bin" file.
namespace tsw {

struct BiosImage {
  static constexpr uint32_t kSize = 0x2500;
  std::array<uint8_t, kSize> bytes{};
  // One past the highest offset written since the program started.
  uint32_t highWater = 0;

  // Both keep inside the buffer: they take the part of [offset, offset +
  // count) below kSize and give how many bytes that was.
  uint32_t Write(uint32_t offset, uint32_t count, const uint8_t *data);
  uint32_t Read(uint32_t offset, uint32_t count, uint8_t *out) const;
};

extern BiosImage BiosImageBuffer;

} // namespace tsw
