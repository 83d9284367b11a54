#include "gui/dlgdump.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "foundation/msgnumbers.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "shell_fakes.h"
#include "support/buildbin.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

TEST(DumpAddressTest, EachFormTakesItsOwnTextAndSaysWhatIsWrong) {
  struct Case {
    const char *text;
    bool physical;
    unsigned error;
    uint32_t physicalAddress;
    uint8_t segment;
    uint16_t logical;
    bool segmentForm;
  };
  const Case cases[] = {
      {"4100", false, 0, 0x77, 0, 0x4100, false},
      {"12:3456", false, 0, 0x77, 0x12, 0x3456, true},
      {"E000", false, kMsgLogicalAddress, 0, 0, 0, false},
      {"zz", false, kMsgInvalidAddress, 0, 0, 0, false},
      {"FFFFF", true, 0, 0xFFFFF, 0, 0x1234, false},
      {"1000000", true, kMsgPhysicalAddress, 0, 0, 0, false},
      {"12:34", true, kMsgPhysicalAddress, 0, 0, 0, false},
  };
  DumpAddressing previous;
  previous.physicalAddress = 0x77;
  previous.address = MakeAddr24(0, 0x1234);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    DumpAddressParse parsed = ParseDumpAddress(c.text, c.physical, previous);
    EXPECT_EQ(parsed.error, c.error);
    ASSERT_EQ(parsed.at.has_value(), c.error == 0);
    if (!parsed.at)
      continue;
    EXPECT_EQ(parsed.at->physicalForm, c.physical);
    EXPECT_EQ(parsed.at->physicalAddress, c.physicalAddress) << "kept unless given";
    EXPECT_EQ(parsed.at->address.segment, c.segment);
    EXPECT_EQ(parsed.at->address.logical, c.logical);
    EXPECT_EQ(parsed.at->segmentForm, c.segmentForm);
  }
}

class DumpDialogTest : public testing::EnglishDialogSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    actions.showPane = [this](const DumpAddressing &at) { shown.push_back(at.address.logical); };
    actions.writeFile = [this](const DumpAddressing &at, uint32_t length, const std::string &file) {
      written.push_back(file + " " + std::to_string(at.address.logical) + " " + std::to_string(length));
      return file != "/no/such/dir/x.txt";
    };
  }
  void TearDown() override { plat::SetNotifier(nullptr); }
  // `user` works the dialog once it is up; it is cancelled if still open.
  bool Run(const std::function<void(QDialog &)> &user) {
    QTimer::singleShot(0, [&] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      user(*dialog);
      if (dialog->isVisible())
        dialog->reject();
    });
    return RunDumpDialog(*module_, nullptr, state, actions);
  }
  static void Ok(QDialog &d) { Get<QPushButton>(d, 1)->click(); }

  testing::InstalledTexts texts{{{kMsgLogicalAddress, "below E000"}, {kMsgCannotCreate, "Cannot create '%s'."}}};
  plat::RecordingNotifier notifier;
  DumpDialogState state;
  DumpActions actions;
  std::vector<uint16_t> shown;
  std::vector<std::string> written;
};

TEST_F(DumpDialogTest, AnAddressGoesToThePaneOrWithALengthIntoAFile) {
  EXPECT_TRUE(Run([](QDialog &d) {
    Get<QComboBox>(d, 102)->setEditText("E100");
    Ok(d);
    ASSERT_TRUE(d.isVisible()) << "a logical address at E000 or above is refused";
    Get<QComboBox>(d, 102)->setEditText("4100");
    Ok(d);
  }));
  EXPECT_EQ(shown, (std::vector<uint16_t>{0x4100}));
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].title, "Address Error");

  EXPECT_TRUE(Run([](QDialog &d) {
    EXPECT_EQ(Get<QComboBox>(d, 102)->currentText(), "4100") << "the last address is offered";
    EXPECT_FALSE(Get<QComboBox>(d, 104)->isEnabled()) << "no file until asked for";
    Get<QCheckBox>(d, 103)->setChecked(true);
    EXPECT_EQ(Get<QLineEdit>(d, 105)->text(), "128");
    Get<QComboBox>(d, 104)->setEditText("/no/such/dir/x.txt");
    Ok(d);
    ASSERT_TRUE(d.isVisible()) << "a file that cannot be made keeps the dialog";
    Get<QComboBox>(d, 104)->setEditText("/tmp/dump.txt");
    Get<QLineEdit>(d, 105)->setText("x");
    Ok(d);
  }));
  EXPECT_EQ(written, (std::vector<std::string>{"/no/such/dir/x.txt 16640 128", "/tmp/dump.txt 16640 128"}))
      << "an unreadable length dumps 128 bytes";
  ASSERT_EQ(notifier.boxes.size(), 2u);
  EXPECT_EQ(notifier.boxes[1].text, "Cannot create '/no/such/dir/x.txt'.");
  EXPECT_FALSE(Run([](QDialog &) {})) << "a cancel dumps nothing";
}

