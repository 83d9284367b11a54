#include "compcore/cc_parse/expr/expr_assign.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_tree.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "foundation/msgnumbers.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tsw {

namespace {

// ConvertOperandTo's option bits: a constant store converts as an
// initializer would, a register store only as a plain conversion.
constexpr uint8_t kConvertPlain = 1;
constexpr uint8_t kConvertForConstantStore = 3;

constexpr int16_t kAddressBytes = 2;

// Bit 2 of a level marks it const; the outermost level's, the object.
constexpr uint32_t kConstLevelBit = 4;

bool IsStructure(const ValueRecord &value) { return value.type >= kFirstStructType && !value.HasLevel(); }

bool IsPlainVoid(uint8_t type, uint32_t word) { return type == kTypeVoid && OutermostLevel(word) == kLevelNone; }

bool IsArrayOrPointer(uint32_t kind) { return kind == kLevelArray || kind == kLevelPointer; }

uint16_t StructureSize(uint8_t type) {
  const TypeRecord *record = TypeRecordAt(int16_t(type));
  return record ? record->size : 0;
}

void CompileRightHandSide(ValueRecord &value, AST *node) { CompileAssignmentExpression(value, true, node); }

// A function designator or pointer to a function that carries cofunction
// instances cannot be stored: the instances would be lost.
void CheckCofunctionSource(const ValueRecord &source) {
  const bool function = OutermostLevel(RemoveLevel(source.declarator)) == kLevelFunction;
  if (function && (source.Instances() != 0 || (source.flags & kValueAttr6)))
    CompileError<kMsgCofunctionPointerAssigned>();
}

// The destination may be written: not const itself, and its own
// modifiable bit or either of the two symbol attribute bits its record
// carries for storage that takes stores all the same.
bool MayBeWritten(const ValueRecord &destination) {
  if (destination.declarator & kConstLevelBit)
    return false;
  return destination.IsModifiable() || (destination.flags & kValueAttr14) ||
         (destination.flags2 & kValueFlags2Attr15);
}

// The kinds of a declarator word's levels, their const marks dropped: a
// const object or pointee is no level of its own.
uint32_t LevelKinds(uint32_t word) {
  uint32_t kinds = 0;
  for (int shift = 0; shift < 32; shift += kLevelBits)
    kinds |= ((word >> shift) & kLevelKindMask) << shift;
  return kinds;
}

// The copy of a structure into a structure of the same size. A structure a
// call left on the stack lies under the destination address pushed before
// the call; both are released after the copy.
void StoreStructure(ValueRecord &destination, ValueRecord &source) {
  if (source.storage != kStorageStackStruct) {
    EmitStructCopy(destination, source);
    destination.storage = kStoragePrimary;
    return;
  }
  const uint16_t size = StructureSize(destination.type);
  const EmissionState &e = Emission();
  const int32_t depth = std::abs(int32_t(e.stackOffset)) + std::abs(int32_t(e.ipStackOffset));
  // Frame offsets that LocalStackOffset turns into SP + k.
  const auto atStackTop = [&](int32_t k) { return uint32_t(k - e.frameBase - depth); };
  ValueRecord savedAddress = MakeValue(kTypeVoid, AddLevel(kLevelNone, kLevelPointer), kStorageAuto, true);
  savedAddress.value = atStackTop(size);
  LoadOperandToValueRegister(savedAddress);
  ValueRecord target = MakeValue(destination.type, kLevelNone, kStoragePrimary, true);
  target.flags = uint16_t(target.flags | (source.flags & kValueMemoryClassMask));
  ValueRecord pushed = MakeValue(destination.type, kLevelNone, kStorageAuto, true);
  pushed.value = atStackTop(0);
  pushed.flags = uint16_t(pushed.flags | (destination.flags & (kValueMemoryClassMask | kValueAttr14)));
  EmitStructCopy(target, pushed);
  EmitStackAdjustAndTrack(int16_t(size + kAddressBytes));
  destination.storage = kStoragePrimary;
}

// Whether a store through `destination`, whose address is in HL, is checked
// against the BIOS's store table first: in debug code with pointer checks,
// for an address not known to lie in its object, with a BIOS to hold the
// table. Only the Corvid has the physical load the table read needs.
bool WantsStoreCheck(const ValueRecord &destination) {
  const uint32_t attributes = Attributes().current;
  if (!(attributes & kAttrDebug) || !(attributes & kAttrPointerCheck) || destination.addressSafe)
    return false;
  if (CurrentCpu() != TargetCpu::Corvid)
    return false;
  const char *noBios = IsMacroDefined("NO_BIOS");
  return noBios && std::string_view(noBios) == "0";
}

// The table holds one byte per 256-byte page of the 16-bit space, bit 0
// allowing stores into it; "bound.e" reports a refused store, after which
// the store goes on as the program wrote it.
void EmitStoreCheck() {
  constexpr ADDR24 kNoTable{0xFFFF, 0xFF, 0xFF};
  const ADDR24 table = LookupBiosSymbol("STORE_TABLE", kNoTable);
  if (Addr24Equal(table, kNoTable))
    return;
  const uint32_t physical = Addr24ToPhysical(table);
  const uint8_t page = uint8_t(physical >> 8);
  const uint8_t bank = uint8_t((physical >> 16) & 0x0F);
  constexpr uint8_t kExDeHl = 0xEB, kLdHImmediate = 0x26, kClearH = 0xCC, kLdLD = 0x6A, kXorA = 0xAF,
                    kLdAImmediate = 0x3E, kPrefixED = 0xED, kLoadPhysicalHl = 0x6C, kRotateHlRight = 0xFC,
                    kJrCarry = 0x38;
  constexpr uint32_t kSixteenBitLimit = 0xFFFF;
  // The pointer goes to DE; its high byte indexes the table.
  EmitCodeByte(kExDeHl);
  if (page != 0) {
    EmitCodeByte(kLdHImmediate);
    EmitCodeByte(page);
  } else {
    EmitCodeByte(kClearH);
  }
  EmitCodeByte(kLdLD);
  if (physical < kSixteenBitLimit) {
    EmitCodeByte(kXorA);
  } else {
    EmitCodeByte(kLdAImmediate);
    EmitCodeByte(bank);
  }
  // The page's byte into HL, its bit 0 into the carry, the pointer back.
  EmitCodeByte(kPrefixED);
  EmitCodeByte(kLoadPhysicalHl);
  EmitCodeByte(kRotateHlRight);
  EmitCodeByte(kExDeHl);
  // The jump skips the call whatever its length: a call not yet resolved
  // keeps room to become a long one.
  const ADDR24 jump = Caches().currentCode->Current();
  EmitCodeByte(kJrCarry);
  EmitCodeByte(0);
  EmitCallNamedRoutine("bound.e");
  constexpr int32_t kJrLength = 2;
  const ADDR24 after = Caches().currentCode->Current();
  Caches().currentCode->StoreAt(Addr24Add(jump, 1), uint8_t(Addr24Difference(after, Addr24Add(jump, kJrLength))));
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
}

// Nothing is emitted: the right-hand side is read for the walk's sake and
// the expression is none of a constant.
void ReadAssignmentWithoutCode(ValueRecord &destination, AST *node) {
  ValueRecord source;
  CompileRightHandSide(source, node);
  Walk().needsCode = true;
  destination.storage = kStoragePrimary;
}

// The value register into the destination; a char is stored from A. Every
// store leaves the value where it was, so the destination's record then
// describes the value in the registers.
void StoreRegisterValue(ValueRecord &destination, ValueRecord &source, bool toChar) {
  // A char already in A stays there: widened into HL it would overwrite the
  // destination's address.
  if (toChar)
    LoadOperandAllowingA(source);
  else
    LoadOperandToValueRegister(source);
  if (toChar && !source.IsByteResult())
    NarrowHlToA(source);
  EmitStoreValue(destination, Reg::Value);
  destination.storage = kStoragePrimary;
  destination.SetLvalue(false);
  destination.SetByteResult(source.IsByteResult());
}

} // namespace

