#include "compcore/codegen_fixture.h"

#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/common/cc_session.h"

namespace tsw::testing {
namespace {

constexpr uint16_t kGlobalAt = 0x2000;

class ConversionTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    upcalls.reset();
    SetCodegenUpcalls(&CodegenLayerUpcalls());
  }
};

enum class Where { kPushed, kInRegisters, kGlobal };

struct ConversionCase {
  const char *what;
  TargetCpu cpu;
  Where where;
  uint8_t from;
  uint8_t to;
  std::vector<std::string> listing;
  // Routines called, by their names in the library.
  std::vector<std::string> routines = {};
  int16_t stackChange = 0;
  std::vector<unsigned> messages = {};
  uint8_t options = kConvertDefaultOptions;
  bool forSize = false;
  uint16_t tcdmtn = 1;
  uint32_t declarator = kLevelNone;
  bool toPointer = false;
};

TEST_F(ConversionTest, PushedAndHeldValuesConvertByRoutineOrInline) {
  const TargetCpu z = TargetCpu::Z180, c = TargetCpu::Corvid;
  const Where s = Where::kPushed, r = Where::kInRegisters, g = Where::kGlobal;
  const uint8_t ch = kTypeChar, i = kTypeInt, u = kTypeUnsigned, l = kTypeLong, ul = kTypeUnsignedLong,
                f = kTypeFloat;
  const std::vector<ConversionCase> cases = {
      // On the stack: a pushed char is a word, so char to long grows it by 2.
      {"stack char to long", z, s, ch, l, {"call  0000"}, {"C..L"}, -2},
      {"stack char to long, corvid", c, s, ch, l,
       {"exx", "pop   de", "bool  hl", "rr    hl", "push  hl", "push  de", "exx"}, {}, -2},
      {"stack int to long, corvid", c, s, i, l,
       {"exx", "pop   de", "ld    a,d", "rla", "sbc   hl,hl", "push  hl", "push  de", "exx"}, {}, -2},
      {"stack int to long, corvid for size", c, s, i, l, {"call  0000", "nop"}, {"I..L"}, -2, {}, kConvertDefaultOptions,
       true},
      {"stack unsigned to unsigned long", z, s, u, ul, {"call  0000"}, {"U..G"}, -2},
      {"stack long to int", z, s, l, i, {"call  0000"}, {"L..I"}, 2, {807}},
      {"stack long to int, corvid", c, s, l, i, {"exx", "pop   hl", "ld    (sp+0),hl", "exx"}, {}, 2, {807}},
      {"stack long to char", z, s, l, ch, {"call  0000"}, {"L..C"}, 2, {807}},
      {"stack unsigned long to char", z, s, ul, ch, {"call  0000"}, {"G..C"}, 2, {807}},
      {"stack char to float", z, s, ch, f, {"call  0000"}, {"C..F"}, -2},
      {"stack float to char", z, s, f, ch, {"call  0000"}, {"F..C"}, 2, {807}},
      {"stack float to unsigned", c, s, f, u, {"call  0000", "nop"}, {"F..U"}, 2, {807}},
      {"stack int to unsigned", z, s, i, u, {}, {}, 0},
      {"stack char to int", z, s, ch, i, {}, {}, 0},
      {"stack long to unsigned long", z, s, l, ul, {}, {}, 0},
      // A plain value converted to the address code becomes an int.
      {"stack long to code 12", z, s, l, kTypeAddressBase, {"call  0000"}, {"L..I"}, 2, {807}},
      {"stack pointer to long", z, s, ch, l, {"call  0000"}, {"I..L"}, -2, {}, kConvertDefaultOptions, false, 1,
       kLevelPointer},
      {"stack structure", z, s, kFirstStructType, i, {}, {}, 0, {401}},
      {"stack float to code 12", z, s, f, kTypeAddressBase, {"call  0000"}, {"F..I"}, 2, {807}},
      {"stack float to a pointer", z, s, f, i, {}, {}, 0, {401}, kConvertDefaultOptions, false, 1, kLevelNone, true},
      {"stack long to a pointer", z, s, l, i, {"call  0000"}, {"L..I"}, 2, {}, kConvertDefaultOptions, false, 1,
       kLevelNone, true},
      // In registers: H is HL, B is DE:BC.
      {"int to long", z, r, i, l, {"call  0000"}, {"Hi.Bl"}},
      {"int to long, corvid", c, r, i, l, {"ex    de,hl", "ld    a,d", "rla", "sbc   hl,hl", "ld    b,h", "ld    c,l"}},
      {"int to long, corvid for size", c, r, i, l, {"call  0000", "nop"}, {"Hi.Bl"}, 0, {}, kConvertDefaultOptions, true},
      {"unsigned to unsigned long, corvid", c, r, u, ul, {"ex    de,hl", "ld    bc,0000"}},
      {"char to long, corvid", c, r, ch, l, {"ld    h,00", "ld    b,h", "ld    c,h", "ex    de,hl"}},
      {"global char to long", z, g, ch, l, {"ld    a,(2000)", "ld    l,a", "ld    h,00", "call  0000"}, {"Hc.Bl"}},
      {"global char to int", z, g, ch, i, {"ld    a,(2000)", "ld    l,a", "ld    h,00"}},
      {"long to int", z, r, l, i, {"ex    de,hl"}, {}, 0, {807}},
      {"long to char", c, r, l, ch, {"ex    de,hl", "ld    h,00"}, {}, 0, {807}},
      {"int to char narrows", z, r, i, ch, {"ld    h,00"}},
      {"int to char, not narrowed", z, r, i, ch, {}, {}, 0, {}, kConvertReportDemotion},
      {"float to int", z, r, f, i, {"call  0000"}, {"Bf.Hi"}, 0, {807}},
      {"long to float", c, r, l, f, {"call  0000", "nop"}, {"Bl.Bf"}},
      {"global int to unsigned: nothing loaded", z, g, i, u, {}},
      // The loss of value is reported only when the caller and the setting
      // both ask.
      {"long to int, no report asked", z, r, l, i, {"ex    de,hl"}, {}, 0, {}, kConvertNarrowChar},
      {"long to int, tcdmtn off", z, r, l, i, {"ex    de,hl"}, {}, 0, {}, kConvertDefaultOptions, false, 0},
      {"structure in registers", z, r, kFirstStructType, l, {}, {}, 0, {401}},
  };
  for (const ConversionCase &k : cases) {
    SCOPED_TRACE(k.what);
    SelectTargetCpu(k.cpu);
    Attributes().current = k.forSize ? uint32_t(kAttrSize) : 0u;
    CompilerConfig().tcdmtn = k.tcdmtn;
    ResetFixupTables(kResetFinal);
    sink.records.clear();
    Emission().stackOffset = 0;
    ValueRecord value;
    switch (k.where) {
    case Where::kPushed:
      value = MakeValue(k.from, k.declarator, kStorageStackStruct, false);
      break;
    case Where::kInRegisters:
      value = MakeValue(k.from, k.declarator, kStoragePrimary, false);
      break;
    case Where::kGlobal: {
      SymbolRecord *symbol = AddSymbol(std::string("g") + std::to_string(&k - cases.data()), k.declarator, k.from,
                                       0, kKindGlobal);
      symbol->address = Addr24ToLong(MakeAddr24(0, kGlobalAt));
      value = MakeValueFromSymbol(*symbol);
      break;
    }
    }
    const uint8_t storage = value.storage == kStorageGlobal ? uint8_t(kStoragePrimary) : value.storage;
    ConvertOperandTo(value, k.to, k.toPointer, k.options);
    EXPECT_TRUE(DecodesAs(k.cpu, Emitted(), k.listing));
    std::vector<std::string> labels;
    for (const std::string &routine : k.routines) {
      labels.push_back(RoutineLabelName(routine));
      EXPECT_NE(FindRoutineContract(routine), nullptr) << routine;
    }
    EXPECT_EQ(PendingLabelList(), labels);
    EXPECT_EQ(Emission().stackOffset, k.stackChange);
    EXPECT_EQ(sink.Messages(), k.messages);
    if (k.messages != std::vector<unsigned>{401}) {
      EXPECT_EQ(value.type, k.to == kTypeAddressBase ? uint8_t(kTypeInt) : k.to);
      EXPECT_EQ(value.Level() == kLevelPointer, k.toPointer);
      if (k.where != Where::kGlobal || !k.listing.empty()) {
        EXPECT_EQ(value.storage, storage);
      }
    } else {
      EXPECT_EQ(value.type, k.from);
    }
  }
}

