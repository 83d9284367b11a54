#include "compcore/cc_gen/byte_sinks.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"

namespace tsw {

namespace {

constexpr uint16_t kMaxValueBytes = 4;
constexpr int kBitsPerByte = 8;
constexpr uint16_t kWordBytes = 2;
// A data address: its fixup names the address as data.
constexpr uint16_t kDataAddressFixup = 0x0800;

void Put(ByteSink sink, uint8_t byte) {
  switch (sink) {
  case ByteSink::kCode:
    EmitCodeByte(byte);
    return;
  case ByteSink::kInitializedData:
    InitializedDataEmitted() = true;
    [[fallthrough]];
  case ByteSink::kConstantData:
    Caches().currentConstant->EmitByte(byte);
    return;
  }
}

// The cache an address put into `sink` lies in, for its fixup.
EmitCache *SinkCache(ByteSink sink) {
  return sink == ByteSink::kCode ? Caches().currentCode : Caches().currentConstant;
}

} // namespace

bool &InitializedDataEmitted() {
  static bool emitted = false;
  return emitted;
}

void PutBytes(ByteSink sink, const uint8_t *bytes, uint16_t count) {
  for (uint16_t i = 0; i < count; ++i)
    Put(sink, bytes[i]);
}

void PutValue(ByteSink sink, uint32_t value, uint16_t count) {
  if (count > kMaxValueBytes) {
    CompileError<kMsgConstantTooWide>();
    count = kMaxValueBytes;
  }
  for (uint16_t i = 0; i < count; ++i)
    Put(sink, uint8_t(value >> (kBitsPerByte * i)));
}

void PutAddress(ByteSink sink, const ValueRecord &value) {
  AddressPatchedInCache patched(SinkCache(sink));
  PutValue(sink, VariableAddress(value, 0, 0).logical, kWordBytes);
}

void PutSizedAddress(ByteSink sink, const ValueRecord &value) {
  uint16_t size = 0;
  if (value.HasLevel() || value.type == kTypeVoid || value.type == kTypeInt || value.type == kTypeUnsigned)
    size = kWordBytes;
  else if (value.type == kTypeChar)
    size = 1;
  else if (value.type == kTypeLong || value.type == kTypeUnsignedLong)
    size = kMaxValueBytes;
  if (size == 0) {
    CompileError<kMsgUnsizedConstant>();
    return;
  }
  AddressPatchedInCache patched(SinkCache(sink));
  PutValue(sink, VariableAddress(value, 0, kDataAddressFixup).logical, size);
}

} // namespace tsw
