#include "compcore/cc_parse/expr/expr_call.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/expr/expr_argument_text.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/prototypes.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_session.h"
#include "foundation/msgnumbers.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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

// A `firsttime` function is handed its caller's task buffer.
constexpr uint16_t kBufferAddressBytes = 2;
constexpr const char *kFirstTimeText = "First Time Func";

// The bytes of the cofunction protocol. A cofunction runs in steps: the
// call tests its task buffer and lock, and the carry after it says whether
// the cofunction took its arguments off the stack itself.
namespace cofunction {
constexpr uint8_t kLoadAFromHl = 0x7E;              // ld a,(hl)
constexpr uint8_t kCompareImmediate = 0xFE;         // cp n
constexpr uint8_t kLockTaken = 0xFF;
constexpr uint8_t kLoadBFromA = 0x47;               // ld b,a
constexpr uint8_t kLoadBFromL = 0x45;               // ld b,l
constexpr uint8_t kLoadBImmediate = 0x06;           // ld b,n
constexpr uint8_t kLoadCImmediate = 0x0E;           // ld c,n
constexpr uint8_t kLoadHlImmediate = 0x21;          // ld hl,nn
constexpr uint8_t kOrA = 0xB7;                      // or a
constexpr uint8_t kBitPrefix = 0xCB;
constexpr uint8_t kBit7OfHl = 0x7E;                 // bit 7,(hl): the buffer is running
constexpr uint8_t kBit0OfHl = 0x46;                 // bit 0,(hl): the lock is held
constexpr uint8_t kExchangeAf = 0x08;               // ex af,af'
constexpr uint8_t kRotateALeft = 0x17;              // rla
constexpr uint8_t kJumpIfNotZero = 0xC2;
constexpr uint8_t kJumpIfZero = 0xCA;
constexpr uint8_t kJumpIfCarry = 0xDA;
// What a cofunction takes off the stack on its own: the item word and the
// buffer address, and a single-user one its lock address too.
constexpr uint16_t kOwnBytes = 4;
constexpr uint16_t kOwnBytesSingleUser = 6;
} // namespace cofunction

// The callee's cofunction kind (0 a plain function, 1 a cofunction, more an
// indexed one) and whether it serves one caller at a time.
struct CofunctionCall {
  uint8_t kind = 0;
  bool singleUser = false;
  ADDR24 lock;
};
CofunctionCall CofunctionOf(const ValueRecord &callee) {
  return {callee.Instances(), (callee.flags & kValueAttr6) != 0, {}};
}

// What the callee's prototype says of its parameters, in declaration order.
struct ParameterType {
  uint8_t type = 0;
  uint32_t declarator = 0;
};
struct ParameterList {
  bool present = false;
  // "..." follows the fixed parameters.
  bool variable = false;
  std::vector<ParameterType> fixed;
};

// The callee's prototype, as its first declaration with typed parameters
// recorded it. A call through a pointer has none to hold it to.
ParameterList CalleeParameters(const ValueRecord &callee) {
  if (!callee.symbol)
    return {};
  const PrototypeEntry *entry = PrototypeOf(*callee.symbol);
  if (!entry)
    return {};
  ParameterList parameters;
  parameters.present = true;
  for (; entry->kind != kListEnds && entry->kind != kListEndsWithEllipsis; ++entry)
    parameters.fixed.push_back({entry->type, entry->declarator});
  parameters.variable = entry->kind == kListEndsWithEllipsis;
  return parameters;
}

// The prototype the arguments are held to: with prototype checks on, more
// arguments than a prototype without "..." has parameters warn 715 and the
// prototype is not used; fewer warn 716.
ParameterList CheckedParameters(const ValueRecord &callee, uint16_t count) {
  ParameterList parameters = CalleeParameters(callee);
  if (!parameters.present || !CompilerConfig().tcprot)
    return parameters;
  if (parameters.fixed.size() < count && !parameters.variable) {
    CompileWarningSerious<kMsgTooManyArguments>();
    return {};
  }
  if (parameters.fixed.size() > count)
    CompileWarningSerious<kMsgTooFewArguments>();
  return parameters;
}

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