TEST_F(ConversionTest, RoutineNamesFollowTheTypeLetters) {
  EXPECT_EQ(StackConversionName(kTypeInt, kTypeLong), "I..L");
  EXPECT_EQ(StackConversionName(kTypeUnsignedLong, kTypeChar), "G..C");
  EXPECT_EQ(RegisterConversionName(kTypeInt, kTypeLong, kConvertWordToLong), "Hi.Bl");
  EXPECT_EQ(RegisterConversionName(kTypeFloat, kTypeChar, kConvertLongToWord), "Bf.Hc");
  EXPECT_EQ(RegisterConversionName(kTypeLong, kTypeFloat, kConvertLongToLong), "Bl.Bf");
}

TEST_F(ConversionTest, ACodeOfTenOrAboveHasNoConversionRoutine) {
  ValueRecord pushed = MakeValue(kTypeInt, kLevelNone, kStorageStackStruct, false);
  ConvertStackValue(pushed, kFirstStructType);
  ValueRecord held = MakeValue(kFirstStructType, kLevelNone, kStoragePrimary, false);
  ConvertRegisterValue(held, kTypeLong, kConvertLongToLong);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{404, 404}));
  EXPECT_TRUE(Emitted().empty());
  EXPECT_EQ(Emission().stackOffset, 0);
}

} // namespace
} // namespace tsw::testing
