#include "compcore/codegen_fixture.h"

#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/operator_lowering.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"

#include <functional>
#include <map>

namespace tsw::testing {
namespace {

// Globals at fixed addresses: a 2000, b 2002, u 2004, v 2006, l 2010,
// m 2014, f 2020, g 2024, p 2030 and q 2032 (both int *), w 2034 (void *).
struct GlobalSpec {
  uint8_t type;
  uint32_t declarator;
  uint16_t address;
};
const std::map<std::string, GlobalSpec> kGlobals = {
    {"a", {kTypeInt, kLevelNone, 0x2000}},          {"b", {kTypeInt, kLevelNone, 0x2002}},
    {"u", {kTypeUnsigned, kLevelNone, 0x2004}},     {"v", {kTypeUnsigned, kLevelNone, 0x2006}},
    {"l", {kTypeLong, kLevelNone, 0x2010}},         {"m", {kTypeLong, kLevelNone, 0x2014}},
    {"f", {kTypeFloat, kLevelNone, 0x2020}},        {"g", {kTypeFloat, kLevelNone, 0x2024}},
    {"p", {kTypeInt, kLevelPointer, 0x2030}},       {"q", {kTypeInt, kLevelPointer, 0x2032}},
    {"w", {kTypeVoid, kLevelPointer, 0x2034}},      {"c", {kTypeChar, kLevelNone, 0x2036}},
};

class LoweringTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    upcalls.reset();
    SetCodegenUpcalls(&CodegenLayerUpcalls());
    for (const auto &[name, spec] : kGlobals) {
      SymbolRecord *symbol = AddSymbol(name, spec.declarator, spec.type, 0, kKindGlobal);
      symbol->address = Addr24ToLong(MakeAddr24(0, spec.address));
    }
  }

public:
  RecordingSink &Sink() { return sink; }
  std::vector<uint8_t> Code() { return Emitted(); }
  // The code as it stands in memory: bytes taken back and emitted again
  // over, up to the emit address.
  std::vector<uint8_t> CodeInPlace() {
    const ADDR24 end = Here();
    Caches().currentCode->Flush();
    std::map<uint16_t, uint8_t> image;
    for (const testing::Run &run : writer.runs)
      for (size_t i = 0; i < run.bytes.size(); ++i)
        image[uint16_t(run.address.logical + i)] = run.bytes[i];
    writer.runs.clear();
    std::vector<uint8_t> bytes;
    for (const auto &[address, byte] : image)
      if (address < end.logical)
        bytes.push_back(byte);
    return bytes;
  }
  // A global by name, an int constant ("#5"), or a value already in the
  // registers ("=long").
  static ValueRecord Operand(const std::string &text) {
    if (text[0] == '#')
      return MakeIntConstantFromHostInt(std::stoi(text.substr(1)));
    if (text[0] == '\'')
      return MakeCharConstantValue(uint8_t(std::stoi(text.substr(1))));
    if (text == "=long")
      return MakeValue(kTypeLong, kLevelNone, kStoragePrimary, false);
    if (text == "=int")
      return MakeValue(kTypeInt, kLevelNone, kStoragePrimary, false);
    if (text == "=charA") {
      ValueRecord held = MakeValue(kTypeChar, kLevelNone, kStoragePrimary, false);
      held.SetByteResult(true);
      return held;
    }
    ValueRecord value = MakeValueFromSymbol(*LookupSymbol(text, false, SymbolTableId::kGlobal));
    return value;
  }
};

struct LoweringCase {
  TargetCpu cpu;
  const char *left;
  const char *op;
  const char *right;
  std::vector<std::string> listing;
  std::vector<std::string> routines = {};
  std::vector<unsigned> messages = {};
  // The left record afterwards: in registers unless it is the result as it
  // stands (a folded identity).
  uint8_t storage = kStoragePrimary;
};

