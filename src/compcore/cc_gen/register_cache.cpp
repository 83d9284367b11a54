#include "compcore/cc_gen/register_cache.h"

#include "compcore/cc_gen/operand_moves.h"

namespace tsw {

namespace {

RegisterCacheState &Cache() {
  static RegisterCacheState cache;
  return cache;
}

// The byte registers a register code covers.
uint16_t ByteMask(Reg reg) {
  switch (reg) {
  case Reg::BC:
    return 1u << RegIndex(Reg::B) | 1u << RegIndex(Reg::C);
  case Reg::DE:
    return 1u << RegIndex(Reg::D) | 1u << RegIndex(Reg::E);
  case Reg::HL:
    return 1u << RegIndex(Reg::H) | 1u << RegIndex(Reg::L);
  case Reg::B:
  case Reg::C:
  case Reg::D:
  case Reg::E:
  case Reg::H:
  case Reg::L:
  case Reg::A:
    return uint16_t(1u << RegIndex(reg));
  default:
    return 0;
  }
}

uint16_t ByteMask(const PrimaryRegister &registers) {
  uint16_t mask = 0;
  for (int16_t i = 0; i < registers.count; ++i)
    mask |= ByteMask(registers.entries[size_t(i)].pair);
  return mask;
}

} // namespace

PrimaryRegister RegistersOfOperand(const ValueRecord &value, bool asAddress) {
  PrimaryRegister registers;
  registers.charInHl = !value.IsByteResult();
  registers.SetForType(asAddress || value.HasLevel() || value.IsLvalue() ? uint8_t(kTypeVoid) : value.type, Reg::HL);
  return registers;
}

void CachePrimaryRegister(ValueRecord &value, bool asAddress) {
  if (value.storage != kStoragePrimary)
    return;
  FlushPrimaryRegister();
  Cache().cached = &value;
  Cache().asAddress = asAddress;
}

void FlushPrimaryRegister() {
  RegisterCacheState &cache = Cache();
  if (!cache.cached)
    return;
  ValueRecord &operand = *cache.cached;
  const bool asAddress = cache.asAddress;
  cache.lastFlushed = &operand;
  cache.cached = nullptr;
  OperandMove move(operand);
  LoadValueToRegister(move, Reg::Value, asAddress, false);
  PushOperand(operand);
}

void FlushPrimaryRegisterHolding(Reg pair) {
  if (Cache().cached && (ByteMask(RegistersOfOperand(*Cache().cached, Cache().asAddress)) & ByteMask(pair)))
    FlushPrimaryRegister();
}

void FlushPrimaryRegisterColliding(const PrimaryRegister &written) {
  if (Cache().cached && (ByteMask(RegistersOfOperand(*Cache().cached, Cache().asAddress)) & ByteMask(written)))
    FlushPrimaryRegister();
}

void ForgetPrimaryRegister(const ValueRecord &value) {
  if (Cache().cached == &value)
    Cache().cached = nullptr;
}

const ValueRecord *CachedOperand() { return Cache().cached; }
const ValueRecord *LastFlushedOperand() { return Cache().lastFlushed; }

RegisterCacheState SaveRegisterCache() { return Cache(); }
void RestoreRegisterCache(const RegisterCacheState &state) { Cache() = state; }

void ResetRegisterCache() { Cache() = {}; }

} // namespace tsw
