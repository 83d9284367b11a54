#include "compcore/byte_road_fixture.h"

#include "compcore/cc_in/cc_directive_targets.h"

namespace tsw::testing {
namespace {

class OriginsTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    CodeGenSetup().cpu = TargetCpu::Corvid;
  }
  // One directive line through the preprocessor's dispatcher.
  void Directive(const std::string &text) {
    Line(text);
    ProcessDirective();
  }
  const OriginDirective &Named(const std::string &name) {
    int index = FindOrigin(name);
    EXPECT_GE(index, 0) << name;
    return *OriginTable()[size_t(std::max(index, 0))];
  }
};

TEST_F(OriginsTest, DirectiveLinesMakeRecordsOrMessages) {
  struct Case {
    const char *line;
    std::vector<unsigned> messages;
  };
  const Case cases[] = {
      {"#rcodorg rootcode 0 0x100 0x1000 apply", {}},
      {"#xcodorg xc 0x10 0xE000 0x1000", {}},
      {"#xcodorg xd 0x11 0xE000 0x1000 follows xc splitbin resume nodebug", {}},
      {"#rvarorg vars 0 0xC000 0x100 apply", {}},
      {"#xcodorg", {kMsgOriginName}},
      {"#xcodorg xc 0x10 0xE000 0x1000", {kMsgOriginDefined}},
      {"#xcodorg never resume", {kMsgNoSuchOrigin}},
      {"#xcodorg xc sideways", {kMsgResumeOrApply}},
      {"#xcodorg big 0x20 0xE000 0xFFFFF", {kMsgOriginTooLarge}},
      {"#xcodorg empty 0x21 0xE000 0", {kMsgOriginSizeZero}},
      {"#xcodorg lone 0x22 0xE000 0x10 splitbin", {kMsgOriginTrailing}},
      {"#xcodorg f1 0x23 0xE000 0x10 follows", {kMsgFollowsName}},
      {"#xcodorg f2 0x24 0xE000 0x10 follows nobody", {kMsgNoSuchOrigin}},
      {"#xcodorg f3 0x25 0xE000 0x10 follows xc", {kMsgAlreadyFollowed}},
      {"#rvarorg v2 0 0xB000 0x100 debug", {kMsgOriginOptionKind}},
  };
  for (const Case &c : cases) {
    sink.records.clear();
    Directive(c.line);
    EXPECT_EQ(sink.Messages(), c.messages) << c.line;
  }
  const OriginDirective &xd = Named("xd");
  EXPECT_EQ(xd.kind, 2);
  EXPECT_EQ(xd.start.segment, 0x11);
  EXPECT_EQ(xd.size, 0x1000u);
  EXPECT_TRUE(xd.splitbin);
  EXPECT_EQ(xd.debugMode, OriginDebugMode::kNodebugOnly);
  EXPECT_EQ(xd.cache, Caches().nodebugXmem);
  // The later "follows" wins.
  EXPECT_EQ(Named("xc").follows, &Named("f3"));
  EXPECT_EQ(SplitbinCount(), 1u);
  EXPECT_EQ(Caches().rootCode->GetOrigin(), &Named("rootcode"));
  // The dispatcher moved the data address with the variables' origin.
  EXPECT_EQ(Caches().rootVariable->Current().logical, 0xC000);
}

TEST_F(OriginsTest, ReturningToAnOriginResumesWhereItStopped) {
  Directive("#rcodorg a 0 0x1000 0x1000 apply");
  Directive("#rcodorg b 0 0x4000 0x1000 apply");
  EXPECT_EQ(Caches().rootCode->Current().logical, 0x4000);
  Directive("#rcodorg a resume");
  EmitCount(*Caches().rootCode, 0x10);
  Directive("#rcodorg b resume");
  EmitCount(*Caches().rootCode, 0x20);
  Directive("#rcodorg a resume");
  EXPECT_EQ(Caches().rootCode->Current().logical, 0x1010);
  Directive("#rcodorg b apply");
  EXPECT_EQ(Caches().rootCode->Current().logical, 0x4000);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(OriginsTest, OverlapSweepsWarnForSharedBytesAndAfterEarlierReports) {
  struct Case {
    std::vector<const char *> lines;
    std::vector<std::string> reports; // second origin, sweep
  };
  const Case cases[] = {
      {{"#rcodorg a 0 0x1000 0x100", "#rcodorg b 0 0x1100 0x100"}, {}},
      // One shared byte.
      {{"#rcodorg a 0 0x1000 0x100", "#rcodorg b 0 0x10FF 0x100"}, {"b logical", "b physical"}},
      // A wide origin and two inside it: both are reported.
      {{"#rcodorg a 0 0x1000 0x1000", "#rcodorg b 0 0x1100 0x10", "#rcodorg c 0 0x1200 0x10"},
       {"b logical", "c logical", "b physical", "c physical"}},
      // Different pages of the window: the logical sweep stops at them.
      {{"#xcodorg a 0x10 0xE000 0x1000", "#xcodorg b 0x20 0xE000 0x1000"}, {}},
      {{"#xcodorg a 0x10 0xE000 0x2000", "#xcodorg b 0x11 0xE000 0x1000"}, {"b physical"}},
      // A downward segment ends at its start address.
      {{"#rvarorg v 0 0xC000 0x100", "#rcodorg r 0 0xBF00 0x102"}, {"v logical", "v physical"}},
  };
  for (const Case &c : cases) {
    ClearOriginTable();
    sink.records.clear();
    for (const char *line : c.lines)
      Directive(line);
    ASSERT_TRUE(sink.records.empty());
    CheckOriginOverlaps();
    std::vector<std::string> reports;
    for (const Diagnostic &d : sink.records) {
      EXPECT_EQ(d.message, kMsgOriginsOverlap);
      EXPECT_EQ(d.kind, 1);
    }
    EXPECT_EQ(sink.records.size(), c.reports.size()) << c.lines[1];
  }
}

} // namespace
} // namespace tsw::testing
