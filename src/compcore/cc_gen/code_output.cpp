#include "compcore/cc_gen/code_output.h"

#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_in/cc_in.h"

namespace tsw {

namespace {

constexpr uint8_t kNop = 0x00;

bool WindowHolds(const EmitCache *cache, ADDR24 address) {
  if (!cache || !cache->AttachedOrigin())
    return false;
  const OriginDirective &o = *cache->AttachedOrigin();
  uint32_t start = Addr24ToPhysical(o.start);
  uint32_t at = Addr24ToPhysical(address);
  return at >= start && at < start + o.size;
}

EmitCache *CacheForPatch(ADDR24 address) {
  CachePointers &c = Caches();
  // Initialized data kept apart from the code holds patched addresses too,
  // while its cache still buffers them.
  if (const int32_t at = c.constant ? c.constant->OffsetOf(address) : -3; at >= 0 && at < c.constant->Count())
    return c.constant;
  if (!Addr24InWindow(address))
    return WatchFunctionFlag() ? c.watchCode : c.rootCode;
  EmitCache *cache = c.xmemCode;
  if (WindowHolds(c.nodebugXmem, address))
    cache = c.nodebugXmem;
  if (WindowHolds(c.debugXmem, address))
    cache = c.debugXmem;
  return cache;
}

} // namespace

bool &WatchFunctionFlag() {
  static bool flag = false;
  return flag;
}

void EmitCodeByte(uint8_t byte) {
  EmitCache *code = Caches().currentCode;
  if (Collaborators().NeedsNopBefore(byte))
    code->EmitByte(kNop);
  code->EmitByte(byte);
}

void EmitWord(uint16_t word) {
  EmitCodeByte(uint8_t(word));
  EmitCodeByte(uint8_t(word >> 8));
}

void PatchCodeBytes(ADDR24 address, uint32_t value, int width) {
  EmitCache *cache = CacheForPatch(address);
  if (!cache)
    return;
  for (int i = 0; i < width; ++i)
    cache->StoreAt(Addr24Add(address, i), uint8_t(value >> (8 * i)));
}

void PatchCodeByte(ADDR24 address, uint8_t value) { PatchCodeBytes(address, value, 1); }
void PatchCodeWord(ADDR24 address, uint16_t value) { PatchCodeBytes(address, value, 2); }

ADDR24 ReserveRootVariableBytes(uint16_t n) {
  EmitCache *variables = Caches().rootVariable;
  const int64_t after = int64_t(Addr24ToPhysical(variables->Current())) - n;
  if (after < int64_t(Collaborators().RootDataLowerLimit())) {
    CompileError<kMsgRootDataFull>();
    return {};
  }
  for (uint16_t i = 0; i < n; ++i)
    variables->EmitByte(0);
  return Addr24Add(variables->Current(), 1);
}

void ReportMessage2128() { CompileError<kMsgIncludeRefused>(); }

} // namespace tsw
