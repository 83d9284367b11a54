#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Arithmetic on constants as the target computes it: char 8 bits unsigned,
// int 16 bits signed, unsigned 16 bits, long 32 bits signed, unsigned long 32
// bits, float IEEE single. A value field holds an integer reduced to its
// type's width (int sign-extended, char and unsigned zero-extended) and a
// float as its bit pattern. Every step reduces again, so a fold gives the
// bytes the emitted code would have produced; the host never overflows a
// signed integer, shifts by its width or casts a float out of range, and the
// floating-point environment is left as it is.
namespace tsw {

enum class ArithOp : uint8_t {
  kAdd,
  kSubtract,
  kMultiply,
  kDivide,
  kRemainder,
  kShiftLeft,
  kShiftRight,
  kAnd,
  kOr,
  kXor,
  kEqual,
  kNotEqual,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
};

// The operator of a binary operator's text ("+", "<<", ">=" ...), read by
// its first character and, where that is not enough, its second; none for a
// text that names no operator ("=", "!", "?").
std::optional<ArithOp> ArithOpFromText(std::string_view text);
bool IsComparison(ArithOp op);
// The operators a float operand gives no result for.
bool IsIntegerOnly(ArithOp op);

enum class ArithStatus : uint8_t {
  kDone,
  kDivideByZero,  // the left value is returned unchanged
  kUndefined,     // a float operand of an integer-only operator
};

struct ArithResult {
  uint32_t value = 0;
  ArithStatus status = ArithStatus::kDone;
};

bool IsIntegerType(uint8_t type);
bool IsSignedType(uint8_t type);

// The value field reduced to the width of an integer type.
uint32_t ReduceToType(uint32_t field, uint8_t type);
// The number a value field of an integer type stands for.
int64_t IntegerValue(uint32_t field, uint8_t type);
bool FitsType(int64_t value, uint8_t type);

// left op right, both of the integer type given, the result reduced to it; a
// comparison gives 0 or 1. The shift count is taken modulo 32 before the
// result is reduced.
ArithResult ApplyIntegerOp(ArithOp op, uint8_t type, uint32_t left, uint32_t right);
// left op right on float bit patterns; a comparison gives the integer 0 or 1.
ArithResult ApplyFloatOp(ArithOp op, uint32_t leftBits, uint32_t rightBits);

// The float bit pattern of an integer value field of the given type.
uint32_t IntegerToFloatBits(uint32_t field, uint8_t type);

struct FloatToIntegerResult {
  uint32_t field = 0;
  bool outOfRange = false; // includes NaN and the infinities, which give 0
};
// A float truncated toward zero into an integer type. A value outside the
// type's range keeps the low bits of its truncation (0 beyond 9e18) and is
// flagged.
FloatToIntegerResult FloatBitsToInteger(uint32_t bits, uint8_t type);

} // namespace tsw
