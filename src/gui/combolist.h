#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace tsw {

// A bounded history of texts behind a combo box, oldest first. Stored as one
// comma text; a comma or backslash inside an entry is written with a
// backslash before it, so "a,b" comes back as one entry, while texts
// without either read as they always did.
class cComboList {
public:
  static constexpr int32_t kDefaultCapacity = 15;
  static constexpr size_t kDefaultEntrySize = 80; // the terminating byte included

  explicit cComboList(int32_t capacity = kDefaultCapacity, size_t entrySize = kDefaultEntrySize)
      : capacity_(capacity), entrySize_(entrySize) {}

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  int32_t Capacity() const { return capacity_; }
  size_t EntrySize() const { return entrySize_; }

  // Appends `text` (cut to the entry size - 1) as the newest entry; when
  // full, the oldest drops. An empty text never enters a history.
  void Push(std::string_view text);
  // Every entry, newest first: index 0 of a combo box filled this way holds
  // the newest text.
  void ForEach(const std::function<void(const std::string &)> &add) const;
  std::string GetCommaText() const;
  // Adds up to `n` entries (clamped to the capacity) from a comma text; the
  // first piece becomes the oldest. When the text holds fewer pieces, its
  // last piece stands in for each missing one. The list is not cleared.
  void SetFromCommaText(std::string_view text, int32_t n);
  void Clear() { entries_.clear(); }
  const std::deque<std::string> &Entries() const { return entries_; }

private:
  int32_t capacity_;
  size_t entrySize_;
  std::deque<std::string> entries_; // oldest first
};

} // namespace tsw
