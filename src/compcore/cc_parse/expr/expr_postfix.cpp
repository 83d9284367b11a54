#include "compcore/cc_parse/expr/expr_postfix.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/intrinsics.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/operator_lowering.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_struct.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/addr24.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw {

namespace {

constexpr uint8_t kFlagsAMemoryClass = 0x0C;
// Set on a function whose address the program takes: its far-call stub
// must exist.
constexpr uint8_t kFlagsCAddressTaken = 0x01;
constexpr unsigned kInstancesShift = 7;
constexpr uint16_t kInstancesMask = 0x3F;

// Every function designator shares this one dimension.
constexpr uint16_t kDesignatorDimension[] = {1};

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }

// The bound a subscript can be checked against: the current dimension of an
// array, the characters of a string literal. An unsized array (dimension 0,
// `extern int a[]`) has none.
bool KnownBound(const ValueRecord &value, uint16_t &bound) {
  if (value.Level() != kLevelArray)
    return false;
  if (value.dimensions && *value.dimensions != 0) {
    bound = *value.dimensions;
    return true;
  }
  if (IsStringLiteralSymbol(value.symbol) && value.length != 0) {
    bound = uint16_t(value.length - 1);
    return true;
  }
  return false;
}

// The run-time bound check: the index in HL, taken unsigned, must lie below
// the bound, else the library's out-of-bounds handler runs.
void EmitIndexCheck(ValueRecord &index, uint16_t bound) {
  if (index.type != kTypeInt && index.type != kTypeUnsigned) {
    LoadOperandToValueRegister(index);
    ConvertOperandTo(index, kTypeInt, false, 0);
  }
  LoadOperandToValueRegister(index);
  EmitFixed(Fixed::kExDeHl);
  LoadConstantIntoPair(Reg::HL, int16_t(-int32_t(bound)));
  EmitFixed(Fixed::kAddHlDe);
  EmitFixed(Fixed::kExDeHl);
  EmitConditionalCallNamed("abound.e", Condition::kC);
}

// What a member access leaves: the member's own type, levels and
// attributes at the place the record designates.
void TakeMember(ValueRecord &value, const SymbolRecord &member, bool objectModifiable) {
  value.type = member.type;
  value.declarator = member.declarator;
  value.dimensions = member.list.empty() ? nullptr : member.list.data();
  value.flags = uint16_t((value.flags & ~kValueMemoryClassMask) |
                         ((member.flagsA & kFlagsAMemoryClass) >> 2 << kValueMemoryClassShift));
  value.SetLvalue(true);
  value.wasLvalue = 1;
  value.SetModifiable(objectModifiable && (member.flagsB & kFlagsBModifiable));
}

// The member offset added to an address held in HL, by code.
void AddOffsetInRegister(ValueRecord &value, uint16_t offset) {
  if (offset == 0)
    return;
  ValueRecord pointer = value;
  pointer.type = kTypeChar;
  pointer.declarator = kLevelPointer;
  pointer.SetLvalue(false);
  ValueRecord step = MakeIntConstantValue(int16_t(offset));
  BeginBinaryOperation("+", pointer, step);
  value.storage = pointer.storage;
}

// A member of a structure a call left on the stack: read where it lies,
// then the whole structure released.
void TakeMemberOfStackStructure(ValueRecord &value, const SymbolRecord &member) {
  const int16_t size = int16_t(ValueStorageSize(value));
  LoadConstantIntoPair(Reg::HL, int16_t(member.definition));
  EmitFixed(Fixed::kAddHlSp);
  ValueRecord loaded = MakeValue(member.type, member.declarator, kStoragePrimary, true);
  loaded.dimensions = member.list.empty() ? nullptr : member.list.data();
  LoadOperandToValueRegister(loaded);
  EmitStackAdjustAndTrack(size);
  value = loaded;
}

// A name in the tables wins over an intrinsic of the same spelling.
bool NamesSymbol(std::string_view name) {
  return LookupSymbol(name, false, SymbolTableId::kLocal) || LookupSymbol(name, false, SymbolTableId::kGlobal);
}

