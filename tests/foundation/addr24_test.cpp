#include <gtest/gtest.h>

#include <map>
#include <string>

#include "foundation/addr24.h"
#include "foundation/memorymap.h"

namespace tsw {
namespace {

class Addr24Test : public ::testing::Test {
protected:
  void SetUp() override { ResetMemoryMapModule(); }
  void TearDown() override { ResetMemoryMapModule(); }
};

uint32_t L(ADDR24 a) { return Addr24ToLong(a); }

TEST_F(Addr24Test, PackedFormAndPhysicalAddress) {
  ADDR24 a = MakeAddr24(0x12, 0xE123);
  EXPECT_EQ(L(a), 0x12E123u);
  EXPECT_EQ(L(Addr24FromLong(0x12E123)), 0x12E123u);
  EXPECT_EQ(Addr24ToPhysical(a), 0x20123u);
  EXPECT_EQ(L(PhysicalToAddr24(0x20123)), 0x12E123u);
  EXPECT_EQ(Addr24ToPhysical(MakeAddr24(0x77, 0x1234)), 0x1234u);
  // The physical address keeps 20 bits.
  EXPECT_EQ(Addr24ToPhysical(MakeAddr24(0xFF, 0xF000)), (0xF000u + 0xFF000u) & 0xFFFFF);
}

TEST_F(Addr24Test, AddAcrossTheWindowEdge) {
  struct Case {
    uint8_t seg;
    uint16_t logical;
    int32_t offset;
    uint32_t expected;
  } cases[] = {
      {5, 0xDFFF, 1, 0x05E000},        // below: the segment is not recomputed
      {0x12, 0xEFFF, 1, 0x13E000},     // in the window: the next page
      {0x13, 0xE000, -1, 0x12EFFF},    // and back
      {9, 0x1000, -0x2000, 0x09F000},  // below: 16-bit wrap
      {0xFF, 0xEFFF, 1, 0x00E000},     // the physical address wraps at 20 bits
  };
  for (const Case &c : cases)
    EXPECT_EQ(L(Addr24Add(MakeAddr24(c.seg, c.logical), c.offset)), c.expected)
        << std::hex << c.logical << "+" << c.offset;
}

TEST_F(Addr24Test, EqualIgnoresTheSegmentBelowTheWindowOnly) {
  EXPECT_TRUE(Addr24Equal(MakeAddr24(1, 0x1000), MakeAddr24(2, 0x1000)));
  EXPECT_FALSE(Addr24Equal(MakeAddr24(1, 0xE000), MakeAddr24(2, 0xE000)));
  EXPECT_TRUE(Addr24Equal(MakeAddr24(2, 0xE000), MakeAddr24(2, 0xE000)));
}

TEST_F(Addr24Test, DifferenceAndOrderArePhysical) {
  EXPECT_EQ(Addr24Difference(MakeAddr24(0x13, 0xE000), MakeAddr24(0x12, 0xE000)), 4096u);
  EXPECT_EQ(Addr24Difference(MakeAddr24(0x12, 0xE000), MakeAddr24(0x13, 0xE000)), uint32_t(-4096));
  EXPECT_TRUE(Addr24Less(MakeAddr24(0x12, 0xEFFF), MakeAddr24(0x13, 0xE000)));
  EXPECT_TRUE(Addr24Less(MakeAddr24(9, 0x1000), MakeAddr24(0, 0x1001)));
}

TEST_F(Addr24Test, WindowStartAndSegmentBaseMoveTheMapping) {
  ExtWindowStart = 0xD000;
  SegmentBase = 0xD;
  EXPECT_EQ(L(PhysicalToAddr24(0x20123)), 0x13D123u);
  EXPECT_EQ(Addr24ToPhysical(MakeAddr24(0x13, 0xD123)), 0x20123u);
}

// The compiler's side of the memory map, answered from a table.
class FakeEnvironment : public MemoryMapEnvironment {
public:
  void ClearBiosSymbolMarks() override { ++marksCleared; }
  uint32_t LookupBiosSymbol(const char *name, uint32_t def) override {
    auto it = bios.find(name);
    return it == bios.end() ? def : it->second;
  }
  uint16_t ConfigValue(const char *key) override { return config[key]; }
  void SetConfigValue(const char *key, uint16_t value) override { config[key] = value; }
  bool IsCorvidTarget() override { return corvid; }
  uint16_t SavedCodeOrigin() override { return savedOrigin; }
  uint16_t ActiveDataTop() override { return activeDataTop; }
  uint16_t MeasureStartupCode() override { return startupSize; }

