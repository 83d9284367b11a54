#include "compcore/cc_gen/target_modes.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_codegen.h"

#include <algorithm>

namespace tsw {

namespace {

constexpr uint16_t kPageMask = uint16_t(~(kExtPageSize - 1));
constexpr char kTargetCpuMacro[] = "TARGETCPU";
constexpr char kBiosCodeMacro[] = "BIOSCODE";
constexpr int kBiosCacheSet = 0;

TargetModeServices *&Installed() {
  static TargetModeServices *installed = nullptr;
  return installed;
}

TargetModeServices &Services() {
  static TargetModeServices neutral;
  return Installed() ? *Installed() : neutral;
}

class Z180MemoryConfiguration : public MemoryConfiguration {
public:
  // Data begins a page above the code when the data page is separate.
  ADDR24 DataAreaEnd() override {
    uint16_t end = DataPageBase(Caches().rootCode->Current().logical);
    if (TargetLayoutValues().compileTargetMode & kTargetModeSeparateDataPage)
      end = uint16_t(end + kExtPageSize);
    return MakeAddr24(0, end);
  }
  uint16_t DataPageBase(uint16_t address) override {
    const TargetLayout &layout = TargetLayoutValues();
    if (!(layout.compileTargetMode & kTargetModeSeparateDataPage))
      return address;
    return uint16_t(std::min(address, layout.rootCodeLimit) & kPageMask);
  }
  bool KeepsConstantsApart() override { return false; }
};

class CRVMemoryConfiguration : public MemoryConfiguration {
public:
  // The far end of the root-variable origin, whichever way it fills.
  ADDR24 DataAreaEnd() override {
    EmitCache *variables = Caches().rootVariable;
    if (!variables->AttachedOrigin())
      variables->WarnOnce();
    const OriginDirective &origin = *variables->GetOrigin();
    const int32_t size = int32_t(origin.size);
    return variables->Direction() > 0 ? Addr24Add(origin.start, size - 1) : Addr24Add(origin.start, 1 - size);
  }
  uint16_t DataPageBase(uint16_t address) override { return z180Rule_.DataPageBase(address); }
  bool KeepsConstantsApart() override {
    return CorvidConstantsApartFlag() && !(TargetLayoutValues().compileTargetMode & kTargetModeSeparateDataPage);
  }

private:
  // The page rule is the same on both processors.
  Z180MemoryConfiguration z180Rule_;
};

struct TargetModeState {
  Z180MemoryConfiguration z180;
  CRVMemoryConfiguration corvid;
  MemoryConfiguration *active = &z180;
  bool biosCode = false;
  bool programCode = true;
};

TargetModeState &State() {
  static TargetModeState state;
  return state;
}

} // namespace

void TargetModeServices::SelectAssemblerTables() { assembler::SelectAsmCpuTables(); }

void SetTargetModeServices(TargetModeServices *services) { Installed() = services; }

TargetLayout &TargetLayoutValues() {
  static TargetLayout layout;
  return layout;
}

MemoryConfiguration &ActiveMemoryConfiguration() { return *State().active; }

bool &CorvidConstantsApartFlag() {
  static bool flag = false;
  return flag;
}

bool CpuFromSelector(uint8_t selector, TargetCpu *cpu) {
  switch (selector) {
  case kSelectorCorvid: *cpu = TargetCpu::Corvid; return true;
  case kSelectorZ180: *cpu = TargetCpu::Z180; return true;
  default: return false;
  }
}

void SelectTargetCpu(TargetCpu cpu) {
  TargetModeState &s = State();
  const bool corvid = cpu == TargetCpu::Corvid;
  CodeGenSetup().cpu = cpu;
  if (corvid)
    DropImplicitOrigins();
  s.active = corvid ? static_cast<MemoryConfiguration *>(&s.corvid) : &s.z180;
  SetTargetCpuMacro(cpu);
  // The processor decides where constants go from its first datum on.
  if (Caches().currentCode)
    FollowConstantCache();
  // The assembler first: the disassembler and the stepper decode what it
  // accepts.
  TargetModeServices &services = Services();
  services.SelectAssemblerTables();
  services.SelectDisassemblerTables();
  services.SelectStepperTables();
}

TargetCpu CurrentCpu() { return CodeGenSetup().cpu; }

void SelectCodeCache(ADDR24 address) {
  CachePointers &c = Caches();
  EmitCache *chosen = Addr24InWindow(address) ? c.xmemCode : c.rootCode;
  if (chosen && chosen->AttachedOrigin()) {
    c.currentCode = chosen;
    chosen->SetEmitAddress(address);
  }
  FollowConstantCache();
}

void FollowConstantCache() {
  CachePointers &c = Caches();
  c.currentConstant = ActiveMemoryConfiguration().KeepsConstantsApart() ? c.constant : c.currentCode;
}

void BeginBiosCode() {
  TargetModeState &s = State();
  s.biosCode = true;
  Services().SwitchCodeCacheSet(kBiosCacheSet);
  DefineMacro(kBiosCodeMacro, "");
}

void EndBiosCode() {
  State().biosCode = false;
  UndefineMacro(kBiosCodeMacro);
}

// The program shares the BIOS's caches, so nothing moves.
void BeginProgramCode() { State().programCode = true; }

void EndProgramCode() { State().programCode = false; }

bool IsBiosCode() { return State().biosCode; }
bool IsProgramCode() { return State().programCode; }

void ResetTargetModes() {
  TargetModeState &s = State();
  CodeGenSetup().cpu = TargetCpu::Z180;
  s.active = &s.z180;
  s.biosCode = false;
  s.programCode = true;
  CorvidConstantsApartFlag() = false;
  TargetLayoutValues() = {};
}

} // namespace tsw
