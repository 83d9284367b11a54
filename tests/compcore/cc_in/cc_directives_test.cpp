#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/front_end_fixture.h"

#include "foundation/xerr.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

using Log = std::vector<std::string>;

class Front2Directives : public FrontEndFixture {
protected:
  void SetUp() override {
    FrontEndFixture::SetUp();
    link.log = &log;
    SetCodeGenerator(&codegen);
    SetDirectiveTargets(&shell, &link);
    DirectiveServices services;
    services.enableBiosSymbols = [this](bool on) { log.push_back(on ? "bios table on" : "bios table off"); };
    SetDirectiveServices(services);
    SetCompileOptionFlag(1);
  }
  std::vector<std::string> Run(const std::string &program) {
    Start(program);
    return Texts(DeliverAll());
  }

  Log log;
  FakeCodeGen codegen{log};
  FakeDirectiveShell shell{&log};
  FakeLink link;
};

// ---- segment chains -------------------------------------------------------

struct ChainCase {
  const char *name;
  const char *program;
  bool biosCompile;
  bool biosFirst;
  bool programLoaded;
  std::vector<unsigned> messages;
  Log calls;
};

TEST_F(Front2Directives, ChainDirectivesAndTheirErrors) {
  const ChainCase cases[] = {
      {"program compile", "#makechain ch\n#funcchain ch fn\nx", false, false, false, {}, {"chain ch", "chain ch fn"}},
      {"names missing", "#makechain\n#funcchain\n#funcchain ch\nx", false, false, false, {2030, 2030, 2048}, {}},
      {"BIOS without a loaded program", "#funcchain ch fn\nx", true, false, false, {2029}, {"chain ch fn"}},
      {"BIOS with a loaded program", "#funcchain ch fn\nx", true, false, true, {}, {"chain ch fn"}},
      {"BIOS compiled before the program", "#funcchain ch fn\nx", true, true, false, {}, {"chain ch fn"}},
  };
  for (const ChainCase &c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    sink.records.clear();
    BiosCompileFlag() = c.biosCompile;
    BiosFirstFlag() = c.biosFirst;
    shell.loaded = c.programLoaded;
    EXPECT_EQ(Run(c.program), (std::vector<std::string>{"x"}));
    EXPECT_EQ(sink.Messages(), c.messages);
    EXPECT_EQ(log, c.calls);
  }
}

// ---- #corg and #dorg --------------------------------------------------------

struct CorgCase {
  const char *program;
  uint8_t outputMode;
  Log calls;
};

TEST_F(Front2Directives, CorgMovesCodeAndKeepsARootSegment) {
  const CorgCase cases[] = {
      {"#define SEG 3\n#corg SEG 0x4000\nx", 0, {"code 03:4000", "segment 3"}},
      {"#corg 3 0xE100\nx", 0, {"code 03:e100"}},
      {"#corg 3 0x4000\nx", 1, {"code 03:4000"}},
  };
  for (const CorgCase &c : cases) {
    SCOPED_TRACE(c.program);
    log.clear();
    sink.records.clear();
    codegen.outputMode = c.outputMode;
    EXPECT_EQ(Run(c.program), (std::vector<std::string>{"x"}));
    EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{2110}));
    EXPECT_EQ(log, c.calls);
  }
}

TEST_F(Front2Directives, DorgSetsTheDataAddress) {
  EXPECT_EQ(Run("#define TOP 0x9000\n#dorg 0 TOP\nx"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{2109}));
  EXPECT_EQ(log, (Log{"data 00:9000"}));
}

// ---- origin directives ----------------------------------------------------

TEST_F(Front2Directives, OriginDirectivesAreOrdinaryLinesOnTheZ180) {
  EXPECT_EQ(Run("#define NAME rootcode\n#rcodorg NAME 0 0x100 0x1000\n#wvarorg w 0 0xC000 0x100"),
            (std::vector<std::string>{"#rcodorg rootcode 0 0x100 0x1000", "#wvarorg w 0 0xC000 0x100"}));
  EXPECT_TRUE(log.empty());
}

struct OriginCase {
  const char *word;
  Log calls;
};

