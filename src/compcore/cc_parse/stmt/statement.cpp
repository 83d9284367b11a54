#include "compcore/cc_parse/stmt/statement.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/costate.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_labels.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_return.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/stmt_switch.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

#include <array>

namespace tsw {
namespace {

void CheckCodeSpace() {
  if (EmitCache *code = Caches().currentCode)
    code->CheckSpaceGuarded();
}

uint16_t ReturnStatement() {
  CompileReturn(true);
  ExpectStatementSemicolon();
  return kStatementReturns;
}

uint16_t EmptyStatement() { return kStatementPlain; }

uint16_t CompileSubfunc() {
  CompileError<kMsgSubfuncUnsupported>();
  return kStatementPlain;
}

// Statements nest by recursion: far deeper than any program is written,
// the compile ends with an error rather than on the host's stack.
constexpr uint32_t kMaxStatementNesting = 512;
constexpr char kModule[] = "compcore\\cc_parse";
uint32_t &StatementNesting() {
  static uint32_t depth = 0;
  return depth;
}
class StatementNestingScope {
public:
  StatementNestingScope() {
    if (StatementNesting() >= kMaxStatementNesting) {
      CompileError<kMsgControlTooDeep>();
      throw xCCErrOvflo(kModule, __LINE__);
    }
    ++StatementNesting();
  }
  ~StatementNestingScope() { --StatementNesting(); }
  StatementNestingScope(const StatementNestingScope &) = delete;
  StatementNestingScope &operator=(const StatementNestingScope &) = delete;
};

uint16_t ExpressionStatement() {
  CompileExpressionForEffect(false);
  ExpectStatementSemicolon();
  return kStatementPlain;
}

// In the order they are tried; the loops, switch, labels and jumps join
// here.
constexpr std::array kRows{
    StatementRow{"case", false, CompileCaseStatement},
    StatementRow{"default", false, CompileDefaultStatement},
    StatementRow{nullptr, false, CompileLabeledStatement},
    // Marked behind its resume point, where the task comes back to test:
    // ahead of the first marked row, which would mark it first.
    StatementRow{"waitfor", false, CompileWaitfor},
    StatementRow{"if", true, CompileIf},
    StatementRow{"while", true, CompileWhile},
    StatementRow{"for", true, CompileFor},
    StatementRow{"return", true, ReturnStatement},
    StatementRow{"break", true, CompileBreak},
    StatementRow{"switch", true, CompileSwitch},
    StatementRow{"goto", true, CompileGoto},
    StatementRow{"subfunc", true, CompileSubfunc},
    StatementRow{"do", true, CompileDo},
    StatementRow{"continue", true, CompileContinue},
    StatementRow{"costate", true, CompileCostateStatement},
    StatementRow{"funcblk", true, CompileCostateStatement},
    StatementRow{"slice", true, CompileSliceStatement},
    StatementRow{"yield", true, CompileYield},
    StatementRow{"abort", true, CompileAbort},
    StatementRow{";", true, EmptyStatement},
};

} // namespace

std::span<const StatementRow> StatementRows() { return kRows; }

uint16_t CompileStatement() {
  StatementNestingScope nesting;
  return CompileWithRetry(CompileStatementBody);
}

void ResetStatementNesting() { StatementNesting() = 0; }

uint16_t CompileStatementBody() {
  if (AtEndOfInput())
    return kStatementEndOfInput;
  SkipBlanksAcrossLines();
  if (AtEndOfInput())
    return kStatementEndOfInput;
  uint16_t result = kStatementPlain;
  if (MatchKeyword("{")) {
    result = CompileCompoundStatement();
  } else {
    bool marked = false;
    bool done = false;
    for (const StatementRow &row : StatementRows()) {
      if (row.marked && !marked) {
        MarkStatementAtInput(0);
        marked = true;
      }
      if (row.keyword) {
        if (!MatchKeyword(row.keyword))
          continue;
        result = row.compile();
        done = true;
        break;
      }
      const uint16_t answer = row.compile();
      if (answer != kNotThisStatement) {
        result = answer;
        done = true;
        break;
      }
    }
    if (!done) {
      if (!marked)
        MarkStatementAtInput(0);
      result = ExpressionStatement();
    }
  }
  CheckCodeSpace();
  return result;
}

// compound-statement = "{" { statement } "}"
uint16_t CompileCompoundStatement() {
  FunctionStatementState &f = StatementState();
  ++f.blockDepth;
  uint16_t result = kStatementPlain;
  for (;;) {
    SkipBlanksAcrossLines();
    if (AtEndOfInput()) {
      ReportUnclosedBrackets();
      break;
    }
    if (MatchKeyword("}"))
      break;
    result = CompileStatement();
  }
  --f.blockDepth;
  return result;
}

// if-statement = "if" "(" expression ")" statement [ "else" statement ]
uint16_t CompileIf() {
  ExpectStatementChar('(');
  const JumpRecord whenFalse = CompileConditionJump(ADDR24{}, false, ")");
  const uint16_t thenResult = CompileStatement();
  if (!SkipBlanksAndMatchKeyword("else")) {
    EmitFarJumpFixup(whenFalse, CurrentCodeAddress());
    return kStatementPlain;
  }
  // A then-part that returns or jumps never falls through to the else-part.
  const bool fallsThrough = thenResult != kStatementReturns && thenResult != kStatementJumps;
  JumpRecord overElse;
  if (fallsThrough)
    overElse = EmitJumpToAddr24(ADDR24{}, kOpJump);
  EmitFarJumpFixup(whenFalse, CurrentCodeAddress());
  CompileStatement();
  if (fallsThrough)
    EmitFarJumpFixup(overElse, CurrentCodeAddress());
  return kStatementPlain;
}

void ExpectStatementSemicolon() { ExpectStatementChar(';'); }

} // namespace tsw
