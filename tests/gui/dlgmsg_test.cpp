#include "gui/dlgmsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "qt_fixture.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

class PleaseWaitWindow : public testing::QtSuite {
protected:
  void SetUp() override {
    frame.setCentralWidget(new QLabel("client"));
    frame.resize(640, 480);
    frame.show();
  }
  testing::InstalledTexts texts{{{kMsgPleaseWaitCancel, "Cancel"}}};
  QMainWindow frame;
  int statusClears = 0;
  QtMessageDialogHost host{&frame, [this] { ++statusClears; }};
  cDialogControl holder{host};
};

TEST_F(PleaseWaitWindow, CancelButtonRaisesAtThePumpAndTheFrameStaysDisabled) {
  OpenMessageDialog(holder, 1);
  auto *dialog = dynamic_cast<const cDlgMsg *>(holder.Dialog());
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(dialog->CancelButton(), nullptr);
  EXPECT_EQ(dialog->CancelButton()->text(), "Cancel");
  EXPECT_FALSE(frame.centralWidget()->isEnabled());
  dialog->CancelButton()->click();
  EXPECT_THROW(PumpMessageDialog(holder), xUserCancel);
  EXPECT_FALSE(holder.HasDialog());
  EXPECT_FALSE(frame.centralWidget()->isEnabled());
  CloseMessageDialog(holder);
  EXPECT_TRUE(frame.centralWidget()->isEnabled());
}

TEST_F(PleaseWaitWindow, TextIsCutAtItsLimit) {
  OpenMessageDialog(holder, 0);
  auto *dialog = dynamic_cast<const cDlgMsg *>(holder.Dialog());
  EXPECT_EQ(dialog->CancelButton(), nullptr);
  SetMessageDialogText(holder, std::string(300, 'x'));
  EXPECT_EQ(dialog->Text().size(), kPleaseWaitTextLimit);
  EXPECT_EQ(statusClears, 1);
  CloseMessageDialog(holder);
}

TEST_F(PleaseWaitWindow, WhileBusyAltKeysAndTheFramesCloseAreRefused) {
  OpenMessageDialog(holder, 0);
  QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
  QCloseEvent close;
  EXPECT_TRUE(host.eventFilter(frame.centralWidget(), &altF4));
  EXPECT_TRUE(host.eventFilter(&frame, &close));
  EXPECT_FALSE(close.isAccepted());
  CloseMessageDialog(holder);
  EXPECT_TRUE(frame.close());
}

} // namespace
} // namespace tsw
