#include "compcore/instruction_fixture.h"

#include "compcore/cc_gen/intrinsics.h"

namespace tsw {
namespace {

using testing::InstructionsTest;
constexpr TargetCpu Z = TargetCpu::Z180;
constexpr TargetCpu R = TargetCpu::Corvid;

ValueRecord Constant(uint32_t value) {
  ValueRecord v;
  InitValueRecord(v, kStorageConstant, kTypeInt, 0, nullptr, value, nullptr, 0, 0);
  return v;
}

class IntrinsicsTest : public InstructionsTest {
protected:
  ValueRecord result;
};

TEST_F(IntrinsicsTest, PortReadsAndWrites) {
  // Operands built before the request: the request runs inside Check.
  const ValueRecord low = Constant(0x3F), high = Constant(0x103), five = Constant(5);
  const ValueRecord variable = Global(kTypeInt), inA = CharInA();
  CheckAll({
      {"in from a low constant port", Z, [&] { ValueRecord p = low; CompileInportIntrinsic(p, result); },
       {"in0   a,(3F)"}},
      {"in from a high constant port", Z, [&] { ValueRecord p = high; CompileInportIntrinsic(p, result); },
       {"ld    bc,0103", "in    a,(c)"}},
      {"in from a port in HL", Z, [&] { ValueRecord p = variable; CompileInportIntrinsic(p, result); },
       {"ld    b,h", "ld    c,l", "in    a,(c)"}},
      {"in from a port in A", Z, [&] { ValueRecord p = inA; CompileInportIntrinsic(p, result); },
       {"ld    c,a", "ld    b,00", "in    a,(c)"}},
      {"in on the Corvid", R, [&] { ValueRecord p = low; CompileInportIntrinsic(p, result); }, {},
       {kMsgInvalidOperands}},
      {"out a constant to a low port", Z,
       [&] {
         ValueRecord p = low, v = five;
         CompileOutportIntrinsic(p, v);
       },
       {"ld    l,05", "out0  (3F),l"}},
      {"out a char to a high port", Z,
       [&] {
         ValueRecord p = high, v = inA;
         CompileOutportIntrinsic(p, v);
       },
       {"ld    bc,0103", "ld    l,a", "out   (c),l"}},
      {"out to a port known at run time", Z,
       [&] {
         ValueRecord p = variable, v = variable;
         CompileOutportIntrinsic(p, v);
       },
       {"ld    b,h", "ld    c,l", "out   (c),l"}},
      {"out on the Corvid", R,
       [&] {
         ValueRecord p = low, v = five;
         CompileOutportIntrinsic(p, v);
       },
       {}, {kMsgInvalidOperands}},
  });
}

TEST_F(IntrinsicsTest, PortReadGivesACharInA) {
  SetCpu(Z);
  ValueRecord port = Constant(0x3F);
  CompileInportIntrinsic(port, result);
  EXPECT_EQ(result.type, kTypeChar);
  EXPECT_EQ(result.storage, kStoragePrimary);
  EXPECT_TRUE(result.IsByteResult());
}

TEST_F(IntrinsicsTest, BitsByProcessorAndSpace) {
  const ValueRecord address = Global(kTypeInt, kLevelPointer);
  auto bit = [&](BitOperation op, IoSpace space, uint32_t n) {
    return [=, this] {
      ValueRecord a = address, b = Constant(n);
      CompileIoBitIntrinsic(op, space, a, b, result);
    };
  };
  const auto T = BitOperation::kTest, C = BitOperation::kReset, S = BitOperation::kSet;
  const auto M = IoSpace::kMemory, I = IoSpace::kInternal, E = IoSpace::kExternal;
  CheckAll({
      {"Z180 memory test", Z, bit(T, M, 3), {"bit   3,(hl)", "ld    hl,0000", "jr    z,1008", "inc   hl"}},
      {"Z180 memory reset", Z, bit(C, M, 7), {"res   7,(hl)"}},
      {"Z180 memory set", Z, bit(S, M, 0), {"set   0,(hl)"}},
      // The Corvid's I/O prefixes are in and out on the Z180.
      {"Z180 internal I/O", Z, bit(S, I, 2), {}, {kMsgKindNotEncodable}},
      {"Z180 external I/O", Z, bit(T, E, 2), {}, {kMsgKindNotEncodable}},
      {"Z180 bit 8", Z, bit(S, M, 8), {}, {kMsgBitNumberAbove7}},
      {"Corvid memory test", R, bit(T, M, 5), {"bit   5,(hl)", "ld    hl,0000", "jr    z,1008", "inc   hl"}},
      {"Corvid internal I/O set", R, bit(S, I, 2), {"ioi set   2,(hl)"}},
      {"Corvid external I/O reset", R, bit(C, E, 6), {"ioe res   6,(hl)"}},
      {"Corvid bit 8", R, bit(T, I, 8), {}, {kMsgBitNumberAbove7}},
  });
}

TEST_F(IntrinsicsTest, BitNumberKnownOnlyAtRunTimeCallsTheRoutine) {
  struct Case {
    TargetCpu cpu;
    BitOperation operation;
    IoSpace space;
    const char *routine;
  };
  const Case cases[] = {
      {Z, BitOperation::kTest, IoSpace::kMemory, "BIT"},   {R, BitOperation::kReset, IoSpace::kInternal, "IRES"},
      {R, BitOperation::kSet, IoSpace::kExternal, "ESET"}, {R, BitOperation::kTest, IoSpace::kExternal, "EBIT"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.routine);
    SetCpu(c.cpu);
    upcalls->routines.clear();
    Emission() = {};
    ValueRecord address = Global(kTypeInt, kLevelPointer), bit = Global(kTypeInt);
    CompileIoBitIntrinsic(c.operation, c.space, address, bit, result);
    EXPECT_EQ(upcalls->routines, std::vector<std::string>{c.routine});
    // Both arguments are taken off the stack again.
    EXPECT_EQ(Emission().stackOffset, 0);
    const std::vector<uint8_t> bytes = Emitted();
    if (c.operation == BitOperation::kTest) {
      // The answer is in HL before the stack adjustment can change the flags.
      const std::vector<std::string> lines = testing::DecodeAll(c.cpu, bytes);
      const auto call = std::find(lines.begin(), lines.end(), "call  0000");
      ASSERT_NE(call, lines.end());
      ASSERT_GE(lines.end() - call, 4);
      EXPECT_EQ(call[1], "ld    hl,0000");
      EXPECT_EQ(call[2].rfind("jr    z,", 0), 0u) << call[2];
      EXPECT_EQ(call[3], "inc   hl");
      EXPECT_EQ(result.type, kTypeInt);
      EXPECT_TRUE(Emission().valueIsCondition);
    }
  }
}

TEST_F(IntrinsicsTest, PortBits) {
  const ValueRecord low = Constant(0x3F), high = Constant(0x103);
  auto bit = [&](BitOperation op, const ValueRecord &port, uint32_t n) {
    return [=, this] {
      ValueRecord p = port, b = Constant(n);
      CompilePortBitIntrinsic(op, p, b, result);
    };
  };
  CheckAll({
      {"test", Z, bit(BitOperation::kTest, low, 1),
       {"in0   a,(3F)", "bit   1,a", "ld    hl,0000", "jr    z,100B", "inc   hl"}},
      {"set, written back", Z, bit(BitOperation::kSet, low, 1), {"in0   a,(3F)", "set   1,a", "out0  (3F),a"}},
      {"reset of a high port", Z, bit(BitOperation::kReset, high, 4),
       {"ld    bc,0103", "in    a,(c)", "res   4,a", "out   (c),a"}},
      {"bit 9", Z, bit(BitOperation::kSet, low, 9), {}, {kMsgBitNumberAbove7}},
      {"on the Corvid", R, bit(BitOperation::kSet, low, 1), {}, {kMsgInvalidOperands}},
  });
  SetCpu(Z);
  upcalls->routines.clear();
  ValueRecord port = low, variable = Global(kTypeInt);
  CompilePortBitIntrinsic(BitOperation::kReset, port, variable, result);
  EXPECT_EQ(upcalls->routines, std::vector<std::string>{"IRES"});
}

TEST_F(IntrinsicsTest, BitTestLeavesTheFlagsTellingTheValue) {
  SetCpu(Z);
  ValueRecord port = Constant(0x3F), bit = Constant(1);
  CompilePortBitIntrinsic(BitOperation::kTest, port, bit, result);
  EXPECT_EQ(result.type, kTypeInt);
  EXPECT_EQ(result.storage, kStoragePrimary);
  EXPECT_TRUE(Emission().flagsValid);
  EXPECT_TRUE(Emission().valueIsCondition);
  // A branch on it then needs no test of its own.
  Emitted();
  EmitTestForZero(result);
  EXPECT_TRUE(Emitted().empty());
}

} // namespace
} // namespace tsw
