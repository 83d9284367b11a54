#include "compcore/cc_gen/codegen_layer.h"

#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"

namespace tsw {

namespace {

class CodegenLayer : public CodegenUpcalls {
public:
  ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t fixupFlags, uint8_t opcode) override {
    return tsw::LookupRoutineSymbol(name, fixupFlags, opcode);
  }
  uint32_t EmitCallNamedRoutine(std::string_view name) override { return tsw::EmitCallNamedRoutine(name); }
  void EmitJumpNamedRoutine(std::string_view name) override { tsw::EmitJumpNamedRoutine(name); }
  void FlushPrimaryRegister() override { tsw::FlushPrimaryRegister(); }
  void FlushPrimaryRegisterHolding(Reg pair) override { tsw::FlushPrimaryRegisterHolding(pair); }
  void LoadOperandToValueRegister(ValueRecord &value) override { tsw::LoadOperandToValueRegister(value); }
  void LoadOperandAddressIntoHL(ValueRecord &value) override { tsw::LoadOperandAddressIntoHL(value); }
  void PopOperandToValueRegister(ValueRecord &value) override { tsw::PopOperandToValueRegister(value); }
};

} // namespace

void InstallCodegenLayer() {
  static CodegenLayer layer;
  ResetOperandMoves();
  SetCodegenUpcalls(&layer);
}

} // namespace tsw
