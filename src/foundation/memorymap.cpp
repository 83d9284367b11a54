#include "foundation/memorymap.h"

namespace tsw {
namespace {

constexpr uint16_t kPageMask = 0xFF00;
constexpr uint16_t kPageSize = 0x100;

MemoryMapEnvironment gNeutralEnvironment;
MemoryMapEnvironment *gEnvironment = &gNeutralEnvironment;
MemoryMapValues gMap;

uint16_t RoundUpOrigin(uint16_t origin) {
  uint16_t above = uint16_t(origin + kPageSize);
  return uint16_t((above + kPageSize - 1) & kPageMask);
}

} // namespace

void SetMemoryMapEnvironment(MemoryMapEnvironment *environment) {
  gEnvironment = environment ? environment : &gNeutralEnvironment;
}

MemoryMapValues &MemoryMap() { return gMap; }

void InitMemoryMapDefaults(uint16_t origin) {
  gMap.RootCodeOrigin = origin ? RoundUpOrigin(origin) : gEnvironment->SavedCodeOrigin();
  gMap.StartupCodeSize = gEnvironment->MeasureStartupCode();
  gMap.InternalVectorTableSize = kInternalVectorTableSize;
  gMap.ExternalVectorTableSize = kExternalVectorTableSize;
  gEnvironment->SetConfigValue("logx", kDefaultLogx);
  gEnvironment->SetConfigValue("logr", kDefaultLogr);
  SegmentBase = kDefaultLogx;
}

void ComputeMemoryMap(uint16_t stackTop) {
  MemoryMapValues &m = gMap;
  bool corvid = gEnvironment->IsCorvidTarget();
  if (corvid) {
    m.scod_base = m.RootCodeOrigin;
  } else {
    m.ivec_base = m.RootCodeOrigin;
    m.ivec_top = uint16_t(m.ivec_base + m.InternalVectorTableSize - 1);
    m.scod_base = Addr24Logical(Addr24Add(m.ScodAnchor, 1));
  }
  m.scod_top = uint16_t(m.scod_base + m.StartupCodeSize - 1);
  m.CodeFreeStart = uint16_t(m.scod_top + 1);
  m.PreStartupTop = uint16_t(m.scod_base - 1);

  if (stackTop != 0) {
    m.UserStackTop = uint16_t(stackTop - 1);
    m.DataTop = m.UserStackTop;
  } else {
    if (corvid)
      m.DataTopDefault = gEnvironment->ActiveDataTop();
    m.DataTop = m.DataTopDefault;
  }
  m.DataTopCopy = m.DataTop;

  m.FreeAreaStart = uint16_t(m.DataTop - gEnvironment->ConfigValue("free") + 1);
  m.AstkTop = uint16_t(m.FreeAreaStart - 1);
  m.AstkStart = uint16_t(m.AstkTop - gEnvironment->ConfigValue("astk") + 1);
  m.HeapTop = uint16_t((m.AstkStart & kPageMask) - 1);
  m.HeapStart = uint16_t(m.HeapTop - gEnvironment->ConfigValue("heap") + 1);
  m.RootDataLimit = uint16_t(m.HeapStart - 1);
}

ADDR24 MakeDataAddr24(uint16_t logical) {
  gEnvironment->ClearBiosSymbolMarks();
  uint8_t stackSegment =
      uint8_t(gEnvironment->LookupBiosSymbol("IOP_STACKSEGVAL", kBiosSymbolDefault));
  uint16_t dataOrigin = uint16_t(gEnvironment->LookupBiosSymbol("IOP_DATAORG", kBiosSymbolDefault));
  uint8_t dataSegment =
      uint8_t(gEnvironment->LookupBiosSymbol("IOP_DATASEGVAL", kBiosSymbolDefault));
  uint16_t stackOrigin =
      uint16_t(gEnvironment->LookupBiosSymbol("IOP_STACKORG", kBiosSymbolDefault));
  if (stackOrigin != 0 && stackOrigin <= logical)
    return MakeAddr24(stackSegment, logical);
  if (dataOrigin != 0 && dataOrigin <= logical)
    return MakeAddr24(dataSegment, logical);
  return MakeAddr24(0, logical);
}

void ResetMemoryMapModule() {
  gMap = MemoryMapValues{};
  gEnvironment = &gNeutralEnvironment;
  ExtWindowStart = kDefaultExtWindowStart;
  SegmentBase = kDefaultSegmentBase;
}

} // namespace tsw
