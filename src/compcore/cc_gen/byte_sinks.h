#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// Where constants, initialised data and code bytes go: the current code
// cache, or the current constant cache (whose bytes written for an
// initialiser also mark that initialised data was emitted).
namespace tsw {

enum class ByteSink : uint8_t { kCode, kConstantData, kInitializedData };

// The initialised-data mark; the declaration compiler reads and clears it.
bool &InitializedDataEmitted();

void PutBytes(ByteSink sink, const uint8_t *bytes, uint16_t count);
// The low `count` bytes of the value, low first; 2000 (and 4 bytes) for a
// count above 4.
void PutValue(ByteSink sink, uint32_t value, uint16_t count);
// The 16-bit address of the value, with its fixup while it is not known.
void PutAddress(ByteSink sink, const ValueRecord &value);
// The address in the size of the value's type: a char 1 byte, a long 4
// (the address and two zero bytes); 623 for a type without a size here.
void PutSizedAddress(ByteSink sink, const ValueRecord &value);

} // namespace tsw
