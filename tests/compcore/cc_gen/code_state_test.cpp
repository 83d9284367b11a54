#include "compcore/byte_road_fixture.h"

#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_stab/cc_stab.h"

namespace tsw::testing {
namespace {

class CodeStateTest : public ByteRoadTest {
protected:
  // Two root segments: A fills, B follows it.
  void TwoSegments(uint32_t sizeA = 0x100) {
    Origin("segA 0 0x1000 " + std::to_string(sizeA) + " apply", Caches().rootCode);
    Origin("segB 0 0x3000 0x1000 follows segA", Caches().rootCode);
    Caches().currentCode = Caches().rootCode;
  }
  // A statement: its bytes, then the dispatcher's space check.
  std::function<uint16_t()> Statement(int bytes, uint8_t value) {
    return [this, bytes, value] {
      ++attempts;
      EmitCount(*Caches().currentCode, bytes, value);
      Caches().currentCode->CheckSpaceGuarded();
      return uint16_t(2);
    };
  }
  std::vector<uint8_t> Shadow(uint32_t from, uint32_t count) {
    std::vector<uint8_t> out(count);
    EXPECT_TRUE(ReadEmittedPhysical(from, count, out.data()));
    return out;
  }
  int attempts = 0;
};

TEST_F(CodeStateTest, OverflowingStatementIsCompiledAgainAtTheFollowersResume) {
  TwoSegments();
  CompileWithRetry(Statement(0x60, 0x11));
  attempts = 0;
  CompileWithRetry(Statement(0x40, 0x22));
  EXPECT_EQ(attempts, 2);
  EmitCache &root = *Caches().rootCode;
  root.Flush();
  // The first statement stays; a jump to where segB resumes ends segA.
  EXPECT_EQ(Shadow(0x105F, 4), (std::vector<uint8_t>{0x11, 0xC3, 0x00, 0x30}));
  EXPECT_EQ(Shadow(0x3000, 0x40), std::vector<uint8_t>(0x40, 0x22));
  uint8_t byte;
  EXPECT_FALSE(ShadowRead(0x1063, byte));
  EXPECT_EQ(root.GetOrigin()->name, "segB");
  EXPECT_EQ(OriginTable()[0]->resume.logical, 0x1063); // after the jump
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(CodeStateTest, ExtendedMemoryContinuationIsALongJumpToTheResumeAddress) {
  Origin("xa 0x10 0xE000 0x100 apply", Caches().xmemCode, 2);
  Origin("xb 0x20 0xE800 0x800 follows xa", Caches().xmemCode, 2);
  Origin("xb resume", Caches().xmemCode, 2);
  Origin("xa resume", Caches().xmemCode, 2);
  Caches().currentCode = Caches().xmemCode;
  // xb was entered once and left at once: it resumes at its start.
  CompileWithRetry(Statement(0x90, 0x33));
  Caches().xmemCode->Flush();
  const uint32_t jump = Addr24ToPhysical(MakeAddr24(0x10, 0xE000));
  EXPECT_EQ(Shadow(jump, 4), (std::vector<uint8_t>{0xC7, 0x00, 0xE8, 0x20}));
  EXPECT_EQ(Shadow(Addr24ToPhysical(MakeAddr24(0x20, 0xE800)), 0x90), std::vector<uint8_t>(0x90, 0x33));
}

TEST_F(CodeStateTest, NestedOverflowRestartsOnlyTheNestedStatement) {
  TwoSegments();
  int outer = 0;
  CompileWithRetry([&] {
    ++outer;
    EmitCount(*Caches().currentCode, 0x10, 0x01);
    CompileWithRetry(Statement(0x10, 0x02)); // completes: the snapshot is now its own
    CompileWithRetry(Statement(0x70, 0x03));
    return uint16_t(2);
  });
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(attempts, 3);
  Caches().rootCode->Flush();
  EXPECT_EQ(Shadow(0x1020, 3), (std::vector<uint8_t>{0xC3, 0x00, 0x30}));
  EXPECT_EQ(Shadow(0x3000, 0x70), std::vector<uint8_t>(0x70, 0x03));
}

TEST_F(CodeStateTest, SecondOverflowOfTheRetryEndsTheCompile) {
  Origin("segA 0 0x1000 0x100 apply", Caches().rootCode);
  Origin("segB 0 0x3000 0x100 follows segA", Caches().rootCode);
  Origin("segC 0 0x5000 0x1000 follows segB", Caches().rootCode);
  Caches().currentCode = Caches().rootCode;
  EXPECT_THROW(CompileWithRetry(Statement(0x100, 0x44)), xErr);
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgRootCodeFull});
}

TEST_F(CodeStateTest, SegmentFullAtTheRestartPointIsReported) {
  TwoSegments();
  EmitCount(*Caches().rootCode, 0x101);
  CompileWithRetry(Statement(1, 0));
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgFullAtRestart});
}

