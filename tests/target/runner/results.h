#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsw::target {

// A test program keeps its results in file-scope variables whose names begin
// with "r_", each declared on a line of its own:
//     long r_product;            /* expect -200000 */
//     unsigned r_bits[3];        /* expect 1 0x8000 0xffff */
// The optional comment states the value worked out by hand (one per element),
// which the run must produce. Where SDCC is known to compute something else,
// the comment says what and why, and the oracle run is held to that instead:
//     float r_sum; /* expect 0.3; sdcc 0.29999998: its addition truncates */
enum class ResultType { Char, Int, Unsigned, Long, UnsignedLong, Float };

struct ResultVariable {
  std::string name;
  ResultType type = ResultType::Int;
  uint32_t count = 1;                    // elements; 1 for a scalar
  std::vector<std::string> expected;     // empty when nothing was stated
  std::vector<std::string> sdccExpected; // SDCC's own values where it is wrong
  std::string sdccReason;
};

uint32_t ResultTypeSize(ResultType type);
uint32_t ResultSize(const ResultVariable &result);

// The result declarations of a program source, in the order they stand.
std::vector<ResultVariable> ReadResultDeclarations(std::string_view source);

// The target's little-endian bytes of a value written in C notation (a
// decimal or hex integer with an optional minus sign, or a float); nothing
// when the text is no such value or does not fit the type.
std::optional<std::vector<uint8_t>> EncodeResultValue(ResultType type, std::string_view text);

// The value of one element's bytes as text, for messages.
std::string FormatResultValue(ResultType type, const std::vector<uint8_t> &bytes);

} // namespace tsw::target
