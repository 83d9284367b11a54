#include "gui/dlgsearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "gui/commands.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
#include "gui/tswedit.h"
#include "platform/notify.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "shell_fakes.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

using Texts = std::vector<std::string>;

Texts Newest(const cComboList &history) {
  Texts texts;
  history.ForEach([&](const std::string &text) { texts.push_back(text); });
  return texts;
}

TEST(SearchHistory, ATextEntersOnceLetterForLetterAndTheOldestGoes) {
  cComboList history;
  for (const char *text : {"alpha", "beta", "alpha", "Alpha", ""})
    AddToSearchHistory(history, text);
  EXPECT_EQ(Newest(history), (Texts{"Alpha", "beta", "alpha"}));
  for (int i = 0; i < 16; ++i)
    AddToSearchHistory(history, "t" + std::to_string(i));
  EXPECT_EQ(history.Count(), 15);
  EXPECT_EQ(Newest(history).front(), "t15");
  EXPECT_EQ(Newest(history).back(), "t1");
}

TEST(SearchHistory, AGotoTextReadsAsAtoiReadsIt) {
  const std::pair<const char *, int> cases[] = {{"42", 42}, {"  -12a", -12}, {"abc", 0}, {"", 0}, {"+7 8", 7}};
  for (auto [text, line] : cases)
    EXPECT_EQ(GotoLineNumber(text), line) << text;
}

// The dialogs of the English module, worked as a user would.
class SearchDialogTest : public testing::EnglishDialogSuite {
protected:
  void SetUp() override {
    gui::LastSearch() = {};
    state.kept = &settings.environment;
    settings.environment.caseSensitiveSearch = false;
    settings.environment.searchFromCursor = true;
    settings.environment.noPromptReplace = false;
  }
  void TearDown() override { gui::LastSearch() = {}; }
  // `user` works the dialog once it is up; it is cancelled if still open.
  void WhenShown(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
  }
  static void Click(QDialog &d, uint32_t id) { Get<QPushButton>(d, id)->click(); }

  Settings settings{"test", "/tmp/"};
  SearchDialogState state;
  ModuleSearchDialogs dialogs{*module_, state};
};

TEST_F(SearchDialogTest, FindTakesTheTextAndOptionsOnOkAndNothingOnCancel) {
  settings.environment.findHistory.Push("older");
  settings.environment.findHistory.Push("newer");
  WhenShown([](QDialog &d) {
    auto *text = Get<QComboBox>(d, 101);
    EXPECT_EQ(text->count(), 2);
    EXPECT_EQ(text->itemText(0), "newer") << "newest first";
    EXPECT_TRUE(Get<QCheckBox>(d, 105)->isChecked()) << "from cursor, as the settings keep it";
    text->setEditText("needle");
    Get<QCheckBox>(d, 102)->setChecked(true);
    Get<QCheckBox>(d, 104)->setChecked(true);
    Click(d, 1);
  });
  ASSERT_TRUE(dialogs.Find(nullptr));
  EXPECT_EQ(gui::LastSearch().text, "needle");
  EXPECT_EQ(gui::LastSearch().options, gui::kCaseSensitive | gui::kBackward | gui::kFromCaret);
  EXPECT_TRUE(settings.environment.caseSensitiveSearch);
  EXPECT_FALSE(state.lastWasReplace);
  EXPECT_EQ(Newest(settings.environment.findHistory), (Texts{"needle", "newer", "older"}));

  WhenShown([](QDialog &d) {
    EXPECT_EQ(Get<QComboBox>(d, 101)->currentText(), "needle") << "the last text is offered";
    Get<QComboBox>(d, 101)->setEditText("other");
    Get<QCheckBox>(d, 102)->setChecked(false);
    Click(d, 2);
  });
  EXPECT_FALSE(dialogs.Find(nullptr));
  EXPECT_EQ(gui::LastSearch().text, "needle");
  EXPECT_TRUE(settings.environment.caseSensitiveSearch);
  EXPECT_EQ(settings.environment.findHistory.Count(), 3);
}

TEST_F(SearchDialogTest, ReplaceKeepsItsTextsEvenOnCancelAndReplaceAllAsksForAll) {
  struct Case {
    const char *what;
    bool hasSelection;
    uint32_t button;
    bool confirmed, all, selectionOnly;
  };
  const Case cases[] = {
      {"ok without a selection", false, 1, true, false, false},
      {"replace all in a selection", true, 107, true, true, true},
      {"cancel", true, 2, false, false, true},
  };
  for (const Case &c : cases) {
    settings.environment.findHistory.Clear();
    settings.environment.replaceHistory.Clear();
    WhenShown([&](QDialog &d) {
      auto *selection = Get<QCheckBox>(d, 109);
      EXPECT_EQ(selection->isEnabled(), c.hasSelection) << c.what;
      EXPECT_EQ(selection->isChecked(), c.hasSelection) << c.what;
      Get<QComboBox>(d, 101)->setEditText("old");
      Get<QComboBox>(d, 102)->setEditText("new");
      Get<QCheckBox>(d, 106)->setChecked(true);
      Click(d, c.button);
    });
    std::optional<gui::ReplaceRequest> request = dialogs.Replace(nullptr, c.hasSelection);
    ASSERT_EQ(request.has_value(), c.confirmed) << c.what;
    EXPECT_EQ(gui::LastSearch().text, "old") << c.what;
    EXPECT_EQ(state.replaceText, "new") << c.what;
    EXPECT_TRUE(state.lastWasReplace) << c.what;
    EXPECT_TRUE(settings.environment.noPromptReplace) << c.what;
    EXPECT_EQ(state.selectionOnly, c.selectionOnly) << c.what;
    EXPECT_EQ(Newest(settings.environment.findHistory), Texts{"old"}) << c.what;
    EXPECT_EQ(Newest(settings.environment.replaceHistory), Texts{"new"}) << c.what;
    if (!request)
      continue;
    EXPECT_EQ(request->text, "old");
    EXPECT_EQ(request->replacement, "new");
    EXPECT_EQ(request->all, c.all) << c.what;
    EXPECT_TRUE(request->noPrompt);
    EXPECT_TRUE(request->fromCaret);
    EXPECT_EQ(request->inSelection, c.selectionOnly) << c.what;
  }
}

