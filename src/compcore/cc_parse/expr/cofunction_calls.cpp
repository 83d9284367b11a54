#include "compcore/cc_parse/expr/cofunction_calls.h"

#include "compcore/cc_parse/stmt/costate_state.h"

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

} // namespace tsw
