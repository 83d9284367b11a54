#include "compcore/codegen_fixture.h"

#include "compcore/cc_gen/byte_sinks.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"

#include <map>

namespace tsw::testing {
namespace {

class FunctionTailTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    upcalls.reset();
    SetCodegenUpcalls(&CodegenLayerUpcalls());
    // Constants go with the code here.
    Caches().currentConstant = Caches().currentCode;
  }
  std::map<uint16_t, uint8_t> Image() {
    Caches().rootCode->Flush();
    std::map<uint16_t, uint8_t> image;
    for (const testing::Run &run : writer.runs)
      for (size_t i = 0; i < run.bytes.size(); ++i)
        image[uint16_t(run.address.logical + i)] = run.bytes[i];
    writer.runs.clear();
    return image;
  }
  static std::vector<uint8_t> From(const std::map<uint16_t, uint8_t> &image, uint16_t at, size_t count) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) {
      const auto byte = image.find(uint16_t(at + i));
      bytes.push_back(byte == image.end() ? 0 : byte->second);
    }
    return bytes;
  }
};

constexpr uint16_t kStubAt = 0x1800;

// A function in extended memory called without a bouncer gets its stub in
// root code on the Corvid; the Z180 has no such stub.
TEST_F(FunctionTailTest, FarCallStubsAreCorvidOnly) {
  for (const TargetCpu cpu : {TargetCpu::Corvid, TargetCpu::Z180}) {
    SCOPED_TRACE(cpu == TargetCpu::Corvid ? "corvid" : "z180");
    SelectTargetCpu(cpu);
    CodeGenSetup().noBouncers = true;
    ResetFixupTables(kResetFinal);
    SymbolRecord *function = AddSymbol(cpu == TargetCpu::Corvid ? "farfn" : "farz", AddLevel(kLevelNone, kLevelFunction),
                                       kTypeInt, 1, kKindGlobal);
    function->address = Addr24ToLong(MakeAddr24(0x12, 0xE100));
    function->secondAddress = Addr24ToLong(MakeAddr24(0, kStubAt));
    StubStack().push_back(function);
    const ADDR24 before = Here();
    EmitPendingStubsAndStrings();
    EXPECT_TRUE(StubStack().empty());
    EXPECT_EQ(Here().logical, before.logical);
    const std::map<uint16_t, uint8_t> image = Image();
    if (cpu == TargetCpu::Corvid) {
      EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, From(image, kStubAt, 11),
                            {"pop   de", "ld    a,xpc", "ld    h,a", "push  hl", "inc   sp", "push  de",
                             "ljp   12E100"},
                            {}, kStubAt));
      ASSERT_NE(FindGlobalLabel("farfn"), nullptr);
      EXPECT_EQ(FindGlobalLabel("farfn")->value, Addr24ToLong(MakeAddr24(0, kStubAt)));
    } else {
      EXPECT_FALSE(image.count(kStubAt));
      EXPECT_EQ(FindGlobalLabel("farz"), nullptr);
    }
  }
}

// The body refers to its literals by label before they are placed; the
// labels are the pool offsets' own and are gone after the function.
TEST_F(FunctionTailTest, StringLiteralsFollowUnderTheirInternalLabels) {
  SelectTargetCpu(TargetCpu::Z180);
  const uint16_t start = Here().logical;
  for (const char *label : {"AA!", "DA!"}) {
    EmitCodeByte(0x21);
    ReferenceLabel(label, Addr24ToLong(Here()), kFixLocal);
    EmitWord(0);
  }
  FunctionStringPool() = {{'a', 'b', 0, 'c', 0}, 5};
  InitializedDataEmitted() = false;
  EmitPendingStubsAndStrings();
  const std::map<uint16_t, uint8_t> image = Image();
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, From(image, start, 6), {"ld    hl,1006", "ld    hl,1009"}));
  EXPECT_EQ(From(image, uint16_t(start + 6), 5), (std::vector<uint8_t>{0x61, 0x62, 0x00, 0x63, 0x00}));
  EXPECT_EQ(FindLocalLabel("AA!"), nullptr);
  EXPECT_TRUE(InitializedDataEmitted());
  EXPECT_EQ(FunctionStringPool().count, 0);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(FunctionTailTest, ValuesAndAddressesPutInTheirSizes) {
  SelectTargetCpu(TargetCpu::Z180);
  struct Case {
    const char *what;
    std::function<void()> put;
    std::vector<uint8_t> bytes;
    std::vector<unsigned> messages;
  };
  SymbolRecord *symbol = AddSymbol("datum", kLevelNone, kTypeLong, 0, kKindGlobal);
  symbol->address = Addr24ToLong(MakeAddr24(0, 0x2345));
  const auto typed = [symbol](uint8_t type, uint32_t declarator) {
    ValueRecord value = MakeValueFromSymbol(*symbol);
    value.type = type;
    value.declarator = declarator;
    return value;
  };
  const std::vector<Case> cases = {
      {"three bytes", [] { PutValue(ByteSink::kConstantData, 0x12345678, 3); }, {0x78, 0x56, 0x34}, {}},
      {"more than four", [] { PutValue(ByteSink::kCode, 0x12345678, 6); }, {0x78, 0x56, 0x34, 0x12}, {2000}},
      {"address", [&] { PutAddress(ByteSink::kCode, typed(kTypeLong, kLevelNone)); }, {0x45, 0x23}, {}},
      {"char-sized address", [&] { PutSizedAddress(ByteSink::kConstantData, typed(kTypeChar, kLevelNone)); },
       {0x45}, {}},
      {"pointer-sized address", [&] { PutSizedAddress(ByteSink::kConstantData, typed(kTypeLong, kLevelPointer)); },
       {0x45, 0x23}, {}},
      {"long-sized address", [&] { PutSizedAddress(ByteSink::kInitializedData, typed(kTypeLong, kLevelNone)); },
       {0x45, 0x23, 0x00, 0x00}, {}},
      {"float has no address size", [&] { PutSizedAddress(ByteSink::kConstantData, typed(kTypeFloat, kLevelNone)); },
       {}, {623}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    sink.records.clear();
    c.put();
    EXPECT_EQ(Emitted(), c.bytes);
    EXPECT_EQ(sink.Messages(), c.messages);
  }
}

} // namespace
} // namespace tsw::testing
