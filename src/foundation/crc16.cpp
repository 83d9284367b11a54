#include "foundation/crc16.h"

namespace tsw {

uint16_t ComputeCrc16(uint8_t byte, uint16_t polynomial, uint16_t crc) {
  uint16_t data = uint16_t(byte << 8);
  for (int bit = 0; bit < 8; ++bit) {
    if ((data ^ crc) & 0x8000)
      crc = uint16_t((crc << 1) ^ polynomial);
    else
      crc = uint16_t(crc << 1);
    data = uint16_t(data << 1);
  }
  return crc;
}

uint16_t ComputeCrc16(const uint8_t *bytes, size_t count, uint16_t polynomial, uint16_t crc) {
  for (size_t i = 0; i < count; ++i)
    crc = ComputeCrc16(bytes[i], polynomial, crc);
  return crc;
}

} // namespace tsw
