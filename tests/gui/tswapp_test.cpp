#include "gui/tswapp.h"

#include <QApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

namespace {

TEST(TswApp, StartsWithTitledMainFrameAndExitsCleanly) {
  char name[] = "tsw";
  char *argv[] = {name, nullptr};
  QString title;
  bool visible = false;
  int rc = tsw::RunTsw(1, argv, [&] {
    for (QWidget *w : QApplication::topLevelWidgets()) {
      if (auto *frame = qobject_cast<QMainWindow *>(w)) {
        title = frame->windowTitle();
        visible = frame->isVisible();
        frame->close();
      }
    }
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(title.toStdString(), tsw::kProgramName);
  EXPECT_TRUE(visible);
}

} // namespace
