#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <string_view>

// Function calls: the argument list read from the source and pushed, the
// call in the form the callee needs, and the arguments taken off the stack
// after it.
namespace tsw {

struct ValueRecord;

// `callee` designates what is called; the cursor stands just before '('.
// Consumes the argument list and its ')' and leaves the result where the
// expression compiler expects it: storage 255 in the value register, 254 a
// structure on the stack.
void CompileFunctionCall(ValueRecord &callee);

// A call of the named function: the BIOS's address first, then `known`,
// else a reference the label table patches once the function is placed.
// The pseudo functions FPUSH and FNULL emit nothing and set `pseudo`.
// `pushed` counts the bytes the call leaves on the stack for its caller.
void EmitDirectCall(std::string_view name, bool &pseudo, uint16_t &pushed, ADDR24 known);

} // namespace tsw
