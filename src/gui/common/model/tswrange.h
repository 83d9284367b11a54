#pragma once

#include <cstdint>
#include <map>
#include <memory>

// The range tree: the whole space of 32-bit text positions cut into
// consecutive spans, each owning at most one data object (a colour pair).
// Kept as an ordered map of span starts, which gives the same spans as a
// tree of boundaries.
namespace tsw::gui {

class cRangeData {
public:
  virtual ~cRangeData();
  virtual std::unique_ptr<cRangeData> Clone() const = 0;
  virtual bool IsEqual(const cRangeData &other) const = 0;
};

class cRangeTree {
public:
  static constexpr uint32_t kEnd = 0xFFFFFFFF;

  struct Span {
    uint32_t lower;
    uint32_t upper;
    const cRangeData *data;
  };

  cRangeTree();

  Span Find(uint32_t pos) const;
  // True when the span of `pos` has data.
  bool Lookup(uint32_t pos, uint32_t *upper = nullptr, const cRangeData **data = nullptr) const;
  // Kept only when [from, to) lies inside one span without data.
  bool Insert(uint32_t from, uint32_t to, std::unique_ptr<cRangeData> data);
  // [from, to) becomes one span with `data`, whatever lay there; equal
  // neighbours merge with it.
  void Assign(uint32_t from, uint32_t to, std::unique_ptr<cRangeData> data);
  // Removes the data of the span starting at `pos`: its upper bound, or 0
  // when no such span has data.
  uint32_t Remove(uint32_t pos);
  // Moves every boundary; those that would leave the space go, with the
  // spans beyond them.
  void Shift(int32_t delta);
  int32_t LastShift() const { return lastShift_; }
  size_t SpanCount() const { return spans_.size(); }

private:
  using Map = std::map<uint32_t, std::unique_ptr<cRangeData>>;
  // Makes `at` a span start, the new span taking a clone of the old data.
  void SplitAt(uint32_t at);
  static bool SameData(const cRangeData *a, const cRangeData *b);

  Map spans_;
  int32_t lastShift_ = 0;
};

} // namespace tsw::gui
