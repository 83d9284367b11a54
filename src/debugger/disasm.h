#pragma once

#include "compcore/cc_gen/codegen_hooks.h"
#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Turns one machine instruction of the selected processor into its text: a
// mnemonic in six columns and its operands, with code addresses shown by
// name where one is known.
namespace tsw {

// Picks the tables of the current target processor (from the environment).
void SelectDisassemblerTables();

// Decodes the instruction at `code` (of which `available` bytes are
// readable) standing at `address`. Gives the simple-instruction flag: 1 when
// the instruction leaves hl and memory as they were, so code that tracks
// what hl holds may keep tracking. An instruction that does not fit in the
// readable bytes gives "???" of length 1.
uint8_t DisassembleOne(ADDR24 address, const uint8_t *code, size_t available, uint16_t *length, std::string *text);

// The compiler's view of one instruction it has just emitted, read with the
// tables of the processor selected now.
DecodedInstruction DecodeEmittedInstruction(ADDR24 address, const uint8_t *code, size_t available);

// The name of the BIOS or program symbol at `address`, or null.
const char *FindSymbolForAddress(ADDR24 address);

void ResetDisassemblerModule();

} // namespace tsw
