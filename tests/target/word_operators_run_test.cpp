// The inline word code of the binary operators, compiled by the product's
// code generator for the Z180 and run on the simulator over the edges of
// the int and unsigned ranges: each result is held to what C computes.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "compcore/byte_road_fixture.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/operator_lowering.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "runner/routine_harness.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

constexpr uint16_t kLeftAt = 0x9000;
constexpr uint16_t kRightAt = 0x9002;
constexpr uint16_t kCodeAt = 0x1000;

const std::vector<uint16_t> kWordEdges = {0x0000, 0x0001, 0x0002, 0x7FFE, 0x7FFF, 0x8000,
                                          0x8001, 0xFFFE, 0xFFFF, 0x1234, 0x00FF, 0x0100};

struct WordOperator {
  const char *text;
  uint8_t type;
  std::function<uint16_t(uint16_t, uint16_t)> expect;
  // Chars are read from memory only: a constant would make the operation int.
  bool variablesOnly = false;
};

uint8_t C(uint16_t v) { return uint8_t(v); }

int16_t S(uint16_t v) { return int16_t(v); }

const std::vector<WordOperator> kOperators = {
    {"<", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) < S(b)); }},
    {"<=", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) <= S(b)); }},
    {">", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) > S(b)); }},
    {">=", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) >= S(b)); }},
    {"<", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a < b); }},
    {"<=", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a <= b); }},
    {">", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a > b); }},
    {">=", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a >= b); }},
    {"+", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a + b); }},
    {"-", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a - b); }},
    {"^", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a ^ b); }},
    // A char sum stays a char (H 0); chars compare unsigned.
    {"+", kTypeChar, [](uint16_t a, uint16_t b) { return uint16_t(uint8_t(C(a) + C(b))); }, true},
    {"-", kTypeChar, [](uint16_t a, uint16_t b) { return uint16_t(uint8_t(C(a) - C(b))); }, true},
    {"<", kTypeChar, [](uint16_t a, uint16_t b) { return uint16_t(C(a) < C(b)); }, true},
    {">=", kTypeChar, [](uint16_t a, uint16_t b) { return uint16_t(C(a) >= C(b)); }, true},
};

class WordOperatorRun : public tsw::testing::ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    AllocateSymbolTables(kSymbolLimit);
    Origin("code 0 0x1000 0x1000 apply", Caches().rootCode);
    Caches().currentCode = Caches().rootCode;
    SelectTargetCpu(TargetCpu::Z180);
  }
  ValueRecord Global(const char *name, uint8_t type, uint16_t address) {
    SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    if (!symbol)
      symbol = AddSymbol(name, kLevelNone, type, 0, kKindGlobal);
    symbol->type = type;
    symbol->address = Addr24ToLong(MakeAddr24(0, address));
    return MakeValueFromSymbol(*symbol);
  }
  // The bytes of `left op right` over the two globals, or of `left op c`;
  // the run-time routines it calls are named where their addresses go.
  struct Compiled {
    std::vector<uint8_t> bytes;
    std::map<size_t, std::string> routineAt;
  };
  Compiled CompileLinked(const WordOperator &op) {
    ResetFixupTables(kResetFinal);
    Compiled compiled{Compile(op, std::nullopt, std::nullopt), {}};
    for (const std::string &label : PendingLabelList())
      for (const auto &item : FindGlobalLabel(label)->pending)
        compiled.routineAt[Addr24FromLong(item->patchAddress).logical - kCodeAt] = label;
    return compiled;
  }
  std::vector<uint8_t> Compile(const WordOperator &op, std::optional<uint16_t> constantRight,
                               std::optional<uint16_t> constantLeft) {
    Caches().currentCode->SetEmitAddress(MakeAddr24(0, kCodeAt));
    writer.runs.clear();
    ValueRecord left = constantLeft ? MakeIntConstantFromHostInt(int16_t(*constantLeft)) : Global("a", op.type, kLeftAt);
    ValueRecord right =
        constantRight ? MakeIntConstantFromHostInt(int16_t(*constantRight)) : Global("b", op.type, kRightAt);
    if (op.type == kTypeUnsigned) {
      if (constantLeft)
        left.type = kTypeUnsigned;
      if (constantRight)
        right.type = kTypeUnsigned;
    }
    BeginBinaryOperation(op.text, left, right);
    // An identity (x + 0) leaves the operand where it was.
    LoadOperandToValueRegister(left);
    Caches().currentCode->Flush();
    std::vector<uint8_t> bytes;
    for (const tsw::testing::Run &run : writer.runs)
      bytes.insert(bytes.end(), run.bytes.begin(), run.bytes.end());
    EXPECT_TRUE(sink.records.empty()) << op.text;
    return bytes;
  }
  static constexpr uint16_t kSymbolLimit = 200;
};