// How far an argument differs from its parameter, when prototypes are
// checked: a different structure or a pointer for a number warn, as do
// other pointer levels; void where a value is wanted is an error.
void ReportArgumentMismatch(TypeMatch match) {
  if (!CompilerConfig().tcprot)
    return;
  switch (match) {
  case TypeMatch::kCompatible:
    return;
  case TypeMatch::kDifferentStructures:
  case TypeMatch::kPointerAgainstValue:
    CompileWarningTrivial<kMsgArgumentTypeDiffers>();
    return;
  case TypeMatch::kDifferentLevels:
    CompileWarningTrivial<kMsgArgumentPointerDiffers>();
    return;
  case TypeMatch::kVoidInvolved:
    CompileError<kMsgArgumentIncompatible>();
    return;
  }
}

// The argument in the value register, converted to its parameter's type
// unless the two cannot be converted into each other.
TypeMatch ConvertArgumentToParameter(ValueRecord &value, const ParameterType *entry) {
  if (!entry) {
    LoadOperandToValueRegister(value);
    return TypeMatch::kCompatible;
  }
  const TypeMatch match = TypeCompatibility(entry->type, value.type, entry->declarator, value.declarator);
  ReportArgumentMismatch(match);
  if (match == TypeMatch::kCompatible || match == TypeMatch::kDifferentLevels ||
      match == TypeMatch::kPointerAgainstValue) {
    // An array or an object converts as the value it gives, its address
    // or its contents, as an assignment's right-hand side does.
    if (value.storage != kStorageConstant)
      LoadOperandToValueRegister(value);
    ConvertOperandTo(value, entry->type, entry->declarator != kLevelNone, 0);
    value.declarator = entry->declarator;
  }
  LoadOperandToValueRegister(value);
  return match;
}

// A Typed callee reads its arguments' types from the stack: behind each
// argument its declarator word, then one word of its size and type code.
// Read upwards from the word last pushed, the two make the head of a watch
// result record, with the value itself right after them.
bool WantsArgumentDescriptors(const ValueRecord &callee) {
  return callee.symbol && (callee.symbol->flagsA & kFlagsATyped);
}

constexpr uint16_t kDescriptorSizeLimit = 0xFF;
constexpr unsigned kTypeCodeShift = 8;
constexpr unsigned kWordBits = 16;
constexpr uint32_t kLowWordMask = 0xFFFF;

void PushArgumentDescriptor(const ValueRecord &argument) {
  PushIntConstant(int16_t(argument.declarator >> kWordBits));
  PushIntConstant(int16_t(argument.declarator & kLowWordMask));
  // What was pushed, not the word it took: a char is one byte.
  const uint16_t size =
      argument.HasLevel() ? OperandByteSize(argument, OperandSizeMode::kPointer) : TypeCodeSize(argument.type);
  PushIntConstant(int16_t(std::min(size, kDescriptorSizeLimit) | argument.type << kTypeCodeShift));
}

// Below the first descriptor two zero words end the list, so that a
// callee taking "..." knows where the arguments stop.
void PushDescriptorListEnd() {
  PushIntConstant(0);
  PushIntConstant(0);
}

