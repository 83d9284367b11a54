#include "compcore/cc_parse/expr/expr_waitfordone.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/costate.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"

#include <fmt/format.h>

#include <optional>
#include <string>

namespace tsw {
namespace {

constexpr const char *kHeaderRoutine = "__wfdheader";
constexpr const char *kSliceYieldRoutine = "__slice_yield";
constexpr const char *kConstructName = "waitfordone";

// A symbol that is a cofunction or a firsttime function: an item that
// starts with it is a call, not an assignment.
constexpr uint16_t kAttrFirstTimeBit = 1u << 5;
constexpr uint16_t kAttrInstanceBits = 0x3Fu << 7;

namespace op {
constexpr uint8_t kLoadHl = 0x21;
constexpr uint8_t kPushHl = 0xE5;
constexpr uint8_t kExx = 0xD9;
constexpr uint8_t kOrA = 0xB7;
constexpr uint8_t kBitPrefix = 0xCB;
constexpr uint8_t kSet5OfHl = 0xEE;
constexpr uint8_t kRes7OfHl = 0xBE;
constexpr uint8_t kBit5OfHl = 0x6E;
constexpr uint8_t kJumpIfNotZero = 0xC2;
constexpr uint8_t kJumpIfZero = 0xCA;
constexpr uint8_t kJumpIfMinus = 0xFA;
} // namespace op

// HL = the signed result byte at offset 10 of the buffer in HL.
constexpr uint8_t kLoadResultByte[] = {
    0x06, 0x00,       // ld b,0
    0x0E, 0x0A,       // ld c,10
    0x09,             // add hl,bc
    0x6E,             // ld l,(hl)
    0xCB, 0x7D,       // bit 7,l
    0x26, 0x00,       // ld h,0
    0x28, 0x01,       // jr z,+1
    0x25,             // dec h
};
static_assert(sizeof(kLoadResultByte) == 13);

ADDR24 Here() { return Caches().currentCode->Current(); }

void EmitPrefixed(uint8_t second) {
  EmitCodeByte(op::kBitPrefix);
  EmitCodeByte(second);
}

// A jump to a local label of this function, defined or still to come.
void EmitJumpToLabel(const std::string &name, uint8_t opcode) {
  const ADDR24 patch = Addr24Add(Here(), 1);
  const uint32_t target = ReferenceLabel(name, Addr24ToLong(patch), kFixCaptureOpcode | kFixLocal, 0, opcode);
  EmitJumpToAddr24(Addr24FromLong(target), opcode);
}

JumpRecord EmitForwardJump(uint8_t opcode) { return EmitJumpToAddr24(ADDR24{}, opcode); }
void ResolveHere(const JumpRecord &jump) { EmitFarJumpFixup(jump, Here()); }

struct Waitfordone {
  uint16_t number = 0;
  bool firstDone = false;
  std::string DoneLabel() const { return fmt::format("$wfd{:03x}_done", number); }
  std::string AbortLabel() const { return fmt::format("$wfd{:03x}_abort", number); }
  std::string AssignLabel(uint16_t item) const { return fmt::format("wfd{:03x}{:03x}_1", number, item); }
};

// The name at the cursor without taking it.
std::string PeekName() {
  const char *end = InputCursor;
  while (IsIdentChar(*end))
    ++end;
  return std::string(InputCursor, size_t(end - InputCursor));
}

bool NamesVariable(const std::string &name) {
  const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kLocal);
  if (!symbol)
    symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  return symbol && !(SymbolAttributeWord(*symbol) & (kAttrFirstTimeBit | kAttrInstanceBits));
}

// variable "=": the store of the call's result, reached from behind the
// call when it is done. The result comes in the other register set.
ValueRecord CompileResultStore(const Waitfordone &w, uint16_t item, std::optional<JumpRecord> &storeEnd) {
  const JumpRecord over = EmitForwardJump(kOpJump);
  DefineLabelHere(w.AssignLabel(item), kFixLocal);
  ValueRecord target;
  CompilePostfixExpression(target, false);
  LoadOperandAddressIntoHL(target);
  EmitPushPair(Reg::HL);
  EmitCodeByte(op::kExx);
  ValueRecord through = target;
  through.storage = kStorageStackStruct;
  EmitStoreValue(through, Reg::Value);
  ExpectChar('=');
  if (w.firstDone)
    EmitJumpToLabel(w.DoneLabel(), kOpJump);
  else
    storeEnd = EmitForwardJump(kOpJump);
  ResolveHere(over);
  return target;
}

// item = [ variable "=" ] cofunction-call
void CompileItem(const Waitfordone &w, uint16_t item) {
  if (!IsIdentStart(SkipToOperand())) {
    CompileError<kMsgWaitfordoneItemName>();
    return;
  }
  std::optional<ValueRecord> target;
  std::optional<JumpRecord> storeEnd;
  if (NamesVariable(PeekName()))
    target = CompileResultStore(w, item, storeEnd);

  CofunctionCallContext &calls = CofunctionCalls();
  calls.cofunctionCalled = false;
  calls.pendingLockJump.reset();
  ValueRecord result;
  CompilePostfixExpression(result, false);
  if (!calls.cofunctionCalled && !calls.pendingLockJump)
    CompileError<kMsgWaitfordoneItemNotCofunction>();
  // A cofunction that ran to its end says so in the sign of A.
  if (!calls.pendingLockJump) {
    EmitCodeByte(op::kOrA);
    EmitJumpToLabel(w.DoneLabel(), op::kJumpIfMinus);
    // Zero: the cofunction ended in this step. Without a store to end
    // through, a waitforfirstdone ends here.
    if (w.firstDone && !target)
      EmitJumpToLabel(w.DoneLabel(), op::kJumpIfZero);
  }
  std::optional<JumpRecord> notDone;
  if (target) {
    if (result.type == target->type && result.declarator == target->declarator) {
      EmitJumpToLabel(w.AssignLabel(item), op::kJumpIfZero);
    } else {
      notDone = EmitForwardJump(op::kJumpIfNotZero);
      EmitCodeByte(op::kExx);
      ConvertOperandTo(result, target->type, target->HasLevel(), kConvertDefaultOptions);
      EmitCodeByte(op::kExx);
      EmitJumpToLabel(w.AssignLabel(item), kOpJump);
    }
  }
  if (storeEnd)
    ResolveHere(*storeEnd);
  if (notDone)
    ResolveHere(*notDone);
  if (calls.pendingLockJump) {
    ResolveHere(*calls.pendingLockJump);
    calls.pendingLockJump.reset();
  }
}

// The two words the routine takes are known only after the items: the
// lock of a single-user cofunction called in them, and how many such
// calls there are.
struct Header {
  ADDR24 lockOperand;
  ADDR24 countOperand;
};
Header EmitHeader() {
  Header header;
  EmitCodeByte(op::kLoadHl);
  header.lockOperand = Here();
  EmitWord(0);
  EmitCodeByte(op::kPushHl);
  EmitCodeByte(op::kLoadHl);
  header.countOperand = Here();
  EmitWord(0);
  EmitCodeByte(op::kPushHl);
  LoadCoBufferAddress();
  EmitCallNamedRoutine(kHeaderRoutine);
  return header;
}

// Back to the task's scheduler until the next step, then the items again;
// when done, the buffer's result byte.
void EmitTail(const Waitfordone &w, ADDR24 loop) {
  LoadCoBufferAddress();
  EmitPrefixed(op::kRes7OfHl);
  EmitPrefixed(op::kBit5OfHl);
  EmitJumpToLabel(w.DoneLabel(), op::kJumpIfNotZero);
  if (InSliceBody()) {
    LoadCoBufferAddress();
    EmitCallNamedRoutine(kSliceYieldRoutine);
  } else {
    EmitResumePoint(kConstructName, false, EmitLeaveTask);
  }
  EmitJumpToAddr24(loop, kOpJump);
  DefineLabelHere(w.DoneLabel(), kFixLocal);
  LoadCoBufferAddress();
  for (uint8_t byte : kLoadResultByte)
    EmitCodeByte(byte);
  DefineLabelHere(w.AbortLabel(), kFixLocal);
}

// The block's closing brace becomes the ";" that ends the statement
// around the expression.
void EndBlockAtItsBrace() {
  ConsumeChar();
  *--InputCursor = ';';
  --InputColumn;
}

// Without a task to leave nothing is compiled: the construct's text is
// passed over, so that its items raise nothing more.
void SkipConstruct() {
  const bool block = SkipToOperand() == '{';
  int depth = 0;
  for (char c = SkipToOperand(); c != '\0'; c = SkipToOperand()) {
    if (!block && c == ';')
      return;
    if (c == '{')
      ++depth;
    if (c == '}' && --depth == 0) {
      EndBlockAtItsBrace();
      return;
    }
    ConsumeChar();
  }
}

// The items, one or a braced block of them.
void CompileItems(const Waitfordone &w) {
  CofunctionCallContext &calls = CofunctionCalls();
  const bool block = SkipToOperand() == '{';
  if (block)
    ConsumeChar();
  for (;;) {
    MarkStatementAtInput(0);
    CompileItem(w, ++calls.itemNumber);
    const char c = SkipToOperand();
    if (!block) {
      if (c != ';')
        CompileError<kMsgFunctionBodyExpected>();
      return;
    }
    if (c == ';') {
      ConsumeChar();
      if (SkipToOperand() != '}')
        continue;
    }
    if (SkipToOperand() != '}') {
      CompileError<kMsgOpenBraceExpected>();
      return;
    }
    EndBlockAtItsBrace();
    return;
  }
}

} // namespace

void CompileWaitfordone(ValueRecord &value, bool firstDone) {
  value = MakeValue(kTypeInt, kLevelNone, kStoragePrimary, false);
  if (InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  CostateModuleState &state = CostateState();
  CofunctionCallContext &calls = state.calls;
  calls.itemNumber = 0;
  const Waitfordone w{++state.waitfordoneCounter, firstDone};
  calls.lockAddress = 0;
  calls.lockCalls = 0;
  if (!CurrentCostateRecord()) {
    CompileError<kMsgFirstTimeOutsideCostate>(std::string(kConstructName));
    SkipConstruct();
    return;
  }
  const Header header = EmitHeader();
  const ADDR24 loop = Here();
  calls.waitfordoneLoop = loop;
  LoadCoBufferAddress();
  EmitPrefixed(op::kSet5OfHl);
  CompileItems(w);
  PatchCodeWord(header.lockOperand, uint16_t(calls.lockAddress));
  PatchCodeWord(header.countOperand, calls.lockCalls);
  EmitTail(w, loop);
  calls.waitfordoneLoop = ADDR24{};
}

} // namespace tsw