std::string CaseText(uint16_t a, uint16_t b, const std::vector<uint8_t> &code,
                     const std::map<size_t, std::string> &routineAt = {}) {
  std::string text = fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", a,
                                 kLeftAt, b, kRightAt);
  for (size_t at = 0; at < code.size(); ++at) {
    if (const auto routine = routineAt.find(at); routine != routineAt.end()) {
      text += "\t.dw " + routine->second + "\n";
      ++at;
      continue;
    }
    text += fmt::format("\t.db {:#04x}\n", code[at]);
  }
  text += "\tld (OUT),hl\n";
  return text;
}

// Two variables, a constant on the right and a constant on the left: the
// three forms the comparisons take.
TEST_F(WordOperatorRun, ResultsMatchCOverTheEdgesOfTheRange) {
  enum class Form { kVariables, kConstantRight, kConstantLeft };
  struct Expected {
    std::string what;
    uint16_t value;
  };
  // One run per operator and form: the output blocks of one run must fit
  // below the top of memory.
  for (const WordOperator &op : kOperators) {
    for (Form form : {Form::kVariables, Form::kConstantRight, Form::kConstantLeft}) {
      if (op.variablesOnly && form != Form::kVariables)
        continue;
      std::vector<std::string> texts;
      std::vector<Expected> expected;
      for (uint16_t a : kWordEdges) {
        for (uint16_t b : kWordEdges) {
          const std::vector<uint8_t> code =
              Compile(op, form == Form::kConstantRight ? std::optional<uint16_t>(b) : std::nullopt,
                      form == Form::kConstantLeft ? std::optional<uint16_t>(a) : std::nullopt);
          texts.push_back(CaseText(a, b, code));
          expected.push_back({fmt::format("{} {:04X} {} {:04X} (form {})", op.type == kTypeInt ? "int" : op.type == kTypeChar ? "char" : "unsigned",
                                          a, op.text, b, int(form)),
                              op.expect(a, b)});
        }
      }
      tsw::testing::TempDir dir;
      const AsmRun run = RunAsmCases("", texts, dir.path());
      ASSERT_TRUE(run.ok) << run.log;
      ASSERT_EQ(run.blocks.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i) {
        const uint16_t got = uint16_t(run.blocks[i][0] | run.blocks[i][1] << 8);
        EXPECT_EQ(got, expected[i].value) << expected[i].what;
      }
    }
  }
}

