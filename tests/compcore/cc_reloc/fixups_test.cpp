#include "compcore/byte_road_fixture.h"

#include "compcore/cc_stab/cc_stab.h"

namespace tsw::testing {
namespace {

class FixupsTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    Origin("code 0 0x1000 0x1000 apply", Caches().rootCode);
    Caches().currentCode = Caches().rootCode;
    EmitCount(*Caches().rootCode, 0x40, 0xEE); // placeholders to patch
  }
  std::vector<uint8_t> Bytes(uint16_t at, int n) {
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i)
      out.push_back(Caches().rootCode->ReadAt(MakeAddr24(0, uint16_t(at + i))));
    return out;
  }
  static uint32_t P(uint8_t segment, uint16_t logical) { return Addr24ToLong(MakeAddr24(segment, logical)); }
};

TEST_F(FixupsTest, ReferenceKindsPatchTheirBytes) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    uint16_t flags;
    uint32_t value;
    uint16_t addend;
    std::vector<uint8_t> bytes; // at 0x1010
    unsigned message;           // 0 when none
  };
  const Case cases[] = {
      {"word", TargetCpu::Z180, 0, P(0, 0x1234), 0, {0x34, 0x12, 0xEE}, 0},
      {"word with addend", TargetCpu::Z180, 0, P(0, 0x1234), 2, {0x36, 0x12, 0xEE}, 0},
      {"rel8 to the next byte", TargetCpu::Z180, kFixRelative8, P(0, 0x1011), 0, {0x00, 0xEE}, 0},
      {"rel8 +127", TargetCpu::Z180, kFixRelative8, P(0, 0x1011 + 127), 0, {0x7F}, 0},
      {"rel8 -128", TargetCpu::Z180, kFixRelative8, P(0, 0x1011 - 128), 0, {0x80}, 0},
      {"rel8 +128", TargetCpu::Z180, kFixRelative8, P(0, 0x1011 + 128), 0, {0xEE}, kMsgDisplacementRange},
      {"rel8 -129", TargetCpu::Z180, kFixRelative8, P(0, 0x1011 - 129), 0, {0xEE}, kMsgDisplacementRange},
      {"abs8", TargetCpu::Z180, kFixAbsolute8, P(0, 0xFF), 0, {0xFF, 0xEE}, 0},
      {"abs8 too large", TargetCpu::Z180, kFixAbsolute8, P(0, 0xFF), 1, {0xEE}, kMsgByteRange},
      {"root only", TargetCpu::Z180, kFixRootOnly, P(0x10, 0xE000), 0, {0xEE, 0xEE}, kMsgRootOnlyTarget},
      {"no patch", TargetCpu::Z180, kFixNoPatch, P(0, 0x1234), 0, {0xEE, 0xEE}, 0},
      {"page byte", TargetCpu::Corvid, kFixPageByte, P(0x12, 0xE000), 1, {0x13, 0xEE}, 0},
      {"page word", TargetCpu::Corvid, kFixPageWord, P(0x12, 0xE000), 0x100, {0x12, 0x01, 0xEE}, 0},
      {"24-bit on Corvid", TargetCpu::Corvid, kFixAddress24, P(0x12, 0xE345), 0, {0x45, 0xE3, 0x12, 0xEE}, 0},
      {"24-bit on Z180 is a word", TargetCpu::Z180, kFixAddress24, P(0x12, 0xE345), 0, {0x45, 0xE3, 0xEE}, 0},
  };
  for (const Case &c : cases) {
    NextCompile();
    CodeGenSetup().cpu = c.cpu;
    for (uint16_t i = 0; i < 8; ++i)
      Caches().rootCode->StoreAt(MakeAddr24(0, uint16_t(0x1010 + i)), 0xEE);
    EXPECT_EQ(ReferenceLabel("target", P(0, 0x1010), kFixGlobal | c.flags, c.addend), 0u) << c.what;
    DefineLabel("target", c.value, kFixGlobal);
    EXPECT_EQ(Bytes(0x1010, int(c.bytes.size())), c.bytes) << c.what;
    EXPECT_EQ(sink.Messages(), c.message ? std::vector<unsigned>{c.message} : std::vector<unsigned>{}) << c.what;
    EXPECT_EQ(FindGlobalLabel("target")->pending.size(), 0u);
    ResetFixupTables(kResetFinal);
  }
}

