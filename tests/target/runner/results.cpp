#include "runner/results.h"

#include <fmt/format.h>

#include <bit>
#include <charconv>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace tsw::target {
namespace {

struct TypeName {
  std::string_view text;
  ResultType type;
};

constexpr TypeName kTypeNames[] = {
    {"unsigned long", ResultType::UnsignedLong},
    {"unsigned int", ResultType::Unsigned},
    {"unsigned", ResultType::Unsigned},
    {"long", ResultType::Long},
    {"int", ResultType::Int},
    {"char", ResultType::Char},
    {"float", ResultType::Float},
};

bool IsSigned(ResultType type) { return type == ResultType::Int || type == ResultType::Long; }

std::vector<uint8_t> LittleEndian(uint64_t value, uint32_t size) {
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < size; ++i)
    bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return bytes;
}

std::vector<std::string> SplitValues(const std::string &text) {
  std::vector<std::string> values;
  std::istringstream fields(std::regex_replace(text, std::regex(","), " "));
  for (std::string value; fields >> value;)
    values.push_back(value);
  return values;
}

} // namespace

uint32_t ResultTypeSize(ResultType type) {
  switch (type) {
  case ResultType::Char: return 1;
  case ResultType::Int:
  case ResultType::Unsigned: return 2;
  case ResultType::Long:
  case ResultType::UnsignedLong:
  case ResultType::Float: return 4;
  }
  return 0;
}

uint32_t ResultSize(const ResultVariable &result) { return ResultTypeSize(result.type) * result.count; }

std::vector<ResultVariable> ReadResultDeclarations(std::string_view source) {
  static const std::regex declaration(
      R"(^\s*(unsigned\s+long|unsigned\s+int|unsigned|long|int|char|float)\s+(r_\w+)\s*(?:\[\s*(\d+)\s*\])?\s*;)"
      R"(\s*(?:/\*\s*expect\s+(.*?)\s*\*/)?\s*$)");
  static const std::regex sdccDiffers(R"((.*?)\s*;\s*sdcc\s+(.*?)\s*:\s*(\S.*))");
  std::vector<ResultVariable> results;
  std::istringstream lines{std::string(source)};
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, declaration))
      continue;
    ResultVariable result;
    std::string typeText = std::regex_replace(match[1].str(), std::regex(R"(\s+)"), " ");
    for (const TypeName &name : kTypeNames)
      if (name.text == typeText)
        result.type = name.type;
    result.name = match[2];
    if (match[3].matched)
      result.count = static_cast<uint32_t>(std::stoul(match[3]));
    std::smatch stated;
    std::string comment = match[4];
    if (std::regex_match(comment, stated, sdccDiffers)) {
      result.expected = SplitValues(stated[1]);
      result.sdccExpected = SplitValues(stated[2]);
      result.sdccReason = stated[3];
    } else {
      result.expected = SplitValues(comment);
    }
    results.push_back(std::move(result));
  }
  return results;
}

std::optional<std::vector<uint8_t>> EncodeResultValue(ResultType type, std::string_view text) {
  std::string value(text);
  char *end = nullptr;
  if (type == ResultType::Float) {
    float number = std::strtof(value.c_str(), &end);
    if (value.empty() || *end != '\0')
      return std::nullopt;
    return LittleEndian(std::bit_cast<uint32_t>(number), 4);
  }
  bool negative = value.starts_with('-');
  std::string magnitude = negative ? value.substr(1) : value;
  if (magnitude.empty() || magnitude[0] == '-' || magnitude[0] == '+')
    return std::nullopt;
  errno = 0;
  unsigned long long number = std::strtoull(magnitude.c_str(), &end, 0);
  if (*end != '\0' || errno == ERANGE)
    return std::nullopt;
  uint32_t size = ResultTypeSize(type);
  unsigned long long limit = 1ULL << (8 * size);
  // Negative values only for signed types, down to the most negative one;
  // positive ones up to the type's own maximum.
  if (negative ? (!IsSigned(type) || number > limit / 2) : number >= (IsSigned(type) ? limit / 2 : limit))
    return std::nullopt;
  uint64_t bits = negative ? (limit - number) & (limit - 1) : number;
  return LittleEndian(bits, size);
}

std::string FormatResultValue(ResultType type, const std::vector<uint8_t> &bytes) {
  uint64_t bits = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    bits |= uint64_t{bytes[i]} << (8 * i);
  switch (type) {
  case ResultType::Char:
  case ResultType::Unsigned:
  case ResultType::UnsignedLong: return fmt::format("{} ({:#x})", bits, bits);
  case ResultType::Int: return fmt::format("{} ({:#x})", static_cast<int16_t>(bits), bits);
  case ResultType::Long: return fmt::format("{} ({:#x})", static_cast<int32_t>(bits), bits);
  case ResultType::Float: return fmt::format("{} ({:#010x})", std::bit_cast<float>(static_cast<uint32_t>(bits)), bits);
  }
  return {};
}

} // namespace tsw::target
