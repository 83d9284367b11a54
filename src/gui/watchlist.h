#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsw {

// A list of watch expressions: the watches of a program (kind 1), or the
// history of texts typed into the watch dialog (kind 0). Compiling and
// evaluating the entries comes with the watch pane.
class cWatchList {
public:
  static constexpr uint8_t kHistoryKind = 0;
  static constexpr uint8_t kWatchKind = 1;

  explicit cWatchList(uint8_t kind) : kind_(kind) {}

  uint8_t Kind() const { return kind_; }
  size_t Count() const { return expressions_.size(); }
  const std::string &GetExpression(size_t index) const { return expressions_[index]; }
  const std::vector<std::string> &Expressions() const { return expressions_; }
  // Before entry `position`; a negative position appends.
  void Insert(int position, std::string_view text);
  void Clear() { expressions_.clear(); }
  bool IsCompiled() const { return compiled_; }
  void MarkUncompiled() { compiled_ = false; }

private:
  uint8_t kind_;
  bool compiled_ = false;
  std::vector<std::string> expressions_;
};

} // namespace tsw
