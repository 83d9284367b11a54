#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <string>
#include <string_view>

// Calls and jumps to the target library's run-time routines by name. A
// routine is found among the BIOS's symbols first, then as a label of this
// compile under its label name (every '.' becomes '_', which assembly
// labels can hold); a routine not placed yet gets a placeholder and a fixup.
namespace tsw {

// Longest routine name the code generator passes.
inline constexpr size_t kRoutineNameLimit = 35;

// The label a routine of that name is defined under.
std::string RoutineLabelName(std::string_view name);

// The routine's address; a null address with a fixup recorded (unless
// `fixupFlags` asks only to look) while it is not yet placed. `opcode` is the
// instruction whose operand the fixup patches (0: a plain address word).
ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t fixupFlags, uint8_t opcode);
// The routine's address when it is already known, for the single-stepper;
// null otherwise, and nothing is recorded.
ADDR24 FindRuntimeRoutine(std::string_view name);
// Flushes the cached operand first (the routine may use every register);
// answers where the call's operand stands (packed).
uint32_t EmitCallNamedRoutine(std::string_view name);
void EmitJumpNamedRoutine(std::string_view name);

} // namespace tsw