void RunCases(LoweringTest &test, const std::vector<LoweringCase> &cases) {
  for (const LoweringCase &k : cases) {
    SCOPED_TRACE(std::string(k.cpu == TargetCpu::Corvid ? "corvid " : "z180 ") + k.left + " " + k.op + " " + k.right);
    SelectTargetCpu(k.cpu);
    ResetFixupTables(kResetFinal);
    test.Sink().records.clear();
    Emission().stackOffset = 0;
    ValueRecord left = LoweringTest::Operand(k.left);
    ValueRecord right = LoweringTest::Operand(k.right);
    BeginBinaryOperation(k.op, left, right);
    EXPECT_TRUE(DecodesAs(k.cpu, test.Code(), k.listing));
    std::vector<std::string> labels;
    for (const std::string &routine : k.routines) {
      labels.push_back(RoutineLabelName(routine));
      EXPECT_NE(FindRoutineContract(routine), nullptr) << routine;
    }
    EXPECT_EQ(PendingLabelList(), labels);
    // Whatever was pushed for the operation is consumed by its end.
    EXPECT_EQ(Emission().stackOffset, 0);
    EXPECT_EQ(test.Sink().Messages(), k.messages);
    if (k.messages.empty()) {
      EXPECT_EQ(left.storage, k.storage);
    }
  }
}

const TargetCpu z = TargetCpu::Z180, c = TargetCpu::Corvid;

TEST_F(LoweringTest, AdditiveOperatorsStepSmallConstantsAndAddPairs) {
  RunCases(*this, {
      {z, "a", "+", "#3", {"ld    hl,(2000)", "inc   hl", "inc   hl", "inc   hl"}},
      {z, "a", "-", "#2", {"ld    hl,(2000)", "dec   hl", "dec   hl"}},
      {c, "a", "+", "#-1", {"ld    hl,(2000)", "dec   hl"}},
      {z, "a", "+", "#4", {"ld    hl,(2000)", "ld    de,0004", "add   hl,de"}},
      {z, "a", "+", "b", {"ld    hl,(2000)", "ld    de,(2002)", "add   hl,de"}},
      {c, "a", "-", "b", {"ld    hl,(2000)", "ld    de,(2002)", "or    a", "sbc   hl,de"}},
      // The right operand in the registers moves to DE before the left
      // one is loaded.
      {z, "a", "-", "=int", {"ex    de,hl", "ld    hl,(2000)", "or    a", "sbc   hl,de"}},
      // A char result in A is widened before it leaves for DE.
      {z, "a", "-", "=charA", {"ld    l,a", "ld    h,00", "ex    de,hl", "ld    hl,(2000)", "or    a", "sbc   hl,de"}},
      {z, "=charA", "+", "b", {"ld    l,a", "ld    h,00", "ld    de,(2002)", "add   hl,de"}},
      // A char and an int add as ints.
      {z, "c", "+", "#1", {"ld    a,(2036)", "ld    l,a", "ld    h,00", "inc   hl"}},
      {z, "a", "+", "#0", {}, {}, {}, kStorageGlobal},
      // Two chars add as chars: in A, or in HL with H kept 0.
      {z, "c", "+", "'1", {"ld    a,(2036)", "inc   a"}},
      // The left char is pushed before the right one is widened into HL.
      {z, "c", "+", "c", {"ld    a,(2036)", "ld    l,a", "ld    h,00", "push  hl", "ld    a,(2036)", "ld    l,a",
                          "ld    h,00", "ex    de,hl", "pop   hl", "add   hl,de", "ld    h,00"}},
  });
}

