#include "compcore/link/biosimage.h"

#include <algorithm>
#include <cstring>

namespace tsw {

BiosImage BiosImageBuffer;

namespace {
uint32_t PartInside(uint32_t offset, uint32_t count) {
  if (offset >= BiosImage::kSize)
    return 0;
  return std::min(count, BiosImage::kSize - offset);
}
} // namespace

uint32_t BiosImage::Write(uint32_t offset, uint32_t count, const uint8_t *data) {
  uint32_t n = PartInside(offset, count);
  if (n == 0)
    return 0;
  std::memcpy(bytes.data() + offset, data, n);
  highWater = std::max(highWater, offset + n);
  return n;
}

uint32_t BiosImage::Read(uint32_t offset, uint32_t count, uint8_t *out) const {
  uint32_t n = PartInside(offset, count);
  if (n)
    std::memcpy(out, bytes.data() + offset, n);
  return n;
}

} // namespace tsw
