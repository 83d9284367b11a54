#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <vector>

// What every function leaves for its end: the root-memory stubs through
// which extended-memory functions are called without a bouncer (Corvid
// only), and the string literals of its body, each under its internal
// label.
namespace tsw {

// The current function's string literals, NUL-terminated one after the
// other; a literal is addressed by its offset.
struct StringPool {
  std::vector<uint8_t> bytes;
  uint16_t count = 0;
};
StringPool &FunctionStringPool();

void EmitPendingStubsAndStrings();
// At the current code address, the root stub through which a plain call
// reaches `function` in extended memory.
void EmitFarCallStub(ADDR24 function);
// At the current root code address, the Z180's way into `function` in
// extended memory: rst 30h, then the page and the address the universal
// bouncer reads behind it. The first of a compile links the bouncer.
void EmitZ180RootBouncer(ADDR24 function);

} // namespace tsw
