#include "gui/common/model/tswbuf.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "model_fixture.h"
#include "support/tempdir.h"

namespace tsw::gui {
namespace {

using testing::CountingStore;

struct StoreFixture : ::testing::Test {
  std::shared_ptr<CountingStore::Counts> counts = std::make_shared<CountingStore::Counts>();
  CountingStore *store = nullptr;
  std::unique_ptr<cTextBuf> buf;
  void SetUp() override {
    auto made = std::make_unique<CountingStore>(counts);
    store = made.get();
    buf = std::make_unique<cTextBuf>(8, std::move(made));
  }
};

TEST(PageStoreSlots, RequestedCountRoundsUpToPowerOfTwoPlusSpare) {
  struct Case {
    unsigned requested, mask;
  } cases[] = {{1, 0}, {2, 1}, {3, 3}, {8, 7}, {9, 15}, {16, 15}};
  for (const Case &c : cases) {
    cTextBuf buf(c.requested, MakeMemoryStore());
    EXPECT_EQ(buf.SlotMask(), c.mask) << c.requested;
    EXPECT_EQ(buf.SlotCount(), c.mask + 2) << c.requested;
  }
}

TEST_F(StoreFixture, StoredSizesFollowLengthAndKeepFull) {
  struct Case {
    size_t length;
    bool keepFull;
    uint16_t storedSize, storedLength;
  } cases[] = {
      {0, false, 1, 0}, {10, false, 11, 10}, {10, true, 513, 10}, {512, false, 513, 512}, {600, false, 513, 512}};
  for (const Case &c : cases) {
    uint32_t before = buf->UsedEnd();
    std::string text(c.length, 'x');
    StoredText stored = buf->StoreText(text, c.keepFull);
    EXPECT_EQ(stored.storedSize, c.storedSize) << c.length;
    EXPECT_EQ(stored.length, c.storedLength) << c.length;
    EXPECT_EQ(buf->UsedEnd() - before, c.storedSize) << c.length;
    EXPECT_EQ(buf->ReadText(stored.handle), text.substr(0, c.storedLength));
  }
}

TEST_F(StoreFixture, AnyByteIsKeptIncludingNulAndCr) {
  std::string text("a\0b\rc\n", 6);
  StoredText stored = buf->StoreText(text, false);
  EXPECT_EQ(buf->ReadText(stored.handle), text);
}

TEST_F(StoreFixture, FullLineInLastDirectSlotRunsIntoSpareAndReadsBackWhole) {
  // Move the used end to the last byte of page 7 (home slot 7, the last
  // direct slot): the text then ends in the spare slot.
  buf->Allocate(8 * kPageSize - 1);
  std::string text(512, 'q');
  text[0] = 'A';
  text[511] = 'Z';
  StoredText stored = buf->StoreText(text, false);
  ASSERT_EQ(stored.handle, 8 * kPageSize - 1);
  char *locked = buf->Lock(stored.handle);
  ASSERT_NE(locked, nullptr);
  EXPECT_EQ(std::string(locked, 512), text);
  EXPECT_EQ(locked[512], '\0');
  EXPECT_EQ(buf->SlotPage(buf->SlotMask() + 1), 8);
  buf->Unlock(stored.handle);
}

TEST_F(StoreFixture, PageMovesBetweenSpareAndSlotZeroWithoutSecondRead) {
  // Texts on pages 7 and 8, all written out, so both must be read again.
  StoredText first = buf->StoreText("", false);
  buf->Allocate(7 * kPageSize + 100 - buf->UsedEnd());
  StoredText onSeven = buf->StoreText("seven", false);
  buf->Allocate(8 * kPageSize + 10 - buf->UsedEnd());
  StoredText onEight = buf->StoreText("eight", false);
  // Evict everything by touching pages 16..25.
  buf->Allocate(26 * kPageSize - buf->UsedEnd());
  (void)first;
  int readsBefore = counts->reads;
  buf->Lock(onSeven.handle); // page 7 to slot 7, page 8 to the spare
  buf->Unlock(onSeven.handle);
  EXPECT_EQ(counts->reads - readsBefore, 2);
  readsBefore = counts->reads;
  char *text = buf->Lock(onEight.handle); // page 8 moves to slot 0
  EXPECT_EQ(counts->reads - readsBefore, 1) << "only page 9 is read";
  EXPECT_EQ(std::string(text, 5), "eight");
  EXPECT_EQ(buf->SlotPage(0), 8);
  EXPECT_EQ(buf->SlotPage(buf->SlotMask() + 1), -1);
  buf->Unlock(onEight.handle);
}

TEST_F(StoreFixture, SecondLockIsRefusedAndChangesNothing) {
  StoredText a = buf->StoreText("a", false);
  StoredText b = buf->StoreText("b", false);
  ASSERT_NE(buf->Lock(a.handle), nullptr);
  EXPECT_EQ(buf->Lock(b.handle), nullptr);
  EXPECT_EQ(buf->LockedOffset(), a.handle);
  EXPECT_EQ(buf->UnlockWritten(b.handle, 0), 0u);
  buf->Unlock(a.handle);
  EXPECT_EQ(buf->LockedOffset(), cTextBuf::kNotLocked);
}

TEST_F(StoreFixture, ManyPagesReadBackAndAdjacentDirtyPagesGoInOneWrite) {
  std::vector<StoredText> stored;
  for (int i = 0; i < 200; ++i)
    stored.push_back(buf->StoreText(std::string(100 + i, char('a' + i % 26)), false));
  EXPECT_GT(buf->FileEnd() / kPageSize, 9u);
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(buf->ReadText(stored[size_t(i)].handle), std::string(100 + i, char('a' + i % 26))) << i;
  bool multiPage = false;
  for (auto [offset, count] : counts->writeCalls)
    multiPage |= count > kPageSize;
  EXPECT_TRUE(multiPage);
  EXPECT_EQ(buf->ErrorFlags(), 0);
}

TEST_F(StoreFixture, FailingWriteSetsFlag16) {
  store->failWrites = true;
  for (int i = 0; i < 40; ++i)
    buf->StoreText(std::string(300, 'w'), false);
  EXPECT_TRUE(buf->ErrorFlags() & cTextBuf::kIoFailed);
}

TEST(TempFileStore, LivesInTmpdirAndLeavesNoFile) {
  tsw::testing::TempDir dir;
  const char *old = std::getenv("TMPDIR");
  std::string saved = old ? old : "";
  setenv("TMPDIR", dir.path().c_str(), 1);
  {
    cTextBuf buf(8);
    StoredText stored = buf.StoreText("kept", false);
    for (int i = 0; i < 50; ++i)
      buf.StoreText(std::string(400, 'z'), false);
    EXPECT_EQ(buf.ReadText(stored.handle), "kept");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the page file is unlinked at once";
  }
  setenv("TMPDIR", (dir.path() + "/missing").c_str(), 1);
  EXPECT_THROW(cTextBuf(8), xFileOpen);
  if (old)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
}

} // namespace
} // namespace tsw::gui