bool ScanAssignmentOperator(std::string &op) {
  SkipToOperand();
  const char *p = InputCursor;
  size_t length = 0;
  if (std::strchr("%&*+-/^|", p[0]) && p[0] != 0)
    length = 1;
  else if ((p[0] == '<' || p[0] == '>') && p[1] == p[0])
    length = 2;
  if (length != 0 && p[length] == '=') {
    op.assign(p, length);
    for (size_t i = 0; i <= length; ++i)
      ConsumeChar();
    return true;
  }
  if (p[0] == '=' && p[1] != '=') {
    op.clear();
    ConsumeChar();
    return true;
  }
  return false;
}

void CompileAssignmentExpression(ValueRecord &value, bool valueUsed, AST *node) {
  if (IsIntegerLiteralAssignment(node))
    Walk().integerLiteralAssigned = true;
  node = StepIntoAssignment(node);
  CompileConditional(value, node);
  std::string op;
  if (!ScanAssignmentOperator(op))
    return;
  Walk().assignmentFollowed = true;
  CompileAssignment(value, op, valueUsed, NextSibling(node));
  NoteSideEffect(value);
}

TypeMatch TypeCompatibility(uint8_t targetType, uint8_t sourceType, uint32_t targetWord, uint32_t sourceWord) {
  targetWord = LevelKinds(targetWord);
  sourceWord = LevelKinds(sourceWord);
  const bool bothAddresses = IsArrayOrPointer(OutermostLevel(targetWord)) && IsArrayOrPointer(OutermostLevel(sourceWord));
  if (bothAddresses && (targetType == kTypeVoid || sourceType == kTypeVoid || CompilerConfig().tcptr == 0))
    return TypeMatch::kCompatible;
  if (IsPlainVoid(targetType, targetWord) || IsPlainVoid(sourceType, sourceWord))
    return TypeMatch::kVoidInvolved;
  if (targetType == sourceType) {
    if (targetWord == sourceWord)
      return TypeMatch::kCompatible;
    for (; targetWord != 0 && sourceWord != 0; targetWord = RemoveLevel(targetWord), sourceWord = RemoveLevel(sourceWord)) {
      const uint32_t t = OutermostLevel(targetWord), s = OutermostLevel(sourceWord);
      if (t != s && (!IsArrayOrPointer(t) || !IsArrayOrPointer(s)))
        return TypeMatch::kDifferentLevels;
    }
    return targetWord != 0 || sourceWord != 0 ? TypeMatch::kDifferentLevels : TypeMatch::kCompatible;
  }
  if (targetType >= kFirstStructType || sourceType >= kFirstStructType)
    return TypeMatch::kDifferentStructures;
  const bool targetLevels = OutermostLevel(targetWord) != kLevelNone;
  const bool sourceLevels = OutermostLevel(sourceWord) != kLevelNone;
  return targetLevels != sourceLevels ? TypeMatch::kPointerAgainstValue : TypeMatch::kCompatible;
}

