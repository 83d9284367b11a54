#include "gui/common/model/tswview.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tsw::gui {

namespace {

// Latin-1 letters fold between 0xC0-0xDE and 0xE0-0xFE; 0xD7 and 0xF7 are
// the multiplication and division signs.
constexpr uint8_t kLatinUpperFirst = 0xC0, kLatinUpperLast = 0xDE, kLatinCaseOffset = 0x20, kTimes = 0xD7;

struct Line {
  std::string bytes;
  LineEnd end;
};

// The text split at its line breaks: CR LF, LF CR, CR and LF each count as
// one.
std::vector<std::string_view> SplitAtBreaks(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t start = 0, at = 0;
  while (at < text.size()) {
    char byte = text[at];
    if (byte != '\r' && byte != '\n') {
      ++at;
      continue;
    }
    pieces.push_back(text.substr(start, at - start));
    bool pair = at + 1 < text.size() && (text[at + 1] == '\r' || text[at + 1] == '\n') && text[at + 1] != byte;
    at += pair ? 2 : 1;
    start = at;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// A stretch longer than a line holds goes on in continued lines.
void AppendChunks(std::vector<Line> &lines, std::string_view segment, LineEnd end) {
  do {
    size_t take = std::min<size_t>(segment.size(), kMaxLineLength);
    bool more = segment.size() > take;
    lines.push_back({std::string(segment.substr(0, take)), more ? LineEnd::None : end});
    segment.remove_prefix(take);
  } while (!segment.empty());
}

// The position `offset` bytes into a stretch that starts on `firstLine`; an
// offset at a cut stays at the end of the line before it.
TextPos PosInChunks(int32_t firstLine, size_t offset) {
  if (offset > 0 && offset % kMaxLineLength == 0)
    return MakePos(firstLine + int32_t(offset / kMaxLineLength) - 1, kMaxLineLength);
  return MakePos(firstLine + int32_t(offset / kMaxLineLength), uint32_t(offset % kMaxLineLength));
}

int32_t ChunkCount(size_t length) { return length == 0 ? 1 : int32_t((length + kMaxLineLength - 1) / kMaxLineLength); }

} // namespace

SearchState &LastSearch() {
  static SearchState state;
  return state;
}

uint8_t FoldUpper(uint8_t byte) {
  if (byte >= 'a' && byte <= 'z')
    return uint8_t(byte - ('a' - 'A'));
  uint8_t upper = uint8_t(byte - kLatinCaseOffset);
  if (byte >= kLatinUpperFirst + kLatinCaseOffset && byte <= kLatinUpperLast + kLatinCaseOffset && upper != kTimes)
    return upper;
  return byte;
}

uint8_t FoldLower(uint8_t byte) {
  if (byte >= 'A' && byte <= 'Z')
    return uint8_t(byte + ('a' - 'A'));
  if (byte >= kLatinUpperFirst && byte <= kLatinUpperLast && byte != kTimes)
    return uint8_t(byte + kLatinCaseOffset);
  return byte;
}

cTextViewer::cTextViewer(cBufLine &doc, const CharRules &rules, DisplayEvents *events)
    : cTextDisplay(rules, events), doc_(doc) {}

const char *cTextViewer::GetLine(int32_t line) { return doc_.GetLine(line); }
void cTextViewer::ReleaseLine(int32_t line) { doc_.ReleaseLine(line); }
int32_t cTextViewer::LineCount() { return doc_.LinesUsed(); }
uint16_t cTextViewer::LineLength(int32_t line) { return doc_.LineLength(line); }

void cTextViewer::TextChanged(TextPos from, TextPos, TextPos, TextPos repaintEnd) {
  Repaint(from, repaintEnd);
  if (Events())
    Events()->ScrollRangeChanged(LineCount());
}

void cTextViewer::EditUndo() {
  BeginUndoAction(GetCursor());
  TextPos caret = doc_.Undo();
  if (caret != kNoPos)
    SetCursor(caret);
  else
    SetCursor(GetCursor());
  SetAnchorAndEnd(GetCursor());
  TextChanged(0, kNoPos, kNoPos, kNoPos);
}

void cTextViewer::EditRedo() {
  TextPos caret = doc_.Redo();
  SetCursor(caret != kNoPos ? caret : GetCursor());
  SetAnchorAndEnd(GetCursor());
  TextChanged(0, kNoPos, kNoPos, kNoPos);
}

TextPos cTextViewer::ReplaceRange(TextPos from, TextPos to, std::string_view text) {
  bool replacedSelection = HasSelection();
  if (replacedSelection) {
    from = SelectionStart();
    to = SelectionEnd();
    ClearSelection();
  }
  if (to < from)
    std::swap(from, to);
  int32_t fromLine = PosLine(from), toLine = PosLine(to);
  std::string fromText = doc_.LineText(fromLine);
  std::string toText = fromLine == toLine ? fromText : doc_.LineText(toLine);
  uint32_t fromColumn = std::min<uint32_t>(PosColumn(from), uint32_t(fromText.size()));
  uint32_t toColumn = std::min<uint32_t>(PosColumn(to), uint32_t(toText.size()));
  std::string_view head = std::string_view(fromText).substr(0, fromColumn);
  std::string_view tail = std::string_view(toText).substr(toColumn);
  LineEnd toEnd = doc_.LineEndOf(toLine);
  LineEnd breakEnd = doc_.DocumentLineEnd();

  std::vector<std::string_view> pieces = SplitAtBreaks(text);
  size_t finalOffset = pieces.back().size() + (pieces.size() == 1 ? head.size() : 0);
  int32_t oldCount = toLine - fromLine + 1;
  // The lines the result takes are counted before anything changes, so that
  // a refused edit leaves the document as it was.
  int32_t newCount = 0;
  for (size_t i = 0; i < pieces.size(); ++i)
    newCount += ChunkCount(pieces[i].size() + (i == 0 ? head.size() : 0) + (i + 1 == pieces.size() ? tail.size() : 0));
  if (doc_.LinesUsed() - oldCount + newCount > kMaxLines) {
    if (Events())
      Events()->ShowMessage(kMsgTooManyLines, 0);
    return from;
  }

  TextPos newPos;
  TextPos repaintEnd = kNoPos;
  // Where the last stretch of the result (the end of the text and the tail)
  // begins: a caret in the tail moves with it.
  int32_t finalFirst = fromLine;
  size_t newLength = head.size() + text.size() + tail.size();
  bool enter = (text == "\r" || text == "\n") && from == to;
  if (pieces.size() == 1 && fromLine == toLine && newLength <= kMaxLineLength) {
    doc_.BeginChange(fromLine, fromLine);
    if (newLength < doc_.StoredSize(fromLine) && doc_.IsLastChangedLine(fromLine)) {
      char *bytes = doc_.GetLine(fromLine);
      std::memmove(bytes + fromColumn + text.size(), bytes + toColumn, tail.size());
      if (!text.empty())
        std::memcpy(bytes + fromColumn, text.data(), text.size());
      doc_.ReleaseLineWritten(fromLine, uint16_t(newLength));
    } else {
      std::string line;
      line.reserve(newLength);
      line.append(head).append(text).append(tail);
      doc_.SetLine(fromLine, line, true);
    }
    doc_.EndChange(fromLine);
    newPos = MakePos(fromLine, fromColumn + uint32_t(text.size()));
    repaintEnd = MakePos(fromLine, uint32_t(std::max(newLength, fromText.size())));
  } else if (enter) {
    doc_.BeginChange(fromLine, fromLine);
    std::string rest(tail);
    if (doc_.IsLastChangedLine(fromLine)) {
      doc_.GetLine(fromLine);
      doc_.ReleaseLineWritten(fromLine, uint16_t(fromColumn));
    } else {
      doc_.SetLine(fromLine, head, true);
    }
    doc_.SetLineEnd(fromLine, breakEnd);
    doc_.InsertLines(fromLine + 1, 1);
    doc_.SetLine(fromLine + 1, rest, true);
    doc_.SetLineEnd(fromLine + 1, toEnd);
    doc_.EndChange(fromLine + 1);
    finalFirst = fromLine + 1;
    newPos = MakePos(fromLine + 1, 0);
  } else {
    std::vector<Line> lines;
    for (size_t i = 0; i < pieces.size(); ++i) {
      bool first = i == 0, last = i + 1 == pieces.size();
      std::string segment;
      if (first)
        segment.append(head);
      segment.append(pieces[i]);
      if (last) {
        finalFirst = fromLine + int32_t(lines.size());
        segment.append(tail);
      }
      AppendChunks(lines, segment, last ? toEnd : breakEnd);
    }
    doc_.BeginChange(fromLine, toLine);
    if (newCount > oldCount)
      doc_.InsertLines(toLine + 1, newCount - oldCount);
    else if (newCount < oldCount)
      doc_.DeleteLines(fromLine + newCount, oldCount - newCount);
    for (int32_t i = 0; i < newCount; ++i) {
      doc_.SetLine(fromLine + i, lines[size_t(i)].bytes, false);
      doc_.SetLineEnd(fromLine + i, lines[size_t(i)].end);
    }
    doc_.EndChange(fromLine + newCount - 1);
    newPos = PosInChunks(finalFirst, finalOffset);
    if (newCount == 1 && oldCount == 1)
      repaintEnd = MakePos(fromLine, 0xFFFF);
  }

  TextPos caret = GetCursor();
  int32_t caretLine = PosLine(caret);
  if (replacedSelection) {
    caret = newPos;
  } else if (caretLine == toLine && PosColumn(caret) >= toColumn) {
    caret = PosInChunks(finalFirst, finalOffset + (PosColumn(caret) - toColumn));
  } else if (caretLine > toLine) {
    caret = MakePos(caretLine + newCount - oldCount, PosColumn(caret));
  } else if (caret > from) {
    caret = from;
  }
  SetCursor(caret);
  SetAnchorAndEnd(GetCursor());
  TextChanged(from, to, newPos, repaintEnd);
  return newPos;
}

void cTextViewer::DeleteRange(TextPos from, TextPos to) {
  if (IsValidPosition(from) && IsValidPosition(to))
    ReplaceRange(from, to, {});
}

TextPos cTextViewer::InsertText(TextPos pos, std::string_view text) {
  return IsValidPosition(pos) ? ReplaceRange(pos, pos, text) : pos;
}

TextPos cTextViewer::InsertTextAtCaret(std::string_view text) { return InsertText(GetCursor(), text); }
TextPos cTextViewer::InsertCharAt(TextPos pos, std::string_view character) { return InsertText(pos, character); }
TextPos cTextViewer::InsertChar(std::string_view character) { return InsertCharAt(GetCursor(), character); }

TextPos cTextViewer::OverwriteCharAt(TextPos pos, std::string_view character) {
  if (!IsValidPosition(pos))
    return pos;
  TextPos end = pos + uint32_t(character.size());
  if (PosLine(end) == PosLine(pos) && IsValidPosition(end))
    return ReplaceRange(pos, end, character);
  TextPos wider = end + 1;
  if (PosLine(wider) == PosLine(pos) && IsValidPosition(wider)) {
    // The end fell inside a double-byte character: a blank keeps the
    // columns after it where they were.
    std::string padded(character);
    padded += ' ';
    return ReplaceRange(pos, wider, padded);
  }
  return ReplaceRange(pos, pos, character);
}

TextPos cTextViewer::OverwriteChar(std::string_view character) {
  TextPos next = OverwriteCharAt(GetCursor(), character);
  SetCursor(next);
  return next;
}

void cTextViewer::ReplaceSelection(std::string_view text) {
  if (HasSelection())
    ReplaceRange(SelectionStart(), SelectionEnd(), text);
}

bool cTextViewer::InsertLines(int32_t at, const std::vector<std::string_view> &texts) {
  int32_t count = int32_t(texts.size());
  if (at < 0)
    at = doc_.LinesUsed();
  if (!doc_.InsertLines(at, count))
    return false;
  ClearSelection();
  LineEnd breakEnd = doc_.DocumentLineEnd();
  bool atEnd = at + count == doc_.LinesUsed();
  for (int32_t i = 0; i < count; ++i) {
    doc_.SetLine(at + i, texts[size_t(i)], false);
    doc_.SetLineEnd(at + i, breakEnd);
  }
  if (atEnd && count > 0) {
    doc_.SetLineEnd(doc_.LinesUsed() - 1, LineEnd::None);
    if (at > 0)
      doc_.SetLineEnd(at - 1, breakEnd);
  }
  doc_.ResetUndo();
  TextPos caret = GetCursor();
  if (PosLine(caret) >= at) {
    PlaceCaret(MakePos(PosLine(caret) + count, PosColumn(caret)));
    SetAnchorAndEnd(GetCursor());
  }
  TextChanged(MakePos(at, 0), kNoPos, kNoPos, kNoPos);
  return true;
}

TextPos cTextViewer::GetEndPosition() {
  int32_t count = LineCount();
  return count < 1 ? 0 : MakePos(count - 1, LineLength(count - 1));
}

std::string cTextViewer::CopyText(TextPos from, TextPos to) {
  if (to < from)
    std::swap(from, to);
  std::string bytes;
  for (int32_t line = PosLine(from); line <= PosLine(to) && line < LineCount(); ++line) {
    std::string text = doc_.LineText(line);
    size_t start = line == PosLine(from) ? std::min<size_t>(PosColumn(from), text.size()) : 0;
    size_t end = line == PosLine(to) ? std::min<size_t>(PosColumn(to), text.size()) : text.size();
    bytes.append(text, start, end > start ? end - start : 0);
    if (line != PosLine(to))
      bytes += LineEndBytes(doc_.LineEndOf(line));
  }
  return bytes;
}

std::optional<std::string> cTextViewer::CopySelection() {
  if (!HasSelection())
    return std::nullopt;
  return CopyText(SelectionStart(), SelectionEnd());
}

TextPos cTextViewer::PasteText(TextPos pos, std::string_view text) { return ReplaceRange(pos, pos, text); }

bool cTextViewer::MatchesAt(const char *line, uint16_t length, uint32_t column, std::string_view text,
                            bool exact) const {
  if (column + text.size() > length)
    return false;
  for (size_t i = 0; i < text.size();) {
    uint8_t byte = uint8_t(line[column + i]);
    uint8_t want = uint8_t(text[i]);
    if (column + i + 1 < length && Rules().IsLeadByte(byte)) {
      // A double-byte character is compared as it stands: its trail byte
      // may look like a letter but is none.
      if (byte != want || i + 1 >= text.size() || line[column + i + 1] != text[i + 1])
        return false;
      i += 2;
      continue;
    }
    bool same = exact ? byte == want : FoldUpper(byte) == FoldUpper(want);
    if (!same)
      return false;
    ++i;
  }
  return true;
}

int64_t cTextViewer::FindOnLine(int32_t line, uint32_t from, uint32_t limit, std::string_view text, bool exact,
                                bool last) {
  uint16_t length = doc_.LineLength(line);
  const char *bytes = doc_.GetLine(line);
  int64_t found = -1;
  for (uint32_t at = from; bytes && at < length && at < limit;) {
    if (MatchesAt(bytes, length, at, text, exact)) {
      found = at;
      if (!last)
        break;
      at += uint32_t(text.size());
      continue;
    }
    at += CharSize(bytes, length, at);
  }
  doc_.ReleaseLine(line);
  return found;
}

TextPos cTextViewer::Search(std::string_view text, uint8_t options, TextPos from, TextPos to) {
  matchStart_ = matchEnd_ = kNoPos;
  bool backward = options & kBackward;
  if (options & kFromCaret)
    (backward ? to : from) = GetCursor();
  // The search itself uses the whole text; only what is kept for find next
  // is cut.
  std::string wanted(text);
  LastSearch().text = wanted.substr(0, kMaxSearchText);
  LastSearch().options = options;
  int32_t count = LineCount();
  if (count < 1 || wanted.empty())
    return kNoPos;
  if (PosLine(from) < 0 || PosLine(from) >= count)
    from = 0;
  from = MakePos(PosLine(from), std::min<uint32_t>(PosColumn(from), LineLength(PosLine(from))));
  if (to == kNoPos || PosLine(to) < 0 || PosLine(to) >= count)
    to = GetEndPosition();
  bool exact = options & kCaseSensitive;
  int32_t fromLine = PosLine(from), toLine = PosLine(to);
  auto limitOf = [&](int32_t line) { return line == toLine ? PosColumn(to) : uint32_t(UINT16_MAX) + 1; };
  auto startOf = [&](int32_t line) { return line == fromLine ? PosColumn(from) : 0u; };
  for (int32_t step = 0; step <= toLine - fromLine; ++step) {
    int32_t line = backward ? toLine - step : fromLine + step;
    int64_t found = FindOnLine(line, startOf(line), limitOf(line), wanted, exact, backward);
    if (found < 0)
      continue;
    matchStart_ = MakePos(line, uint32_t(found));
    matchEnd_ = MakePos(line, uint32_t(found + int64_t(wanted.size())));
    if (backward)
      SetSelection(matchEnd_, matchStart_);
    else
      SetSelection(matchStart_, matchEnd_);
    return matchStart_;
  }
  return kNoPos;
}

TextPos cTextViewer::SearchRange(std::string_view text, uint8_t options, int32_t firstLine, int32_t lastLine) {
  int32_t count = LineCount();
  TextPos from = firstLine > 0 && firstLine < count ? MakePos(firstLine, 0) : 0;
  TextPos to = lastLine >= 0 && lastLine < count ? MakePos(lastLine, LineLength(lastLine)) : kNoPos;
  return Search(text, options, from, to);
}

TextPos cTextViewer::FindNext() {
  SearchState last = LastSearch();
  return Search(last.text, uint8_t(last.options | kFromCaret), 0, kNoPos);
}

bool cTextViewer::GoToLine(int32_t displayLine) {
  DisplayPos display = MakeDisplayPos(displayLine, 1);
  TextPos pos = DisplayColumnToOffset(display, false);
  if (!IsValidPosition(pos)) {
    if (Events())
      Events()->ShowMessage(0, 0);
    return false;
  }
  SetCursor(pos);
  return true;
}

} // namespace tsw::gui