TEST_F(LoweringTest, MultiplyByAConstantOfTheTableIsInline) {
  RunCases(*this, {
      {z, "a", "*", "#2", {"ld    hl,(2000)", "add   hl,hl"}},
      {z, "a", "*", "#3", {"ld    hl,(2000)", "push  hl", "add   hl,hl", "pop   de", "add   hl,de"}},
      {z, "a", "*", "#5", {"ld    hl,(2000)", "push  hl", "add   hl,hl", "add   hl,hl", "pop   de", "add   hl,de"}},
      {z, "a", "*", "#6", {"ld    hl,(2000)", "add   hl,hl", "push  hl", "add   hl,hl", "pop   de", "add   hl,de"}},
      {z, "a", "*", "#10",
       {"ld    hl,(2000)", "add   hl,hl", "push  hl", "add   hl,hl", "add   hl,hl", "pop   de", "add   hl,de"}},
      {z, "a", "*", "#12",
       {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "push  hl", "add   hl,hl", "pop   de", "add   hl,de"}},
      {c, "a", "*", "#20",
       {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "push  hl", "add   hl,hl", "add   hl,hl", "pop   de",
        "add   hl,de"}},
      {z, "a", "*", "#40",
       {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "add   hl,hl", "push  hl", "add   hl,hl", "add   hl,hl",
        "pop   de", "add   hl,de"}},
      {z, "a", "*", "#64",
       {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "add   hl,hl", "add   hl,hl", "add   hl,hl",
        "add   hl,hl"}},
      {z, "a", "*", "#-8", {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "add   hl,hl", "call  0000"}, {"c.neg"}},
      {z, "#16", "*", "a", {"ld    hl,(2000)", "add   hl,hl", "add   hl,hl", "add   hl,hl", "add   hl,hl"}},
      {z, "a", "*", "#7", {"ld    hl,(2000)", "ld    de,0007", "call  0000"}, {"c.mult"}},
      {c, "a", "*", "#7", {"ld    hl,(2000)", "ld    de,0007", "ld    b,h", "ld    c,l", "mul", "ld    h,b",
                           "ld    l,c"}},
      {z, "a", "*", "b", {"ld    hl,(2000)", "ld    de,(2002)", "call  0000"}, {"c.mult"}},
      {z, "a", "*", "#1", {}, {}, {}, kStorageGlobal},
      {z, "a", "*", "#0", {}, {}, {}, kStorageConstant},
  });
}

TEST_F(LoweringTest, DivisionAndShiftsTakeTheDividendInDe) {
  RunCases(*this, {
      {c, "a", "/", "#8", {"ld    hl,(2000)", "ld    b,00", "ld    a,03", "call  0000", "nop"}, {"c.divt"}},
      {c, "a", "/", "#-2", {"ld    hl,(2000)", "ld    b,80", "ld    a,01", "call  0000", "nop"}, {"c.divt"}},
      {c, "u", "/", "#16", {"ld    hl,0004", "ld    de,(2004)", "call  0000", "nop"}, {"c.usr"}},
      {z, "a", "/", "#8", {"ld    hl,0008", "ld    de,(2000)", "call  0000"}, {"c.div"}},
      {c, "a", "/", "#6", {"ld    hl,0006", "ld    de,(2000)", "call  0000", "nop"}, {"c.div"}},
      {z, "u", "/", "v", {"ld    hl,(2006)", "ld    de,(2004)", "call  0000"}, {"c.udv"}},
      {z, "a", "%", "b", {"ld    hl,(2002)", "ld    de,(2000)", "call  0000", "ex    de,hl"}, {"c.div"}},
      {z, "u", "%", "#10", {"ld    hl,000A", "ld    de,(2004)", "call  0000", "ex    de,hl"}, {"c.udv"}},
      {z, "a", "<<", "b", {"ld    hl,(2002)", "ld    de,(2000)", "call  0000"}, {"c.asl"}},
      {z, "a", ">>", "#2", {"ld    hl,0002", "ld    de,(2000)", "call  0000"}, {"c.asr"}},
      {c, "u", ">>", "#2", {"ld    hl,0002", "ld    de,(2004)", "call  0000", "nop"}, {"c.usr"}},
      {z, "a", "/", "#1", {}, {}, {}, kStorageGlobal},
      {z, "a", "/", "#0", {}, {}, {400}},
  });
}

