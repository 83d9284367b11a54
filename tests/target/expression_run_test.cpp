// Expressions compiled by the product's own assembly of the compiler, one
// function body each, run on the Z180 simulator over a few sets of inputs:
// every result is held to what C computes for the same expression with a
// 16-bit int.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compcore/expression_body_fixture.h"
#include "runner/routine_harness.h"
#include "runner/simulator.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

// The program's inputs, placed where the run sets them.
struct Inputs {
  int16_t a, b, c;
  uint16_t u, v;
  int32_t l, m;
  uint8_t ch, dh;
};

constexpr const char *kDeclarations = "int a @ 0x9000; int b @ 0x9002; int c @ 0x9004;\n"
                                      "unsigned u @ 0x9006; unsigned v @ 0x9008;\n"
                                      "long l @ 0x900A; long m @ 0x900E;\n"
                                      "char ch @ 0x9012; char dh @ 0x9013;\n";
constexpr uint16_t kResultsAt = 0x9100;
constexpr uint16_t kResultBytes = 4;
constexpr uint32_t kDumpAt = 0xA000;

const std::vector<Inputs> kInputSets = {
    {3, -7, 100, 40000, 3, 100000, -3, 200, 7},
    {-32768, -1, 0, 0, 65535, -1, 0, 0, 255},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 2, -3, 1, 2, 65536, 65535, 1, 2},
    {12345, -300, 7, 65535, 1, -70000, 65536, 255, 0},
    {-5, -5, 5, 32768, 32767, 7, 7, 128, 128},
};

enum class Result { kChar, kInt, kUnsigned, kLong };

struct RunCase {
  // Statements of the body; R is the case's own result variable.
  const char *body;
  Result type;
  std::function<int64_t(const Inputs &)> expect;
};

int16_t I(int64_t v) { return int16_t(uint16_t(v)); }
uint16_t U(int64_t v) { return uint16_t(v); }
int32_t L(int64_t v) { return int32_t(uint32_t(v)); }

