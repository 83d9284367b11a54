#include "gui/common/model/tswcirc.h"

#include <algorithm>
#include <cstring>

namespace tsw::gui {

RingEvents::~RingEvents() = default;

cTextCircular::cTextCircular(const CharRules &rules, uint16_t rows, uint16_t width, uint16_t minRows)
    : cTextDisplay(rules), block_(size_t(rows) * (width + 1u), '\0'), width_(width), rows_(rows),
      minRows_(std::min(minRows, rows)), usedRows_(minRows_) {
  Clear();
}

const char *cTextCircular::GetLine(int32_t line) {
  if (line >= 0 && line < usedRows_)
    return Row(line);
  return line == usedRows_ ? "" : nullptr;
}

void cTextCircular::Clear() {
  if (ringEvents_)
    ringEvents_->DropRanges();
  for (uint16_t row = 0; row < rows_; ++row) {
    char *text = &block_[size_t(row) * (width_ + 1u)];
    std::memset(text, ' ', width_);
    text[width_] = '\0';
  }
  firstRow_ = 0;
  usedRows_ = minRows_;
  // The caret and the selection could name rows no longer in use.
  PlaceCaret(0);
  SetAnchorAndEnd(0);
  if (Events())
    Events()->ScrollRangeChanged(LineCount());
  Repaint(0, kNoPos);
}

void cTextCircular::SetUsedRows(int32_t count) {
  if (count < minRows_ || count > rows_ || count == usedRows_)
    return;
  usedRows_ = uint16_t(count);
  if (Events())
    Events()->ScrollRangeChanged(LineCount());
}

void cTextCircular::SetLine(int32_t line, std::string_view text) {
  if (line < 0 || line >= rows_ || width_ == 0)
    return;
  if (line >= usedRows_)
    SetUsedRows(line + 1);
  char *row = Row(line);
  size_t kept = std::min<size_t>(text.size(), width_ - 1u);
  std::memcpy(row, text.data(), kept);
  row[kept] = '\0';
  row[width_] = '\0';
  Repaint(MakePos(line, 0), MakePos(line, width_));
}

void cTextCircular::AppendLine(std::string_view text) {
  if (rows_ == 0)
    return;
  if (usedRows_ < rows_) {
    SetLine(usedRows_, text);
  } else {
    SetLine(0, text);
    firstRow_ = uint16_t((firstRow_ + 1) % rows_);
    if (ringEvents_)
      ringEvents_->ShiftRanges(-1);
    Repaint(0, kNoPos);
  }
  SetCursor(MakePos(usedRows_ - 1, 0));
}

std::string cTextCircular::SelectedText() {
  TextPos from = SelectionStart(), to = SelectionEnd();
  std::string text;
  for (int32_t line = PosLine(from); line <= PosLine(to); ++line) {
    const char *row = GetLine(line);
    std::string_view whole = row ? std::string_view(row) : std::string_view();
    size_t start = line == PosLine(from) ? std::min<size_t>(PosColumn(from), whole.size()) : 0;
    size_t end = line == PosLine(to) ? std::min<size_t>(PosColumn(to), whole.size()) : whole.size();
    text.append(whole.substr(start, end > start ? end - start : 0));
    if (line < PosLine(to))
      text += '\n';
  }
  return text;
}

} // namespace tsw::gui
