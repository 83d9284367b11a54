#pragma once

#include <cstddef>
#include <cstdint>

// The type name of a cast or of sizeof, read through the declaration
// parser. Its state belongs to the declaration the expression stands in (a
// dimension, an initializer), so it is put back whatever happens.
namespace tsw {

struct TypeName {
  int16_t baseType = 0;
  uint32_t declarator = 0;
  uint16_t byteSize = 0;
  // Into the walk's own lists, which outlive the expression's records.
  const uint16_t *dimensions = nullptr;
  size_t dimensionCount = 0;
};

// A type name at the cursor, up to but not including its ')'; false, nothing
// consumed, when no type stands there.
bool ReadTypeName(TypeName &name);

} // namespace tsw
