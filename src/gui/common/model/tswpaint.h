#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/common/model/tswdisp.h"
#include "gui/common/model/tswrange.h"

// What a pane draws on one display line: runs of bytes, each with the
// colours it is drawn in. The widget fills and draws the runs; everything
// that decides them (selection, colour ranges, monochrome screens, double
// byte characters) stays here, where it is tested without a window.
namespace tsw::gui {

// Colours are RGB values, red in the low byte.
constexpr uint32_t RgbSum(uint32_t rgb) { return (rgb & 0xFF) + (rgb >> 8 & 0xFF) + (rgb >> 16 & 0xFF); }

// The colours of one range of text (an execution line, a breakpoint, the
// current message).
class cColorPair : public cRangeData {
public:
  cColorPair(uint32_t background, uint32_t foreground) : background(background), foreground(foreground) {}
  std::unique_ptr<cRangeData> Clone() const override;
  bool IsEqual(const cRangeData &other) const override;

  uint32_t background;
  uint32_t foreground;
};

struct PaneColors {
  uint32_t foreground = 0;
  uint32_t background = 0;
  uint32_t selectionFg = 0;
  uint32_t selectionBg = 0;
};

struct PaintSegment {
  uint32_t byteFrom = 0;
  uint32_t byteTo = 0;
  int32_t displayFrom = 0; // display columns, from 1; the end exclusive
  int32_t displayTo = 0;
  uint32_t foreground = 0;
  uint32_t background = 0;
  bool operator==(const PaintSegment &) const = default;
};

// The runs of `line` between display columns `displayFrom` and `displayTo`
// (exclusive); a character cut by the left edge is drawn whole. `ranges` is
// null for a pane without colour ranges.
std::vector<PaintSegment> LineSegments(cTextDisplay &pane, int32_t line, int32_t displayFrom, int32_t displayTo,
                                       const cRangeTree *ranges, const PaneColors &colors, bool monochrome);

} // namespace tsw::gui
