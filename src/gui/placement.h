#pragma once

#include <vector>

// Where the shell puts its windows, as plain arithmetic over sizes: the
// window classes only read their measures and apply the result.
namespace tsw {

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point &) const = default;
};
struct Size {
  int width = 0, height = 0;
  bool operator==(const Size &) const = default;
};
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
  int Right() const { return x + width; }
};

// A dialog centred over its parent, or over the screen when the parent is
// maximised. A window that lives inside the main client area is placed in
// the parent's own coordinates, so the parent's position is not added.
Point CenterOverParent(const Rect &parent, bool parentMaximised, Size window, Size screen, bool childOfClient);

// The please-wait dialog over the main window; over a maximised main window
// it is centred on the screen less one caption's height.
Point PleaseWaitPosition(const Rect &mainWindow, bool mainMaximised, Size dialog, Size screen, int captionHeight);

// The please-wait dialog's client area and controls, from the dialog base
// units of its font (average character width, character height).
struct PleaseWaitLayout {
  Size client;
  Rect text;
  Rect cancel; // empty without a Cancel button
};
inline constexpr int kPleaseWaitClientWidth = 480;
PleaseWaitLayout LayOutPleaseWait(int baseX, int baseY, bool withCancel);

// A pane frame sized to its pane's character cell.
inline constexpr int kFrameTextWidthExtra = 20;
Size FrameSizeForText(int rows, int columns, Size cell);
// The lower third of the main client area, full width: the message and
// watch frames' place when nothing is stored for them.
Rect LowerThirdOf(Size client);

// The child windows laid out in `count` rows, each the full width, or in
// `count` columns, each the full height; the last one takes what division
// leaves over.
std::vector<Rect> TileInRows(Size area, int count);
std::vector<Rect> TileInColumns(Size area, int count);
// Minimised child windows side by side along the bottom of the area,
// wrapping upwards when a row is full.
std::vector<Point> ArrangeIcons(Size area, Size icon, int count);

} // namespace tsw
