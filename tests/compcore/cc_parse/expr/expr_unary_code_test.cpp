#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/expr_code_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

constexpr uint16_t kIntAt = 0x2000;
constexpr uint16_t kCharAt = 0x2002;
constexpr uint16_t kPointerAt = 0x2004;
constexpr uint16_t kLongAt = 0x2006;
constexpr uint16_t kArrayAt = 0x2010;

// One expression: its code, then (with `load`) the value's load into its
// register, decoded; what the record says afterwards.
struct UnaryCodeCase {
  const char *text;
  TargetCpu cpu;
  std::vector<std::string> listing;
  bool load = false;
  uint8_t storage = kStoragePrimary;
  uint32_t declarator = 0;
  std::vector<unsigned> messages = {};
};

class ExprUnaryCodeTest : public ExprCodeTest {
protected:
  void SetUp() override {
    ExprCodeTest::SetUp();
    Global("g", kTypeInt, kIntAt);
    Global("c", kTypeChar, kCharAt);
    Global("p", kTypeInt, kPointerAt, kLevelPointer);
    Global("l", kTypeLong, kLongAt);
    Global("a", kTypeInt, kArrayAt, kLevelArray, kArrayDimensions);
    Local("i", kTypeInt, 2);
    Local("q", kTypeChar, 4, kLevelPointer);
  }
  void Check(const UnaryCodeCase &c) {
    SCOPED_TRACE(c.text);
    ValueRecord value;
    std::vector<uint8_t> bytes = CompileAt(c.cpu, c.text, value);
    if (c.load) {
      LoadOperandToValueRegister(value);
      const std::vector<uint8_t> more = Emitted();
      bytes.insert(bytes.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(DecodesAs(c.cpu, bytes, c.listing));
    EXPECT_EQ(value.storage, c.storage);
    EXPECT_EQ(value.declarator, c.declarator);
    EXPECT_EQ(sink.Messages(), c.messages);
  }
  static constexpr uint16_t kArrayDimensions[] = {4};
};

TEST_F(ExprUnaryCodeTest, IndirectionLoadsThePointerThenReachesTheObject) {
  const UnaryCodeCase cases[] = {
      // The pointer lies in memory: it is loaded before the object is read.
      {"*p", TargetCpu::Z180, {"ld    hl,(2004)", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a"}, true},
      {"*q", TargetCpu::Z180, {"ld    hl,0004", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a",
                               "ld    a,(hl)", "ld    l,a", "ld    h,00"}, true},
      // Without a load the register holds the object's address.
      {"*p", TargetCpu::Z180, {"ld    hl,(2004)"}, false, kStoragePrimary, 0},
      // An array's element lies at the array's own address.
      {"*a", TargetCpu::Z180, {}, false, kStorageGlobal, 0},
      {"*(char *)0x8000", TargetCpu::Z180, {"ld    hl,8000", "ld    a,(hl)", "ld    l,a", "ld    h,00"}, true},
      // Not a pointer: reported, and the walk goes on with g itself.
      {"*g", TargetCpu::Z180, {}, false, kStorageGlobal, 0, {kMsgNotIndirectable}},
  };
  for (const UnaryCodeCase &c : cases)
    Check(c);
}

TEST_F(ExprUnaryCodeTest, AddressOfFixedObjectsIsAConstantOfTheLink) {
  const UnaryCodeCase cases[] = {
      {"&g", TargetCpu::Z180, {}, false, kStorageGlobal, kLevelArray},
      {"&g", TargetCpu::Z180, {"ld    hl,2000"}, true, kStoragePrimary, kLevelPointer},
      {"&a", TargetCpu::Z180, {}, false, kStorageGlobal, 0x11},
      // A local's address is computed from the stack pointer.
      {"&i", TargetCpu::Z180, {"ld    hl,0002", "add   hl,sp"}, false, kStoragePrimary, kLevelPointer},
      {"&*p", TargetCpu::Z180, {"ld    hl,(2004)"}, false, kStoragePrimary, kLevelPointer},
      {"&5", TargetCpu::Z180, {}, false, kStorageConstant, 0, {kMsgNotAssignable}},
  };
  for (const UnaryCodeCase &c : cases)
    Check(c);
  ValueRecord value;
  CompileAt(TargetCpu::Z180, "&g", value);
  EXPECT_EQ(value.addressConstant, 1);
  EXPECT_FALSE(value.IsLvalue());
  EXPECT_EQ(value.wasLvalue, 0) << "the record held no lvalue before its operand was read";
}

TEST_F(ExprUnaryCodeTest, ArithmeticOperatorsComputeInTheValueRegister) {
  const UnaryCodeCase cases[] = {
      {"-g", TargetCpu::Z180, {"ld    hl,(2000)", "call  0000"}},
      {"~g", TargetCpu::Z180, {"ld    hl,(2000)", "call  0000"}},
      {"!g", TargetCpu::Z180, {"ld    hl,(2000)", "call  0000"}},
      {"+g", TargetCpu::Z180, {"ld    hl,(2000)"}},
      {"-l", TargetCpu::Z180, {"ld    de,(2006)", "ld    bc,(2008)", "call  0000"}},
      // A char is negated as an int and narrowed back: H is 0 again.
      {"-c", TargetCpu::Z180, {"ld    a,(2002)", "ld    l,a", "ld    h,00", "call  0000", "ld    h,00"}},
      // The Corvid computes them inline.
      {"-g", TargetCpu::Corvid, {"ld    hl,(2000)", "ex    de,hl", "bool  hl", "ld    l,h", "sbc   hl,de"}},
      {"~g", TargetCpu::Corvid, {"ld    hl,(2000)", "ex    de,hl", "bool  hl", "rr    hl", "scf", "sbc   hl,de"}},
      {"!g", TargetCpu::Corvid, {"ld    hl,(2000)", "bool  hl", "dec   hl", "bool  hl"}},
      {"~1.5", TargetCpu::Z180, {}, false, kStorageConstant, 0, {kMsgInvalidOperands}},
  };
  for (const UnaryCodeCase &c : cases)
    Check(c);
}

TEST_F(ExprUnaryCodeTest, CastsConvertAtRunTime) {
  const UnaryCodeCase cases[] = {
      {"(long)g", TargetCpu::Z180, {"ld    hl,(2000)", "call  0000"}, false, kStoragePrimary, 0},
      {"(int)c", TargetCpu::Z180, {"ld    a,(2002)", "ld    l,a", "ld    h,00"}, false, kStoragePrimary, 0},
      // A narrower type or another pointer type reads the same bytes.
      {"(char)g", TargetCpu::Z180, {}, false, kStorageGlobal, 0},
      {"(char *)p", TargetCpu::Z180, {}, false, kStorageGlobal, kLevelPointer},
      // An array cast to a pointer keeps its address where it is.
      {"(char *)a", TargetCpu::Z180, {}, false, kStorageGlobal, kLevelArray},
      {"(void)g", TargetCpu::Z180, {}, false, kStorageGlobal, 0},
  };
  for (const UnaryCodeCase &c : cases)
    Check(c);
}

TEST_F(ExprUnaryCodeTest, StepsStoreAtOnceAndYieldTheRightValue) {
  const UnaryCodeCase cases[] = {
      {"++g", TargetCpu::Z180, {"ld    hl,(2000)", "inc   hl", "ld    (2000),hl"}},
      // After the operand the register steps back: the old value.
      {"g++", TargetCpu::Z180, {"ld    hl,(2000)", "inc   hl", "ld    (2000),hl", "dec   hl"}},
      {"--c", TargetCpu::Z180, {"ld    a,(2002)", "dec   a", "ld    (2002),a"}},
      // A pointer steps by its element's size.
      {"p++", TargetCpu::Z180, {"ld    hl,(2004)", "inc   hl", "inc   hl", "ld    (2004),hl", "dec   hl", "dec   hl"},
       false, kStoragePrimary, kLevelPointer},
      {"l++", TargetCpu::Z180, {"ld    de,(2006)", "ld    bc,(2008)", "push  bc", "push  de", "ld    hl,0001",
                                "call  0000", "call  0000", "ld    (2006),de", "ld    (2008),bc", "push  bc",
                                "push  de", "ld    hl,0001", "call  0000", "call  0000"}},
      // Objects reached through HL: the address waits on the stack while
      // the value is stepped, and the value goes round DE to be stored.
      {"i++", TargetCpu::Z180, {"ld    hl,0002", "add   hl,sp", "push  hl", "ld    a,(hl)", "inc   hl", "ld    h,(hl)",
                                "ld    l,a", "inc   hl", "pop   de", "ex    de,hl", "ld    (hl),e", "inc   hl",
                                "ld    (hl),d", "ex    de,hl", "dec   hl"}},
      {"(*p)++", TargetCpu::Z180, {"ld    hl,(2004)", "push  hl", "ld    a,(hl)", "inc   hl", "ld    h,(hl)",
                                   "ld    l,a", "inc   hl", "pop   de", "ex    de,hl", "ld    (hl),e", "inc   hl",
                                   "ld    (hl),d", "ex    de,hl", "dec   hl"}},
      // *q++ steps q, then designates what q pointed at before.
      {"*q++", TargetCpu::Z180, {"ld    hl,0004", "add   hl,sp", "push  hl", "ld    a,(hl)", "inc   hl",
                                 "ld    h,(hl)", "ld    l,a", "inc   hl", "pop   de", "ex    de,hl", "ld    (hl),e",
                                 "inc   hl", "ld    (hl),d", "ex    de,hl", "dec   hl"}},
      {"++*q", TargetCpu::Z180, {"ld    hl,0004", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)",
                                 "ld    l,a", "push  hl", "ld    a,(hl)", "inc   a", "pop   hl", "ld    (hl),a"}},
      {"5++", TargetCpu::Z180, {}, false, kStorageConstant, 0, {kMsgNotModifiable, kMsgNotAssignable}},
      // The Corvid reaches a word near SP directly.
      {"i++", TargetCpu::Corvid, {"ld    hl,(sp+2)", "inc   hl", "ld    (sp+2),hl", "dec   hl"}},
      {"++*q", TargetCpu::Corvid, {"ld    hl,(sp+4)", "push  hl", "ld    a,(hl)", "inc   a", "pop   hl", "ld    (hl),a"}},
      // A forward call on the Corvid keeps a byte for its long form.
      {"l--", TargetCpu::Corvid, {"ld    de,(2006)", "ld    bc,(2008)", "push  bc", "push  de", "ld    hl,0001", "ex    de,hl", "ld    a,d", "rla", "sbc   hl,hl", "ld    b,h", "ld    c,l", "call  0000", "nop", "ld    (2006),de", "ld    (2008),bc", "push  bc", "push  de", "ld    hl,0001", "ex    de,hl", "ld    a,d", "rla", "sbc   hl,hl", "ld    b,h", "ld    c,l", "call  0000", "nop"}},
  };
  for (const UnaryCodeCase &c : cases)
    Check(c);
}

TEST_F(ExprUnaryCodeTest, AStepWhoseValueIsUnusedLeavesNoReload) {
  UnarySwitches().plainStep = true;
  ValueRecord value;
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, CompileAt(TargetCpu::Z180, "g++", value),
                        {"ld    hl,(2000)", "inc   hl", "ld    (2000),hl"}));
  EXPECT_TRUE(value.StepNotLoaded());
  EXPECT_FALSE(UnarySwitches().plainStep) << "the switch holds for one step only";
  LoadOperandToValueRegister(value);
  EXPECT_TRUE(Emitted().empty());
  EXPECT_EQ(value.sideEffects, 0);

  CompileAt(TargetCpu::Z180, "g++", value);
  EXPECT_EQ(value.sideEffects, 1) << "a used step's value has side effects";
}

TEST_F(ExprUnaryCodeTest, SizeofTakesBackTheCodeOfItsOperand) {
  Local("j", kTypeInt, 6);
  struct Case {
    const char *text;
    int16_t size;
    std::vector<std::string> listing;
    std::vector<unsigned> messages = {};
  } cases[] = {
      {"sizeof(a[j])", 2, {}},
      {"sizeof a", 8, {}},
      {"sizeof(*p)", 2, {}},
      {"sizeof(-l)", 4, {}},
      {"sizeof(char)", 1, {}},
      {"sizeof(int *)", 2, {}},
      {"sizeof \"abc\"", 4, {}},
      {"sizeof(&a)", 2, {}},
      // A side effect the program may count on: compiled again, kept.
      {"sizeof(g++)", 2, {"ld    hl,(2000)", "inc   hl", "ld    (2000),hl", "dec   hl"}, {kMsgSizeofSideEffects}},
      {"sizeof(++*q)", 1, {"ld    hl,0004", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a",
                           "push  hl", "ld    a,(hl)", "inc   a", "pop   hl", "ld    (hl),a"},
       {kMsgSizeofSideEffects}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ValueRecord value;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, CompileAt(TargetCpu::Z180, c.text, value), c.listing));
    EXPECT_EQ(value.storage, kStorageConstant);
    EXPECT_EQ(int16_t(value.value), c.size);
    EXPECT_EQ(InputCursor, std::string_view("")) << "the whole operand is read";
    EXPECT_EQ(Emission().stackOffset, 0);
    EXPECT_EQ(sink.Messages(), c.messages);
  }
}

TEST_F(ExprUnaryCodeTest, SizeofLeavesNoFixupOfTheCodeItTookBack) {
  AddSymbol("later", kLevelNone, kTypeLong, 0, kClassExtern);
  ResetFixupTables(kResetFinal);
  ValueRecord value;
  EXPECT_TRUE(CompileAt(TargetCpu::Z180, "sizeof(-later)", value).empty());
  EXPECT_EQ(value.value, 4u);
  EXPECT_TRUE(PendingLabelList().empty());
}

} // namespace
} // namespace tsw::testing
