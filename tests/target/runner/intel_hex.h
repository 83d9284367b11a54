#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tsw::target {

// The bytes of an image by absolute address.
using ImageBytes = std::map<uint32_t, uint8_t>;

// Reads an Intel HEX text (data, end, extended segment and extended linear
// address records); nullopt for a malformed record or a wrong checksum.
std::optional<ImageBytes> ReadIntelHex(std::string_view text);

// Writes the bytes as Intel HEX, runs of consecutive addresses in records
// of up to 32 bytes, with an extended linear address record wherever the
// upper 16 address bits change.
std::string WriteIntelHex(const ImageBytes &bytes);

} // namespace tsw::target
