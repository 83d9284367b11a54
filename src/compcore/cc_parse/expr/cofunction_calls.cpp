#include "compcore/cc_parse/expr/cofunction_calls.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "foundation/msgnumbers.h"

#include <fmt/format.h>

namespace tsw {

namespace {

struct CofunctionCallState {
  CoBufferLoader loader = nullptr;
  uint16_t indexedCalls = 0;
};
CofunctionCallState &State() {
  static CofunctionCallState state;
  return state;
}

} // namespace

CofunctionCallContext &CofunctionCalls() { return CostateState().calls; }

void SetCoBufferLoader(CoBufferLoader loader) { State().loader = loader; }

void LoadCoBufferAddress() {
  // Without the multitasking statements no construct is open and no
  // cofunction call gets this far.
  if (State().loader)
    State().loader();
}

uint16_t NextIndexedCallNumber() { return ++State().indexedCalls; }
uint16_t CurrentIndexedCallNumber() { return State().indexedCalls; }

// index-part = "[" expression "]"
void CompileCofunctionIndex(const ValueRecord &callee) {
  if (SkipToOperand() != '[') {
    if (callee.Instances() != 1)
      CompileError<kMsgInstanceIndexMissing>();
    return;
  }
  ConsumeChar();
  if (callee.Instances() == 1)
    CompileError<kMsgSingleInstanceIndexed>();
  const JumpRecord over = EmitJumpToAddr24(ADDR24{}, kOpJump);
  const uint16_t number = NextIndexedCallNumber();
  DefineLabelHere(fmt::format("$cofif_{:04x}_1", number), kFixLocal);
  ValueRecord index;
  CompileExpressionList(index);
  ConvertOperandTo(index, kTypeInt, false, kConvertDefaultOptions);
  LoadOperandToValueRegister(index);
  ExpectChar(']');
  // Back into the call, with the index in HL.
  const std::string back = fmt::format("$cofif_{:04x}_2", number);
  const ADDR24 patch = Addr24Add(Caches().currentCode->Current(), 1);
  EmitJumpToAddr24(Addr24FromLong(ReferenceLabel(back, Addr24ToLong(patch), kFixCaptureOpcode | kFixLocal, 0, kOpJump)),
                   kOpJump);
  EmitFarJumpFixup(over, Caches().currentCode->Current());
}

} // namespace tsw
