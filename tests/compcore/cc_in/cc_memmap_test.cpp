#include "compcore/front_end_fixture.h"

#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

// What the attribute switches ask of the code generator.
class FakeAttributeEnvironment : public CodeGenerator {
public:
  void SwitchXmemCodeCache(bool debug) override { switches.push_back(debug); }
  bool StaticFrame() override { return staticFrame; }
  bool IsBiosCode() override { return biosMode; }
  ADDR24 CacheAddress(OriginCache cache) override {
    return cache == OriginCache::kRootCode ? ADDR24{rootCode, 0, 0} : ADDR24{};
  }
  bool staticFrame = false;
  bool biosMode = false;
  uint16_t rootCode = 0;
  std::vector<bool> switches;
};

class MemmapTest : public FrontEndFixture {
protected:
  void SetUp() override {
    FrontEndFixture::SetUp();
    SetCodeGenerator(&env);
    SetDirectiveTargets(&ide, nullptr);
  }
  // Runs the program's directive lines.
  void Directives(const std::string &program) {
    Start(program);
    Texts(DeliverAll());
  }
  FakeAttributeEnvironment env;
  FakeDirectiveShell ide;
};

TEST_F(MemmapTest, PushesUpToTheStackSizeAndPopsDownToTheBottom) {
  std::string program;
  for (int i = 1; i < kDefaultStackEntries; ++i)
    program += "#memmap push xmem\n";
  Directives(program);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(CurrentMemmapDefault(), kMemmapXmem);

  Directives("#memmap push root\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{428}));
  EXPECT_EQ(CurrentMemmapDefault(), kMemmapXmem);

  ResetMemmapModule();
  sink.records.clear();
  Directives("#class pop\n#class static\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{429}));
  EXPECT_EQ(CurrentClassDefault(), kClassStaticLocal);
}

TEST_F(MemmapTest, TableInitialisationDropsTheLastCompilesPushesAndThreshold) {
  Directives("#memmap push anymem 100\n#class push static\n");
  ASSERT_EQ(AnymemThreshold(), 100u);
  ResetCompilerConfigModule();
  InitCompilerTables();
  EXPECT_EQ(AnymemThreshold(), kDefaultAnymemThreshold);
  Directives("#memmap pop\n#class pop\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{429, 429}));
  ResetSymbolTableModule();
  ResetCompilerConfigModule();
}

TEST_F(MemmapTest, PushPopGivesTheOuterDefaultBack) {
  Directives("#class static\n#class push auto\n");
  EXPECT_EQ(CurrentClassDefault(), kClassAutoLocal);
  Directives("#class pop\n");
  EXPECT_EQ(CurrentClassDefault(), kClassStaticLocal);
  // A missing keyword stores the directive's default code.
  Directives("#memmap xmem\n#memmap\n");
  EXPECT_EQ(CurrentMemmapDefault(), kMemmapRoot);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(MemmapTest, AnymemThresholdRange) {
  struct Case {
    const char *line;
    uint32_t threshold;
    std::vector<unsigned> messages;
  } cases[] = {
      {"#memmap anymem 70000\n", kDefaultAnymemThreshold, {2012}},
      {"#memmap anymem 65536\n", 65536, {}},
      {"#memmap anymem 0x100\n", 256, {}},
      {"#memmap anymem\n", kDefaultAnymemThreshold, {}},
  };
  for (const Case &c : cases) {
    ResetMemmapModule();
    sink.records.clear();
    Directives(c.line);
    EXPECT_EQ(CurrentMemmapDefault(), kMemmapAnymem) << c.line;
    EXPECT_EQ(AnymemThreshold(), c.threshold) << c.line;
    EXPECT_EQ(sink.Messages(), c.messages) << c.line;
  }
}

TEST_F(MemmapTest, ChooseFunctionMemory) {
  struct Case {
    const char *what;
    uint16_t code;
    uint32_t threshold;
    uint16_t rootCode;
    bool staticFrame, biosMode;
    bool xmem;
  } cases[] = {
      {"root", kMemmapRoot, 8192, 0x1000, false, false, false},
      {"xmem", kMemmapXmem, 8192, 0x1000, false, false, true},
      {"static frames stay in root", kMemmapXmem, 8192, 0x1000, true, false, false},
      {"anymem below the data origin", kMemmapAnymem, 8192, 0x1000, false, false, false},
      {"anymem reaching past it", kMemmapAnymem, 8192, 0x6001, false, false, true},
      {"anymem in BIOS code", kMemmapAnymem, 8192, 0x6001, false, true, false},
      // The sum does not wrap round to "fits".
      {"anymem 65536", kMemmapAnymem, 65536, 0, false, false, true},
  };
  AddBiosSymbol("IOP_DATAORG", ADDR24{0x8000, 0, 0});
  for (const Case &c : cases) {
    ResetMemmapModule();
    Start(std::string("#memmap anymem ") + std::to_string(c.threshold) + "\n");
    Texts(DeliverAll());
    env.rootCode = c.rootCode;
    env.staticFrame = c.staticFrame;
    env.biosMode = c.biosMode;
    Attributes().declaration = c.xmem ? 0u : uint32_t(kAttrXmem);
    ChooseFunctionMemory(c.code);
    EXPECT_EQ((Attributes().declaration & kAttrXmem) != 0, c.xmem) << c.what;
  }
}

TEST_F(MemmapTest, DebugAttributesFollowTheIdeDebugMode) {
  uint32_t copy = kAttrUseIx;
  SetDebugAttributes(copy, true);
  EXPECT_EQ(copy, kAttrUseIx | kAttrDebug | kAttrStep);
  ide.debugCodeMode = 1;
  SetDebugAttributes(copy, true);
  EXPECT_EQ(copy, kAttrUseIx);
  EXPECT_EQ(env.switches, (std::vector<bool>{true, false}));
}

TEST_F(MemmapTest, ResetDefaultsForAProgramCompile) {
  Directives("#memmap push root\n#class push static\n#useix\n");
  ResetMemmapAndClassDefaults();
  EXPECT_EQ(CurrentMemmapDefault(), kMemmapAnymem);
  EXPECT_EQ(CurrentClassDefault(), kClassAutoLocal);
  EXPECT_FALSE(Attributes().directiveDefaults & kAttrUseIx);
}

} // namespace
} // namespace tsw::testing
