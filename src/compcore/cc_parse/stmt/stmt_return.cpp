#include "compcore/cc_parse/stmt/stmt_return.h"

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/cofunction.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/common/cc_session.h"
#include "foundation/msgnumbers.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_state.h"

#include <cstdlib>

namespace tsw {

namespace {

// A constant 0 is every pointer's null.
bool IsNullPointerConstant(const ValueRecord &value, uint32_t returnDeclarator) {
  return returnDeclarator != 0 && value.storage == kStorageConstant && !value.symbol && value.value == 0 &&
         value.declarator == 0;
}

bool IsStructure(const ValueRecord &value) { return value.type >= kFirstStructType && value.declarator == 0; }

// A structure goes into the space its caller reserved above the arguments
// before the call; a function of a basic type has no such space, nor has
// an interrupt, which no caller calls.
void ReturnStructure(ValueRecord &value) {
  const FunctionStatementState &f = StatementState();
  const uint32_t attributes = Attributes().current;
  const bool structureFunction = f.returnType >= kFirstStructType && f.returnDeclarator == 0;
  if (!structureFunction && !(attributes & kAttrCofuncMask)) {
    CompileError<kMsgStructResultNotAllowed>();
    return;
  }
  if (attributes & kAttrInterruptMask) {
    CompileError<kMsgNoStructResultHere>();
    return;
  }
  ValueRecord result = MakeValue(value.type, kLevelNone, kStorageAuto, true);
  result.value = uint32_t(f.frameOverhead + f.parametersSize);
  if (value.storage != kStorageStackStruct) {
    EmitStructCopy(result, value);
    return;
  }
  // A call's result lies on top of the stack: copied from there, and its
  // space given back.
  const EmissionState &e = Emission();
  const int32_t depth = std::abs(int32_t(e.stackOffset)) + std::abs(int32_t(e.ipStackOffset));
  ValueRecord onStack = MakeValue(value.type, kLevelNone, kStorageAuto, true);
  onStack.value = uint32_t(-e.frameBase - depth);
  EmitStructCopy(result, onStack);
  EmitStackAdjustAndTrack(int16_t(TypeCodeSize(value.type)));
}

} // namespace

void CompileReturn(bool withValue) {
  FunctionStatementState &f = StatementState();
  if (withValue && InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  if (withValue && !AtStatementEnd()) {
    // The value is seen before it is loaded: a constant 0 is still one.
    ValueRecord value;
    CompileExpressionList(value, false);
    const bool nullPointer = IsNullPointerConstant(value, f.returnDeclarator);
    if (!IsStructure(value))
      LoadOperandToValueRegister(value);
    if (f.returnsValue && CompilerConfig().tcprot && !nullPointer &&
        TypeCompatibility(f.returnType, value.type, f.returnDeclarator, value.declarator) != TypeMatch::kCompatible)
      CompileWarningTrivial<kMsgReturnTypeDiffers>();
    if (!f.returnsValue)
      CompileWarningTrivial<kMsgValueFromVoidFunction>();
    else if (IsStructure(value))
      ReturnStructure(value);
    else if (Attributes().current & kAttrInterruptMask)
      CompileWarningTrivial<kMsgValueFromInterruptFunction>();
    // A basic value leaves as the function's type; pointers and
    // structures keep theirs.
    const bool basic = f.returnDeclarator == 0 && f.returnType < kFirstStructType && value.declarator == 0 &&
                       !IsStructure(value);
    if (f.returnsValue && basic && value.type != f.returnType)
      ConvertOperandTo(value, f.returnType, false, kConvertDefaultOptions);
  } else if (withValue && f.returnsValue) {
    CompileWarningTrivial<kMsgReturnWithoutValue>();
  }
  // The epilog releases the frame only: the words the enclosing slices
  // pushed go first, the value kept. The statements after the return are
  // still inside those slices, so the compile-time depth keeps them.
  EmitAdjustStackPointer(int16_t(f.sliceStackBytes), true);
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
