#include "gui/common/tswview.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

#include "foundation/restext.h"
#include "platform/notify.h"

namespace tsw::gui {

namespace {

// Control bytes show as their caret-notation letter; bytes of the second
// control range share one middle dot. Both are drawn inverse.
constexpr char16_t kCaretNotation = 0x40;
constexpr char16_t kDeleteLetter = '?';
constexpr char16_t kC1Mark = 0xB7;
constexpr uint8_t kDelete = 0x7F, kLastC1 = 0x9F;
constexpr int kMaxHColumn = cTextDisplay::kMaxHScroll;
constexpr int kMinScrollLines = 2;

QColor ToQColor(uint32_t rgb) { return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF)); }
uint32_t FromQColor(const QColor &color) {
  return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

int FloorDiv(int value, int divisor) {
  if (divisor == 0)
    return 0;
  int quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

std::optional<Key> CaretKey(int key) {
  switch (key) {
  case Qt::Key_Left: return Key::Left;
  case Qt::Key_Right: return Key::Right;
  case Qt::Key_Up: return Key::Up;
  case Qt::Key_Down: return Key::Down;
  case Qt::Key_Home: return Key::Home;
  case Qt::Key_End: return Key::End;
  case Qt::Key_PageUp: return Key::PageUp;
  case Qt::Key_PageDown: return Key::PageDown;
  default: return std::nullopt;
  }
}

std::string LineBytes(cTextDisplay &model, int32_t line) {
  uint16_t length = model.LineLength(line);
  const char *text = model.GetLine(line);
  std::string bytes = text ? std::string(text, length) : std::string();
  model.ReleaseLine(line);
  return bytes;
}

} // namespace

PaneHost::~PaneHost() = default;

void PaneHost::Beep() { QApplication::beep(); }

bool PaneHost::SetClipboardText(const QString &text) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  if (!clipboard)
    return false;
  clipboard->setText(text);
  return clipboard->text() == text;
}

std::optional<QString> PaneHost::ClipboardText() {
  QClipboard *clipboard = QGuiApplication::clipboard();
  const QMimeData *data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasText())
    return std::nullopt;
  return data->text();
}

void PaneHost::CaretStatus(QWidget *, bool, DisplayPos) {}

void PaneHost::ShowMessage(QWidget *, uint32_t message, uint32_t caption) {
  if (message == 0) {
    Beep();
    return;
  }
  std::string text = GetResourceString(message);
  std::string title = caption ? GetResourceString(caption) : "";
  plat::Notifier().MessageBox(title, text, plat::Buttons::Ok, plat::Icon::Warning);
}

PaneHost &DefaultPaneHost() {
  static PaneHost host;
  return host;
}

ShownGlyph ShownChar(uint8_t byte) {
  if (byte < 0x20)
    return {QChar(char16_t(kCaretNotation + byte)), true};
  if (byte == kDelete)
    return {QChar(kDeleteLetter), true};
  if (byte > kDelete && byte <= kLastC1)
    return {QChar(kC1Mark), true};
  return {QChar(char16_t(byte)), false};
}

QString BytesToText(const std::string &bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

std::optional<std::string> TextToBytes(const QString &text) {
  std::string bytes;
  bytes.reserve(size_t(text.size()));
  for (QChar character : text) {
    if (character.unicode() > 0xFF)
      return std::nullopt;
    bytes += char(character.unicode());
  }
  return bytes;
}

cTextWidget::cTextWidget(cTextDisplay &model, PaneHost &host, QWidget *parent)
    : QAbstractScrollArea(parent), model_(&model), host_(host) {
  model_->SetEvents(this);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::IBeamCursor);
  if (QScreen *screen = QGuiApplication::primaryScreen())
    monochrome_ = screen->depth() == 1;
  horizontalScrollBar()->setRange(0, kMaxHColumn);
  int flash = QApplication::cursorFlashTime();
  caretBlink_.setInterval(flash > 0 ? flash / 2 : 0);
  connect(&caretBlink_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    viewport()->update(CaretRect());
  });
  autoScroll_.setInterval(kAutoScrollMs);
  connect(&autoScroll_, &QTimer::timeout, this, [this] { AutoScrollTick(viewport()->mapFromGlobal(QCursor::pos())); });
  SetPaneFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  SetColors(std::nullopt, std::nullopt, std::nullopt, std::nullopt);
}

