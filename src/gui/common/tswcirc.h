#pragma once

#include "foundation/msgnumbers.h"
#include "gui/common/model/tswcirc.h"
#include "gui/common/tswview.h"

// The window of a ring pane: its colour ranges follow the rows, and Copy
// puts the selected rows on the clipboard.
namespace tsw::gui {

class cRingPane : public cTextWidget, public RingEvents {
  Q_OBJECT
public:
  cRingPane(cTextCircular &ring, PaneHost &host, QWidget *parent = nullptr);
  ~cRingPane() override;

  cTextCircular &Ring() const { return ring_; }
  // A clipboard that refuses the text shows why; rows and selection stay.
  void EditCopy() override;

  void ShiftRanges(int32_t lines) override { ShiftColorRanges(lines); }
  void DropRanges() override { ClearColorRanges(false); }

private:
  cTextCircular &ring_;
};

} // namespace tsw::gui
