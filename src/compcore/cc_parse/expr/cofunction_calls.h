#pragma once

#include "compcore/cc_gen/far_jumps.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <optional>

// What a call of a cofunction shares with the multitasking statements: they
// own the task buffers, the costates and the waitfordone being compiled and
// keep this state; the call compiler reads it and records what the
// waitfordone needs of the calls in its items.
namespace tsw {

struct CofunctionCallContext {
  // A costate, slice or cofunction body is open: its buffer can be loaded.
  bool costateOpen = false;
  // Where the waitfordone being compiled loops back to; null outside one,
  // where no cofunction may be called.
  ADDR24 waitfordoneLoop;
  // The item being compiled, counted from 1 in its waitfordone.
  uint16_t itemNumber = 0;
  // For the waitfordone's header: the lock byte of a single-user cofunction
  // called in its items, and how many such calls there were.
  uint32_t lockAddress = 0;
  uint16_t lockCalls = 0;
  // The last call: a cofunction's, and one whose lock jump the item
  // compiler resolves after the item.
  bool cofunctionCalled = false;
  std::optional<JumpRecord> pendingLockJump;
};
CofunctionCallContext &CofunctionCalls();

// Loads the current task buffer's address into HL. Where the buffer lies is
// the multitasking statements' to say; they install the loader.
using CoBufferLoader = void (*)();
void SetCoBufferLoader(CoBufferLoader loader);
void LoadCoBufferAddress();

// An indexed cofunction call's index code is compiled before the call, as
// its own piece: the call jumps to it at "$cofif_%04x_1" and it comes back
// to "$cofif_%04x_2" with the index in L. The postfix level takes a new
// number for each index it compiles (never reused); the call then reads
// the newest.
uint16_t NextIndexedCallNumber();
uint16_t CurrentIndexedCallNumber();

struct ValueRecord;
// The index of a cofunction with instances, right after its name: with
// "[" the index code is laid out of line, jumped over here and reached by
// the call; without it only a single-instance one may be called (2018).
void CompileCofunctionIndex(const ValueRecord &callee);

} // namespace tsw
