#include "gui/common/model/tswdisp.h"

#include <algorithm>
#include <cstring>

namespace tsw::gui {

namespace {

constexpr int32_t kBaseLineCount = 32767;
// Keeping the caret in view leaves this many lines and columns of context.
constexpr int32_t kViewMarginLines = 3;
constexpr int32_t kViewMarginLeftColumns = 3;
constexpr int32_t kViewMarginColumns = 2;
constexpr uint16_t kDefaultTabSize = 3;

uint16_t GlobalTabSize = kDefaultTabSize;

int32_t FloorDiv(int32_t value, int32_t divisor) {
  if (divisor == 0)
    return 0;
  int32_t quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
    --quotient;
  return quotient;
}

int32_t NextTabStop(int32_t column, int32_t tab) { return column + tab - (column - 1) % tab; }

} // namespace

CharRules::~CharRules() = default;
DisplayEvents::~DisplayEvents() = default;

uint16_t TabSize() { return GlobalTabSize; }
void SetTabSize(uint16_t size) { GlobalTabSize = size ? size : 1; }

cTextDisplay::cTextDisplay(const CharRules &rules, DisplayEvents *events) : rules_(rules), events_(events) {}
cTextDisplay::~cTextDisplay() = default;

void cTextDisplay::ReleaseLine(int32_t) {}
int32_t cTextDisplay::LineCount() { return kBaseLineCount; }

uint16_t cTextDisplay::LineLength(int32_t line) {
  const char *text = GetLine(line);
  uint16_t length = text ? uint16_t(std::strlen(text)) : 0;
  ReleaseLine(line);
  return length;
}

void cTextDisplay::CaretMoved() {}

void cTextDisplay::Repaint(TextPos from, TextPos to) {
  if (events_)
    events_->Repaint(from, to);
}

uint32_t cTextDisplay::CharSize(const char *text, uint16_t length, uint32_t column) const {
  return column + 1 < length && rules_.IsLeadByte(uint8_t(text[column])) ? 2 : 1;
}

bool cTextDisplay::IsBoundary(const char *text, uint16_t length, uint32_t column) const {
  if (column > length)
    return false;
  uint32_t at = 0;
  while (at < column)
    at += CharSize(text, length, at);
  return at == column;
}

bool cTextDisplay::IsValidPosition(TextPos pos) {
  int32_t line = PosLine(pos);
  if (pos == kNoPos || line < 0 || line >= LineCount())
    return false;
  uint16_t length = LineLength(line);
  const char *text = GetLine(line);
  bool valid = text ? IsBoundary(text, length, PosColumn(pos)) : pos == 0;
  ReleaseLine(line);
  return valid;
}

TextPos cTextDisplay::PrevPosition(TextPos pos) {
  int32_t line = PosLine(pos);
  uint32_t column = PosColumn(pos);
  TextPos result = pos;
  if (column == 0) {
    if (line > 0)
      result = MakePos(line - 1, LineLength(line - 1));
  } else {
    result = MakePos(line, column - 1);
    if (!IsValidPosition(result))
      result = MakePos(line, column - 2);
  }
  return IsValidPosition(result) ? result : pos;
}

TextPos cTextDisplay::NextPosition(TextPos pos) {
  int32_t line = PosLine(pos);
  uint32_t column = PosColumn(pos);
  uint16_t length = LineLength(line);
  TextPos result = pos;
  if (column < length) {
    const char *text = GetLine(line);
    uint32_t size = text ? CharSize(text, length, column) : 1;
    ReleaseLine(line);
    result = MakePos(line, column + size);
  } else if (line < LineCount() - 1) {
    result = MakePos(line + 1, 0);
  }
  return IsValidPosition(result) ? result : pos;
}

TextPos cTextDisplay::NextWordPosition(TextPos pos) {
  int32_t line = PosLine(pos);
  uint32_t column = PosColumn(pos);
  uint16_t length = LineLength(line);
  if (column >= length)
    return NextPosition(pos);
  const char *text = GetLine(line);
  if (!text) {
    ReleaseLine(line);
    return NextPosition(pos);
  }
  while (column < length && rules_.IsWordChar(uint8_t(text[column])))
    column += CharSize(text, length, column);
  while (column < length && !rules_.IsWordChar(uint8_t(text[column])))
    column += CharSize(text, length, column);
  ReleaseLine(line);
  return MakePos(line, column);
}

TextPos cTextDisplay::PrevWordPosition(TextPos pos) {
  int32_t line = PosLine(pos);
  if (PosColumn(pos) == 0)
    return PrevPosition(pos);
  TextPos start = MakePos(line, 0);
  for (TextPos at = start;;) {
    TextPos next = NextWordPosition(at);
    if (PosLine(next) != line || next >= pos || next == at)
      break;
    start = at = next;
  }
  return start;
}

bool cTextDisplay::WordRangeAt(TextPos pos, TextPos &start, TextPos &end) {
  int32_t line = PosLine(pos);
  TextPos next = NextPosition(pos);
  TextPos from = PrevWordPosition(PosLine(next) == line ? next : pos);
  if (PosLine(from) != line)
    return false;
  uint16_t length = LineLength(line);
  const char *text = GetLine(line);
  uint32_t column = PosColumn(from);
  while (text && column < length && rules_.IsWordChar(uint8_t(text[column])))
    column += CharSize(text, length, column);
  ReleaseLine(line);
  if (column == PosColumn(from) || int64_t(PosColumn(pos)) - 1 > int64_t(column))
    return false;
  start = from;
  end = MakePos(line, column);
  return true;
}

std::optional<std::string> cTextDisplay::WordAt(TextPos pos) {
  TextPos start, end;
  if (!WordRangeAt(pos, start, end))
    return std::nullopt;
  const char *text = GetLine(PosLine(start));
  std::string word(text + PosColumn(start), PosColumn(end) - PosColumn(start));
  ReleaseLine(PosLine(start));
  return word;
}

std::optional<std::string> cTextDisplay::GetSelectionText() {
  TextPos from = SelectionStart(), to = SelectionEnd();
  if (from == to || PosLine(from) != PosLine(to))
    return std::nullopt;
  const char *text = GetLine(PosLine(from));
  std::optional<std::string> copy;
  if (text)
    copy = std::string(text + PosColumn(from), PosColumn(to) - PosColumn(from));
  ReleaseLine(PosLine(from));
  return copy;
}

DisplayPos cTextDisplay::OffsetToDisplayColumn(TextPos pos, uint32_t fromOffset, int32_t fromColumn) {
  int32_t line = PosLine(pos);
  uint32_t target = PosColumn(pos);
  int32_t column = fromColumn;
  uint16_t length = LineLength(line);
  const char *text = GetLine(line);
  int32_t tab = TabSize();
  for (uint32_t at = fromOffset; text && at < target && at < length;) {
    if (text[at] == '\t') {
      column = NextTabStop(column, tab);
      ++at;
      continue;
    }
    uint32_t size = CharSize(text, length, at);
    if (at + size > target)
      break;
    column += int32_t(size);
    at += size;
  }
  ReleaseLine(line);
  return MakeDisplayPos(line + 1, column);
}

TextPos cTextDisplay::DisplayColumnToOffset(DisplayPos &display, bool snap) {
  int32_t line = DisplayLine(display) - 1;
  int32_t target = DisplayColumn(display);
  bool exists = line >= 0 && line < LineCount();
  uint16_t length = exists ? LineLength(line) : 0;
  const char *text = exists ? GetLine(line) : nullptr;
  if (!text) {
    ReleaseLine(line);
    if (snap)
      display = MakeDisplayPos(line + 1, 1);
    return MakePos(line, 0);
  }
  int32_t column = 1;
  uint32_t at = 0;
  int32_t tab = TabSize();
  while (at < length) {
    uint32_t size = text[at] == '\t' ? 1 : CharSize(text, length, at);
    int32_t next = text[at] == '\t' ? NextTabStop(column, tab) : column + int32_t(size);
    if (target < next)
      break;
    column = next;
    at += size;
  }
  ReleaseLine(line);
  if (snap)
    display = MakeDisplayPos(line + 1, column);
  return MakePos(line, at);
}

ScrollRequest cTextDisplay::SetCursor(TextPos pos) {
  int32_t line = std::max(PosLine(pos), 0);
  uint32_t column = PosColumn(pos);
  int32_t count = LineCount();
  if (line < count) {
    column = std::min<uint32_t>(column, LineLength(line));
  } else {
    line = std::max(count - 1, 0);
    column = LineLength(line);
  }
  pos = MakePos(line, column);
  if (column > 0 && !IsValidPosition(pos))
    pos = MakePos(line, column - 1);
  ScrollRequest request;
  if (!IsValidPosition(pos))
    return request;
  caret_ = pos;
  DisplayPos caret = OffsetToDisplayColumn(caret_, 0, 1);
  if (keepCaretInView_) {
    int32_t caretLine = DisplayLine(caret), caretColumn = DisplayColumn(caret);
    int32_t first = DisplayLine(firstVisible_), last = DisplayLine(lastVisible_);
    if (caretLine < first)
      request.line = caretLine;
    else if (caretLine > last - kViewMarginLines)
      request.line = caretLine - (last - first) + kViewMarginLines;
    int32_t firstColumn = DisplayColumn(firstVisible_), lastColumn = DisplayColumn(lastVisible_);
    if (firstColumn >= 2 && caretColumn < firstColumn + kViewMarginLeftColumns)
      request.column = caretColumn - 1;
    else if (caretColumn > lastColumn - kViewMarginColumns)
      request.column = caretColumn - (lastColumn - firstColumn) + kViewMarginColumns;
    if (request.line)
      VScroll(ScrollCode::ThumbPosition, *request.line);
    if (request.column)
      HScroll(ScrollCode::ThumbPosition, *request.column);
  }
  if (focused_ && events_)
    events_->CaretShown(OffsetToDisplayColumn(caret_, 0, 1));
  CaretMoved();
  return request;
}

void cTextDisplay::ExtendSelection() {
  if (selEnd_ != caret_) {
    Repaint(std::min(selEnd_, caret_), std::max(selEnd_, caret_));
    selEnd_ = caret_;
  }
}

void cTextDisplay::ClearSelection() {
  if (HasSelection())
    Repaint(SelectionStart(), SelectionEnd());
  anchor_ = selEnd_ = caret_;
}

bool cTextDisplay::SetSelection(TextPos from, TextPos to) {
  if (!selectionAllowed_ || !IsValidPosition(from) || !IsValidPosition(to))
    return false;
  if (HasSelection())
    ClearSelection();
  anchor_ = selEnd_ = from;
  SetCursor(to);
  ExtendSelection();
  return true;
}

void cTextDisplay::CaretLineUp() {
  DisplayPos caret = OffsetToDisplayColumn(caret_, 0, 1);
  DisplayPos up = MakeDisplayPos(DisplayLine(caret) - 1, DisplayColumn(caret));
  SetCursor(DisplayColumnToOffset(up, false));
}

void cTextDisplay::CaretLineDown() {
  DisplayPos caret = OffsetToDisplayColumn(caret_, 0, 1);
  DisplayPos down = MakeDisplayPos(DisplayLine(caret) + 1, DisplayColumn(caret));
  SetCursor(DisplayColumnToOffset(down, false));
}

bool cTextDisplay::KeyDown(Key key, uint8_t modifiers) {
  TextPos before = caret_;
  int32_t line = PosLine(caret_);
  auto caretDisplay = [&] { return OffsetToDisplayColumn(caret_, 0, 1); };
  auto moveToDisplayLine = [&](int32_t displayLine) {
    DisplayPos target = MakeDisplayPos(displayLine, DisplayColumn(caretDisplay()));
    SetCursor(DisplayColumnToOffset(target, false));
  };
  if (modifiers & kCtrl) {
    switch (key) {
    case Key::End: {
      int32_t last = std::max(LineCount() - 1, 0);
      SetCursor(MakePos(last, LineLength(last)));
      break;
    }
    case Key::Home: SetCursor(0); break;
    case Key::Left: SetCursor(PrevWordPosition(caret_)); break;
    case Key::Right: SetCursor(NextWordPosition(caret_)); break;
    case Key::Up:
      VScroll(ScrollCode::LineUp);
      if (DisplayLine(caretDisplay()) > DisplayLine(lastVisible_) - 2)
        moveToDisplayLine(DisplayLine(lastVisible_) - 2);
      break;
    case Key::Down:
      VScroll(ScrollCode::LineDown);
      if (DisplayLine(caretDisplay()) < DisplayLine(firstVisible_))
        moveToDisplayLine(DisplayLine(firstVisible_));
      break;
    default: return false;
    }
  } else {
    int32_t page = (DisplayLine(lastVisible_) - DisplayLine(firstVisible_)) - 2;
    switch (key) {
    case Key::PageUp:
    case Key::PageDown: {
      int32_t step = key == Key::PageUp ? -page : page;
      int32_t caretLine = DisplayLine(caretDisplay());
      VScroll(ScrollCode::ThumbTrack, DisplayLine(firstVisible_) + step);
      moveToDisplayLine(caretLine + step);
      break;
    }
    case Key::End: SetCursor(MakePos(line, LineLength(line))); break;
    case Key::Home: SetCursor(MakePos(line, 0)); break;
    case Key::Left: SetCursor(PrevPosition(caret_)); break;
    case Key::Right: SetCursor(NextPosition(caret_)); break;
    case Key::Up: CaretLineUp(); break;
    case Key::Down: CaretLineDown(); break;
    }
  }
  if (selectionAllowed_) {
    if (modifiers & kShift) {
      if (!HasSelection())
        anchor_ = selEnd_ = before;
      ExtendSelection();
    } else if (HasSelection()) {
      ClearSelection();
    }
  }
  return true;
}

void cTextDisplay::SetFirstVisible(int32_t line, int32_t column) {
  int32_t lines = line - DisplayLine(firstVisible_);
  int32_t columns = column - DisplayColumn(firstVisible_);
  firstVisible_ = MakeDisplayPos(line, column);
  lastVisible_ = MakeDisplayPos(DisplayLine(lastVisible_) + lines, DisplayColumn(lastVisible_) + columns);
}

int32_t cTextDisplay::VScroll(ScrollCode code, int32_t thumb) {
  int32_t first = DisplayLine(firstVisible_);
  int32_t height = DisplayLine(lastVisible_) - first;
  int32_t target = first;
  switch (code) {
  case ScrollCode::LineUp: target = first - 1; break;
  case ScrollCode::LineDown: target = first + 1; break;
  case ScrollCode::PageUp: target = first - (height - 2); break;
  case ScrollCode::PageDown: target = first + (height - 2); break;
  case ScrollCode::ThumbPosition:
  case ScrollCode::ThumbTrack: target = thumb; break;
  case ScrollCode::Top: target = 1; break;
  case ScrollCode::Bottom: target = LineCount(); break;
  case ScrollCode::EndScroll: break;
  }
  target = std::clamp(target, 1, std::max(1, LineCount()));
  SetFirstVisible(target, DisplayColumn(firstVisible_));
  int32_t moved = target - first;
  if (events_ && (moved || code == ScrollCode::ThumbTrack))
    events_->Scrolled(moved, 0, code == ScrollCode::ThumbTrack || std::abs(moved) > height);
  return target;
}

int32_t cTextDisplay::HScroll(ScrollCode code, int32_t thumb) {
  int32_t first = DisplayColumn(firstVisible_);
  int32_t target = first;
  switch (code) {
  case ScrollCode::LineUp: target = first - 1; break;
  case ScrollCode::LineDown: target = first + 1; break;
  case ScrollCode::PageUp: target = first - TabSize(); break;
  case ScrollCode::PageDown: target = first + TabSize(); break;
  case ScrollCode::ThumbPosition:
  case ScrollCode::ThumbTrack: target = thumb; break;
  case ScrollCode::Top: target = 1; break;
  default: break;
  }
  target = std::clamp(target, 0, kMaxHScroll);
  SetFirstVisible(DisplayLine(firstVisible_), target);
  int32_t moved = target - first;
  if (events_ && (moved || code == ScrollCode::ThumbTrack))
    events_->Scrolled(0, moved, code == ScrollCode::ThumbTrack);
  return target;
}

void cTextDisplay::SetCellSize(int32_t width, int32_t height) {
  cellWidth_ = width;
  cellHeight_ = height;
  leftMargin_ = width / 2;
}

void cTextDisplay::Resize(int32_t clientWidth, int32_t clientHeight) {
  int32_t column = FloorDiv(clientWidth - 1 - leftMargin_, cellWidth_) + DisplayColumn(firstVisible_) + 1;
  int32_t line = FloorDiv(clientHeight - 1 - topMargin_, cellHeight_) + DisplayLine(firstVisible_) + 1;
  lastVisible_ = MakeDisplayPos(line, column);
}

PixelPoint cTextDisplay::PixelOf(DisplayPos pos) const {
  return {(DisplayColumn(pos) - DisplayColumn(firstVisible_)) * cellWidth_ + leftMargin_,
          (DisplayLine(pos) - DisplayLine(firstVisible_)) * cellHeight_ + topMargin_};
}

DisplayPos cTextDisplay::DisplayPosAt(PixelPoint point) const {
  int32_t column = FloorDiv(point.x + cellWidth_ / 2 - leftMargin_, cellWidth_) + DisplayColumn(firstVisible_);
  int32_t line = FloorDiv(point.y - topMargin_, cellHeight_) + DisplayLine(firstVisible_);
  return MakeDisplayPos(std::max(line, 1), std::max(column, 1));
}

DisplayPos cTextDisplay::AutoScrollTarget(PixelPoint point) const {
  DisplayPos at = DisplayPosAt(point);
  int32_t line =
      std::clamp(DisplayLine(at), std::max(1, DisplayLine(firstVisible_) - 3), DisplayLine(lastVisible_) + 1);
  int32_t column = std::clamp(DisplayColumn(at), std::max(1, DisplayColumn(firstVisible_)),
                              std::max(std::max(1, DisplayColumn(firstVisible_)), DisplayColumn(lastVisible_) - 1));
  return MakeDisplayPos(line, column);
}

} // namespace tsw::gui