// Every factor with an inline sequence, each run over the edges.
TEST_F(WordOperatorRun, MultiplyByATableConstantMatchesC) {
  const std::vector<uint16_t> factors = {1, 2, 3, 4, 5, 6, 8, 10, 12, 16, 20, 32, 40, 64};
  const WordOperator multiply{"*", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a * b); }};
  std::vector<std::string> texts;
  std::vector<std::string> what;
  std::vector<uint16_t> expected;
  for (uint16_t factor : factors) {
    for (uint16_t a : kWordEdges) {
      texts.push_back(CaseText(a, factor, Compile(multiply, factor, std::nullopt)));
      what.push_back(fmt::format("{:04X} * {}", a, factor));
      expected.push_back(uint16_t(a * factor));
    }
  }
  tsw::testing::TempDir dir;
  const AsmRun run = RunAsmCases("", texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  ASSERT_EQ(run.blocks.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(uint16_t(run.blocks[i][0] | run.blocks[i][1] << 8), expected[i]) << what[i];
}

// The operators lowered to run-time routine calls, with the library linked
// in: the operands must reach each routine in the registers its contract
// names. Division by 0, the quotient of -32768 by -1 and shift counts of 16
// or more have no C result and are left out.
TEST_F(WordOperatorRun, RoutineOperatorsMatchC) {
  const std::vector<WordOperator> operators = {
      {"*", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a * b); }},
      {"/", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) / S(b)); }},
      {"%", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) % S(b)); }},
      {"/", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a / b); }},
      {"%", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a % b); }},
      {"<<", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a << b); }},
      {">>", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(S(a) >> b); }},
      {">>", kTypeUnsigned, [](uint16_t a, uint16_t b) { return uint16_t(a >> b); }},
      {"==", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a == b); }},
      {"!=", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a != b); }},
      {"|", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a | b); }},
      {"&", kTypeInt, [](uint16_t a, uint16_t b) { return uint16_t(a & b); }},
  };
  const std::string library = Z180LibraryForSimulator(TSW_Z180_LIBRARY);
  for (const WordOperator &op : operators) {
    const std::string name = std::string(op.type == kTypeInt ? "int " : "unsigned ") + op.text;
    const bool division = op.text[0] == '/' || op.text[0] == '%';
    const bool shift = op.text[0] == '<' || op.text[0] == '>';
    std::vector<std::string> texts;
    std::vector<std::string> what;
    std::vector<uint16_t> expected;
    for (uint16_t a : kWordEdges) {
      for (uint16_t b : kWordEdges) {
        if ((division && (b == 0 || (op.type == kTypeInt && a == 0x8000 && b == 0xFFFF))) || (shift && b >= 16))
          continue;
        const Compiled compiled = CompileLinked(op);
        ASSERT_FALSE(compiled.routineAt.empty()) << name << ": no routine called";
        texts.push_back(CaseText(a, b, compiled.bytes, compiled.routineAt));
        what.push_back(fmt::format("{}: {:04X}, {:04X}", name, a, b));
        expected.push_back(op.expect(a, b));
      }
    }
    tsw::testing::TempDir dir;
    const AsmRun run = RunAsmCases(library, texts, dir.path());
    ASSERT_TRUE(run.ok) << name << ": " << run.log;
    ASSERT_EQ(run.blocks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(uint16_t(run.blocks[i][0] | run.blocks[i][1] << 8), expected[i]) << what[i];
  }
}

