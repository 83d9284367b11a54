#include "gui/debugpanes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <fmt/format.h>

#include "debugger/debugengine.h"
#include "foundation/xerr.h"
#include "gui/debuginfo.h"
#include "gui/watchlist.h"

namespace tsw {

cLinePane::cLinePane(gui::PaneHost &host, uint16_t rows, uint16_t width) : cShellRingPane(rows, width, 0, host) {}

cWatchPane::cWatchPane(gui::PaneHost &host, InfoSource program, WatchServices &services, ADDR24 pc)
    : cLinePane(host, kWatchPaneRows, kWatchPaneWidth), program_(std::move(program)),
      own_(std::make_unique<cDebugInfo>()), services_(services) {
  CompileIfStale(pc);
}

cWatchPane::~cWatchPane() {
  cDebugInfo &info = Info();
  info.Watches().SetServices(nullptr);
  info.History().SetServices(nullptr);
}

cDebugInfo &cWatchPane::Info() {
  cDebugInfo *info = program_ ? program_() : nullptr;
  if (!info)
    info = own_.get();
  info->Watches().SetKind(cWatchList::kWatchKind);
  info->History().SetKind(cWatchList::kHistoryKind);
  info->Watches().SetServices(&services_);
  info->History().SetServices(&services_);
  return *info;
}

cWatchList &cWatchPane::Watches() { return Info().Watches(); }

void cWatchPane::CompileIfStale(ADDR24 pc) {
  cWatchList &watches = Watches();
  // A compile since the last one emptied the watch code area.
  if (compiledIn_ != services_.CompileCount()) {
    watches.MarkUncompiled();
    compiledIn_ = services_.CompileCount();
  }
  if (!watches.IsCompiled())
    watches.CompileAll(pc);
}

void cWatchPane::ShowValues(ADDR24 pc) {
  CompileIfStale(pc);
  WritePcLocationLines(pc, *this);
  cWatchList &watches = Watches();
  for (size_t i = 0; i < std::min(watches.Count(), kMaxWatchLines); ++i)
    AppendLine(watches.FormatLine(i, pc).substr(0, kWatchPaneWidth));
}

void cWatchPane::StoreValues(size_t count, const uint8_t *entries, size_t size) {
  Watches().StoreTargetValues(count, entries, size);
}

void cWatchPane::Clear() {
  cDebugInfo &info = Info();
  info.Watches().Clear();
  info.History().Clear();
  cLinePane::Clear();
}

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

namespace {
// The sum ends at this column of its row.
constexpr size_t kSumEndColumn = 44;
} // namespace

void cListingPane::RestoreAnnotated() { Ring().SetLine(annotated_, savedText_); }

void cListingPane::SumPress(int32_t row) {
  pressed_ = true;
  if (sumShown_) {
    RestoreAnnotated();
    sumShown_ = false;
  }
  anchor_ = annotated_ = lastRow_ = row;
  savedText_ = Ring().GetLine(row);
}

void cListingPane::SumDrag(int32_t row) {
  if (!pressed_ || row == lastRow_ || row - 1 <= anchor_)
    return;
  const int32_t last = row - 1;
  long sum = 0;
  bool complete = true;
  for (int32_t r = anchor_; r <= last; ++r) {
    const int16_t count = size_t(r) < clocks_.size() ? clocks_[size_t(r)] : 0;
    if (count == 0)
      complete = false;
    sum += count;
  }
  const std::string text = complete ? fmt::format("{}", sum) : fmt::format("  *{}", sum);
  if (sumShown_)
    RestoreAnnotated();
  annotated_ = last;
  savedText_ = Ring().GetLine(last);
  std::string shown = savedText_;
  if (shown.size() < kSumEndColumn)
    shown.resize(kSumEndColumn, ' ');
  shown.replace(kSumEndColumn - std::min(text.size(), kSumEndColumn), std::min(text.size(), kSumEndColumn), text);
  Ring().SetLine(last, shown);
  lastRow_ = row;
  sumShown_ = true;
}

void cListingPane::mousePressEvent(QMouseEvent *event) {
  cShellRingPane::mousePressEvent(event);
  if (event->button() == Qt::LeftButton)
    SumPress(CaretRow());
}

void cListingPane::mouseMoveEvent(QMouseEvent *event) {
  cShellRingPane::mouseMoveEvent(event);
  SumDrag(CaretRow());
}

void cListingPane::mouseReleaseEvent(QMouseEvent *event) {
  cShellRingPane::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton)
    SumRelease();
}

