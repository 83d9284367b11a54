#include "gui/dlgcommopt.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "gui/settings.h"
#include "platform/notify.h"

namespace tsw::testing {
namespace {

class TargetOptionsDialog : public EnglishDialogSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    Reset();
  }
  void TearDown() override { plat::SetNotifier(nullptr); }
  void Reset() {
    notifier.boxes.clear();
    CommunicationSettings &c = settings.comm;
    c.port = 2;
    c.baudRate = 57600;
    c.stopBits = 0;
    c.fullDuplex = 0;
    c.safety = 1;
    c.useTcp = false;
    c.enableTcp = true;
    c.netAddressText = "10.0.0.5";
    c.netAddress = 0;
    c.controllerName = "bench";
    c.tcpPort = 4244;
    services.linkChosen = [this] { ++linkChoices; };
    services.discover = [this](QWidget *) { return found; };
  }
  bool Run(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    return RunTargetOptionsDialog(*module_, nullptr, settings.comm, services);
  }
  static void Ok(QDialog &d) { Get<QPushButton>(d, 1)->click(); }
  static void Cancel(QDialog &d) { Get<QPushButton>(d, 2)->click(); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto &box : notifier.boxes)
      texts.push_back(box.text);
    return texts;
  }

  plat::RecordingNotifier notifier;
  Settings settings{"test", "/prog/"};
  TargetOptionsServices services;
  std::optional<DiscoveryRow> found;
  int linkChoices = 0;
};

TEST_F(TargetOptionsDialog, TheControlsShowTheSerialLinkAndOkStoresTheUsersLine) {
  auto change = [](QDialog &d) {
    EXPECT_EQ(Get<QComboBox>(d, 101)->currentText(), "COM2:");
    EXPECT_EQ(Get<QComboBox>(d, 102)->currentText(), "57600");
    EXPECT_EQ(Get<QComboBox>(d, 103)->currentText(), "1");
    EXPECT_TRUE(Get<QRadioButton>(d, 105)->isChecked()) << "half duplex with safety";
    EXPECT_TRUE(Get<QRadioButton>(d, 109)->isChecked());
    EXPECT_FALSE(FindControl(d, 110)->isEnabled()) << "the network controls wait for the network link";
    EXPECT_TRUE(FindControl(d, 101)->isEnabled());
    Get<QComboBox>(d, 101)->setCurrentText("COM4:");
    Get<QComboBox>(d, 102)->setCurrentText("115200");
    Get<QComboBox>(d, 103)->setCurrentText("2");
    Get<QRadioButton>(d, 104)->setChecked(true);
    Get<QLineEdit>(d, 110)->setText("999.999.999.9999");
  };
  EXPECT_FALSE(Run([&](QDialog &d) {
    change(d);
    Cancel(d);
  }));
  EXPECT_EQ(settings.comm.port, 2);
  EXPECT_EQ(settings.comm.baudRate, 57600u);
  EXPECT_TRUE(Run([&](QDialog &d) {
    change(d);
    Ok(d);
  }));
  const CommunicationSettings &c = settings.comm;
  EXPECT_EQ(c.port, 4);
  EXPECT_EQ(c.baudRate, 115200u);
  EXPECT_EQ(c.stopBits, 2);
  EXPECT_EQ(c.fullDuplex, 1);
  EXPECT_EQ(c.safety, 0);
  EXPECT_FALSE(c.useTcp);
  EXPECT_EQ(c.netAddressText, "999.999.999.999") << "kept unchecked while the serial link is chosen, cut to 15";
  EXPECT_TRUE(notifier.boxes.empty());
  EXPECT_GE(linkChoices, 1) << "the link's choice is told on opening";
}

