#include "gui/debugpanes.h"

#include <QKeyEvent>

#include "debugger/debugengine.h"

namespace tsw {

cLinePane::cLinePane(gui::PaneHost &host, uint16_t rows) : cShellRingPane(rows, kDebugPaneWidth, 0, host) {}

void cLinePane::CaretHome() { Ring().SetCursor(gui::MakePos(0, 0)); }

std::vector<std::string> cLinePane::Lines() const {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < Ring().UsedRows(); ++i)
    lines.emplace_back(Ring().GetLine(i));
  return lines;
}

cListingPane::cListingPane(gui::PaneHost &host, uint32_t executionFg, uint32_t executionBg)
    : cShellRingPane(kDebugPaneRows, kDebugPaneWidth, 0, host), executionFg_(executionFg),
      executionBg_(executionBg) {}

uint16_t cListingPane::FirstVisibleColumn() {
  // The display counts columns from 1, the listing from 0.
  return uint16_t(gui::DisplayColumn(Ring().FirstVisible()) - 1);
}

void cListingPane::Clear() {
  Ring().Clear();
  clocks_.clear();
}

void cListingPane::AppendLine(const std::string &line, int16_t clockCount) {
  Ring().AppendLine(line);
  // The ring drops its oldest row when full; the counts follow it.
  if (clocks_.size() >= Ring().Rows())
    clocks_.erase(clocks_.begin());
  clocks_.push_back(clockCount);
}

void cListingPane::MarkExecutionLines(uint16_t fromLine, uint16_t toLine) {
  AddColorRange(gui::MakePos(fromLine, 0), gui::MakePos(toLine, 0), executionBg_, executionFg_, true);
}

cDumpPane::cDumpPane(gui::PaneHost &host) : cLinePane(host, kDumpLines + 1) {}

void cDumpPane::ScrollLineDown() {
  at_.physicalAddress = (at_.physicalAddress + kDumpBytesPerLine) & kPhysicalMask;
  at_.address.logical = uint16_t(at_.address.logical + kDumpBytesPerLine);
  Refill();
}

void cDumpPane::Refill() {
  cLinePane::Clear();
  FillDumpWindow(at_, this, 0, nullptr);
  CaretHome();
}

cStdioPane::cStdioPane(gui::PaneHost &host) : cShellRingPane(kDebugPaneRows, kDebugPaneWidth, 0, host) {}

void cStdioPane::Write(const uint8_t *bytes, size_t count) {
  gui::cTextCircular &ring = Ring();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = bytes[i];
    if (byte == '\r')
      continue;
    if (byte == '\n') {
      if (!lineOpen_)
        ring.AppendLine("");
      lineOpen_ = false;
      line_.clear();
      continue;
    }
    // A row holds one character less than the ring's width; a longer line
    // goes on in the next row.
    if (lineOpen_ && line_.size() + 1 >= ring.Width()) {
      lineOpen_ = false;
      line_.clear();
    }
    if (!lineOpen_) {
      ring.AppendLine("");
      row_ = ring.UsedRows() - 1;
      lineOpen_ = true;
    }
    line_ += char(byte);
    ring.SetLine(row_, line_);
  }
}

std::optional<uint8_t> cStdioPane::ReadTyped() {
  if (typed_.empty())
    return std::nullopt;
  uint8_t key = typed_.front();
  typed_.pop_front();
  return key;
}

void cStdioPane::Clear() {
  Ring().Clear();
  line_.clear();
  lineOpen_ = false;
  typed_.clear();
}

bool cStdioPane::KeyTyped(QKeyEvent *event) {
  const QString text = event->text();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    typed_.push_back('\r');
    return true;
  }
  if (text.size() != 1 || text[0].unicode() > 0xFF)
    return false;
  typed_.push_back(uint8_t(text[0].unicode()));
  return true;
}

} // namespace tsw