// Longs: the left operand pushed, the right in DE:BC, the routine popping
// the left; comparisons answer in HL, the rest in DE:BC.
TEST_F(WordOperatorRun, LongOperatorsMatchC) {
  constexpr uint16_t kLongLeftAt = 0x9010, kLongRightAt = 0x9014;
  const std::vector<uint32_t> edges = {0, 1, 2, 0xFFFFFFFF, 0xFFFFFFFE, 0x7FFFFFFF, 0x80000000, 0x12345678, 0xFFFF,
                                       0x10000};
  const auto l = [](uint32_t v) { return int32_t(v); };
  struct LongOperator {
    const char *text;
    uint8_t type;
    std::function<uint32_t(uint32_t, uint32_t)> expect;
    bool comparison = false;
  };
  const std::vector<LongOperator> operators = {
      {"+", kTypeLong, [](uint32_t a, uint32_t b) { return a + b; }},
      {"-", kTypeLong, [](uint32_t a, uint32_t b) { return a - b; }},
      {"*", kTypeLong, [](uint32_t a, uint32_t b) { return a * b; }},
      {"/", kTypeLong, [l](uint32_t a, uint32_t b) { return uint32_t(l(a) / l(b)); }},
      {"%", kTypeLong, [l](uint32_t a, uint32_t b) { return uint32_t(l(a) % l(b)); }},
      {"/", kTypeUnsignedLong, [](uint32_t a, uint32_t b) { return a / b; }},
      {"%", kTypeUnsignedLong, [](uint32_t a, uint32_t b) { return a % b; }},
      {"&", kTypeLong, [](uint32_t a, uint32_t b) { return a & b; }},
      {"|", kTypeLong, [](uint32_t a, uint32_t b) { return a | b; }},
      {"^", kTypeLong, [](uint32_t a, uint32_t b) { return a ^ b; }},
      {"==", kTypeLong, [](uint32_t a, uint32_t b) { return uint32_t(a == b); }, true},
      {"!=", kTypeLong, [](uint32_t a, uint32_t b) { return uint32_t(a != b); }, true},
      {"<", kTypeLong, [l](uint32_t a, uint32_t b) { return uint32_t(l(a) < l(b)); }, true},
      {">=", kTypeLong, [l](uint32_t a, uint32_t b) { return uint32_t(l(a) >= l(b)); }, true},
      {"<", kTypeUnsignedLong, [](uint32_t a, uint32_t b) { return uint32_t(a < b); }, true},
      {">", kTypeUnsignedLong, [](uint32_t a, uint32_t b) { return uint32_t(a > b); }, true},
  };
  const std::string library = Z180LibraryForSimulator(TSW_Z180_LIBRARY);
  for (const LongOperator &op : operators) {
    const std::string name = std::string(op.type == kTypeLong ? "long " : "unsigned long ") + op.text;
    const bool division = op.text[0] == '/' || op.text[0] == '%';
    std::vector<std::string> texts;
    std::vector<std::string> what;
    std::vector<uint32_t> expected;
    for (uint32_t a : edges) {
      for (uint32_t b : edges) {
        if (division && (b == 0 || (op.type == kTypeLong && a == 0x80000000 && b == 0xFFFFFFFF)))
          continue;
        ResetFixupTables(kResetFinal);
        Caches().currentCode->SetEmitAddress(MakeAddr24(0, kCodeAt));
        writer.runs.clear();
        ValueRecord left = Global("la", op.type, kLongLeftAt);
        ValueRecord right = Global("lb", op.type, kLongRightAt);
        BeginBinaryOperation(op.text, left, right);
        Caches().currentCode->Flush();
        std::vector<uint8_t> bytes;
        for (const tsw::testing::Run &run : writer.runs)
          bytes.insert(bytes.end(), run.bytes.begin(), run.bytes.end());
        std::map<size_t, std::string> routineAt;
        for (const std::string &label : PendingLabelList())
          for (const auto &item : FindGlobalLabel(label)->pending)
            routineAt[Addr24FromLong(item->patchAddress).logical - kCodeAt] = label;
        ASSERT_TRUE(sink.records.empty()) << name;
        std::string text = fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n",
                                       a & 0xFFFF, kLongLeftAt, a >> 16, kLongLeftAt + 2);
        text += fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", b & 0xFFFF,
                            kLongRightAt, b >> 16, kLongRightAt + 2);
        // The operands' loads and pushes first, so the stored words come
        // from the code under test.
        const std::string code = CaseText(0, 0, bytes, routineAt);
        text += code.substr(code.find("\t.d"));
        text = text.substr(0, text.rfind("\tld (OUT),hl"));
        text += op.comparison ? "\tld (OUT),hl\n" : "\tld (OUT),de\n\tld (OUT+2),bc\n";
        texts.push_back(text);
        what.push_back(fmt::format("{}: {:08X}, {:08X}", name, a, b));
        expected.push_back(op.expect(a, b));
      }
    }
    tsw::testing::TempDir dir;
    const AsmRun run = RunAsmCases(library, texts, dir.path());
    ASSERT_TRUE(run.ok) << name << ": " << run.log;
    ASSERT_EQ(run.blocks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const std::vector<uint8_t> &block = run.blocks[i];
      const uint32_t got = op.comparison ? uint32_t(block[0] | block[1] << 8)
                                         : uint32_t(block[0] | block[1] << 8 | block[2] << 16 | uint32_t(block[3]) << 24);
      EXPECT_EQ(got, expected[i]) << what[i];
    }
  }
}