void cTextWidget::SetModel(cTextDisplay &model) {
  if (model_->Events() == this)
    model_->SetEvents(nullptr);
  model_ = &model;
  model_->SetEvents(this);
  model_->SetFocused(hasFocus());
  model_->SetCellSize(cellWidth_, cellHeight_);
  model_->Resize(viewport()->width(), viewport()->height());
  SyncScrollBars();
  viewport()->update();
}

cTextWidget::~cTextWidget() {
  autoScroll_.stop();
  if (model_->Events() == this)
    model_->SetEvents(nullptr);
}

void cTextWidget::SetPaneFont(const QFont &font) {
  font_ = font;
  font_.setKerning(false);
  font_.setStyleStrategy(QFont::PreferDefault);
  rawFont_ = QRawFont::fromFont(font_);
  QFontMetrics metrics(font_);
  cellWidth_ = metrics.horizontalAdvance(QStringLiteral("AAAA")) / 4;
  cellHeight_ = metrics.height();
  ascent_ = metrics.ascent();
  model_->SetCellSize(cellWidth_, cellHeight_);
  model_->Resize(viewport()->width(), viewport()->height());
  SyncScrollBars();
  viewport()->update();
}

void cTextWidget::SetColors(std::optional<uint32_t> foreground, std::optional<uint32_t> background,
                            std::optional<uint32_t> selectionFg, std::optional<uint32_t> selectionBg) {
  chosen_[0] = foreground;
  chosen_[1] = background;
  chosen_[2] = selectionFg;
  chosen_[3] = selectionBg;
  ApplyPaletteColors();
}

void cTextWidget::ApplyPaletteColors() {
  colors_.foreground = chosen_[0].value_or(FromQColor(palette().color(QPalette::Text)));
  colors_.background = chosen_[1].value_or(FromQColor(palette().color(QPalette::Base)));
  colors_.selectionFg = chosen_[2].value_or(colors_.background);
  colors_.selectionBg = chosen_[3].value_or(colors_.foreground);
  viewport()->update();
}

void cTextWidget::SetMonochrome(bool monochrome) {
  monochrome_ = monochrome;
  viewport()->update();
}

void cTextWidget::changeEvent(QEvent *event) {
  if (event->type() == QEvent::PaletteChange)
    ApplyPaletteColors();
  QAbstractScrollArea::changeEvent(event);
}

void cTextWidget::AddColorRange(TextPos from, TextPos to, uint32_t background, uint32_t foreground, bool repaint) {
  if (PosLine(from) < 0 || PosLine(to) < 0 || from == to)
    return;
  if (!ranges_)
    ranges_ = std::make_unique<cRangeTree>();
  if (ranges_->Insert(from, to, std::make_unique<cColorPair>(background, foreground)) && repaint)
    InvalidateRange(from, to);
}

void cTextWidget::AssignColorRange(TextPos from, TextPos to, uint32_t background, uint32_t foreground, bool repaint) {
  if (PosLine(from) < 0 || PosLine(to) < 0 || from == to)
    return;
  if (!ranges_)
    ranges_ = std::make_unique<cRangeTree>();
  ranges_->Assign(from, to, std::make_unique<cColorPair>(background, foreground));
  if (repaint)
    InvalidateRange(from, to);
}

void cTextWidget::RemoveColorRange(TextPos pos, bool repaint) {
  if (!ranges_)
    return;
  cRangeTree::Span span = ranges_->Find(pos);
  if (!span.data)
    return;
  ranges_->Remove(pos);
  if (repaint)
    InvalidateRange(pos, span.upper);
}

void cTextWidget::ClearColorRanges(bool repaint) {
  if (ranges_ && repaint) {
    for (uint32_t at = 0;;) {
      cRangeTree::Span span = ranges_->Find(at);
      if (span.data)
        InvalidateRange(span.lower, span.upper);
      if (span.upper == cRangeTree::kEnd)
        break;
      at = span.upper;
    }
  }
  ranges_.reset();
}

void cTextWidget::ShiftColorRanges(int32_t lines) {
  if (ranges_)
    ranges_->Shift(lines * int32_t(MakePos(1, 0)));
}

