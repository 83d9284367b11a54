#pragma once

#include "compcore/cc_gen/value_record.h"

#include <string_view>

class AST;

// The postfix operators other than the call: subscripts, members, function
// designators that are not called, and the intrinsics a name stands for.
namespace tsw {

// "[" at the cursor: the element of an array or of what a pointer points
// at, with its bound checked where one is known. `indexNode` is the
// index's tree, or null.
void CompileSubscript(ValueRecord &value, AST *indexNode = nullptr);
// "." or "->" at the cursor.
void CompileMember(ValueRecord &value, bool throughPointer);
// A function named without a call: its address, as an array level over
// its function level.
void CompileFunctionDesignator(ValueRecord &value);

// The intrinsic `name` stands for on the current processor, 0 for none.
uint32_t ClassifyIntrinsic(std::string_view name);
// The call of the intrinsic the record names, its arguments at the cursor;
// false, nothing compiled, when no "(" follows.
bool CompileIntrinsicCall(ValueRecord &value);

} // namespace tsw
