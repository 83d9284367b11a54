#include "runner/intel_hex.h"

#include <fmt/format.h>

#include <charconv>
#include <sstream>
#include <vector>

namespace tsw::target {
namespace {

enum RecordType : uint8_t { kData = 0, kEnd = 1, kExtendedSegment = 2, kExtendedLinear = 4 };
constexpr size_t kBytesPerRecord = 32;

std::optional<std::vector<uint8_t>> HexPairs(std::string_view text) {
  if (text.size() % 2 != 0)
    return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    uint8_t byte = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (error != std::errc() || end != text.data() + i + 2)
      return std::nullopt;
    bytes.push_back(byte);
  }
  return bytes;
}

std::string Record(uint8_t type, uint16_t address, const std::vector<uint8_t> &data) {
  uint8_t sum = uint8_t(data.size() + (address >> 8) + address + type);
  std::string line = fmt::format(":{:02X}{:04X}{:02X}", data.size(), address, type);
  for (uint8_t byte : data) {
    line += fmt::format("{:02X}", byte);
    sum = uint8_t(sum + byte);
  }
  return line + fmt::format("{:02X}\n", uint8_t(-sum));
}

} // namespace

std::optional<ImageBytes> ReadIntelHex(std::string_view text) {
  ImageBytes image;
  uint32_t base = 0;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
      line.pop_back();
    if (line.empty())
      continue;
    if (line[0] != ':')
      return std::nullopt;
    std::optional<std::vector<uint8_t>> fields = HexPairs(std::string_view(line).substr(1));
    constexpr size_t kFramingBytes = 5; // count, address (2), type, checksum
    if (!fields || fields->size() < kFramingBytes || fields->size() != (*fields)[0] + kFramingBytes)
      return std::nullopt;
    uint8_t sum = 0;
    for (uint8_t byte : *fields)
      sum = uint8_t(sum + byte);
    if (sum != 0)
      return std::nullopt;
    const uint16_t address = uint16_t((*fields)[1] << 8 | (*fields)[2]);
    const uint8_t type = (*fields)[3];
    const uint8_t *data = fields->data() + 4;
    const size_t count = (*fields)[0];
    switch (type) {
    case kData:
      for (size_t i = 0; i < count; ++i)
        image[base + uint16_t(address + i)] = data[i];
      break;
    case kEnd: return image;
    case kExtendedSegment:
    case kExtendedLinear:
      if (count != 2)
        return std::nullopt;
      base = uint32_t(data[0] << 8 | data[1]) << (type == kExtendedSegment ? 4 : 16);
      break;
    default: return std::nullopt;
    }
  }
  return image;
}

std::string WriteIntelHex(const ImageBytes &bytes) {
  std::string text;
  uint32_t upper = 0;
  for (auto at = bytes.begin(); at != bytes.end();) {
    const uint32_t start = at->first;
    if (start >> 16 != upper) {
      upper = start >> 16;
      text += Record(kExtendedLinear, 0, {uint8_t(upper >> 8), uint8_t(upper)});
    }
    std::vector<uint8_t> data;
    uint32_t next = start;
    // A record neither crosses a 64 KiB boundary nor skips an address.
    while (at != bytes.end() && at->first == next && data.size() < kBytesPerRecord && next >> 16 == upper) {
      data.push_back(at->second);
      ++at;
      ++next;
    }
    text += Record(kData, uint16_t(start), data);
  }
  return text + Record(kEnd, 0, {});
}

} // namespace tsw::target
