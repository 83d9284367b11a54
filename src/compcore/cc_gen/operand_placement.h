#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// Brings the two operands of a binary operator to where its code or its
// run-time routine takes them, each converted to the operation's type. At
// most one operand is in the registers when an operation starts; the other
// is in memory, a constant, or pushed (a right operand pushed lies above a
// pushed left one). A cached operand is pushed only when a load needs its
// registers, and popped back once the other operand is in place.
namespace tsw {

void ConvertForOperation(ValueRecord &value, uint8_t type);

// The value in the value register (a char in A with `charInA`).
void PlaceInValueRegister(ValueRecord &value, uint8_t type, bool charInA);
// Two 2-byte operands into HL and DE: the left one into HL with
// `leftInHl`, else into DE.
void PlaceInHlAndDe(ValueRecord &left, ValueRecord &right, uint8_t type, bool leftInHl);
// One operand pushed and the other in the value register. True when they
// ended the other way round (`inRegisters` pushed): the caller exchanges
// them, mirrors its operation, or, for an operation whose order does not
// matter, does nothing.
bool PlaceOnStackAndInRegisters(ValueRecord &pushed, ValueRecord &inRegisters, uint8_t type);

} // namespace tsw
