#pragma once

#include "compcore/cc_gen/value_record.h"

// What the expression compiler does to a value record between reading an
// operand and handing it to the code generator: the checks every operator
// makes of its operands and the one indirection that unary '*', subscripts
// and calls through pointers share. Each check reports through the
// diagnostic list and leaves the record as it was, so the walk goes on.
namespace tsw {

// False (399) for a plain void value; `void *` and void functions not yet
// called are values like any other.
bool CheckValueNotVoid(const ValueRecord &value);

// True when the value can be stepped or stored in place: constants and
// fixed-address objects always; stack variables when the frame pointer or
// an SP-relative word access reaches them.
bool IsDirectlyAddressable(const ValueRecord &value);

// True for an lvalue and for a named scalar object; otherwise 458.
bool CheckAssignable(const ValueRecord &value);

// Takes one array or pointer level off: the record then designates the
// element or the pointee. An address constant, and a pointer not yet
// held in the value register, are loaded first, as the object lies where
// they point. 459 when there is no level to take, after
// which the value is treated as an array.
void DereferenceValue(ValueRecord &value);

} // namespace tsw
