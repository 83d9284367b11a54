#pragma once

#include "foundation/addr24.h"

#include <cstdint>

// A sparse copy of the 1 MiB physical space holding every byte this
// session's compiles emitted, so that read-backs never depend on the board
// (which may be absent or still have writes queued).
namespace tsw {

void ShadowWrite(uint32_t physical, const uint8_t *bytes, uint32_t count);
// False when the byte was never emitted.
bool ShadowRead(uint32_t physical, uint8_t &byte);

// Reads emitted bytes from the shadow and only the others from the board;
// false when some byte was neither emitted nor readable from a board.
bool ReadEmittedBytes(ADDR24 address, uint32_t count, uint8_t *out);
// The same over a physical range.
bool ReadEmittedPhysical(uint32_t physical, uint32_t count, uint8_t *out);

// A BIOS compile starts from an empty shadow; a program compile from what
// the last BIOS compile left.
void ResetShadowForCompile(bool biosCompile);
void ResetShadowModule();
// Takes part in the statement snapshot; called once with every reset of
// the compiler.
void RegisterShadowCodeState();

} // namespace tsw
