#include "compcore/link/targetinfo.h"

#include "foundation/crc16.h"

namespace tsw {

bool IdBlockCrcMatches(const std::array<uint8_t, kIdBlockSize> &block) {
  std::array<uint8_t, kIdBlockSize> copy = block;
  uint16_t stored = uint16_t(copy[kIdCrcAt] | copy[kIdCrcAt + 1] << 8);
  copy[kIdCrcAt] = copy[kIdCrcAt + 1] = 0;
  uint16_t crc = ComputeCrc16(copy.data(), kIdCrcExcludedAt, kCrc16Ccitt, 0);
  crc = ComputeCrc16(copy.data() + kIdCrcExcludedAt + 1, kIdBlockSize - kIdCrcExcludedAt - 1, kCrc16Ccitt, crc);
  return crc == stored;
}

} // namespace tsw
