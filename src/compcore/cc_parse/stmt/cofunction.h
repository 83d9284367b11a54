#pragma once

#include "foundation/addr24.h"

#include <cstdint>

// Cofunctions: functions that run in steps, each instance with a frame and
// a task buffer of its own in static data. The function-body compiler
// calls these at its fixed places; the run-time routines of the target
// library ("cofprolog_", "cofepilog_" and their single-user twins) do the
// stepping, and the bytes here are the part of the protocol the compiler
// keeps.
namespace tsw {

struct SymbolRecord;

// The function being compiled: its instance count (0 for an ordinary
// function) and whether it serves one caller at a time.
uint8_t CofunctionInstances();
bool IsSingleUserCofunction();

// Copies the declaration's cofunction kind into the function's symbol, so
// that its calls and the waitfordone items know it.
void RecordCofunctionKind(SymbolRecord &symbol);

// The function's per-definition state back to none; at every function.
void BeginCofunctionDefinition();

// The everytime and abandon sections before a cofunction's body. False
// when neither stands at the cursor (nothing consumed).
bool CompileCofunctionSection();

// The instance area in static data and the descriptor in the code, ahead
// of the function's entry.
void EmitCofunctionDescriptor();
// The prolog at the function's entry.
void EmitCofunctionProlog();
// The end of the body, at its first return; later returns jump to it.
void CompileCofunctionEpilog();
// At the closing brace: the multitasking state as it was before the
// cofunction.
void EndCofunctionDefinition();

} // namespace tsw
