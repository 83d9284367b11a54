#include "gui/common/tswcirc.h"

namespace tsw::gui {

cRingPane::cRingPane(cTextCircular &ring, PaneHost &host, QWidget *parent)
    : cTextWidget(ring, host, parent), ring_(ring) {
  ring_.SetRingEvents(this);
  // The ring's caret is a cell wide.
  SetCaretShape(false, false);
}

cRingPane::~cRingPane() { ring_.SetRingEvents(nullptr); }

void cRingPane::EditCopy() {
  if (!Host().SetClipboardText(BytesToText(ring_.SelectedText())))
    Host().ShowMessage(this, kMsgClipboardFailed, 0);
}

} // namespace tsw::gui
