#include "compcore/cc_parse/stmt/stmt_return.h"

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/cofunction.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_state.h"

namespace tsw {

void CompileReturn(bool withValue) {
  FunctionStatementState &f = StatementState();
  // The everytime block is a routine of its own, called on each step.
  if (InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  if (withValue && !AtStatementEnd()) {
    ValueRecord value;
    CompileConditionValue(value);
    if (!f.returnsValue)
      CompileWarningTrivial<kMsgValueFromVoidFunction>();
    else if (Attributes().current & kAttrInterruptMask)
      CompileWarningTrivial<kMsgValueFromInterruptFunction>();
    // A basic value leaves as the function's type; pointers and
    // structures keep theirs.
    const bool basic = f.returnDeclarator == 0 && f.returnType < kFirstStructType && value.declarator == 0;
    if (f.returnsValue && basic && value.type != f.returnType)
      ConvertOperandTo(value, f.returnType, false, kConvertDefaultOptions);
  } else if (withValue && f.returnsValue) {
    CompileWarningTrivial<kMsgReturnWithoutValue>();
  }
  if (f.hasEpilog) {
    EmitJumpToAddr24(f.epilogAddress, kOpJump);
    return;
  }
  f.hasEpilog = f.inBody;
  f.epilogAddress = CurrentCodeAddress();
  if (CofunctionInstances() != 0) {
    CompileCofunctionEpilog();
    MarkStatementAtInput(0);
    return;
  }
  FunctionEpilog epilog(f.returnsValue);
}

} // namespace tsw
