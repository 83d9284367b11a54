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

#include <functional>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "foundation/msgnumbers.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "shell_fakes.h"
#include "support/buildbin.h"

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

class DumpDialogTest : public testing::QtSuite {
protected:
  static void SetUpTestSuite() {
    testing::QtSuite::SetUpTestSuite();
    std::string error;
    module_ = LanguageModule::Load("ENGLISH.DLL", testing::BuildBin(), &error).release();
    ASSERT_NE(module_, nullptr) << error;
  }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
    testing::QtSuite::TearDownTestSuite();
  }
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
  template <class W> static W *Get(QDialog &d, uint32_t id) { return dynamic_cast<W *>(FindControl(d, id)); }
  static void Ok(QDialog &d) { Get<QPushButton>(d, 1)->click(); }

  testing::MapTexts texts{{{kMsgLogicalAddress, "below E000"}, {kMsgCannotCreate, "Cannot create '%s'."}}};
  plat::RecordingNotifier notifier;
  DumpDialogState state;
  DumpActions actions;
  std::vector<uint16_t> shown;
  std::vector<std::string> written;
  static inline LanguageModule *module_ = nullptr;
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

} // namespace
} // namespace tsw
