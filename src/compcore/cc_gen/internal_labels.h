#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Names of the labels the compiler makes for itself (a function's string
// literals, addressed by their offset in its string pool). A name is two or
// three printable characters and '!', which no identifier of a program can
// hold, so it never meets a user's label; every offset of the 16-bit range
// has its own name.
namespace tsw {

// Base-64 digits of n, lowest first, then '!': 0 gives "AA!", 1 "BA!", 64
// "AB!"; from 4096 on a third digit is added.
std::string MakeInternalLabel(uint16_t n);

// One NUL-terminated string of a string pool.
struct PooledString {
  uint16_t offset = 0;
  uint16_t length = 0; // without the terminator

  bool operator==(const PooledString &) const = default;
};

// The strings of the first `count` bytes of a pool, in order. A last string
// the count cuts before its terminator ends at the count, so nothing is read
// past it.
std::vector<PooledString> PooledStrings(const uint8_t *pool, uint16_t count);

} // namespace tsw