// One argument, `number` counted from 1 in the order they are compiled:
// the last one in the text first, so that the first lies nearest the
// callee's frame.
void CompileArgument(ExpandedArgumentScope &arguments, uint16_t number, const ParameterList &parameters,
                     bool describe, ValueRecord &value) {
  const uint16_t index = uint16_t(arguments.Count() - number);
  arguments.SelectArgument(index);
  value = {};
  CompileAssignmentExpression(value, true);
  if (!arguments.AtArgumentEnd(index))
    CompileError<kMsgCharExpected>();
  const ParameterType *entry = index < parameters.fixed.size() ? &parameters.fixed[index] : nullptr;
  if (IsStructure(value)) {
    if (entry)
      ReportArgumentMismatch(TypeCompatibility(entry->type, value.type, entry->declarator, value.declarator));
    PushStructureArgument(value);
  } else {
    ConvertArgumentToParameter(value, entry);
    PushOperand(value);
  }
  if (describe)
    PushArgumentDescriptor(value);
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

JumpRecord EmitForwardJump(uint8_t opcode) { return EmitJumpToAddr24(ADDR24{}, opcode); }
void ResolveHere(const JumpRecord &jump) { EmitFarJumpFixup(jump, Caches().currentCode->Current()); }

std::string CalleeName(const ValueRecord &callee) {
  return callee.symbol ? std::string(callee.symbol->name, callee.symbol->nameLength) : std::string();
}

// A single-user cofunction first claims its lock, a byte of its own in the
// data area: a caller that finds it taken by another leaves the call for
// the waitfordone to try again.
ADDR24 EmitLockClaim(const ValueRecord &callee) {
  const ADDR24 lock = ReserveRootVariableBytes(1);
  EmitCodeByte(cofunction::kLoadHlImmediate);
  EmitWord(lock.logical);
  EmitCodeByte(cofunction::kLoadAFromHl);
  EmitCodeByte(cofunction::kCompareImmediate);
  EmitCodeByte(cofunction::kLockTaken);
  EmitCodeByte(cofunction::kLoadBFromA);
  const JumpRecord free = EmitForwardJump(cofunction::kJumpIfNotZero);
  CofunctionCallContext &context = CofunctionCalls();
  context.lockAddress = Addr24ToLong(lock);
  ++context.lockCalls;
  EmitPushPair(Reg::HL);
  LoadCoBufferAddress();
  EmitPushPair(Reg::HL);
  bool pseudo = false;
  uint16_t pushed = 0;
  EmitDirectCall(CalleeName(callee), pseudo, pushed, Addr24FromLong(callee.symbol->address));
  EmitPopPair(Reg::BC);
  EmitPopPair(Reg::HL);
  EmitCodeByte(cofunction::kOrA);
  context.pendingLockJump = EmitForwardJump(cofunction::kJumpIfNotZero);
  ResolveHere(free);
  return lock;
}

// The words a cofunction call hands over besides the arguments: the item
// of the waitfordone, the lock, the task buffer. An indexed cofunction
// gets its instance index from the index code, reached through a label
// pair so that it runs here.
void EmitCofunctionCallHead(const CofunctionCall &co) {
  const uint8_t item = uint8_t(CofunctionCalls().itemNumber);
  if (co.kind == 1) {
    EmitCodeByte(cofunction::kLoadBImmediate);
    EmitCodeByte(0);
  } else {
    const uint16_t number = CurrentIndexedCallNumber();
    const std::string index = fmt::format("$cofif_{:04x}_1", number);
    const ADDR24 patch = Addr24Add(Caches().currentCode->Current(), kOperandAfterOpcode);
    const ADDR24 target = Addr24FromLong(
        ReferenceLabel(index, Addr24ToLong(patch), kFixCaptureOpcode | kFixLocal, 0, kOpJump));
    EmitJumpToAddr24(target, kOpJump);
    DefineLabelHere(fmt::format("$cofif_{:04x}_2", number), kFixLocal);
    EmitCodeByte(cofunction::kLoadBFromL);
  }
  EmitCodeByte(cofunction::kLoadCImmediate);
  EmitCodeByte(item);
  EmitPushPair(Reg::BC);
  if (co.singleUser) {
    EmitCodeByte(cofunction::kLoadHlImmediate);
    EmitWord(co.lock.logical);
    EmitPushPair(Reg::HL);
    EmitCodeByte(cofunction::kLoadAFromHl);
  }
  LoadCoBufferAddress();
  EmitPushPair(Reg::HL);
}

// A cofunction's arguments are compiled only when it is ready for them:
// a running buffer, or a free lock.
std::optional<JumpRecord> EmitArgumentSkip(const CofunctionCall &co, uint16_t count) {
  if (co.kind == 0 || (count == 0 && !co.singleUser))
    return std::nullopt;
  if (co.singleUser) {
    // HL holds the lock's address from its claim.
    EmitCodeByte(cofunction::kBitPrefix);
    EmitCodeByte(cofunction::kBit0OfHl);
    return EmitForwardJump(cofunction::kJumpIfNotZero);
  }
  LoadCoBufferAddress();
  EmitCodeByte(cofunction::kBitPrefix);
  EmitCodeByte(cofunction::kBit7OfHl);
  return EmitForwardJump(cofunction::kJumpIfZero);
}

// After a cofunction's call the carry says whether it took its arguments
// off the stack itself; its own words it always takes.
void RemoveAfterCofunctionCall(const CofunctionCall &co, uint16_t removed) {
  EmitCodeByte(cofunction::kExchangeAf);
  EmitCodeByte(cofunction::kRotateALeft);
  std::optional<JumpRecord> taken;
  if (co.singleUser || removed)
    taken = EmitForwardJump(cofunction::kJumpIfCarry);
  EmitAdjustStackPointer(int16_t(removed), true);
  if (taken)
    ResolveHere(*taken);
  const uint16_t own = co.singleUser ? cofunction::kOwnBytesSingleUser : cofunction::kOwnBytes;
  Emission().stackOffset = int16_t(Emission().stackOffset + removed + own);
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
  last = MakeValue(kTypeVoid, kLevelNone, kStorageConstant, false);
  if (!arguments.Usable())
    return;
  const ParameterList parameters = CheckedParameters(callee, arguments.Count());
  const std::optional<JumpRecord> skip = EmitArgumentSkip(CofunctionOf(callee), arguments.Count());
  const int16_t depth = StackDepth();
  const bool describe = WantsArgumentDescriptors(callee);
  if (describe)
    PushDescriptorListEnd();
  for (uint16_t number = 1; number <= arguments.Count(); ++number)
    CompileArgument(arguments, number, parameters, describe, last);
  pushed = uint16_t(pushed + BytesPushedSince(depth));
  if (skip)
    ResolveHere(*skip);
}

void EmitDirectCall(std::string_view name, bool &pseudo, uint16_t &pushed, ADDR24 known) {
  pseudo = IsPseudoFunction(name);
  if (pseudo)
    return;
  FlushPrimaryRegister();
  const ADDR24 bios = LookupBiosSymbol(name, ADDR24{});
  CodeGen().MapCallsFunction(name);
  const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  if (symbol && (symbol->flagsA & kFlagsAFirstTime)) {
    if (!CofunctionCalls().costateOpen) {
      CompileError<kMsgFirstTimeOutsideCostate>(kFirstTimeText);
    } else {
      LoadCoBufferAddress();
      EmitPushPair(Reg::HL);
      pushed = uint16_t(pushed + kBufferAddressBytes);
    }
  }
  // The debugger can stop at the call itself.
  if (Attributes().current & kAttrDebug)
    MarkStatementAtInput(0);
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
  const bool pointer =
      callee.Level() == kLevelPointer && OutermostLevel(RemoveLevel(callee.declarator)) == kLevelFunction;
  if (!pointer && callee.Level() != kLevelFunction)
    CompileError<kMsgNotCallable>();
  if (!WalkEmitsCode()) {
    // A constant reader only learns that this is no constant.
    ConsumeChar();
    ExpandedArgumentScope arguments;
    if (pointer)
      callee.declarator = RemoveLevel(callee.declarator);
    MakeCallResult(callee);
    return;
  }
  if (pointer) {
    LoadOperandToValueRegister(callee);
    callee.declarator = RemoveLevel(callee.declarator);
  }
  const bool named = NamesFunctionSymbol(callee);
  const bool throughPointer = !named && callee.Level() == kLevelFunction &&
                              (callee.storage == kStoragePrimary || callee.storage == kStorageStackStruct);
  CofunctionCall co = named ? CofunctionOf(callee) : CofunctionCall{};
  CofunctionCalls().cofunctionCalled = co.kind != 0;
  if (co.kind && Addr24ToLong(CofunctionCalls().waitfordoneLoop) == 0)
    CompileError<kMsgCofunctionOutsideWait>();
  FlushPrimaryRegister();
  ConsumeChar();
  if (co.singleUser)
    co.lock = EmitLockClaim(callee);
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
    if (co.kind)
      EmitCofunctionCallHead(co);
    bool pseudo = false;
    EmitDirectCall(CalleeName(callee), pseudo, pushed, Addr24FromLong(callee.symbol->address));
    removed = pushed;
  } else if (throughPointer) {
    removed = EmitPointerCall(callee, pushed);
  } else {
    // What is no function at all is reported above (445).
    if (callee.Level() == kLevelFunction)
      CompileError<kMsgUncallable>();
    removed = pushed;
  }
  if (co.kind)
    RemoveAfterCofunctionCall(co, removed);
  else
    EmitStackAdjustAndTrack(int16_t(removed));
  MakeCallResult(callee);
  NoteSideEffect(callee);
}

} // namespace tsw
