#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gui/common/model/tswdisp.h"
#include "gui/common/model/tswline.h"

// The pane that shows and edits one document. Every change of text goes
// through ReplaceRange, which keeps the line limits, brackets the change for
// undo and moves the caret.
namespace tsw::gui {

enum SearchOption : uint8_t { kCaseSensitive = 1, kBackward = 2, kFromCaret = 4 };
inline constexpr size_t kMaxSearchText = 79;

// The last search, shared by every view and the find dialogs.
struct SearchState {
  std::string text;
  uint8_t options = 0;
};
SearchState &LastSearch();

// Case folding of the search: ASCII and the Latin-1 letters.
uint8_t FoldUpper(uint8_t byte);
uint8_t FoldLower(uint8_t byte);

class cTextViewer : public cTextDisplay {
public:
  cTextViewer(cBufLine &doc, const CharRules &rules, DisplayEvents *events = nullptr);

  const char *GetLine(int32_t line) override;
  void ReleaseLine(int32_t line) override;
  int32_t LineCount() override;
  uint16_t LineLength(int32_t line) override;
  // Text between the positions changed; repaints and resets the scroll range.
  virtual void TextChanged(TextPos from, TextPos to, TextPos newEnd, TextPos repaintEnd);

  cBufLine &Document() const { return doc_; }

  void BeginUndoAction(TextPos pos) { doc_.BeginUndoAction(pos); }
  void EditUndo();
  void EditRedo();

  // The position after the inserted text, or `from` when refused (2081).
  TextPos ReplaceRange(TextPos from, TextPos to, std::string_view text);
  void DeleteRange(TextPos from, TextPos to);
  TextPos InsertText(TextPos pos, std::string_view text);
  TextPos InsertTextAtCaret(std::string_view text);
  // One character: a byte, or a double-byte pair.
  TextPos InsertCharAt(TextPos pos, std::string_view character);
  TextPos InsertChar(std::string_view character);
  TextPos OverwriteCharAt(TextPos pos, std::string_view character);
  TextPos OverwriteChar(std::string_view character);
  void ReplaceSelection(std::string_view text);

  // Output path of the panes that only append: no undo, so the document's
  // history is dropped rather than left naming shifted lines.
  bool InsertLines(int32_t at, const std::vector<std::string_view> &texts);
  TextPos GetEndPosition();

  // The exact bytes between the positions, each line with its own end.
  std::string CopyText(TextPos from, TextPos to);
  std::optional<std::string> CopySelection();
  TextPos PasteText(TextPos pos, std::string_view text);

  TextPos Search(std::string_view text, uint8_t options, TextPos from, TextPos to);
  TextPos SearchRange(std::string_view text, uint8_t options, int32_t firstLine, int32_t lastLine);
  TextPos FindNext();
  // Display line (from 1) at display column 1; false when it names no line.
  bool GoToLine(int32_t displayLine);

  TextPos LastMatchStart() const { return matchStart_; }
  TextPos LastMatchEnd() const { return matchEnd_; }

private:
  bool MatchesAt(const char *line, uint16_t length, uint32_t column, std::string_view text, bool exact) const;
  // The last start in [from, limit) of a match on `line`, or -1; forward:
  // the first.
  int64_t FindOnLine(int32_t line, uint32_t from, uint32_t limit, std::string_view text, bool exact, bool last);

  cBufLine &doc_;
  TextPos matchStart_ = kNoPos;
  TextPos matchEnd_ = kNoPos;
};

} // namespace tsw::gui
