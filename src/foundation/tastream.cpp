#include "foundation/tastream.h"

namespace tsw {

void TaWriteU16(std::ostream &out, uint16_t value) {
  char bytes[2] = {char(value & 0xFF), char(value >> 8)};
  out.write(bytes, 2);
}

bool TaReadU16(std::istream &in, uint16_t &value) {
  unsigned char bytes[2];
  if (!in.read(reinterpret_cast<char *>(bytes), 2))
    return false;
  value = uint16_t(bytes[0] | (bytes[1] << 8));
  return true;
}

bool TaWriteText(std::ostream &out, std::string_view text) {
  if (text.size() >= UINT16_MAX)
    return false;
  TaWriteU16(out, uint16_t(text.size() + 1));
  out.write(text.data(), std::streamsize(text.size()));
  out.put('\0');
  return bool(out);
}

bool TaReadText(std::istream &in, std::string &text) {
  uint16_t length = 0;
  if (!TaReadU16(in, length) || length == 0)
    return false;
  std::string bytes(length, '\0');
  if (!in.read(bytes.data(), length) || bytes.back() != '\0')
    return false;
  bytes.pop_back();
  text = std::move(bytes);
  return true;
}

} // namespace tsw