TEST_F(SearchDialogTest, GotoGivesTheTypedNumberOrNothingOnCancel) {
  WhenShown([](QDialog &d) {
    auto *line = Get<QLineEdit>(d, 101);
    line->setText(QString(25, '1'));
    EXPECT_EQ(line->text().size(), 19) << "cut to 19 characters";
    line->setText("  -12a");
    Click(d, 1);
  });
  EXPECT_EQ(dialogs.GotoLine(nullptr), -12);
  WhenShown([](QDialog &d) { Click(d, 2); });
  EXPECT_EQ(dialogs.GotoLine(nullptr), std::nullopt);
}

// The editor's commands over scripted dialogs.
class ScriptedDialogs : public SearchDialogs {
public:
  bool Find(QWidget *) override {
    gui::LastSearch() = {findText, 0};
    return findConfirmed;
  }
  std::optional<gui::ReplaceRequest> Replace(QWidget *, bool hasSelection) override {
    selectionSeen.push_back(hasSelection);
    return replace;
  }
  std::optional<int> GotoLine(QWidget *) override { return line; }
  std::string findText;
  bool findConfirmed = true;
  std::optional<gui::ReplaceRequest> replace;
  std::optional<int> line;
  std::vector<bool> selectionSeen;
};

class EditorSearchCommands : public testing::QtSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    gui::LastSearch() = {};
  }
  void TearDown() override {
    gui::LastSearch() = {};
    plat::SetNotifier(nullptr);
  }
  std::unique_ptr<cTextEdit> Edit(const std::string &text, SearchDialogs *withDialogs) {
    EditorEnvironment environment;
    environment.settings = &settings;
    environment.searchDialogs = withDialogs;
    auto edit = std::make_unique<cTextEdit>(std::nullopt, environment);
    edit->Core().InsertText(0, text);
    edit->Core().SetCursor(0);
    return edit;
  }
  static void Run(cTextEdit &edit, uint16_t id) {
    const CommandHandlers::Entry *entry = edit.EditWidget()->OwnCommands().Find(id);
    ASSERT_NE(entry, nullptr) << id;
    entry->worker();
  }

  testing::InstalledTexts texts{{{131, "Cannot find \"%s\"."}, {16, "Tessel C"}}};
  plat::RecordingNotifier notifier;
  Settings settings{"test", "/tmp/"};
  ScriptedDialogs dialogs;
};

TEST_F(EditorSearchCommands, FindReplaceAndGotoRunWhatTheirDialogsGave) {
  std::unique_ptr<cTextEdit> edit = Edit("one two\nthree two", &dialogs);
  dialogs.findText = "three";
  Run(*edit, cmd::kFind);
  EXPECT_EQ(edit->Core().SelectionStart(), gui::MakePos(1, 0));

  dialogs.findConfirmed = false;
  dialogs.findText = "one";
  Run(*edit, cmd::kFind);
  EXPECT_EQ(edit->Core().SelectionStart(), gui::MakePos(1, 0)) << "a cancelled find moves nothing";

  gui::ReplaceRequest request;
  request.text = "two";
  request.replacement = "2";
  request.all = true;
  request.noPrompt = true;
  dialogs.replace = request;
  edit->Core().SetCursor(0);
  const bool selected = edit->Core().HasSelection();
  Run(*edit, cmd::kReplace);
  EXPECT_EQ(edit->File().LineText(0), "one 2");
  EXPECT_EQ(edit->File().LineText(1), "three 2");
  EXPECT_EQ(dialogs.selectionSeen, std::vector<bool>{selected}) << "the dialog learns whether there is a selection";

  dialogs.line = 2;
  Run(*edit, cmd::kGotoLine);
  EXPECT_EQ(gui::PosLine(edit->Core().GetCursor()), 1);
}

TEST_F(EditorSearchCommands, WithoutDialogsTheCommandsAreNotOffered) {
  std::unique_ptr<cTextEdit> edit = Edit("text", nullptr);
  for (uint16_t id : {cmd::kFind, cmd::kReplace, cmd::kGotoLine})
    EXPECT_EQ(edit->EditWidget()->OwnCommands().Find(id), nullptr) << id;
}

} // namespace
} // namespace tsw
