#include "compcore/cc_gen/target_arith.h"

#include "compcore/cc_gen/value_record.h"

#include <bit>
#include <cmath>

namespace tsw {
namespace {

constexpr uint32_t kByteMask = 0xFF;
constexpr uint32_t kWordMask = 0xFFFF;
constexpr uint32_t kWordSignBit = 0x8000;
constexpr uint32_t kShiftCountMask = 31;
// Beyond this a float's truncation no longer fits the host's 64-bit integer.
constexpr double kLargestTruncatedFloat = 9e18;


// Signed reinterpretation without relying on the host's narrowing rules.
int64_t SignedOf32(uint32_t v) {
  return (v & 0x80000000u) ? static_cast<int64_t>(v) - (int64_t{1} << 32) : static_cast<int64_t>(v);
}

template <class T> uint32_t CompareResult(ArithOp op, T left, T right) {
  switch (op) {
  case ArithOp::kEqual:
    return left == right;
  case ArithOp::kNotEqual:
    return left != right;
  case ArithOp::kLess:
    return left < right;
  case ArithOp::kLessEqual:
    return left <= right;
  case ArithOp::kGreater:
    return left > right;
  default:
    return left >= right;
  }
}

} // namespace

std::optional<ArithOp> ArithOpFromText(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  const char second = text.size() > 1 ? text[1] : '\0';
  switch (text[0]) {
  case '+':
    return ArithOp::kAdd;
  case '-':
    return ArithOp::kSubtract;
  case '*':
    return ArithOp::kMultiply;
  case '/':
    return ArithOp::kDivide;
  case '%':
    return ArithOp::kRemainder;
  case '<':
    return second == '<' ? ArithOp::kShiftLeft : second == '=' ? ArithOp::kLessEqual : ArithOp::kLess;
  case '>':
    return second == '>' ? ArithOp::kShiftRight : second == '=' ? ArithOp::kGreaterEqual : ArithOp::kGreater;
  case '=':
    return second == '=' ? std::optional(ArithOp::kEqual) : std::nullopt;
  case '!':
    return second == '=' ? std::optional(ArithOp::kNotEqual) : std::nullopt;
  // The logical operators reach the code generator only with both operands
  // already made 0 or 1, where they are the bitwise ones.
  case '|':
    return ArithOp::kOr;
  case '^':
    return ArithOp::kXor;
  case '&':
    return ArithOp::kAnd;
  default:
    return std::nullopt;
  }
}

bool IsComparison(ArithOp op) { return op >= ArithOp::kEqual; }

bool IsIntegerOnly(ArithOp op) {
  return op == ArithOp::kRemainder || (op >= ArithOp::kShiftLeft && op <= ArithOp::kXor);
}

bool IsIntegerType(uint8_t type) { return type >= kTypeChar && type <= kTypeUnsignedLong; }
bool IsSignedType(uint8_t type) { return type == kTypeInt || type == kTypeLong; }

uint32_t ReduceToType(uint32_t field, uint8_t type) {
  switch (type) {
  case kTypeChar:
    return field & kByteMask;
  case kTypeInt:
    return (field & kWordSignBit) ? (field | ~kWordMask) : (field & kWordMask);
  case kTypeUnsigned:
    return field & kWordMask;
  default:
    return field;
  }
}

int64_t IntegerValue(uint32_t field, uint8_t type) {
  const uint32_t reduced = ReduceToType(field, type);
  return IsSignedType(type) ? SignedOf32(reduced) : static_cast<int64_t>(reduced);
}

bool FitsType(int64_t value, uint8_t type) {
  switch (type) {
  case kTypeChar:
    return value >= 0 && value <= 0xFF;
  case kTypeInt:
    return value >= -0x8000 && value <= 0x7FFF;
  case kTypeUnsigned:
    return value >= 0 && value <= 0xFFFF;
  case kTypeLong:
    return value >= -(int64_t{1} << 31) && value < (int64_t{1} << 31);
  default:
    return value >= 0 && value <= 0xFFFFFFFFll;
  }
}

ArithResult ApplyIntegerOp(ArithOp op, uint8_t type, uint32_t left, uint32_t right) {
  const uint32_t l = ReduceToType(left, type);
  const uint32_t r = ReduceToType(right, type);
  const bool isSigned = IsSignedType(type);
  if (IsComparison(op))
    return {isSigned ? CompareResult(op, SignedOf32(l), SignedOf32(r)) : CompareResult(op, l, r)};
  if ((op == ArithOp::kDivide || op == ArithOp::kRemainder) && r == 0)
    return {l, ArithStatus::kDivideByZero};
  uint32_t result = 0;
  switch (op) {
  case ArithOp::kAdd:
    result = l + r;
    break;
  case ArithOp::kSubtract:
    result = l - r;
    break;
  case ArithOp::kMultiply:
    result = l * r;
    break;
  case ArithOp::kDivide:
    // In 64 bits the most negative long divided by -1 has a quotient; reduced
    // it is that value again, as the target's division leaves it.
    result = isSigned ? static_cast<uint32_t>(SignedOf32(l) / SignedOf32(r)) : l / r;
    break;
  case ArithOp::kRemainder:
    result = isSigned ? static_cast<uint32_t>(SignedOf32(l) % SignedOf32(r)) : l % r;
    break;
  case ArithOp::kShiftLeft:
    result = l << (r & kShiftCountMask);
    break;
  case ArithOp::kShiftRight:
    result = isSigned ? static_cast<uint32_t>(SignedOf32(l) >> (r & kShiftCountMask)) : l >> (r & kShiftCountMask);
    break;
  case ArithOp::kAnd:
    result = l & r;
    break;
  case ArithOp::kOr:
    result = l | r;
    break;
  default:
    result = l ^ r;
    break;
  }
  return {ReduceToType(result, type)};
}

ArithResult ApplyFloatOp(ArithOp op, uint32_t leftBits, uint32_t rightBits) {
  if (IsIntegerOnly(op))
    return {leftBits, ArithStatus::kUndefined};
  const float l = std::bit_cast<float>(leftBits);
  const float r = std::bit_cast<float>(rightBits);
  if (IsComparison(op))
    return {CompareResult(op, l, r)};
  switch (op) {
  case ArithOp::kAdd:
    return {std::bit_cast<uint32_t>(l + r)};
  case ArithOp::kSubtract:
    return {std::bit_cast<uint32_t>(l - r)};
  case ArithOp::kMultiply:
    return {std::bit_cast<uint32_t>(l * r)};
  default:
    if (r == 0.0f)
      return {leftBits, ArithStatus::kDivideByZero};
    return {std::bit_cast<uint32_t>(l / r)};
  }
}

uint32_t IntegerToFloatBits(uint32_t field, uint8_t type) {
  return std::bit_cast<uint32_t>(static_cast<float>(IntegerValue(field, type)));
}

FloatToIntegerResult FloatBitsToInteger(uint32_t bits, uint8_t type) {
  const double value = std::bit_cast<float>(bits);
  if (!std::isfinite(value))
    return {0, true};
  const double truncated = std::trunc(value);
  if (std::fabs(truncated) > kLargestTruncatedFloat)
    return {0, true};
  const auto whole = static_cast<int64_t>(truncated);
  return {ReduceToType(static_cast<uint32_t>(static_cast<uint64_t>(whole)), type), !FitsType(whole, type)};
}

} // namespace tsw
