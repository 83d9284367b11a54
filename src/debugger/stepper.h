#pragma once

#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// Where execution can go after one instruction: its length (the fall-through
// address) and the other address it may continue at. Single steps plant a
// trap at each.
namespace tsw {

// Picks the tables of the current target processor (from the environment).
void SelectStepperTables();

// The length of the instruction at `code`, of which `available` bytes are
// readable; on the Corvid with `followPrefix` an altd/ioi/ioe prefix counts
// together with what it prefixes. Bytes past `available` read as 0.
uint16_t InstructionLength(const uint8_t *code, size_t available, bool followPrefix);

// The code at the program's PC goes in `code`; the frame, memory and the
// run-time routine addresses come from the instruction environment.
bool FindNextPc(const uint8_t *code, size_t available, ADDR24 *target);
bool FindBranchTarget(const uint8_t *code, size_t available, ADDR24 *target);
bool FindCallContinuation(const uint8_t *code, size_t available, ADDR24 *target);

bool IsAddressOfRoutine(uint16_t address, std::initializer_list<const char *> names);

// More case entries than this cannot be a real switch table: data shown as
// code, or a corrupted BC.
inline constexpr uint16_t kMaxSwitchCases = 2048;

void ResetStepperModule();

} // namespace tsw