TEST_F(TargetOptionsDialog, ValuesOutsideTheListsOpenOnTheFirstEntry) {
  settings.comm.port = 9;
  settings.comm.baudRate = 1000;
  settings.comm.fullDuplex = 0;
  settings.comm.safety = 0;
  Run([](QDialog &d) {
    EXPECT_EQ(Get<QComboBox>(d, 101)->currentText(), "COM1:");
    EXPECT_EQ(Get<QComboBox>(d, 102)->currentText(), "110");
    EXPECT_TRUE(Get<QRadioButton>(d, 106)->isChecked());
    Cancel(d);
  });
}

TEST_F(TargetOptionsDialog, TheNetworkLinkTakesOnlyAnAddressThatParses) {
  struct Case {
    const char *address;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"192.168.1.20", {}},
      {"192.168.1.256", {"Invalid Address"}},
      {"", {"Invalid Address", "Address cannot be blank"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.address);
    Reset();
    bool openAfterOk = false;
    const bool stored = Run([&](QDialog &d) {
      Get<QRadioButton>(d, 108)->setChecked(true);
      EXPECT_TRUE(FindControl(d, 110)->isEnabled());
      EXPECT_FALSE(FindControl(d, 101)->isEnabled()) << "the serial controls wait for the serial link";
      Get<QLineEdit>(d, 110)->setText(c.address);
      Get<QLineEdit>(d, 121)->setText("4300");
      Ok(d);
      openAfterOk = d.isVisible();
      if (openAfterOk)
        Cancel(d);
    });
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(stored, c.boxes.empty());
    EXPECT_EQ(openAfterOk, !c.boxes.empty());
    EXPECT_EQ(settings.comm.useTcp, c.boxes.empty());
    EXPECT_EQ(settings.comm.tcpPort, c.boxes.empty() ? 4300 : 4244);
    if (c.boxes.empty()) {
      EXPECT_EQ(settings.comm.netAddressText, c.address);
      EXPECT_EQ(settings.comm.netAddress, 0x1401A8C0u) << "network byte order";
    }
  }
}

TEST_F(TargetOptionsDialog, WithoutTheNetworkLinkOnlyTheSerialOneIsOfferedAndTheNetworkValuesStay) {
  settings.comm.enableTcp = false;
  settings.comm.useTcp = true;
  EXPECT_TRUE(Run([](QDialog &d) {
    for (uint32_t id : {108u, 109u, 110u, 115u, 121u, 126u})
      EXPECT_TRUE(FindControl(d, id)->isHidden()) << id;
    EXPECT_FALSE(FindControl(d, 101)->isHidden());
    EXPECT_TRUE(FindControl(d, 101)->isEnabled());
    EXPECT_LT(FindControl(d, 1)->geometry().bottom(), d.height()) << "the buttons inside the shortened dialog";
    EXPECT_LT(FindControl(d, 1)->y(), 400) << "moved up into the room the network controls left";
    Ok(d);
  }));
  EXPECT_FALSE(settings.comm.useTcp);
  EXPECT_EQ(settings.comm.netAddressText, "10.0.0.5");
  EXPECT_EQ(settings.comm.controllerName, "bench");
  EXPECT_EQ(settings.comm.tcpPort, 4244);
}

TEST_F(TargetOptionsDialog, ABoardChosenInTheDiscoveryFillsTheNetworkFields) {
  for (bool chosen : {false, true}) {
    SCOPED_TRACE(chosen);
    Reset();
    if (chosen)
      found = DiscoveryRow{"lab board", "192.168.7.9", "4250", "idle", "00:90:c2:00:00:01"};
    else
      found.reset();
    Run([](QDialog &d) {
      Get<QRadioButton>(d, 108)->setChecked(true);
      Get<QPushButton>(d, 126)->click();
      Ok(d);
    });
    EXPECT_EQ(settings.comm.netAddressText, chosen ? "192.168.7.9" : "10.0.0.5");
    EXPECT_EQ(settings.comm.controllerName, chosen ? "lab board" : "bench");
    EXPECT_EQ(settings.comm.tcpPort, chosen ? 4250 : 4244);
  }
}

} // namespace
} // namespace tsw::testing