const std::vector<RunCase> kCases = {
    // Arithmetic at int's width, and the routines of * / % << >>.
    {"R = a + b", Result::kInt, [](const Inputs &x) { return I(x.a + x.b); }},
    {"R = a - b * c", Result::kInt, [](const Inputs &x) { return I(x.a - I(x.b * x.c)); }},
    {"R = a / (c | 1)", Result::kInt, [](const Inputs &x) { return I(x.a / I(x.c | 1)); }},
    {"R = a % (c | 1)", Result::kInt, [](const Inputs &x) { return I(x.a % I(x.c | 1)); }},
    {"R = u / (v | 1)", Result::kUnsigned, [](const Inputs &x) { return U(x.u / U(x.v | 1)); }},
    {"R = a << 3", Result::kInt, [](const Inputs &x) { return I(x.a * 8); }},
    {"R = a >> 2", Result::kInt, [](const Inputs &x) { return I(x.a >> 2); }},
    {"R = u >> 3", Result::kUnsigned, [](const Inputs &x) { return U(x.u >> 3); }},
    {"R = a & b | c ^ a", Result::kInt, [](const Inputs &x) { return I((x.a & x.b) | (x.c ^ x.a)); }},
    {"R = a + b * 2 - c / 4", Result::kInt, [](const Inputs &x) { return I(x.a + x.b * 2 - x.c / 4); }},
    // Comparisons, signed and unsigned, as values.
    {"R = a < b", Result::kInt, [](const Inputs &x) { return x.a < x.b; }},
    {"R = a <= b", Result::kInt, [](const Inputs &x) { return x.a <= x.b; }},
    {"R = a > c", Result::kInt, [](const Inputs &x) { return x.a > x.c; }},
    {"R = a >= c", Result::kInt, [](const Inputs &x) { return x.a >= x.c; }},
    {"R = a == b", Result::kInt, [](const Inputs &x) { return x.a == x.b; }},
    {"R = a != b", Result::kInt, [](const Inputs &x) { return x.a != x.b; }},
    {"R = u < v", Result::kInt, [](const Inputs &x) { return x.u < x.v; }},
    {"R = u >= v", Result::kInt, [](const Inputs &x) { return x.u >= x.v; }},
    {"R = u > a", Result::kInt, [](const Inputs &x) { return x.u > U(x.a); }},
    {"R = ch < dh", Result::kInt, [](const Inputs &x) { return x.ch < x.dh; }},
    {"R = l < m", Result::kInt, [](const Inputs &x) { return x.l < x.m; }},
    // && and || as values are 0 or 1, and leave their right operand alone.
    {"R = a && b", Result::kInt, [](const Inputs &x) { return x.a && x.b; }},
    {"R = a || b", Result::kInt, [](const Inputs &x) { return x.a || x.b; }},
    {"R = a && b || c", Result::kInt, [](const Inputs &x) { return (x.a && x.b) || x.c; }},
    {"R = a || b && c", Result::kInt, [](const Inputs &x) { return x.a || (x.b && x.c); }},
    {"R = a < b && b < c", Result::kInt, [](const Inputs &x) { return x.a < x.b && x.b < x.c; }},
    {"R = a == b || u < v", Result::kInt, [](const Inputs &x) { return x.a == x.b || x.u < x.v; }},
    {"R = l && ch", Result::kInt, [](const Inputs &x) { return x.l && x.ch; }},
    {"R = 0 || a", Result::kInt, [](const Inputs &x) { return x.a != 0; }},
    {"R = 1 && a < b", Result::kInt, [](const Inputs &x) { return x.a < x.b; }},
    {"R = 1 || (R = 5)", Result::kInt, [](const Inputs &) { return 1; }},
    {"R = b && (1 || c) && (0 && a || c < a)", Result::kInt, [](const Inputs &x) { return x.b && x.c < x.a; }},
    {"R = (a & b) + (a && b)", Result::kInt, [](const Inputs &x) { return I((x.a & x.b) + (x.a && x.b)); }},
    // ?: with its merged type.
    {"R = a ? b : c", Result::kInt, [](const Inputs &x) { return x.a ? x.b : x.c; }},
    {"R = a < b ? a : b", Result::kInt, [](const Inputs &x) { return std::min(x.a, x.b); }},
    {"R = a ? b + 1 : c - 1", Result::kInt, [](const Inputs &x) { return I(x.a ? x.b + 1 : x.c - 1); }},
    {"R = c ? l : 1", Result::kLong, [](const Inputs &x) { return x.c ? x.l : 1; }},
    {"R = c ? 1 : l", Result::kLong, [](const Inputs &x) { return x.c ? 1 : x.l; }},
    {"R = a ? b : m", Result::kLong, [](const Inputs &x) { return x.a ? int32_t(x.b) : x.m; }},
    {"R = a ? b ? 1 : 2 : c ? 3 : 4", Result::kInt,
     [](const Inputs &x) { return x.a ? (x.b ? 1 : 2) : (x.c ? 3 : 4); }},
    {"R = 1 ? a : l", Result::kLong, [](const Inputs &x) { return int32_t(x.a); }},
    // A nested ?: has its own type: the outer one stays long.
    {"R = c ? l : (a ? 1 : 2)", Result::kLong, [](const Inputs &x) { return x.c ? x.l : (x.a ? 1 : 2); }},
    {"R = c ? (a ? u : 2) : l", Result::kLong,
     [](const Inputs &x) { return x.c ? int32_t(x.a ? x.u : 2u) : x.l; }},
    {"R = a + (b ? c : 3)", Result::kInt, [](const Inputs &x) { return I(x.a + (x.b ? x.c : 3)); }},
    // Longs and the conversions an assignment makes.
    {"R = l + m", Result::kLong, [](const Inputs &x) { return L(int64_t(x.l) + x.m); }},
    {"R = l * m", Result::kLong, [](const Inputs &x) { return L(uint32_t(x.l) * uint32_t(x.m)); }},
    {"R = l / (m | 1)", Result::kLong, [](const Inputs &x) { return L(x.l / (x.m | 1)); }},
    {"R = a + l", Result::kLong, [](const Inputs &x) { return L(int64_t(x.a) + x.l); }},
    {"R = u + l", Result::kLong, [](const Inputs &x) { return L(int64_t(x.u) + x.l); }},
    {"R = a", Result::kLong, [](const Inputs &x) { return int32_t(x.a); }},
    {"R = u", Result::kLong, [](const Inputs &x) { return int32_t(x.u); }},
    {"R = l", Result::kInt, [](const Inputs &x) { return I(x.l); }},
    {"R = a", Result::kChar, [](const Inputs &x) { return uint8_t(x.a); }},
    {"R = ch", Result::kInt, [](const Inputs &x) { return x.ch; }},
    {"R = ch + a", Result::kInt, [](const Inputs &x) { return I(x.ch + x.a); }},
    {"R = 300", Result::kChar, [](const Inputs &) { return uint8_t(300); }},
    // Compound assignment, and assignment as a value.
    {"R = a; R += b", Result::kInt, [](const Inputs &x) { return I(x.a + x.b); }},
    {"R = a; R -= b * 2", Result::kInt, [](const Inputs &x) { return I(x.a - x.b * 2); }},
    {"R = a; R *= c", Result::kInt, [](const Inputs &x) { return I(x.a * x.c); }},
    {"R = a; R /= 3", Result::kInt, [](const Inputs &x) { return I(x.a / 3); }},
    {"R = a; R %= 7", Result::kInt, [](const Inputs &x) { return I(x.a % 7); }},
    {"R = a; R <<= 2", Result::kInt, [](const Inputs &x) { return I(x.a * 4); }},
    {"R = u; R >>= 3", Result::kUnsigned, [](const Inputs &x) { return U(x.u >> 3); }},
    {"R = a; R &= b; R |= c; R ^= 5", Result::kInt, [](const Inputs &x) { return I(((x.a & x.b) | x.c) ^ 5); }},
    {"R = l; R += a", Result::kLong, [](const Inputs &x) { return L(int64_t(x.l) + x.a); }},
    {"R = ch; R += dh", Result::kChar, [](const Inputs &x) { return uint8_t(x.ch + x.dh); }},
    {"R = c; R = R + R", Result::kInt, [](const Inputs &x) { return I(x.c * 2); }},
    {"R = (R = a) + b", Result::kInt, [](const Inputs &x) { return I(x.a + x.b); }},
    {"R = 7; R = R < a", Result::kInt, [](const Inputs &x) { return 7 < x.a; }},
};

