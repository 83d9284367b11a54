#pragma once

#include "compcore/cc_gen/register_codes.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <string_view>

// What instruction emission asks of the layer built above it: the run-time
// routines called and jumped to by name, the primary-register cache, and the
// operand loads. That layer installs itself here; until it does, every call
// is an internal error, so a compile that forgot to install it fails loudly
// instead of emitting code with holes in it.
namespace tsw {

struct ValueRecord;

class CodegenUpcalls {
public:
  virtual ~CodegenUpcalls() = default;

  // The routine's address from the BIOS symbols or the label tables; a
  // placeholder with a fixup recorded while it is not yet known.
  virtual ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t fixupFlags, uint8_t opcode) = 0;
  // Emits a call of the routine; answers what the call emitter stored.
  virtual uint32_t EmitCallNamedRoutine(std::string_view name) = 0;
  virtual void EmitJumpNamedRoutine(std::string_view name) = 0;
  // Pushes the operand the primary registers hold back, so they may be
  // overwritten.
  virtual void FlushPrimaryRegister() = 0;
  // The same, only when the cached operand occupies the pair.
  virtual void FlushPrimaryRegisterHolding(Reg pair) = 0;

  // The value into the register of its type (A, HL or DE:BC).
  virtual void LoadOperandToValueRegister(ValueRecord &value) = 0;
  // The address of the object the value designates into HL.
  virtual void LoadOperandAddressIntoHL(ValueRecord &value) = 0;
  // The value on top of the stack into the register of its type.
  virtual void PopOperandToValueRegister(ValueRecord &value) = 0;
};

// Null puts back the default, which raises an internal error on every call.
void SetCodegenUpcalls(CodegenUpcalls *upcalls);
CodegenUpcalls &Upcalls();

} // namespace tsw
