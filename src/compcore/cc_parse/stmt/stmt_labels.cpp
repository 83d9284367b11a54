#include "compcore/cc_parse/stmt/stmt_labels.h"

#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/stmt_switch.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"

#include <string>

namespace tsw {

namespace {

// A label's record: declared by a goto before it is placed, placed once.
constexpr uint32_t kLabelDeclarator = 2;
constexpr uint16_t kLabelReferenced = 0xFFFF;
constexpr uint16_t kLabelPlaced = 0;
// The operand of a JP follows its opcode byte.
constexpr int32_t kJumpOperandOffset = 1;

ADDR24 Here() { return Caches().currentCode->Current(); }

// A jump to a label right behind a statement hook runs the hook, so that
// the debugger stops at the statement the goto reaches.
ADDR24 LabelAddress() {
  const FunctionStatementState &f = StatementState();
  const ADDR24 here = Here();
  if (f.hasMark && Addr24ToLong(Addr24Add(f.hookAddress, 1)) == Addr24ToLong(here))
    return f.hookAddress;
  return here;
}

SymbolRecord *EnterLabel(const std::string &name, uint16_t definition) {
  return AddSymbol(name, kLabelDeclarator, kTypeLabel, definition, kClassAutoLocal);
}

// Labels in a row are taken one after the other rather than each through
// the dispatcher, so that a long run of case labels costs no host stack.
uint16_t CompileStatementAfterLabels() {
  for (;;) {
    SkipBlanksAcrossLines();
    if (AtEndOfInput() || *InputCursor == '}')
      return kStatementPlain;
    if (MatchKeyword("case"))
      CompileCaseLabel();
    else if (MatchKeyword("default"))
      CompileDefaultLabel();
    else if (!TryCompileLabel())
      return CompileStatementBody();
  }
}

} // namespace

bool TryCompileLabel() {
  const InputMark start = MarkInput();
  std::string name;
  if (!ReadIdentifier(name) || SkipSpaces() != ':') {
    ReturnToInputMark(start);
    return false;
  }
  SkipBlanksAndMatchChar(':');
  SymbolRecord *label = LookupSymbol(name, false, SymbolTableId::kLocal);
  // Whether the label is placed is asked of the label table, which a
  // statement compiled again after an overflow finds as it was; a label
  // placed twice keeps its first place, where earlier gotos already jump.
  const BRFixupRec *placed = FindLocalLabel(name);
  if ((label && label->type != kTypeLabel) || (placed && placed->defined)) {
    CompileError<kMsgRedeclared>(name);
    return true;
  }
  if (!label)
    label = EnterLabel(name, kLabelPlaced);
  label->definition = kLabelPlaced;
  label->address = Addr24ToLong(LabelAddress());
  DefineLabel(name, label->address, kFixLocal);
  FunctionStatementState &f = StatementState();
  f.labelSliceBytes[name] = f.sliceStackBytes;
  std::erase_if(f.forwardGotoSliceBytes, [&](const std::pair<std::string, uint16_t> &jump) {
    if (jump.first != name)
      return false;
    if (jump.second != f.sliceStackBytes)
      CompileError<kMsgGotoCrossesSlice>(name);
    return true;
  });
  return true;
}

uint16_t CompileGoto() {
  if (InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  SkipBlanksAcrossLines();
  std::string name;
  if (!ReadIdentifier(name)) {
    CompileError<kMsgGotoWithoutLabel>();
    ExpectStatementSemicolon();
    return kStatementPlain;
  }
  if (!LookupSymbol(name, false, SymbolTableId::kLocal))
    EnterLabel(name, kLabelReferenced);
  // A label behind the goto is where the slice words can still be taken
  // off; one ahead of it is checked when it is placed.
  FunctionStatementState &f = StatementState();
  const BRFixupRec *placed = FindLocalLabel(name);
  if (placed && placed->defined) {
    const auto depth = f.labelSliceBytes.find(name);
    const uint16_t labelBytes = depth == f.labelSliceBytes.end() ? 0 : depth->second;
    if (labelBytes > f.sliceStackBytes)
      CompileError<kMsgGotoCrossesSlice>(name);
    else
      EmitAdjustStackPointer(int16_t(f.sliceStackBytes - labelBytes), false);
  } else {
    f.forwardGotoSliceBytes.emplace_back(name, f.sliceStackBytes);
  }
  const uint32_t operand = Addr24ToLong(Addr24Add(Here(), kJumpOperandOffset));
  const uint32_t target = ReferenceLabel(name, operand, kFixLocal);
  EmitJumpToAddr24(Addr24FromLong(target), kOpJump);
  ExpectStatementSemicolon();
  return kStatementJumps;
}

uint16_t CompileCaseStatement() {
  CompileCaseLabel();
  return CompileStatementAfterLabels();
}

uint16_t CompileDefaultStatement() {
  CompileDefaultLabel();
  return CompileStatementAfterLabels();
}

uint16_t CompileLabeledStatement() {
  if (!TryCompileLabel())
    return kNotThisStatement;
  return CompileStatementAfterLabels();
}

} // namespace tsw
