#include "compcore/cc_parse/stmt/stmt_return.h"

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_state.h"

namespace tsw {

void CompileReturn(bool withValue) {
  FunctionStatementState &f = StatementState();
  if (withValue && !AtStatementEnd()) {
    ValueRecord value;
    CompileConditionValue(value);
  }
  if (f.hasEpilog) {
    EmitJumpToAddr24(f.epilogAddress, kOpJump);
    return;
  }
  f.hasEpilog = f.inBody;
  f.epilogAddress = CurrentCodeAddress();
  FunctionEpilog epilog(f.returnsValue);
}

} // namespace tsw
