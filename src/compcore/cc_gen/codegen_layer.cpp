#include "compcore/cc_gen/codegen_layer.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/value_queries.h"

#include <vector>

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

// What code compiled again must find as it was: the cached operand, the
// expression compiler's flags, the stubs and strings the function asked for.
struct LayerSnapshot {
  RegisterCacheState cache;
  ExpressionCodeFlags flags;
  size_t stubs = 0;
  StringPool strings;
  // The stack depths and flag state the code taken back had changed.
  EmissionState emission;
};

std::vector<LayerSnapshot> &Snapshots() {
  static std::vector<LayerSnapshot> snapshots;
  return snapshots;
}

void SaveLayer() {
  Snapshots().push_back({SaveRegisterCache(), ExpressionFlags(), StubStack().size(), FunctionStringPool(), Emission()});
}

void RestoreLayer() {
  if (Snapshots().empty())
    return;
  const LayerSnapshot &snapshot = Snapshots().back();
  RestoreRegisterCache(snapshot.cache);
  ExpressionFlags() = snapshot.flags;
  if (StubStack().size() > snapshot.stubs)
    StubStack().resize(snapshot.stubs);
  FunctionStringPool() = snapshot.strings;
  Emission() = snapshot.emission;
  // The code behind the store may be gone.
  ForgetHlStore();
}

void DiscardLayer() {
  if (!Snapshots().empty())
    Snapshots().pop_back();
}

} // namespace

CodegenUpcalls &CodegenLayerUpcalls() {
  static CodegenLayer layer;
  return layer;
}

void InstallCodegenLayer() {
  ResetOperandMoves();
  Snapshots().clear();
  FunctionStringPool() = {};
  RegisterCodeStateParticipant({CodeStateSide::kCode, SaveLayer, RestoreLayer, DiscardLayer});
  SetCodegenUpcalls(&CodegenLayerUpcalls());
}

} // namespace tsw
