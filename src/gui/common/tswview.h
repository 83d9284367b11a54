#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRawFont>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/model/tswdisp.h"
#include "gui/common/model/tswpaint.h"
#include "gui/common/model/tswrange.h"

// The window of every text pane: it draws what its pane model says on a
// fixed cell grid, shows the caret, scrolls, and passes the keyboard and the
// mouse to the model, which decides what they do.
namespace tsw::gui {

// What a pane window asks of the program around it. The default serves a
// pane on its own; the shell's relays the caret to the status bar.
class PaneHost {
public:
  virtual ~PaneHost();
  virtual void Beep();
  // False when the clipboard refused the text.
  virtual bool SetClipboardText(const QString &text);
  // None when the clipboard holds no text.
  virtual std::optional<QString> ClipboardText();
  // The caret of the focused pane (known), or the pane lost the focus.
  virtual void CaretStatus(QWidget *pane, bool known, DisplayPos caret);
  // A numbered message box over the pane; message 0 is a beep.
  virtual void ShowMessage(QWidget *pane, uint32_t message, uint32_t caption);
};
PaneHost &DefaultPaneHost();

// A byte as the panes show it: its Latin-1 character, or for a control
// byte a mark drawn inverse in its cell, so that no byte is invisible or
// drawn as something it is not.
struct ShownGlyph {
  QChar character;
  bool mark;
};
ShownGlyph ShownChar(uint8_t byte);
// Bytes to clipboard text and back, one Latin-1 character each; a
// character above U+00FF has no byte and gives none.
QString BytesToText(const std::string &bytes);
std::optional<std::string> TextToBytes(const QString &text);

inline constexpr int kAutoScrollMs = 50;
inline constexpr int kThinCaretWidth = 2;

class cTextWidget : public QAbstractScrollArea, public DisplayEvents {
  Q_OBJECT
public:
  cTextWidget(cTextDisplay &model, PaneHost &host, QWidget *parent = nullptr);
  ~cTextWidget() override;

  cTextDisplay &Model() const { return *model_; }
  // The pane shows another model (a view that changed its document).
  void SetModel(cTextDisplay &model);
  PaneHost &Host() const { return host_; }

  // A fixed-pitch font; the cell is a quarter of the width of "AAAA",
  // truncated, so that a row of cells never outgrows its characters.
  void SetPaneFont(const QFont &font);
  const QFont &PaneFont() const { return font_; }
  QSize CellSize() const { return {cellWidth_, cellHeight_}; }
  int LeftMargin() const { return cellWidth_ / 2; }

  // Each colour, or none for the palette's; the selection is the inverse
  // of the text colours unless given.
  void SetColors(std::optional<uint32_t> foreground, std::optional<uint32_t> background,
                 std::optional<uint32_t> selectionFg, std::optional<uint32_t> selectionBg);
  const PaneColors &Colors() const { return colors_; }
  void SetMonochrome(bool monochrome);

  // Colour ranges: Add keeps a range only over uncoloured text, Assign
  // overwrites what lies there.
  void AddColorRange(TextPos from, TextPos to, uint32_t background, uint32_t foreground, bool repaint);
  void AssignColorRange(TextPos from, TextPos to, uint32_t background, uint32_t foreground, bool repaint);
  void RemoveColorRange(TextPos pos, bool repaint);
  void ClearColorRanges(bool repaint);
  void ShiftColorRanges(int32_t lines);
  const cRangeTree *ColorRanges() const { return ranges_.get(); }

  // The rectangles that show the text between the positions (kNoPos or a
  // negative line: to the end of what is visible).
  std::vector<QRect> RangeRects(TextPos from, TextPos to) const;
  void InvalidateRange(TextPos from, TextPos to);

  void SetCaretShape(bool thin, bool grey);
  QRect CaretRect() const;
  bool CaretDrawn() const { return hasFocus() && caretOn_ && !caretHidden_; }
  // A long run of edits hides the caret until it is over.
  void SetCaretHidden(bool hidden);
  void SetKeepSelectionOnFocusLoss(bool keep) { keepSelection_ = keep; }

  // The auto-scroll timer's step for a mouse point in viewport pixels.
  void AutoScrollTick(QPoint point);
  bool AutoScrolling() const { return autoScroll_.isActive(); }

  // Scroll bars follow the model; the model's line count changed.
  void UpdateScrollRange();

  // The pane's commands; those a pane does not offer beep.
  virtual void EditCut() { host_.Beep(); }
  virtual void EditCopy() { host_.Beep(); }
  virtual void EditPaste() { host_.Beep(); }
  virtual void EditUndo() { host_.Beep(); }
  virtual void EditRedo() { host_.Beep(); }

  // DisplayEvents.
  void Repaint(TextPos from, TextPos to) override;
  void Scrolled(int32_t lines, int32_t columns, bool whole) override;
  void CaretShown(DisplayPos caret) override;
  void ScrollRangeChanged(int32_t lineCount) override;
  void ShowMessage(uint32_t message, uint32_t caption) override;

protected:
  // A key the caret keys left over: true when the derived pane took it.
  virtual bool KeyTyped(QKeyEvent *event);
  // Text an input method committed.
  virtual void TextCommitted(const QString &text);
  void inputMethodEvent(QInputMethodEvent *event) override;

  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void scrollContentsBy(int dx, int dy) override;
  void changeEvent(QEvent *event) override;
  // Tab is a character of the text, not a way out of the pane.
  bool focusNextPrevChild(bool next) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
  void PaintLine(QPainter &painter, int32_t displayLine, int32_t firstColumn, int32_t lastColumn);
  void DrawBytes(QPainter &painter, const std::string &text, const PaintSegment &segment, int y, QColor color,
                 QColor inverse);
  TextPos PositionAt(QPoint point) const;
  void SyncScrollBars();
  void RestartCaret();
  void ApplyPaletteColors();

  cTextDisplay *model_;
  PaneHost &host_;
  QFont font_;
  QRawFont rawFont_;
  int cellWidth_ = 0;
  int cellHeight_ = 0;
  int ascent_ = 0;
  PaneColors colors_;
  std::optional<uint32_t> chosen_[4];
  bool monochrome_ = false;
  std::unique_ptr<cRangeTree> ranges_;
  bool thinCaret_ = true;
  bool greyCaret_ = false;
  bool caretOn_ = false;
  bool caretHidden_ = false;
  bool keepSelection_ = false;
  bool captured_ = false;
  bool syncing_ = false;
  QRect shownCaret_;
  QTimer caretBlink_;
  QTimer autoScroll_;
};

} // namespace tsw::gui
