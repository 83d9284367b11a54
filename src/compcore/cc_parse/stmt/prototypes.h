#pragma once

#include <cstdint>

// Prototypes: each function's parameter list is recorded once, at its first
// declaration with typed parameters, and every later declaration and the
// definition are held to it.
namespace tsw {

struct SymbolRecord;

// How an argument is passed, and the ends of a list.
enum : uint8_t {
  kPassedAsWord = 2,
  kPassedAsLong = 4,
  kPassedOtherwise = 253,
  kListEndsWithEllipsis = 254,
  kListEnds = 255,
};

struct PrototypeEntry {
  uint8_t kind = 0;
  uint8_t type = 0;
  uint32_t declarator = 0;
};

// The pool's room in entries; a list that does not fit ends the compile.
inline constexpr uint16_t kPrototypePoolEntries = 4096;

// The parameters just declared (the local table) against the function's
// recorded list, or recorded as its list. `count` is the parameter list
// parser's answer: nothing is checked below 1. `variableArguments`: the
// declaration ends in "...". 0 when the body may follow, 1 after 473.
int CheckPrototype(int count, SymbolRecord &function, bool hasBody, bool variableArguments, bool firstTime);

// The recorded list of a function, up to and with its end marker; empty
// when it has none.
const PrototypeEntry *PrototypeOf(const SymbolRecord &function);

// Each compile starts the pool afresh, a program compile keeping the lists
// of the BIOS compiled before it (its symbols stay).
void StartPrototypesForCompile(bool biosCompile);
void ResetPrototypePool();

} // namespace tsw
