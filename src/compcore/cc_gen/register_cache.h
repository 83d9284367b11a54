#pragma once

#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/value_record.h"

// The primary-register cache: a value left in the registers whose push is
// deferred until its registers are needed, so an operand that is used at
// once is never pushed and popped. The cache holds the caller's record,
// which the deferred push updates.
namespace tsw {

// Only a value in registers is cached; an operand cached before is pushed.
// With `asAddress` the registers hold its address.
void CachePrimaryRegister(ValueRecord &value, bool asAddress);
// The cached operand, when there is one, is pushed.
void FlushPrimaryRegister();
// The same, only when its registers hold `pair` (or its byte registers).
void FlushPrimaryRegisterHolding(Reg pair);
// Pushes the cached operand when its registers overlap `written`.
void FlushPrimaryRegisterColliding(const PrimaryRegister &written);
// Forgets the value without pushing it (it was used in place).
void ForgetPrimaryRegister(const ValueRecord &value);

const ValueRecord *CachedOperand();
const ValueRecord *LastFlushedOperand();
// The registers a value in registers occupies.
PrimaryRegister RegistersOfOperand(const ValueRecord &value, bool asAddress);

// What the cache holds, for the statement snapshot.
struct RegisterCacheState {
  ValueRecord *cached = nullptr;
  bool asAddress = false;
  const ValueRecord *lastFlushed = nullptr;
};
RegisterCacheState SaveRegisterCache();
void RestoreRegisterCache(const RegisterCacheState &state);

void ResetRegisterCache();

} // namespace tsw