std::vector<QRect> cTextWidget::RangeRects(TextPos from, TextPos to) const {
  std::vector<QRect> rects;
  DisplayPos first = model_->FirstVisible(), last = model_->LastVisible();
  DisplayPos start = model_->OffsetToDisplayColumn(from, 0, 1);
  DisplayPos end = to == kNoPos || PosLine(to) < 0 ? last : model_->OffsetToDisplayColumn(to, 0, 1);
  int32_t startLine = DisplayLine(start), endLine = DisplayLine(end);
  int32_t firstLine = DisplayLine(first), lastLine = DisplayLine(last);
  if (endLine < firstLine || startLine >= lastLine)
    return rects;
  int32_t startColumn = DisplayColumn(start), endColumn = DisplayColumn(end);
  if (startLine < firstLine) {
    startLine = firstLine;
    startColumn = 1;
  }
  if (endLine >= lastLine) {
    endLine = lastLine;
    endColumn = 1;
  }
  int width = viewport()->width();
  auto x = [&](int32_t line, int32_t column) {
    return column <= 1 ? 0 : model_->PixelOf(MakeDisplayPos(line, column)).x;
  };
  int top = model_->PixelOf(MakeDisplayPos(startLine, 1)).y;
  int startX = startColumn <= 1 ? 0 : x(startLine, startColumn);
  if (startLine == endLine) {
    int endX = model_->PixelOf(MakeDisplayPos(endLine, endColumn)).x;
    rects.emplace_back(startX, top, std::max(endX - startX, 0), cellHeight_);
  } else {
    rects.emplace_back(startX, top, std::max(width - startX, 0), cellHeight_);
    rects.emplace_back(0, top + cellHeight_, width, (endLine - startLine - 1) * cellHeight_);
    int endX = endColumn <= 1 ? 0 : model_->PixelOf(MakeDisplayPos(endLine, endColumn)).x;
    rects.emplace_back(0, top + (endLine - startLine) * cellHeight_, endX, cellHeight_);
  }
  return rects;
}

void cTextWidget::InvalidateRange(TextPos from, TextPos to) {
  for (const QRect &rect : RangeRects(from, to))
    if (!rect.isEmpty())
      viewport()->update(rect);
}

void cTextWidget::SetCaretShape(bool thin, bool grey) {
  viewport()->update(CaretRect());
  thinCaret_ = thin;
  greyCaret_ = grey;
  RestartCaret();
}

void cTextWidget::SetCaretHidden(bool hidden) {
  caretHidden_ = hidden;
  RestartCaret();
}

QRect cTextWidget::CaretRect() const {
  PixelPoint at = model_->PixelOf(model_->OffsetToDisplayColumn(model_->GetCursor(), 0, 1));
  return QRect(at.x, at.y, thinCaret_ ? kThinCaretWidth : cellWidth_, cellHeight_);
}

void cTextWidget::RestartCaret() {
  caretOn_ = true;
  if (hasFocus() && caretBlink_.interval() > 0)
    caretBlink_.start();
  // Its old place is drawn again without it.
  viewport()->update(shownCaret_);
  shownCaret_ = CaretRect();
  viewport()->update(shownCaret_);
}

void cTextWidget::AutoScrollTick(QPoint point) {
  DisplayPos target = model_->AutoScrollTarget({point.x(), point.y()});
  model_->SetCursor(model_->DisplayColumnToOffset(target, false));
  model_->ExtendSelection();
}

void cTextWidget::UpdateScrollRange() { SyncScrollBars(); }

void cTextWidget::SyncScrollBars() {
  syncing_ = true;
  int32_t first = DisplayLine(model_->FirstVisible());
  verticalScrollBar()->setRange(1, std::max(model_->LineCount(), kMinScrollLines));
  verticalScrollBar()->setPageStep(std::max(DisplayLine(model_->LastVisible()) - first, 1));
  verticalScrollBar()->setValue(first);
  horizontalScrollBar()->setPageStep(
      std::max(DisplayColumn(model_->LastVisible()) - DisplayColumn(model_->FirstVisible()), 1));
  horizontalScrollBar()->setValue(DisplayColumn(model_->FirstVisible()));
  syncing_ = false;
}

void cTextWidget::scrollContentsBy(int, int) {
  if (syncing_)
    return;
  if (verticalScrollBar()->value() != DisplayLine(model_->FirstVisible()))
    model_->VScroll(ScrollCode::ThumbTrack, verticalScrollBar()->value());
  if (horizontalScrollBar()->value() != DisplayColumn(model_->FirstVisible()))
    model_->HScroll(ScrollCode::ThumbTrack, horizontalScrollBar()->value());
}

