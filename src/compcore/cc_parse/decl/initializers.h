#pragma once

#include <cstdint>
#include <vector>

// The storage of a global or static object: its initializer read at the
// cursor and compiled into initialized data in step with the object's type
// (structure members, array elements, scalars), or, without one, zero bytes
// of root data.
namespace tsw {

// The object the declaration parser declares with its initializer (after
// "=" when `hasInitializer`). `declarator` and `dimensions` are the
// declarator word and the array dimensions, outermost first; an unsized
// outermost dimension (0) takes the initializer's count. The object's
// address, packed.
uint32_t EmitInitializer(uint32_t declarator, int16_t type, std::vector<uint16_t> &dimensions, bool hasInitializer);

} // namespace tsw