TEST_F(LoweringTest, EqualityAndBitwiseOperatorsByProcessor) {
  RunCases(*this, {
      {c, "a", "==", "b", {"ld    hl,(2002)", "ld    de,(2000)", "or    a", "sbc   hl,de", "bool  hl", "dec   hl",
                           "bool  hl"}},
      {c, "a", "!=", "b", {"ld    hl,(2002)", "ld    de,(2000)", "or    a", "sbc   hl,de", "bool  hl"}},
      {z, "a", "==", "b", {"ld    hl,(2000)", "push  hl", "ld    hl,(2002)", "call  0000"}, {"e."}},
      {z, "a", "!=", "#5", {"ld    hl,(2000)", "push  hl", "ld    hl,0005", "call  0000"}, {"n."}},
      {c, "a", "|", "b", {"ld    hl,(2002)", "ld    de,(2000)", "or    hl,de"}},
      {c, "a", "&", "b", {"ld    hl,(2002)", "ld    de,(2000)", "and   hl,de"}},
      {z, "a", "|", "b", {"ld    hl,(2000)", "push  hl", "ld    hl,(2002)", "call  0000"}, {"o."}},
      {z, "a", "&", "b", {"ld    hl,(2000)", "push  hl", "ld    hl,(2002)", "call  0000"}, {"a."}},
      {z, "a", "^", "b", {"ld    hl,(2002)", "ld    de,(2000)", "ld    a,l", "xor   e", "ld    l,a", "ld    a,h",
                          "xor   d", "ld    h,a"}},
      // The left operand in the registers is pushed where it is.
      {z, "=int", "==", "b", {"push  hl", "ld    hl,(2002)", "call  0000"}, {"e."}},
  });
}

