#include "compcore/cc_parse/stmt/control_flow.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_in/cc_in.h"

#include <array>
#include <vector>

namespace tsw {

namespace {

struct ControlFlowState {
  std::vector<ControlContext> contexts;
  // Pushes refused because the stack was full, still to be left.
  size_t refusedContexts = 0;
  std::vector<JumpRecord> continues;
  std::vector<JumpRecord> breaks;
  bool inEverytimeBlock = false;
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

} // namespace

void EnterControlContext(ControlContext context) {
  ControlFlowState &state = State();
  if (state.refusedContexts || state.contexts.size() >= kMaxControlContexts) {
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

bool &InEverytimeBlock() { return State().inEverytimeBlock; }

void ResetControlFlowModule() {
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