// The logical forms move within their 64 KB, their segment kept; moving
// by the physical line of a segment address would leave the segment.
DumpAddressing ScrollDump(DumpAddressing at, DumpScroll code, int32_t position) {
  const bool physical = at.physicalForm;
  const int32_t limit = physical ? kPhysicalDumpTopLimit : kLogicalDumpTopLimit;
  const uint32_t address = physical ? at.physicalAddress : at.address.logical;
  const int32_t line = int32_t(address / kDumpBytesPerLine);
  const uint32_t within = address % kDumpBytesPerLine;
  constexpr int32_t kPage = int32_t(kDumpLines);
  int32_t next = line;
  switch (code) {
  case DumpScroll::LineUp: next = line == 0 ? limit : line - 1; break;
  case DumpScroll::LineDown:
    if (!physical && line + 1 > limit) {
      // Past the last page the logical forms go on through the top of
      // their 64 KB.
      at.address.logical = uint16_t(at.address.logical + kDumpBytesPerLine);
      return at;
    }
    next = line + 1;
    break;
  case DumpScroll::PageUp: next = line - kPage; break;
  case DumpScroll::PageDown: next = line + kPage; break;
  case DumpScroll::Position: next = position; break;
  case DumpScroll::Top: next = 0; break;
  case DumpScroll::Bottom: next = limit; break;
  }
  if (next < 0 || next > limit)
    next = 0;
  if (physical)
    at.physicalAddress = uint32_t(next) * kDumpBytesPerLine;
  else
    at.address.logical = uint16_t(uint32_t(next) * kDumpBytesPerLine + within);
  return at;
}

cDumpPane::cDumpPane(gui::PaneHost &host) : cLinePane(host, kDumpLines + 1) {}

void cDumpPane::Scroll(DumpScroll code, int32_t position) {
  at_ = ScrollDump(at_, code, position);
  Refill();
}

void cDumpPane::keyPressEvent(QKeyEvent *event) {
  const int32_t row = gui::PosLine(Ring().GetCursor());
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  std::optional<DumpScroll> code;
  switch (event->key()) {
  case Qt::Key_Up: code = row == 0 ? std::optional(DumpScroll::LineUp) : std::nullopt; break;
  case Qt::Key_Down:
    code = row >= int32_t(kDumpLines) - 1 ? std::optional(DumpScroll::LineDown) : std::nullopt;
    break;
  case Qt::Key_PageUp: code = DumpScroll::PageUp; break;
  case Qt::Key_PageDown: code = DumpScroll::PageDown; break;
  case Qt::Key_Home: code = ctrl ? std::optional(DumpScroll::Top) : std::nullopt; break;
  case Qt::Key_End: code = ctrl ? std::optional(DumpScroll::Bottom) : std::nullopt; break;
  default: break;
  }
  if (!code) {
    cLinePane::keyPressEvent(event);
    return;
  }
  event->accept();
  const gui::TextPos caret = Ring().GetCursor();
  Exchange([&] { Scroll(*code); });
  Ring().SetCursor(caret);
}

void cDumpPane::Exchange(const std::function<void()> &read) {
  if (exchange) {
    exchange(read);
    return;
  }
  // Nothing raised may reach the event loop.
  try {
    read();
  } catch (const xErr &error) {
    error.Report();
  }
}

void cDumpPane::wheelEvent(QWheelEvent *event) {
  const int notches = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
  event->accept();
  if (notches == 0)
    return;
  Exchange([&] {
    for (int i = 0; i < std::abs(notches); ++i)
      Scroll(notches > 0 ? DumpScroll::LineUp : DumpScroll::LineDown);
  });
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
