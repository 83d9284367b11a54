#pragma once

#include <cstdint>

// The board's identification block, read over the serial link into the
// target information the compiler's macros use.
namespace tsw {

enum : int16_t {
  kIdBlockGood = 0,
  kIdBlockNoMarkers = -1,
  kIdBlockBadCrc = -2,
  kIdBlockUnreadable = -3,
};

// 0 good, -1 markers missing (or a block size it cannot hold), -2 CRC
// wrong, -3 port closed or called from inside a pump.
int16_t ReadIdBlockSerial();

} // namespace tsw
