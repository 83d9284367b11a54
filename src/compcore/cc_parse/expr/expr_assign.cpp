#include "compcore/cc_parse/expr/expr_assign.h"

#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "foundation/msgnumbers.h"

#include <cstdlib>
#include <cstring>

namespace tsw {

namespace {

// ConvertOperandTo's option bits: a constant store converts as an
// initializer would, a register store only as a plain conversion.
constexpr uint8_t kConvertPlain = 1;
constexpr uint8_t kConvertForConstantStore = 3;

constexpr int16_t kAddressBytes = 2;

bool IsStructure(const ValueRecord &value) { return value.type >= kFirstStructType && !value.HasLevel(); }

bool IsPlainVoid(uint8_t type, uint32_t word) { return type == kTypeVoid && OutermostLevel(word) == kLevelNone; }

bool IsArrayOrPointer(uint32_t kind) { return kind == kLevelArray || kind == kLevelPointer; }

uint16_t StructureSize(uint8_t type) {
  const TypeRecord *record = TypeRecordAt(int16_t(type));
  return record ? record->size : 0;
}

void CompileRightHandSide(ValueRecord &value) { CompileAssignmentExpression(value, true); }

// A function designator or pointer to a function that carries cofunction
// instances cannot be stored: the instances would be lost.
void CheckCofunctionSource(const ValueRecord &source) {
  const bool function = OutermostLevel(RemoveLevel(source.declarator)) == kLevelFunction;
  if (function && (source.Instances() != 0 || (source.flags & kValueAttr6)))
    CompileError<kMsgCofunctionPointerAssigned>();
}

// The destination stays writable by some attribute: its own modifiable
// bit, or the two that allow stores into otherwise constant storage.
bool MayBeWritten(const ValueRecord &destination) {
  return destination.IsModifiable() || (destination.flags & kValueAttr14) ||
         (destination.flags2 & kValueFlags2Attr15);
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

// Nothing is emitted: the right-hand side is read for the walk's sake and
// the expression is none of a constant.
void ReadAssignmentWithoutCode(ValueRecord &destination) {
  ValueRecord source;
  CompileRightHandSide(source);
  Walk().needsCode = true;
  destination.storage = kStoragePrimary;
}

// The value register into the destination; a char is stored from A. Every
// store leaves the value where it was, so the destination's record then
// describes the value in the registers.
void StoreRegisterValue(ValueRecord &destination, ValueRecord &source, bool toChar) {
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

void CompileAssignmentExpression(ValueRecord &value, bool valueUsed) {
  CompileConditional(value);
  std::string op;
  if (!ScanAssignmentOperator(op))
    return;
  Walk().assignmentFollowed = true;
  CompileAssignment(value, op, valueUsed);
  NoteSideEffect(value);
}

TypeMatch TypeCompatibility(uint8_t targetType, uint8_t sourceType, uint32_t targetWord, uint32_t sourceWord) {
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

void CompileAssignment(ValueRecord &destination, const std::string &op, bool valueUsed) {
  ValueRecord &d = destination;
  // Nothing can be stored into what is no object: the right-hand side is
  // still compiled, and is the value.
  if (!CheckAssignable(d)) {
    CompileRightHandSide(d);
    return;
  }
  if (!WalkEmitsCode()) {
    ReadAssignmentWithoutCode(d);
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
  if (d.storage == kStoragePrimary)
    CachePrimaryRegister(d, true);

  ValueRecord r;
  if (op.empty()) {
    if (IsStructure(d)) {
      if (d.storage == kStoragePrimary)
        ForgetPrimaryRegister(d);
      else
        LoadOperandAddressIntoHL(d);
      PushOperand(d);
    }
    CompileRightHandSide(r);
  } else {
    r = d;
    CompileBinaryStep(op.c_str(), CompileRightHandSide, r);
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
  if (r.storage != kStoragePrimary || r.IsLvalue()) {
    if (toChar)
      LoadOperandAllowingA(r);
    else
      LoadOperandToValueRegister(r);
  }
  ForgetPrimaryRegister(d);
  ConvertOperandTo(r, d.type, toPointer, kConvertPlain);
  constexpr uint16_t kCarried = kValueByteResult | kValueStepNotLoaded | kValueCodeFlag13;
  d.flags = uint16_t((d.flags & ~kCarried) | (r.flags & kCarried));
  StoreRegisterValue(d, r, toChar);
}

} // namespace tsw
