#include "compcore/cc_parse/stmt/stmt_switch.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_input.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace tsw {

namespace {

struct CaseEntry {
  uint16_t value = 0;
  ADDR24 address;
};

struct OpenSwitch {
  size_t firstCase = 0;
  std::optional<ADDR24> defaultLabel;
};

struct SwitchState {
  std::vector<CaseEntry> cases;
  // The innermost switch last.
  std::vector<OpenSwitch> open;
};

SwitchState &State() {
  static SwitchState state;
  return state;
}

std::vector<SwitchState> &SavedStates() {
  static std::vector<SwitchState> saved;
  return saved;
}

ADDR24 Here() { return Caches().currentCode->Current(); }

// A case constant wider than an int cannot be compared by the dispatch.
bool ReadCaseConstant(uint16_t &value, bool &tooWide) {
  ValueRecord constant;
  const bool read = ReadConstantRecord(constant);
  if (!read)
    CompileError<kMsgNotConstant>();
  value = uint16_t(constant.value);
  tooWide = read && (constant.type >= kTypeLong || constant.HasLevel());
  return read;
}

bool IsDuplicate(const SwitchState &state, uint16_t value) {
  const auto first = state.cases.begin() + ptrdiff_t(state.open.back().firstCase);
  return std::any_of(first, state.cases.end(), [value](const CaseEntry &c) { return c.value == value; });
}

void EmitDispatch(const SwitchState &state) {
  std::vector<SwitchCase> table;
  for (size_t i = state.open.back().firstCase; i < state.cases.size(); ++i) {
    const CaseEntry &c = state.cases[i];
    table.push_back({c.value, c.address.logical, c.address.segment});
  }
  const ADDR24 before = Here();
  EmitSwitchDispatch(table);
  // On the Corvid the dispatch of root code returns into the first code
  // cache of the set, where the rest of the switch goes on.
  if (CurrentCpu() == TargetCpu::Corvid && !Addr24InWindow(before)) {
    const JumpRecord resume = EmitJumpToAddr24(ADDR24{}, kOpJump);
    SelectCodeCache(Caches().rootCode->Current());
    EmitFarJumpFixup(resume, Here());
  }
}

} // namespace

uint16_t CompileSwitch() {
  SwitchState &state = State();
  const JumpListMarks marks = NoteJumpLists();
  EnterControlContext(kSwitchContext);
  ExpectStatementChar('(');
  ValueRecord value;
  CompileConditionValue(value);
  ConvertOperandTo(value, kTypeInt, false, 0);
  ExpectStatementChar(')');
  const JumpRecord toDispatch = EmitJumpToAddr24(ADDR24{}, kOpJump);
  state.open.push_back({state.cases.size(), std::nullopt});
  CompileStatement();
  const JumpRecord toEnd = EmitJumpToAddr24(ADDR24{}, kOpJump);
  EmitFarJumpFixup(toDispatch, Here());
  EmitDispatch(state);
  if (state.open.back().defaultLabel)
    EmitJumpToAddr24(*state.open.back().defaultLabel, kOpJump);
  EmitFarJumpFixup(toEnd, Here());
  PatchJumpList(JumpKind::kBreak, marks, Here());
  state.cases.resize(state.open.back().firstCase);
  state.open.pop_back();
  LeaveControlContext();
  return kStatementPlain;
}

uint16_t CompileCaseLabel() {
  SwitchState &state = State();
  // The constant and the colon are read even when the label cannot be
  // entered, so that the statement after it compiles as written.
  bool enter = true;
  if (state.open.empty()) {
    CompileError<kMsgCaseOutsideSwitch>();
    enter = false;
  } else if (state.cases.size() >= kCaseTableCapacity) {
    CompileError<kMsgTooManyCases>();
    enter = false;
  }
  uint16_t value = 0;
  bool tooWide = false;
  const bool read = ReadCaseConstant(value, tooWide);
  if (enter && read) {
    if (IsDuplicate(state, value)) {
      CompileError<kMsgDuplicateCase>();
    } else {
      state.cases.push_back({value, Here()});
      if (tooWide)
        CompileError<kMsgCaseConstantType>();
    }
  }
  ExpectStatementChar(':');
  return kStatementPlain;
}

uint16_t CompileDefaultLabel() {
  SwitchState &state = State();
  ExpectStatementChar(':');
  if (state.open.empty()) {
    CompileError<kMsgCaseOutsideSwitch>();
    return kStatementPlain;
  }
  // A second default would silently take over the first one's cases.
  std::optional<ADDR24> &label = state.open.back().defaultLabel;
  if (label)
    CompileError<kMsgRedeclared>(std::string("default"));
  else
    label = Here();
  return kStatementPlain;
}

void ResetSwitchModule() {
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
