#pragma once

#include <cstddef>
#include <cstdint>

namespace tsw {

// The polynomial every caller uses: CCITT, most significant bit first, no
// final XOR; the board's kernel checks images and packets with the same sum.
inline constexpr uint16_t kCrc16Ccitt = 0x1021;

// Folds one byte into a running CRC-16.
uint16_t ComputeCrc16(uint8_t byte, uint16_t polynomial, uint16_t crc);

// Folds a run of bytes, starting from `crc`.
uint16_t ComputeCrc16(const uint8_t *bytes, size_t count, uint16_t polynomial = kCrc16Ccitt, uint16_t crc = 0);

} // namespace tsw
