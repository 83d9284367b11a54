#include "compcore/cc_parse/stmt/control_flow.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/emit_cache.h"
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

std::vector<JumpRecord> &List(JumpKind kind) {
  return kind == JumpKind::kBreak ? State().breaks : State().continues;
}

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

// Steps over a for's increment up to the ')' that ends it (or up to where
// the for is plainly broken), so that it is compiled once, behind the body.
// The text is not program text yet: the bracket checker meets it there.
void SkipIncrementText() {
  int depth = 0;
  for (;;) {
    const char c = *InputCursor;
    if (!c) {
      SkipBlanksAcrossLines();
      if (!*InputCursor)
        return;
      continue;
    }
    if (depth == 0 && (c == ')' || c == ';' || c == '{' || c == '}'))
      return;
    if (c == '(' || c == '[') {
      ++depth;
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
    } else if (c == '"' || c == '\'') {
      size_t n = 1;
      while (InputCursor[n] && InputCursor[n] != c)
        n += InputCursor[n] == '\\' && InputCursor[n + 1] ? 2 : 1;
      SkipInputChars(InputCursor[n] ? n + 1 : n);
      continue;
    }
    SkipInputChars(1);
  }
}

// Goes back to source text read before; a source that cannot be positioned
// again cannot compile the rest of the loop either.
void ReturnToInput(const InputState &state) {
  if (!RestoreInputState(state))
    CompileErrorHere<kMsgForWithoutSource>();
}

// The condition read a second time, behind the body: what it had to report
// was reported where it stands, and its brackets were checked there.
JumpRecord CompileConditionAgain(const InputState &condition, ADDR24 target) {
  ReturnToInput(condition);
  const auto brackets = CopyOpenBrackets();
  JumpRecord jump;
  {
    SwitchScope quiet(Diagnostics().enabled, false);
    jump = CompileConditionJump(target, true, ";");
  }
  RestoreOpenBrackets(brackets);
  return jump;
}

uint16_t CompileForInverted() {
  // Without a source to read again the test cannot go behind the body.
  if (NextLinePosition().source == SourceKind::kNone) {
    CompileError<kMsgForWithoutSource>();
    return CompileForWithHooks();
  }
  CompileForInitializer();
  std::optional<InputState> condition;
  JumpRecord entryTest;
  if (!SkipBlanksAndMatchChar(';')) {
    condition = SaveInputState();
    entryTest = CompileConditionJump(ADDR24{}, false, ";");
  }
  const ADDR24 bodyStart = Here();
  std::optional<InputState> increment;
  SkipBlanksAcrossLines();
  if (*InputCursor != ')') {
    increment = SaveInputState();
    SkipIncrementText();
  }
  ExpectStatementChar(')');
  const JumpListMarks marks = EnterLoop();
  CompileStatement();
  const InputState afterBody = SaveInputState();
  const ADDR24 continueTarget = Here();
  // Continues join here; from here to the test the code runs straight on,
  // so the test may use what the increment left in HL.
  ForgetHlStore();
  if (increment) {
    ReturnToInput(*increment);
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
  ReturnToInput(afterBody);
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
  bool reachable = false;
  for (auto it = contexts.rbegin(); it != contexts.rend() && !reachable; ++it)
    reachable = Allows(*it, which);
  // A continue in a switch that no loop encloses has nowhere to go; it is
  // not an error, as there is a statement it belongs to.
  if (!reachable)
    return kStatementPlain;
  std::vector<JumpRecord> &list = List(which);
  if (list.size() >= kJumpListCapacity) {
    CompileError<kMsgTooManyJumps>();
    return kStatementPlain;
  }
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
