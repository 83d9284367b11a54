#include "gui/dlgpass.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "gui/shelllinkhost.h"
#include "gui/settings.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

TEST(PassPhraseControl, ARememberedPassPhraseIsAskedOnlyOnceUntilABoardRefusesIt) {
  struct Login {
    const char *name;
    std::optional<PassPhraseEntry> answer; // none: no dialog may show
    bool refused;                          // the board refuses the login
    std::optional<std::string> sent;       // what the login step gets
  };
  const std::string longPaste(300, 'p');
  const Login logins[] = {
      {"first login, OK with the box ticked", PassPhraseEntry{true, "secret", true}, false, "secret"},
      {"the next login asks nobody", std::nullopt, false, "secret"},
      {"a refused login forgets it", std::nullopt, true, "secret"},
      {"so the next one asks again; cancelled, nothing is sent", PassPhraseEntry{false, "typed", true}, true, std::nullopt},
      {"a cancel remembered nothing: asked again", PassPhraseEntry{true, "other", false}, false, "other"},
      {"OK without the box asks the next time", PassPhraseEntry{true, longPaste, false}, false,
       longPaste.substr(0, 255)},
  };
  int shown = 0;
  std::optional<PassPhraseEntry> answer;
  cTCPPassPhraseControl control([&] {
    ++shown;
    return answer.value_or(PassPhraseEntry{});
  });
  Settings settings{"7.06P", "/nowhere/"};
  ShellLinkHost host(settings, "/progs/");
  host.passPhrase = &control;
  for (const Login &login : logins) {
    SCOPED_TRACE(login.name);
    answer = login.answer;
    const int before = shown;
    // What the login step does with the host.
    std::optional<std::string> sent = host.AskPassPhrase();
    host.ReleasePassPhrase();
    if (login.refused || !sent)
      host.ClearKeepPassPhrase();
    EXPECT_EQ(shown - before, login.answer ? 1 : 0);
    EXPECT_EQ(sent, login.sent);
  }
  // A shell without the holder gives none.
  host.passPhrase = nullptr;
  EXPECT_EQ(host.AskPassPhrase(), std::nullopt);
}

class PassPhraseDialogTest : public testing::EnglishDialogSuite {
protected:
  // Runs the dialog; `user` works the modal dialog once it is up.
  PassPhraseEntry Run(const std::function<void(QDialog &)> &user) {
    QTimer::singleShot(0, [&] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      user(*dialog);
    });
    return RunPassPhraseDialog(*module_, nullptr);
  }
  static QLineEdit *Edit(QDialog &d) { return dynamic_cast<QLineEdit *>(FindControl(d, kPassPhraseEditId)); }
  static QPushButton *Button(QDialog &d, uint32_t id) { return dynamic_cast<QPushButton *>(FindControl(d, id)); }

};

TEST_F(PassPhraseDialogTest, OkGivesTheTypedTextAndTheBoxCancelGivesNothing) {
  PassPhraseEntry ok = Run([](QDialog &d) {
    ASSERT_NE(Edit(d), nullptr);
    EXPECT_TRUE(Edit(d)->text().isEmpty());
    EXPECT_EQ(Edit(d)->echoMode(), QLineEdit::Password) << "no one reads it over the shoulder";
    Edit(d)->insert(QString(300, 'x'));
    dynamic_cast<QCheckBox *>(FindControl(d, kPassPhraseRememberId))->setChecked(true);
    Button(d, 1)->click();
  });
  EXPECT_TRUE(ok.accepted);
  EXPECT_EQ(ok.text, std::string(255, 'x'));
  EXPECT_TRUE(ok.remember);

  PassPhraseEntry cancelled = Run([](QDialog &d) {
    Edit(d)->insert("typed");
    dynamic_cast<QCheckBox *>(FindControl(d, kPassPhraseRememberId))->setChecked(true);
    Button(d, 2)->click();
  });
  EXPECT_FALSE(cancelled.accepted);
  EXPECT_TRUE(cancelled.text.empty());
  EXPECT_FALSE(cancelled.remember);
}

TEST_F(PassPhraseDialogTest, TheAboutDialogClosesWithItsOkButton) {
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shown = true;
    Button(*dialog, 1)->click();
  });
  EXPECT_TRUE(RunInformationDialog(*module_, "DIALOG_ABOUT", nullptr));
  EXPECT_TRUE(shown);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(RunInformationDialog(*module_, "DIALOG_NONE", nullptr));
}

} // namespace
} // namespace tsw
