#pragma once

#include <cstdint>

#include "foundation/crc16.h"

namespace tsw::testing {

// Writes the CRC a board keeps in its 132-byte identification block (bytes
// 124 and 125): over every byte but the one at 115, the CRC's own two bytes
// taken as 0.
inline void SealIdBlock(uint8_t *block) {
  uint16_t crc = 0;
  for (unsigned i = 0; i < 132; ++i)
    if (i != 115)
      crc = ComputeCrc16(i == 124 || i == 125 ? uint8_t(0) : block[i], 0x1021, crc);
  block[124] = uint8_t(crc);
  block[125] = uint8_t(crc >> 8);
}

} // namespace tsw::testing
