#include "gui/dlgccopt.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "gui/settings.h"
#include "platform/notify.h"
#include "shell_fakes.h"

namespace tsw::testing {
namespace {

TEST(CompilerLibraryDirectory, TheUsersFileWhenEnabledElseTheProgramDirectorysDefault) {
  Settings settings{"test", "/prog/"};
  settings.locations.userLibDir = "/home/me/mylib.dir";
  settings.locations.defaultLibDir = "lib.dir";
  settings.main.userLibEnabled = true;
  EXPECT_EQ(CompilerLibraryDirectory(settings, "/prog/"), "/HOME/ME/MYLIB.DIR");
  settings.main.userLibEnabled = false;
  EXPECT_EQ(CompilerLibraryDirectory(settings, "/prog/"), "/prog/LIB.DIR");
}

class CompilerOptionsDialog : public EnglishDialogSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    Reset();
  }
  // The settings and values every case starts from.
  void Reset() {
    notifier.boxes.clear();
    settings.main.biosFileType = 0;
    settings.main.userLibEnabled = false;
    settings.main.userBiosEnabled = true;
    settings.main.restrictWatchExp = false;
    settings.locations.userLibDir = "";
    settings.locations.defaultUserBios = "/b/MYBIOS.C";
    settings.compiler.maxErrors = 10;
    settings.compiler.maxSeriousWarnings = 5;
    settings.compiler.maxTrivialWarnings = 5;
    settings.compiler.maxRows = 22;
    values = {.warn = 1, .index = 1, .ptr = 0, .stack = 7, .size = 1, .lit = 8, .mac = 9, .sym = 10, .cchexf = 11,
              .tcprot = 0, .tcptr = 1, .tcdmtn = 0};
    services.definesText = [this] { return defines; };
    services.setDefines = [this](const std::string &text) { definesSet.push_back(text); };
    services.executableDirectory = "/prog/";
    services.chooseFile = [this](QWidget *, const FileChoice &choice) {
      choices.push_back(choice);
      return chosenFile;
    };
  }
  void TearDown() override { plat::SetNotifier(nullptr); }

  bool Run(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    return RunCompilerOptionsDialog(*module_, nullptr, settings, values, services);
  }
  static void Ok(QDialog &d) { Get<QPushButton>(d, 1)->click(); }
  static void Cancel(QDialog &d) { Get<QPushButton>(d, 2)->click(); }

  InstalledTexts texts{{{16, "Tessel C"}, {4027, "%s must be a number from %d to %d."}}};
  plat::RecordingNotifier notifier;
  Settings settings{"test", "/prog/"};
  CompilerOptionValues values;
  CompilerOptionsServices services;
  std::string defines = "A=1;B";
  std::vector<std::string> definesSet;
  std::vector<FileChoice> choices;
  std::optional<std::string> chosenFile;
};