enum : uint32_t {
  kIntrinsicMaxInstance = 1,
  kIntrinsicBit = 4,
  kIntrinsicSet = 5,
  kIntrinsicRes = 6,
  kIntrinsicIpset = 17,
  kIntrinsicIpres = 18,
};

struct IntrinsicName {
  const char *name;
  uint32_t code;
  bool corvidOnly;
};
constexpr IntrinsicName kIntrinsics[] = {
    {"CofuncMaxInstance", kIntrinsicMaxInstance, false},
    {"BIT", kIntrinsicBit, false},
    {"bit", kIntrinsicBit, false},
    {"SET", kIntrinsicSet, false},
    {"set", kIntrinsicSet, false},
    {"RES", kIntrinsicRes, false},
    {"res", kIntrinsicRes, false},
    {"ipset", kIntrinsicIpset, true},
    {"ipres", kIntrinsicIpres, true},
};

void CompileMaxInstance(ValueRecord &value) {
  ExpectChar('(');
  SkipToOperand();
  std::string name;
  const SymbolRecord *symbol = nullptr;
  if (ReadIdentifier(name))
    symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  const uint16_t instances =
      symbol ? uint16_t(SymbolAttributeWord(*symbol) >> kInstancesShift & kInstancesMask) : uint16_t(0);
  if (instances == 0) {
    CompileError<kMsgBadInstanceArgument>();
    if (name.empty())
      SkipToken();
  }
  ExpectChar(')');
  value = MakeIntConstantValue(int16_t(instances));
}

void CompileBitIntrinsic(BitOperation operation, ValueRecord &value) {
  ConsumeChar();
  ValueRecord address;
  CompileConditional(address);
  ExpectChar(',');
  ValueRecord bit;
  CompileConditional(bit);
  ExpectChar(')');
  ValueRecord result;
  if (RunTimeCodeAllowed())
    CompileIoBitIntrinsic(operation, IoSpace::kMemory, address, bit, result);
  value = MakeValue(operation == BitOperation::kTest ? kTypeUnsigned : kTypeVoid, 0, kStoragePrimary, false);
}

} // namespace

void CompileSubscript(ValueRecord &value, AST *indexNode) {
  ConsumeChar();
  ValueRecord index;
  if (value.Level() != kLevelArray && value.Level() != kLevelPointer) {
    const std::string name = ValueSymbolName(value);
    CompileError<kMsgNotSubscriptable>(name.empty() ? std::string("unknown") : name, FormatValueType(value));
    CompileExpressionList(index, true, indexNode);
    ExpectChar(']');
    return;
  }
  // What a pointer points at may be written whatever the pointer is; an
  // array's elements are as writable as the array.
  const bool throughPointer = value.Level() == kLevelPointer;
  uint16_t bound = 0;
  const bool bounded = KnownBound(value, bound);
  // The base may be in the registers the index needs: it is pushed then.
  CachePrimaryRegister(value, value.IsLvalue());
  CompileExpressionList(index, true, indexNode);
  if (bounded) {
    value.addressSafe = 1;
    if (IsConstant(index)) {
      ConvertConstantTo(index, kTypeInt, false, 0);
      if (int16_t(index.value) >= int32_t(bound))
        CompileError<kMsgIndexOutOfBounds>();
    } else if ((Attributes().current & kAttrIndexCheck) && RunTimeCodeAllowed()) {
      EmitIndexCheck(index, bound);
    }
  }
  ForgetPrimaryRegister(value);
  // An element of an array that lies at a known place, at a constant
  // index, lies at a known place too.
  if (IsConstant(index) && value.Level() == kLevelArray && !IsConstant(value) &&
      value.storage != kStoragePrimary && value.storage != kStorageStackStruct) {
    ConvertConstantTo(index, kTypeInt, false, 0);
    value.value += uint32_t(int32_t(int16_t(index.value)) * int32_t(ArrayDimensionProduct(value)));
  } else if (RunTimeCodeAllowed()) {
    const uint32_t declarator = value.declarator;
    const uint16_t *dimensions = value.dimensions;
    BeginBinaryOperation("+", value, index);
    // The sum is the element's address; the levels stay the base's.
    value.declarator = declarator;
    value.dimensions = dimensions;
    if (value.storage == kStoragePrimary)
      value.SetLvalue(false);
  }
  DereferenceValue(value);
  if (throughPointer)
    value.SetModifiable(true);
  ExpectChar(']');
}