void cTextWidget::Repaint(TextPos from, TextPos to) { InvalidateRange(from, to); }

void cTextWidget::Scrolled(int32_t, int32_t, bool) {
  SyncScrollBars();
  viewport()->update();
}

void cTextWidget::CaretShown(DisplayPos caret) {
  host_.CaretStatus(this, true, caret);
  RestartCaret();
}

void cTextWidget::ScrollRangeChanged(int32_t) { SyncScrollBars(); }

void cTextWidget::ShowMessage(uint32_t message, uint32_t caption) { host_.ShowMessage(this, message, caption); }

void cTextWidget::resizeEvent(QResizeEvent *event) {
  QAbstractScrollArea::resizeEvent(event);
  model_->Resize(viewport()->width(), viewport()->height());
  SyncScrollBars();
}

void cTextWidget::paintEvent(QPaintEvent *event) {
  QPainter painter(viewport());
  QRect rect = event->rect();
  painter.fillRect(rect, ToQColor(colors_.background));
  painter.setFont(font_);
  DisplayPos origin = model_->FirstVisible();
  int32_t firstLine = std::max(FloorDiv(rect.top(), cellHeight_) + DisplayLine(origin), 1);
  int32_t lastLine = std::max(FloorDiv(rect.bottom(), cellHeight_) + DisplayLine(origin), 1);
  int32_t firstColumn = std::max(FloorDiv(rect.left() - LeftMargin(), cellWidth_) + DisplayColumn(origin), 1);
  int32_t lastColumn = std::max(FloorDiv(rect.right() - LeftMargin(), cellWidth_) + DisplayColumn(origin), 1);
  int32_t lineCount = model_->LineCount();
  for (int32_t line = firstLine; line <= lastLine && line <= lineCount; ++line)
    PaintLine(painter, line, firstColumn, lastColumn);
  if (CaretDrawn() && rect.intersects(CaretRect())) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QColor invert = Qt::white;
    painter.fillRect(CaretRect(), greyCaret_ ? QBrush(invert, Qt::Dense4Pattern) : QBrush(invert));
  }
}

void cTextWidget::PaintLine(QPainter &painter, int32_t displayLine, int32_t firstColumn, int32_t lastColumn) {
  int32_t line = displayLine - 1;
  std::vector<PaintSegment> segments =
      LineSegments(*model_, line, firstColumn, lastColumn + 1, ranges_.get(), colors_, monochrome_);
  if (segments.empty())
    return;
  std::string text = LineBytes(*model_, line);
  int y = model_->PixelOf(MakeDisplayPos(displayLine, 1)).y;
  for (const PaintSegment &segment : segments) {
    int from = segment.displayFrom == 1 ? 0 : model_->PixelOf(MakeDisplayPos(displayLine, segment.displayFrom)).x;
    int to = model_->PixelOf(MakeDisplayPos(displayLine, segment.displayTo)).x;
    if (segment.background != colors_.background)
      painter.fillRect(from, y, to - from, cellHeight_, ToQColor(segment.background));
    DrawBytes(painter, text, segment, y, ToQColor(segment.foreground), ToQColor(segment.background));
  }
}

void cTextWidget::DrawBytes(QPainter &painter, const std::string &text, const PaintSegment &segment, int y,
                            QColor color, QColor inverse) {
  QVector<quint32> glyphs;
  QVector<QPointF> positions;
  painter.setPen(color);
  int32_t column = segment.displayFrom;
  int tab = TabSize();
  for (uint32_t at = segment.byteFrom; at < segment.byteTo && at < text.size(); ++at) {
    uint8_t byte = uint8_t(text[at]);
    if (byte == '\t') {
      column += tab - (column - 1) % tab;
      continue;
    }
    // Every character at its own cell: the font's advances are fractional
    // and a run drawn whole would drift off the grid.
    int x = model_->PixelOf(MakeDisplayPos(1, column)).x;
    ++column;
    if (byte == ' ')
      continue;
    auto [shown, mark] = ShownChar(byte);
    if (mark) {
      painter.fillRect(x, y, cellWidth_, cellHeight_, color);
      painter.setPen(inverse);
      painter.drawText(QPointF(x, y + ascent_), QString(shown));
      painter.setPen(color);
      continue;
    }
    quint32 glyph = 0;
    if (rawFont_.isValid()) {
      int count = 1;
      rawFont_.glyphIndexesForChars(&shown, 1, &glyph, &count);
    }
    if (glyph != 0) {
      glyphs.push_back(glyph);
      positions.push_back(QPointF(x, y + ascent_));
    } else {
      painter.drawText(QPointF(x, y + ascent_), QString(shown));
    }
  }
  if (glyphs.isEmpty())
    return;
  QGlyphRun run;
  run.setRawFont(rawFont_);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter.drawGlyphRun(QPointF(0, 0), run);
}

