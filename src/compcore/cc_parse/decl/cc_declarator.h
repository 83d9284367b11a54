#pragma once

#include "compcore/cc_stab/cc_stab.h"

#include <cstdint>
#include <string>
#include <vector>

// Declarators: the pointers, arrays and functions around a name, packed
// into the declarator word (4 bits a level, the outermost level lowest),
// with the array dimensions beside it, outermost first.
namespace tsw {

// Level kinds in the low two bits of a level; bit 2 marks a const level.
enum : uint32_t { kLevelEnd = 0, kLevelArray = 1, kLevelPointer = 2, kLevelFunction = 3 };
inline constexpr uint32_t kLevelKindMask = 3;
inline constexpr uint32_t kConstLevel = 4;
inline constexpr unsigned kLevelBits = 4;
inline constexpr uint32_t kLevelMask = 0xF;
inline constexpr unsigned kMaxLevels = 7;
inline constexpr unsigned kMaxDimensions = 7;
inline constexpr int32_t kMaxDimension = 32767;

// Base type codes.
enum : int16_t {
  kTypeChar = 1,
  kTypeInt = 2,
  kTypeUnsigned = 3,
  kTypeLong = 4,
  kTypeUnsignedLong = 5,
  kTypeFloat = 7,
  kTypeVoid = 12,
};

// Member qualifiers.
enum : uint8_t { kQualifierNone = 0, kQualifierShared = 1, kQualifierProtected = 2 };

constexpr uint32_t OutermostKind(uint32_t word) { return word & kLevelKindMask; }
constexpr unsigned LevelCount(uint32_t word) {
  unsigned n = 0;
  while (n < 8 && ((word >> (kLevelBits * n)) & kLevelKindMask) != kLevelEnd)
    ++n;
  return n;
}
constexpr bool HasLevel(uint32_t word, uint32_t kind) {
  for (unsigned i = 0; i < LevelCount(word); ++i)
    if (((word >> (kLevelBits * i)) & kLevelKindMask) == kind)
      return true;
  return false;
}
// A const object: its outermost level is const, or it has no levels and
// the declaration's const flag.
constexpr bool IsConstObject(uint32_t word) { return (word & kConstLevel) != 0; }
// A const object's name takes no store.
inline void MarkConstObject(SymbolRecord &symbol) {
  if (IsConstObject(symbol.declarator))
    symbol.flagsB = uint8_t(symbol.flagsB & ~kFlagsBModifiable);
}
uint16_t BaseTypeSize(int16_t type);

// The declarator state of the declaration being parsed.
struct DeclaratorState {
  std::string name;
  uint32_t word = 0;
  bool constFlag = false;
  std::vector<uint16_t> dimensions; // outermost first
  uint16_t elementCount = 0;
  uint16_t elementSize = 0;
  uint16_t byteSize = 0;
  // The object's size passed 65535 bytes: it is reported and not allocated.
  bool tooLarge = false;
  // The declarator has more levels than its word holds: it is reported and
  // not entered, since its levels and dimensions disagree.
  bool tooComplex = false;
  int16_t baseType = 0;
  const SymbolRecord *typedefSymbol = nullptr;
  int16_t storageClass = kClassNone;
  uint8_t memberQualifier = kQualifierNone;
  bool parsing = false; // guards against re-entry
};
DeclaratorState &Declarator();

// Results of the declarator parsers.
enum : int { kNotFunction = 0, kFunctionEmptyList = 1, kFunctionWithParameters = 2 };

// The declarator at the cursor, combined with the typedef the base type
// came from; leaves the state set.
int ParseDeclarator(int16_t baseType);
// The same without a name (casts and sizeof).
int ParseTypeNameDeclarator(int16_t baseType);
void ElementCountAndSize(int16_t baseType);

// An object or type of more bytes than a 16-bit size holds.
inline constexpr uint32_t kMaxObjectBytes = 65535;
void ReportObjectTooLarge();

// The declarator just parsed declares a plain void (no levels).
bool IsPlainVoidDeclarator(int16_t baseType);

// Skips blanks across lines and matches the keyword.
bool SkipAndMatch(const char *keyword);

void ResetDeclaratorState();

} // namespace tsw
