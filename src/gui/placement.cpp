#include "gui/placement.h"

#include <algorithm>

namespace tsw {

Point CenterOverParent(const Rect &parent, bool parentMaximised, Size window, Size screen, bool childOfClient) {
  if (parentMaximised)
    return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
  Point at{(parent.width - window.width) / 2, (parent.height - window.height) / 2};
  if (!childOfClient) {
    at.x += parent.x;
    at.y += parent.y;
  }
  return at;
}

Point PleaseWaitPosition(const Rect &mainWindow, bool mainMaximised, Size dialog, Size screen, int captionHeight) {
  if (mainMaximised)
    return {(screen.width - dialog.width) / 2, (screen.height - dialog.height - captionHeight) / 2};
  return {mainWindow.x + (mainWindow.width - dialog.width) / 2, mainWindow.y + (mainWindow.height - dialog.height) / 2};
}

PleaseWaitLayout LayOutPleaseWait(int baseX, int baseY, bool withCancel) {
  // In base units: the text two lines high one line down, the button two
  // lines high below it, both inside a margin of three characters.
  constexpr int kRowsWithCancel = 9, kRowsPlain = 5;
  constexpr int kTextMargin = 3, kButtonWidth = 8, kButtonRow = 4, kControlRows = 2;
  PleaseWaitLayout layout;
  layout.client = {kPleaseWaitClientWidth, (withCancel ? kRowsWithCancel : kRowsPlain) * baseY};
  layout.text = {kTextMargin * baseX, baseY, kPleaseWaitClientWidth - 2 * kTextMargin * baseX, kControlRows * baseY};
  if (withCancel)
    layout.cancel = {(kPleaseWaitClientWidth - kButtonWidth * baseX) / 2, kButtonRow * baseY, kButtonWidth * baseX,
                     kControlRows * baseY};
  return layout;
}

Size FrameSizeForText(int rows, int columns, Size cell) {
  return {columns * cell.width + kFrameTextWidthExtra, rows * cell.height};
}

Rect LowerThirdOf(Size client) {
  int top = 2 * client.height / 3;
  return {0, top, client.width, client.height - top};
}

std::vector<Rect> TileInRows(Size area, int count) {
  std::vector<Rect> rects;
  if (count <= 0)
    return rects;
  const int height = area.height / count;
  for (int i = 0; i < count; ++i)
    rects.push_back({0, i * height, area.width, i + 1 == count ? area.height - i * height : height});
  return rects;
}

std::vector<Rect> TileInColumns(Size area, int count) {
  std::vector<Rect> rects;
  if (count <= 0)
    return rects;
  const int width = area.width / count;
  for (int i = 0; i < count; ++i)
    rects.push_back({i * width, 0, i + 1 == count ? area.width - i * width : width, area.height});
  return rects;
}

std::vector<Point> ArrangeIcons(Size area, Size icon, int count) {
  std::vector<Point> points;
  const int perRow = icon.width > 0 ? std::max(1, area.width / icon.width) : 1;
  for (int i = 0; i < count; ++i)
    points.push_back({(i % perRow) * icon.width, area.height - (i / perRow + 1) * icon.height});
  return points;
}

} // namespace tsw
