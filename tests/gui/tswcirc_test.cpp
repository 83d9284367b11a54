#include "gui/common/tswcirc.h"

#include <string>
#include <vector>

#include "gui_model/model_fixture.h"
#include "pane_fixture.h"
#include "qt_fixture.h"

namespace tsw::gui {
namespace {

using testing::FakeCharRules;
using tsw::testing::RecordingPaneHost;

class RingPaneTest : public tsw::testing::QtSuite {
protected:
  FakeCharRules rules;
  cTextCircular ring{rules, 3, 20, 0};
  RecordingPaneHost host;
  cRingPane pane{ring, host};
};

TEST_F(RingPaneTest, ColourRangesMoveUpWithTheirRowsAndTheOldestGoes) {
  for (const char *text : {"one", "two", "three"})
    ring.AppendLine(text);
  pane.AddColorRange(MakePos(0, 0), MakePos(0, 3), 1, 2, false);
  pane.AddColorRange(MakePos(2, 0), MakePos(2, 5), 3, 4, false);
  ring.AppendLine("four");
  ASSERT_NE(pane.ColorRanges(), nullptr);
  const cRangeData *data = nullptr;
  EXPECT_TRUE(pane.ColorRanges()->Lookup(MakePos(1, 0), nullptr, &data));
  EXPECT_TRUE(data->IsEqual(cColorPair(3, 4)));
  EXPECT_FALSE(pane.ColorRanges()->Lookup(MakePos(0, 0)));
  EXPECT_FALSE(pane.ColorRanges()->Lookup(MakePos(2, 0)));
  EXPECT_EQ(std::string(ring.GetLine(2)), "four");
  ring.Clear();
  EXPECT_EQ(pane.ColorRanges(), nullptr);
}

TEST_F(RingPaneTest, CopyJoinsRowsAndAFailingClipboardKeepsRowsAndSelection) {
  for (const char *text : {"alpha", "beta"})
    ring.AppendLine(text);
  ring.SetSelection(MakePos(0, 2), MakePos(1, 2));
  pane.EditCopy();
  EXPECT_EQ(host.clipboard, QString("pha\nbe"));
  host.clipboardFails = true;
  host.clipboard.reset();
  pane.EditCopy();
  EXPECT_EQ(host.messages, (std::vector<std::pair<uint32_t, uint32_t>>{{kMsgClipboardFailed, 0}}));
  EXPECT_EQ(ring.SelectionStart(), MakePos(0, 2));
  EXPECT_EQ(ring.SelectionEnd(), MakePos(1, 2));
  EXPECT_EQ(std::string(ring.GetLine(0)), "alpha");
  // The other edit commands of a ring pane only beep.
  pane.EditPaste();
  pane.EditCut();
  EXPECT_EQ(host.beeps, 2);
}

} // namespace
} // namespace tsw::gui