TEST_F(CompilerOptionsDialog, TheControlsShowTheValuesAndOkStoresWhatTheUserChanged) {
  auto change = [](QDialog &d) {
    EXPECT_TRUE(Get<QRadioButton>(d, 103)->isChecked()) << "warn 1: the serious warnings";
    EXPECT_TRUE(Get<QCheckBox>(d, 104)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(d, 105)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(d, 107)->isChecked());
    EXPECT_TRUE(Get<QCheckBox>(d, 119)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(d, 128)->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(d, 109)->isChecked());
    EXPECT_EQ(Get<QLineEdit>(d, 132)->text(), "/b/MYBIOS.C");
    EXPECT_EQ(Get<QLineEdit>(d, 116)->text(), "10");
    EXPECT_EQ(Get<QLineEdit>(d, 111)->text(), "10") << "the warning total";
    Get<QRadioButton>(d, 101)->setChecked(true);
    Get<QCheckBox>(d, 104)->setChecked(false);
    Get<QCheckBox>(d, 105)->setChecked(true);
    Get<QRadioButton>(d, 108)->setChecked(true);
    Get<QCheckBox>(d, 117)->setChecked(true);
    Get<QCheckBox>(d, 119)->setChecked(false);
    Get<QCheckBox>(d, 118)->setChecked(true);
    Get<QRadioButton>(d, 125)->setChecked(true);
    Get<QCheckBox>(d, 113)->setChecked(true);
    Get<QLineEdit>(d, 114)->setText("/u/LIB.DIR");
    Get<QCheckBox>(d, 130)->setChecked(false);
    Get<QRadioButton>(d, 110)->setChecked(true);
  };
  const CompilerOptionValues before = values;
  EXPECT_FALSE(Run([&](QDialog &d) {
    change(d);
    Cancel(d);
  }));
  EXPECT_EQ(values, before) << "Cancel stores nothing";
  EXPECT_FALSE(settings.main.userLibEnabled);
  EXPECT_EQ(settings.main.biosFileType, 0);

  EXPECT_TRUE(Run([&](QDialog &d) {
    change(d);
    Ok(d);
  }));
  const CompilerOptionValues expected = {.warn = 2, .index = 0, .ptr = 1, .stack = 7, .size = 0, .lit = 8, .mac = 9,
                                         .sym = 10, .cchexf = 11, .tcprot = 1, .tcptr = 0, .tcdmtn = 1};
  EXPECT_EQ(values, expected) << "the values it does not show ride along";
  EXPECT_EQ(settings.main.biosFileType, 1);
  EXPECT_TRUE(settings.main.userLibEnabled);
  EXPECT_EQ(settings.locations.userLibDir, "/u/LIB.DIR");
  EXPECT_FALSE(settings.main.userBiosEnabled);
  EXPECT_TRUE(settings.main.restrictWatchExp);
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(CompilerOptionsDialog, TheLimitsAreTakenInRangeAndARefusedOneKeepsTheDialogAndEveryValue) {
  struct Case {
    const char *name;
    const char *errors, *warnings;
    bool closes;
    std::string box; // the refusal shown, if any
    uint16_t maxErrors, serious, trivial, rows;
  };
  const Case cases[] = {
      {"both in range", "10", "5", true, "", 10, 2, 3, 17},
      {"the highest error count", "100", "5", true, "", 100, 2, 3, 107},
      {"no error count keeps it", "", "5", true, "", 10, 2, 3, 7},
      {"no warning total keeps them and the rows", "20", "", true, "", 20, 5, 5, 22},
      {"too many errors", "101", "5", false, "Errors must be a number from 1 to 100.", 10, 5, 5, 22},
      {"no errors at all", "0", "5", false, "Errors must be a number from 1 to 100.", 10, 5, 5, 22},
      {"a total leaving no serious warning", "10", "1", false, "Warnings must be a number from 2 to 100.", 10, 5, 5,
       22},
      {"too many warnings", "10", "101", false, "Warnings must be a number from 2 to 100.", 10, 5, 5, 22},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    bool openAfterOk = false;
    const bool stored = Run([&](QDialog &d) {
      Get<QCheckBox>(d, 113)->setChecked(true); // a change Cancel must undo
      Get<QLineEdit>(d, 116)->setText(c.errors);
      Get<QLineEdit>(d, 111)->setText(c.warnings);
      Ok(d);
      openAfterOk = d.isVisible();
      if (openAfterOk)
        Cancel(d);
    });
    EXPECT_EQ(stored, c.closes);
    EXPECT_EQ(openAfterOk, !c.closes);
    EXPECT_EQ(settings.main.userLibEnabled, c.closes) << "a refused OK stores nothing";
    if (c.box.empty()) {
      EXPECT_TRUE(notifier.boxes.empty());
    } else {
      ASSERT_EQ(notifier.boxes.size(), 1u);
      EXPECT_EQ(notifier.boxes[0].text, c.box);
      EXPECT_EQ(notifier.boxes[0].title, "Tessel C");
    }
    EXPECT_EQ(settings.compiler.maxErrors, c.maxErrors);
    EXPECT_EQ(settings.compiler.maxSeriousWarnings, c.serious);
    EXPECT_EQ(settings.compiler.maxTrivialWarnings, c.trivial);
    EXPECT_EQ(settings.compiler.maxRows, c.rows);
  }
}

TEST_F(CompilerOptionsDialog, EachPathFieldAndItsChooserFollowTheirCheckBox) {
  chosenFile = "/chosen/NEW.DIR";
  Run([&](QDialog &d) {
    auto *libraryOn = Get<QCheckBox>(d, 113);
    EXPECT_FALSE(FindControl(d, 114)->isEnabled());
    EXPECT_FALSE(FindControl(d, 115)->isEnabled());
    EXPECT_TRUE(FindControl(d, 132)->isEnabled()) << "the user BIOS is on";
    libraryOn->setChecked(true);
    EXPECT_TRUE(FindControl(d, 114)->isEnabled());
    EXPECT_TRUE(FindControl(d, 115)->isEnabled());
    Get<QPushButton>(d, 115)->click();
    EXPECT_EQ(Get<QLineEdit>(d, 114)->text(), "/chosen/NEW.DIR");
    Get<QCheckBox>(d, 130)->setChecked(false);
    EXPECT_FALSE(FindControl(d, 131)->isEnabled());
    EXPECT_FALSE(FindControl(d, 132)->isEnabled());
    chosenFile.reset();
    Get<QCheckBox>(d, 130)->setChecked(true);
    Get<QPushButton>(d, 131)->click();
    EXPECT_EQ(Get<QLineEdit>(d, 132)->text(), "/b/MYBIOS.C") << "a cancelled choice keeps the field";
    Cancel(d);
  });
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[0].initial, "/prog/") << "an empty field starts in the program directory";
  EXPECT_NE(choices[0].filter.find("*.dir"), std::string::npos);
  EXPECT_EQ(choices[1].initial, "/b/MYBIOS.C");
  EXPECT_NE(choices[1].filter.find("*.c"), std::string::npos);
}

TEST_F(CompilerOptionsDialog, TheDefinesDialogHandsOnTheWholeTextOnlyWhenConfirmed) {
  const std::string threeLines = "A=1;\nB=2;\nC";
  Run([&](QDialog &d) {
    for (bool confirm : {false, true}) {
      WhenTheDialogIsUp([&, confirm](QDialog &definesDialog) {
        auto *edit = Get<QPlainTextEdit>(definesDialog, 101);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->toPlainText().toStdString(), defines);
        edit->setPlainText(QString::fromStdString(threeLines));
        Get<QPushButton>(definesDialog, confirm ? 1 : 2)->click();
      });
      Get<QPushButton>(d, 106)->click();
    }
    Cancel(d);
  });
  EXPECT_EQ(definesSet, std::vector<std::string>{threeLines}) << "both line breaks kept, and the cancelled text not";
}

} // namespace
} // namespace tsw::testing
