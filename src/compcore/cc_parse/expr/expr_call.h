#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <string_view>

// Function calls: the argument list read from the source and pushed, the
// call in the form the callee needs, and the arguments taken off the stack
// after it.
namespace tsw {

struct ValueRecord;
class ExpandedArgumentScope;

// `callee` designates what is called: a function symbol, or a function
// reached through a pointer whose value is in the value register or pushed.
// The cursor stands just before '('. Consumes the argument list and its ')'
// and leaves the result where the expression compiler expects it: storage
// 255 in the value register, 254 a structure on the stack.
void CompileFunctionCall(ValueRecord &callee);

// The arguments of `arguments`, compiled last to first and pushed; `last`
// is the value of the argument compiled last (the void constant for an
// empty list) and `pushed` grows by the bytes the arguments take.
void CompileCallArguments(ExpandedArgumentScope &arguments, const ValueRecord &callee, ValueRecord &last,
                          uint16_t &pushed);

// A call of the named function: the BIOS's address first, then `known`,
// else a reference the label table patches once the function is placed.
// The pseudo functions FPUSH and FNULL emit nothing and set `pseudo`.
// `pushed` counts the bytes the call leaves on the stack for its caller.
void EmitDirectCall(std::string_view name, bool &pseudo, uint16_t &pushed, ADDR24 known);

} // namespace tsw
