#include "compcore/byte_road_fixture.h"

#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/common/cc_codegen.h"

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

class RecordingModeServices : public TargetModeServices {
public:
  void SwitchCodeCacheSet(int set) override { calls.push_back("cache set " + std::to_string(set)); }
  void SelectAssemblerTables() override { calls.push_back(std::string("assembler ") + Cpu()); }
  void SelectDisassemblerTables() override { calls.push_back(std::string("disassembler ") + Cpu()); }
  void SelectStepperTables() override { calls.push_back(std::string("stepper ") + Cpu()); }
  // The tables must see the processor already chosen.
  static const char *Cpu() { return CurrentCpu() == TargetCpu::Corvid ? "Corvid" : "Z180"; }
  std::vector<std::string> calls;
};

class TargetModesTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    SetTargetModeServices(&services);
  }
  void TearDown() override {
    SetTargetModeServices(nullptr);
    ByteRoadTest::TearDown();
  }
  RecordingModeServices services;
};

TEST_F(TargetModesTest, ProcessorSelectionThroughTheBoundary) {
  struct Case {
    const char *name;
    TargetCpu before;
    tsw::TargetCpu selected;
    TargetCpu after;
    const char *macro;
    std::vector<std::string> tables;
  };
  const Case cases[] = {
      {"Corvid", TargetCpu::Z180, tsw::TargetCpu::Corvid, TargetCpu::Corvid, "CRV",
       {"assembler Corvid", "disassembler Corvid", "stepper Corvid"}},
      {"Z180", TargetCpu::Corvid, tsw::TargetCpu::Z180, TargetCpu::Z180, "Z180",
       {"assembler Z180", "disassembler Z180", "stepper Z180"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SelectTargetCpu(c.before);
    services.calls.clear();
    CodeGen().SelectTargetCpu(c.selected);
    EXPECT_EQ(CurrentCpu(), c.after);
    EXPECT_EQ(CodeGen().TargetCpu(), c.after);
    EXPECT_STREQ(IsMacroDefined("TARGETCPU"), c.macro);
    EXPECT_EQ(services.calls, c.tables);
  }
}

// The pragma's road, through the front end and the assembled compiler.
TEST_F(TargetModesTest, PragmaSelectsTheProcessor) {
  struct Case {
    const char *line;
    TargetCpu cpu;
    const char *macro;
  };
  const Case cases[] = {{"Corvid", TargetCpu::Corvid, "CRV"}, {"Zilog180", TargetCpu::Z180, "Z180"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    services.calls.clear();
    Line(c.line);
    PragmaDirective();
    EXPECT_EQ(CurrentCpu(), c.cpu);
    EXPECT_STREQ(IsMacroDefined("TARGETCPU"), c.macro);
    EXPECT_EQ(services.calls.size(), 3u);
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(TargetModesTest, DriverSelectorIsTranslatedOnce) {
  struct Case {
    uint8_t selector;
    bool taken;
    TargetCpu cpu;
  };
  const Case cases[] = {
      {kSelectorCorvid, true, TargetCpu::Corvid},
      {kSelectorZ180, true, TargetCpu::Z180},
      {2, false, TargetCpu::Z180},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.selector));
    TargetCpu cpu = TargetCpu::Z180;
    EXPECT_EQ(CpuFromSelector(c.selector, &cpu), c.taken);
    EXPECT_EQ(cpu, c.cpu);
  }
}

TEST_F(TargetModesTest, CodeCacheFollowsTheAddress) {
  CachePointers &c = Caches();
  struct Case {
    const char *name;
    bool xmemOrigin;
    TargetCpu cpu;
    bool constantsApart;
    ADDR24 address;
    EmitCache *code;
    EmitCache *constant;
    ADDR24 codeAt;
  };
  const ADDR24 root = MakeAddr24(0, 0x1234);
  const ADDR24 xmem = MakeAddr24(0x12, 0xE100);
  const ADDR24 rootStart = MakeAddr24(0, 0x1000);
  const Case cases[] = {
      {"root address", true, TargetCpu::Z180, false, root, c.rootCode, c.rootCode, root},
      {"window address", true, TargetCpu::Z180, false, xmem, c.xmemCode, c.xmemCode, xmem},
      // Without an origin the window cache is not taken; only the constant
      // cache is chosen again.
      {"window address, no origin", false, TargetCpu::Corvid, true, xmem, c.rootCode, c.constant, rootStart},
      {"Corvid constants apart", true, TargetCpu::Corvid, true, xmem, c.xmemCode, c.constant, xmem},
      {"Corvid constants with the code", true, TargetCpu::Corvid, false, root, c.rootCode, c.rootCode, root},
      {"Z180 never keeps them apart", true, TargetCpu::Z180, true, root, c.rootCode, c.rootCode, root},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    ClearOriginTable();
    Origin("rc 0 0x1000 0x4000 apply", c.rootCode);
    if (k.xmemOrigin)
      Origin("xc 0x10 0xE000 0x1000 apply", c.xmemCode, 2);
    SelectTargetCpu(k.cpu);
    CorvidConstantsApartFlag() = k.constantsApart;
    c.currentCode = c.rootCode;
    c.rootCode->SetEmitAddress(rootStart);
    c.currentConstant = nullptr;
    SelectCodeCache(k.address);
    EXPECT_EQ(c.currentCode, k.code);
    EXPECT_EQ(c.currentConstant, k.constant);
    EXPECT_EQ(Addr24ToLong(c.currentCode->Current()), Addr24ToLong(k.codeAt));
  }
}

TEST_F(TargetModesTest, BiosAndProgramCodeModes) {
  EXPECT_FALSE(IsBiosCode());
  EXPECT_TRUE(IsProgramCode());
  Caches().currentCode = Caches().xmemCode;
  // The pragma's road: program code ends, BIOS code begins with its caches.
  CodeGen().EndProgramCode();
  CodeGen().BeginBiosCode();
  EXPECT_TRUE(CodeGen().IsBiosCode());
  EXPECT_FALSE(IsProgramCode());
  EXPECT_STREQ(IsMacroDefined("BIOSCODE"), "");
  EXPECT_EQ(services.calls, std::vector<std::string>{"cache set 0"});
  EndBiosCode();
  BeginProgramCode();
  EXPECT_FALSE(IsBiosCode());
  EXPECT_TRUE(IsProgramCode());
  EXPECT_EQ(IsMacroDefined("BIOSCODE"), nullptr);
  EXPECT_EQ(services.calls, std::vector<std::string>{"cache set 0"});
}

TEST_F(TargetModesTest, MemoryConfigurationsPlaceTheDataArea) {
  struct Case {
    const char *name;
    TargetCpu cpu;
    uint8_t mode;
    uint16_t rootCode;
    uint16_t pageBaseOf;
    uint16_t pageBase;
    ADDR24 dataEnd;
  };
  const Case cases[] = {
      {"Z180 shared page", TargetCpu::Z180, 0, 0x2345, 0x5678, 0x5678, MakeAddr24(0, 0x2345)},
      {"Z180 separate page", TargetCpu::Z180, kTargetModeSeparateDataPage, 0x2345, 0x5678, 0x5000,
       MakeAddr24(0, 0x3000)},
      // Capped at the root-code limit before rounding down.
      {"Z180 separate page above the limit", TargetCpu::Z180, kTargetModeSeparateDataPage, 0x2345, 0xC800, 0x7000,
       MakeAddr24(0, 0x3000)},
      // The root-variable origin fills downward from its start.
      {"Corvid", TargetCpu::Corvid, 0, 0x2345, 0x5678, 0x5678, MakeAddr24(0, 0xB001)},
  };
  Origin("rc 0 0x1000 0x4000 apply", Caches().rootCode);
  Origin("rv 0 0xBFFF 0x0FFF apply", Caches().rootVariable, 4);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SelectTargetCpu(c.cpu);
    TargetLayoutValues().compileTargetMode = c.mode;
    TargetLayoutValues().rootCodeLimit = 0x7FFF;
    Caches().rootCode->SetEmitAddress(MakeAddr24(0, c.rootCode));
    EXPECT_EQ(ActiveMemoryConfiguration().DataPageBase(c.pageBaseOf), c.pageBase);
    EXPECT_EQ(Addr24ToLong(ActiveMemoryConfiguration().DataAreaEnd()), Addr24ToLong(c.dataEnd));
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(TargetModesTest, CorvidDataAreaWithoutAnOriginWarnsOnce) {
  SelectTargetCpu(TargetCpu::Corvid);
  ActiveMemoryConfiguration().DataAreaEnd();
  ActiveMemoryConfiguration().DataAreaEnd();
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgCacheWithoutOrigin});
}

} // namespace
} // namespace tsw::testing