TEST_F(Front2Directives, EachCorvidOriginFlushesItsCacheAndPassesItsKind) {
  const OriginCase cases[] = {
      {"#rcodorg", {"flush rcod", "origin 1 org rcod", "layout 0 c100"}},
      {"#xcodorg", {"flush xcod", "origin 2 org xcod"}},
      {"#wcodorg", {"flush wcod", "origin 3 org wcod"}},
      {"#rconorg", {"flush rcon", "origin 7 org rcon"}},
      {"#rvarorg", {"flush rvar", "origin 4 org rvar", "data 02:c100", "layout 1 c100"}},
      {"#wvarorg", {"flush wvar", "origin 4 org wvar"}},
  };
  for (const OriginCase &c : cases) {
    SCOPED_TRACE(c.word);
    log.clear();
    codegen.caches = {};
    codegen.cpu = tsw::TargetCpu::Corvid;
    EXPECT_EQ(Run(std::string(c.word) + " org 2 0xC100 0x100\nx"), (std::vector<std::string>{"x"}));
    EXPECT_EQ(log, c.calls);
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Directives, PragmaCorvidMakesOriginDirectivesKnown) {
  EXPECT_EQ(Run("#pragma Corvid\n#wcodorg w 0 0x100 0x10\nx"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(log, (Log{"flush wcod", "origin 3 w wcod"}));
}

struct XmemRoundingCase {
  const char *name;
  ADDR24 origin;
  bool hadOrigin;
  bool biosCode;
  uint32_t defaults;
  bool ideBiosFlag;
  ADDR24 expected; // where the cache emits afterwards
};

TEST_F(Front2Directives, FirstXmemOriginOfTheBiosStartsOnTheSecondFreshPage) {
  const uint32_t check = kAttrPointerCheck;
  const XmemRoundingCase cases[] = {
      {"not a multiple of 256", MakeAddr24(0x72, 0xE123), false, true, check, true, MakeAddr24(0x72, 0xE300)},
      {"already a multiple", MakeAddr24(0x72, 0xE200), false, true, check, true, MakeAddr24(0x72, 0xE300)},
      {"across a page", MakeAddr24(0x72, 0xEF80), false, true, check, true, MakeAddr24(0x73, 0xE100)},
      {"second origin", MakeAddr24(0x72, 0xE123), true, true, check, true, MakeAddr24(0x72, 0xE123)},
      {"program code", MakeAddr24(0x72, 0xE123), false, false, check, true, MakeAddr24(0x72, 0xE123)},
      {"no pointer checking", MakeAddr24(0x72, 0xE123), false, true, 0, true, MakeAddr24(0x72, 0xE123)},
      {"no IDE BIOS flag", MakeAddr24(0x72, 0xE123), false, true, check, false, MakeAddr24(0x72, 0xE123)},
  };
  for (const XmemRoundingCase &c : cases) {
    SCOPED_TRACE(c.name);
    codegen.caches = {};
    codegen.caches[size_t(OriginCache::kXmemCode)].hasOrigin = c.hadOrigin;
    codegen.cpu = tsw::TargetCpu::Corvid;
    codegen.biosCode = c.biosCode;
    shell.ideBiosFlag = c.ideBiosFlag;
    Start(plat::FormatText("#xcodorg x %d %d 0x1000\nx", int(c.origin.segment), int(c.origin.logical)));
    Attributes().directiveDefaults = c.defaults;
    EXPECT_EQ(Texts(DeliverAll()), (std::vector<std::string>{"x"}));
    EXPECT_EQ(AddressText(codegen.CacheAddress(OriginCache::kXmemCode)), AddressText(c.expected));
  }
}

// ---- #pragma CompileBIOS and CompileProgram -------------------------------

TEST_F(Front2Directives, CompileBiosSwitchesToBiosCode) {
  EXPECT_EQ(Run("#pragma CompileBIOS Corvid\nx"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(log, (Log{"end program code", "begin bios code", "clear cache names"}));
  EXPECT_EQ(codegen.cpu, tsw::TargetCpu::Corvid);
}

const Log kProgramStart = {"jump c3", "flush rcod", "flush xcod", "flush wcod", "flush rvar", "flush rcon"};
const Log kBoardStart = {"write 1 @16385 = 1", "delay 400", "connect", "loaded", "board type"};
const Log kBoardStartVetoed = {"delay 400", "connect", "loaded", "board type"};
const Log kWithoutBoard = {"bios symbols", "loaded"};
const Log kFinish = {"bios table on", "program start 00:0200", "clear scratch"};

Log Join(std::initializer_list<Log> parts) {
  Log all;
  for (const Log &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct CompileProgramCase {
  const char *name;
  bool withoutBoard;
  bool vetoed;
  bool biosFirst;
  uint16_t errorsBefore;
  Log calls;
  uint8_t optionFlagAfter;
};

TEST_F(Front2Directives, CompileProgramEndsTheBiosInOrder) {
  const CompileProgramCase cases[] = {
      {"with a board", false, false, false, 0, Join({kProgramStart, kBoardStart, kFinish}), 0},
      {"vetoing link", false, true, false, 0, Join({kProgramStart, kBoardStartVetoed, kFinish}), 0},
      {"without a board", true, false, false, 0, Join({kProgramStart, kWithoutBoard, kFinish}), 0},
      {"BIOS compiled first", false, false, true, 0, Join({kProgramStart, kFinish}), 1},
      {"an error counted", false, false, false, 1, kProgramStart, 1},
      {"an error counted without a board", true, false, false, 1, Join({kProgramStart, kWithoutBoard}), 0},
  };
  for (const CompileProgramCase &c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    SetCompileOptionFlag(1);
    BiosCompileFlag() = true;
    BiosFirstFlag() = c.biosFirst;
    CompileErrorCount() = c.errorsBefore;
    shell.withoutBoard = c.withoutBoard;
    shell.loaded = false;
    link.vetoed = c.vetoed;
    codegen.caches[size_t(OriginCache::kRootCode)].address = MakeAddr24(0, 0x200);
    EXPECT_EQ(Run("#pragma CompileProgram\nx"), (std::vector<std::string>{"x"}));
    EXPECT_EQ(log, c.calls);
    EXPECT_EQ(GetCompileOptionFlag(), c.optionFlagAfter);
  }
}

TEST_F(Front2Directives, CompileProgramOutsideTheBiosCompileDoesNothing) {
  EXPECT_EQ(Run("#pragma CompileProgram\nx"), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Directives, FailedBiosSymbolLoadStopsWithNothingMarkedLoaded) {
  BiosCompileFlag() = true;
  shell.withoutBoard = true;
  shell.loadResult = 1;
  Start("#pragma CompileProgram\nx");
  try {
    DeliverAll();
    FAIL() << "no exception";
  } catch (const xErr &e) {
    EXPECT_EQ(e.Message(), kMsgBiosSymbolsFailed);
    EXPECT_STREQ(e.Module(), "compcore\\cc_in");
  }
  EXPECT_EQ(log, Join({kProgramStart, {"bios symbols"}}));
  EXPECT_FALSE(shell.loaded);
  EXPECT_EQ(GetCompileOptionFlag(), 1);
}

} // namespace
} // namespace tsw::testing
