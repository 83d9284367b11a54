#include "gui/helpdocs.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/commands.h"
#include "gui/settings.h"
#include "gui/tswedit.h"
#include "platform/notify.h"
#include "platform/profile.h"
#include "settings_fixture.h"
#include "support/tempdir.h"

#include <filesystem>

namespace tsw {
namespace {

// What was asked of the help viewer, one line a call.
class RecordingViewer : public HelpViewer {
public:
  void Close() override { calls.push_back("close"); }
  bool ShowContents(const std::string &file) override { return Note("contents " + file); }
  bool ShowContext(const std::string &file, uint32_t context) override {
    return Note("context " + std::to_string(context) + " " + file);
  }
  bool ShowKeyword(const std::string &file, const std::string &keyword) override {
    return Note("keyword " + keyword + " " + file);
  }
  bool OpenPage(const std::string &page) override { return Note("page " + page); }

  bool Note(std::string call) {
    calls.push_back(std::move(call));
    return !fails;
  }
  std::vector<std::string> calls;
  bool fails = false;
};

// With the English texts, so that the boxes say what they are about.
class HelpCommandsTest : public testing::EnglishDialogSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    SetHelpViewer(&viewer);
    SetMessageTexts(module_);
    settings.personality.helpFile = "tsw.hlp";
    settings.personality.helpIRFile = "ts_asm.hlp";
  }
  void TearDown() override {
    SetMessageTexts(nullptr);
    SetHelpViewer(nullptr);
    plat::SetNotifier(nullptr);
  }

  // The settings file with `value` of the personality section.
  void StoreValue(const std::string &name, const std::string &value) {
    std::filesystem::create_directories(std::filesystem::path(settings.FilePath()).parent_path());
    plat::ProfileDocument document(settings.FilePath());
    document.Set("Tessel C Personality", name, value);
    ASSERT_TRUE(document.Save());
  }
  void Run(uint16_t id) {
    CommandHandlers commands;
    AddHelpCommands(commands, settings);
    const CommandHandlers::Entry *entry = commands.Find(id);
    ASSERT_NE(entry, nullptr) << id;
    EXPECT_FALSE(entry->enabler) << "always enabled";
    entry->worker();
  }

  testing::ConfigHome home;
  testing::TempDir dir;
  Settings settings{"7.06P", dir.path() + "/"};
  RecordingViewer viewer;
  plat::RecordingNotifier notifier;
};

TEST_F(HelpCommandsTest, EachHelpCommandShowsItsFileOrPage) {
  StoreValue("DefaultURL", "/docs/default.htm");
  StoreValue("DefaultKeywordURL", "/docs/9keyword.htm");
  StoreValue("DefaultOperatorURL", "/docs/10operat.htm");
  StoreValue("DefaultFunctionURL", "/docs/11functn.htm");
  const std::string help = dir.path() + "/tsw.hlp", asmHelp = dir.path() + "/ts_asm.hlp";
  const std::pair<uint16_t, std::string> cases[] = {
      {cmd::kHelpContents2, "contents " + help},
      {cmd::kHelpContents, "contents " + help},
      {cmd::kHelpTopic, "context 2 " + help},
      {cmd::kAssemblerHelp, std::string("keyword ") + kAsmHelpKeyword + " " + asmHelp},
      {cmd::kOnlineDocs, std::string("page ") + kTechSupportPage},
      {195, "page /docs/default.htm"},
      {196, "page /docs/9keyword.htm"},
      {197, "page /docs/10operat.htm"},
      {198, "page /docs/11functn.htm"},
  };
  for (const auto &[id, call] : cases) {
    SCOPED_TRACE(id);
    viewer.calls.clear();
    Run(id);
    EXPECT_EQ(viewer.calls, std::vector<std::string>{call});
  }
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(HelpCommandsTest, TopicZeroClosesHelpAndAFileThatCannotBeShownIsSaid) {
  const HelpFiles files = MakeHelpFiles(settings);
  ShowHelpTopic(viewer, files, kHelpQuit);
  EXPECT_EQ(viewer.calls, std::vector<std::string>{"close"});
  ShowHelpTopic(viewer, files, 0x1234);
  EXPECT_EQ(viewer.calls.back(), "context 4660 " + files.help);
  EXPECT_TRUE(notifier.boxes.empty());

  viewer.fails = true;
  ShowAsmHelp(viewer, files);
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_NE(notifier.boxes[0].text.find("ts_asm.hlp"), std::string::npos) << notifier.boxes[0].text;
}

TEST_F(HelpCommandsTest, AnEmptyAddressOrAPageTheBrowserRefusesIsBox4004) {
  struct Case {
    const char *stored; // none: the value is absent
    bool browserFails;
    bool started;
  };
  const Case cases[] = {
      {"", false, false},
      {"/docs/9keyword.htm", true, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.stored);
    viewer.calls.clear();
    notifier.boxes.clear();
    viewer.fails = c.browserFails;
    StoreValue("DefaultKeywordURL", c.stored);
    Run(196);
    EXPECT_EQ(viewer.calls.size(), c.started ? 1u : 0u);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].title, kOnlineDocumentsTitle);
  }
  // Absent, the support page has its own default; the others have none.
  viewer = {};
  notifier.boxes.clear();
  Run(cmd::kOnlineDocs);
  EXPECT_EQ(viewer.calls, std::vector<std::string>{std::string("page ") + kTechSupportPage});
  Run(198);
  EXPECT_EQ(notifier.boxes.size(), 1u);
}

TEST_F(HelpCommandsTest, TheEditorsHelpOpensTheEditorsTopic) {
  EditorEnvironment environment;
  environment.settings = &settings;
  cTextEdit edit(std::nullopt, environment);
  const CommandHandlers::Entry *entry = edit.EditWidget()->OwnCommands().Find(cmd::kHelpContents2);
  ASSERT_NE(entry, nullptr);
  entry->worker();
  EXPECT_EQ(viewer.calls, std::vector<std::string>{"context " + std::to_string(kEditorHelpContext) + " " +
                                                   MakeHelpFiles(settings).help});
}

} // namespace
} // namespace tsw
