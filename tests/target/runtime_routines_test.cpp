// The run-time routines of the Z180 target library, run on the simulator
// one call at a time and held to the contract written at the top of each:
// every output register and flag, the registers it keeps, and who pops the
// stack operands.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include "runner/routine_harness.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

using tsw::testing::TempDir;

const std::string kLibraryDir = TSW_Z180_LIBRARY;

constexpr uint16_t kZeroFlag = 0x40;
constexpr uint16_t kCarryFlag = 0x01;
// Register contents no routine's inputs use, to see that it keeps them.
constexpr uint16_t kKeptBc = 0xBC5A;
constexpr uint16_t kKeptDe = 0xDE5A;
constexpr uint16_t kKeptHl = 0x5A5A;

// Every library file of the directory, converted for the simulator.
std::string LibraryAsm() {
  static const std::string text = [] {
    std::vector<std::string> problems;
    std::string all = Z180LibraryForSimulator(kLibraryDir, &problems);
    for (const std::string &problem : problems)
      ADD_FAILURE() << problem;
    return all;
  }();
  return text;
}

struct Expect {
  std::optional<uint16_t> hl, de, bc;
  std::optional<bool> zero, carry;
  int spChange = 0;
  std::vector<uint16_t> stackTop; // the words at SP after the return
  bool nan = false;               // BC:DE any NaN, whatever its bits
};

struct Case {
  std::string what;
  RoutineCall call;
  Expect expect;
};

void CheckWord(uint16_t got, std::optional<uint16_t> expected, const std::string &where) {
  if (expected) {
    EXPECT_EQ(fmt::format("{:04X}", got), fmt::format("{:04X}", *expected)) << where;
  }
}
void CheckFlag(uint16_t af, uint16_t flag, std::optional<bool> expected, const std::string &where) {
  if (expected) {
    EXPECT_EQ((af & flag) != 0, *expected) << where;
  }
}

// Cases run in batches whose code and output blocks fit the simulator's
// memory beside the library.
constexpr size_t kCasesPerRun = 250;

void RunBatch(const std::string &label, const std::vector<Case> &cases);

void RunCases(const std::string &label, const std::vector<Case> &cases) {
  for (size_t first = 0; first < cases.size(); first += kCasesPerRun)
    RunBatch(label, std::vector<Case>(cases.begin() + first,
                                      cases.begin() + std::min(cases.size(), first + kCasesPerRun)));
}

void RunBatch(const std::string &label, const std::vector<Case> &cases) {
  TempDir dir;
  std::vector<RoutineCall> calls;
  for (const Case &c : cases)
    calls.push_back(c.call);
  RoutineRun run = RunRoutineCalls(LibraryAsm(), label, calls, dir.path());
  ASSERT_TRUE(run.ok) << label << ": " << run.log;
  ASSERT_EQ(run.outcomes.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case &c = cases[i];
    const RoutineOutcome &got = run.outcomes[i];
    std::string where = label + " " + c.what;
    CheckWord(got.out.hl, c.expect.hl, where + ": HL");
    if (c.expect.nan) {
      EXPECT_TRUE((got.out.bc & 0x7F80) == 0x7F80 && ((got.out.bc & 0x007F) != 0 || got.out.de != 0))
          << where << ": not a NaN: " << fmt::format("{:04X}{:04X}", got.out.bc, got.out.de);
    }
    CheckWord(got.out.de, c.expect.de, where + ": DE");
    CheckWord(got.out.bc, c.expect.bc, where + ": BC");
    CheckFlag(got.out.af, kZeroFlag, c.expect.zero, where + ": Z flag");
    CheckFlag(got.out.af, kCarryFlag, c.expect.carry, where + ": carry flag");
    EXPECT_EQ(got.spChange, c.expect.spChange) << where << ": stack";
    for (size_t w = 0; w < c.expect.stackTop.size(); ++w)
      CheckWord(got.stackTop[w], c.expect.stackTop[w], where + ": stack word " + std::to_string(w));
    EXPECT_EQ(got.ix, kIxAtCall) << where << ": IX";
    EXPECT_EQ(got.iy, kIyAtCall) << where << ": IY";
  }
}

// The int operands every binary routine is tried on: the edges of both
// ranges, small values, both signs, and patterns that catch byte mix-ups.
const std::vector<uint16_t> kIntEdges = {0,      1,      2,      3,      7,      0x00FF, 0x0100, 0x1234, 0x7FFF,
                                         0x8000, 0x8001, 0xFFFF, 0xFFFE, 0xFFF9, 0xFF00, 0x00A5, 0x5AA5, 0xEDCB};

int16_t S(uint16_t v) { return int16_t(v); }

struct IntBinary {
  const char *label;
  // HL and DE the routine leaves, from the left and right operands.
  std::function<uint16_t(uint16_t, uint16_t)> hl;
  std::function<std::optional<uint16_t>(uint16_t, uint16_t)> de;
};

uint16_t SignedQuotient(uint16_t a, uint16_t b) {
  if (b == 0)
    return S(a) < 0 ? 1 : 0xFFFF;
  if (S(a) == INT16_MIN && S(b) == -1)
    return a;
  return uint16_t(S(a) / S(b));
}
uint16_t SignedRemainder(uint16_t a, uint16_t b) {
  if (b == 0)
    return a;
  if (S(a) == INT16_MIN && S(b) == -1)
    return 0;
  return uint16_t(S(a) % S(b));
}

