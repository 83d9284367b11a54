#include "gui/common/model/tswrange.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tsw::gui {
namespace {

// Data that is told apart by a name.
struct Named : cRangeData {
  explicit Named(std::string n) : name(std::move(n)) {}
  std::string name;
  std::unique_ptr<cRangeData> Clone() const override { return std::make_unique<Named>(name); }
  bool IsEqual(const cRangeData &other) const override {
    auto *named = dynamic_cast<const Named *>(&other);
    return named && named->name == name;
  }
};

std::unique_ptr<cRangeData> N(const char *name) { return std::make_unique<Named>(name); }

// The spans with data as "lower-upper:name".
std::string Spans(const cRangeTree &tree) {
  std::string out;
  for (uint32_t pos = 0;;) {
    cRangeTree::Span span = tree.Find(pos);
    if (span.data)
      out += std::to_string(span.lower) + "-" + std::to_string(span.upper) + ":" +
             static_cast<const Named *>(span.data)->name + " ";
    if (span.upper == cRangeTree::kEnd)
      break;
    pos = span.upper;
  }
  return out;
}

TEST(RangeTree, InsertKeepsOnlyRangesInsideOneEmptySpan) {
  cRangeTree tree;
  EXPECT_TRUE(tree.Insert(5, 10, N("a")));
  EXPECT_FALSE(tree.Insert(8, 12, N("b")));
  EXPECT_FALSE(tree.Insert(0, 6, N("c")));
  EXPECT_TRUE(tree.Insert(10, 12, N("d")));
  EXPECT_EQ(Spans(tree), "5-10:a 10-12:d ");
  uint32_t upper = 0;
  const cRangeData *data = nullptr;
  EXPECT_TRUE(tree.Lookup(7, &upper, &data));
  EXPECT_EQ(upper, 10u);
  EXPECT_FALSE(tree.Lookup(12));
}

TEST(RangeTree, RemoveMergesBackToOneEmptySpan) {
  cRangeTree tree;
  tree.Insert(5, 10, N("a"));
  EXPECT_EQ(tree.Remove(6), 0u) << "only at a span's start";
  EXPECT_EQ(tree.Remove(5), 10u);
  EXPECT_EQ(tree.SpanCount(), 1u);
  EXPECT_EQ(tree.Remove(5), 0u);
}

TEST(RangeTree, AssignOverwritesClonesCutEndsAndMergesEqualNeighbours) {
  struct Step {
    uint32_t from, to;
    const char *name; // null: no data
  };
  struct Case {
    const char *title;
    std::vector<Step> steps;
    std::string spans;
  } cases[] = {
      {"cuts keep their data outside", {{0, 100, "a"}, {40, 60, "b"}}, "0-40:a 40-60:b 60-100:a "},
      {"covers several ranges", {{10, 20, "a"}, {30, 40, "b"}, {15, 35, "c"}}, "10-15:a 15-35:c 35-40:b "},
      {"merges with the equal span after", {{20, 30, "a"}, {10, 20, "a"}}, "10-30:a "},
      {"merges with the equal span before", {{10, 20, "a"}, {20, 30, "a"}}, "10-30:a "},
      {"merges inside an equal range", {{10, 50, "a"}, {20, 30, "a"}}, "10-50:a "},
      {"no data empties a hole", {{10, 50, "a"}, {20, 30, nullptr}}, "10-20:a 30-50:a "},
      {"all of it with no data", {{10, 50, "a"}, {60, 70, "b"}, {0, cRangeTree::kEnd, nullptr}}, ""},
  };
  for (const Case &c : cases) {
    cRangeTree tree;
    for (const Step &s : c.steps)
      tree.Assign(s.from, s.to, s.name ? N(s.name) : nullptr);
    EXPECT_EQ(Spans(tree), c.spans) << c.title;
  }
  cRangeTree cleared;
  cleared.Assign(10, 50, N("a"));
  cleared.Assign(0, cRangeTree::kEnd, nullptr);
  EXPECT_EQ(cleared.SpanCount(), 1u);
}

TEST(RangeTree, ShiftMovesBoundariesAndDropsThoseThatLeave) {
  constexpr uint32_t kLine = 65536;
  cRangeTree tree;
  tree.Insert(2, 5, N("line0"));
  tree.Insert(kLine + 2, kLine + 5, N("line1"));
  tree.Shift(-int32_t(kLine));
  EXPECT_EQ(Spans(tree), "2-5:line1 ");
  EXPECT_EQ(tree.LastShift(), -int32_t(kLine));

  cRangeTree top;
  top.Insert(10, 20, N("low"));
  top.Insert(cRangeTree::kEnd - 30, cRangeTree::kEnd - 10, N("high"));
  top.Shift(15);
  EXPECT_EQ(Spans(top),
            "25-35:low " + std::to_string(cRangeTree::kEnd - 15) + "-" + std::to_string(cRangeTree::kEnd) + ":high ")
      << "the range cut at the top runs to the end";
}

} // namespace
} // namespace tsw::gui
