#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"

#include <cstdint>

// The byte every instruction emitter ends in, the patches that rewrite code
// already emitted, and the root variable storage.
namespace tsw {

void EmitCodeByte(uint8_t byte);
// Low byte first.
void EmitWord(uint16_t word);
// The value's bytes, low byte first, into the cache whose window holds the
// address (or straight to the writer when it is already written out).
void PatchCodeBytes(ADDR24 address, uint32_t value, int width);
void PatchCodeByte(ADDR24 address, uint8_t value);
void PatchCodeWord(ADDR24 address, uint16_t value);
// Reserves n zero bytes of root variables (which grow downward) and gives
// the block's lowest address; 522 and the null address when root data
// would pass its lower limit.
ADDR24 ReserveRootVariableBytes(uint16_t n);
void ReportMessage2128();

// Set while the watch expression's function is compiled: root patches then
// go to the watch code.
bool &WatchFunctionFlag();

} // namespace tsw
