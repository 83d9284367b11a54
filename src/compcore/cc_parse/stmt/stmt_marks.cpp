#include "compcore/cc_parse/stmt/stmt_marks.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/common/cc_codegen.h"

namespace tsw {
namespace {

constexpr uint8_t kOpNop = 0x00;
constexpr uint8_t kOpStatementHook = 0xEF; // rst 28h

bool SameAddress(ADDR24 a, ADDR24 b) { return Addr24ToLong(a) == Addr24ToLong(b); }

} // namespace

bool &StatementMarksSuppressed() { return StatementState().marksSuppressed; }

void MarkStatementPosition(uint16_t line, uint16_t column) {
  FunctionStatementState &f = StatementState();
  if (column == 0)
    column = CurrentSourceColumn();
  if (f.hasMark && f.markLine == line && f.markColumn == column) {
    f.addressAfterMark = CurrentCodeAddress();
    return;
  }
  if (!StatementMarksSuppressed() && !WatchFunctionFlag() && (Attributes().current & kAttrDebug)) {
    // Two statements at one address would be one stop for the debugger.
    if (f.hasMark && SameAddress(CurrentCodeAddress(), f.addressAfterMark))
      EmitCodeByte(kOpNop);
    f.hookAddress = CurrentCodeAddress();
    EmitCodeByte(kOpStatementHook);
    CodeGen().RecordStatementPosition(CurrentSourceFileName(), line, column);
  }
  f.markLine = line;
  f.markColumn = column;
  f.addressAfterMark = CurrentCodeAddress();
  f.hasMark = true;
}

void MarkStatementAtInput(uint16_t column) {
  SkipBlanksAcrossLines();
  MarkStatementPosition(CurrentSourceLine(), column);
}

} // namespace tsw
