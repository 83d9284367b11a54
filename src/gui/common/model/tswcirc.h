#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gui/common/model/tswdisp.h"

// The panes whose lines are a fixed ring of rows they hold themselves: the
// message window and the debugger panes. Output is appended at the end and
// the oldest row makes room when the ring is full.
namespace tsw::gui {

// What a ring tells its window beyond repaints: the colour ranges follow
// the rows.
class RingEvents {
public:
  virtual ~RingEvents();
  virtual void ShiftRanges(int32_t lines) = 0;
  virtual void DropRanges() = 0;
};

class cTextCircular : public cTextDisplay {
public:
  // `rows` rows of at most `width` characters; at least `minRows` lines
  // are shown.
  cTextCircular(const CharRules &rules, uint16_t rows, uint16_t width, uint16_t minRows);

  void SetRingEvents(RingEvents *events) { ringEvents_ = events; }

  const char *GetLine(int32_t line) override;
  int32_t LineCount() override { return usedRows_ + 1; }

  // Every row blank, the used rows back to the minimum.
  virtual void Clear();
  // The text as the newest row, dropping the oldest when the ring is full;
  // the caret goes to the start of the newest row.
  virtual void AppendLine(std::string_view text);
  // Rows beyond the used ones come into use; a line outside the ring is
  // ignored. A row keeps at most width - 1 characters.
  void SetLine(int32_t line, std::string_view text);
  void SetUsedRows(int32_t count);

  uint16_t Rows() const { return rows_; }
  uint16_t Width() const { return width_; }
  uint16_t UsedRows() const { return usedRows_; }
  // The selected rows joined by line feeds.
  std::string SelectedText();

private:
  char *Row(int32_t line) { return &block_[size_t((line + firstRow_) % rows_) * (width_ + 1u)]; }

  std::vector<char> block_;
  uint16_t width_;
  uint16_t rows_;
  uint16_t firstRow_ = 0;
  uint16_t minRows_;
  uint16_t usedRows_;
  RingEvents *ringEvents_ = nullptr;
};

} // namespace tsw::gui
