#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>
#include <string>

// Conversions of values the compiler cannot fold: a value pushed on the
// target stack is converted in place by a run-time routine (or a short
// Corvid sequence), a value in registers or memory is loaded and converted
// in the registers. Routines are named after the two types by the letters
// of "?ciulgbfd": "I..L" converts a pushed int to a long, "Hi.Bl" an int
// in HL to a long in DE:BC.
namespace tsw {

// Where a register conversion's value is and goes: bit 1 the source in the
// 4-byte registers, bit 0 the result.
enum : uint8_t {
  kConvertWordToLong = 1,
  kConvertLongToWord = 2,
  kConvertLongToLong = 3,
};

std::string StackConversionName(uint8_t from, uint8_t to);
std::string RegisterConversionName(uint8_t from, uint8_t to, uint8_t registers);

// The value on top of the stack becomes `to`; StackOffset follows the
// pushed sizes (a char takes a word). 404 for a code of 10 or above.
void ConvertStackValue(ValueRecord &value, uint8_t to);
// The value in registers becomes `to` and takes that type.
void ConvertRegisterValue(ValueRecord &value, uint8_t to, uint8_t registers);

// The one entry for changing a value's type: a constant is rewritten, a
// pushed value converted on the stack, any other loaded and converted in
// registers; the type is written once at the end, an invalid pair is 401
// and a possible loss of value 807 (when the caller and tcdmtn ask).
void ConvertOperandTo(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options);

} // namespace tsw
