#include "compcore/asm_fixture.h"

#include "compcore/cc_gen/asm/asm_eval.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"

// The assembler's expressions: operators and their precedence over 24-bit
// values, and where a name's value comes from.
namespace tsw::testing {
namespace {

using assembler::AsmCpu;
using assembler::AsmEvaluator;
using assembler::AsmLexer;
using assembler::OperandValue;

class AsmEvalTest : public AsmCodeTest {
protected:
  // The expression alone, at statement address 0x1234, its field at 0x1235.
  OperandValue Evaluate(const std::string &text) {
    AsmLexer lexer(text, AsmCpu::kZ180);
    lexer.Next();
    AsmEvaluator evaluator(lexer, Addr24ToLong(MakeAddr24(0, 0x1234)));
    OperandValue v = evaluator.Evaluate({Addr24ToLong(MakeAddr24(0, 0x1235)), 0});
    EXPECT_TRUE(lexer.AtStatementEnd()) << text << " stopped at column " << lexer.Current().start + 1;
    return v;
  }
};

TEST_F(AsmEvalTest, OperatorsBindByTheirPrecedenceAndKeep24Bits) {
  struct Case {
    const char *text;
    int32_t value;
  };
  const Case cases[] = {
      {"1+2*3", 7},      {"(1+2)*3", 9},         {"10-4-3", 3},          {"100/7%4", 2},
      {"1+6&3", 3},      {"2|1^3", 0},           {"1<<4+1", 32},         {"256>>4>>1", 8},
      {"~0", -1},        {"~0&0FFh", 0xFF},      {"-5+2", -3},           {"+7", 7},
      {"0FFFFFFh+1", 0}, {"800000h", -0x800000}, {"0x123456", 0x123456}, {"3*-2", -6},
      {"((2))", 2},      {"@PC", 0x1234},        {"@PC+2", 0x1236},      {"7/0", 0},
  };
  for (const Case &c : cases) {
    const OperandValue v = Evaluate(c.text);
    EXPECT_FALSE(v.unresolved) << c.text;
    EXPECT_EQ(v.value, c.value) << c.text;
  }
  EXPECT_TRUE(diagnostics.records.empty());
}

TEST_F(AsmEvalTest, NamesResolveFromTheNearestTableFirst) {
  SymbolRecord *local = AddSymbol("both", 2, 11, 1, 11);
  local->address = 0x0011;
  SymbolRecord *global = AddSymbol("both", 3, 2, 1, kKindGlobal);
  global->address = 0x0022;
  AddSymbol("glob", 3, 2, 1, kKindGlobal)->address = 0x4444;
  AddBiosSymbol("small", MakeAddr24(0, 0x0005));
  AddBiosSymbol("big", MakeAddr24(0, 0x5000));
  AddBiosSymbol("IOP_port", MakeAddr24(0, 0x00C0));
  DefineLabel("small", 0x0777, kFixGlobal);
  DefineLabel("big", 0x0888, kFixGlobal);
  DefineLabel("lab", 0x0999, kFixGlobal);
  struct Case {
    const char *text;
    int32_t value;
  };
  const Case cases[] = {
      {"both", 0x11}, // the function's own symbol before the global one
      {"small", 5},   // a small BIOS value (a bit or port number) before a label
      {"big", 0x888}, // a label before a BIOS address
      {"lab", 0x999}, {"glob", 0x4444}, {"port", 0xC0}, {"glob+lab", 0x4444 + 0x999},
  };
  for (const Case &c : cases) {
    const OperandValue v = Evaluate(c.text);
    EXPECT_FALSE(v.unresolved) << c.text;
    EXPECT_EQ(v.value, c.value) << c.text;
  }
}

TEST_F(AsmEvalTest, AnUnknownNameIsReferencedWithTheRestAsItsAddend) {
  const OperandValue v = Evaluate("later+3");
  EXPECT_TRUE(v.unresolved);
  EXPECT_EQ(v.value, 0);
  // Defining it patches the operand's own field with the addend applied.
  const BRFixupRec *label = FindLocalLabel("later");
  ASSERT_NE(label, nullptr);
  ASSERT_EQ(label->pending.size(), 1u);
  EXPECT_EQ(label->pending[0]->patchAddress, Addr24ToLong(MakeAddr24(0, 0x1235)));
  EXPECT_EQ(label->pending[0]->addend, 3);
  EXPECT_EQ(label->pending[0]->flags & (kFixLocal | kFixGlobal), kFixLocal | kFixGlobal);
}

TEST_F(AsmEvalTest, SegmentOverrideGivesTheNextNameItsSegment) {
  AddBiosSymbol("DSEG", MakeAddr24(0, 0x0034));
  DefineLabel("table", 0x1200, kFixGlobal);
  const OperandValue v = Evaluate("[DSEG]table+1");
  EXPECT_EQ(v.value, 0x341201);
}

TEST_F(AsmEvalTest, MalformedExpressionsAreFatal) {
  struct Case {
    const char *line;
    unsigned message;
  };
  const Case cases[] = {
      {"dw 1+", kMsgAsmExpression},        {"dw )", kMsgAsmExpression},        {"dw (1+2", kMsgParamListOpen},
      {"dw @XY", kMsgBadAtName},           {"dw a1+b1", kMsgSecondUnresolved}, {"dw [x]y", kMsgBadSegmentName},
      {"dw [small]y", kMsgBadSegmentName},
  };
  AddBiosSymbol("small", MakeAddr24(0, 0x0005));
  UseCpu(AsmCpu::kZ180);
  for (const Case &c : cases) {
    NextCase();
    EXPECT_EQ(FatalOf(c.line), c.message) << c.line;
  }
}

TEST_F(AsmEvalTest, TheIopPrefixFindsPortNamesForTheDriver) {
  AddBiosSymbol("IOP_TIMER", MakeAddr24(0, 0x0080));
  AddBiosSymbol("STACKORG", MakeAddr24(0, 0xD000));
  uint16_t value = 0;
  EXPECT_TRUE(assembler::LookupAsmSymbolWithIopPrefix("TIMER", value));
  EXPECT_EQ(value, 0x80);
  EXPECT_TRUE(assembler::LookupAsmSymbolWithIopPrefix("STACKORG", value));
  EXPECT_EQ(value, 0xD000);
  EXPECT_FALSE(assembler::LookupAsmSymbolWithIopPrefix("NOTHING", value));
}

} // namespace
} // namespace tsw::testing
