#include "gui/common/model/tswrange.h"

namespace tsw::gui {

cRangeData::~cRangeData() = default;

cRangeTree::cRangeTree() { spans_.emplace(0, nullptr); }

cRangeTree::Span cRangeTree::Find(uint32_t pos) const {
  auto next = spans_.upper_bound(pos);
  auto at = std::prev(next);
  return {at->first, next == spans_.end() ? kEnd : next->first, at->second.get()};
}

bool cRangeTree::Lookup(uint32_t pos, uint32_t *upper, const cRangeData **data) const {
  Span span = Find(pos);
  if (upper)
    *upper = span.upper;
  if (data)
    *data = span.data;
  return span.data != nullptr;
}

bool cRangeTree::SameData(const cRangeData *a, const cRangeData *b) {
  if (!a || !b)
    return a == b;
  return a->IsEqual(*b);
}

void cRangeTree::SplitAt(uint32_t at) {
  if (at == kEnd || spans_.count(at))
    return;
  auto owner = std::prev(spans_.upper_bound(at));
  spans_.emplace(at, owner->second ? owner->second->Clone() : nullptr);
}

bool cRangeTree::Insert(uint32_t from, uint32_t to, std::unique_ptr<cRangeData> data) {
  Span span = Find(from);
  if (from >= to || span.data || to > span.upper)
    return false;
  spans_[from] = std::move(data);
  if (to != span.upper)
    spans_.emplace(to, nullptr);
  return true;
}

void cRangeTree::Assign(uint32_t from, uint32_t to, std::unique_ptr<cRangeData> data) {
  if (from >= to)
    return;
  SplitAt(to);
  SplitAt(from);
  spans_.erase(spans_.upper_bound(from), spans_.lower_bound(to));
  auto at = spans_.find(from);
  auto next = std::next(at);
  if (next != spans_.end() && SameData(next->second.get(), data.get())) {
    data = std::move(next->second);
    spans_.erase(next);
  }
  at->second = std::move(data);
  if (at != spans_.begin() && SameData(std::prev(at)->second.get(), at->second.get()))
    spans_.erase(at);
}

uint32_t cRangeTree::Remove(uint32_t pos) {
  auto at = spans_.find(pos);
  if (at == spans_.end() || !at->second)
    return 0;
  auto next = std::next(at);
  uint32_t upper = next == spans_.end() ? kEnd : next->first;
  at->second.reset();
  if (next != spans_.end() && !next->second)
    spans_.erase(next);
  if (at != spans_.begin() && !std::prev(at)->second)
    spans_.erase(at);
  return upper;
}

void cRangeTree::Shift(int32_t delta) {
  lastShift_ = delta;
  if (delta == 0)
    return;
  Map moved;
  if (delta < 0) {
    uint32_t gone = uint32_t(-int64_t(delta));
    // The span of the highest boundary that goes now starts at 0; those
    // below it go with their data.
    auto keep = std::prev(spans_.upper_bound(gone));
    moved.emplace(0, std::move(keep->second));
    for (auto it = std::next(keep); it != spans_.end(); ++it)
      moved.emplace(it->first - gone, std::move(it->second));
  } else {
    for (auto &[start, data] : spans_) {
      if (start == 0) {
        moved.emplace(0, std::move(data));
        continue;
      }
      if (uint64_t(start) + uint64_t(delta) >= kEnd)
        break;
      moved.emplace(start + uint32_t(delta), std::move(data));
    }
  }
  spans_ = std::move(moved);
}

} // namespace tsw::gui
