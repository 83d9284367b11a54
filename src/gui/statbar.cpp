#include "gui/statbar.h"

#include <QPainter>
#include <QResizeEvent>

namespace tsw {
namespace {

// Where a field's text starts inside it, and how far the border and the
// text's clip stand in from its edges.
constexpr int kTextX = 8, kTextY = 4;
constexpr int kBorderInset = 2;
constexpr int kClipInset = 3;
constexpr int kInitialWidth = 640;

void PaintField(QPainter &painter, const QPalette &palette, const Rect &box, const std::string &text) {
  QRect r(box.x, box.y, box.width, box.height);
  painter.fillRect(r, palette.color(QPalette::Button));
  // Shadow above and left, highlight below and right: a sunken field.
  int left = r.left() + kBorderInset, top = r.top() + kBorderInset;
  int right = r.left() + r.width() - kBorderInset - 1, bottom = r.top() + r.height() - kBorderInset - 1;
  painter.setPen(palette.color(QPalette::Dark));
  painter.drawLine(left, top, left, bottom);
  painter.drawLine(left, top, right, top);
  painter.setPen(palette.color(QPalette::Light));
  painter.drawLine(right, top, right, bottom);
  painter.drawLine(left, bottom, right, bottom);
  if (text.empty())
    return;
  QRect clip = r.adjusted(kClipInset, kClipInset, -kClipInset, -kClipInset);
  painter.save();
  painter.setClipRect(clip);
  painter.setPen(palette.color(QPalette::ButtonText));
  painter.drawText(QRect(r.left() + kTextX, r.top() + kTextY, r.width(), r.height()), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromUtf8(text));
  painter.restore();
}

} // namespace

Size FontMeasurer::Extent(const std::string &text) const {
  QString q = QString::fromUtf8(text);
  return {metrics_.horizontalAdvance(q), metrics_.height()};
}

cStatBar::cStatBar(QWidget *parent)
    : QStatusBar(parent), measurer_(font()),
      model_(std::make_unique<StatusBarModel>(measurer_, StatusTexts::Load(), kInitialWidth)) {
  setObjectName("StatusBar");
  setSizeGripEnabled(false);
  setFixedHeight(model_->Height());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

cStatBar::~cStatBar() = default;

QSize cStatBar::sizeHint() const { return {kInitialWidth, model_->Height()}; }

void cStatBar::EnableTexts() { model_->EnableTexts(); }
void cStatBar::SetLineColumn(uint32_t position) {
  model_->SetLineColumn(position);
  update();
}
void cStatBar::SetModified(bool modified) {
  model_->SetModified(modified);
  update();
}
void cStatBar::SetInsertMode(bool insert) {
  model_->SetInsertMode(insert);
  update();
}
void cStatBar::SetModeText(int index) {
  model_->SetModeText(index);
  update();
}
void cStatBar::SetPriority(int16_t value, bool corvid) {
  model_->SetPriority(value, corvid);
  update();
}
void cStatBar::ShowMessage(const std::string &text) {
  model_->ShowMessage(text);
  update();
}

void cStatBar::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  for (size_t i = 0; i < kStatusFieldCount; ++i) {
    auto field = static_cast<StatusField>(i);
    PaintField(painter, palette(), model_->Box(field), model_->Text(field));
  }
  if (const auto &overlay = model_->Overlay())
    PaintField(painter, palette(), *overlay, model_->OverlayText());
}

void cStatBar::resizeEvent(QResizeEvent *event) {
  model_->Resize(event->size().width(), event->size().height());
  QStatusBar::resizeEvent(event);
}

} // namespace tsw