TEST_F(CodeStateTest, RollBackLeavesEveryParticipantAsAtTheSnapshot) {
  TwoSegments();
  Origin("consts 0 0x8000 0x400 apply", Caches().constant, 7);
  Output().outputBits = kOutputListing;
  Output().flashSectorSize = 0x20;
  ASSERT_EQ(BeginRomListing(Program()), 0);
  ResetBrkptTable();
  StartStatementPositions("prog.c", 1, 1, Caches().rootCode->Current());

  // A jump made before the statement to a label the statement defines.
  EmitCache &root = *Caches().rootCode;
  root.EmitByte(0xC3);
  const ADDR24 operand = root.Current();
  ReferenceLabel("done", Addr24ToLong(operand), kFixGlobal);
  EmitCount(root, 2);
  EmitCount(root, 0x50, 0x11);
  EmitCount(*Caches().constant, 4, 0xAA); // flushed by the snapshot: committed

  int attempt = 0;
  CompileWithRetry([&] {
    ++attempt;
    RecordStatementPosition("prog.c", 2, 1, root.Current());
    // The abandoned attempt writes a run of constants out before it overflows.
    EmitCount(*Caches().constant, attempt == 1 ? 0x40 : 8, 0xCC);
    Caches().constant->Flush();
    DefineLabelHere("done", kFixGlobal);
    ReferenceLabel("later", Addr24ToLong(root.Current()), kFixGlobal);
    EmitCount(root, 0x40, 0x22);
    root.CheckSpaceGuarded();
    return uint16_t(2);
  });
  EXPECT_EQ(attempt, 2);
  root.Flush();
  Caches().constant->Flush();
  // The jump lands on the retry's address, and no label was defined twice.
  EXPECT_EQ(Shadow(Addr24ToPhysical(operand), 2), (std::vector<uint8_t>{0x00, 0x30}));
  EXPECT_TRUE(sink.records.empty());
  const BRFixupRec *later = FindGlobalLabel("later");
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(later->pending.size(), 1u);
  EXPECT_EQ(PendingLabelList(), (std::vector<std::string>{"done", "later"}));
  EXPECT_EQ(Shadow(0x8000, 4), std::vector<uint8_t>(4, 0xAA));
  EXPECT_EQ(Shadow(0x8004, 8), std::vector<uint8_t>(8, 0xCC));
  uint8_t byte;
  EXPECT_FALSE(ShadowRead(0x800C, byte));
  // The listing holds no record of the abandoned attempt, nor its blocks.
  FinishRomListing();
  std::string listing = ReadText(dir / "prog.rom");
  // The label's patch of the first attempt went straight to the listing.
  const std::string patch = "00:1001[  1] -> 00 \n00:1002[  1] -> 30 \n";
  size_t first = listing.find(patch);
  ASSERT_NE(first, std::string::npos) << listing;
  EXPECT_EQ(listing.find("00:1001", first + 1), std::string::npos) << listing;
  EXPECT_TRUE(IsBlockWritten(0x8000, 0x20));
  EXPECT_FALSE(IsBlockWritten(0x8020, 0x20));
  EXPECT_TRUE(IsBlockWritten(0x3000, 0x20));
}

TEST_F(CodeStateTest, RollBackRestoresTheFrontEndsInputBracketsAndSymbols) {
  TwoSegments();
  AllocateSymbolTables(200);
  ResetSymbolTablesForCompile(true);
  ReadLogicalLine();
  SkipSpaces();
  const size_t cursor = CursorIndex();
  const size_t brackets = OpenBracketCount();
  struct Seen {
    size_t cursor, brackets;
    bool symbol;
  };
  std::vector<Seen> seen;
  CompileWithRetry([&] {
    seen.push_back(
        {CursorIndex(), OpenBracketCount(), LookupSymbol("fresh", false, SymbolTableId::kGlobal) != nullptr});
    // The first attempt reads on, opens a bracket and enters a symbol.
    NextInputChar();
    NextInputChar();
    CheckBracketNesting(kOpenBrace, 1, 1);
    AddSymbol("fresh", 0, 2, 0, kKindGlobal);
    EXPECT_EQ(OpenBracketCount(), brackets + 1);
    EXPECT_NE(CursorIndex(), cursor);
    EXPECT_NE(LookupSymbol("fresh", false, SymbolTableId::kGlobal), nullptr);
    EmitCount(*Caches().currentCode, 0x100);
    Caches().currentCode->CheckSpaceGuarded();
    return uint16_t(2);
  });
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].cursor, cursor);
  EXPECT_EQ(seen[1].brackets, brackets);
  EXPECT_FALSE(seen[1].symbol);
  ResetSymbolTableModule();
}

