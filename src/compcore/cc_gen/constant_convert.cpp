#include "compcore/cc_gen/constant_convert.h"

#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"
#include "compcore/common/cc_session.h"

namespace tsw {
namespace {

// The integer type a value of a row stands for in the target's registers: a
// pointer is a 16-bit address.
uint8_t ArithmeticType(ConversionIndex index) {
  switch (index) {
  case ConversionIndex::kChar:
    return kTypeChar;
  case ConversionIndex::kInt:
    return kTypeInt;
  case ConversionIndex::kUnsigned:
  case ConversionIndex::kPointer:
    return kTypeUnsigned;
  case ConversionIndex::kLong:
    return kTypeLong;
  case ConversionIndex::kUnsignedLong:
    return kTypeUnsignedLong;
  default:
    return kTypeNone;
  }
}

// The pairs whose result may not hold the value: narrowing to a smaller
// width. A wider or equally wide target only changes how the bits are read.
bool MayDemote(ConversionIndex from, ConversionIndex to) {
  const bool fromWide = from == ConversionIndex::kLong || from == ConversionIndex::kUnsignedLong;
  if (to == ConversionIndex::kChar)
    return from != ConversionIndex::kChar;
  return fromWide && to != ConversionIndex::kLong && to != ConversionIndex::kUnsignedLong;
}

bool IsAddressHeld(const ValueRecord &value) {
  return value.storage == kStoragePrimary && (value.IsLvalue() || value.Level() == kLevelPointer);
}

void MarkInvalid(ConversionRecord &conversion) {
  conversion.commit = false;
  conversion.valid = false;
}

// The cells every table shares: a structure or any other code, and a float
// to or from an address, are invalid; the same type needs nothing written
// back (an address to an address still takes the new declarator).
bool SettlesInvalidOrSame(ConversionRecord &c) {
  const bool floatAndAddress = (c.from == ConversionIndex::kFloat && c.to == ConversionIndex::kPointer) ||
                               (c.from == ConversionIndex::kPointer && c.to == ConversionIndex::kFloat);
  if (c.from == ConversionIndex::kOther || c.to == ConversionIndex::kOther || floatAndAddress) {
    MarkInvalid(c);
    return true;
  }
  if (c.from == c.to && c.from != ConversionIndex::kPointer) {
    c.commit = false;
    return true;
  }
  return false;
}

} // namespace

ConversionIndex ConversionIndexOf(uint8_t type) {
  switch (type) {
  case kTypeNone:
  case kTypeChar:
    return ConversionIndex::kChar;
  case kTypeInt:
    return ConversionIndex::kInt;
  case kTypeUnsigned:
    return ConversionIndex::kUnsigned;
  case kTypeLong:
    return ConversionIndex::kLong;
  case kTypeUnsignedLong:
    return ConversionIndex::kUnsignedLong;
  case kTypeFloat:
    return ConversionIndex::kFloat;
  case kTypeAddressBase:
    return ConversionIndex::kPointer;
  default:
    return ConversionIndex::kOther;
  }
}

ConversionRecord BeginConversion(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options) {
  ConversionRecord c;
  c.value = &value;
  c.toPointer = toPointer;
  c.options = options & kConvertDefaultOptions;
  c.initialType = value.type;
  c.targetType = type;
  c.savedDeclarator = value.declarator;
  uint8_t from = value.type;
  uint8_t to = type;
  if (!value.HasLevel() && !IsAddressHeld(value)) {
    if (toPointer) {
      // The commit gives the value one pointer level over the type asked for.
      c.savedDeclarator = kLevelPointer;
      to = kTypeAddressBase;
    } else if (to == kTypeAddressBase) {
      to = c.targetType = kTypeInt;
    }
  } else {
    if (value.HasLevel())
      from = kTypeAddressBase;
    if (to == kTypeAddressBase) {
      // The value keeps its own base type and its levels.
      from = kTypeAddressBase;
      c.targetType = c.initialType;
    } else if (!toPointer) {
      // A pointer's value (not the object it names) becomes a plain number;
      // a constant has no object behind it either.
      const bool inRegisters = value.storage == kStoragePrimary || value.storage == kStorageStackStruct;
      if ((inRegisters && !value.IsLvalue()) || (!inRegisters && value.IsLvalue()) ||
          value.storage == kStorageConstant) {
        from = kTypeAddressBase;
        c.savedDeclarator = 0;
      }
    } else {
      to = from = kTypeAddressBase;
    }
  }
  c.from = ConversionIndexOf(from);
  c.to = ConversionIndexOf(to);
  return c;
}

void CommitConversion(ConversionRecord &c) {
  ValueRecord &value = *c.value;
  if (c.commit) {
    value.type = c.targetType;
    value.declarator = c.savedDeclarator == 0 ? 0 : (value.declarator & ~kLevelKindMask) | c.savedDeclarator;
  } else if (!c.valid) {
    CompileError<kMsgInvalidOperands>();
    c.valid = true;
  }
  if (c.demoted && CompilerConfig().tcdmtn != 0 && (c.options & kConvertReportDemotion))
    CompileWarningTrivial<kMsgDemotion>();
}

void ClassifyConversion(ConversionRecord &c) {
  if (SettlesInvalidOrSame(c))
    return;
  // Without the value, every narrowing of a long or a float may lose bits.
  const bool fromLong = c.from == ConversionIndex::kLong || c.from == ConversionIndex::kUnsignedLong;
  const bool toWord = c.to == ConversionIndex::kChar || c.to == ConversionIndex::kInt || c.to == ConversionIndex::kUnsigned;
  const bool toLong = c.to == ConversionIndex::kLong || c.to == ConversionIndex::kUnsignedLong;
  if ((fromLong && toWord) || (c.from == ConversionIndex::kFloat && (toWord || toLong)))
    c.demoted = true;
}

ConversionRecord ConvertCheck(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options) {
  ConversionRecord c = BeginConversion(value, type, toPointer, options);
  ClassifyConversion(c);
  const auto isWord = [](uint8_t t) { return t == kTypeInt || t == kTypeUnsigned; };
  const auto isLong = [](uint8_t t) { return t == kTypeLong || t == kTypeUnsignedLong; };
  if ((isWord(c.initialType) && isWord(c.targetType)) || (isLong(c.initialType) && isLong(c.targetType)))
    c.commit = false;
  return c;
}

void ConvertConstantCell(ConversionRecord &c) {
  if (SettlesInvalidOrSame(c))
    return;
  ValueRecord &value = *c.value;
  const bool fromFloat = c.from == ConversionIndex::kFloat;
  const bool toFloat = c.to == ConversionIndex::kFloat;
  const uint8_t toType = ArithmeticType(c.to);
  if (fromFloat) {
    const FloatToIntegerResult result = FloatBitsToInteger(value.value, toType);
    value.value = result.field;
    c.demoted = result.outOfRange;
    return;
  }
  const uint8_t fromType = ArithmeticType(c.from);
  if (toFloat) {
    value.value = IntegerToFloatBits(value.value, fromType);
    return;
  }
  const int64_t number = IntegerValue(value.value, fromType);
  c.demoted = MayDemote(c.from, c.to) && !FitsType(number, toType);
  value.value = ReduceToType(static_cast<uint32_t>(static_cast<uint64_t>(number)), toType);
}

void ConvertConstantTo(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options) {
  ConversionRecord conversion = BeginConversion(value, type, toPointer, options);
  ConvertConstantCell(conversion);
  CommitConversion(conversion);
}

} // namespace tsw
