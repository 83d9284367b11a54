#pragma once

#include "compcore/cc_in/cc_in.h"
#include "compcore/common/cc_storage.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The compiler's symbol table: a global and a local hash table of symbol
// records sharing one record memory and one name memory, sized once from the
// symbol limit and carved by moving free pointers, so that entering a symbol
// allocates nothing and a scope is dropped by resetting pointers. Beside it:
// the struct/union type records, the 52 reserved words and the undo list
// that lets a function be compiled again after a segment overflow.
namespace tsw {

// Kind codes that entering a symbol treats specially: the storage classes
// of the declarations that go to the global table.
inline constexpr int16_t kKindGlobal = kClassGlobal;
inline constexpr int16_t kKindTypedefTop = kClassTypedefTop;
inline constexpr int16_t kKindStatic = kClassStaticLocal;
inline constexpr int16_t kKindExtern = kClassExtern;
inline constexpr int16_t kKindMember = kClassMember;
inline constexpr int16_t kKindGlobalStatic = kClassStaticTop; // stored as kKindStatic in the global table

// The byte size a symbol record takes in its table's record memory.
inline constexpr uint32_t kSymbolRecordFixedBytes = 43;
constexpr uint32_t SymbolRecordBytes(size_t listCount) { return kSymbolRecordFixedBytes + 2 * uint32_t(listCount); }

struct SymbolRecord {
  const char *name = "";
  uint8_t nameLength = 0; // at most kIdentifierLength
  uint32_t extent = 0;
  uint8_t flagsA = 0, flagsB = 0, flagsC = 0;
  uint16_t sizeWord = 0;
  uint8_t type = 0;
  uint8_t kind = 0;
  uint32_t declarator = 0;
  uint32_t secondAddress = 0;
  uint32_t address = 0; // packed ADDR24
  uint32_t addressCopy = 0;
  uint16_t definition = 0;
  uint16_t line = 0, column = 0;
  const char *file = "";
  uint16_t prototypeOffset = 0;
  // Where the record stands in its table's record memory: its first byte
  // and one past its list.
  uint32_t offset = 0;
  std::span<const uint16_t> list; // array dimensions or parameter types
};

// The name may be stored into: every object but a const one.
inline constexpr uint8_t kFlagsBModifiable = 0x20;
// The name was used in an expression.
inline constexpr uint8_t kFlagsAReferenced = 0x02;
// A function's own attributes: "Typed", and "firsttime" (handed its
// caller's task buffer).
inline constexpr uint8_t kFlagsATyped = 0x10;
inline constexpr uint8_t kFlagsAFirstTime = 0x20;
// Root code took the address of a function while calls to extended memory
// go without bouncers: the function needs a root stub.
inline constexpr uint8_t kFlagsCStubWanted = 0x01;
// Entry values of the flag bytes and the size word.
inline constexpr uint8_t kFlagsBOnEntry = kFlagsBModifiable;
inline constexpr uint16_t kSizeWordOnEntry = 4;

struct TypeRecord {
  char tag[kNameBufferSize] = {};
  uint16_t size = 0;
  std::vector<SymbolRecord *> members;
};

// Sizes the tables for `symbolLimit` records (the configuration key "sym").
void AllocateSymbolTables(uint16_t symbolLimit);
// The division of the memories at the start of every compile; `fullReset`
// (a compile that includes the BIOS) also empties the global table and the
// type records.
void ResetSymbolTablesForCompile(bool fullReset);
void ResetLocalSymbolTable();
void MoveLocalTableBoundary();
// Drops everything; tables must be allocated again.
void ResetSymbolTableModule();

uint32_t HashName(std::string_view name, uint32_t modulus);

enum class SymbolTableId { kGlobal, kLocal };
SymbolRecord *FindSymbolSlot(SymbolTableId table, std::string_view name);
// Visits the table's records in entry order until `visit` answers true.
void ForEachSymbolRecord(SymbolTableId table, const std::function<bool(const SymbolRecord &)> &visit);
SymbolRecord *LookupSymbol(std::string_view name, bool onlyMembers, SymbolTableId table);

// Enters `name`, or gives the record it already has after the
// redeclaration checks. Throws xCCErrOvflo when a table is full.
SymbolRecord *AddSymbol(std::string_view name, uint32_t declarator, int16_t type, uint16_t definition, int16_t kind,
                        std::span<const uint16_t> list = {});

// Rewrites `name` (a buffer of kNameBufferSize) as the static or member name
// for `number`: "x" of the struct with id 17 becomes "x_aB".
void MakeStaticName(char *name, uint16_t number);
bool CheckNotReservedWord(std::string_view name);

// Snapshot and rollback of the entries made while a function compiles.
void SnapshotSymbolInserts();
void RollBackSymbolInserts();

// Struct and union types: ids from 16 up; null for ids below 16 and for ids
// without a record.
inline constexpr int16_t kFirstTypeId = 16;
inline constexpr int16_t kLastTypeId = 255;
TypeRecord *TypeRecordAt(int16_t id);
TypeRecord *FindTypeByName(std::string_view tag);
// A new type record; null after error 419 (area full) or 420 (id above 255).
TypeRecord *NewTypeRecord(std::string_view tag, int16_t *id);
// Appends a member to the list of `type`; false after error 419.
bool PushTypeMember(TypeRecord *type, SymbolRecord *member);
std::span<SymbolRecord *const> TypeMembers(const TypeRecord *type);

} // namespace tsw