TEST_F(FixupsTest, DefinedLabelsAnswerAtOnceAndLookupsRecordNothing) {
  EXPECT_EQ(ReferenceLabel("x", P(0, 0x1010), kFixGlobal | kFixLookupOnly), 0u);
  EXPECT_EQ(FindGlobalLabel("x"), nullptr);
  DefineLabel("x", P(0, 0x2345), kFixGlobal);
  EXPECT_EQ(ReferenceLabel("x", P(0, 0x1010), kFixGlobal), P(0, 0x2345));
  EXPECT_TRUE(FindGlobalLabel("x")->pending.empty());
  LabelReferenceSwitch() = false;
  EXPECT_EQ(ReferenceLabel("y", P(0, 0x1010), kFixGlobal), 0u);
  EXPECT_EQ(FindGlobalLabel("y"), nullptr);
  LabelReferenceSwitch() = true;
}

TEST_F(FixupsTest, LocalReferenceMarkedGlobalWaitsInTheGlobalTable) {
  ReferenceLabel("f", P(0, 0x1010), kFixLocal | kFixGlobal);
  ResetFixupTables(kResetLocal);
  EXPECT_EQ(FindLocalLabel("f"), nullptr);
  ASSERT_NE(FindGlobalLabel("f"), nullptr);
  DefineLabel("f", P(0, 0x4321), kFixGlobal);
  EXPECT_EQ(Bytes(0x1010, 2), (std::vector<uint8_t>{0x21, 0x43}));
  EXPECT_TRUE(sink.records.empty());

  ReferenceLabel("g", P(0, 0x1020), kFixLocal);
  EXPECT_THROW(ResetFixupTables(kResetLocal), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgUnresolvedLocal});
}

TEST_F(FixupsTest, DefiningTwiceIsFatalUnlessABouncerMayMoveIt) {
  DefineLabel("l", P(0, 0x1000), kFixLocal);
  EXPECT_THROW(DefineLabel("l", P(0, 0x1000), kFixLocal), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgLocalTwice});
  NextCompile();
  DefineLabel("g", P(0, 0x1000), kFixGlobal);
  EXPECT_THROW(DefineLabel("g", P(0, 0x1000), kFixGlobal), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgGlobalTwice});

  // With "No Bouncers" a reference to a defined label waits for the next
  // definition.
  NextCompile();
  CodeGenSetup().noBouncers = true;
  DefineLabel("stub", P(0, 0x1111), kFixGlobal | kFixBouncer);
  EXPECT_EQ(ReferenceLabel("stub", P(0, 0x1010), kFixGlobal | kFixBouncer), 0u);
  EXPECT_EQ(Bytes(0x1010, 2), (std::vector<uint8_t>{0xEE, 0xEE}));
  DefineLabel("stub", P(0, 0x2222), kFixGlobal | kFixBouncer);
  EXPECT_EQ(Bytes(0x1010, 2), (std::vector<uint8_t>{0x22, 0x22}));
  CodeGenSetup().noBouncers = false;
  EXPECT_EQ(ReferenceLabel("stub", P(0, 0x1010), kFixGlobal | kFixBouncer), P(0, 0x2222));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(FixupsTest, UnresolvedGlobalsAndTheSilentFinalReset) {
  ReferenceLabel("missing", P(0, 0x1010), kFixGlobal);
  ResetFixupTables(kResetFinal);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_EQ(FindGlobalLabel("missing"), nullptr);

  ReferenceLabel("missing", P(0, 0x1010), kFixGlobal);
  EXPECT_THROW(ResetFixupTables(kResetGlobal), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgUnresolvedGlobal});

  // In a watch compile the text is thrown instead.
  InitFixupTables();
  Diagnostics().throwAll = true;
  ReferenceLabel("nowhere", P(0, 0x1010), kFixLocal);
  EXPECT_THROW(ResetFixupTables(kResetLocal), xWatch);
  Diagnostics().throwAll = false;
}

