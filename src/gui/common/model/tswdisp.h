#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gui/common/model/textpos.h"

// What every text pane knows without a window: positions and display
// columns, character and word steps, the caret and the selection, keys,
// scrolling and the pixel grid. The widget draws what this says and passes
// the keyboard and the mouse in.
namespace tsw::gui {

// The compiler's character classes as the panes need them.
class CharRules {
public:
  virtual ~CharRules();
  virtual bool IsWordChar(uint8_t byte) const = 0;
  // The first byte of a double-byte character.
  virtual bool IsLeadByte(uint8_t byte) const = 0;
};

// What a pane asks of its window.
class DisplayEvents {
public:
  virtual ~DisplayEvents();
  // Text between the positions must be drawn again (kNoPos: to the end).
  virtual void Repaint(TextPos from, TextPos to) = 0;
  // The first visible line or column moved; `whole` asks to draw it all.
  virtual void Scrolled(int32_t lines, int32_t columns, bool whole) = 0;
  // The caret moved in a focused pane (the status bar's line and column).
  virtual void CaretShown(DisplayPos caret) = 0;
  virtual void ScrollRangeChanged(int32_t lineCount) = 0;
  // A message box over the pane, or a beep for message 0.
  virtual void ShowMessage(uint32_t message, uint32_t caption) = 0;
};

// The global tab size ("Tabs"), 3 until the settings are read.
uint16_t TabSize();
void SetTabSize(uint16_t size);

enum class ScrollCode : uint8_t {
  LineUp,
  LineDown,
  PageUp,
  PageDown,
  ThumbPosition,
  ThumbTrack,
  Top,
  Bottom,
  EndScroll
};
enum class Key : uint8_t { Left, Right, Up, Down, Home, End, PageUp, PageDown };
enum KeyModifier : uint8_t { kNoModifier = 0, kShift = 1, kCtrl = 2 };

// Where keeping the caret in view wants the pane scrolled.
struct ScrollRequest {
  std::optional<int32_t> line;
  std::optional<int32_t> column;
};

struct PixelPoint {
  int32_t x;
  int32_t y;
};

class cTextDisplay {
public:
  static constexpr int32_t kMaxHScroll = 1000;

  explicit cTextDisplay(const CharRules &rules, DisplayEvents *events = nullptr);
  virtual ~cTextDisplay();

  // The lines a derived pane supplies; GetLine is paired with ReleaseLine.
  virtual const char *GetLine(int32_t line) = 0;
  virtual void ReleaseLine(int32_t line);
  virtual int32_t LineCount();
  virtual uint16_t LineLength(int32_t line);
  virtual void CaretMoved();
  virtual void CaretLineDown();
  virtual void CaretLineUp();

  void SetEvents(DisplayEvents *events) { events_ = events; }
  DisplayEvents *Events() const { return events_; }
  const CharRules &Rules() const { return rules_; }

  bool IsValidPosition(TextPos pos);
  TextPos PrevPosition(TextPos pos);
  TextPos NextPosition(TextPos pos);
  TextPos PrevWordPosition(TextPos pos);
  TextPos NextWordPosition(TextPos pos);
  bool WordRangeAt(TextPos pos, TextPos &start, TextPos &end);
  std::optional<std::string> WordAt(TextPos pos);
  std::optional<std::string> GetSelectionText();

  DisplayPos OffsetToDisplayColumn(TextPos pos, uint32_t fromOffset, int32_t fromColumn);
  TextPos DisplayColumnToOffset(DisplayPos &display, bool snap);

  // Moves the caret by the eight steps; keeping the caret in view scrolls
  // the pane, and the scroll it made is returned.
  ScrollRequest SetCursor(TextPos pos);
  TextPos GetCursor() const { return caret_; }
  bool SetSelection(TextPos from, TextPos to);
  void ClearSelection();
  void ExtendSelection();
  bool HasSelection() const { return anchor_ != selEnd_; }
  TextPos SelectionStart() const { return anchor_ < selEnd_ ? anchor_ : selEnd_; }
  TextPos SelectionEnd() const { return anchor_ < selEnd_ ? selEnd_ : anchor_; }
  TextPos Anchor() const { return anchor_; }

  // False for a key the pane does not handle.
  bool KeyDown(Key key, uint8_t modifiers);

  // The new first visible line or column.
  int32_t VScroll(ScrollCode code, int32_t thumb = 0);
  int32_t HScroll(ScrollCode code, int32_t thumb = 0);

  void SetCellSize(int32_t width, int32_t height);
  void Resize(int32_t clientWidth, int32_t clientHeight);
  PixelPoint PixelOf(DisplayPos pos) const;
  // The display position nearest a mouse point (half a cell rounds).
  DisplayPos DisplayPosAt(PixelPoint point) const;
  // Where the auto-scroll of a drag selection takes the caret.
  DisplayPos AutoScrollTarget(PixelPoint point) const;

  DisplayPos FirstVisible() const { return firstVisible_; }
  DisplayPos LastVisible() const { return lastVisible_; }
  void SetFocused(bool focused) { focused_ = focused; }
  void SetSelectionAllowed(bool allowed) { selectionAllowed_ = allowed; }
  bool SelectionAllowed() const { return selectionAllowed_; }
  bool Focused() const { return focused_; }
  void SetKeepCaretInView(bool keep) { keepCaretInView_ = keep; }

protected:
  // Sets the caret without the caret rules (after an edit moved the text).
  void PlaceCaret(TextPos pos) { caret_ = pos; }
  void SetAnchorAndEnd(TextPos pos) { anchor_ = selEnd_ = pos; }
  void Repaint(TextPos from, TextPos to);
  bool IsBoundary(const char *text, uint16_t length, uint32_t column) const;
  uint32_t CharSize(const char *text, uint16_t length, uint32_t column) const;

private:
  void SetFirstVisible(int32_t line, int32_t column);

  const CharRules &rules_;
  DisplayEvents *events_;
  DisplayPos firstVisible_ = MakeDisplayPos(1, 1);
  DisplayPos lastVisible_ = MakeDisplayPos(1, 1);
  TextPos caret_ = 0;
  TextPos anchor_ = 0;
  TextPos selEnd_ = 0;
  int32_t cellWidth_ = 0;
  int32_t cellHeight_ = 0;
  int32_t leftMargin_ = 0;
  int32_t topMargin_ = 0;
  bool focused_ = false;
  bool selectionAllowed_ = true;
  bool keepCaretInView_ = true;
};

} // namespace tsw::gui
