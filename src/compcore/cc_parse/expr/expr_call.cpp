#include "compcore/cc_parse/expr/expr_call.h"

#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_argument_text.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <cstdlib>
#include <string>

namespace tsw {

namespace {

// Pseudo functions the run-time support handles by name only: a call of
// either stands for no code. Compared on this many characters, so
// "FPUSHx" is one too.
constexpr std::string_view kPseudoPush = "FPUSH";
constexpr std::string_view kPseudoNull = "FNULL";
constexpr size_t kPseudoCompareLength = 5;

// The call's operand follows its one-byte opcode; the fixup captures the
// opcode so the call can be emitted again once the function is placed.
constexpr int32_t kOperandAfterOpcode = 1;
constexpr uint16_t kCallFixupFlags = kFixCaptureOpcode | kFixGlobal;

constexpr uint16_t kCalleePointerBytes = 2;

bool IsPseudoFunction(std::string_view name) {
  const std::string_view head = name.substr(0, kPseudoCompareLength);
  return head == kPseudoPush || head == kPseudoNull;
}

// Kinds that name a function symbol, called by its name.
bool NamesFunctionSymbol(const ValueRecord &callee) {
  return callee.symbol && callee.Level() == kLevelFunction &&
         (callee.storage == kStorageGlobal || callee.storage == kStorageStatic || callee.storage == kStorageExtern);
}

bool IsStructure(const ValueRecord &value) { return value.type >= kFirstStructType && !value.HasLevel(); }
bool ReturnsStructure(const ValueRecord &callee) {
  return callee.type >= kFirstStructType && RemoveLevel(callee.declarator) == kLevelNone;
}

// The stack as the emitters track it: pushes lower the offset.
int16_t StackDepth() { return Emission().stackOffset; }
uint16_t BytesPushedSince(int16_t depth) { return uint16_t(depth - StackDepth()); }

// The stack bytes `above` bytes over the stack pointer as a frame value,
// whose offset counts from the depth the function started at.
ValueRecord StackSlot(uint8_t type, uint32_t declarator, uint16_t above) {
  const EmissionState &e = Emission();
  const int32_t offset = int32_t(above) - std::abs(int32_t(e.stackOffset)) - std::abs(int32_t(e.ipStackOffset)) -
                         e.frameBase;
  ValueRecord slot = MakeValue(type, declarator, kStorageAuto, true);
  slot.value = uint32_t(offset);
  return slot;
}

// A structure argument is copied into stack space of its size; one that a
// call left on the stack already lies where the copy would go.
void PushStructureArgument(ValueRecord &argument) {
  if (argument.storage == kStorageStackStruct)
    return;
  EmitStackAdjustAndTrack(int16_t(-int32_t(TypeCodeSize(argument.type))));
  ValueRecord destination = StackSlot(argument.type, kLevelNone, 0);
  EmitStructCopy(destination, argument);
}

// One argument, `number` counted from 1 in the order they are compiled:
// the last one in the text first, so that the first lies nearest the
// callee's frame.
void CompileArgument(ExpandedArgumentScope &arguments, uint16_t number, ValueRecord &value) {
  const uint16_t index = uint16_t(arguments.Count() - number);
  arguments.SelectArgument(index);
  value = {};
  CompileConditional(value);
  if (!arguments.AtArgumentEnd(index))
    CompileError<kMsgCharExpected>();
  if (IsStructure(value)) {
    PushStructureArgument(value);
    return;
  }
  LoadOperandToValueRegister(value);
  PushOperand(value);
}

// The callee's pointer goes on the stack before the arguments; the call
// takes it from there.
void PushCalleePointer(ValueRecord &callee) {
  if (callee.storage == kStorageStackStruct)
    return;
  ValueRecord pointer = callee;
  pointer.declarator = AddLevel(callee.declarator, kLevelPointer);
  pointer.SetLvalue(false);
  if (pointer.storage != kStoragePrimary)
    LoadOperandToValueRegister(pointer);
  PushOperand(pointer);
  callee.storage = kStorageStackStruct;
}

// A call through the pointer the caller pushed before its arguments: the
// pointer must be on top of the stack, where the return address takes its
// place. Answers the bytes the caller still removes.
uint16_t EmitPointerCall(ValueRecord &callee, uint16_t pushed) {
  // The frame is addressed through SP while the call is made, whatever kind
  // of function holds it.
  FunctionAttributes &attributes = Attributes();
  const uint32_t cofunctionBits = attributes.current & kAttrCofuncMask;
  attributes.current &= ~kAttrCofuncMask;
  uint16_t removed = pushed;
  if (pushed > kCalleePointerBytes) {
    ValueRecord pointer =
        StackSlot(callee.type, AddLevel(callee.declarator, kLevelPointer), uint16_t(pushed - kCalleePointerBytes));
    LoadOperandToValueRegister(pointer);
    PushOperand(pointer);
  } else {
    // No arguments: the pushed pointer's word becomes the return address.
    removed = uint16_t(pushed - kCalleePointerBytes);
  }
  ValueRecord target = callee;
  target.storage = kStoragePrimary;
  EmitCofunctionIndirectCall(target);
  attributes.current |= cofunctionBits;
  return removed;
}

// What the function returns: in the value register, or a structure left on
// the stack in the space reserved before the arguments.
void MakeCallResult(ValueRecord &callee) {
  if (callee.Level() == kLevelFunction)
    callee.declarator = RemoveLevel(callee.declarator);
  callee.storage = IsStructure(callee) ? kStorageStackStruct : kStoragePrimary;
  callee.SetLvalue(false);
  callee.wasLvalue = 0;
  callee.value = 0;
  callee.SetFlag(kValueInstancesMask | kValueAttr6, false);
}

} // namespace

void CompileCallArguments(ExpandedArgumentScope &arguments, const ValueRecord &callee, ValueRecord &last,
                          uint16_t &pushed) {
  (void)callee;
  last = MakeValue(kTypeVoid, kLevelNone, kStorageConstant, false);
  if (!arguments.Usable())
    return;
  const int16_t depth = StackDepth();
  for (uint16_t number = 1; number <= arguments.Count(); ++number)
    CompileArgument(arguments, number, last);
  pushed = uint16_t(pushed + BytesPushedSince(depth));
}

void EmitDirectCall(std::string_view name, bool &pseudo, uint16_t &pushed, ADDR24 known) {
  (void)pushed;
  pseudo = IsPseudoFunction(name);
  if (pseudo)
    return;
  FlushPrimaryRegister();
  const ADDR24 bios = LookupBiosSymbol(name, ADDR24{});
  CodeGen().MapCallsFunction(name);
  const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  ADDR24 target = bios;
  if (Addr24ToLong(target) == 0)
    target = known;
  if (Addr24ToLong(target) == 0) {
    const ADDR24 patch = Addr24Add(Caches().currentCode->Current(), kOperandAfterOpcode);
    target = Addr24FromLong(ReferenceLabel(name, Addr24ToLong(patch), kCallFixupFlags, 0, kOpCall));
  }
  EmitCallToAddr24(target, kOpCall, symbol);
}

void CompileFunctionCall(ValueRecord &callee) {
  Walk().needsCode = true;
  // A pointer to a function is called through its value.
  if (callee.Level() == kLevelPointer && OutermostLevel(RemoveLevel(callee.declarator)) == kLevelFunction) {
    LoadOperandToValueRegister(callee);
    callee.declarator = RemoveLevel(callee.declarator);
  } else if (callee.Level() != kLevelFunction) {
    CompileError<kMsgNotCallable>();
  }
  FlushPrimaryRegister();
  ConsumeChar();
  const bool named = NamesFunctionSymbol(callee);
  const bool throughPointer = !named && callee.Level() == kLevelFunction &&
                              (callee.storage == kStoragePrimary || callee.storage == kStorageStackStruct);
  if (ReturnsStructure(callee)) {
    if (!named)
      CompileError<kMsgStructResultThroughPointer>();
    EmitStackAdjustAndTrack(int16_t(-int32_t(TypeCodeSize(callee.type))));
  }
  uint16_t pushed = 0;
  if (throughPointer) {
    PushCalleePointer(callee);
    pushed = kCalleePointerBytes;
  }
  {
    ExpandedArgumentScope arguments;
    ValueRecord last;
    CompileCallArguments(arguments, callee, last, pushed);
  }
  uint16_t removed = 0;
  if (named) {
    bool pseudo = false;
    const std::string name(callee.symbol->name, callee.symbol->nameLength);
    EmitDirectCall(name, pseudo, pushed, Addr24FromLong(callee.symbol->address));
    removed = pushed;
  } else if (throughPointer) {
    removed = EmitPointerCall(callee, pushed);
  } else {
    // What is no function at all is reported above (445).
    if (callee.Level() == kLevelFunction)
      CompileError<kMsgUncallable>();
    removed = pushed;
  }
  EmitStackAdjustAndTrack(int16_t(removed));
  MakeCallResult(callee);
}

} // namespace tsw
