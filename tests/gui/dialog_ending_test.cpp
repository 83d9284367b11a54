#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

#include "dialog_fixture.h"
#include "gui/resbuilder.h"

namespace tsw {
namespace {

using DialogEnding = testing::EnglishDialogSuite;

std::unique_ptr<QDialog> LoadTemplate(const LanguageModule &module, const char *name) {
  std::string error;
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, name, nullptr, &error);
  EXPECT_TRUE(dynamic_cast<QDialog *>(made.get())) << name << ": " << error;
  return std::unique_ptr<QDialog>(static_cast<QDialog *>(made.release()));
}

struct EndingCase {
  const char *templateName;
  uint32_t helpId;
  uint32_t pressed;
  bool accepted;
};

TEST_F(DialogEnding, HelpIsOffAndOkOrCancelEndsTheDialog) {
  const EndingCase cases[] = {
      {"DIALOG_EDOPT", kHelpButtonId, kOkButtonId, true},
      {"DIALOG_EDOPT", kHelpButtonId, kCancelButtonId, false},
      // The defines dialog numbers its Help button apart.
      {"DIALOG_DEFINES", 998, kOkButtonId, true},
      {"DIALOG_DEFINES", 998, kCancelButtonId, false},
  };
  for (const EndingCase &c : cases) {
    SCOPED_TRACE(std::string(c.templateName) + (c.pressed == kOkButtonId ? " OK" : " Cancel"));
    std::unique_ptr<QDialog> dialog = LoadTemplate(*module_, c.templateName);
    ASSERT_TRUE(dialog);
    bool helpWasEnabled = true;
    WhenTheDialogIsUp([&](QDialog &d) {
      auto *help = Get<QPushButton>(d, c.helpId);
      ASSERT_NE(help, nullptr);
      helpWasEnabled = help->isEnabled();
      Get<QPushButton>(d, c.pressed)->click();
    });
    EXPECT_EQ(ExecTemplateDialog(*dialog, {}, c.helpId), c.accepted);
    EXPECT_FALSE(helpWasEnabled);
  }
}

TEST_F(DialogEnding, OkThatRefusesKeepsTheDialogOpenUntilItAccepts) {
  std::unique_ptr<QDialog> dialog = LoadTemplate(*module_, "DIALOG_EDOPT");
  ASSERT_TRUE(dialog);
  int presses = 0;
  bool openAfterRefusal = false;
  WhenTheDialogIsUp([&](QDialog &d) {
    auto *ok = Get<QPushButton>(d, kOkButtonId);
    ok->click();
    openAfterRefusal = d.isVisible();
    ok->click();
  });
  // The first press finds the entry wanting; the second lets it through.
  const bool accepted = ExecTemplateDialog(*dialog, [&] {
    if (++presses > 1)
      dialog->accept();
  });
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_TRUE(accepted);
  EXPECT_EQ(presses, 2);
}

TEST_F(DialogEnding, CancelRejectsEvenWhenOkValidates) {
  std::unique_ptr<QDialog> dialog = LoadTemplate(*module_, "DIALOG_EDOPT");
  ASSERT_TRUE(dialog);
  bool okRan = false;
  WhenTheDialogIsUp([](QDialog &d) { Get<QPushButton>(d, kCancelButtonId)->click(); });
  EXPECT_FALSE(ExecTemplateDialog(*dialog, [&] { okRan = true; }));
  EXPECT_FALSE(okRan);
}

} // namespace
} // namespace tsw
