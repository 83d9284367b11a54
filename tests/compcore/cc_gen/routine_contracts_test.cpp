#include "compcore/cc_gen/routine_contracts.h"
#include "compcore/instruction_fixture.h"

#include <gtest/gtest-spi.h>

#include <set>

namespace tsw {
namespace {

using testing::InstructionsTest;

TEST(RoutineContracts, OneRowPerName) {
  std::set<std::string_view> names;
  for (const RoutineContract &row : RoutineContracts())
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
  EXPECT_EQ(FindRoutineContract("no.such.routine"), nullptr);
  ASSERT_NE(FindRoutineContract("_switch"), nullptr);
  EXPECT_FALSE(FindRoutineContract("_switch")->returnsAfterCall);
}

TEST_F(InstructionsTest, ARoutineNamedWithoutAContractFails) {
  EXPECT_NONFATAL_FAILURE(Upcalls().EmitCallNamedRoutine("made.up"), "has no contract row");
  Emitted();
}

// Every emitter that calls or jumps to a run-time routine, under every
// processor and attribute that changes the name; the recording layer fails
// on a name without a row.
TEST_F(InstructionsTest, EveryRoutineTheEmittersNameHasAContract) {
  int16_t id = 0;
  NewTypeRecord("block", &id)->size = 30;
  for (TargetCpu cpu : {TargetCpu::Z180, TargetCpu::Corvid}) {
    for (uint32_t attributes : {0u, uint32_t(kAttrSize)}) {
      for (bool waits : {false, true}) {
        SetCpu(cpu);
        Attributes().current = attributes;
        DataWaits(waits);
        for (uint8_t type : {kTypeInt, kTypeLong, kTypeUnsignedLong, kTypeFloat}) {
          for (UnaryOp op : {UnaryOp::kNegate, UnaryOp::kLogicalNot, UnaryOp::kComplement}) {
            ValueRecord v = InRegisters(type);
            EmitUnaryOperator(v, op);
          }
          ResetInstructionEmission();
          ValueRecord v = InRegisters(type);
          EmitTestForZero(v);
          EmitSwapTop(type);
        }
        for (uint8_t memoryClass : {0, 1, 2}) {
          ValueRecord v = Global(kTypeLong);
          v.flags |= uint16_t(memoryClass << kValueMemoryClassShift);
          EmitLongLoadCall(v);
          EmitLongStoreCall(v, LongStoreUse::kPlain);
          EmitLongStoreCall(v, LongStoreUse::kAssignment);
          for (uint16_t count : {0, 25, 26})
            EmitBlockCopy(v, count);
        }
        ValueRecord to = Global(uint8_t(id)), from = Global(uint8_t(id));
        EmitStructCopy(to, from);
        const SwitchCase one[] = {{1, 0x1000, 0}};
        EmitSwitchDispatch(one);
        Emitted();
      }
    }
  }
  DataWaits(false);
  const std::set<std::string> named(upcalls->routines.begin(), upcalls->routines.end());
  const std::set<std::string> expected = {
      "c.neg", "c.not",  "c.com",    "L.neg",  "L.not",   "L.com",   "F.neg",   "F.not",  "long.0",
      "flt.0", "swap4.", "_switch",  "llong.s", "llong.", "slong.s", "slong.ss", "slong.", "slong_s",
      "slong_ss", "slong_", "st4.s", "st4.ss", "st4.",   "doldir.s", "ldir_func"};
  EXPECT_EQ(named, expected);
}

} // namespace
} // namespace tsw
