#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class CostateStateTest : public ProgramCompileTest {};

TEST_F(CostateStateTest, ACompileEmptiesTheTableButTheRunningNumbersGoOn) {
  CostateModuleState &s = CostateState();
  TakeCostateEntry()->address = MakeAddr24(0, 0x4000);
  PushCostateRecord({7, MakeAddr24(0, 0x4000), nullptr});
  s.nesting = 1;
  s.costateCounter = 5;
  s.cofunctionCounter = 2;
  s.waitfordoneCounter = 9;
  ASSERT_TRUE(CofunctionCalls().costateOpen);

  Compile("int x;\n");

  EXPECT_TRUE(CostateTableEntries().empty());
  EXPECT_EQ(CurrentCostateRecord(), nullptr);
  EXPECT_FALSE(CofunctionCalls().costateOpen);
  EXPECT_EQ(s.nesting, 0);
  EXPECT_EQ(s.costateCounter, 5u);
  EXPECT_EQ(s.cofunctionCounter, 2u);
  EXPECT_EQ(s.waitfordoneCounter, 9);
}

TEST_F(CostateStateTest, TheTableHoldsItsEntriesAndRefusesOneMore) {
  for (uint16_t i = 0; i < kCostateTableEntries; ++i) {
    CostateInitEntry *entry = TakeCostateEntry();
    ASSERT_NE(entry, nullptr) << i;
    entry->address = MakeAddr24(0, uint16_t(0x1000 + i));
  }
  EXPECT_EQ(TakeCostateEntry(), nullptr);
  const auto entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), kCostateTableEntries);
  EXPECT_EQ(entries.front().address.logical, 0x1000);
  EXPECT_EQ(entries.back().address.logical, 0x1000 + kCostateTableEntries - 1);
}

TEST_F(CostateStateTest, EntriesMadeAtTheScratchEntryStayOutOfTheTable) {
  TakeCostateEntry()->address = MakeAddr24(0, 0x2000);
  RedirectCostateTableToScratch();
  ASSERT_TRUE(CostateTableAtScratch());
  TakeCostateEntry()->address = MakeAddr24(0, 0x2100);
  TakeCostateEntry()->address = MakeAddr24(0, 0x2200);
  EXPECT_EQ(CostateTableEntries().size(), 1u);

  RestoreCostateTablePosition();
  TakeCostateEntry()->address = MakeAddr24(0, 0x2300);
  const auto entries = CostateTableEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].address.logical, 0x2300);
}

// A construct compiled under a save point that is then taken back (sizeof,
// the first of two emissions) must leave neither its entry nor its number.
TEST_F(CostateStateTest, ATakenBackSavePointLeavesNoEntryRecordOrNumber) {
  CostateModuleState &s = CostateState();
  const uint32_t point = PushCodeSavePoint();
  TakeCostateEntry();
  PushCostateRecord({s.costateCounter++, MakeAddr24(0, 0x3000), nullptr});
  ++s.waitfordoneCounter;
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  EXPECT_TRUE(CostateTableEntries().empty());
  EXPECT_EQ(CurrentCostateRecord(), nullptr);
  EXPECT_FALSE(CofunctionCalls().costateOpen);
  EXPECT_EQ(s.costateCounter, 0u);
  EXPECT_EQ(s.waitfordoneCounter, 0);

  const uint32_t kept = PushCodeSavePoint();
  TakeCostateEntry();
  ++s.costateCounter;
  DropCodeSavePoint(kept);
  EXPECT_EQ(CostateTableEntries().size(), 1u);
  EXPECT_EQ(s.costateCounter, 1u);
}

} // namespace
} // namespace tsw::testing