// Routines with the left operand in DE and the right in HL.
TEST(Z180RuntimeTest, IntDivisionAndShiftsTakeTheLeftOperandInDe) {
  const IntBinary routines[] = {
      {"c_div", SignedQuotient, [](uint16_t a, uint16_t b) { return SignedRemainder(a, b); }},
      {"c_udv", [](uint16_t a, uint16_t b) { return b ? uint16_t(a / b) : uint16_t(0xFFFF); },
       [](uint16_t a, uint16_t b) { return b ? uint16_t(a % b) : a; }},
      {"c_asl", [](uint16_t a, uint16_t b) { return b < 16 ? uint16_t(a << b) : uint16_t(0); },
       [](uint16_t, uint16_t) { return std::nullopt; }},
      {"c_asr", [](uint16_t a, uint16_t b) { return uint16_t(S(a) >> (b < 16 ? b : 15)); },
       [](uint16_t, uint16_t) { return std::nullopt; }},
      {"c_usr", [](uint16_t a, uint16_t b) { return b < 16 ? uint16_t(a >> b) : uint16_t(0); },
       [](uint16_t, uint16_t) { return std::nullopt; }},
  };
  const std::vector<uint16_t> shiftCounts = {0, 1, 2, 7, 8, 9, 14, 15, 16, 17, 31, 255, 256, 0x8000, 0xFFFF};
  for (const IntBinary &r : routines) {
    bool shift = std::string(r.label).find("_as") != std::string::npos || std::string(r.label) == "c_usr";
    std::vector<Case> cases;
    for (uint16_t a : kIntEdges)
      for (uint16_t b : shift ? shiftCounts : kIntEdges) {
        Case c{fmt::format("{:04X},{:04X}", a, b), {{0, kKeptBc, a, b}, {}}, {}};
        c.expect.hl = r.hl(a, b);
        c.expect.de = r.de(a, b);
        c.expect.bc = kKeptBc;
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

// A division by a constant power of two: the shift count in A, the sign of
// the divisor in B; the quotient rounds toward zero, as c.div's does.
TEST(Z180RuntimeTest, PowerOfTwoDivisionTruncatesTowardZero) {
  std::vector<Case> cases;
  for (uint16_t v : kIntEdges)
    for (uint8_t count : {1, 2, 3, 7, 8, 9, 14, 15, 16})
      for (uint8_t sign : {0x00, 0x80}) {
        Case c{fmt::format("{:04X} / {}2^{}", v, sign ? "-" : "", count),
               {{uint16_t(count << 8), uint16_t(sign << 8 | 0x5A), kKeptDe, v}, {}},
               {}};
        int32_t quotient = int32_t(S(v)) / (int32_t(1) << count);
        c.expect.hl = uint16_t(sign ? -quotient : quotient);
        c.expect.de = kKeptDe;
        cases.push_back(c);
      }
  RunCases("c_divt", cases);
}

TEST(Z180RuntimeTest, IntMultiplyKeepsBothOperandPairs) {
  std::vector<Case> cases;
  for (uint16_t a : kIntEdges)
    for (uint16_t b : kIntEdges) {
      Case c{fmt::format("{:04X}*{:04X}", a, b), {{0, kKeptBc, b, a}, {}}, {}};
      c.expect.hl = uint16_t(uint32_t(a) * b);
      c.expect.de = b;
      c.expect.bc = kKeptBc;
      cases.push_back(c);
    }
  RunCases("c_mult", cases);
}

// Negate, complement and not act on HL alone; not is a condition.
TEST(Z180RuntimeTest, IntUnaryRoutinesActOnHl) {
  struct Unary {
    const char *label;
    std::function<uint16_t(uint16_t)> result;
    bool condition;
  };
  const Unary routines[] = {
      {"c_neg", [](uint16_t v) { return uint16_t(-v); }, false},
      {"c_com", [](uint16_t v) { return uint16_t(~v); }, false},
      {"c_not", [](uint16_t v) { return uint16_t(v == 0); }, true},
  };
  for (const Unary &r : routines) {
    std::vector<Case> cases;
    for (uint16_t v : kIntEdges) {
      for (uint16_t flags : {uint16_t(0x0000), uint16_t(0x00FF)}) {
        Case c{fmt::format("{:04X} flags {:02X}", v, flags), {{flags, kKeptBc, kKeptDe, v}, {}}, {}};
        c.expect.hl = r.result(v);
        c.expect.de = kKeptDe;
        c.expect.bc = kKeptBc;
        if (r.condition)
          c.expect.zero = r.result(v) == 0;
        cases.push_back(c);
      }
    }
    RunCases(r.label, cases);
  }
}

// The routines whose left operand is pushed: they pop it, and the
// comparisons leave Z set exactly when the result is false.
TEST(Z180RuntimeTest, IntStackOperandRoutinesPopTheLeftOperand) {
  const IntBinary routines[] = {
      {"e_", [](uint16_t a, uint16_t b) { return uint16_t(a == b); }, nullptr},
      {"n_", [](uint16_t a, uint16_t b) { return uint16_t(a != b); }, nullptr},
      {"o_", [](uint16_t a, uint16_t b) { return uint16_t(a | b); }, nullptr},
      {"a_", [](uint16_t a, uint16_t b) { return uint16_t(a & b); }, nullptr},
      {"x_", [](uint16_t a, uint16_t b) { return uint16_t(a ^ b); }, nullptr},
  };
  for (const IntBinary &r : routines) {
    std::vector<Case> cases;
    for (uint16_t a : kIntEdges)
      for (uint16_t b : kIntEdges) {
        // A word under the operand, which must stay where it is.
        Case c{fmt::format("{:04X},{:04X}", a, b), {{0, kKeptBc, kKeptDe, b}, {0x7777, a}}, {}};
        c.expect.hl = r.hl(a, b);
        c.expect.de = kKeptDe;
        c.expect.bc = kKeptBc;
        c.expect.zero = r.hl(a, b) == 0;
        c.expect.spChange = 2;
        c.expect.stackTop = {0x7777};
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

// The long operands of the binary routines: the edges of both ranges, both
// signs, the word boundaries, and patterns that catch byte and word mix-ups.
const std::vector<uint32_t> kLongEdges = {0,          1,          2,          7,          0x0000FFFF, 0x00010000,
                                          0x00008000, 0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFF, 0xFFFFFFFE,
                                          0xFFFFFFF9, 0xFFFF0000, 0x000186A0, 0xFFFE7960, 0x12345678, 0x00FF00FF};

uint16_t Hi(uint32_t v) { return uint16_t(v >> 16); }
uint16_t Lo(uint32_t v) { return uint16_t(v); }
int32_t SL(uint32_t v) { return int32_t(v); }

// A guard word under the pushed operand, which must stay where it is.
constexpr uint16_t kGuard = 0x7777;

RoutineCall LongCall(uint32_t left, uint32_t right) {
  return {{0, Hi(right), Lo(right), kKeptHl}, {kGuard, Hi(left), Lo(left)}};
}

struct LongBinary {
  const char *label;
  std::function<uint32_t(uint32_t, uint32_t)> result;
};

uint32_t LongQuotient(uint32_t a, uint32_t b) {
  if (b == 0)
    return SL(a) < 0 ? 1 : 0xFFFFFFFF;
  if (SL(a) == INT32_MIN && SL(b) == -1)
    return a;
  return uint32_t(SL(a) / SL(b));
}
uint32_t LongRemainder(uint32_t a, uint32_t b) {
  if (b == 0)
    return a;
  if (SL(a) == INT32_MIN && SL(b) == -1)
    return 0;
  return uint32_t(SL(a) % SL(b));
}

TEST(Z180RuntimeTest, LongBinaryRoutinesPopTheLeftOperandAndAnswerInBcDe) {
  const LongBinary routines[] = {
      {"L_add", [](uint32_t a, uint32_t b) { return a + b; }},
      {"L_sub", [](uint32_t a, uint32_t b) { return a - b; }},
      {"G_mul", [](uint32_t a, uint32_t b) { return a * b; }},
      {"L_or", [](uint32_t a, uint32_t b) { return a | b; }},
      {"L_xor", [](uint32_t a, uint32_t b) { return a ^ b; }},
      {"L_and", [](uint32_t a, uint32_t b) { return a & b; }},
      {"G_div", [](uint32_t a, uint32_t b) { return b ? a / b : 0xFFFFFFFF; }},
      {"G_mod", [](uint32_t a, uint32_t b) { return b ? a % b : a; }},
      {"L_div", LongQuotient},
      {"L_mod", LongRemainder},
  };
  for (const LongBinary &r : routines) {
    std::vector<Case> cases;
    for (uint32_t a : kLongEdges)
      for (uint32_t b : kLongEdges) {
        Case c{fmt::format("{:08X},{:08X}", a, b), LongCall(a, b), {}};
        uint32_t result = r.result(a, b);
        c.expect.bc = Hi(result);
        c.expect.de = Lo(result);
        c.expect.spChange = 4;
        c.expect.stackTop = {kGuard};
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, LongShiftsTakeTheCountInBcDe) {
  const LongBinary routines[] = {
      {"L_asl", [](uint32_t a, uint32_t b) { return b < 32 ? a << b : 0u; }},
      {"L_asr", [](uint32_t a, uint32_t b) { return uint32_t(SL(a) >> (b < 32 ? b : 31)); }},
      {"G_asr", [](uint32_t a, uint32_t b) { return b < 32 ? a >> b : 0u; }},
  };
  const std::vector<uint32_t> counts = {0, 1, 2, 7, 8, 15, 16, 17, 24, 31, 32, 33, 255, 0x10000, 0x80000000};
  for (const LongBinary &r : routines) {
    std::vector<Case> cases;
    for (uint32_t a : kLongEdges)
      for (uint32_t b : counts) {
        Case c{fmt::format("{:08X},{}", a, b), LongCall(a, b), {}};
        uint32_t result = r.result(a, b);
        c.expect.bc = Hi(result);
        c.expect.de = Lo(result);
        c.expect.spChange = 4;
        c.expect.stackTop = {kGuard};
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, LongComparisonsAnswerInHlWithZSetWhenFalse) {
  struct Compare {
    const char *label;
    std::function<bool(uint32_t, uint32_t)> holds;
  };
  const Compare routines[] = {
      {"eq_4", [](uint32_t a, uint32_t b) { return a == b; }},
      {"neq_4", [](uint32_t a, uint32_t b) { return a != b; }},
      {"cl_lt", [](uint32_t a, uint32_t b) { return SL(a) < SL(b); }},
      {"cl_le", [](uint32_t a, uint32_t b) { return SL(a) <= SL(b); }},
      {"cl_gt", [](uint32_t a, uint32_t b) { return SL(a) > SL(b); }},
      {"cl_ge", [](uint32_t a, uint32_t b) { return SL(a) >= SL(b); }},
      {"cg_lt", [](uint32_t a, uint32_t b) { return a < b; }},
      {"cg_le", [](uint32_t a, uint32_t b) { return a <= b; }},
      {"cg_gt", [](uint32_t a, uint32_t b) { return a > b; }},
      {"cg_ge", [](uint32_t a, uint32_t b) { return a >= b; }},
  };
  for (const Compare &r : routines) {
    std::vector<Case> cases;
    for (uint32_t a : kLongEdges)
      for (uint32_t b : kLongEdges) {
        Case c{fmt::format("{:08X},{:08X}", a, b), LongCall(a, b), {}};
        c.expect.hl = r.holds(a, b);
        c.expect.zero = !r.holds(a, b);
        c.expect.spChange = 4;
        c.expect.stackTop = {kGuard};
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, LongUnaryRoutinesAndTheZeroTestActOnBcDe) {
  struct Unary {
    const char *label;
    std::function<uint32_t(uint32_t)> result; // null: BC:DE kept
    bool condition;                           // HL = !value and Z from it
    bool zeroTest;                            // only Z, every register kept
  };
  const Unary routines[] = {
      {"L_neg", [](uint32_t v) { return 0u - v; }, false, false},
      {"L_com", [](uint32_t v) { return ~v; }, false, false},
      {"L_not", nullptr, true, false},
      {"long_0", nullptr, false, true},
  };
  std::vector<uint32_t> values = kLongEdges;
  values.insert(values.end(), {0x00000100, 0x01000000, 0x80000000, 0x00000080});
  for (const Unary &r : routines) {
    std::vector<Case> cases;
    for (uint32_t v : values) {
      Case c{fmt::format("{:08X}", v), {{0, Hi(v), Lo(v), kKeptHl}, {}}, {}};
      uint32_t result = r.result ? r.result(v) : v;
      c.expect.bc = Hi(result);
      c.expect.de = Lo(result);
      c.expect.hl = r.condition ? uint16_t(v == 0) : kKeptHl;
      if (r.condition)
        c.expect.zero = v != 0;
      if (r.zeroTest)
        c.expect.zero = v == 0;
      cases.push_back(c);
    }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, SwapFourExchangesTheStackTopWithBcDe) {
  std::vector<Case> cases;
  for (uint32_t a : kLongEdges) {
    uint32_t b = ~a ^ 0x5A5A5A5A;
    Case c{fmt::format("{:08X}", a), LongCall(a, b), {}};
    c.expect.bc = Hi(a);
    c.expect.de = Lo(a);
    c.expect.hl = kKeptHl;
    c.expect.stackTop = {Lo(b), Hi(b), kGuard};
    cases.push_back(c);
  }
  RunCases("swap4_", cases);
}

// A value is converted where it lies on the stack: the routine leaves the
// converted value in place of the pushed one, 4 bytes for the longs, and
// keeps every main register.
TEST(Z180RuntimeTest, StackConversionsReplaceTheValueOnTheStack) {
  struct Conversion {
    const char *label;
    bool fromLong, toLong;
    std::function<uint32_t(uint32_t)> convert;
  };
  auto zeroExtendChar = [](uint32_t v) { return v & 0xFF; };
  auto zeroExtend = [](uint32_t v) { return v & 0xFFFF; };
  auto signExtend = [](uint32_t v) { return uint32_t(int32_t(int16_t(v))); };
  auto truncate = [](uint32_t v) { return v & 0xFFFF; };
  const Conversion conversions[] = {
      {"C__L", false, true, zeroExtendChar}, {"C__G", false, true, zeroExtendChar},
      {"I__L", false, true, signExtend},     {"I__G", false, true, signExtend},
      {"U__L", false, true, zeroExtend},     {"U__G", false, true, zeroExtend},
      {"L__I", true, false, truncate},       {"L__U", true, false, truncate},
      {"L__C", true, false, zeroExtendChar}, {"G__C", true, false, zeroExtendChar},
      {"G__I", true, false, truncate},       {"G__U", true, false, truncate},
  };
  for (const Conversion &conv : conversions) {
    std::vector<Case> cases;
    std::vector<uint32_t> values = kLongEdges;
    if (!conv.fromLong) {
      values.clear();
      for (uint16_t v : kIntEdges)
        values.push_back(v);
    }
    for (uint32_t v : values) {
      Case c{fmt::format("{:08X}", v), {{0, kKeptBc, kKeptDe, kKeptHl}, {kGuard}}, {}};
      if (conv.fromLong)
        c.call.stack.insert(c.call.stack.end(), {Hi(v), Lo(v)});
      else
        c.call.stack.push_back(uint16_t(v));
      uint32_t result = conv.convert(v);
      c.expect.bc = kKeptBc;
      c.expect.de = kKeptDe;
      c.expect.hl = kKeptHl;
      c.expect.spChange = conv.fromLong == conv.toLong ? 0 : conv.toLong ? -2 : 2;
      if (conv.toLong)
        c.expect.stackTop = {Lo(result), Hi(result), kGuard};
      else
        c.expect.stackTop = {Lo(result), kGuard};
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
}

TEST(Z180RuntimeTest, RegisterConversionsWidenHlIntoBcDe) {
  struct Conversion {
    const char *label;
    std::function<uint32_t(uint16_t)> convert;
  };
  const Conversion conversions[] = {
      {"Hc_Bl", [](uint16_t v) { return uint32_t(v & 0xFF); }},
      {"Hc_Bg", [](uint16_t v) { return uint32_t(v & 0xFF); }},
      {"Hi_Bl", [](uint16_t v) { return uint32_t(int32_t(int16_t(v))); }},
      {"Hi_Bg", [](uint16_t v) { return uint32_t(int32_t(int16_t(v))); }},
      {"Hu_Bl", [](uint16_t v) { return uint32_t(v); }},
      {"Hu_Bg", [](uint16_t v) { return uint32_t(v); }},
  };
  for (const Conversion &conv : conversions) {
    std::vector<Case> cases;
    for (uint16_t v : kIntEdges) {
      Case c{fmt::format("{:04X}", v), {{0, kKeptBc, kKeptDe, v}, {}}, {}};
      c.expect.bc = Hi(conv.convert(v));
      c.expect.de = Lo(conv.convert(v));
      c.expect.hl = v;
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
}

// Stored and read back: the bytes lie low first and each routine keeps
// what its contract keeps. (The simulator does not show the interrupt state
// through ld a,i, so the shared forms' putting it back is not seen here.)
TEST(Z180RuntimeTest, FourByteStoreAndLoadUseMemoryOrder) {
  constexpr uint16_t kPlace = 0x9000;
  struct Pair {
    const char *store;
    const char *load;
  };
  const Pair pairs[] = {{"slong_", "llong_"},  {"st4_", "llong_"},    {"slong_s", "llong_s"},
                        {"st4_s", "llong_s"},  {"slong_ss", "llong_"}, {"st4_ss", "llong_"}};
  for (const Pair &p : pairs) {
    std::vector<std::string> texts;
    for (uint32_t v : kLongEdges) {
      std::string text = fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n\tld hl,#{:#06x}\n\tcall {}\n", Hi(v), Lo(v), kPlace,
                          p.store);
      text += "\tld (OUT+0),bc\n\tld (OUT+2),de\n\tld (OUT+4),hl\n";
      text += fmt::format("\tld ix,({:#06x})\n\tld (OUT+6),ix\n\tld ix,({:#06x})\n\tld (OUT+8),ix\n", kPlace,
                          kPlace + 2);
      text += fmt::format("\tld hl,#{:#06x}\n\tld bc,#0\n\tld de,#0\n\tcall {}\n", kPlace, p.load);
      text += "\tld (OUT+10),bc\n\tld (OUT+12),de\n\tld (OUT+14),hl\n";
      texts.push_back(text);
    }
    TempDir dir;
    AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
    ASSERT_TRUE(run.ok) << p.store << ": " << run.log;
    for (size_t i = 0; i < kLongEdges.size(); ++i) {
      uint32_t v = kLongEdges[i];
      const std::vector<uint8_t> &b = run.blocks[i];
      auto word = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
      std::string where = fmt::format("{}/{} {:08X}", p.store, p.load, v);
      EXPECT_EQ(word(0), Hi(v)) << where << ": the store keeps BC";
      EXPECT_EQ(word(2), Lo(v)) << where << ": the store keeps DE";
      EXPECT_EQ(word(4), kPlace) << where << ": the store keeps HL";
      EXPECT_EQ(word(6), Lo(v)) << where << ": low word stored first";
      EXPECT_EQ(word(8), Hi(v)) << where << ": high word stored second";
      EXPECT_EQ(word(10), Hi(v)) << where << ": the load's BC";
      EXPECT_EQ(word(12), Lo(v)) << where << ": the load's DE";
      EXPECT_EQ(word(14), kPlace) << where << ": the load keeps HL";
    }
  }
}

// The dispatch goes to the case whose value equals HL, or past the table,
// and never back to the call.
TEST(Z180RuntimeTest, SwitchDispatchGoesToTheMatchingCaseOrPastTheTable) {
  struct Case {
    const char *what;
    std::vector<uint16_t> values; // the cases in table order
    uint16_t value;
    int expected; // index of the case taken, -1 past the table
  };
  const Case cases[] = {
      {"first", {5, 9, 0x1234}, 5, 0},
      {"last", {5, 9, 0x1234}, 0x1234, 2},
      {"high byte differs", {0x0105, 0x0205}, 0x0205, 1},
      {"low byte differs", {0x0201, 0x0202}, 0x0202, 1},
      {"no match", {5, 9, 0x1234}, 0x1235, -1},
      {"first of duplicates", {7, 7}, 7, 0},
      {"negative", {0xFFFF, 0x8000, 0}, 0x8000, 1},
      {"zero", {1, 0}, 0, 1},
      {"no cases", {}, 0, -1},
      {"one case missed", {3}, 4, -1},
  };
  std::vector<std::string> texts;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case &c = cases[i];
    std::string text = fmt::format("\tld hl,#{:#06x}\n\tld bc,#{}\n\tcall _switch\n", c.value, c.values.size());
    for (size_t k = 0; k < c.values.size(); ++k)
      text += fmt::format("\t.dw {:#06x},case{}_{}\n\t.db 0\n", c.values[k], i, k);
    text += fmt::format("\tld hl,#0xFFFF\n\tjp done{}\n", i);
    for (size_t k = 0; k < c.values.size(); ++k)
      text += fmt::format("case{}_{}:\n\tld hl,#{}\n\tjp done{}\n", i, k, k, i);
    text += fmt::format("done{}:\n\tld (OUT),hl\n", i);
    texts.push_back(text);
  }
  TempDir dir;
  AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t i = 0; i < std::size(cases); ++i) {
    int16_t taken = int16_t(run.blocks[i][0] | run.blocks[i][1] << 8);
    EXPECT_EQ(taken, cases[i].expected) << cases[i].what;
  }
}

// Floats by their bits: the host computes in IEEE single precision with
// rounding to nearest even, which the routines must match bit for bit.
uint32_t Bits(float f) { return std::bit_cast<uint32_t>(f); }
float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

const std::vector<uint32_t> kFloatEdges = {
    0x00000000, 0x80000000,             // +0, -0
    0x3F800000, 0xBF800000, 0x40000000, // 1, -1, 2
    0x3FC00000, 0x3DCCCCCD, 0x3EAAAAAB, // 1.5, 0.1, 1/3
    0x3F800001, 0x3F7FFFFF,             // 1 + ulp, 1 - ulp/2
    0x4B800000, 0x4B7FFFFF, 0xCB000001, // 2^24, 2^24 - 1, -(2^23 + 1)
    0x7F7FFFFF, 0xFF7FFFFF, 0x7F000000, // the largest, its negative, 2^127
    0x00800000, 0x80800000, 0x00800001, // the smallest normals
    0x007FFFFF, 0x00000001, 0x80000003, // subnormals
    0x00400000, 0x33800000, 0x34000000, // 2^-127, 2^-24, 2^-23
    0x7F800000, 0xFF800000,             // the infinities
    0x7FC00000, 0xFFA00001,             // NaNs
    0x4F000000, 0xCF000000, 0x5F000000, // 2^31, -2^31, 2^63
    0x47C35000, 0xC2F6E979,             // 100000, -123.456
};

// Pairs of finite floats with exponents close enough to interact, and
// some far apart, from a fixed seed.
std::vector<std::pair<uint32_t, uint32_t>> RandomFloatPairs(size_t count, uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<std::pair<uint32_t, uint32_t>> pairs;
  while (pairs.size() < count) {
    uint32_t a = generator(), b = generator();
    // Half of the pairs get exponents within a few places of each other.
    if (pairs.size() % 2 == 0)
      b = (b & 0x807FFFFF) | ((a & 0x7F800000) + ((generator() % 9) << 23) - (4u << 23));
    if (std::isfinite(Float(a)) && std::isfinite(Float(b)))
      pairs.emplace_back(a, b);
  }
  return pairs;
}

// Inputs and expected bits of a float result in BC:DE.
void ExpectFloat(Case &c, float result) {
  if (std::isnan(result)) {
    c.expect.nan = true;
  } else {
    c.expect.bc = Hi(Bits(result));
    c.expect.de = Lo(Bits(result));
  }
}

TEST(Z180RuntimeTest, FloatArithmeticRoundsToNearestEven) {
  struct Arithmetic {
    const char *label;
    std::function<float(float, float)> result;
  };
  const Arithmetic routines[] = {
      {"F_add", [](float a, float b) { return a + b; }},
      {"F_sub", [](float a, float b) { return a - b; }},
      {"F_mul", [](float a, float b) { return a * b; }},
      {"F_div", [](float a, float b) { return a / b; }},
  };
  std::vector<std::pair<uint32_t, uint32_t>> pairs;
  for (uint32_t a : kFloatEdges)
    for (uint32_t b : kFloatEdges)
      pairs.emplace_back(a, b);
  // Ties that round to even, up and down, and carries that renormalise.
  pairs.insert(pairs.end(), {{0x3F800000, 0x33800000},   // 1 + 2^-24: tie, stays 1
                             {0x3F800001, 0x33800000},   // tie, up to even
                             {0x3F800000, 0x33C00000},   // above the tie
                             {0x3FFFFFFF, 0x34000000},   // carry to 2
                             {0x3F800000, 0xB3800000},   // 1 - 2^-24
                             {0x00800000, 0x80000001},   // normal to subnormal
                             {0x7F7FFFFF, 0x73800000}}); // overflow by rounding
  for (const auto &pair : RandomFloatPairs(500, 30))
    pairs.push_back(pair);
  // Right operands around half a unit of the left one's last place, where
  // only correct guard and sticky bits round right: exactly half, just
  // above, just below, both signs.
  std::mt19937 generator(31);
  for (int i = 0; i < 40; ++i) {
    uint32_t a = (generator() & 0x807FFFFF) | ((100 + generator() % 50) << 23);
    uint32_t exponent = (a >> 23) & 0xFF;
    for (uint32_t below : {23u, 24u, 25u})
      for (uint32_t fraction : {0u, 1u, 0x7FFFFFu})
        pairs.emplace_back(a, ((generator() & 1) << 31) | ((exponent - below) << 23) | fraction);
  }
  for (const Arithmetic &r : routines) {
    std::vector<Case> cases;
    for (auto [a, b] : pairs) {
      Case c{fmt::format("{:08X} {:08X} ({:g}, {:g})", a, b, Float(a), Float(b)), LongCall(a, b), {}};
      ExpectFloat(c, r.result(Float(a), Float(b)));
      c.expect.stackTop = {Lo(a), Hi(a), kGuard};
      cases.push_back(c);
    }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, FloatComparisonsTreatNanAsUnordered) {
  struct Compare {
    const char *label;
    std::function<bool(float, float)> holds;
  };
  const Compare routines[] = {
      {"cf_eq", [](float a, float b) { return a == b; }}, {"cf_ne", [](float a, float b) { return a != b; }},
      {"cf_lt", [](float a, float b) { return a < b; }},  {"cf_le", [](float a, float b) { return a <= b; }},
      {"cf_gt", [](float a, float b) { return a > b; }},  {"cf_ge", [](float a, float b) { return a >= b; }},
  };
  for (const Compare &r : routines) {
    std::vector<Case> cases;
    for (uint32_t a : kFloatEdges)
      for (uint32_t b : kFloatEdges) {
        Case c{fmt::format("{:08X} {:08X}", a, b), LongCall(a, b), {}};
        c.expect.hl = r.holds(Float(a), Float(b));
        c.expect.zero = !r.holds(Float(a), Float(b));
        c.expect.spChange = 4;
        c.expect.stackTop = {kGuard};
        cases.push_back(c);
      }
    RunCases(r.label, cases);
  }
}

TEST(Z180RuntimeTest, FloatZeroTestNegateAndNotActOnBcDe) {
  for (const char *label : {"flt_0", "F_neg", "F_not"}) {
    std::vector<Case> cases;
    for (uint32_t v : kFloatEdges) {
      Case c{fmt::format("{:08X}", v), {{0, Hi(v), Lo(v), kKeptHl}, {}}, {}};
      bool zero = (v & 0x7FFFFFFF) == 0;
      std::string routine = label;
      uint32_t result = routine == "F_neg" ? v ^ 0x80000000 : v;
      c.expect.bc = Hi(result);
      c.expect.de = Lo(result);
      if (routine == "flt_0") {
        c.expect.hl = kKeptHl;
        c.expect.zero = zero;
      } else if (routine == "F_not") {
        c.expect.hl = zero;
        c.expect.zero = !zero;
      } else {
        c.expect.hl = kKeptHl;
      }
      cases.push_back(c);
    }
    RunCases(label, cases);
  }
}

// The integer value of a float as the conversions define it: the low bits
// of the value truncated toward zero, 0 from 2^55 on and for NaN.
uint32_t TruncatedLowBits(float f) {
  if (!std::isfinite(f) || std::fabs(f) >= 0x1p55f)
    return 0;
  return uint32_t(uint64_t(int64_t(std::trunc(f))));
}

std::vector<uint32_t> ConversionFloats() {
  std::vector<uint32_t> values = kFloatEdges;
  values.insert(values.end(), {0x3F7FFFFF, 0xBF7FFFFF, 0x3FFFFFFF, 0x46FFFE00, 0xC7000000, 0x477FFF00, 0x4F7FFFFF,
                               0xCEFFFFFF, 0x5A000000, 0xDA000001, 0x4B000001, 0x40490FDB, 0xC0490FDB});
  return values;
}

TEST(Z180RuntimeTest, FloatToIntegerConversionsTruncateTowardZero) {
  struct Conversion {
    const char *label;
    bool toLong;
    uint32_t mask;
  };
  const Conversion conversions[] = {{"Bf_Hc", false, 0xFF},         {"Bf_Hi", false, 0xFFFF},
                                    {"Bf_Hu", false, 0xFFFF},       {"Bf_Bl", true, 0xFFFFFFFF},
                                    {"Bf_Bg", true, 0xFFFFFFFF}};
  for (const Conversion &conv : conversions) {
    std::vector<Case> cases;
    for (uint32_t v : ConversionFloats()) {
      Case c{fmt::format("{:08X} ({:g})", v, Float(v)), {{0, Hi(v), Lo(v), kKeptHl}, {}}, {}};
      uint32_t result = TruncatedLowBits(Float(v)) & conv.mask;
      if (conv.toLong) {
        c.expect.bc = Hi(result);
        c.expect.de = Lo(result);
        c.expect.hl = kKeptHl;
      } else {
        c.expect.hl = uint16_t(result);
        c.expect.bc = Hi(v);
        c.expect.de = Lo(v);
      }
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
}

TEST(Z180RuntimeTest, IntegerToFloatConversionsRoundToNearestEven) {
  std::vector<uint32_t> longs = kLongEdges;
  longs.insert(longs.end(), {0x01000001, 0x01000003, 0x7FFFFFC0, 0x7FFFFFBF, 0xFEFFFFFF, 0x00FFFFFF, 0x80000080});
  struct FromLong {
    const char *label;
    std::function<float(uint32_t)> convert;
  };
  const FromLong fromLongs[] = {{"Bl_Bf", [](uint32_t v) { return float(int32_t(v)); }},
                                {"Bg_Bf", [](uint32_t v) { return float(v); }}};
  for (const FromLong &conv : fromLongs) {
    std::vector<Case> cases;
    for (uint32_t v : longs) {
      Case c{fmt::format("{:08X}", v), {{0, Hi(v), Lo(v), kKeptHl}, {}}, {}};
      ExpectFloat(c, conv.convert(v));
      c.expect.hl = kKeptHl;
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
  struct FromWord {
    const char *label;
    std::function<float(uint16_t)> convert;
  };
  const FromWord fromWords[] = {{"Hc_Bf", [](uint16_t v) { return float(v & 0xFF); }},
                                {"Hi_Bf", [](uint16_t v) { return float(int16_t(v)); }},
                                {"Hu_Bf", [](uint16_t v) { return float(v); }}};
  for (const FromWord &conv : fromWords) {
    std::vector<Case> cases;
    for (uint16_t v : kIntEdges) {
      Case c{fmt::format("{:04X}", v), {{0, kKeptBc, kKeptDe, v}, {}}, {}};
      ExpectFloat(c, conv.convert(v));
      c.expect.hl = v;
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
}

// The stack forms replace the value under the return address and keep
// every main register.
TEST(Z180RuntimeTest, FloatStackConversionsReplaceTheValueOnTheStack) {
  struct Conversion {
    const char *label;
    bool fromFloat; // else to float
    bool wide;      // the integer side is 4 bytes
    std::function<uint32_t(uint32_t)> convert;
  };
  const Conversion conversions[] = {
      // A pushed char's high byte is not read.
      {"C__F", false, false, [](uint32_t v) { return Bits(float(uint8_t(v))); }},
      {"I__F", false, false, [](uint32_t v) { return Bits(float(int16_t(v))); }},
      {"U__F", false, false, [](uint32_t v) { return Bits(float(uint16_t(v))); }},
      {"L__F", false, true, [](uint32_t v) { return Bits(float(int32_t(v))); }},
      {"G__F", false, true, [](uint32_t v) { return Bits(float(v)); }},
      {"F__C", true, false, [](uint32_t v) { return TruncatedLowBits(Float(v)) & 0xFF; }},
      {"F__I", true, false, [](uint32_t v) { return TruncatedLowBits(Float(v)) & 0xFFFF; }},
      {"F__U", true, false, [](uint32_t v) { return TruncatedLowBits(Float(v)) & 0xFFFF; }},
      {"F__L", true, true, [](uint32_t v) { return TruncatedLowBits(Float(v)); }},
      {"F__G", true, true, [](uint32_t v) { return TruncatedLowBits(Float(v)); }},
  };
  for (const Conversion &conv : conversions) {
    std::vector<uint32_t> values;
    if (conv.fromFloat)
      values = ConversionFloats();
    else if (conv.wide)
      values = kLongEdges;
    else
      values.assign(kIntEdges.begin(), kIntEdges.end());
    std::vector<Case> cases;
    for (uint32_t v : values) {
      Case c{fmt::format("{:08X}", v), {{0, kKeptBc, kKeptDe, kKeptHl}, {kGuard}}, {}};
      bool pushedWide = conv.fromFloat || conv.wide;
      bool resultWide = !conv.fromFloat || conv.wide;
      if (pushedWide)
        c.call.stack.insert(c.call.stack.end(), {Hi(v), Lo(v)});
      else
        c.call.stack.push_back(uint16_t(v));
      uint32_t result = conv.convert(v);
      c.expect.bc = kKeptBc;
      c.expect.de = kKeptDe;
      c.expect.hl = kKeptHl;
      c.expect.spChange = pushedWide == resultWide ? 0 : resultWide ? -2 : 2;
      if (resultWide)
        c.expect.stackTop = {Lo(result), Hi(result), kGuard};
      else
        c.expect.stackTop = {Lo(result), kGuard};
      cases.push_back(c);
    }
    RunCases(conv.label, cases);
  }
}

// A function compiled for size brackets its body with a frame entry and a
// frame exit routine. Each case runs such a function from a caller that
// pushed one argument, and checks what the function sees (its own
// registers through the entry, its argument, IX) and what the caller gets
// back (the result in HL, IX, SP, the argument, the register area).
TEST(Z180RuntimeTest, FrameRoutinesBuildAndDropTheFrameAroundTheBody) {
  struct Frame {
    const char *entry;
    const char *exit;
    bool ixFrame;
    bool saveArea; // DE and BC name the register area, kept in the frame
    bool exitCalled;
  };
  const Frame frames[] = {
      {"sspixffn_", "rspixffn_", false, false, false}, {"sspixfn_", "rspixfn_", false, false, true},
      {"sspixff_", "rspixff_", true, false, false},    {"sspixf_", "rspixf_", true, false, true},
      {"sspixrffw_", "rspixrff_", true, true, false},  {"sspixrff_", "rspixrff_", true, true, false},
      {"sspixrf_", "rspixrf_", true, true, true},
  };
  constexpr uint16_t kArgument = 0x4142;
  constexpr uint16_t kResult = 0x7654;
  constexpr uint16_t kAreaSize = 8;
  const uint16_t kLocalSizes[] = {0, 1, 2, 10, 37};
  enum : size_t { kGotResult, kGotIx, kGotSp, kGotArgument, kSeenBc, kSeenDe, kSeenHl, kSeenArgument, kArea };
  for (const Frame &f : frames) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < std::size(kLocalSizes); ++i) {
      uint16_t locals = kLocalSizes[i];
      uint16_t size = locals + (f.saveArea ? kAreaSize : 0);
      std::string area = fmt::format("area{}", i), fn = fmt::format("fn{}", i), done = fmt::format("done{}", i);
      auto out = [](size_t slot) { return fmt::format("OUT+{}", 2 * slot); };
      std::string loadArea = f.saveArea ? fmt::format("\tld de,#{}\n\tld bc,#{}\n", area, kAreaSize) : "";
      std::string text = fmt::format("\tld hl,#{:#06x}\n\tpush hl\n", kArgument);
      text += fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n\tld hl,#{:#06x}\n\tld ix,#{:#06x}\n", kKeptBc, kKeptDe,
                          kKeptHl, kIxAtCall);
      text += fmt::format("\tcall {}\n", fn);
      text += fmt::format("\tld ({}),hl\n\tld ({}),ix\n\tld ix,#0\n\tadd ix,sp\n\tld ({}),ix\n", out(kGotResult),
                          out(kGotIx), out(kGotSp));
      text += fmt::format("\tpop hl\n\tld ({}),hl\n", out(kGotArgument));
      for (int w = 0; w < kAreaSize / 2; ++w)
        text += fmt::format("\tld hl,({}+{})\n\tld ({}+{}),hl\n", area, 2 * w, out(kArea), 2 * w);
      text += fmt::format("\tjp {}\n", done);
      // The register area, which the body overwrites and the exit restores.
      text += area + ":\n\t.dw 0x1111,0x2222,0x3333,0x4444\n";
      text += fn + ":\n\texx\n" + fmt::format("\tld hl,#{}\n", -int(size)) + loadArea +
              fmt::format("\tcall {}\n", f.entry);
      text += fmt::format("\tld ({}),bc\n\tld ({}),de\n\tld ({}),hl\n", out(kSeenBc), out(kSeenDe), out(kSeenHl));
      // The argument: above IX's saved value and the return, or above the
      // frame and the return.
      if (f.ixFrame)
        text += "\tld l,4(ix)\n\tld h,5(ix)\n";
      else
        text += fmt::format("\tld hl,#{}\n\tadd hl,sp\n\tld a,(hl)\n\tinc hl\n\tld h,(hl)\n\tld l,a\n", size + 2);
      text += fmt::format("\tld ({}),hl\n", out(kSeenArgument));
      // Every byte of the locals written, the saved area overwritten.
      if (locals > 0)
        text += fmt::format("\tld hl,#{}\n\tadd hl,sp\n\tld b,#{}\nfill{}:\n\tld (hl),#0xEE\n\tinc hl\n\tdjnz fill{}\n",
                            f.saveArea ? kAreaSize : 0, locals, i, i);
      for (int w = 0; w < kAreaSize / 2; ++w)
        text += fmt::format("\tld hl,#0\n\tld ({}+{}),hl\n", area, 2 * w);
      text += fmt::format("\tld hl,#{:#06x}\n\texx\n\tld hl,#{}\n", kResult, size) + loadArea;
      text += fmt::format("\t{} {}\n", f.exitCalled ? "call" : "jp", f.exit);
      text += done + ":\n";
      texts.push_back(text);
    }
    TempDir dir;
    AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
    ASSERT_TRUE(run.ok) << f.entry << ": " << run.log;
    for (size_t i = 0; i < std::size(kLocalSizes); ++i) {
      const std::vector<uint8_t> &b = run.blocks[i];
      auto word = [&](size_t slot) { return uint16_t(b[2 * slot] | b[2 * slot + 1] << 8); };
      std::string where = fmt::format("{} with {} bytes of locals", f.entry, kLocalSizes[i]);
      EXPECT_EQ(word(kGotResult), kResult) << where << ": the result in HL";
      EXPECT_EQ(word(kGotIx), kIxAtCall) << where << ": IX";
      EXPECT_EQ(word(kGotSp), uint16_t(kStackAtCase - 2)) << where << ": the stack";
      EXPECT_EQ(word(kGotArgument), kArgument) << where << ": the argument";
      EXPECT_EQ(word(kSeenBc), kKeptBc) << where << ": BC through the entry";
      EXPECT_EQ(word(kSeenDe), kKeptDe) << where << ": DE through the entry";
      EXPECT_EQ(word(kSeenHl), kKeptHl) << where << ": HL through the entry";
      EXPECT_EQ(word(kSeenArgument), kArgument) << where << ": the argument seen by the body";
      for (int w = 0; w < kAreaSize / 2; ++w) {
        uint16_t expected = f.saveArea ? uint16_t(0x1111 * (w + 1)) : 0;
        EXPECT_EQ(word(kArea + w), expected) << where << ": register area word " << w;
      }
    }
  }
}

// An interrupt function entered through entint. and left through intrN
// gives the interrupted code back every register, the alternates too,
// whatever its body changed.
TEST(Z180RuntimeTest, InterruptEntryAndExitsKeepEveryRegister) {
  // The interrupted code's registers: AF, BC, DE, HL, IX, IY, AF', BC',
  // DE', HL'.
  const uint16_t kBefore[] = {0x12D7, 0x2345, 0x3456, 0x4567, 0x5678, 0x6789, 0x78C5, 0x89AB, 0x9ABC, 0xABCD};
  std::string setRegisters = fmt::format("\tld hl,#{:#06x}\n\tpush hl\n\tpop af\n\tex af,af'\n", kBefore[6]);
  setRegisters += fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n\tld hl,#{:#06x}\n\texx\n", kBefore[7], kBefore[8],
                              kBefore[9]);
  setRegisters += fmt::format("\tld hl,#{:#06x}\n\tpush hl\n\tpop af\n\tld bc,#{:#06x}\n\tld de,#{:#06x}\n", kBefore[0],
                              kBefore[1], kBefore[2]);
  setRegisters += fmt::format("\tld hl,#{:#06x}\n\tld ix,#{:#06x}\n\tld iy,#{:#06x}\n", kBefore[3], kBefore[4],
                              kBefore[5]);
  // Stores leave the flags alone; AF last, through the stack.
  std::string storeRegisters = "\tld (OUT+2),bc\n\tld (OUT+4),de\n\tld (OUT+6),hl\n\tld (OUT+8),ix\n\tld (OUT+10),iy\n"
                               "\tex af,af'\n\tpush af\n\tpop hl\n\tld (OUT+12),hl\n\tex af,af'\n"
                               "\texx\n\tld (OUT+14),bc\n\tld (OUT+16),de\n\tld (OUT+18),hl\n\texx\n"
                               "\tpush af\n\tpop hl\n\tld (OUT+0),hl\n"
                               "\tld hl,#0\n\tadd hl,sp\n\tld (OUT+20),hl\n";
  // A body that changes everything it can.
  std::string clobber = "\tld bc,#0\n\tld de,#0\n\tld ix,#0\n\tld iy,#0\n\txor a\n\tex af,af'\n\txor a\n\texx\n"
                        "\tld bc,#0\n\tld de,#0\n\tld hl,#0\n\texx\n\tld hl,#0\n\tscf\n";
  const char *exits[] = {"intr1", "intr2", "intr3"};
  std::vector<std::string> texts;
  for (size_t i = 0; i < std::size(exits); ++i) {
    std::string isr = fmt::format("isr{}", i);
    std::string text = setRegisters + fmt::format("\tcall {}\n", isr) + storeRegisters +
                       fmt::format("\tjp after{}\n", i);
    // What the function has right after the entry: every register as it was.
    std::string afterEntry = "\tld (OUT+22),hl\n\tld (OUT+26),bc\n\tld (OUT+28),de\n\tpush af\n\tpop hl\n"
                             "\tld (OUT+24),hl\n";
    text += isr + ":\n\tpush af\n\tpush hl\n\tcall entint_\n" + afterEntry +
            fmt::format("\tld hl,#{}\n\tpush hl\n", exits[i]) + clobber + "\tret\n";
    text += fmt::format("after{}:\n", i);
    texts.push_back(text);
  }
  TempDir dir;
  AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  const char *names[] = {"AF", "BC", "DE", "HL", "IX", "IY", "AF'", "BC'", "DE'", "HL'"};
  for (size_t i = 0; i < std::size(exits); ++i) {
    const std::vector<uint8_t> &b = run.blocks[i];
    auto word = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    for (size_t r = 0; r < std::size(kBefore); ++r)
      EXPECT_EQ(fmt::format("{:04X}", word(2 * r)), fmt::format("{:04X}", kBefore[r])) << exits[i] << " " << names[r];
    EXPECT_EQ(word(20), kStackAtCase) << exits[i] << ": the stack";
    EXPECT_EQ(word(22), kBefore[3]) << exits[i] << ": HL after the entry";
    EXPECT_EQ(word(24), kBefore[0]) << exits[i] << ": AF after the entry";
    EXPECT_EQ(word(26), kBefore[1]) << exits[i] << ": BC after the entry";
    EXPECT_EQ(word(28), kBefore[2]) << exits[i] << ": DE after the entry";
  }
}

// The data-wait block copies behave as ldir and lddr, overlapping copies
// included, and copy nothing for a count of 0.
TEST(Z180RuntimeTest, DataWaitBlockCopiesMatchTheBlockInstructions) {
  constexpr uint16_t kBuffer = 0x9000;
  // With HL, DE and BC it fills a case's output block.
  constexpr size_t kBufferSize = 24;
  struct Copy {
    const char *label;
    bool down;
    uint16_t source, destination, count; // offsets into the buffer
  };
  const Copy copies[] = {
      {"ldir_func", false, 0, 16, 8}, {"ldir_func", false, 0, 1, 9},  {"ldir_func", false, 4, 2, 10},
      {"ldir_func", false, 3, 20, 1}, {"ldir_func", false, 3, 20, 0}, {"lddr_func", true, 15, 23, 8},
      {"lddr_func", true, 20, 19, 9}, {"lddr_func", true, 7, 10, 6},  {"lddr_func", true, 7, 10, 0},
      {"doldir_s", false, 0, 16, 8},  {"doldir_s", false, 0, 1, 9},   {"doldir_s", false, 3, 20, 0},
  };
  std::vector<std::string> texts;
  for (const Copy &c : copies) {
    std::string text;
    for (size_t i = 0; i < kBufferSize; ++i)
      text += fmt::format("\tld a,#{}\n\tld ({:#06x}),a\n", i + 1, kBuffer + i);
    text += fmt::format("\tld hl,#{:#06x}\n\tld de,#{:#06x}\n\tld bc,#{}\n\tcall {}\n", kBuffer + c.source,
                        kBuffer + c.destination, c.count, c.label);
    text += "\tld (OUT+0),hl\n\tld (OUT+2),de\n\tld (OUT+4),bc\n";
    for (size_t i = 0; i < kBufferSize; i += 2)
      text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+{}),hl\n", kBuffer + i, 6 + i);
    texts.push_back(text);
  }
  TempDir dir;
  AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t k = 0; k < std::size(copies); ++k) {
    const Copy &c = copies[k];
    std::vector<uint8_t> memory(kBufferSize);
    for (size_t i = 0; i < kBufferSize; ++i)
      memory[i] = uint8_t(i + 1);
    int step = c.down ? -1 : 1;
    int from = c.source, to = c.destination;
    for (uint16_t n = 0; n < c.count; ++n, from += step, to += step)
      memory[size_t(to)] = memory[size_t(from)];
    const std::vector<uint8_t> &b = run.blocks[k];
    auto word = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    std::string where = fmt::format("{} {}->{} x{}", c.label, c.source, c.destination, c.count);
    EXPECT_EQ(word(0), uint16_t(kBuffer + from)) << where << ": HL";
    EXPECT_EQ(word(2), uint16_t(kBuffer + to)) << where << ": DE";
    EXPECT_EQ(word(4), 0) << where << ": BC";
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 6, b.begin() + 6 + kBufferSize), memory) << where;
  }
}

// The bit routines of memory: the address and the bit number pushed (the
// caller pops them), a bit number of 8 or more reaching the next bytes.
TEST(Z180RuntimeTest, MemoryBitRoutinesTestClearAndSetTheNamedBit) {
  constexpr uint16_t kBytes = 0x9000;
  const uint8_t kPattern[] = {0xA5, 0x3C, 0x01, 0x80};
  std::string before;
  for (size_t i = 0; i < std::size(kPattern); ++i)
    before += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", kPattern[i], kBytes + i);
  std::string after;
  for (size_t i = 0; i < std::size(kPattern); ++i)
    after += fmt::format("\tld a,({:#06x})\n\tld (OUT+{}),a\n", kBytes + i, kExtraAt + i);
  for (const char *label : {"BIT", "RES", "SET"}) {
    std::string routine = label;
    std::vector<Case> cases;
    std::vector<std::vector<uint8_t>> memories;
    for (uint16_t bit = 0; bit < 8 * std::size(kPattern); ++bit) {
      Case c{fmt::format("bit {}", bit), {{0, kKeptBc, kKeptDe, kKeptHl}, {kBytes, bit}, before, after}, {}};
      std::vector<uint8_t> memory(std::begin(kPattern), std::end(kPattern));
      bool set = (memory[bit / 8] >> (bit % 8)) & 1;
      if (routine == "BIT") {
        c.expect.hl = set;
        c.expect.zero = !set;
      } else if (routine == "RES") {
        memory[bit / 8] &= uint8_t(~(1 << (bit % 8)));
      } else {
        memory[bit / 8] |= uint8_t(1 << (bit % 8));
      }
      c.expect.bc = kKeptBc;
      c.expect.de = kKeptDe;
      c.expect.stackTop = {bit, kBytes};
      cases.push_back(c);
      memories.push_back(memory);
    }
    TempDir dir;
    std::vector<RoutineCall> calls;
    for (const Case &c : cases)
      calls.push_back(c.call);
    RoutineRun run = RunRoutineCalls(LibraryAsm(), label, calls, dir.path());
    ASSERT_TRUE(run.ok) << label << ": " << run.log;
    for (size_t i = 0; i < cases.size(); ++i)
      EXPECT_EQ(std::vector<uint8_t>(run.outcomes[i].extra, run.outcomes[i].extra + std::size(kPattern)),
                memories[i])
          << label << " " << cases[i].what;
    RunCases(label, cases);
  }
}

// The resume point store of a root costate into its task part: address,
// page 0, check byte (the compiler stores it as a constant; the assembler
// here cannot fold a label's bytes, so it is worked out in the store).
std::string StoreResume(const std::string &task, const std::string &resume) {
  return fmt::format("\tld hl,#{0}\n\tld ({1}+1),hl\n\tld a,l\n\txor h\n\tld h,a\n\tld l,#0\n\tld ({1}+3),hl\n",
                     resume, task);
}

// Appends a byte to the trace a task program keeps at OUT.
std::string Trace(int value) {
  return fmt::format("\tld hl,(tracep)\n\tld (hl),#{}\n\tinc hl\n\tld (tracep),hl\n", value);
}

// The trace up to its end mark.
std::vector<uint8_t> TraceOf(const std::vector<uint8_t> &block) {
  std::vector<uint8_t> got;
  for (uint8_t b : block) {
    if (b == 0)
      break;
    got.push_back(b);
  }
  return got;
}

// Two costates in a loop, laid out as the compiler lays them out (entry
// call and jump over, resume points stored before each yield or waitfor,
// the exit call with the next status), interleave as their yields and
// waitfor say. Each costate appends to a trace.
TEST(Z180RuntimeTest, CostatesResumeWhereTheyYieldedAndStopOrRestartAtTheirEnd) {
  std::string text = "\tjp costates\n"
                     "buf1:\n\t.ds 16\nbuf2:\n\t.ds 16\ntracep:\n\t.dw 0\ncounter:\n\t.db 0\n"
                     "costates:\n\tld hl,#OUT\n\tld (tracep),hl\n"
                     "\tcall funcblk_init\n\t.dw buf1\n\t.db 2\n\t.dw buf2\n\t.db 2\n\t.dw 0\n\t.db 0\n"
                     "\tld b,#5\n"
                     "loop:\n\tpush bc\n\tld hl,#counter\n\tinc (hl)\n";
  // costate { trace 1; yield; trace 2; yield; trace 3; } (always on)
  text += "\tld hl,#buf1\n\tcall funcblk_entry\n\tjp z,fbb1\n" + Trace(1) + StoreResume("buf1", "y1") +
          "\tjp fbb1\ny1:\n" + Trace(2) + StoreResume("buf1", "y2") + "\tjp fbb1\ny2:\n" + Trace(3) +
          "fba1:\n\tld hl,#buf1\n\tld b,#2\n\tcall funcblk_exit\nfbb1:\n";
  // costate c2 init_on { waitfor(counter >= 3); trace 9; } (runs once)
  text += "\tld hl,#buf2\n\tcall funcblk_entry\n\tjp z,fbb2\n" + StoreResume("buf2", "w1") +
          "\tld a,#1\n\tld (buf2+5),a\n"
          "w1:\n\tld a,(counter)\n\tcp #3\n\tjr nc,w1_true\n\txor a\n\tjp fbb2\nw1_true:\n" +
          Trace(9) + "fba2:\n\tld hl,#buf2\n\tld b,#3\n\tcall funcblk_exit\nfbb2:\n";
  text += "\tpop bc\n\tdec b\n\tjp nz,loop\n\tld hl,(tracep)\n\tld (hl),#0\n";
  TempDir dir;
  AsmRun run = RunAsmCases(LibraryAsm(), {text}, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  // Turn 1: 1, c2 waits; 2: 2, waits; 3: 3 (restarts next turn), 9 (stops);
  // 4: 1; 5: 2.
  EXPECT_EQ(TraceOf(run.blocks[0]), (std::vector<uint8_t>{1, 2, 3, 9, 1, 2}));
}

// Two slices in a loop, laid out as the compiler lays them out (buffer,
// size and time pushed, the entry call and the jump past the slice, the
// task part at the buffer + 6 in HL for the others), leave and come back
// as yield, waitfor and abort say, each on the stack it started on.
TEST(Z180RuntimeTest, SlicesResumeWhereTheyLeftAndStopOrRestartAtTheirEnd) {
  auto entry = [](const std::string &buffer, const std::string &past) {
    return fmt::format("\tld hl,#{0}\n\tpush hl\n\tld hl,#40\n\tpush hl\n\tld hl,#10\n\tpush hl\n"
                       "\tcall __slice_entry\n\tjp {1}\n",
                       buffer, past);
  };
  auto call = [](const std::string &buffer, const std::string &routine) {
    return fmt::format("\tld hl,#{}+6\n\tcall {}\n", buffer, routine);
  };
  auto exit = [](const std::string &buffer, int status, const std::string &past) {
    // The pushed words go with the statement's extent: the loop drops them.
    return fmt::format("\tld hl,#{}+6\n\tld b,#{}\n\tcall __slice_exit\n{}:\n\tpop bc\n\tpop bc\n\tpop bc\n",
                       buffer, status, past);
  };
  std::string text = "\tjp slices\n"
                     "s1:\n\t.ds 22\ns2:\n\t.ds 22\ntracep:\n\t.dw 0\ncounter:\n\t.db 0\n"
                     "slices:\n\tld hl,#OUT\n\tld (tracep),hl\n"
                     "\tcall funcblk_init\n\t.dw s1+6\n\t.db 2\n\t.dw s2+6\n\t.db 2\n\t.dw 0\n\t.db 0\n"
                     "\tld b,#6\n"
                     "loop:\n\tpush bc\n\tld hl,#counter\n\tinc (hl)\n";
  // slice { trace 1; yield; trace 2; waitfor(counter >= 4); trace 3; } (stops at its end)
  text += entry("s1", "past1") + Trace(1) + call("s1", "__slice_yield") + Trace(2) + StoreResume("s1+6", "w1") +
          "w1:\n\tld a,(counter)\n\tcp #4\n\tjr nc,w1_true\n" + call("s1", "__slice_waitfor") + "w1_true:\n" +
          Trace(3) + exit("s1", 3, "past1");
  // slice { trace 7; abort; trace 8; } (always on)
  text += entry("s2", "past2") + Trace(7) + call("s2", "__slice_abort") + Trace(8) + exit("s2", 2, "past2");
  text += "\tpop bc\n\tdec b\n\tjp nz,loop\n\tld hl,(tracep)\n\tld (hl),#0\n";
  TempDir dir;
  AsmRun run = RunAsmCases(LibraryAsm(), {text}, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  // Turn 1: 1, 7; 2: 2 (waits), 7; 3: (waits) 7; 4: 3 (stops), 7; 5 and 6: 7.
  EXPECT_EQ(TraceOf(run.blocks[0]), (std::vector<uint8_t>{1, 7, 2, 7, 7, 3, 7, 7, 7}));
}

} // namespace
} // namespace tsw::target
