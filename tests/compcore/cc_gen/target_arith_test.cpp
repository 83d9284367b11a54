#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/value_record.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>

namespace tsw {
namespace {

uint32_t Field(int64_t v) { return static_cast<uint32_t>(static_cast<uint64_t>(v)); }
uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }

struct IntegerRow {
  const char *text;
  uint8_t type;
  int64_t left;
  int64_t right;
  int64_t expected; // the number the reduced result stands for
  ArithStatus status;
};

// The values the target's 16- and 32-bit code leaves, not the host's.
const IntegerRow kIntegerRows[] = {
    {"+", kTypeInt, 30000, 30000, -5536, ArithStatus::kDone},
    {"*", kTypeInt, 200, 200, -25536, ArithStatus::kDone},
    {"<<", kTypeInt, 1, 15, -32768, ArithStatus::kDone},
    {"/", kTypeUnsigned, 65534, 2, 32767, ArithStatus::kDone},
    {"/", kTypeUnsigned, 65535, 256, 255, ArithStatus::kDone},
    {">>", kTypeUnsigned, 0xFFF8, 1, 0x7FFC, ArithStatus::kDone},
    {">>", kTypeInt, -8, 1, -4, ArithStatus::kDone},
    {"/", kTypeInt, -7, 2, -3, ArithStatus::kDone},
    {"%", kTypeInt, -7, 2, -1, ArithStatus::kDone},
    {"/", kTypeInt, -32768, -1, -32768, ArithStatus::kDone},
    {"%", kTypeInt, -32768, -1, 0, ArithStatus::kDone},
    {"+", kTypeLong, 2147483647, 1, -2147483647 - 1, ArithStatus::kDone},
    {"/", kTypeLong, -2147483647 - 1, -1, -2147483647 - 1, ArithStatus::kDone},
    {"%", kTypeLong, -2147483647 - 1, -1, 0, ArithStatus::kDone},
    {"*", kTypeLong, 65536, 65536, 0, ArithStatus::kDone},
    {"*", kTypeUnsignedLong, 0xFFFFFFFF, 0xFFFFFFFF, 1, ArithStatus::kDone},
    {"-", kTypeUnsigned, 0, 1, 65535, ArithStatus::kDone},
    {"+", kTypeChar, 200, 100, 44, ArithStatus::kDone},
    {"-", kTypeChar, 1, 2, 255, ArithStatus::kDone},
    {"<<", kTypeInt, 1, 33, 2, ArithStatus::kDone},
    {"<<", kTypeLong, 1, 31, -2147483647 - 1, ArithStatus::kDone},
    {">>", kTypeLong, -2147483647 - 1, 31, -1, ArithStatus::kDone},
    {">>", kTypeUnsignedLong, 0x80000000, 31, 1, ArithStatus::kDone},
    {"&", kTypeInt, -1, 0x0F0F, 0x0F0F, ArithStatus::kDone},
    {"|", kTypeUnsigned, 0xF000, 0x000F, 0xF00F, ArithStatus::kDone},
    {"^", kTypeInt, 0x7FFF, -1, -32768, ArithStatus::kDone},
    {"<", kTypeInt, -5536, 0, 1, ArithStatus::kDone},
    {"<", kTypeUnsigned, 65535, 0, 0, ArithStatus::kDone},
    {">=", kTypeLong, -1, 0, 0, ArithStatus::kDone},
    {">", kTypeUnsignedLong, 0xFFFFFFFF, 0, 1, ArithStatus::kDone},
    {"<=", kTypeInt, 3, 3, 1, ArithStatus::kDone},
    {"==", kTypeInt, -1, 65535, 1, ArithStatus::kDone}, // both reduce to the same int
    {"!=", kTypeChar, 0x100, 0, 0, ArithStatus::kDone},
    {"/", kTypeInt, 7, 0, 7, ArithStatus::kDivideByZero},
    {"%", kTypeUnsignedLong, 7, 0, 7, ArithStatus::kDivideByZero},
};

TEST(TargetArith, IntegerOperationsGiveTheTargetsResult) {
  for (const IntegerRow &row : kIntegerRows) {
    SCOPED_TRACE(testing::Message() << row.left << ' ' << row.text << ' ' << row.right << " type "
                                    << int(row.type));
    const auto op = ArithOpFromText(row.text);
    ASSERT_TRUE(op.has_value());
    const ArithResult result = ApplyIntegerOp(*op, row.type, Field(row.left), Field(row.right));
    EXPECT_EQ(result.status, row.status);
    const uint8_t resultType = IsComparison(*op) ? uint8_t{kTypeInt} : row.type;
    EXPECT_EQ(IntegerValue(result.value, resultType), row.expected);
    // The field is always in its reduced form, whatever the inputs held.
    EXPECT_EQ(result.value, ReduceToType(result.value, resultType));
  }
}

TEST(TargetArith, AFoldedResultFeedsTheNextFoldReduced) {
  const uint32_t sum = ApplyIntegerOp(ArithOp::kAdd, kTypeInt, 30000, 30000).value;
  EXPECT_EQ(IntegerValue(ApplyIntegerOp(ArithOp::kDivide, kTypeInt, sum, 2).value, kTypeInt), -2768);
  EXPECT_EQ(ApplyIntegerOp(ArithOp::kLess, kTypeInt, sum, 0).value, 1u);
}

// The host's own fixed-width types, computed one size wider and narrowed as
// C++20 defines, give the target's results for the values at the edges of
// each width (the wider type has a quotient for the most negative value over
// -1, and the shift count is taken modulo 32 as the fold takes it).
template <class T, class Wide> int64_t Reference(ArithOp op, T l, T r) {
  const Wide a = l, b = r;
  switch (op) {
  case ArithOp::kAdd:
    return static_cast<T>(a + b);
  case ArithOp::kSubtract:
    return static_cast<T>(a - b);
  case ArithOp::kMultiply:
    return static_cast<T>(static_cast<Wide>(static_cast<std::make_unsigned_t<Wide>>(a) *
                                            static_cast<std::make_unsigned_t<Wide>>(b)));
  case ArithOp::kDivide:
    return static_cast<T>(a / b);
  case ArithOp::kRemainder:
    return static_cast<T>(a % b);
  case ArithOp::kShiftLeft:
    return static_cast<T>(static_cast<std::make_unsigned_t<Wide>>(a) << (b & 31));
  case ArithOp::kShiftRight:
    return static_cast<T>(a >> (b & 31));
  case ArithOp::kAnd:
    return static_cast<T>(a & b);
  case ArithOp::kOr:
    return static_cast<T>(a | b);
  case ArithOp::kXor:
    return static_cast<T>(a ^ b);
  case ArithOp::kEqual:
    return l == r;
  case ArithOp::kNotEqual:
    return l != r;
  case ArithOp::kLess:
    return l < r;
  case ArithOp::kLessEqual:
    return l <= r;
  case ArithOp::kGreater:
    return l > r;
  default:
    return l >= r;
  }
}

template <class T, class Wide> void CheckAgainstHost(uint8_t type, std::initializer_list<int64_t> edges) {
  for (int op = 0; op <= static_cast<int>(ArithOp::kGreaterEqual); ++op) {
    for (int64_t left : edges) {
      for (int64_t right : edges) {
        const auto arithOp = static_cast<ArithOp>(op);
        const T l = static_cast<T>(left), r = static_cast<T>(right);
        const bool byZero = (arithOp == ArithOp::kDivide || arithOp == ArithOp::kRemainder) && r == 0;
        if (byZero)
          continue;
        const ArithResult result = ApplyIntegerOp(arithOp, type, Field(l), Field(r));
        const uint8_t resultType = IsComparison(arithOp) ? uint8_t{kTypeInt} : type;
        ASSERT_EQ(IntegerValue(result.value, resultType), (Reference<T, Wide>(arithOp, l, r)))
            << int(type) << ": " << int64_t{l} << " op " << op << ' ' << int64_t{r};
      }
    }
  }
}

TEST(TargetArith, EdgeValuesOfEachWidthAgreeWithTheHostsFixedWidthTypes) {
  CheckAgainstHost<int16_t, int32_t>(kTypeInt, {-32768, -32767, -256, -2, -1, 0, 1, 2, 3, 15, 16, 17, 255, 256, 32767});
  CheckAgainstHost<uint16_t, uint32_t>(kTypeUnsigned, {0, 1, 2, 3, 15, 16, 255, 256, 32767, 32768, 65534, 65535});
  CheckAgainstHost<uint8_t, uint32_t>(kTypeChar, {0, 1, 2, 7, 8, 9, 127, 128, 254, 255});
  CheckAgainstHost<int32_t, int64_t>(kTypeLong, {-2147483648ll, -2147483647, -65536, -1, 0, 1, 2, 31, 32, 33, 65535,
                                                 65536, 2147483647});
  CheckAgainstHost<uint32_t, uint64_t>(kTypeUnsignedLong, {0, 1, 2, 31, 32, 33, 65535, 65536, 0x7FFFFFFF, 0x80000000,
                                                           0xFFFFFFFE, 0xFFFFFFFF});
}

struct FloatRow {
  const char *text;
  float left;
  float right;
  uint32_t expectedBits;
  ArithStatus status;
};

const FloatRow kFloatRows[] = {
    {"+", 16777216.0f, 1.0f, Bits(16777216.0f), ArithStatus::kDone}, // rounded to single
    {"-", 0.5f, 0.25f, Bits(0.25f), ArithStatus::kDone},
    {"*", 1e30f, 1e30f, Bits(std::numeric_limits<float>::infinity()), ArithStatus::kDone},
    {"/", 1.0f, 4.0f, Bits(0.25f), ArithStatus::kDone},
    {"/", 1.0f, 0.0f, Bits(1.0f), ArithStatus::kDivideByZero},
    {"/", 1.0f, -0.0f, Bits(1.0f), ArithStatus::kDivideByZero},
    {"==", 2.5f, 2.5f, 1, ArithStatus::kDone},
    {"!=", 2.5f, 2.5f, 0, ArithStatus::kDone},
    {"<", 1.5f, 2.0f, 1, ArithStatus::kDone},
    {">=", -1.0f, 0.0f, 0, ArithStatus::kDone},
    {"%", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
    {"<<", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
    {">>", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
    {"&", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
    {"|", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
    {"^", 5.0f, 2.0f, Bits(5.0f), ArithStatus::kUndefined},
};

TEST(TargetArith, FloatOperationsRoundToSingle) {
  for (const FloatRow &row : kFloatRows) {
    SCOPED_TRACE(testing::Message() << row.left << ' ' << row.text << ' ' << row.right);
    const ArithResult result = ApplyFloatOp(*ArithOpFromText(row.text), Bits(row.left), Bits(row.right));
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.value, row.expectedBits);
  }
}

TEST(TargetArith, OperatorTextsAreReadByTheirFirstTwoCharacters) {
  const struct {
    const char *text;
    std::optional<ArithOp> op;
  } rows[] = {
      {"<", ArithOp::kLess},       {"<=", ArithOp::kLessEqual},    {"<<", ArithOp::kShiftLeft},
      {">", ArithOp::kGreater},    {">=", ArithOp::kGreaterEqual}, {">>", ArithOp::kShiftRight},
      {"==", ArithOp::kEqual},     {"!=", ArithOp::kNotEqual},     {"%", ArithOp::kRemainder},
      {"&&", ArithOp::kAnd},       {"||", ArithOp::kOr},           {"^", ArithOp::kXor},
      {"=", std::nullopt},         {"!", std::nullopt},            {"", std::nullopt},
      {"?", std::nullopt},
  };
  for (const auto &row : rows)
    EXPECT_EQ(ArithOpFromText(row.text), row.op) << row.text;
}

struct ToIntegerRow {
  float value;
  uint8_t type;
  int64_t expected;
  bool outOfRange;
};

const ToIntegerRow kToIntegerRows[] = {
    {3.9f, kTypeInt, 3, false},
    {-3.9f, kTypeInt, -3, false},
    {-32768.0f, kTypeInt, -32768, false},
    {32768.0f, kTypeInt, -32768, true},
    {70000.0f, kTypeInt, 4464, true},
    {255.0f, kTypeChar, 255, false},
    {256.0f, kTypeChar, 0, true},
    {-1.0f, kTypeChar, 255, true},
    {-1.0f, kTypeUnsigned, 65535, true},
    {65535.0f, kTypeUnsigned, 65535, false},
    {2147483648.0f, kTypeLong, -2147483647 - 1, true},
    {-2147483648.0f, kTypeLong, -2147483647 - 1, false},
    {-1.0f, kTypeUnsignedLong, 0xFFFFFFFF, true},
    {4294967040.0f, kTypeUnsignedLong, 4294967040, false},
    {5e9f, kTypeUnsignedLong, 5000000000 & 0xFFFFFFFF, true},
    {1e19f, kTypeLong, 0, true},
    {-1e19f, kTypeLong, 0, true},
    {std::numeric_limits<float>::quiet_NaN(), kTypeInt, 0, true},
    {std::numeric_limits<float>::infinity(), kTypeUnsignedLong, 0, true},
    {-std::numeric_limits<float>::infinity(), kTypeChar, 0, true},
};

TEST(TargetArith, FloatsTruncateIntoTheTargetsRangeAndFlagWhatDoesNotFit) {
  for (const ToIntegerRow &row : kToIntegerRows) {
    SCOPED_TRACE(testing::Message() << row.value << " to type " << int(row.type));
    const FloatToIntegerResult result = FloatBitsToInteger(Bits(row.value), row.type);
    EXPECT_EQ(IntegerValue(result.field, row.type), row.expected);
    EXPECT_EQ(result.outOfRange, row.outOfRange);
  }
}

struct ToFloatRow {
  uint32_t field;
  uint8_t type;
  float expected;
};

const ToFloatRow kToFloatRows[] = {
    {0xFFFFFFFF, kTypeInt, -1.0f},
    {0xFFFF, kTypeInt, -1.0f}, // an unreduced field still stands for an int
    {0xFFFF, kTypeUnsigned, 65535.0f},
    {0x1FF, kTypeChar, 255.0f},
    {0x80000000, kTypeLong, -2147483648.0f},
    {0xFFFFFFFF, kTypeUnsignedLong, 4294967296.0f},
    {16777217, kTypeLong, 16777216.0f},
};

TEST(TargetArith, IntegersBecomeSingleFloats) {
  for (const ToFloatRow &row : kToFloatRows) {
    SCOPED_TRACE(testing::Message() << std::hex << row.field << " type " << int(row.type));
    EXPECT_EQ(IntegerToFloatBits(row.field, row.type), Bits(row.expected));
  }
}

} // namespace
} // namespace tsw