// Operators whose operand is the result of another, still in the
// registers: it moves to DE, or is pushed while the other one loads.
TEST_F(WordOperatorRun, NestedOperandsMatchC) {
  constexpr uint16_t kThirdAt = 0x9004;
  const std::vector<uint16_t> values = {0x0000, 0x0001, 0x0002, 0x7FFF, 0x8000, 0xFFFF, 0x1234};
  struct Nested {
    const char *what;
    const char *inner;
    const char *outer;
    bool innerOnLeft;
    std::function<uint16_t(uint16_t, uint16_t, uint16_t)> expect;
    std::function<bool(uint16_t, uint16_t, uint16_t)> defined = [](uint16_t, uint16_t, uint16_t) { return true; };
  };
  const std::vector<Nested> expressions = {
      {"(a + b) < c", "+", "<", true, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(S(uint16_t(a + b)) < S(c)); }},
      {"c < (a + b)", "+", "<", false, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(S(c) < S(uint16_t(a + b))); }},
      {"(a - b) - c", "-", "-", true, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(a - b - c); }},
      {"c - (a - b)", "-", "-", false, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(c - (a - b)); }},
      {"c / (a | b)", "|", "/", false,
       [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(S(c) / S(uint16_t(a | b))); },
       [](uint16_t a, uint16_t b, uint16_t c) { return (a | b) != 0 && !(c == 0x8000 && uint16_t(a | b) == 0xFFFF); }},
      {"(a ^ b) == c", "^", "==", true, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t((a ^ b) == c); }},
      {"c != (a & b)", "&", "!=", false, [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(c != (a & b)); }},
      {"(a * b) >= c", "*", ">=", true,
       [](uint16_t a, uint16_t b, uint16_t c) { return uint16_t(S(uint16_t(a * b)) >= S(c)); }},
  };
  const std::string library = Z180LibraryForSimulator(TSW_Z180_LIBRARY);
  for (const Nested &e : expressions) {
    std::vector<std::string> texts;
    std::vector<std::string> what;
    std::vector<uint16_t> expected;
    for (uint16_t a : values)
      for (uint16_t b : values)
        for (uint16_t c : values) {
          if (!e.defined(a, b, c))
            continue;
          ResetFixupTables(kResetFinal);
          Caches().currentCode->SetEmitAddress(MakeAddr24(0, kCodeAt));
          writer.runs.clear();
          ValueRecord left = Global("a", kTypeInt, kLeftAt);
          ValueRecord right = Global("b", kTypeInt, kRightAt);
          BeginBinaryOperation(e.inner, left, right);
          ValueRecord third = Global("c", kTypeInt, kThirdAt);
          if (e.innerOnLeft)
            BeginBinaryOperation(e.outer, left, third);
          else
            BeginBinaryOperation(e.outer, third, left);
          ValueRecord &result = e.innerOnLeft ? left : third;
          LoadOperandToValueRegister(result);
          Caches().currentCode->Flush();
          std::vector<uint8_t> bytes;
          for (const tsw::testing::Run &run : writer.runs)
            bytes.insert(bytes.end(), run.bytes.begin(), run.bytes.end());
          std::map<size_t, std::string> routineAt;
          for (const std::string &label : PendingLabelList())
            for (const auto &item : FindGlobalLabel(label)->pending)
              routineAt[Addr24FromLong(item->patchAddress).logical - kCodeAt] = label;
          ASSERT_TRUE(sink.records.empty()) << e.what;
          ASSERT_EQ(Emission().stackOffset, 0) << e.what;
          std::string text = fmt::format("\tld hl,#{:#06x}\n\tld ({:#06x}),hl\n", c, kThirdAt);
          texts.push_back(text + CaseText(a, b, bytes, routineAt));
          what.push_back(fmt::format("{}: a {:04X} b {:04X} c {:04X}", e.what, a, b, c));
          expected.push_back(e.expect(a, b, c));
        }
    tsw::testing::TempDir dir;
    const AsmRun run = RunAsmCases(library, texts, dir.path());
    ASSERT_TRUE(run.ok) << e.what << ": " << run.log;
    ASSERT_EQ(run.blocks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(uint16_t(run.blocks[i][0] | run.blocks[i][1] << 8), expected[i]) << what[i];
  }
}

} // namespace
} // namespace tsw::target
