#pragma once

#include <cstdint>
#include <string_view>

// String literals and the delimited texts the directives take. The text of
// the last literal stays readable (the initializers copy it into data); in
// program and watch-code output it also goes into the string pool, which the
// code generator emits after the function as its literals' data.
namespace tsw {

struct ValueRecord;

// The bounds of the function's string pool (the code generator keeps its
// bytes and emits them after the function).
struct LiteralPoolLimits {
  uint32_t capacity = 0;     // the configured "lit" bytes
  bool fullReported = false; // 456 once per compile
  // A literal equal to the tail of a pooled string shares its bytes.
  bool merging = false;
};
LiteralPoolLimits &LiteralPool();
// Empties the pool for a compile, `capacity` bytes large.
void ResetStringPool(uint32_t capacity);
// Back to program start: no literal read, the pool of the default size.
void ResetStringLiterals();

// A string literal after blanks: its length with the terminator, or 0 when
// none stands there. The record is the char array of the string-literal
// symbol with the literal's pool offset and length.
uint16_t CompileStringLiteral(ValueRecord &value);
// The bytes of the last literal, its terminator included.
std::string_view LastStringLiteral();

// Reads literal text with escapes up to the delimiter (for 0: up to a blank)
// or the line's end into `buffer` of `size` bytes, zero-terminated; one past
// the terminator. A longer text is cut (455) and its rest skipped.
char *ReadDelimitedText(char *buffer, uint16_t size, char delimiter);

} // namespace tsw
