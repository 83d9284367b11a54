#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

// The little-endian stream form that the library cache files and the fixup
// records are written in.
namespace tsw {

void TaWriteU16(std::ostream &out, uint16_t value);
bool TaReadU16(std::istream &in, uint16_t &value);

// A text element: a u16 length that counts the terminating zero byte, then
// the bytes with that zero. A text too long for its length field is not
// written (false).
bool TaWriteText(std::ostream &out, std::string_view text);
// False when the stream ends early or the element is malformed (a length of
// 0, or a last byte that is not the terminator).
bool TaReadText(std::istream &in, std::string &text);

} // namespace tsw