TEST_F(FixupsTest, TheProgramsEndReportsTheFirstUndefinedGlobalAndKeepsTheTable) {
  // A compile starts with the silent reset: its flag must not silence the
  // check at the end of the text.
  ResetFixupTables(kResetFinal);
  DefineLabel("placed", P(0, 0x1234), kFixGlobal);
  ReferenceLabel("placed", P(0, 0x1010), kFixGlobal);
  ReportUndefinedGlobalLabels();
  EXPECT_TRUE(sink.records.empty());

  ReferenceLabel("first", P(0, 0x1012), kFixGlobal);
  ReferenceLabel("second", P(0, 0x1014), kFixGlobal);
  EXPECT_THROW(ReportUndefinedGlobalLabels(), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgUnresolvedGlobal});
  // Each name stays reported until it is defined.
  DefineLabel("first", P(0, 0x1300), kFixGlobal);
  EXPECT_THROW(ReportUndefinedGlobalLabels(), xErr);
  DefineLabel("second", P(0, 0x1302), kFixGlobal);
  ReportUndefinedGlobalLabels();
  EXPECT_EQ(Bytes(0x1012, 4), (std::vector<uint8_t>{0x00, 0x13, 0x02, 0x13}));
  // What the compile's end reads of the placed labels is still there.
  ASSERT_NE(FindGlobalLabel("placed"), nullptr);
  EXPECT_EQ(FindGlobalLabel("placed")->value, P(0, 0x1234));

  ReferenceLabel("third", P(0, 0x1016), kFixGlobal);
  Diagnostics().throwAll = true;
  EXPECT_THROW(ReportUndefinedGlobalLabels(), xWatch);
  Diagnostics().throwAll = false;
}

TEST_F(FixupsTest, OpcodeCaptureTakesTheNextByteAtTheOperandsOpcode) {
  EmitCache &root = *Caches().rootCode;
  const ADDR24 opcodeAt = root.Current();
  ReferenceLabel("far", Addr24ToLong(Addr24Add(opcodeAt, 1)), kFixGlobal | kFixCaptureOpcode);
  EmitCodeByte(0xCD);
  EmitWord(0);
  ASSERT_EQ(FindGlobalLabel("far")->pending.size(), 1u);
  EXPECT_EQ(FindGlobalLabel("far")->pending[0]->opcode, 0xCD);

  class Recorder : public CodeGenCollaborators {
  public:
    void EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t) override {
      calls.push_back({opcode, patch.logical, target.logical});
    }
    std::vector<std::array<uint16_t, 3>> calls;
  } recorder;
  SetCodeGenCollaborators(&recorder);
  DefineLabel("far", P(0x10, 0xE100), kFixGlobal);
  SetCodeGenCollaborators(nullptr);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0], (std::array<uint16_t, 3>{0xCD, uint16_t(opcodeAt.logical + 1), 0xE100}));
}

TEST_F(FixupsTest, CorvidWordsGoThroughTheRootDirectory) {
  CodeGenSetup().cpu = TargetCpu::Corvid;
  EnterXmemFunction(MakeAddr24(0, 0x2000), MakeAddr24(0x14, 0xE010));
  ReferenceLabel("fn", P(0, 0x1010), kFixGlobal | kFixDirectoryWord);
  ReferenceLabel("fn", P(0, 0x1020), kFixGlobal | kFixAddress24);
  ReferenceLabel("fn", P(0, 0x1030), kFixGlobal);
  DefineLabel("fn", P(0, 0x2000), kFixGlobal);
  EXPECT_EQ(Bytes(0x1010, 2), (std::vector<uint8_t>{0x10, 0xE0}));
  EXPECT_EQ(Bytes(0x1020, 3), (std::vector<uint8_t>{0x10, 0xE0, 0x14}));
  EXPECT_EQ(Bytes(0x1030, 2), (std::vector<uint8_t>{0x00, 0x20}));
  EXPECT_TRUE(Addr24Equal(LookupXmem(MakeAddr24(0x14, 0xE010)), MakeAddr24(0, 0x2000)));
  CodeGenSetup().cpu = TargetCpu::Z180;
  EXPECT_TRUE(Addr24Equal(LookupRoot(MakeAddr24(0, 0x2000)), MakeAddr24(0, 0x2000)));
}

TEST_F(FixupsTest, PendingListFeedsTheLibraryLoaderNewestFirst) {
  ReferenceLabel("a", P(0, 0x1010), kFixGlobal);
  ReferenceLabel("b", P(0, 0x1012), kFixGlobal);
  DefineLabel("c", P(0, 0x1000), kFixGlobal); // defined first: never pending
  ReferenceLabel("c", P(0, 0x1014), kFixGlobal);
  DefineLabel("b", P(0, 0x1000), kFixGlobal);
  EXPECT_EQ(PopPendingLabel(), std::optional<std::string>("a"));
  EXPECT_EQ(PopPendingLabel(), std::nullopt);
  EXPECT_EQ(GlobalLabelNames(), (std::vector<std::string>{"a", "b", "c"}));
}

} // namespace
} // namespace tsw::testing