void ReportTypeMismatch(TypeMatch match, const ValueRecord &target, const ValueRecord &source) {
  switch (match) {
  case TypeMatch::kCompatible:
    break;
  case TypeMatch::kDifferentStructures:
    CompileWarningTrivial<kMsgStructTypesDiffer>();
    break;
  case TypeMatch::kDifferentLevels:
    CompileWarningTrivial<kMsgPointerLevelsDiffer>(FormatValueType(target), FormatValueType(source));
    break;
  case TypeMatch::kVoidInvolved:
    CompileError<kMsgVoidInAssignment>();
    break;
  case TypeMatch::kPointerAgainstValue:
    CompileWarningTrivial<kMsgPointerMixed>(FormatValueType(target), FormatValueType(source));
    break;
  }
}

void CompileAssignment(ValueRecord &destination, const std::string &op, bool valueUsed, AST *node) {
  ValueRecord &d = destination;
  // Nothing can be stored into what is no object: the right-hand side is
  // still compiled, and is the value.
  if (!CheckAssignable(d)) {
    CompileRightHandSide(d, node);
    return;
  }
  if (!WalkEmitsCode()) {
    ReadAssignmentWithoutCode(d, node);
    return;
  }
  if (!IsDirectlyAddressable(d)) {
    // A stack object lies in its frame: no store check is needed.
    if (d.storage == kStorageAuto)
      d.addressSafe = 1;
    LoadOperandAddressIntoHL(d);
  }
  // The address survives the right-hand side on the stack if that needs
  // the registers.
  if (d.storage == kStoragePrimary) {
    if (WantsStoreCheck(d))
      EmitStoreCheck();
    CachePrimaryRegister(d, true);
  }

  ValueRecord r;
  if (op.empty()) {
    if (IsStructure(d)) {
      if (d.storage == kStoragePrimary)
        ForgetPrimaryRegister(d);
      else
        LoadOperandAddressIntoHL(d);
      PushOperand(d);
    }
    CompileRightHandSide(r, node);
  } else {
    r = d;
    CompileBinaryStep(op.c_str(), CompileRightHandSide, r, node);
  }

  // A constant 0 is the null pointer of every pointer type.
  const bool nullPointer = d.HasLevel() && !r.HasLevel() && IsIntegralConstant(r) && ConstantEquals(r, 0);
  if (!nullPointer)
    ReportTypeMismatch(TypeCompatibility(d.type, r.type, d.declarator, r.declarator), d, r);
  CheckCofunctionSource(r);

  if (IsStructure(d) && IsStructure(r)) {
    if (StructureSize(d.type) == StructureSize(r.type)) {
      StoreStructure(d, r);
      return;
    }
    // No copy: the stack gives back what the assignment pushed.
    CompileError<kMsgStructSizesDiffer>();
    if (r.storage == kStorageStackStruct)
      EmitStackAdjustAndTrack(int16_t(OperandByteSize(r, OperandSizeMode::kStorage)));
    if (d.storage == kStorageStackStruct)
      EmitStackAdjustAndTrack(kAddressBytes);
    d.storage = kStoragePrimary;
    return;
  }
  if (!MayBeWritten(d))
    CompileError<kMsgNotModifiable>();

  const bool toPointer = d.HasLevel();
  const bool inPlace = d.storage == kStorageGlobal || d.storage == kStorageAuto || d.storage == kStorageStatic ||
                       d.storage == kStorageExtern;
  const bool toChar = d.type == kTypeChar && !toPointer;
  if (!valueUsed && r.storage == kStorageConstant && inPlace) {
    // The value of the assignment is the constant, converted.
    ConvertOperandTo(r, d.type, toPointer, kConvertForConstantStore);
    ValueRecord loaded = r;
    StoreRegisterValue(d, loaded, toChar);
    d = r;
    return;
  }
  // A constant takes the destination's type before it is loaded: loaded
  // wider it would pass through registers the destination's address holds.
  // A char constant goes to A, which holds no address.
  const bool convertedConstant = r.storage == kStorageConstant && !toChar;
  if (convertedConstant)
    ConvertOperandTo(r, d.type, toPointer, kConvertPlain);
  if (r.storage != kStoragePrimary || r.IsLvalue()) {
    if (toChar)
      LoadOperandAllowingA(r);
    else
      LoadOperandToValueRegister(r);
  }
  // A long narrowed into HL overwrites the destination's address there: the
  // conversion pushes it first while the cache still knows it.
  if (!convertedConstant)
    ConvertOperandTo(r, d.type, toPointer, kConvertPlain);
  ForgetPrimaryRegister(d);
  constexpr uint16_t kCarried = kValueByteResult | kValueStepNotLoaded | kValueCodeFlag13;
  d.flags = uint16_t((d.flags & ~kCarried) | (r.flags & kCarried));
  StoreRegisterValue(d, r, toChar);
}

} // namespace tsw
