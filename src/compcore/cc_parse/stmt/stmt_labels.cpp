#include "compcore/cc_parse/stmt/stmt_labels.h"

#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/control_flow.h"
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

SymbolRecord *EnterLabel(const std::string &name, uint16_t definition) {
  return AddSymbol(name, kLabelDeclarator, kTypeLabel, definition, kClassAutoLocal);
}

} // namespace

bool TryCompileLabel() {
  const InputMark start = MarkInput();
  std::string name;
  if (!ReadIdentifier(name) || SkipSpaces() != ':') {
    ReturnToInputMark(start);
    return false;
  }
  ConsumeChar();
  SymbolRecord *label = LookupSymbol(name, false, SymbolTableId::kLocal);
  // A label placed twice keeps its first place: the gotos already patched
  // to it must not disagree with those still to come.
  if (label && label->definition != kLabelReferenced) {
    CompileError<kMsgRedeclared>(name);
    return true;
  }
  if (!label)
    label = EnterLabel(name, kLabelPlaced);
  label->definition = kLabelPlaced;
  label->address = Addr24ToLong(Here());
  DefineLabel(name, label->address, kFixLocal);
  return true;
}

uint16_t CompileGoto() {
  if (InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  SkipToOperand();
  std::string name;
  if (!ReadIdentifier(name)) {
    CompileError<kMsgGotoWithoutLabel>();
    ExpectChar(';');
    return kStatementPlain;
  }
  if (!LookupSymbol(name, false, SymbolTableId::kLocal))
    EnterLabel(name, kLabelReferenced);
  const uint32_t operand = Addr24ToLong(Addr24Add(Here(), kJumpOperandOffset));
  const uint32_t target = ReferenceLabel(name, operand, kFixLocal);
  EmitJumpToAddr24(Addr24FromLong(target), kOpJump);
  ExpectChar(';');
  return kStatementJumps;
}

} // namespace tsw
