#include "compcore/cc_parse/stmt/control_flow.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/stmt_switch.h"

#include <optional>
#include <string>
#include <vector>

namespace tsw {

namespace {

struct ControlFlowState {
  std::vector<ControlContext> contexts;
  // Pushes refused because the stack was full, still to be left.
  size_t refusedContexts = 0;
  std::vector<JumpRecord> continues;
  std::vector<JumpRecord> breaks;
};

ControlFlowState &State() {
  static ControlFlowState state;
  return state;
}

// A statement compiled again after a segment overflow must find the tables
// as they were when it began; save points nest with the statements.
std::vector<ControlFlowState> &SavedStates() {
  static std::vector<ControlFlowState> saved;
  return saved;
}

std::vector<JumpRecord> &List(JumpKind kind) { return kind == JumpKind::kBreak ? State().breaks : State().continues; }

bool Allows(const ControlContext &context, JumpKind kind) {
  return kind == JumpKind::kBreak ? context.breakAllowed : context.continueAllowed;
}

// Sets a switch for the length of a scope and puts the old value back, also
// when an error ends the compile inside it.
class SwitchScope {
public:
  SwitchScope(bool &flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
  ~SwitchScope() { flag_ = saved_; }
  SwitchScope(const SwitchScope &) = delete;
  SwitchScope &operator=(const SwitchScope &) = delete;

private:
  bool &flag_;
  bool saved_;
};

constexpr uint8_t kNop = 0x00;
constexpr uint16_t kColumnAtInput = 0;

ADDR24 Here() { return Caches().currentCode->Current(); }

// A condition that could not be compiled to a jump leaves nothing to patch.
void PatchForward(const JumpRecord &jump, ADDR24 target) {
  if (Addr24ToLong(jump.operand) != 0)
    EmitFarJumpFixup(jump, target);
}

JumpListMarks EnterLoop() {
  const JumpListMarks marks = NoteJumpLists();
  EnterControlContext(kLoopContext);
  return marks;
}

void LeaveLoop(const JumpListMarks &marks, ADDR24 continueTarget) {
  PatchJumpList(JumpKind::kContinue, marks, continueTarget);
  PatchJumpList(JumpKind::kBreak, marks, Here());
  LeaveControlContext();
}

// The first part of a for: nothing, or an expression up to its ';'.
void CompileForInitializer() {
  ExpectStatementChar('(');
  if (SkipBlanksAndMatchChar(';'))
    return;
  CompileExpressionForEffect(false);
  ExpectStatementChar(';');
}

uint16_t CompileForWithHooks() {
  CompileForInitializer();
  const ADDR24 head = Here();
  JumpRecord exit;
  if (!SkipBlanksAndMatchChar(';')) {
    MarkStatementAtInput(kColumnAtInput);
    exit = CompileConditionJump(ADDR24{}, false, ";");
  }
  ADDR24 continueTarget = head;
  SkipBlanksAcrossLines();
  if (*InputCursor != ')') {
    const JumpRecord overIncrement = EmitJumpToAddr24(ADDR24{}, kOpJump);
    continueTarget = Here();
    MarkStatementAtInput(kColumnAtInput);
    CompileExpressionForEffect(false);
    EmitJumpToAddr24(head, kOpJump);
    EmitFarJumpFixup(overIncrement, Here());
  }
  ExpectStatementChar(')');
  const JumpListMarks marks = EnterLoop();
  CompileStatement();
  EmitJumpToAddr24(continueTarget, kOpJump);
  PatchForward(exit, Here());
  LeaveLoop(marks, continueTarget);
  return kStatementPlain;
}

// A clause of a for, read once as program text and kept with the source
// position of every character, so that it is compiled behind the body as it
// stood: the directives between its lines ran when it was read, and the
// macros it names keep what they meant there.
struct ClauseCopy {
  LogicalLineBuffer text;
};

void Keep(ClauseCopy &clause, char c, uint16_t line, uint16_t column) {
  clause.text.text.push_back(c);
  clause.text.lines.push_back(line);
  clause.text.columns.push_back(column);
}

void KeepLiteralChar(ClauseCopy &clause) {
  Keep(clause, *InputCursor, CurrentSourceLine(), CurrentSourceColumn());
  SkipInputChars(1);
}

// From the cursor up to the `terminator` that ends the clause at depth 0 (or
// up to where the for is plainly broken), which is left at the cursor.
// Brackets nest, literals hide what they hold, a line end becomes a blank.
ClauseCopy ReadClause(char terminator) {
  ClauseCopy clause;
  int depth = 0;
  for (;;) {
    const char c = *InputCursor;
    if (!c) {
      const uint16_t line = CurrentSourceLine(), column = CurrentSourceColumn();
      SkipBlanksAcrossLines();
      if (!*InputCursor)
        break;
      Keep(clause, ' ', line, column);
      continue;
    }
    if (depth == 0 && (c == terminator || c == ';' || c == ')' || c == '{' || c == '}'))
      break;
    if (c == '(' || c == '[') {
      ++depth;
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
    } else if (c == '"' || c == '\'') {
      // A literal's brackets are none.
      KeepLiteralChar(clause);
      while (*InputCursor && *InputCursor != c) {
        const bool escape = *InputCursor == '\\' && InputCursor[1];
        KeepLiteralChar(clause);
        if (escape)
          KeepLiteralChar(clause);
      }
      if (!*InputCursor)
        continue;
      KeepLiteralChar(clause);
      continue;
    }
    Keep(clause, c, CurrentSourceLine(), CurrentSourceColumn());
    NextInputChar();
  }
  // Every character may have come from a macro: none is read back from its
  // source position.
  clause.text.expandedEnd = clause.text.text.size();
  clause.text.lines.push_back(CurrentSourceLine());
  clause.text.columns.push_back(CurrentSourceColumn());
  return clause;
}

// While it lives the input is the clause, followed by `terminator`: its
// end is the end of what may be read, and its brackets were counted when
// it was read.
class ClauseInput {
public:
  ClauseInput(const ClauseCopy &clause, char terminator)
      : savedLine_(CurrentLogicalLine()), savedCursor_(CursorIndex()), savedColumn_(InputColumn),
        savedSingleLine_(SingleLineMode), savedTrackingOff_(BracketTrackingDisabled()) {
    LogicalLineBuffer text = clause.text;
    if (terminator) {
      text.text.push_back(terminator);
      text.lines.insert(text.lines.end() - 1, text.lines.back());
      text.columns.insert(text.columns.end() - 1, text.columns.back());
      text.expandedEnd = text.text.size();
    }
    SingleLineMode = 1;
    BracketTrackingDisabled() = true;
    InstallLogicalLine(std::move(text), 0);
  }
  ~ClauseInput() {
    InstallLogicalLine(std::move(savedLine_), savedCursor_);
    InputColumn = savedColumn_;
    SingleLineMode = savedSingleLine_;
    BracketTrackingDisabled() = savedTrackingOff_;
  }
  ClauseInput(const ClauseInput &) = delete;
  ClauseInput &operator=(const ClauseInput &) = delete;

private:
  LogicalLineBuffer savedLine_;
  size_t savedCursor_;
  uint16_t savedColumn_;
  uint16_t savedSingleLine_;
  bool savedTrackingOff_;
};

// The condition compiled from its copy: once in front of the body, where
// it reports what it has to, and again behind it, quietly.
JumpRecord CompileCondition(const ClauseCopy &condition, ADDR24 target, bool jumpIfTrue) {
  ClauseInput input(condition, ';');
  return CompileConditionJump(target, jumpIfTrue, ";");
}

JumpRecord CompileConditionAgain(const ClauseCopy &condition, ADDR24 target) {
  SwitchScope quiet(Diagnostics().enabled, false);
  return CompileCondition(condition, target, true);
}

uint16_t CompileForInverted() {
  // Without a source to read again the test cannot go behind the body.
  if (NextLinePosition().source == SourceKind::kNone) {
    CompileError<kMsgForWithoutSource>();
    return CompileForWithHooks();
  }
  CompileForInitializer();
  std::optional<ClauseCopy> condition;
  JumpRecord entryTest;
  if (!SkipBlanksAndMatchChar(';')) {
    condition = ReadClause(';');
    entryTest = CompileCondition(*condition, ADDR24{}, false);
    ExpectStatementChar(';');
  }
  const ADDR24 bodyStart = Here();
  std::optional<ClauseCopy> increment;
  SkipBlanksAcrossLines();
  if (*InputCursor != ')')
    increment = ReadClause(')');
  ExpectStatementChar(')');
  const JumpListMarks marks = EnterLoop();
  CompileStatement();
  const ADDR24 continueTarget = Here();
  // Continues join here; from here to the test the code runs straight on,
  // so the test may use what the increment left in HL.
  ForgetHlStore();
  if (increment) {
    ClauseInput input(*increment, 0);
    // Behind the body the increment is no statement of its own.
    SwitchScope unmarked(StatementMarksSuppressed(), true);
    CompileExpressionForEffect(false);
  }
  if (condition) {
    HlReloadTest reloadTest;
    CompileConditionAgain(*condition, bodyStart);
  } else {
    EmitJumpToAddr24(bodyStart, kOpJump);
  }
  PatchForward(entryTest, Here());
  LeaveLoop(marks, continueTarget);
  return kStatementPlain;
}

} // namespace

void EnterControlContext(ControlContext context) {
  ControlFlowState &state = State();
  if (state.refusedContexts || state.contexts.size() >= kMaxControlContexts) {
    // The loops nested inside the first one refused are its part.
    if (!state.refusedContexts)
      CompileError<kMsgControlTooDeep>();
    ++state.refusedContexts;
    return;
  }
  context.sliceStackBytes = StatementState().sliceStackBytes;
  state.contexts.push_back(context);
}

void LeaveControlContext() {
  ControlFlowState &state = State();
  if (state.refusedContexts) {
    --state.refusedContexts;
    return;
  }
  if (state.contexts.empty()) {
    CompileError<kMsgNoEnclosingControl>();
    return;
  }
  state.contexts.pop_back();
}

JumpListMarks NoteJumpLists() { return {State().continues.size(), State().breaks.size()}; }

void PatchJumpList(JumpKind kind, const JumpListMarks &marks, ADDR24 target) {
  std::vector<JumpRecord> &list = List(kind);
  const size_t from = kind == JumpKind::kBreak ? marks.breaks : marks.continues;
  while (list.size() > from) {
    EmitFarJumpFixup(list.back(), target);
    list.pop_back();
  }
}

size_t OpenJumpCount(JumpKind kind) { return List(kind).size(); }

uint16_t CompileBreakContinue(JumpKind which) {
  const std::vector<ControlContext> &contexts = State().contexts;
  if (contexts.empty()) {
    CompileError<kMsgNoEnclosingControl>();
    return kStatementPlain;
  }
  auto target = contexts.rbegin();
  while (target != contexts.rend() && !Allows(*target, which))
    ++target;
  // A continue in a switch that no loop encloses has nowhere to go; it is
  // not an error, as there is a statement it belongs to.
  if (target == contexts.rend())
    return kStatementPlain;
  std::vector<JumpRecord> &list = List(which);
  if (list.size() >= kJumpListCapacity) {
    CompileError<kMsgTooManyJumps>();
    return kStatementPlain;
  }
  // The statements after the jump are still inside the slices, so the
  // compile-time depth keeps their words.
  EmitAdjustStackPointer(int16_t(StatementState().sliceStackBytes - target->sliceStackBytes), false);
  list.push_back(EmitJumpToAddr24(ADDR24{}, kOpJump));
  return kStatementJumps;
}

uint16_t CompileWhile() {
  // The loop's head must not share the address of the while's own hook,
  // or a jump back would stop there on every round.
  if ((Attributes().current & kAttrDebug) && !StatementMarksSuppressed() && !WatchFunctionFlag())
    EmitCodeByte(kNop);
  const ADDR24 head = Here();
  ExpectStatementChar('(');
  MarkStatementAtInput(kColumnAtInput);
  const JumpRecord exit = CompileConditionJump(ADDR24{}, false, ")");
  const JumpListMarks marks = EnterLoop();
  CompileStatement();
  EmitJumpToAddr24(head, kOpJump);
  PatchForward(exit, Here());
  LeaveLoop(marks, head);
  return kStatementPlain;
}

uint16_t CompileDo() {
  const ADDR24 head = Here();
  const JumpListMarks marks = EnterLoop();
  CompileStatement();
  PatchJumpList(JumpKind::kContinue, marks, Here());
  // Without its while the text after the body is no condition: it is left
  // to be compiled as the statements it is.
  if (SkipBlanksAndMatchKeyword("while")) {
    ExpectStatementChar('(');
    MarkStatementAtInput(kColumnAtInput);
    CompileConditionJump(head, true, ")");
    ExpectStatementSemicolon();
  } else {
    CompileError<kMsgExpected>(std::string("while"));
  }
  LeaveLoop(marks, Here());
  return kStatementPlain;
}

uint16_t CompileFor() { return (Attributes().current & kAttrStep) ? CompileForWithHooks() : CompileForInverted(); }

uint16_t CompileBreak() {
  const uint16_t result = CompileBreakContinue(JumpKind::kBreak);
  ExpectStatementSemicolon();
  return result;
}

uint16_t CompileContinue() {
  const uint16_t result = CompileBreakContinue(JumpKind::kContinue);
  ExpectStatementSemicolon();
  return result;
}

bool &InEverytimeBlock() { return CostateState().everytime; }

void ResetControlFlowModule() {
  ResetSwitchModule();
  State() = {};
  SavedStates().clear();
  RegisterCodeStateParticipant({CodeStateSide::kStatement, [] { SavedStates().push_back(State()); },
                                [] {
                                  if (!SavedStates().empty())
                                    State() = SavedStates().back();
                                },
                                [] {
                                  if (!SavedStates().empty())
                                    SavedStates().pop_back();
                                }});
}

} // namespace tsw
