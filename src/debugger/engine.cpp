#include "debugger/enginestate.h"

#include "debugger/disasm.h"
#include "debugger/registerframe.h"
#include "debugger/stepper.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "foundation/xerr.h"
#include "platform/ticks.h"

namespace tsw {
namespace {

constexpr const char *kModule = "compcore\\tc";
// How long a wait sleeps between two looks at the clock.
constexpr uint32_t kWaitSliceMs = 10;

struct Seams {
  DebugLink *link = nullptr;
  DebugProducts *products = nullptr;
  DebugUi *ui = nullptr;
};
Seams gSeams;
EngineState gEngine;

template <class T> T &Required(T *seam) {
  if (!seam)
    throw xInternal(kModule, __LINE__);
  return *seam;
}

// The step analysis and the decoder look at the board and the compile
// through the engine.
class EngineInsnEnvironment : public InsnEnvironment {
public:
  TargetCpu Cpu() override { return Products().Cpu(); }
  const TargetRegisterFrame &Frame() override { return gEngine.frame; }
  // A failed transfer passes on as its exception: a step must not go on
  // after the link failed.
  bool ReadTargetMemory(ADDR24 address, uint8_t *out, uint16_t count) override {
    Link().ReadTargetMemory(count, address, out);
    return true;
  }
  std::optional<uint16_t> FindRuntimeRoutine(const char *name) override { return Products().FindRuntimeRoutine(name); }
  const char *FindBiosSymbolByValue(ADDR24 address) override { return Products().FindBiosSymbolByValue(address); }
  ADDR24 LookupXmem(ADDR24 address) override { return Products().LookupXmem(address); }
  void ForEachSymbol(const std::function<bool(const SymbolView &)> &visit) override { Products().ForEachSymbol(visit); }
};
EngineInsnEnvironment gEnvironment;

} // namespace

EngineState &Engine() { return gEngine; }
DebugLink &Link() { return Required(gSeams.link); }
DebugProducts &Products() { return Required(gSeams.products); }
DebugUi &Ui() { return Required(gSeams.ui); }

void SetDebugSeams(DebugLink *link, DebugProducts *products, DebugUi *ui) {
  gSeams = {link, products, ui};
  SetInsnEnvironment(link && products ? &gEnvironment : nullptr);
  if (products) {
    SelectStepperTables();
    SelectDisassemblerTables();
  }
}

void ResetDebugEngine() { gEngine = EngineState{}; }

TargetRegisterFrame &ProgramFrame() { return gEngine.frame; }
uint8_t EngineRunState() { return gEngine.runState; }
const ExecutionMarker &ExecutionMarkerInUse() { return gEngine.marker; }
const KernelVariables &KernelVariablesInUse() { return gEngine.vars; }

uint8_t ReadKernelByte(uint16_t logical) {
  uint8_t value = 0;
  Link().ReadTargetMemory(1, MakeDataAddr24(logical), &value);
  return value;
}

uint16_t ReadKernelWord(uint16_t logical) {
  uint8_t bytes[2] = {};
  Link().ReadTargetMemory(2, MakeDataAddr24(logical), bytes);
  return uint16_t(bytes[0] | bytes[1] << 8);
}

void WriteKernelByte(uint16_t logical, uint8_t value) { Link().WriteTargetMemory(1, MakeDataAddr24(logical), &value); }

void WriteKernelWord(uint16_t logical, uint16_t value) {
  const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
  Link().WriteTargetMemory(2, MakeDataAddr24(logical), bytes);
}

void WaitMilliseconds(uint32_t ms) {
  MsTimer timer(ms);
  timer.Start();
  while (!timer.Expired()) {
    Ui().Pump();
    plat::Sleep(kWaitSliceMs);
  }
}

void RestoreKeptBytes(std::vector<KeptByte> &kept) {
  while (!kept.empty()) {
    KeptByte last = kept.back();
    Link().WriteTargetMemory(1, last.address, &last.byte);
    kept.pop_back();
  }
}

} // namespace tsw
