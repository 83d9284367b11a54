#include "compcore/cc_gen/routine_calls.h"

#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"

#include <string>

namespace tsw {

namespace {

// A call or jump whose operand the fixup patches when the label is placed:
// it captures the opcode so the instruction can be emitted again then.
constexpr uint16_t kNamedInstructionFlags = kFixCaptureOpcode;

// Every named reference is the operand of a one-byte opcode (or, for a
// plain lookup, patches nothing).
constexpr int32_t kOperandAfterOpcode = 1;

} // namespace

std::string RoutineLabelName(std::string_view name) {
  std::string label(name.substr(0, kRoutineNameLimit));
  for (char &c : label)
    if (c == '.')
      c = '_';
  return label;
}

ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t fixupFlags, uint8_t opcode) {
  if (const ADDR24 bios = LookupBiosSymbol(name, ADDR24{}); Addr24ToLong(bios) != 0)
    return bios;
  const std::string label = RoutineLabelName(name);
  if (const SymbolRecord *symbol = LookupSymbol(label, false, SymbolTableId::kGlobal)) {
    const ADDR24 address = Addr24FromLong(symbol->address);
    if (address.logical != 0)
      return address;
  }
  const ADDR24 patch = Addr24Add(Caches().currentCode->Current(), kOperandAfterOpcode);
  return Addr24FromLong(ReferenceLabel(label, Addr24ToLong(patch), uint16_t(fixupFlags | kFixGlobal), 0, opcode));
}

ADDR24 FindRuntimeRoutine(std::string_view name) { return LookupRoutineSymbol(name, kFixLookupOnly, 0); }

uint32_t EmitCallNamedRoutine(std::string_view name) {
  // The function of that name, when the program defines one, tells the
  // call emitter whether it needs a bouncer.
  const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  Upcalls().FlushPrimaryRegister();
  const ADDR24 address = LookupRoutineSymbol(name, kNamedInstructionFlags, kOpCall);
  return Addr24ToLong(EmitCallToAddr24(address, kOpCall, symbol));
}

void EmitJumpNamedRoutine(std::string_view name) {
  const ADDR24 address = LookupRoutineSymbol(name, kNamedInstructionFlags, 0);
  EmitJumpToAddr24(address, kOpJump);
}

} // namespace tsw
