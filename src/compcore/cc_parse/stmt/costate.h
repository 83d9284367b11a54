#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <functional>
#include <span>

// The cooperative-multitasking statements: costate (funcblk), slice,
// waitfor, yield and abort. Each task keeps its state in a buffer of the
// library's FuncBlk type; the generated code stores where the task resumes
// into that buffer and leaves the task through the library's routines,
// which the start-up table lets "funcblk_init" prepare.
namespace tsw {

struct SymbolRecord;

// Bytes of a task buffer the generated code writes.
inline constexpr uint16_t kCoBufferResume = 1;     // 16-bit address, page, check byte
inline constexpr uint16_t kCoBufferWaitFlag = 5;   // set by waitfor
inline constexpr uint16_t kCoBufferResult = 10;    // a waitfordone's result
// A slice's buffer starts with bytes of its own before its task part.
inline constexpr uint16_t kSliceOwnBytes = 6;

// The statements at the cursor after their keyword.
uint16_t CompileCostateStatement();
uint16_t CompileSliceStatement();
uint16_t CompileWaitfor();
uint16_t CompileYield();
uint16_t CompileAbort();

// The current task buffer's address into HL; 636 outside every construct.
void LoadCostateBufferAddress();
// Constant bytes into the current task buffer at `offset`.
void StoreCoBufferBytes(uint16_t offset, std::span<const uint8_t> bytes);

// Emits the code that stores a resume point into the current buffer and
// then `leave` (what follows it, up to where the task resumes): the
// address stored is where `leave` ends. The store is emitted twice, the
// first time under a save point that is then taken back, so both start
// from the same code state. `construct` names the statement for 481 when
// no construct is open (nothing is emitted then). `withWaitFlag` also sets
// the buffer's waitfor byte.
bool EmitResumePoint(const char *construct, bool withWaitFlag, const std::function<void()> &leave);
// The jump that leaves the task for the time being (after a resume point):
// xor a and a jump to the cofunction's end in a cofunction body outside
// every costate, else a jump past the innermost costate.
void EmitLeaveTask();

// Open constructs: in a slice, the library's slice routines do the
// leaving; in a cofunction body, the table takes no entries.
bool InSliceBody();
bool InCofunctionBody();

// The library's FuncBlk typedef every task buffer is of; null when the
// program has none.
const SymbolRecord *TaskBufferTypedef();

// The start-up table's call and data, inside _GLOBAL_INIT: nothing when
// this compile made no entries.
void EmitCostateInitTable();

// Installs the buffer loader the call compiler uses.
void InstallCostateStatements();

} // namespace tsw
