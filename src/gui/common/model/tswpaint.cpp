#include "gui/common/model/tswpaint.h"

#include <algorithm>
#include <string>

namespace tsw::gui {

std::unique_ptr<cRangeData> cColorPair::Clone() const { return std::make_unique<cColorPair>(*this); }

bool cColorPair::IsEqual(const cRangeData &other) const {
  auto *pair = dynamic_cast<const cColorPair *>(&other);
  return pair && pair->background == background && pair->foreground == foreground;
}

namespace {

struct Run {
  uint32_t from, to;
  uint32_t foreground, background;
};

// The colours a range's pair shows in. A monochrome screen has only the
// pane's two colours: a dark background becomes inverse video.
void RangeColors(const cColorPair &pair, const PaneColors &colors, bool monochrome, Run &run) {
  if (!monochrome) {
    run.foreground = pair.foreground;
    run.background = pair.background;
  } else if (RgbSum(pair.background) <= RgbSum(pair.foreground)) {
    run.foreground = colors.background;
    run.background = colors.foreground;
  }
}

// The coloured runs of bytes [from, to) of `line`, before double-byte
// characters are split off.
std::vector<Run> ColorRuns(cTextDisplay &pane, int32_t line, uint32_t from, uint32_t to, const cRangeTree *ranges,
                           const PaneColors &colors, bool monochrome) {
  TextPos lineStart = MakePos(line, 0), lineEnd = MakePos(line, to);
  bool selected = pane.HasSelection() && pane.SelectionStart() < lineEnd && pane.SelectionEnd() > lineStart;
  TextPos selStart = pane.SelectionStart(), selEnd = pane.SelectionEnd();
  // A bound on another line, or on none, runs to the end of the line's span.
  auto column = [&](TextPos bound) {
    return bound == kNoPos || PosLine(bound) != line ? to : std::min<uint32_t>(PosColumn(bound), to);
  };
  std::vector<Run> runs;
  for (uint32_t at = from; at < to;) {
    TextPos pos = MakePos(line, at);
    Run run{at, to, colors.foreground, colors.background};
    if (selected && pos >= selStart && pos < selEnd) {
      run.to = selEnd > lineEnd ? to : column(selEnd);
      run.foreground = colors.selectionFg;
      run.background = colors.selectionBg;
    } else {
      if (ranges) {
        cRangeTree::Span span = ranges->Find(pos);
        run.to = span.upper > lineEnd ? to : column(span.upper);
        if (auto *pair = dynamic_cast<const cColorPair *>(span.data))
          RangeColors(*pair, colors, monochrome, run);
      }
      if (selected && selStart > pos && selStart < MakePos(line, run.to))
        run.to = column(selStart);
    }
    run.to = std::max(run.to, at + 1);
    runs.push_back(run);
    at = run.to;
  }
  return runs;
}

} // namespace

std::vector<PaintSegment> LineSegments(cTextDisplay &pane, int32_t line, int32_t displayFrom, int32_t displayTo,
                                       const cRangeTree *ranges, const PaneColors &colors, bool monochrome) {
  std::vector<PaintSegment> segments;
  if (line < 0 || line >= pane.LineCount())
    return segments;
  DisplayPos start = MakeDisplayPos(line + 1, displayFrom);
  uint32_t from = PosColumn(pane.DisplayColumnToOffset(start, true));
  DisplayPos end = MakeDisplayPos(line + 1, displayTo);
  uint32_t to = PosColumn(pane.DisplayColumnToOffset(end, true));
  // A character that starts left of the edge and reaches past it is drawn
  // whole too.
  uint16_t length = pane.LineLength(line);
  if (DisplayColumn(end) < displayTo && to < length)
    to = PosColumn(pane.NextPosition(MakePos(line, to)));
  const char *lineText = pane.GetLine(line);
  // A copy: the column conversions below fetch the line again.
  std::string text = lineText ? std::string(lineText, length) : std::string();
  pane.ReleaseLine(line);
  if (!lineText)
    return segments;
  std::vector<Run> runs = ColorRuns(pane, line, from, to, ranges, colors, monochrome);
  int32_t displayAt = DisplayColumn(start);
  uint32_t byteAt = from;
  auto add = [&](uint32_t byteFrom, uint32_t byteTo, const Run &run) {
    int32_t next = DisplayColumn(pane.OffsetToDisplayColumn(MakePos(line, byteTo), byteAt, displayAt));
    segments.push_back({byteFrom, byteTo, displayAt, next, run.foreground, run.background});
    byteAt = byteTo;
    displayAt = next;
  };
  for (const Run &run : runs) {
    uint32_t segmentStart = run.from;
    // Each double-byte character ends a segment, so that no segment cuts
    // one in two.
    for (uint32_t at = run.from; at < run.to; ++at) {
      if (at + 1 < run.to && pane.Rules().IsLeadByte(uint8_t(text[at]))) {
        ++at;
        add(segmentStart, at + 1, run);
        segmentStart = at + 1;
      }
    }
    if (segmentStart < run.to)
      add(segmentStart, run.to, run);
  }
  return segments;
}

} // namespace tsw::gui
