// A line table that cannot be allocated must neither end the program nor
// change the document. The allocator is replaced for this executable so that
// a test can refuse large requests; every other allocation goes to malloc.
#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "gui/common/model/tswline.h"
#include "foundation/msgnumbers.h"
#include "model_fixture.h"

namespace {

// Requests at or above this size fail while it is non-zero.
std::atomic<std::size_t> gRefusedFrom{0};

} // namespace

// The compiler sees malloc under new and free under delete and takes them for
// a mismatch; they are this file's own pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size) {
  const std::size_t refused = gRefusedFrom.load();
  if (refused != 0 && size >= refused)
    throw std::bad_alloc();
  if (void *p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace tsw::gui {
namespace {

using testing::RecordingDocEvents;

// Large requests fail for the life of the scope.
struct RefuseLargeAllocations {
  explicit RefuseLargeAllocations(std::size_t from) { gRefusedFrom = from; }
  ~RefuseLargeAllocations() { gRefusedFrom = 0; }
};

constexpr std::size_t kLargeRequest = 64 * 1024;

TEST(LineTableAllocation, AFailedTableAtConstructionIsReportedAndTheDocumentStillOpens) {
  UndoPool pool;
  RecordingDocEvents events;
  std::unique_ptr<cBufLine> doc;
  {
    RefuseLargeAllocations refuse(kLargeRequest);
    doc = std::make_unique<cBufLine>(kMaxLines, MakeMemoryStore(), &pool, &events);
  }
  EXPECT_EQ(events.messages, (std::vector<std::pair<uint32_t, uint32_t>>{{kMsgNoTable, 0}}));
  EXPECT_EQ(doc->LinesUsed(), 1);
  EXPECT_EQ(doc->LineLength(0), 0);
  EXPECT_FALSE(doc->IsModified());
}

TEST(LineTableAllocation, ATableThatCannotGrowRefusesTheInsertAndKeepsTheLines) {
  UndoPool pool;
  RecordingDocEvents events;
  cBufLine doc(1, MakeMemoryStore(), &pool, &events);
  {
    RefuseLargeAllocations refuse(kLargeRequest);
    EXPECT_FALSE(doc.InsertLines(1, kMaxLines - 1));
  }
  EXPECT_EQ(doc.LinesUsed(), 1);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_TRUE(events.messages.empty());
  EXPECT_TRUE(doc.InsertLines(1, kMaxLines - 1)) << "the same insert once memory is there";
}

} // namespace
} // namespace tsw::gui
