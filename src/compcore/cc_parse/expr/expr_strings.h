#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// String literals and the delimited texts the directives take. The text of
// the last literal stays readable (the initializers copy it into data); in
// program and watch-code output it also goes into the string pool, which the
// code generator emits after the function as its literals' data.
namespace tsw {

struct ValueRecord;

struct StringPool {
  std::vector<uint8_t> bytes; // the configured capacity
  uint16_t used = 0;
  bool fullReported = false; // 456 once per compile
  // A literal equal to the tail of a pooled string shares its bytes.
  bool merging = false;
};
StringPool &LiteralPool();
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
