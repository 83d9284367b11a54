#pragma once

#include <cstdint>

#include "foundation/addr24.h"

// Target memory as every other part of the system reads and writes it:
// each transfer goes to the serial link, the TCP/IP link or the BIOS image
// buffer that stands for the low memory, by the link in use, the compile
// under way and the address.
namespace tsw {

inline constexpr uint32_t kDefaultSectorPiece = 128;
inline constexpr uint32_t kPageSize = 256;

void ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer);
void WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *data);
// The whole count as one transfer: one serial frame or one TCP/IP request
// (pieces of at most 255 bytes).
void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *data);

// Serial write bookkeeping around a download; the frames wait for their
// acknowledgements, so nothing is left to free or drain.
void FreeWriteQueue();
void DrainSerialAcks();

// The flash sector size the serial writes are cut to (0 until known).
uint32_t CachedSectorSize();
void ResetTargetMemoryModule();

} // namespace tsw