  std::map<std::string, uint32_t> bios;
  std::map<std::string, uint16_t> config;
  bool corvid = false;
  uint16_t savedOrigin = 0x2000, activeDataTop = 0xB000, startupSize = 0x40;
  int marksCleared = 0;
};

class MemoryMapTest : public Addr24Test {
protected:
  void SetUp() override {
    Addr24Test::SetUp();
    SetMemoryMapEnvironment(&env);
  }
  FakeEnvironment env;
};

TEST_F(MemoryMapTest, OriginIsRoundedUpPastOnePage) {
  struct Case {
    uint16_t origin, root;
  } cases[] = {{0x1200, 0x1300}, {0x1234, 0x1400}, {0, 0x2000}};
  for (const Case &c : cases) {
    InitMemoryMapDefaults(c.origin);
    EXPECT_EQ(MemoryMap().RootCodeOrigin, c.root) << std::hex << c.origin;
  }
  EXPECT_EQ(MemoryMap().StartupCodeSize, 0x40);
  EXPECT_EQ(MemoryMap().InternalVectorTableSize, 256);
  EXPECT_EQ(MemoryMap().ExternalVectorTableSize, 32);
  EXPECT_EQ(env.config["logx"], 14);
  EXPECT_EQ(env.config["logr"], 2);
}

TEST_F(MemoryMapTest, CorvidMapFromTheActiveConfiguration) {
  env.corvid = true;
  env.config = {{"free", 0x100}, {"astk", 0x80}, {"heap", 0x400}};
  InitMemoryMapDefaults(0x1234);
  ComputeMemoryMap(0);
  const MemoryMapValues &m = MemoryMap();
  EXPECT_EQ(m.scod_base, 0x1400);
  EXPECT_EQ(m.scod_top, 0x143F);
  EXPECT_EQ(m.CodeFreeStart, 0x1440);
  EXPECT_EQ(m.PreStartupTop, 0x13FF);
  EXPECT_EQ(m.DataTop, 0xB000);
  EXPECT_EQ(m.DataTopCopy, 0xB000);
  EXPECT_EQ(m.FreeAreaStart, 0xAF01);
  EXPECT_EQ(m.AstkTop, 0xAF00);
  EXPECT_EQ(m.AstkStart, 0xAE81);
  EXPECT_EQ(m.HeapTop, 0xADFF);
  EXPECT_EQ(m.HeapStart, 0xAA00);
  EXPECT_EQ(m.RootDataLimit, 0xA9FF);
}

TEST_F(MemoryMapTest, Z180MapWithStackTopAndAnchor) {
  env.config = {{"free", 0}, {"astk", 0}, {"heap", 0}};
  InitMemoryMapDefaults(0x1200);
  MemoryMap().ScodAnchor = MakeAddr24(0, 0x1500);
  ComputeMemoryMap(0xC000);
  const MemoryMapValues &m = MemoryMap();
  EXPECT_EQ(m.ivec_base, 0x1300);
  EXPECT_EQ(m.ivec_top, 0x13FF);
  EXPECT_EQ(m.scod_base, 0x1501);
  EXPECT_EQ(m.UserStackTop, 0xBFFF);
  EXPECT_EQ(m.DataTop, 0xBFFF);
  // Empty regions in 16-bit arithmetic.
  EXPECT_EQ(m.FreeAreaStart, 0xC000);
  EXPECT_EQ(m.AstkStart, 0xC000);
  EXPECT_EQ(m.HeapTop, 0xBFFF);
}

TEST_F(MemoryMapTest, UnsetAnchorGivesStartupBaseOne) {
  InitMemoryMapDefaults(0);
  ComputeMemoryMap(0);
  EXPECT_EQ(MemoryMap().scod_base, 1);
}

TEST_F(MemoryMapTest, DataAddressTakesTheSegmentOfItsArea) {
  env.bios = {{"IOP_STACKORG", 0xD000}, {"IOP_STACKSEGVAL", 0x1234},
              {"IOP_DATAORG", 0x8000}, {"IOP_DATASEGVAL", 0x56}};
  struct Case {
    uint16_t logical;
    uint32_t expected;
  } cases[] = {{0x7FFF, 0x007FFF}, {0x8000, 0x568000}, {0xCFFF, 0x56CFFF}, {0xD000, 0x34D000}};
  for (const Case &c : cases)
    EXPECT_EQ(L(MakeDataAddr24(c.logical)), c.expected) << std::hex << c.logical;
  EXPECT_EQ(env.marksCleared, 4);
  env.bios.clear();
  EXPECT_EQ(L(MakeDataAddr24(0xD000)), 0x00D000u);
}

} // namespace
} // namespace tsw
