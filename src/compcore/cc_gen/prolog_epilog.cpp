#include "compcore/cc_gen/prolog_epilog.h"

#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"

#include <string_view>

namespace tsw {

namespace {

constexpr uint8_t kLdHlWordT[] = {TemplateHeader(1, OperandKind::kWord), 0x21};
constexpr uint8_t kLdDeWordT[] = {TemplateHeader(1, OperandKind::kWord), 0x11};
constexpr uint8_t kLdBcWordT[] = {TemplateHeader(1, OperandKind::kWord), 0x01};
constexpr uint8_t kLdDeDirectT[] = {TemplateHeader(2, OperandKind::kWord), 0xED, 0x5B};
constexpr uint8_t kStoreDeDirectT[] = {TemplateHeader(2, OperandKind::kWord), 0xED, 0x53};
constexpr uint8_t kLdADirectT[] = {TemplateHeader(1, OperandKind::kWord), 0x3A};
constexpr uint8_t kStoreADirectT[] = {TemplateHeader(1, OperandKind::kWord), 0x32};
constexpr uint8_t kPushAfIndex = 3;

// Above this many bytes the register area moves by one block copy and is
// part of the frame the locals take.
constexpr uint16_t kRegisterAreaByVariables = 6;
constexpr uint16_t kWord = 2;
constexpr uint16_t kRoutineFixupFlags = 0x0100;

struct FrameRoutine {
  uint8_t code;
  const char *entry;
  const char *exit;
};
constexpr FrameRoutine kFrameRoutines[] = {
    {0x10, "sspixffn_", "rspixffn_"}, {0x40, "sspixffn_", "rspixffn_"}, {0x50, "sspixffn_", "rspixffn_"},
    {0x11, "sspixff_", "rspixff_"},   {0x41, "sspixff_", "rspixff_"},   {0x51, "sspixff_", "rspixff_"},
    {0x16, "sspixfn_", "rspixfn_"},   {0x46, "sspixfn_", "rspixfn_"},   {0x56, "sspixfn_", "rspixfn_"},
    {0x17, "sspixf_", "rspixf_"},     {0x47, "sspixf_", "rspixf_"},     {0x57, "sspixf_", "rspixf_"},
    {0x19, "sspixrffw_", "rspixrff_"}, {0x49, "sspixrff_", "rspixrff_"}, {0x59, "sspixrff_", "rspixrff_"},
    {0x1F, "sspixrf_", "rspixrf_"},   {0x4F, "sspixrf_", "rspixrf_"},   {0x5F, "sspixrf_", "rspixrf_"},
};

// Where an interrupt function's final ret lands: the routine restores the
// registers and returns from the interrupt in the function's way.
constexpr const char *kInterruptExits[] = {"intr2", "intr1", "intr2", "intr3"};
constexpr char kInterruptEntry[] = "entint.";

struct FrameState {
  uint16_t locals = 0;
  uint16_t registers = 0;
  uint8_t code = 0;
  bool deferredSave = false;
  bool epilogExx = false;
};

FrameState &Frame() {
  static FrameState state;
  return state;
}

RegisterArea &Area() {
  static RegisterArea area;
  return area;
}

uint32_t Attrs() { return Attributes().current; }
bool HasHooks() { return Attrs() & kAttrStep; }
bool HasAttribute2() { return Attrs() & kAttrStackCheck; }
bool UsesFramePointer() { return Attrs() & kAttrUseIx; }
uint32_t InterruptKindOf() { return (Attrs() & kAttrInterruptMask) >> kAttrInterruptShift; }

uint16_t FrameSize() {
  const FrameState &f = Frame();
  if ((f.code & kFrameSavesRegisters) || f.registers > kRegisterAreaByVariables)
    return uint16_t(f.locals + f.registers);
  return f.locals;
}

const FrameRoutine *RoutineFor(uint8_t code) {
  for (const FrameRoutine &routine : kFrameRoutines)
    if (routine.code == code)
      return &routine;
  return nullptr;
}

void EmitWordTemplate(Template t, uint16_t word) {
  EmitCodeSequence(t);
  EmitWord(word);
}

uint16_t AreaStart() { return uint16_t(Area().end - Frame().registers); }

// The frame routine takes the frame size in HL and, when it also moves the
// register area, the area in DE and its size in BC.
void LoadFrameRoutineArguments(uint16_t hl) {
  EmitWordTemplate(kLdHlWordT, hl);
  if (Frame().code & kFrameSavesRegisters) {
    EmitWordTemplate(kLdDeWordT, AreaStart());
    EmitWordTemplate(kLdBcWordT, Frame().registers);
  }
}

// A small area is pushed word by word through DE, which leaves HL (the
// first argument, or the value returned) alone; an odd last byte goes
// through A.
void SaveOrRestoreByVariables(bool restore) {
  const uint16_t start = AreaStart();
  const uint16_t size = Frame().registers;
  const uint16_t words = size / kWord;
  const bool oddByte = size % kWord != 0;
  if (!restore) {
    for (uint16_t i = 0; i < words; ++i) {
      EmitWordTemplate(kLdDeDirectT, uint16_t(start + i * kWord));
      EmitPushPair(Reg::DE);
    }
    if (oddByte) {
      EmitWordTemplate(kLdADirectT, uint16_t(start + words * kWord));
      EmitPushByIndex(kPushAfIndex);
    }
    return;
  }
  if (oddByte) {
    EmitPopByIndex(kPushAfIndex);
    EmitWordTemplate(kStoreADirectT, uint16_t(start + words * kWord));
  }
  for (uint16_t i = words; i-- > 0;) {
    EmitPopPair(Reg::DE);
    EmitWordTemplate(kStoreDeDirectT, uint16_t(start + i * kWord));
  }
}

// A large area is copied between the bottom of the frame and its static
// place. The copy runs in the other register set whenever HL holds what
// must survive: the first argument on entry, the value on an exit that has
// not switched sets already (an IX frame's).
void SaveOrRestoreByBlock(bool restore) {
  const bool keepHl = !restore || !Frame().epilogExx;
  if (keepHl)
    EmitFixed(Fixed::kExx);
  EmitFixed(Fixed::kSpAddress);
  if (!restore) {
    EmitFixed(Fixed::kExDeHl);
    EmitWordTemplate(kLdHlWordT, AreaStart());
  } else {
    EmitWordTemplate(kLdDeWordT, AreaStart());
  }
  EmitWordTemplate(kLdBcWordT, Frame().registers);
  EmitBlockCopy(ValueRecord{}, Frame().registers);
  if (keepHl)
    EmitFixed(Fixed::kExx);
}

void SaveOrRestoreRegisterVariables(bool restore) {
  if (!Area().present || Frame().registers == 0)
    return;
  if (Frame().registers > kRegisterAreaByVariables)
    SaveOrRestoreByBlock(restore);
  else
    SaveOrRestoreByVariables(restore);
}

void EmitInterruptEntry() {
  uint32_t kind = InterruptKindOf();
  if (kind >= std::size(kInterruptExits) || (kind == uint32_t(InterruptKind::kRetn) && CurrentCpu() != TargetCpu::Z180))
    kind = uint32_t(InterruptKind::kRet);
  // The words pushed here lie above the frame, as the return address does:
  // counted as stack depth they would move every local of the body.
  const int16_t depth = Emission().stackOffset;
  EmitFixed(Fixed::kPushAf);
  EmitPushPair(Reg::HL);
  Upcalls().EmitCallNamedRoutine(kInterruptEntry);
  // Looked up before its opcode is emitted: a reference to an exit not yet
  // placed patches the operand that follows the opcode.
  const ADDR24 exit = Upcalls().LookupRoutineSymbol(kInterruptExits[kind], kRoutineFixupFlags, 0);
  EmitCodeSequence(kLdHlWordT);
  EmitWord(exit.logical);
  EmitPushPair(Reg::HL);
  Emission().stackOffset = depth;
}

} // namespace

RegisterArea &StaticRegisterArea() { return Area(); }
uint8_t FrameRoutineCode() { return Frame().code; }

FunctionProlog::FunctionProlog(uint16_t localsSize, uint16_t registerAreaSize) {
  FrameState &f = Frame();
  f = {};
  f.locals = localsSize;
  f.registers = registerAreaSize;
  if ((Attrs() & kAttrSize) && (HasHooks() || UsesFramePointer() || FrameSize() != 0))
    f.code |= kFrameForSize;
  if (HasHooks())
    f.code |= kFrameHooks;
  if (HasAttribute2())
    f.code |= kFrameAttribute2;
  if (InterruptKindOf() != 0)
    EmitInterruptEntry();

  // The frame: by the routine, or here.
  if (UsesFramePointer()) {
    if (f.code)
      f.code |= kFrameByRoutine;
    else
      EmitFramePointerSetup(FrameSize());
  } else if (localsSize + registerAreaSize != 0 && !f.code) {
    EmitAdjustStackPointer(int16_t(-int(FrameSize())), true);
  }
  if (registerAreaSize != 0) {
    if (f.code & kFrameByRoutine)
      f.code |= kFrameSavesRegisters;
    else if (f.code)
      f.deferredSave = true;
    else
      SaveOrRestoreRegisterVariables(false);
  }
}

FunctionProlog::~FunctionProlog() noexcept(false) {
  FrameState &f = Frame();
  if (!f.code)
    return;
  const FrameRoutine *routine = RoutineFor(f.code);
  if (!routine) {
    CompileError<kMsgBadEntryFrameRoutine>();
    return;
  }
  EmitFixed(Fixed::kExx);
  LoadFrameRoutineArguments(uint16_t(-int(FrameSize())));
  Upcalls().EmitCallNamedRoutine(routine->entry);
  if (f.deferredSave)
    SaveOrRestoreRegisterVariables(false);
}

FunctionEpilog::FunctionEpilog(bool hasValue) {
  FrameState &f = Frame();
  if (f.code)
    f.epilogExx = true;
  else if (UsesFramePointer())
    f.epilogExx = false;
  else
    f.epilogExx = hasValue && FrameSize() != 0;
  if (f.epilogExx)
    EmitFixed(Fixed::kExx);
  if (f.code)
    return;
  // Without a frame routine the exit undoes the entry here.
  if (f.registers != 0)
    SaveOrRestoreRegisterVariables(true);
  if (UsesFramePointer())
    EmitFramePointerRelease();
  else if (f.locals + f.registers != 0)
    EmitAdjustStackPointer(int16_t(FrameSize()), false);
}

FunctionEpilog::~FunctionEpilog() noexcept(false) {
  FrameState &f = Frame();
  if (!f.code) {
    if (f.epilogExx)
      EmitFixed(Fixed::kExx);
    EmitReturn(false);
    return;
  }
  const FrameRoutine *routine = RoutineFor(f.code);
  if (!routine) {
    CompileError<kMsgBadExitFrameRoutine>();
    return;
  }
  if (f.deferredSave)
    SaveOrRestoreRegisterVariables(true);
  LoadFrameRoutineArguments(FrameSize());
  // The Z180 routine returns for the function, unless the function's
  // attribute 0x02 wants control back after it.
  if (CurrentCpu() == TargetCpu::Z180 && !HasAttribute2()) {
    Upcalls().EmitJumpNamedRoutine(routine->exit);
    return;
  }
  Upcalls().EmitCallNamedRoutine(routine->exit);
  EmitReturn(false);
}

void ResetPrologEpilog() {
  Frame() = {};
  Area() = {};
}

} // namespace tsw
