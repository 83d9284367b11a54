// The run-time routines of the Z180 target library, run on the simulator
// one call at a time and held to the contract written at the top of each:
// every output register and flag, the registers it keeps, and who pops the
// stack operands.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runner/asm_convert.h"
#include "runner/routine_harness.h"
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

std::string ReadFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Every library file of the directory, converted for the simulator.
std::string LibraryAsm() {
  static const std::string text = [] {
    std::string all;
    for (const auto &entry : std::filesystem::directory_iterator(kLibraryDir)) {
      if (entry.path().extension() != ".LIB")
        continue;
      ConvertedAsm converted = ConvertLibraryAsm(ReadFile(entry.path()));
      for (const std::string &problem : converted.problems)
        ADD_FAILURE() << entry.path().filename() << " " << problem;
      all += converted.text;
    }
    return all;
  }();
  return text;
}

struct Expect {
  std::optional<uint16_t> hl, de, bc;
  std::optional<bool> zero, carry;
  int spChange = 0;
  std::vector<uint16_t> stackTop; // the words at SP after the return
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

void RunCases(const std::string &label, const std::vector<Case> &cases) {
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

} // namespace
} // namespace tsw::target
