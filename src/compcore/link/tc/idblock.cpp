#include "compcore/link/tc/idblock.h"

#include <array>

#include "compcore/link/linktimeouts.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/tc/serial.h"

namespace tsw {

namespace {
constexpr uint32_t kTailSize = 16;
const ADDR24 kTailAddress = MakeAddr24(0xF1, 0xEFF0); // physical 0xFFFF0
constexpr uint32_t kTopOfMemory = 0x100000;
constexpr uint8_t kMarker[6] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};

ADDR24 BlockStart(uint32_t size) {
  uint32_t physical = kTopOfMemory - size;
  return MakeAddr24(uint8_t((physical >> 12) - 0x0E), uint16_t(0xE000 + (physical & 0xFFF)));
}
} // namespace

int16_t ReadIdBlockSerial() {
  if (!SerialQueriesAllowed())
    return kIdBlockUnreadable;
  std::array<uint8_t, kIdBlockSize> &block = CurrentTargetInfo.idBlock;
  int16_t result = kIdBlockGood;
  WithQueryRetries(CurrentLinkTimeouts.queryRetryPause, [&] {
    block.fill(0);
    ReadTargetMemorySerial(kTailSize, kTailAddress, block.data() + kIdBlockSizeAt);
    for (unsigned i = 0; i < sizeof kMarker; ++i)
      if (block[kIdMarkerAt + i] != kMarker[i]) {
        result = kIdBlockNoMarkers;
        return;
      }
    // A size past the block would read beyond it.
    uint32_t size = block[kIdBlockSizeAt];
    if (size == 0 || size > kIdBlockSize) {
      result = kIdBlockNoMarkers;
      return;
    }
    ReadTargetMemorySerial(size, BlockStart(size), block.data());
    result = IdBlockCrcMatches(block) ? kIdBlockGood : kIdBlockBadCrc;
  });
  return result;
}

} // namespace tsw
