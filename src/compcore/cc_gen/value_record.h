#pragma once

#include <cstdint>

// The descriptor of the expression being compiled. The expression compiler
// fills it and hands it down; the code generator's emit functions read it and
// update its storage and type as they move the value. It is copied whole by
// assignment and owns nothing: the symbol and its dimension list belong to the
// symbol table.
namespace tsw {

struct SymbolRecord;

// Basic type codes; 16 and above are structure type ids (index + 16).
enum : uint8_t {
  kTypeNone = 0,
  kTypeChar = 1,
  kTypeInt = 2,
  kTypeUnsigned = 3,
  kTypeLong = 4,
  kTypeUnsignedLong = 5,
  kTypeFloat = 7,
  kTypeLabel = 11,
  kTypeVoid = 12,
  kFirstStructType = 16,
};

// Where a value lives. 1, 3, 4 and 252 have a fixed address.
enum : uint8_t {
  kStorageConstant = 0,
  kStorageGlobal = 1,
  kStorageAuto = 2,
  kStorageStatic = 3,
  kStorageRegisterClass = 4,
  kStorageExtern = 252,
  kStorageStackStruct = 254,
  kStoragePrimary = 255,
};

// The declarator word: one nibble per level, outermost level lowest; the low
// two bits of a nibble are its kind.
enum : uint32_t {
  kLevelNone = 0,
  kLevelArray = 1,
  kLevelPointer = 2,
  kLevelFunction = 3,
};
inline constexpr uint32_t kLevelKindMask = 3;
inline constexpr int kLevelBits = 4;

constexpr uint32_t OutermostLevel(uint32_t declarator) { return declarator & kLevelKindMask; }
constexpr uint32_t AddLevel(uint32_t declarator, uint32_t kind) {
  return (declarator << kLevelBits) | kind;
}
constexpr uint32_t RemoveLevel(uint32_t declarator) { return declarator >> kLevelBits; }

// `flags` bits, from the least significant.
enum : uint16_t {
  kValueLvalue = 1u << 0,
  kValueByteResult = 1u << 1,    // a char held in A, not widened
  kValueMemoryClassShift = 2,    // two bits
  kValueMemoryClassMask = 3u << 2,
  kValueInstancesShift = 4,      // six bits
  kValueInstancesMask = 0x3Fu << 4,
  kValueAttr6 = 1u << 10,
  kValueAttr5 = 1u << 11,
  kValueStepNotLoaded = 1u << 12,
  kValueCodeFlag13 = 1u << 13,
  kValueModifiable = 1u << 14,
  kValueAttr14 = 1u << 15,
};
// `flags2` bit 0: bit 15 of the symbol's attribute word.
inline constexpr uint8_t kValueFlags2Attr15 = 1u << 0;

// The address space an operand lies in. Only the Corvid reaches I/O space
// through memory instructions, under a prefix byte.
enum class IoSpace : uint8_t { kMemory = 0, kInternal = 1, kExternal = 2 };

struct ValueRecord {
  uint8_t type = 0;
  uint8_t storage = 0;
  uint32_t declarator = 0;
  SymbolRecord *symbol = nullptr;
  // The constant (integers at their target width, a float as IEEE single
  // bits), a stack variable's frame offset, or a byte offset added to the
  // symbol's address.
  uint32_t value = 0;
  uint16_t length = 0; // a string literal's bytes with the terminator
  const uint16_t *dimensions = nullptr;
  uint16_t flags = 0;
  uint8_t flags2 = 0;
  uint8_t wasLvalue = 0;
  uint8_t generatorByte = 0;
  uint8_t addressConstant = 0;
  uint8_t sideEffects = 0;
  uint32_t intrinsic = 0;
  uint16_t addressSafe = 0;
  // Conditions left in the flags by a comparison (0 none, negative when
  // inverted) and the code length a branch may take back.
  int16_t zeroFlagCondition = 0;
  int16_t carryFlagCondition = 0;
  int16_t skipLength = 0;
  uint16_t poolOffset = 0;
  IoSpace ioSpace = IoSpace::kMemory;

  bool IsLvalue() const { return flags & kValueLvalue; }
  void SetLvalue(bool on) { SetFlag(kValueLvalue, on); }
  bool IsByteResult() const { return flags & kValueByteResult; }
  void SetByteResult(bool on) { SetFlag(kValueByteResult, on); }
  bool StepNotLoaded() const { return flags & kValueStepNotLoaded; }
  void SetStepNotLoaded(bool on) { SetFlag(kValueStepNotLoaded, on); }
  bool CodeFlag13() const { return flags & kValueCodeFlag13; }
  void SetCodeFlag13(bool on) { SetFlag(kValueCodeFlag13, on); }
  bool IsModifiable() const { return flags & kValueModifiable; }
  void SetModifiable(bool on) { SetFlag(kValueModifiable, on); }
  uint8_t MemoryClass() const { return (flags & kValueMemoryClassMask) >> kValueMemoryClassShift; }
  uint8_t Instances() const { return (flags & kValueInstancesMask) >> kValueInstancesShift; }
  uint32_t Level() const { return OutermostLevel(declarator); }
  bool HasLevel() const { return Level() != kLevelNone; }

  void SetFlag(uint16_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }
};

// The 16-bit word a symbol's flags A and B form: the attributes a value
// copies from its symbol.
uint16_t SymbolAttributeWord(const SymbolRecord &symbol);

// The one pseudo-symbol that stands for every string literal.
SymbolRecord *StringLiteralSymbol();
bool IsStringLiteralSymbol(const SymbolRecord *symbol);

// Fills a record in place; fields it does not name (address constant, side
// effects, generator byte, intrinsic, skip length, pool offset) keep what they
// held, so creators start from a cleared record.
void InitValueRecord(ValueRecord &record, uint8_t storage, uint8_t type, uint32_t declarator,
                     SymbolRecord *symbol, uint32_t value, const uint16_t *dimensions,
                     uint16_t lvalue, uint16_t byteResult);

} // namespace tsw
