#pragma once

#include <cstdint>

// The declaration parser: qualifiers, storage classes and base types, the
// declarators of one declaration turned into symbols and storage, and the
// parameters of function definitions.
namespace tsw {

// Where a declaration stands.
enum : int {
  kLevelPrototypeParameters = -2,
  kLevelOldStyleParameters = -1,
  kLevelLocal = 0,
  kLevelTop = 1,
};

// Results of DeclareDeclarators besides a running frame offset.
enum : int16_t { kDeclaredFunction = 1, kDeclaredWithoutType = 2 };

// The declarations at the cursor; 0 when nothing there is one. At top
// level 0 also when the declaration had no type.
uint16_t ParseDeclaration(int level);
// The base type at the cursor, 0 when none.
int16_t ParseBaseType();
// The base type, or the type of a typedef name, which becomes the
// declaration's typedef symbol; 0 (nothing consumed) when neither.
int16_t ParseBaseTypeOrTypedef();
// "shared" or "protected" at the cursor: its member qualifier, else 0.
uint8_t MatchMemberQualifier();
// The declarators of one declaration; the running frame offset of its
// autos, or a kDeclared... result at top level.
int16_t DeclareDeclarators(int16_t baseType, int16_t storageClass, int level, bool implicitInt);
// Consumes ";" or reports it missing (nothing when the rest of the line
// was dropped after an error).
void ExpectSemicolon();

// Where the last top-level declaration began.
struct DeclarationStart {
  uint16_t line = 0, column = 0;
};
DeclarationStart DeclarationStartPosition();
// The bytes of the locals declared by the last ParseDeclaration at level 0.
int32_t LocalsTotal();

// Symbol flag bits the parser sets.
inline constexpr unsigned kFlagsAQualifierShift = 2;
inline constexpr uint8_t kFlagsAQualifierMask = 0x0C;
inline constexpr unsigned kFlagsAAddressShift = 6;
inline constexpr uint8_t kFlagsAAddressMask = 0xC0;
inline constexpr uint8_t kFlagsCTyped = 0x20;
// The per-declaration "@" address flags.
inline constexpr uint8_t kAddressPlaced = 0x1;

void ResetDeclarationModule();

} // namespace tsw