TEST_F(CodeStateTest, LocalLabelOfTheAbandonedAttemptIsDefinedAgainWithoutComplaint) {
  TwoSegments();
  EmitCache &root = *Caches().rootCode;
  root.EmitByte(0x18);
  const ADDR24 displacement = root.Current();
  ReferenceLabel("loop", Addr24ToLong(displacement), kFixLocal | kFixRelative8);
  root.EmitByte(0);
  EmitCount(root, 0x40);
  int attempts = 0;
  EXPECT_NO_THROW(CompileWithRetry([&] {
    ++attempts;
    DefineLabelHere("loop", kFixLocal);
    EmitCount(root, 0x60);
    root.CheckSpaceGuarded();
    return uint16_t(2);
  }));
  EXPECT_EQ(attempts, 2);
  // No 786; the jump now reaches the retry's address: out of range for a relative
  // jump, so the patch reports it rather than keeping the abandoned target.
  const BRFixupRec *loop = FindLocalLabel("loop");
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(Addr24FromLong(loop->value).logical, 0x3000);
}

TEST_F(CodeStateTest, InnerSavePointsRestoreOnlyTheCodeSide) {
  TwoSegments();
  ResetBrkptTable();
  StartStatementPositions("prog.c", 1, 1, Caches().rootCode->Current());
  SaveCodeState(0);
  RecordStatementPosition("prog.c", 3, 1, Caches().rootCode->Current());
  const ADDR24 before = Caches().rootCode->Current();
  uint32_t point = PushCodeSavePoint();
  EmitCount(*Caches().rootCode, 5);
  ReferenceLabel("inner", 0x1234, kFixGlobal);
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  EXPECT_TRUE(Addr24Equal(Caches().rootCode->Current(), before));
  EXPECT_EQ(FindGlobalLabel("inner"), nullptr);
  // The statement's position was not rolled back by the inner point.
  RecordStatementPosition("prog.c", 4, 1, Caches().rootCode->Current());
  CommitStatementPositions();
  EXPECT_EQ(BrkptCount(), 2u);
}

TEST_F(CodeStateTest, PageCrossingOfExtendedCode) {
  class Kernel : public CodeGenCollaborators {
  public:
    uint16_t PageSwitchRoutine() override { return 0x1234; }
  } kernel;
  SetCodeGenCollaborators(&kernel);
  struct Case {
    TargetCpu cpu;
    uint16_t at;
    std::vector<uint8_t> bytes;
    ADDR24 next;
  };
  const Case cases[] = {
      // The kernel switches pages; the code goes on at the same physical address.
      {TargetCpu::Z180, 0xEFF0, {0x3E, 0x11, 0xCD, 0x34, 0x12}, MakeAddr24(0x11, 0xE005)},
      // A long jump to just behind itself, seen through the next page.
      {TargetCpu::Corvid, 0xEFF0, {0xC7, 0x04, 0xE0, 0x11}, MakeAddr24(0x11, 0xE004)},
  };
  Origin("xp 0x10 0xE000 0x8000 apply", Caches().xmemCode, 2);
  for (const Case &c : cases) {
    CodeGenSetup().cpu = c.cpu;
    EmitCache &x = *Caches().xmemCode;
    Caches().currentCode = &x;
    x.SetEmitAddress(MakeAddr24(0x10, c.at));
    EmitCount(x, 0x10 - 1);
    writer.runs.clear();
    x.EmitByte(0);
    x.CheckSpaceGuarded();
    ASSERT_EQ(writer.runs.size(), 1u);
    std::vector<uint8_t> tail(writer.runs[0].bytes.end() - long(c.bytes.size()), writer.runs[0].bytes.end());
    EXPECT_EQ(tail, c.bytes);
    EXPECT_EQ(Addr24ToLong(x.Current()), Addr24ToLong(c.next));
  }
  SetCodeGenCollaborators(nullptr);
}

} // namespace
} // namespace tsw::testing