// Signed words compare as unsigned ones with both sign bits flipped; a
// constant in DE comes with its bias already applied. The carry holds the
// answer; HL gets it as 0 or 1 in a tail a jump on the carry may take
// back.
TEST_F(LoweringTest, OrderedComparisonsOfWords) {
  const std::vector<std::string> z180Tail = {"ld    hl,0000", "adc   hl,hl"};
  const std::vector<std::string> corvidTail = {"sbc   hl,hl", "bool  hl"};
  const auto with = [](std::vector<std::string> head, const std::vector<std::string> &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const std::vector<std::string> z180FlipBoth = {"ld    a,h", "xor   80", "ld    h,a", "ld    a,d", "xor   80",
                                                 "ld    d,a"};
  const std::vector<std::string> z180FlipH = {"ld    a,h", "xor   80", "ld    h,a"};
  struct Words {
    int16_t carry;
    int16_t skip;
  };
  struct Case {
    LoweringCase lowering;
    Words words;
  };
  const auto cat = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts)
      all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const std::vector<Case> cases = {
      {{z, "a", "<", "b", cat({{"ld    hl,(2000)", "ld    de,(2002)"}, z180FlipBoth, {"sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "a", "<=", "b",
        cat({{"ld    hl,(2000)", "ld    de,(2002)"}, z180FlipBoth, {"scf", "sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "a", ">", "b", cat({{"ld    hl,(2002)", "ld    de,(2000)"}, z180FlipBoth, {"sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "a", ">=", "b",
        cat({{"ld    hl,(2002)", "ld    de,(2000)"}, z180FlipBoth, {"scf", "sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "a", "<", "#5", cat({{"ld    hl,(2000)", "ld    de,8005"}, z180FlipH, {"sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "a", ">=", "#5",
        cat({{"ld    hl,(2000)", "ld    de,8005"}, z180FlipH, {"sbc   hl,de", "ccf"}, z180Tail})},
       {1, -6}},
      {{z, "#5", "<", "a",
        cat({{"ld    hl,(2000)", "ld    de,8005"}, z180FlipH, {"scf", "sbc   hl,de", "ccf"}, z180Tail})},
       {1, -6}},
      // The biased constant FFFF: the comparison can never hold, and HL
      // still ends 0.
      {{z, "#32767", "<", "a",
        cat({{"ld    hl,(2000)", "ld    de,FFFF"}, z180FlipH, {"scf", "sbc   hl,de", "ccf"}, z180Tail})},
       {1, -6}},
      {{z, "#-3", ">", "a", cat({{"ld    hl,(2000)", "ld    de,7FFD"}, z180FlipH, {"sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "u", "<", "v", cat({{"ld    hl,(2004)", "ld    de,(2006)", "or    a", "sbc   hl,de"}, z180Tail})},
       {-1, -5}},
      {{z, "u", ">", "#7", cat({{"ld    hl,(2004)", "ld    de,0007", "scf", "sbc   hl,de", "ccf"}, z180Tail})},
       {1, -6}},
      {{c, "a", "<", "b",
        with({"ld    hl,(2000)", "ld    de,(2002)", "rl    de", "ccf", "rr    de", "add   hl,hl", "ccf", "rr    hl",
              "sbc   hl,de"},
             corvidTail)},
       {-1, -3}},
      {{c, "a", "<", "#5",
        with({"ld    hl,(2000)", "ld    de,8005", "add   hl,hl", "ccf", "rr    hl", "sbc   hl,de"}, corvidTail)},
       {-1, -3}},
      {{c, "#5", "<=", "a",
        with({"ld    hl,(2000)", "ld    de,8005", "add   hl,hl", "ccf", "rr    hl", "sbc   hl,de", "ccf"},
             corvidTail)},
       {1, -4}},
      {{c, "u", "<=", "v", with({"ld    hl,(2004)", "ld    de,(2006)", "scf", "sbc   hl,de"}, corvidTail)}, {-1, -3}},
      // Pointers compare as unsigned words.
      {{z, "p", "<", "q", cat({{"ld    hl,(2030)", "ld    de,(2032)", "or    a", "sbc   hl,de"}, z180Tail})},
       {-1, -5}},
  };
  for (const Case &k : cases) {
    RunCases(*this, {k.lowering});
    // The words the conditional jump reads, in the result record.
    ValueRecord left = Operand(k.lowering.left);
    ValueRecord right = Operand(k.lowering.right);
    SelectTargetCpu(k.lowering.cpu);
    BeginBinaryOperation(k.lowering.op, left, right);
    Code();
    EXPECT_EQ(left.carryFlagCondition, k.words.carry) << k.lowering.left << k.lowering.op << k.lowering.right;
    EXPECT_EQ(left.skipLength, k.words.skip) << k.lowering.left << k.lowering.op << k.lowering.right;
    EXPECT_EQ(left.type, kTypeInt);
    EXPECT_TRUE(Emission().flagsValid && Emission().valueIsCondition);
  }
}

TEST_F(LoweringTest, FourByteOperandsGoToTheirRoutines) {
  RunCases(*this, {
      {z, "l", "+", "m", {"ld    de,(2010)", "ld    bc,(2012)", "push  bc", "push  de", "ld    de,(2014)",
                          "ld    bc,(2016)", "call  0000"}, {"L.add"}},
      {c, "l", "<", "m", {"ld    de,(2010)", "ld    bc,(2012)", "push  bc", "push  de", "ld    de,(2014)",
                          "ld    bc,(2016)", "call  0000", "nop"}, {"cl.lt"}},
      // The right operand was in the registers: pushed first, so the
      // comparison is mirrored and the subtraction exchanges the two.
      {z, "l", "<", "=long", {"push  bc", "push  de", "ld    de,(2010)", "ld    bc,(2012)", "call  0000"}, {"cl.gt"}},
      {z, "l", "-", "=long", {"push  bc", "push  de", "ld    de,(2010)", "ld    bc,(2012)", "call  0000",
                              "call  0000"}, {"swap4.", "L.sub"}},
      {z, "a", "*", "l", {"ld    hl,(2000)", "call  0000", "push  bc", "push  de", "ld    de,(2010)",
                          "ld    bc,(2012)", "call  0000"}, {"Hi.Bl", "G_mul"}},
  });
}

TEST_F(LoweringTest, FloatArithmeticDropsTheOperandItsRoutineLeaves) {
  SelectTargetCpu(TargetCpu::Z180);
  ValueRecord left = Operand("f");
  ValueRecord right = Operand("g");
  Emission().stackOffset = 0;
  BeginBinaryOperation("+", left, right);
  const std::vector<std::string> listing = DecodeAll(TargetCpu::Z180, Code());
  ASSERT_GE(listing.size(), 7u);
  EXPECT_EQ(listing[6], "call  0000");
  EXPECT_EQ(PendingLabelList(), (std::vector<std::string>{"F_add"}));
  // Whatever follows the call raises SP by the 4 bytes left behind.
  EXPECT_GT(listing.size(), 7u);
  EXPECT_EQ(Emission().stackOffset, 0);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(LoweringTest, PointerArithmeticScalesByTheElementSize) {
  RunCases(*this, {
      {z, "p", "+", "#3", {"ld    hl,(2030)", "ld    de,0006", "add   hl,de"}},
      {z, "p", "-", "#1", {"ld    hl,(2030)", "dec   hl", "dec   hl"}},
      {z, "#1", "+", "p", {"ld    hl,(2030)", "inc   hl", "inc   hl"}},
      {z, "p", "+", "a", {"ld    hl,(2000)", "add   hl,hl", "ex    de,hl", "ld    hl,(2030)", "add   hl,de"}},
      {z, "p", "-", "q", {"ld    hl,(2030)", "ld    de,(2032)", "or    a", "sbc   hl,de", "ex    de,hl",
                          "ld    hl,0002", "call  0000"}, {"c.div"}},
      {c, "p", "-", "q", {"ld    hl,(2030)", "ld    de,(2032)", "or    a", "sbc   hl,de", "ld    b,00",
                          "ld    a,01", "call  0000", "nop"}, {"c.divt"}},
  });
}

// The sum of a pointer and an offset is still the pointer; the difference
// of two pointers is an int count of elements.
TEST_F(LoweringTest, PointerResultsKeepTheirType) {
  const struct {
    const char *left, *op, *right;
    uint8_t type;
    uint32_t level;
  } cases[] = {
      {"p", "+", "a", kTypeInt, kLevelPointer},
      {"#2", "+", "p", kTypeInt, kLevelPointer},
      {"p", "-", "#1", kTypeInt, kLevelPointer},
      {"p", "-", "q", kTypeInt, kLevelNone},
      {"p", "==", "q", kTypeInt, kLevelNone},
  };
  SelectTargetCpu(TargetCpu::Z180);
  for (const auto &k : cases) {
    SCOPED_TRACE(std::string(k.left) + k.op + k.right);
    ValueRecord left = Operand(k.left);
    ValueRecord right = Operand(k.right);
    BeginBinaryOperation(k.op, left, right);
    Code();
    EXPECT_EQ(left.type, k.type);
    EXPECT_EQ(left.Level(), k.level);
    EXPECT_EQ(left.storage, kStoragePrimary);
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(LoweringTest, OperatorsAndTypesWithoutALowering) {
  RunCases(*this, {
      {z, "a", "@", "b", {}, {}, {632}},
      {z, "a", "=", "b", {}, {}, {}, kStorageGlobal},
      {z, "p", "*", "a", {}, {}, {2107, 401}},
      {z, "f", "%", "g", {}, {}, {401}},
      {z, "f", "<<", "a", {}, {}, {401}},
      {z, "p", "+", "q", {}, {}, {401}},
      {z, "w", "+", "a", {}, {}, {2024}},
  });
  SelectTargetCpu(TargetCpu::Z180);
  sink.records.clear();
  ValueRecord left = Operand("p");
  ValueRecord right = Operand("a");
  BeginBinaryOperation("*", left, right);
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[1].text, "Invalid type for '*' operator");
  Code();
}

}  // namespace
}  // namespace tsw::testing

#include "compcore/cc_gen/conditional_jumps.h"
#include "compcore/cc_gen/operand_moves.h"

namespace tsw::testing {
namespace {

// A jump on a comparison takes its 0/1 tail back (and a ccf with it) and
// branches on the carry while the expression compiler allows it; any other
// condition is tested for zero.
TEST_F(LoweringTest, ConditionalJumpsBranchOnTheComparisonsCarry) {
  constexpr ADDR24 kTarget = MakeAddr24(0, 0x1234);
  const std::vector<std::string> z180Compare = {"ld    hl,(2000)", "ld    de,(2002)", "ld    a,h", "xor   80",
                                                "ld    h,a", "ld    a,d", "xor   80", "ld    d,a", "sbc   hl,de"};
  const auto then = [](std::vector<std::string> head, std::initializer_list<const char *> tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  struct Case {
    const char *what;
    TargetCpu cpu;
    const char *left, *op, *right;
    bool retract;
    uint8_t sense;
    bool shortJump;
    ADDR24 target;
    std::vector<std::string> listing;
    std::vector<unsigned> messages = {};
  };
  const std::vector<Case> cases = {
      {"carry jump", z, "a", "<", "b", true, 0, false, kTarget, then(z180Compare, {"jp    c,1234"})},
      {"carry jump when false", z, "a", "<", "b", true, 1, false, kTarget, then(z180Compare, {"jp    nc,1234"})},
      {"the ccf goes too", z, "a", ">=", "#5", true, 0, false, kTarget,
       {"ld    hl,(2000)", "ld    de,8005", "ld    a,h", "xor   80", "ld    h,a", "sbc   hl,de", "jp    nc,1234"}},
      {"tail kept without retract", z, "a", "<", "b", false, 0, false, kTarget,
       then(z180Compare, {"ld    hl,0000", "adc   hl,hl", "jp    nz,1234"})},
      {"corvid carry jump", c, "u", "<", "v", true, 1, false, kTarget,
       {"ld    hl,(2004)", "ld    de,(2006)", "or    a", "sbc   hl,de", "jp    nc,1234"}},
      {"a value is tested for zero", z, "a", "", "", false, 1, false, kTarget,
       {"ld    hl,(2000)", "ld    a,h", "or    l", "ld    hl,0000", "jr    z,100B", "inc   hl", "jp    z,1234"}},
      // The displacement was counted from after the tail: it still
      // reaches 1008.
      {"backward short jump", z, "a", "<", "b", true, 0, true, MakeAddr24(0, 0xF0),
       then(z180Compare, {"jr    c,1008"})},
      {"sense out of range", z, "a", "", "", false, 9, false, kTarget, {}, {621}},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    SelectTargetCpu(k.cpu);
    sink.records.clear();
    Emission() = {};
    ValueRecord left = Operand(k.left);
    if (*k.op) {
      ValueRecord right = Operand(k.right);
      BeginBinaryOperation(k.op, left, right);
    }
    ExpressionFlags().retract = k.retract;
    EmitConditionalJump(left, k.target, k.sense, k.shortJump);
    EXPECT_TRUE(DecodesAs(k.cpu, CodeInPlace(), k.listing));
    Caches().currentCode->SetEmitAddress(MakeAddr24(0, 0x1000));
    writer.runs.clear();
    EXPECT_EQ(sink.Messages(), k.messages);
    EXPECT_EQ(left.carryFlagCondition, 0);
    EXPECT_EQ(left.skipLength, 0);
    EXPECT_FALSE(ExpressionFlags().retract);
  }
}

}  // namespace
}  // namespace tsw::testing
