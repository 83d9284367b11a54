#include "compcore/cc_parse/stmt/watch_function.h"

#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_parse/expr/expr_unary.h"

namespace tsw {
namespace {

WatchFunctionSetup *&Pending() {
  static WatchFunctionSetup *setup = nullptr;
  return setup;
}

} // namespace

void BeginWatchStatement() { UnarySwitches().autoReferenced = false; }
bool EndWatchStatement() {
  EmitReturn(false);
  return UnarySwitches().autoReferenced;
}

WatchFunctionSetup *PendingWatchFunction() { return Pending(); }
void SetPendingWatchFunction(WatchFunctionSetup *setup) { Pending() = setup; }

} // namespace tsw