TEST(FlashCopyTest, TheWholeFlashGoesInBlocksAndAFailedWriteStopsTheCopy) {
  struct Case {
    const char *what;
    uint32_t flashSize;
    int failingWrite; // 0: none
    std::vector<uint32_t> blocks; // the sizes written
    bool failed;
  };
  const Case cases[] = {
      {"256 KB", 256 * 1024, 0, std::vector<uint32_t>(64, 4096), false},
      {"a short last block", 5000, 0, {4096, 904}, false},
      {"the third write fails", 5 * 4096, 3, {4096, 4096}, true},
      {"no flash", 0, 0, {}, false},
  };
  for (const Case &c : cases) {
    std::vector<uint32_t> reads, written, progress;
    FlashCopy copy;
    copy.read = [&](uint32_t physical, uint32_t count, uint8_t *out) {
      reads.push_back(physical);
      std::fill(out, out + count, uint8_t(physical >> 12));
    };
    copy.write = [&](const uint8_t *bytes, uint32_t count) {
      if (int(written.size()) + 1 == c.failingWrite) {
        errno = ENOSPC;
        return false;
      }
      EXPECT_EQ(bytes[0], uint8_t(written.size())) << c.what << ": the block read is the block written";
      written.push_back(count);
      return true;
    };
    copy.progress = [&](uint32_t done, uint32_t total) {
      EXPECT_EQ(total, c.flashSize);
      progress.push_back(done);
    };
    const int error = CopyFlash(c.flashSize, copy);
    EXPECT_EQ(written, c.blocks) << c.what;
    EXPECT_EQ(error != 0, c.failed) << c.what;
    if (c.failed) {
      EXPECT_EQ(error, ENOSPC) << c.what;
    }
    for (size_t i = 0; i < reads.size(); ++i)
      EXPECT_EQ(reads[i], i * 4096) << c.what;
    ASSERT_EQ(progress.size(), written.size()) << c.what;
    if (!c.failed && !progress.empty()) {
      EXPECT_EQ(progress.back(), c.flashSize) << c.what;
    }
  }
}

TEST_F(DumpDialogTest, TheFlashChoiceFillsTheLengthAsksBeforeOverwritingAndCopies) {
  std::vector<std::string> copied;
  actions.flashSize = 0x40000;
  actions.copyFlash = [&](const std::string &file) { copied.push_back(file); };
  testing::TempDir dir;
  const std::string existing = dir.Write("flash.bin", "old");
  notifier.answers = {plat::IDCANCEL, plat::IDOK};
  for (int round = 0; round < 2; ++round)
    Run([&](QDialog &d) {
      auto *flash = Get<QRadioButton>(d, 111);
      ASSERT_TRUE(flash->isEnabled());
      flash->click();
      EXPECT_TRUE(Get<QCheckBox>(d, 103)->isChecked());
      EXPECT_EQ(Get<QLineEdit>(d, 105)->text(), "262144");
      EXPECT_FALSE(Get<QLineEdit>(d, 105)->isEnabled()) << "the flash has its own length";
      // Back to an address form: the flash's length goes again.
      Get<QRadioButton>(d, 108)->click();
      EXPECT_FALSE(Get<QCheckBox>(d, 103)->isChecked());
      EXPECT_EQ(Get<QLineEdit>(d, 105)->text(), "");
      flash->click();
      Get<QComboBox>(d, 104)->setEditText(QString::fromStdString(existing));
      Ok(d);
      EXPECT_FALSE(d.isVisible());
    });
  ASSERT_EQ(notifier.boxes.size(), 2u);
  EXPECT_EQ(notifier.boxes[0].text, existing + " Exists. Overwrite?");
  EXPECT_EQ(copied, std::vector<std::string>{existing}) << "copied only after the user agreed";
  EXPECT_TRUE(shown.empty());

  actions.copyFlash = nullptr;
  Run([](QDialog &d) { EXPECT_FALSE(Get<QRadioButton>(d, 111)->isEnabled()) << "no copy without a board to read"; });
}

} // namespace
} // namespace tsw