TextPos cTextWidget::PositionAt(QPoint point) const {
  DisplayPos at = model_->DisplayPosAt({point.x(), point.y()});
  return model_->DisplayColumnToOffset(at, false);
}

bool cTextWidget::KeyTyped(QKeyEvent *) { return false; }

void cTextWidget::TextCommitted(const QString &) {}

void cTextWidget::inputMethodEvent(QInputMethodEvent *event) {
  if (!event->commitString().isEmpty())
    TextCommitted(event->commitString());
  event->accept();
}

void cTextWidget::keyPressEvent(QKeyEvent *event) {
  Qt::KeyboardModifiers held = event->modifiers();
  if (std::optional<Key> key = CaretKey(event->key()); key && !(held & Qt::AltModifier)) {
    uint8_t modifiers = kNoModifier;
    if (held & Qt::ShiftModifier)
      modifiers |= kShift;
    if (held & Qt::ControlModifier)
      modifiers |= kCtrl;
    if (model_->KeyDown(*key, modifiers)) {
      event->accept();
      return;
    }
  }
  // Tab and Backtab stop here, or the window around would move the focus.
  if (KeyTyped(event) || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    event->accept();
    return;
  }
  event->ignore();
}

void cTextWidget::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || captured_) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  TextPos before = model_->GetCursor();
  TextPos at = PositionAt(event->position().toPoint());
  if (event->modifiers() & Qt::ShiftModifier) {
    if (model_->HasSelection()) {
      model_->SetCursor(at);
      model_->ExtendSelection();
    } else if (!model_->SetSelection(before, at)) {
      model_->SetCursor(at);
    }
  } else {
    model_->SetCursor(at);
    model_->ClearSelection();
  }
  if (model_->SelectionAllowed()) {
    model_->ExtendSelection();
    autoScroll_.start();
  }
  captured_ = true;
}

void cTextWidget::mouseMoveEvent(QMouseEvent *event) {
  if (!autoScroll_.isActive())
    return;
  QPoint point = event->position().toPoint();
  DisplayPos at = model_->DisplayPosAt({point.x(), point.y()});
  DisplayPos first = model_->FirstVisible(), last = model_->LastVisible();
  if (DisplayLine(at) >= DisplayLine(first) && DisplayLine(at) < DisplayLine(last) &&
      DisplayColumn(at) >= DisplayColumn(first) && DisplayColumn(at) < DisplayColumn(last)) {
    model_->SetCursor(model_->DisplayColumnToOffset(at, false));
    model_->ExtendSelection();
  }
}

void cTextWidget::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || !captured_)
    return;
  autoScroll_.stop();
  captured_ = false;
  RestartCaret();
}

void cTextWidget::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || captured_)
    return;
  TextPos at = PositionAt(event->position().toPoint());
  TextPos start = 0, end = 0;
  if (model_->WordRangeAt(at, start, end))
    model_->SetSelection(start, end);
  else
    model_->SetCursor(at);
  captured_ = true;
}

void cTextWidget::focusInEvent(QFocusEvent *event) {
  model_->SetFocused(true);
  host_.CaretStatus(this, true, model_->OffsetToDisplayColumn(model_->GetCursor(), 0, 1));
  RestartCaret();
  QAbstractScrollArea::focusInEvent(event);
}

void cTextWidget::focusOutEvent(QFocusEvent *event) {
  model_->SetFocused(false);
  caretBlink_.stop();
  caretOn_ = false;
  viewport()->update(CaretRect());
  if (!keepSelection_)
    model_->ClearSelection();
  host_.CaretStatus(this, false, 0);
  QAbstractScrollArea::focusOutEvent(event);
}

bool cTextWidget::focusNextPrevChild(bool) { return false; }

QVariant cTextWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
  case Qt::ImEnabled: return true;
  case Qt::ImCursorRectangle: return CaretRect();
  case Qt::ImFont: return font_;
  default: return QAbstractScrollArea::inputMethodQuery(query);
  }
}

} // namespace tsw::gui