const char *TypeName(Result type) {
  switch (type) {
  case Result::kChar:
    return "char";
  case Result::kInt:
    return "int";
  case Result::kUnsigned:
    return "unsigned";
  case Result::kLong:
    return "long";
  }
  return "int";
}

uint16_t ResultSize(Result type) {
  return type == Result::kChar ? 1 : type == Result::kLong ? 4 : 2;
}

std::string Substituted(std::string text, const std::string &name) {
  for (size_t at = text.find('R'); at != std::string::npos; at = text.find('R', at + name.size()))
    text.replace(at, 1, name);
  return text;
}

std::string SetInputs(const Inputs &x) {
  std::string text;
  const auto word = [&](uint16_t at, uint16_t v) { text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", v, at); };
  const auto byte = [&](uint16_t at, uint8_t v) { text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", v, at); };
  word(0x9000, uint16_t(x.a));
  word(0x9002, uint16_t(x.b));
  word(0x9004, uint16_t(x.c));
  word(0x9006, x.u);
  word(0x9008, x.v);
  word(0x900A, uint16_t(x.l));
  word(0x900C, uint16_t(uint32_t(x.l) >> 16));
  word(0x900E, uint16_t(x.m));
  word(0x9010, uint16_t(uint32_t(x.m) >> 16));
  byte(0x9012, x.ch);
  byte(0x9013, x.dh);
  return text;
}

// The compile links the fixture's stand-in for a run-time routine; the run
// takes the library's own.
bool StandIn(const std::string &label) {
  for (const char *name : tsw::testing::kFixtureRuntimeRoutines)
    if (label == name)
      return true;
  return false;
}

// A body's bytes as sdasz80 data at the address they were compiled for,
// each run-time routine's call bound to the library's routine.
std::string PlacedBody(const tsw::testing::CompiledBody &body) {
  std::vector<uint8_t> bytes(Addr24Difference(body.end, body.start));
  EXPECT_TRUE(ReadEmittedBytes(body.start, uint32_t(bytes.size()), bytes.data()));
  std::string text = fmt::format("\t.org {:#06x}\n", body.start.logical);
  for (size_t at = 0; at < bytes.size(); ++at) {
    const auto routine = body.routineAt.find(at);
    // A call of a function the program defined later was patched since.
    if (routine != body.routineAt.end() && at + 1 < bytes.size() &&
        ((bytes[at] == 0 && bytes[at + 1] == 0) || StandIn(routine->second))) {
      std::string label = routine->second;
      std::replace(label.begin(), label.end(), '.', '_');
      text += "\t.dw " + label + "\n";
      ++at;
      continue;
    }
    text += fmt::format("\t.db {:#04x}\n", bytes[at]);
  }
  return text;
}

// Runs `calls` once per set of inputs, each set's results copied from the
// result variables to a block of the dump; the blocks read back.
struct ResultBlocks {
  std::vector<std::vector<uint8_t>> perSet;
};
ResultBlocks RunOverInputSets(const std::vector<uint16_t> &calls, const std::vector<tsw::testing::CompiledBody> &code,
                              uint16_t resultsSize) {
  std::string source = "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0\n\tld sp,#0\n";
  for (size_t set = 0; set < kInputSets.size(); ++set) {
    source += SetInputs(kInputSets[set]);
    for (uint16_t call : calls)
      source += fmt::format("\tcall {:#06x}\n", call);
    source += fmt::format("\tld hl,#{:#06x}\n\tld de,#{:#06x}\n\tld bc,#{:#06x}\n\tldir\n", kResultsAt,
                          kDumpAt + resultsSize * set, resultsSize);
  }
  source += "\thalt\n";
  for (const tsw::testing::CompiledBody &body : code)
    source += PlacedBody(body);
  source += Z180LibraryForSimulator(TSW_Z180_LIBRARY);

  ResultBlocks blocks;
  tsw::testing::TempDir dir;
  const AsmProgram image = AssembleProgram(source, dir.path());
  EXPECT_TRUE(image.ok) << image.log;
  if (!image.ok)
    return blocks;
  SimulatorRequest request;
  request.hexImage = image.hexImage;
  request.dumps.push_back({kDumpAt, uint32_t(resultsSize * kInputSets.size())});
  const SimulatorRun run = RunOnSimulator(request);
  EXPECT_EQ(run.stop, SimStop::Halted) << run.log;
  for (size_t set = 0; set < kInputSets.size(); ++set) {
    const auto block = run.Read(kDumpAt + resultsSize * set, resultsSize);
    blocks.perSet.push_back(block ? *block : std::vector<uint8_t>(resultsSize));
  }
  return blocks;
}

// Each case's result against C's, at the width of its type.
void ExpectResults(const std::vector<RunCase> &cases, const ResultBlocks &blocks) {
  ASSERT_EQ(blocks.perSet.size(), kInputSets.size());
  for (size_t set = 0; set < kInputSets.size(); ++set) {
    for (size_t i = 0; i < cases.size(); ++i) {
      const uint16_t size = ResultSize(cases[i].type);
      uint32_t got = 0;
      for (uint16_t k = 0; k < size; ++k)
        got |= uint32_t(blocks.perSet[set][kResultBytes * i + k]) << (8 * k);
      const uint32_t mask = size == 4 ? 0xFFFFFFFF : (1u << (8 * size)) - 1;
      EXPECT_EQ(got, uint32_t(cases[i].expect(kInputSets[set])) & mask)
          << cases[i].body << " (" << TypeName(cases[i].type) << ") with input set " << set;
    }
  }
}

std::string ResultDeclarations(const std::vector<RunCase> &cases) {
  std::string text = kDeclarations;
  for (size_t i = 0; i < cases.size(); ++i)
    text += fmt::format("{} r{} @ {:#06x};\n", TypeName(cases[i].type), i, kResultsAt + kResultBytes * i);
  return text;
}

void ExpectOnlyNarrowingWarnings(const std::vector<std::string> &records) {
  for (const std::string &record : records)
    EXPECT_NE(record.find("[807]"), std::string::npos) << record;
}

class ExpressionRun : public tsw::testing::ExpressionBodyTest {
protected:
  // Above the cases and the library, which the image places from 0.
  ExpressionRun() { bodies.originAddress = 0x4000; }
};

TEST_F(ExpressionRun, ResultsMatchCOverEachSetOfInputs) {
  std::string program = ResultDeclarations(kCases);
  for (size_t i = 0; i < kCases.size(); ++i)
    program += fmt::format("void f{}() {{ {}; }}\n", i, Substituted(kCases[i].body, fmt::format("r{}", i)));
  Compile(program);
  // Narrowing stores warn of a possible loss of value; nothing else is said.
  ExpectOnlyNarrowingWarnings(Records());
  ASSERT_EQ(bodies.bodies.size(), kCases.size());
  std::vector<uint16_t> calls;
  for (const auto &body : bodies.bodies)
    calls.push_back(body.start.logical);
  ExpectResults(kCases, RunOverInputSets(calls, bodies.bodies, uint16_t(kResultBytes * kCases.size())));
}

// Whole functions through the product's function compiler: assignments to
// locals on the frame and through pointers, and conditions that jump.
const std::vector<RunCase> kFunctionCases = {
    {"int i; R = 0; for (i = 0; i < 10; i++) R += i;", Result::kInt, [](const Inputs &) { return 45; }},
    {"int i; i = 0; R = 0; while (i < a && i < 20) { R += 2; i++; }", Result::kInt,
     [](const Inputs &x) { return 2 * std::clamp<int>(x.a, 0, 20); }},
    {"int i; i = 3; R = 0; do { R += i; } while (--i);", Result::kInt, [](const Inputs &) { return 6; }},
    {"unsigned k; R = 0; for (k = u; k > v && R < 9; k >>= 1) R++;", Result::kInt,
     [](const Inputs &x) {
       int n = 0;
       for (uint16_t k = x.u; k > x.v && n < 9; k = uint16_t(k >> 1))
         ++n;
       return n;
     }},
    {"long t; R = 0; for (t = l; t > m || R < 2; t -= 1000) if (++R > 5) break;", Result::kInt,
     [](const Inputs &x) {
       int n = 0;
       for (int32_t t = x.l; t > x.m || n < 2; t -= 1000)
         if (++n > 5)
           break;
       return n;
     }},
    {"int x, y; x = a; y = b; R = x * y - x;", Result::kInt, [](const Inputs &x) { return I(x.a * x.b - x.a); }},
    {"int x, y, z; x = y = z = c; R = x + y + z;", Result::kInt, [](const Inputs &x) { return I(3 * x.c); }},
    {"int x; x = a; x += b; x <<= 1; R = x;", Result::kInt, [](const Inputs &x) { return I((x.a + x.b) * 2); }},
    {"long t; t = l; t += m; R = t;", Result::kLong, [](const Inputs &x) { return L(int64_t(x.l) + x.m); }},
    {"char k; k = a; R = k + 1;", Result::kInt, [](const Inputs &x) { return uint8_t(x.a) + 1; }},
    {"int *q; q = &R; *q = a + 1;", Result::kInt, [](const Inputs &x) { return I(x.a + 1); }},
    {"int *q; q = &R; *q = a; *q += b;", Result::kInt, [](const Inputs &x) { return I(x.a + x.b); }},
    {"char *q; q = &R; *q = a;", Result::kChar, [](const Inputs &x) { return uint8_t(x.a); }},
    {"long *q; q = &R; *q = l; *q -= a;", Result::kLong, [](const Inputs &x) { return L(int64_t(x.l) - x.a); }},
    {"int t[4]; t[1] = a; t[2] = b; R = t[1] - t[2];", Result::kInt, [](const Inputs &x) { return I(x.a - x.b); }},
    {"if (a < b) R = 1; else R = 2;", Result::kInt, [](const Inputs &x) { return x.a < x.b ? 1 : 2; }},
    {"if (u > v) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.u > x.v; }},
    {"if (l >= m) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.l >= x.m; }},
    {"if (a == c) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.a == x.c; }},
    {"if (a || b) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.a || x.b; }},
    {"if (a && b < c) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.a && x.b < x.c; }},
    {"if (a ? b : c) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return (x.a ? x.b : x.c) != 0; }},
    {"if (ch < dh) R = 1; else R = 0;", Result::kInt, [](const Inputs &x) { return x.ch < x.dh; }},
    {"int x; x = a < b ? a : b; R = x;", Result::kInt, [](const Inputs &x) { return std::min(x.a, x.b); }},
};

class FunctionRun : public tsw::testing::ProgramCompileTest {
protected:
  FunctionRun() {
    placed.originAddress = 0x4000;
    backEnd = &placed;
  }
  tsw::testing::PlacedFunctionBodies placed;
};

TEST_F(FunctionRun, AssignmentsAndConditionsInFunctionsMatchC) {
  std::string program = "#memmap root\n" + ResultDeclarations(kFunctionCases);
  // Debug code would reach for the kernel's restart hooks, which this run
  // has none of.
  for (size_t i = 0; i < kFunctionCases.size(); ++i)
    program += fmt::format("nodebug void f{}(void) {{ {} }}\n", i, Substituted(kFunctionCases[i].body, fmt::format("r{}", i)));
  Compile(program);
  ExpectOnlyNarrowingWarnings(Records());
  ASSERT_EQ(placed.bodies.size(), kFunctionCases.size());
  std::vector<uint16_t> calls;
  for (size_t i = 0; i < kFunctionCases.size(); ++i) {
    const BRFixupRec *label = FindGlobalLabel(fmt::format("f{}", i));
    calls.push_back(label && label->defined ? Addr24FromLong(label->value).logical : placed.bodies[i].start.logical);
  }
  ExpectResults(kFunctionCases, RunOverInputSets(calls, placed.bodies, uint16_t(kResultBytes * kFunctionCases.size())));
}

} // namespace
} // namespace tsw::target
