#include "compcore/cc_gen/value_queries.h"

#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>

namespace tsw {

namespace {

constexpr uint16_t kPointerBytes = 2;
constexpr uint16_t kPushedWordBytes = 2;
// Bits a string literal's reference carries; a watch compile being set up
// only looks labels up.
constexpr uint16_t kStringFixup = kFixLocal;
constexpr uint16_t kFunctionFixup = kFixLocal | kFixGlobal;
// Two declarator levels of a pointer to a function or to a function
// designator.
constexpr uint32_t kTwoLevelKinds = 0x33;
constexpr uint32_t kPointerToFunction = 0x32;
constexpr uint32_t kPointerToDesignator = 0x31;
constexpr int32_t kSmallConstantLow = -128;
constexpr int32_t kSmallConstantHigh = 125;

struct ValueQueryState {
  std::vector<SymbolRecord *> stubStack;
  EmitCache *patchCache = nullptr;
};
ValueQueryState &Q() {
  static ValueQueryState state;
  return state;
}

bool IsFixedClass(uint8_t storage) {
  return storage == kStorageGlobal || storage == kStorageStatic || storage == kStorageRegisterClass ||
         storage == kStorageExtern;
}

bool WatchSetup() { return Output().codeMode == CodeOutputMode::kWatchSetup; }

uint32_t CurrentCodePatchAddress() {
  const EmitCache *cache = Q().patchCache ? Q().patchCache : Caches().currentCode;
  return Addr24ToLong(cache->Current());
}

// The constant as a number: char and unsigned are held zero-extended, int
// and long sign-extended, unsigned long as it is.
double ConstantNumber(const ValueRecord &value) {
  if (value.type == kTypeFloat)
    return double(std::bit_cast<float>(value.value));
  if (value.type == kTypeUnsignedLong)
    return double(value.value);
  return double(int32_t(value.value));
}

// Codes 6 and 8-11 name no type a constant can have.
bool IsNumericConstantType(uint8_t type) { return type <= kTypeUnsignedLong || type == kTypeFloat; }

ValueRecord MakeConstant(uint8_t type, uint32_t declarator, uint32_t value) {
  ValueRecord record;
  InitValueRecord(record, kStorageConstant, type, declarator, nullptr, ReduceToType(value, type), nullptr, 0,
                  0);
  return record;
}

const char *BaseTypeName(uint8_t type) {
  switch (type) {
  case kTypeChar:
    return "char";
  case kTypeInt:
    return "int";
  case kTypeUnsigned:
    return "unsigned int";
  case kTypeLong:
    return "long";
  case kTypeUnsignedLong:
    return "unsigned long";
  case kTypeFloat:
    return "float";
  case kTypeVoid:
    return "void";
  default:
    return "?";
  }
}

// The defined label of the name: a function's own first, then the
// compile's. A reference made before the definition leaves an undefined
// local entry behind, which must not hide the global definition.
const BRFixupRec *DefinedLabel(const SymbolRecord &symbol) {
  const BRFixupRec *label = FindLocalLabel(symbol.name);
  if (label && label->defined)
    return label;
  label = FindGlobalLabel(symbol.name);
  return label && label->defined ? label : nullptr;
}

ADDR24 BiosAddress(const SymbolRecord &symbol) { return LookupBiosSymbol(symbol.name, ADDR24{}); }

ADDR24 FunctionAddress(SymbolRecord &symbol, int16_t offset, uint16_t flags) {
  flags |= kFunctionFixup;
  ADDR24 address = Addr24FromLong(symbol.address);
  // Root code reaches a Corvid function in extended memory through a stub
  // of its own in root memory. The Z180 enters it through its root bouncer,
  // whose address the symbol already holds.
  const CodeGenSettings &setup = CodeGenSetup();
  if (setup.cpu == TargetCpu::Corvid && setup.noBouncers) {
    if (address.logical >= ExtWindowStart) {
      address = Addr24FromLong(symbol.secondAddress);
      if (address.logical == 0) {
        flags |= kFixBouncer;
        std::vector<SymbolRecord *> &stubs = Q().stubStack;
        // One stub per function, however often it is referenced first.
        if (std::find(stubs.begin(), stubs.end(), &symbol) == stubs.end())
          stubs.push_back(&symbol);
      }
    }
    flags &= uint16_t(~kFixNoPatch);
    symbol.flagsC |= kFlagsCStubWanted;
  }
  if (address.logical != 0)
    return address;
  const ADDR24 bios = BiosAddress(symbol);
  if (Addr24ToLong(bios) != 0)
    return bios;
  if (WatchSetup())
    flags |= kFixLookupOnly;
  return Addr24FromLong(ReferenceLabel(symbol.name, CurrentCodePatchAddress(), flags, uint16_t(offset)));
}

} // namespace

// ---- sizes and types ---------------------------------------------------------

uint16_t TypeCodeSize(uint8_t type) {
  switch (type) {
  case kTypeChar:
    return 1;
  case kTypeInt:
  case kTypeUnsigned:
    return 2;
  case kTypeLong:
  case kTypeUnsignedLong:
  case kTypeFloat:
    return 4;
  default:
    break;
  }
  if (type < kFirstStructType)
    return 0;
  const TypeRecord *record = TypeRecordAt(int16_t(type));
  return record ? record->size : 0;
}

uint16_t ValueStorageSize(const ValueRecord &value) {
  const uint16_t size = TypeCodeSize(value.type);
  if (value.storage == kStorageStackStruct && !value.HasLevel())
    return std::max(size, kPushedWordBytes);
  return size;
}

uint16_t ArrayDimensionProduct(const ValueRecord &value) {
  const uint16_t *dimension = value.dimensions;
  uint32_t declarator = value.declarator;
  if (OutermostLevel(declarator) == kLevelArray) {
    if (dimension)
      ++dimension;
  } else if (OutermostLevel(declarator) != kLevelPointer) {
    return 0;
  }
  uint16_t product = 1;
  for (declarator = RemoveLevel(declarator);; declarator = RemoveLevel(declarator)) {
    switch (OutermostLevel(declarator)) {
    case kLevelNone:
      return uint16_t(product * TypeCodeSize(value.type));
    case kLevelArray:
      if (dimension) {
        product = uint16_t(product * *dimension++);
      } else if (IsStringLiteralSymbol(value.symbol)) {
        product = value.length;
      } else {
        CompileError<kMsgDimensionUnknown>();
      }
      break;
    default:
      return uint16_t(product * kPointerBytes);
    }
  }
}

uint16_t OperandByteSize(const ValueRecord &value, OperandSizeMode mode) {
  if (value.HasLevel() && mode == OperandSizeMode::kPointer)
    return kPointerBytes;
  if (value.HasLevel() && mode == OperandSizeMode::kPointee)
    return ArrayDimensionProduct(value);
  return ValueStorageSize(value);
}

uint8_t TypeCodeAtLevel(const ValueRecord &value, LevelMode mode) {
  const bool addressInRegisters = value.storage == kStoragePrimary && value.IsLvalue();
  if (!value.HasLevel() && !addressInRegisters)
    return value.type;
  switch (mode) {
  case LevelMode::kBaseType:
    return value.type;
  case LevelMode::kAddress:
    return kTypeVoid;
  case LevelMode::kStripOne:
    break;
  }
  // The registers hold the object's address: that is the level taken off.
  ValueRecord inner = value;
  inner.declarator = RemoveLevel(value.declarator);
  inner.SetLvalue(false);
  return TypeCodeAtLevel(inner, LevelMode::kAddress);
}

uint8_t ConversionTypeCode(const ValueRecord &value) { return value.HasLevel() ? uint8_t(kTypeUnsigned) : value.type; }

std::string FormatValueType(const ValueRecord &value) {
  std::string base = BaseTypeName(value.type);
  if (value.type >= kFirstStructType) {
    const TypeRecord *record = TypeRecordAt(int16_t(value.type));
    base = std::string("struct ") + (record ? record->tag : "?");
  }
  // Outermost level first: a pointer binds looser than what follows it.
  std::string declarator;
  const uint16_t *dimension = value.dimensions;
  for (uint32_t word = value.declarator; OutermostLevel(word) != kLevelNone; word = RemoveLevel(word)) {
    const uint32_t kind = OutermostLevel(word);
    if (kind == kLevelPointer) {
      declarator = "*" + declarator;
      continue;
    }
    if (!declarator.empty() && declarator.front() == '*')
      declarator = "(" + declarator + ")";
    if (kind == kLevelFunction) {
      declarator += "()";
    } else if (dimension) {
      declarator += "[" + std::to_string(*dimension++) + "]";
    } else {
      declarator += "[]";
    }
  }
  return declarator.empty() ? base : base + " " + declarator;
}

std::string ValueSymbolName(const ValueRecord &value) {
  if (IsStringLiteralSymbol(value.symbol))
    return MakeInternalLabel(value.poolOffset);
  if (value.storage != kStorageConstant && value.symbol)
    return value.symbol->name;
  return {};
}

// ---- addresses -------------------------------------------------------------------

bool HasFixedAddress(const ValueRecord &value, uint8_t storage) {
  if (IsFixedClass(storage))
    return true;
  if (storage != kStorageStackStruct && storage != kStoragePrimary)
    return false;
  if (IsStringLiteralSymbol(value.symbol))
    return true;
  return value.symbol && IsFixedClass(value.symbol->kind);
}

bool IsFunctionWithFixedAddress(const ValueRecord &value) {
  return value.symbol && HasFixedAddress(value, value.storage) &&
         OutermostLevel(value.symbol->declarator) == kLevelFunction;
}

bool HasResolvedAddress(const ValueRecord &value) {
  if (IsStringLiteralSymbol(value.symbol))
    return false;
  if (IsFunctionWithFixedAddress(value))
    return Addr24FromLong(value.symbol->address).logical != 0;
  if (value.symbol && value.symbol->kind == kStorageExtern) {
    return DefinedLabel(*value.symbol) != nullptr;
  }
  return true;
}

ADDR24 VariableAddress(const ValueRecord &value, int16_t offset, uint16_t fixupFlags) {
  const int32_t byteOffset = int32_t(value.value);
  if (IsStringLiteralSymbol(value.symbol)) {
    const uint16_t flags = fixupFlags | kStringFixup | (WatchSetup() ? kFixLookupOnly : 0);
    const uint32_t label = ReferenceLabel(ValueSymbolName(value), CurrentCodePatchAddress(), flags,
                                          uint16_t(byteOffset + offset));
    return Addr24Add(Addr24FromLong(label), offset + byteOffset);
  }
  if (IsFunctionWithFixedAddress(value))
    return Addr24Add(FunctionAddress(*value.symbol, offset, fixupFlags), offset);
  if (value.storage == kStorageConstant) {
    CompileError<kMsgConstantHasNoAddress>();
    return Addr24Add(ADDR24{}, offset + byteOffset);
  }
  ADDR24 address{};
  if (value.symbol) {
    const SymbolRecord &symbol = *value.symbol;
    if (HasResolvedAddress(value)) {
      // An external's address is its label's.
      address = symbol.kind == kStorageExtern ? Addr24FromLong(DefinedLabel(symbol)->value)
                                                : Addr24FromLong(symbol.address);
    } else if (const ADDR24 bios = BiosAddress(symbol); Addr24ToLong(bios) != 0) {
      address = bios;
    } else {
      address = Addr24FromLong(ReferenceLabel(symbol.name, CurrentCodePatchAddress(), fixupFlags | kFunctionFixup,
                                              uint16_t(byteOffset + offset)));
    }
  }
  return Addr24Add(address, offset + byteOffset);
}

int16_t LocalStackOffset(const ValueRecord &value) {
  const EmissionState &e = Emission();
  int32_t offset = int16_t(value.value) + e.frameBase;
  // A cofunction's frame is reached through its own base, not SP.
  if (!(Attributes().current & kAttrCofuncMask))
    offset += std::abs(int32_t(e.stackOffset)) + std::abs(int32_t(e.ipStackOffset));
  return int16_t(offset);
}

std::vector<SymbolRecord *> &StubStack() { return Q().stubStack; }

AddressPatchedInCache::AddressPatchedInCache(EmitCache *cache) : saved_(Q().patchCache) { Q().patchCache = cache; }
AddressPatchedInCache::~AddressPatchedInCache() { Q().patchCache = saved_; }

// ---- constant tests -------------------------------------------------------------

bool ConstantEquals(const ValueRecord &value, double number) {
  return value.storage == kStorageConstant && IsNumericConstantType(value.type) && ConstantNumber(value) == number;
}

bool IsIntegralConstant(const ValueRecord &value) {
  if (value.storage != kStorageConstant)
    return false;
  const double number = ConstantNumber(value);
  return number == std::floor(number);
}

int32_t SmallConstantValue(const ValueRecord &value) {
  const int32_t n = int32_t(value.value);
  return n >= kSmallConstantLow && n <= kSmallConstantHigh ? n : 0;
}

bool ConstantInRange(const ValueRecord &value, double low, double high) {
  const double number = ConstantNumber(value);
  return low <= number && number <= high;
}

bool CheckConstantRange(const ValueRecord &value, double low, double high) {
  if (ConstantInRange(value, low, high))
    return true;
  CompileError<kMsgConstantOutOfRange>();
  return false;
}

namespace {
bool IsLongOrFloatType(uint8_t type) {
  return type == kTypeLong || type == kTypeUnsignedLong || type == kTypeFloat;
}
} // namespace

bool IsLongOrFloatValue(const ValueRecord &value) { return !value.HasLevel() && IsLongOrFloatType(value.type); }

bool IsLongOrFloatResult(const ValueRecord &value) {
  return (!value.HasLevel() || value.Level() == kLevelFunction) && IsLongOrFloatType(value.type);
}

bool IsPointerToFunction(const ValueRecord &value) {
  const uint32_t kinds = value.declarator & kTwoLevelKinds;
  return kinds == kPointerToFunction || kinds == kPointerToDesignator;
}

// ---- makers --------------------------------------------------------------------------

ValueRecord MakeValueFromSymbol(SymbolRecord &symbol) {
  uint8_t storage = symbol.kind;
  if (storage == kStorageRegisterClass || storage == kClassParameterArea)
    storage = kStorageStatic;
  const uint32_t outer = OutermostLevel(symbol.declarator);
  const bool lvalue = outer != kLevelArray && outer != kLevelFunction;
  ValueRecord record;
  InitValueRecord(record, storage, symbol.type, symbol.declarator, &symbol,
                  uint32_t(int32_t(int16_t(symbol.definition))), symbol.list.empty() ? nullptr : symbol.list.data(),
                  lvalue, 0);
  return record;
}

ValueRecord MakeCharConstantValue(uint8_t c) { return MakeConstant(kTypeChar, kLevelNone, c); }
ValueRecord MakeIntConstantValue(int16_t n) { return MakeConstant(kTypeInt, kLevelNone, uint32_t(int32_t(n))); }
ValueRecord MakeIntConstantFromHostInt(int32_t n) { return MakeConstant(kTypeInt, kLevelNone, uint32_t(n)); }
ValueRecord MakeUnsignedConstantValue(uint32_t n) { return MakeConstant(kTypeUnsigned, kLevelNone, n); }
ValueRecord MakeLongConstantValue(uint32_t n) { return MakeConstant(kTypeLong, kLevelNone, n); }
ValueRecord MakeUnsignedLongConstantValue(uint32_t n) { return MakeConstant(kTypeUnsignedLong, kLevelNone, n); }
ValueRecord MakeFloatConstantValue(float f) {
  return MakeConstant(kTypeFloat, kLevelNone, std::bit_cast<uint32_t>(f));
}
ValueRecord MakeVoidPointerConstant(uint16_t address) { return MakeConstant(kTypeVoid, kLevelPointer, address); }

ValueRecord MakeValue(uint8_t type, uint32_t declarator, uint8_t storage, bool lvalue) {
  ValueRecord record;
  InitValueRecord(record, storage, type, declarator, nullptr, 0, nullptr, lvalue, 0);
  return record;
}

void MakeConstantValue(ValueRecord &record, uint8_t type, uint32_t value) { record = MakeConstant(type, 0, value); }

void ResetValueQueries() { Q() = ValueQueryState{}; }

} // namespace tsw
