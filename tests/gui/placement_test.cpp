#include "gui/placement.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

TEST(Placement, CenterOverParent) {
  const Size screen{1024, 768};
  const Size dialog{200, 100};
  struct Case {
    const char *name;
    Rect parent;
    bool maximised, childOfClient;
    Point expected;
  };
  const Case cases[] = {
      {"over the parent", {100, 50, 600, 400}, false, false, {300, 200}},
      {"inside the client area", {100, 50, 600, 400}, false, true, {200, 150}},
      {"maximised parent: the screen", {100, 50, 600, 400}, true, false, {412, 334}},
      {"parent smaller than the dialog", {10, 10, 101, 51}, false, false, {-39, -14}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CenterOverParent(c.parent, c.maximised, dialog, screen, c.childOfClient), c.expected);
  }
}

TEST(Placement, PleaseWaitPosition) {
  const Size screen{1024, 768};
  const Size dialog{486, 130};
  // Maximised: the caption's height comes off the screen height.
  EXPECT_EQ(PleaseWaitPosition({0, 0, 1024, 768}, true, dialog, screen, 20), (Point{269, 309}));
  EXPECT_EQ(PleaseWaitPosition({100, 40, 641, 481}, false, dialog, screen, 20), (Point{177, 215}));
  // Divisions truncate toward zero, also below zero.
  EXPECT_EQ(PleaseWaitPosition({0, 0, 485, 129}, false, dialog, screen, 20), (Point{0, 0}));
}

TEST(Placement, PleaseWaitLayoutFollowsTheBaseUnits) {
  PleaseWaitLayout plain = LayOutPleaseWait(6, 13, false);
  EXPECT_EQ(plain.client, (Size{480, 65}));
  EXPECT_EQ(plain.text, (Rect{18, 13, 444, 26}));
  EXPECT_EQ(plain.cancel, Rect{});
  PleaseWaitLayout withCancel = LayOutPleaseWait(6, 13, true);
  EXPECT_EQ(withCancel.client, (Size{480, 117}));
  EXPECT_EQ(withCancel.cancel, (Rect{216, 52, 48, 26}));
}

TEST(Placement, DefaultFrameSizes) {
  // The stack pane: 12 rows by 14 columns of its cell, 20 pixels wider.
  EXPECT_EQ(FrameSizeForText(12, 14, {8, 16}), (Size{132, 192}));
  EXPECT_EQ(LowerThirdOf({800, 601}), (Rect{0, 400, 800, 201}));
}

TEST(Placement, TilingAndIcons) {
  EXPECT_EQ(TileInRows({300, 100}, 3), (std::vector<Rect>{{0, 0, 300, 33}, {0, 33, 300, 33}, {0, 66, 300, 34}}));
  EXPECT_EQ(TileInColumns({100, 50}, 2), (std::vector<Rect>{{0, 0, 50, 50}, {50, 0, 50, 50}}));
  EXPECT_TRUE(TileInRows({100, 100}, 0).empty());
  // Two icons fit a row; the third starts the row above.
  EXPECT_EQ(ArrangeIcons({250, 400}, {100, 30}, 3), (std::vector<Point>{{0, 370}, {100, 370}, {0, 340}}));
}

} // namespace
} // namespace tsw
