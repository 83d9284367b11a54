#include "compcore/cc_gen/operand_moves.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"

#include <algorithm>
#include <optional>

namespace tsw {

namespace {

// Corvid: HL = 0 in two bytes; the Z180 has only ld hl,0.
constexpr uint8_t kCorvidClearHlT[] = {TemplateHeader(2), 0xCC, 0x6C};
constexpr int kBitsPerByte = 8;
constexpr int16_t kWordBytes = 2;
constexpr int16_t kLongBytes = 4;

bool Corvid() { return CurrentCpu() == TargetCpu::Corvid; }

bool IsStructure(const ValueRecord &value) { return value.type >= kFirstStructType && !value.HasLevel(); }

// What the registers hold of the value: any address is a word.
uint8_t RegisterType(const ValueRecord &value) { return value.HasLevel() ? uint8_t(kTypeVoid) : value.type; }

// The register an access of `n` bytes takes next: the whole entry, or for
// a byte access of a pair its low byte first. The set wraps round after its
// last entry.
Reg TakeBytes(PrimaryRegister &registers, uint16_t n) {
  if (registers.count == 0)
    return Reg::None;
  const RegisterEntry &entry = registers.entries[size_t(registers.current)];
  Reg taken = entry.pair;
  if (n >= uint16_t(entry.size)) {
    registers.position = int16_t(registers.position + entry.size);
  } else {
    taken = registers.position % 2 == 0 ? entry.low : entry.high;
    registers.position = int16_t(registers.position + entry.size / 2);
  }
  if (registers.position >= entry.size) {
    registers.position = 0;
    registers.current = int16_t((registers.current + 1) % registers.count);
  }
  return taken;
}

Reg CurrentPair(const PrimaryRegister &registers) {
  return registers.count ? registers.entries[size_t(registers.current)].pair : Reg::None;
}

PrimaryRegister SingleRegister(Reg reg) {
  PrimaryRegister registers;
  registers.Add(reg);
  registers.fixed = true;
  return registers;
}

PrimaryRegister RegistersForType(uint8_t type, Reg pointerPair) {
  PrimaryRegister registers;
  registers.charInHl = true;
  registers.SetForType(type, pointerPair);
  return registers;
}

void SetValueRegister(ValueRecord &value, Reg reg) { value.SetByteResult(reg == Reg::A); }

// The operand bytes after the opcode just emitted: an immediate, an address
// (with its fixup while the address is unknown) or a one-byte displacement
// (IX+d -128..127, SP+n 0..255).
void EmitOperandBytes(OperandMove &move, uint16_t chunk) {
  ValueRecord &value = *move.value;
  switch (move.mode) {
  case AddressingKind::kImmediate: {
    if (!move.immediatePrepared) {
      move.immediate = ConstantValueBytes(value);
      move.immediate.count = std::max<int16_t>(move.immediate.count, int16_t(move.registers.totalSize));
      move.immediatePrepared = true;
    }
    const OperandKind kind = PendingOperandKind();
    move.immediate.Emit(kind == OperandKind::kWord ? kWordBytes : kind == OperandKind::kByte ? 1 : 0);
    return;
  }
  case AddressingKind::kDirect:
    EmitWord(VariableAddress(value, int16_t(move.runningOffset), 0).logical);
    break;
  case AddressingKind::kFrame:
    EmitCodeByte(uint8_t(int32_t(int16_t(value.value)) + move.runningOffset));
    break;
  case AddressingKind::kStack:
    EmitCodeByte(uint8_t(LocalStackOffset(value) + move.runningOffset));
    break;
  default:
    break;
  }
  move.runningOffset += chunk;
}

bool ClearsHlInTwoBytes(const OperandMove &move, Reg reg, uint16_t count) {
  ExpressionCodeFlags &flags = ExpressionFlags();
  if (!flags.clearHl || reg != Reg::HL || count != kWordBytes || move.mode != AddressingKind::kImmediate ||
      move.value->value != 0)
    return false;
  flags.clearHl = false;
  return Corvid();
}

// The registers `move` is about to write for the value, when a cached
// operand might sit in them.
void FlushIfWritten(const PrimaryRegister &written) {
  if (CachedOperand())
    FlushPrimaryRegisterColliding(written);
}

// A stack variable reached through HL: its address goes there first.
void ReachThroughHl(OperandMove &move) {
  if (move.value->storage == kStorageAuto && move.mode == AddressingKind::kIndirectHL)
    LoadStackOperand(*move.value, Reg::HL);
}

void EmitPushValueRegisters(OperandMove &move) {
  if (move.value->storage != kStoragePrimary) {
    CompileError<kMsgPushNotInRegisters>();
    return;
  }
  Reg pairs[2] = {Reg::None, Reg::None};
  const int words = std::min(int(move.registers.totalSize + 1) / kWordBytes, 2);
  for (int i = 0; i < words; ++i)
    pairs[i] = TakeBytes(move.registers, kWordBytes);
  for (int i = words - 1; i >= 0; --i)
    EmitPushPair(pairs[i]);
}

void EmitPopValueRegisters(OperandMove &move) {
  if (move.value->storage != kStorageStackStruct) {
    CompileError<kMsgPopNotOnStack>();
    return;
  }
  const int words = std::min(int(move.registers.totalSize + 1) / kWordBytes, 2);
  for (int i = 0; i < words; ++i)
    EmitPopPair(TakeBytes(move.registers, kWordBytes));
}

// The registers a push or pop of the value uses: an address a word in HL
// or the given pair, else the set of its type.
PrimaryRegister StackRegisters(const ValueRecord &value, Reg reg, bool isAddress) {
  if (isAddress)
    return RegistersForType(kTypeVoid, reg == Reg::Value ? Reg::HL : reg);
  if (reg == Reg::Value)
    return RegistersForType(value.type, Reg::HL);
  return SingleRegister(reg);
}

// The word HL was last stored to, and the code address behind that store.
// A later load of the same word into HL is left out while the statement
// compiler allows it and every instruction since kept HL and memory.
struct HlStore {
  bool known = false;
  EmitCache *cache = nullptr;
  ADDR24 after;
  AddressingKind mode = AddressingKind::kNotEncodable;
  const SymbolRecord *symbol = nullptr;
  int32_t place = 0;
};
struct HlReload {
  HlStore last;
  bool allowed = false;
};
HlReload &Reload() {
  static HlReload reload;
  return reload;
}

// The word a whole-word move of HL reaches, when it is one the reload test
// can tell again: a variable at a fixed address or a Corvid stack slot. A
// word another context may change in between (shared or protected data, a
// port) is not.
std::optional<HlStore> WordOfMove(const OperandMove &move, Reg reg, uint16_t chunk, uint16_t count) {
  const ValueRecord &value = *move.value;
  if (reg != Reg::HL || chunk != kWordBytes || count != kWordBytes || ValueMemoryClass(value) != 0 ||
      value.ioSpace != IoSpace::kMemory || IsStringLiteralSymbol(value.symbol))
    return std::nullopt;
  HlStore word;
  word.mode = move.mode;
  if (move.mode == AddressingKind::kDirect) {
    word.symbol = value.symbol;
    word.place = int32_t(value.value) + move.runningOffset;
  } else if (move.mode == AddressingKind::kStack) {
    word.place = LocalStackOffset(value) + move.runningOffset;
  } else {
    return std::nullopt;
  }
  return word;
}

bool SameWord(const HlStore &a, const HlStore &b) {
  return a.mode == b.mode && a.symbol == b.symbol && a.place == b.place;
}

bool IsCorvidPrefix(uint8_t byte) {
  constexpr uint8_t kAltd = 0x76, kIoi = 0xD3, kIoe = 0xDB;
  return byte == kAltd || byte == kIoi || byte == kIoe;
}

// Every instruction between the store and here keeps HL and memory.
bool CodeSinceKeepsHl(const HlStore &store) {
  EmitCache *code = Caches().currentCode;
  const InstructionDecoder &decode = EmittedCodeDecoder();
  if (!decode || store.cache != code)
    return false;
  const ADDR24 here = code->Current();
  // Code taken back below the store leaves nothing to go by.
  if (Addr24Less(here, store.after))
    return false;
  const int32_t span = int32_t(Addr24Difference(here, store.after));
  constexpr size_t kLongestInstruction = 6;
  for (int32_t at = 0; at < span;) {
    const ADDR24 address = Addr24Add(store.after, at);
    uint8_t bytes[kLongestInstruction] = {};
    const size_t available = std::min<size_t>(kLongestInstruction, size_t(span - at));
    for (size_t k = 0; k < available; ++k)
      bytes[k] = code->ReadAt(Addr24Add(address, int32_t(k)));
    // The decoder answers for a Corvid prefix, not for what it makes of the
    // instruction behind it (an I/O read into HL, a write under altd).
    if (Corvid() && IsCorvidPrefix(bytes[0]))
      return false;
    const DecodedInstruction instruction = decode(address, bytes, available);
    if (!instruction.keepsHlAndMemory || instruction.length == 0 || instruction.decodedFor != CurrentCpu())
      return false;
    at += instruction.length;
  }
  return true;
}

bool HlStillHolds(const OperandMove &move, Reg reg, uint16_t chunk, uint16_t count) {
  HlReload &reload = Reload();
  if (!reload.allowed || !reload.last.known)
    return false;
  const std::optional<HlStore> word = WordOfMove(move, reg, chunk, count);
  if (!word || !SameWord(*word, reload.last))
    return false;
  if (CodeSinceKeepsHl(reload.last))
    return true;
  // The first instruction that fails the test ends it.
  reload.allowed = false;
  return false;
}

} // namespace

ExpressionCodeFlags &ExpressionFlags() {
  static ExpressionCodeFlags flags;
  return flags;
}

int16_t OperandBytes::Emit(int16_t n) {
  const int16_t emitted = int16_t(std::clamp<int>(count - position, 0, n));
  for (int16_t i = 0; i < emitted; ++i)
    EmitCodeByte(uint8_t(value >> (kBitsPerByte * (position + i))));
  position = int16_t(position + emitted);
  if (position >= count)
    count = 0;
  return emitted;
}

OperandBytes ConstantValueBytes(const ValueRecord &value) {
  if (value.HasLevel() || value.type == kTypeVoid)
    return {value.value & 0xFFFF, kWordBytes, 0};
  switch (value.type) {
  case kTypeChar:
    return {value.value & 0xFF, 1, 0};
  case kTypeInt:
  case kTypeUnsigned:
    return {value.value & 0xFFFF, kWordBytes, 0};
  case kTypeLong:
  case kTypeUnsignedLong:
  case kTypeFloat:
    return {value.value, kLongBytes, 0};
  default:
    CompileError<kMsgUnsizedConstant>();
    return {};
  }
}

OperandMove::OperandMove(ValueRecord &bound) : value(&bound) { registers.charInHl = true; }

AddressingKind AddressingModeOfValue(const ValueRecord &value) {
  switch (value.storage) {
  case kStorageConstant:
    return AddressingKind::kImmediate;
  case kStorageGlobal:
  case kStorageStatic:
  case kStorageRegisterClass:
  case kStorageExtern:
    return AddressingKind::kDirect;
  case kStorageAuto:
    return ChooseFrameAddressingKind(value);
  case kStorageStackStruct:
    return AddressingKind::kIndirectHL;
  case kStoragePrimary:
    if (!value.IsLvalue())
      CompileError<kMsgNoAddress>();
    return AddressingKind::kIndirectHL;
  default:
    return AddressingKind::kNotEncodable;
  }
}

void RunMove(OperandMove &move, MoveKind kind, uint16_t count) {
  const uint16_t capacity = ChunkCapacity(kind, move.mode, CurrentPair(move.registers));
  if (capacity == 0) {
    CompileError<kMsgMoveNoCapacity>();
    return;
  }
  // A byte load into L while H is still to come would read through HL
  // after L changed: the byte waits in A.
  bool lowByteInA = false;
  std::optional<HlStore> storedHl;
  uint16_t remaining = count;
  while (remaining > 0) {
    const uint16_t chunk = std::min(remaining, capacity);
    MoveBeforeChunk(*move.value);
    Reg reg = TakeBytes(move.registers, chunk);
    bool emitted = true;
    if (kind == MoveKind::kLoad) {
      if (reg == Reg::L && chunk < remaining) {
        reg = Reg::A;
        lowByteInA = true;
      }
      if (HlStillHolds(move, reg, chunk, count))
        emitted = false;
      else if (ClearsHlInTwoBytes(move, reg, count))
        EmitCodeSequence(kCorvidClearHlT);
      else
        EmitLoadRegister(reg, move.mode);
    } else {
      storedHl = WordOfMove(move, reg, chunk, count);
      EmitStoreRegister(reg, move.mode);
    }
    if (emitted)
      EmitOperandBytes(move, chunk);
    else
      move.runningOffset += chunk;
    remaining = uint16_t(remaining - chunk);
    MoveAfterChunk(remaining > 0);
  }
  if (lowByteInA)
    EmitFixed(Fixed::kLdLA);
  MoveEnd();
  if (storedHl) {
    storedHl->known = true;
    storedHl->cache = Caches().currentCode;
    storedHl->after = Caches().currentCode->Current();
    Reload().last = *storedHl;
  }
}

void ForgetHlStore() { Reload().last = {}; }

void ForgetHlStoreJoinedAt(ADDR24 target) {
  if (Reload().last.known && !Addr24Less(target, Reload().last.after))
    ForgetHlStore();
}

HlReloadTest::HlReloadTest() : saved_(Reload().allowed) { Reload().allowed = true; }
HlReloadTest::~HlReloadTest() { Reload().allowed = saved_; }

void LoadValueToRegister(OperandMove &move, Reg reg, bool wantAddress, bool charInA) {
  ValueRecord &value = *move.value;
  if (ExpressionFlags().codeSuppressed || value.StepNotLoaded())
    return;
  // What the registers hold already: the value itself, or an address
  // wanted as one (a structure is only ever an address). A char held in A
  // and wanted in the value register comes to HL.
  if (value.storage == kStoragePrimary && (value.IsLvalue() ? wantAddress || IsStructure(value) : !wantAddress)) {
    if (!value.IsLvalue() && value.IsByteResult() && reg == Reg::Value && !charInA) {
      WidenCharInA(value);
      value.type = kTypeChar;
    }
    return;
  }
  // The registers get another value: what the flags said of theirs is gone.
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
  // A pushed value comes back off the stack.
  if (value.storage == kStorageStackStruct && !wantAddress && !IsStructure(value)) {
    PopValueToRegister(move, reg);
    return;
  }
  if (value.storage != kStoragePrimary && IsStructure(value) && !wantAddress) {
    CompileError<kMsgStructAsValue>();
    return;
  }
  bool decayed = false;
  if (value.Level() == kLevelArray) {
    if (wantAddress) {
      CompileError<kMsgArrayAddress>();
      CompileError<kMsgArrayValueAddress>();
      return;
    }
    value.declarator = (value.declarator & ~kLevelKindMask) | kLevelPointer;
    if (value.dimensions)
      ++value.dimensions;
    decayed = true;
    wantAddress = true;
  }
  // A decayed array's value is the address of its first element, which a
  // value in registers already is.
  if (decayed && value.storage == kStoragePrimary) {
    value.SetLvalue(false);
    return;
  }
  const uint8_t type = RegisterType(value);
  // A char not wanted in A goes to HL zero-extended: its byte comes
  // through A, which reaches every addressing mode.
  bool widenChar = false;
  if (reg == Reg::Value && !wantAddress) {
    if (type == kTypeChar && !charInA && value.storage != kStorageConstant) {
      move.registers = SingleRegister(Reg::A);
      widenChar = true;
    } else if (type == kTypeChar && charInA) {
      move.registers = SingleRegister(Reg::A);
    } else {
      move.registers = RegistersForType(type == kTypeChar ? uint8_t(kTypeInt) : type, Reg::HL);
    }
  } else if (reg == Reg::Value) {
    move.registers = RegistersForType(kTypeVoid, Reg::HL);
  } else {
    move.registers = SingleRegister(reg);
  }
  if (reg == Reg::Value) {
    FlushIfWritten(move.registers);
    // Widening writes HL as well.
    if (widenChar)
      FlushIfWritten(SingleRegister(Reg::HL));
  }

  if (wantAddress) {
    const Reg pair = CurrentPair(move.registers);
    if (value.storage == kStorageAuto)
      LoadStackOperand(value, pair);
    else
      LoadAddressToRegister(move, pair);
    value.storage = kStoragePrimary;
    value.SetLvalue(!decayed);
    value.SetByteResult(false);
    return;
  }
  move.mode = AddressingModeOfValue(value);
  if (value.type >= kTypeLong && value.type <= kTypeFloat && !value.HasLevel() &&
      value.storage != kStorageConstant && EmitLongLoadCall(value))
    return;
  ReachThroughHl(move);
  const uint16_t count = widenChar ? 1 : std::max<uint16_t>(TypeCodeSize(type == kTypeVoid ? uint8_t(kTypeInt) : type),
                                                          move.registers.totalSize);
  RunMove(move, MoveKind::kLoad, count);
  value.storage = kStoragePrimary;
  value.SetLvalue(false);
  SetValueRegister(value, CurrentPair(move.registers));
  // A char outside A sits in HL with H 0: still a char, already widened.
  if (widenChar) {
    WidenCharInA(value);
    value.type = kTypeChar;
  }
}

void PushValueToStack(OperandMove &move, Reg reg) {
  ValueRecord &value = *move.value;
  if (value.storage != kStoragePrimary) {
    CompileError<kMsgNotInRegister>();
    return;
  }
  if (value.IsByteResult()) {
    WidenCharInA(value);
    value.SetByteResult(false);
  }
  // An array's address in HL (a row of a matrix being subscripted) is an
  // address like a pointer's, whatever its elements are.
  const bool address = value.IsLvalue() || value.Level() == kLevelPointer || value.Level() == kLevelArray;
  move.registers = StackRegisters(value, reg, address);
  EmitPushValueRegisters(move);
  value.storage = kStorageStackStruct;
}

void PopValueToRegister(OperandMove &move, Reg reg) {
  ValueRecord &value = *move.value;
  if (value.storage != kStorageStackStruct) {
    CompileError<kMsgNotOnStack>();
    return;
  }
  move.registers = StackRegisters(value, reg, value.IsLvalue() || value.HasLevel());
  EmitPopValueRegisters(move);
  value.storage = kStoragePrimary;
}

void LoadAddressToRegister(OperandMove &move, Reg pair) {
  ValueRecord &value = *move.value;
  switch (value.storage) {
  case kStorageConstant:
    CompileError<kMsgConstantAddress>();
    return;
  case kStorageAuto:
    CompileError<kMsgAutoAddress>();
    return;
  case kStorageGlobal:
  case kStorageStatic:
  case kStorageRegisterClass:
  case kStorageExtern:
    FlushIfWritten(SingleRegister(pair));
    EmitLoadRegister(pair, AddressingKind::kImmediate);
    EmitWord(VariableAddress(value, int16_t(move.runningOffset), 0).logical);
    return;
  case kStorageStackStruct:
    EmitPopPair(pair);
    return;
  case kStoragePrimary:
    return;
  default:
    CompileError<kMsgAddressNotLoadable>();
  }
}

namespace {

// The object's address waits on the stack, pushed while the value was
// computed: it comes up into HL, a word value going round DE meanwhile
// (a char is stored from A, a long from DE:BC, which HL leaves alone).
void StoreThroughPushedAddress(ValueRecord &target) {
  const uint8_t type = RegisterType(target);
  ValueRecord through = target;
  through.storage = kStoragePrimary;
  through.SetLvalue(true);
  OperandMove move(through);
  move.mode = AddressingKind::kIndirectHL;
  const uint16_t size = type == kTypeVoid ? kWordBytes : TypeCodeSize(type);
  if (size != kWordBytes) {
    EmitPopPair(Reg::HL);
    move.registers = type == kTypeChar ? SingleRegister(Reg::A) : RegistersForType(type, Reg::HL);
    RunMove(move, MoveKind::kStore, size);
    return;
  }
  EmitPopPair(Reg::DE);
  EmitFixed(Fixed::kExDeHl);
  move.registers = SingleRegister(Reg::DE);
  RunMove(move, MoveKind::kStore, size);
  EmitFixed(Fixed::kExDeHl);
}

} // namespace

void StoreRegisterToValue(OperandMove &move, Reg source) {
  ValueRecord &target = *move.value;
  if (ExpressionFlags().codeSuppressed)
    return;
  if (target.storage == kStorageStackStruct && source == Reg::Value) {
    StoreThroughPushedAddress(target);
    return;
  }
  const uint8_t type = RegisterType(target);
  move.registers = source == Reg::Value ? RegistersForType(type, Reg::HL) : SingleRegister(source);
  if (type == kTypeChar && source == Reg::Value)
    move.registers = SingleRegister(Reg::A);
  move.mode = AddressingModeOfValue(target);
  if (move.mode == AddressingKind::kNotEncodable || move.mode == AddressingKind::kImmediate) {
    CompileError<kMsgNoStoreMode>();
    return;
  }
  RunMove(move, MoveKind::kStore, type == kTypeVoid ? kWordBytes : TypeCodeSize(type));
}

// A char takes a word on the stack and in HL alike.
uint16_t SwapSize(const ValueRecord &value) {
  if (value.HasLevel())
    return kWordBytes;
  const uint16_t size = TypeCodeSize(value.type);
  return size == 1 ? kWordBytes : size;
}

void SwapStackAndRegister(ValueRecord &stacked, ValueRecord &inRegisters) {
  const uint16_t stackSize = SwapSize(stacked);
  const uint16_t registerSize = SwapSize(inRegisters);
  const bool wordOnStack = stackSize == kWordBytes, longOnStack = stackSize == kLongBytes;
  const bool wordInRegisters = registerSize == kWordBytes, longInRegisters = registerSize == kLongBytes;
  if (!(wordOnStack || longOnStack) || !(wordInRegisters || longInRegisters)) {
    RaiseError(kMsgSwapSize, CurrentSourceLine(), CurrentSourceColumn(),
               DiagnosticText("Internal Error: Unable to swap stack with register operand"));
    return;
  }
  // A char held in A goes under as the word a pushed char is.
  if (inRegisters.IsByteResult()) {
    WidenCharInA(inRegisters);
    inRegisters.type = kTypeChar;
  }
  if (stackSize == registerSize) {
    EmitSwapTop(wordOnStack ? uint8_t(kTypeInt) : uint8_t(kTypeLong));
  } else if (wordOnStack) {
    // The long in DE:BC goes under; the word comes up into HL.
    EmitPopPair(Reg::HL);
    EmitPushPair(Reg::BC);
    EmitPushPair(Reg::DE);
  } else {
    // The word in HL goes under; the long comes up into DE:BC.
    EmitPopPair(Reg::DE);
    EmitPopPair(Reg::BC);
    EmitPushPair(Reg::HL);
  }
  stacked.storage = kStoragePrimary;
  stacked.SetLvalue(false);
  stacked.SetByteResult(false);
  inRegisters.storage = kStorageStackStruct;
}

void LoadConstantIntoPair(Reg pair, int16_t n) {
  if (pair == Reg::HL)
    FlushPrimaryRegister();
  EmitLoadRegister(pair, AddressingKind::kImmediate);
  EmitWord(uint16_t(n));
  if (pair == Reg::HL) {
    Emission().flagsValid = false;
    Emission().valueIsCondition = false;
  }
}

void LoadOperandToValueRegister(ValueRecord &value) {
  OperandMove move(value);
  LoadValueToRegister(move, Reg::Value, false, false);
}

void LoadOperandIntoBC(ValueRecord &value) {
  OperandMove move(value);
  LoadValueToRegister(move, Reg::BC, false, false);
}

void LoadOperandAddressIntoHL(ValueRecord &value) {
  OperandMove move(value);
  LoadValueToRegister(move, Reg::HL, true, false);
}

void LoadOperandAllowingA(ValueRecord &value) {
  if (value.storage == kStoragePrimary && value.type == kTypeChar && !value.HasLevel() && !value.IsLvalue()) {
    if (!value.IsByteResult())
      value.type = kTypeInt;
    return;
  }
  OperandMove move(value);
  LoadValueToRegister(move, Reg::Value, false, true);
}

void DereferenceOperand(ValueRecord &pointer) {
  if (ExpressionFlags().codeSuppressed)
    return;
  // The address was already taken as the object's: nothing to load.
  if (pointer.CodeFlag13()) {
    pointer.SetCodeFlag13(false);
    pointer.SetStepNotLoaded(false);
    return;
  }
  LoadOperandToValueRegister(pointer);
  pointer.declarator = RemoveLevel(pointer.declarator);
  pointer.SetLvalue(true);
  if (IsStructure(pointer) || pointer.Level() == kLevelArray)
    return;
  OperandMove move(pointer);
  LoadValueToRegister(move, Reg::Value, false, true);
}

void PushOperand(ValueRecord &value) {
  // An operand cached before this one lies beneath it on the stack: its
  // deferred push cannot wait any longer (a long in DE:BC pushed while a
  // destination's address waits in HL).
  if (CachedOperand() && CachedOperand() != &value)
    FlushPrimaryRegister();
  OperandMove move(value);
  PushValueToStack(move, Reg::Value);
}

void PopOperandToValueRegister(ValueRecord &value) {
  OperandMove move(value);
  PopValueToRegister(move, Reg::Value);
}

void PushIntConstant(int16_t n) {
  LoadConstantIntoPair(Reg::HL, n);
  EmitPushPair(Reg::HL);
}

void EmitStoreValue(ValueRecord &target, Reg source) {
  OperandMove move(target);
  StoreRegisterToValue(move, source);
}

void ResetOperandMoves() {
  ExpressionFlags() = {};
  ResetRegisterCache();
  Reload() = {};
}

} // namespace tsw