void CompileMember(ValueRecord &value, bool throughPointer) {
  ConsumeChar();
  if (throughPointer)
    ConsumeChar();
  SkipToOperand();
  std::string name;
  const bool structure = value.type >= kFirstStructType &&
                         (throughPointer ? value.Level() == kLevelPointer || value.Level() == kLevelArray
                                         : !value.HasLevel());
  const SymbolRecord *member = nullptr;
  if (ReadIdentifier(name) && structure)
    member = FindMember(name, value.type);
  if (!member) {
    CompileError<kMsgNoSuchMember>();
    if (name.empty())
      SkipToken();
    return;
  }
  const uint16_t offset = member->definition;
  // A member of a const structure is const; what a pointer reaches is not.
  const bool objectModifiable = throughPointer || value.IsModifiable();
  const bool needsCode = throughPointer || value.storage == kStoragePrimary || value.storage == kStorageStackStruct;
  if (needsCode && !RunTimeCodeAllowed()) {
    TakeMember(value, *member, objectModifiable);
    return;
  }
  if (throughPointer) {
    LoadOperandToValueRegister(value);
    AddOffsetInRegister(value, offset);
  } else if (!value.IsLvalue() && value.storage == kStorageStackStruct) {
    if (member->type >= kFirstStructType && OutermostLevel(member->declarator) == kLevelNone) {
      CompileError<kMsgNoSuchMember>();
      return;
    }
    TakeMemberOfStackStructure(value, *member);
    return;
  } else if (value.storage == kStoragePrimary) {
    AddOffsetInRegister(value, offset);
  } else {
    value.value += offset;
  }
  TakeMember(value, *member, objectModifiable);
}

void CompileFunctionDesignator(ValueRecord &value) {
  value.declarator = AddLevel(value.declarator, kLevelArray);
  value.dimensions = kDesignatorDimension;
  SymbolRecord *symbol = value.symbol;
  if (!symbol)
    return;
  if (!CodeGenSetup().noBouncers) {
    // Without stubs a root pointer cannot reach code in the window.
    if (Addr24FromLong(symbol->address).logical >= ExtWindowStart)
      CompileError<kMsgFunctionAddressInXmem>(std::string(symbol->name));
  } else {
    symbol->flagsC |= kFlagsCAddressTaken;
  }
}

uint32_t ClassifyIntrinsic(std::string_view name) {
  for (const IntrinsicName &intrinsic : kIntrinsics)
    if (name == intrinsic.name && (!intrinsic.corvidOnly || CurrentCpu() == TargetCpu::Corvid))
      return NamesSymbol(name) ? 0 : intrinsic.code;
  return 0;
}

bool CompileIntrinsicCall(ValueRecord &value) {
  const uint32_t code = value.intrinsic;
  value.intrinsic = 0;
  if (SkipToOperand() != '(')
    return false;
  switch (code) {
  case kIntrinsicMaxInstance:
    CompileMaxInstance(value);
    return true;
  case kIntrinsicBit:
    CompileBitIntrinsic(BitOperation::kTest, value);
    return true;
  case kIntrinsicSet:
    CompileBitIntrinsic(BitOperation::kSet, value);
    return true;
  case kIntrinsicRes:
    CompileBitIntrinsic(BitOperation::kReset, value);
    return true;
  case kIntrinsicIpset:
    ConsumeChar();
    if (const uint16_t level = CompileConstantExpression(); RunTimeCodeAllowed())
      EmitIpset(level);
    ExpectChar(')');
    value = MakeValue(kTypeVoid, 0, kStoragePrimary, false);
    return true;
  case kIntrinsicIpres:
    ConsumeChar();
    ExpectChar(')');
    if (RunTimeCodeAllowed())
      EmitIpres();
    value = MakeValue(kTypeVoid, 0, kStoragePrimary, false);
    return true;
  default:
    return false;
  }
}

} // namespace tsw
