#include "compcore/byte_road_fixture.h"

namespace tsw::testing {
namespace {

using EmitCacheTest = ByteRoadTest;

TEST_F(EmitCacheTest, FullBufferFlushesAndTheNextWindowStartsAtTheNextByte) {
  EmitCache &root = *Caches().rootCode;
  Origin("code 0 0x100 0x8000 apply", &root);
  EmitCount(root, root.Capacity(), 0x11);
  EXPECT_TRUE(writer.runs.empty());
  root.EmitByte(0x22);
  ASSERT_EQ(writer.runs.size(), 1u);
  EXPECT_EQ(writer.runs[0].address.logical, 0x100);
  EXPECT_EQ(writer.runs[0].bytes.size(), size_t(root.Capacity()));
  EXPECT_EQ(root.WindowStart().logical, 0x100 + root.Capacity());
  EXPECT_EQ(root.Count(), 1);
}

TEST_F(EmitCacheTest, MovingTheEmitAddressAlwaysFlushes) {
  EmitCache &root = *Caches().rootCode;
  Origin("code 0 0x100 0x1000 apply", &root);
  Emit(root, {1, 2, 3});
  root.SetEmitAddress(root.Current());
  ASSERT_EQ(writer.runs.size(), 1u);
  EXPECT_EQ(writer.runs[0].bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(root.WindowStart().logical, 0x103);
}

TEST_F(EmitCacheTest, StoresAndReadsOutsideTheRunGoThroughTheWriterAndTheShadow) {
  EmitCache &root = *Caches().rootCode;
  Origin("code 0 0x100 0x1000 apply", &root);
  Emit(root, {1, 2, 3});
  root.Flush();
  Emit(root, {4, 5});
  writer.runs.clear();

  // Below the window: already written out, so patched on its own.
  root.StoreAt(MakeAddr24(0, 0x101), 0x99);
  ASSERT_EQ(writer.runs.size(), 1u);
  EXPECT_EQ(writer.runs[0].address.logical, 0x101);
  EXPECT_EQ(root.ReadAt(MakeAddr24(0, 0x101)), 0x99);
  // In the run: the buffer.
  root.StoreAt(MakeAddr24(0, 0x104), 0x55);
  EXPECT_EQ(root.ReadAt(MakeAddr24(0, 0x104)), 0x55);
  EXPECT_EQ(writer.runs.size(), 1u);
  // At current: not a byte of the run.
  root.StoreAt(root.Current(), 0x77);
  EXPECT_EQ(writer.runs.size(), 2u);
  EXPECT_EQ(root.ReadAt(root.Current()), 0);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{kMsgReadAfterCurrent}));
}

TEST_F(EmitCacheTest, StoreAtCurrentOfAFullBufferStaysInsideIt) {
  EmitCache &root = *Caches().rootCode;
  Origin("code 0 0x100 0x8000 apply", &root);
  EmitCount(root, root.Capacity());
  root.StoreAt(root.Current(), 0xAB);
  EXPECT_EQ(root.Count(), root.Capacity());
  ASSERT_EQ(writer.runs.size(), 1u);
  EXPECT_EQ(writer.runs[0].bytes, std::vector<uint8_t>{0xAB});
}

TEST_F(EmitCacheTest, StoreIntoACacheNeverPositionedIsRefused) {
  EmitCache &watch = *Caches().watchCode;
  watch.StoreAt(MakeAddr24(0, 0x10), 1);
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[0].message, kMsgCacheWithoutOrigin);
  EXPECT_EQ(sink.records[1].message, kMsgEmitOutside);
  EXPECT_TRUE(writer.runs.empty());
}

TEST_F(EmitCacheTest, UnattachedWarningOncePerArmingAndNeverForTheDiscardCache) {
  EmitCache &xmem = *Caches().xmemCode;
  xmem.SetEmitAddress(MakeAddr24(0x10, 0xE000));
  Emit(xmem, {1, 2});
  xmem.ArmUnattachedWarning();
  Emit(xmem, {3});
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{kMsgCacheWithoutOrigin, kMsgCacheWithoutOrigin}));

  sink.records.clear();
  EmitCache &discard = DiscardCache();
  discard.SetEmitAddress(MakeAddr24(0, 0x4000));
  discard.ArmUnattachedWarning();
  EmitCount(discard, 100);
  discard.Flush();
  EXPECT_TRUE(sink.records.empty());
  uint8_t byte;
  EXPECT_FALSE(ShadowRead(0x4000, byte));
}

