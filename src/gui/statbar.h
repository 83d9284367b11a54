#pragma once

#include <QFontMetrics>
#include <QStatusBar>

#include <memory>

#include "gui/statbar_model.h"

// The status bar at the bottom of the main frame: it paints the fields of
// its model, each with a sunken border, and the overlay over them.
namespace tsw {

class FontMeasurer : public TextMeasurer {
public:
  explicit FontMeasurer(const QFont &font) : metrics_(font) {}
  Size Extent(const std::string &text) const override;

private:
  QFontMetrics metrics_;
};

class cStatBar : public QStatusBar {
  Q_OBJECT
public:
  explicit cStatBar(QWidget *parent = nullptr);
  ~cStatBar() override;

  StatusBarModel &Model() { return *model_; }
  const StatusBarModel &Model() const { return *model_; }

  void EnableTexts();
  void SetLineColumn(uint32_t position);
  void SetModified(bool modified);
  void SetInsertMode(bool insert);
  void SetModeText(int index);
  void SetPriority(int16_t value, bool corvid);
  void ShowMessage(const std::string &text);

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  FontMeasurer measurer_;
  std::unique_ptr<StatusBarModel> model_;
};

} // namespace tsw
