#include "gui/dlgdasm.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/langmodule.h"
#include "foundation/msgnumbers.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "shell_fakes.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

TEST(DasmAddressTest, SegmentAndOffsetOrAnOffsetBelowTheKernel) {
  struct Case {
    const char *text;
    std::optional<ADDR24> address;
  };
  const Case cases[] = {
      {"12:*3456", MakeAddr24(0x12, 0x3456)},
      {"12:3456", MakeAddr24(0x12, 0x3456)},
      {"4100", MakeAddr24(0, 0x4100)},
      {"F000", MakeAddr24(0, kDasmOffsetLimit)},
      {"def0", MakeAddr24(0, 0xDEF0)},
      {"xyz", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<ADDR24> parsed = ParseDasmAddress(c.text);
    ASSERT_EQ(parsed.has_value(), c.address.has_value());
    if (parsed) {
      EXPECT_EQ(parsed->segment, c.address->segment);
      EXPECT_EQ(parsed->logical, c.address->logical);
    }
  }
}

TEST(DasmHistoryTest, AnEntryIsListedOnceAndTheOldestGoes) {
  DasmHistory history;
  for (int i = 0; i < 20; ++i)
    history.Add(std::to_string(i));
  history.Add("19");
  ASSERT_EQ(history.entries.size(), DasmHistory::kMaxEntries);
  EXPECT_EQ(history.entries.front(), "19");
  EXPECT_EQ(history.entries.back(), "5");
}

class DasmDialogTest : public testing::EnglishDialogSuite {
protected:
  void SetUp() override { plat::SetNotifier(&notifier); }
  void TearDown() override { plat::SetNotifier(nullptr); }
  // Types each text and presses OK, while the dialog is up.
  std::optional<ADDR24> Run(std::vector<QString> typed) {
    std::function<void()> step = [&, typed] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      auto *combo = dynamic_cast<QComboBox *>(FindControl(*dialog, kDasmAddressId));
      auto *ok = dynamic_cast<QPushButton *>(FindControl(*dialog, 1));
      offered = combo->currentText();
      for (const QString &text : typed) {
        combo->setEditText(text);
        ok->click();
      }
      if (dialog->isVisible())
        dialog->reject();
    };
    QTimer::singleShot(0, step);
    return RunDasmDialog(*module_, nullptr, history);
  }

  testing::InstalledTexts texts{{{kMsgInvalidAddress, "Invalid address."}}};
  plat::RecordingNotifier notifier;
  DasmHistory history;
  QString offered;
};

TEST_F(DasmDialogTest, ABadAddressIsRefusedAndTheDialogStaysForAGoodOne) {
  std::optional<ADDR24> address = Run({"xyz", "12:3456"});
  ASSERT_TRUE(address);
  EXPECT_EQ(address->segment, 0x12);
  EXPECT_EQ(address->logical, 0x3456);
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].title, "Error");
  EXPECT_EQ(notifier.boxes[0].text, "Invalid address.");
  EXPECT_EQ(history.last, "12:3456");
  // The next time the last address is offered; a cancel lists nothing.
  EXPECT_FALSE(Run({}));
  EXPECT_EQ(offered, "12:3456");
}

} // namespace
} // namespace tsw