TEST_F(EmitCacheTest, SegmentWithoutFollowerReportsOnlyPastItsLastByte) {
  struct Case {
    const char *name;
    EmitCache *cache;
    int32_t kind;
    unsigned message;
  };
  const Case cases[] = {
      {"root", Caches().rootCode, 1, kMsgRootCodeFull},
      {"xmem", Caches().xmemCode, 2, kMsgXmemCodeFull},
      {"watch", Caches().watchCode, 3, kMsgCodeSegmentFull},
      {"const", Caches().constant, 7, kMsgConstantsFull},
  };
  for (const Case &c : cases) {
    NextCompile(); // each case ends in a fatal report
    const bool xmem = c.kind == 2;
    Origin(std::string(c.name) + (xmem ? " 0x10 0xE000 0x200 apply" : " 0 0x4000 0x200 apply"), c.cache, c.kind);
    EmitCount(*c.cache, 0x200);
    c.cache->CheckSpaceGuarded(); // exactly full: every byte stored inside
    EXPECT_TRUE(sink.records.empty()) << c.name;
    c.cache->EmitByte(0);
    EXPECT_THROW(c.cache->CheckSpaceGuarded(), xErr) << c.name;
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{c.message}) << c.name;
  }
}

TEST_F(EmitCacheTest, DownwardVariablesHoldTheirWholeSegment) {
  EmitCache &vars = *Caches().rootVariable;
  Origin("vars 0 0xC000 0x100 apply", &vars, 4);
  ADDR24 first = ReserveRootVariableBytes(0x80);
  ADDR24 second = ReserveRootVariableBytes(0x80);
  EXPECT_EQ(first.logical, 0xBF81);
  EXPECT_EQ(second.logical, 0xBF01);
  vars.CheckSpaceGuarded();
  EXPECT_TRUE(sink.records.empty());
  ReserveRootVariableBytes(1);
  EXPECT_THROW(vars.CheckSpaceGuarded(), xErr);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgVariablesFull});
}

class LimitedRootData : public CodeGenCollaborators {
public:
  uint32_t RootDataLowerLimit() override { return 0xBF00; }
  bool NeedsNopBefore(uint8_t byte) override { return byte == 0xED; }
};

TEST_F(EmitCacheTest, RootDataLimitAndTheNopTrigger) {
  LimitedRootData limits;
  SetCodeGenCollaborators(&limits);
  Origin("vars 0 0xC000 0x400 apply", Caches().rootVariable, 4);
  EXPECT_EQ(ReserveRootVariableBytes(0x100).logical, 0xBF01);
  ADDR24 refused = ReserveRootVariableBytes(2);
  EXPECT_EQ(Addr24ToLong(refused), 0u);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgRootDataFull});
  EXPECT_EQ(Caches().rootVariable->Current().logical, 0xBF00);

  Origin("code 0 0x100 0x1000 apply", Caches().rootCode);
  EmitCodeByte(0xED);
  EmitCodeByte(0x01);
  Caches().rootCode->Flush();
  EXPECT_EQ(writer.runs.back().bytes, (std::vector<uint8_t>{0x00, 0xED, 0x01}));
  SetCodeGenCollaborators(nullptr);
}

TEST_F(EmitCacheTest, PatchesFindTheCacheWhoseWindowHoldsTheAddress) {
  Origin("code 0 0x100 0x1000 apply", Caches().rootCode);
  Origin("xc 0x10 0xE000 0x1000 apply", Caches().xmemCode, 2);
  Origin("dbg 0x20 0xE000 0x1000 debug", Caches().xmemCode, 2);
  EmitCache &debug = *Caches().debugXmem;
  Origin("dbg resume", &debug, 2);
  Emit(debug, {0, 0, 0});
  Emit(*Caches().xmemCode, {0, 0});
  PatchCodeWord(MakeAddr24(0x20, 0xE001), 0x1234);
  PatchCodeWord(MakeAddr24(0x10, 0xE000), 0xBEEF);
  EXPECT_EQ(debug.ReadAt(MakeAddr24(0x20, 0xE001)), 0x34);
  EXPECT_EQ(debug.ReadAt(MakeAddr24(0x20, 0xE002)), 0x12);
  EXPECT_EQ(Caches().xmemCode->ReadAt(MakeAddr24(0x10, 0xE000)), 0xEF);
  EXPECT_TRUE(writer.runs.empty());
}

} // namespace
} // namespace tsw::testing
