#include "compcore/cc_parse/stmt/frame_layout.h"

#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"

#include <algorithm>

namespace tsw {
namespace {

// The return address; the saved IX of an IX frame.
constexpr uint16_t kReturnAddressBytes = 2;
constexpr uint16_t kSavedIxBytes = 2;
// What the way into extended memory leaves on the stack besides: the
// Corvid's bouncer (lcall) or long call, the Z180's bank switch.
constexpr uint16_t kCorvidBouncerBytes = 3;
constexpr uint16_t kCorvidLongCallBytes = 1;
constexpr uint16_t kZ180BankSwitchBytes = 4;
// Arguments are pushed as words at least.
constexpr uint16_t kParameterSlotBytes = 2;

// "f(void)" declares no parameter; a pointer to void is one.
bool IsParameter(const SymbolRecord &entry) {
  return entry.kind == kClassAutoLocal && entry.definition == 0 && (entry.type != kTypeVoid || entry.declarator != 0);
}

} // namespace

bool HasParameters() {
  bool found = false;
  ForEachSymbolRecord(SymbolTableId::kLocal, [&](const SymbolRecord &entry) {
    found = IsParameter(entry);
    return found;
  });
  return found;
}

uint16_t FrameOverhead() {
  const FunctionStatementState &f = StatementState();
  const uint32_t attrs = Attributes().current;
  uint16_t overhead = kReturnAddressBytes;
  if ((attrs & kAttrXmem) && !(attrs & kAttrCofuncMask)) {
    if (CurrentCpu() == TargetCpu::Z180)
      overhead = uint16_t(overhead + kZ180BankSwitchBytes);
    else
      overhead = uint16_t(overhead + (CodeGenSetup().noBouncers ? kCorvidLongCallBytes : kCorvidBouncerBytes));
  }
  // An interrupt function is never in extended memory.
  if (attrs & kAttrInterruptMask)
    overhead = uint16_t(overhead + kInterruptEntryBytes);
  if (f.ixFrame)
    overhead = uint16_t(overhead + kSavedIxBytes);
  return overhead;
}

void AssignLocalOffsets() {
  FunctionStatementState &f = StatementState();
  // The frame is addressed through IX once there is anything in it.
  f.ixFrame = (Attributes().current & kAttrUseIx) && (f.localsSize != 0 || HasParameters());
  f.frameOverhead = FrameOverhead();
  f.parametersSize = 0;
  // The parameters lie past their descriptors, and what the caller pushed
  // ends below the list's end. The task buffer a firsttime function is
  // handed first is pushed by the call itself, after the list.
  const uint32_t attrs = Attributes().current;
  const bool typed = (attrs & kAttrTyped) != 0;
  bool bufferFirst = (attrs & kAttrFirstTime) != 0;
  ForEachSymbolRecord(SymbolTableId::kLocal, [&](const SymbolRecord &entry) {
    // Locals have their (negative) offsets already; parameters stand at 0.
    if (!IsParameter(entry))
      return false;
    const uint16_t descriptor = typed && !bufferFirst ? kArgumentDescriptorBytes : 0;
    bufferFirst = false;
    SymbolRecord *parameter = LookupSymbol(entry.name, false, SymbolTableId::kLocal);
    if (!parameter)
      return false;
    // A pointer takes its own two bytes, whatever it points at.
    const uint16_t size =
        std::max(kParameterSlotBytes, OperandByteSize(MakeValueFromSymbol(*parameter), OperandSizeMode::kPointer));
    parameter->definition = uint16_t(f.frameOverhead + f.parametersSize + descriptor);
    f.parametersSize = uint16_t(f.parametersSize + descriptor + size);
    return false;
  });
  if (typed)
    f.parametersSize = uint16_t(f.parametersSize + kDescriptorListEndBytes);
}

} // namespace tsw
