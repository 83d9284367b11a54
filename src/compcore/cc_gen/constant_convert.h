#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// Changing the type of a value record. Every conversion starts with the same
// set-up (which row and column of the 8 x 8 tables the pair takes, and what
// the record's type and declarator become) and ends with the same commit (the
// type written once, the invalid pair and the demotion reported); in between
// a constant has its value field rewritten to what the target's conversion
// would leave in it.
namespace tsw {

// Rows and columns of the conversion tables.
enum class ConversionIndex : uint8_t {
  kChar,
  kInt,
  kUnsigned,
  kLong,
  kUnsignedLong,
  kFloat,
  kPointer,
  kOther,
};
ConversionIndex ConversionIndexOf(uint8_t type);

// What the caller asks of a conversion.
enum : uint8_t {
  kConvertReportDemotion = 1u << 0, // warn when the value may not fit
  kConvertNarrowChar = 1u << 1,     // narrow a char held in registers
};
// The code generator's own conversions ask for both.
inline constexpr uint8_t kConvertDefaultOptions = kConvertReportDemotion | kConvertNarrowChar;

// The conversion pointer or void address base type.
inline constexpr uint8_t kTypeAddressBase = 12;

struct ConversionRecord {
  ValueRecord *value = nullptr;
  bool commit = true;      // cleared: the record's type is not written back
  bool valid = true;       // cleared by an invalid pair: error at the commit
  bool demoted = false;    // the value may not fit the target type
  bool toPointer = false;
  uint8_t options = 0;
  uint8_t initialType = 0;
  uint8_t targetType = 0;  // what the commit writes
  uint32_t savedDeclarator = 0;
  ConversionIndex from = ConversionIndex::kOther;
  ConversionIndex to = ConversionIndex::kOther;
};

// The set-up of a conversion of `value` to `type` (a pointer to it when
// toPointer is set).
ConversionRecord BeginConversion(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options);
// Writes the type, or reports the invalid pair (401); reports a demotion
// (807) when the tcdmtn setting is on and the caller asked for it.
void CommitConversion(ConversionRecord &conversion);

// The classification every non-constant conversion starts with: the same
// type needs nothing written back, a narrowing may demote, a structure or a
// float to or from an address is invalid.
void ClassifyConversion(ConversionRecord &conversion);
// Classification only, nothing committed or reported: the commit flag says
// whether the value needs code or a new type at all (int and unsigned, long
// and unsigned long share their registers).
ConversionRecord ConvertCheck(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options);

// The constant's cell: its value field rewritten in the target type's width,
// the demotion flagged when the value lies outside the target's range.
void ConvertConstantCell(ConversionRecord &conversion);

// Set-up, constant cell and commit for a constant (storage 0).
void ConvertConstantTo(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options);

} // namespace tsw
