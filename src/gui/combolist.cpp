#include "gui/combolist.h"

#include <algorithm>
#include <vector>

namespace tsw {
namespace {

constexpr char kSeparator = ',';
constexpr char kEscape = '\\';

// Splits at unescaped commas. A backslash before anything but a comma or a
// backslash is an ordinary character, as in texts stored before escaping.
std::vector<std::string> SplitCommaText(std::string_view text) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == kEscape && i + 1 < text.size() && (text[i + 1] == kSeparator || text[i + 1] == kEscape)) {
      pieces.back() += text[++i];
    } else if (c == kSeparator) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

} // namespace

void cComboList::Push(std::string_view text) {
  if (text.empty() || capacity_ <= 0)
    return;
  if (Count() >= capacity_)
    entries_.pop_front();
  entries_.emplace_back(text.substr(0, entrySize_ > 0 ? entrySize_ - 1 : 0));
}

void cComboList::ForEach(const std::function<void(const std::string &)> &add) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    add(*it);
}

std::string cComboList::GetCommaText() const {
  std::string text;
  for (const std::string &entry : entries_) {
    if (&entry != &entries_.front())
      text += kSeparator;
    for (char c : entry) {
      if (c == kSeparator || c == kEscape)
        text += kEscape;
      text += c;
    }
  }
  return text;
}

void cComboList::SetFromCommaText(std::string_view text, int32_t n) {
  n = std::clamp(n, 0, std::max(capacity_, 0));
  if (text.empty() || n == 0)
    return;
  std::vector<std::string> pieces = SplitCommaText(text);
  pieces.erase(std::remove(pieces.begin(), pieces.end(), std::string()), pieces.end());
  if (pieces.empty())
    return;
  for (int32_t i = 0; i < n; ++i)
    Push(pieces[std::min<size_t>(static_cast<size_t>(i), pieces.size() - 1)]);
}

} // namespace tsw
