#include "gui/dlgoptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
#include "dialog_fixture.h"
#include "shell_fakes.h"
#include "qt_fixture.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

TEST(EditorOptions, TheTabWidthIsTakenOnlyFromOne) {
  const std::pair<const char *, uint16_t> cases[] = {{"4", 4},   {"12x", 12}, {"0", 3},     {"-3", 3},
                                                     {"abc", 3}, {"", 3},     {"70000", 3}, {" 8", 8}};
  for (auto [text, tabs] : cases) {
    EditorSettings editor{3, false, false};
    ApplyEditorOptions(editor, true, true, text);
    EXPECT_EQ(editor.tabs, tabs) << text;
    EXPECT_TRUE(editor.autoIndent);
    EXPECT_TRUE(editor.removeTrailingWhitespace);
  }
}

class EditorOptionsDialog : public testing::EnglishDialogSuite {
protected:
  bool Run(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    return RunEditorOptionsDialog(*module_, nullptr, editor);
  }

  EditorSettings editor{3, true, false};
};

TEST_F(EditorOptionsDialog, OkStoresTheControlsAndCancelNothing) {
  auto change = [](QDialog &d) {
    EXPECT_EQ(Get<QLineEdit>(d, 101)->text(), "3");
    EXPECT_TRUE(Get<QCheckBox>(d, 102)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(d, 103)->isChecked());
    Get<QLineEdit>(d, 101)->setText("8");
    Get<QCheckBox>(d, 102)->setChecked(false);
    Get<QCheckBox>(d, 103)->setChecked(true);
  };
  EXPECT_FALSE(Run([&](QDialog &d) {
    change(d);
    Get<QPushButton>(d, 2)->click();
  }));
  EXPECT_EQ(editor.tabs, 3);
  EXPECT_TRUE(editor.autoIndent);
  EXPECT_TRUE(Run([&](QDialog &d) {
    change(d);
    Get<QPushButton>(d, 1)->click();
  }));
  EXPECT_EQ(editor.tabs, 8);
  EXPECT_FALSE(editor.autoIndent);
  EXPECT_TRUE(editor.removeTrailingWhitespace);
}

class DebuggerOptionsDialog : public testing::EnglishDialogSuite {
protected:
  bool Run(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    return RunDebuggerOptionsDialog(*module_, nullptr, stdio);
  }
  void SetUp() override {
    stdio.autoOpen = true;
    stdio.outputToFile = false;
    stdio.outputPath = "/tmp/out.txt";
    stdio.appendOutput = false;
    stdio.halfDuplex = true;
  }
  StdioSettings stdio{};
};

TEST_F(DebuggerOptionsDialog, OkStoresTheOutputChoicesAndEndsHalfDuplexAndCancelNothing) {
  auto change = [](QDialog &d) {
    EXPECT_TRUE(Get<QCheckBox>(d, 102)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(d, 103)->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(d, 104)->isChecked());
    EXPECT_EQ(Get<QLineEdit>(d, 101)->text(), "/tmp/out.txt");
    Get<QCheckBox>(d, 102)->setChecked(false);
    Get<QCheckBox>(d, 103)->setChecked(true);
    Get<QCheckBox>(d, 104)->setChecked(true);
    Get<QLineEdit>(d, 101)->setText(QString(300, 'p'));
  };
  EXPECT_FALSE(Run([&](QDialog &d) {
    change(d);
    Get<QPushButton>(d, 2)->click();
  }));
  EXPECT_TRUE(stdio.autoOpen);
  EXPECT_TRUE(stdio.halfDuplex);
  EXPECT_EQ(stdio.outputPath, "/tmp/out.txt");
  EXPECT_TRUE(Run([&](QDialog &d) {
    change(d);
    Get<QPushButton>(d, 1)->click();
  }));
  EXPECT_FALSE(stdio.autoOpen);
  EXPECT_TRUE(stdio.outputToFile);
  EXPECT_TRUE(stdio.appendOutput);
  EXPECT_EQ(stdio.outputPath, std::string(259, 'p')) << "the path keeps within its 260 bytes";
  EXPECT_FALSE(stdio.halfDuplex);
}

TEST(CompileInformation, EachControlShowsItsRangeOrFigure) {
  testing::InstalledTexts texts{{{1000, "code %u"},
                                 {1001, "data %u"},
                                 {1002, "lines %u"},
                                 {1003, "%u s"},
                                 {1004, "%u per minute"},
                                 {1010, "no rate"}}};
  CompileStatistics statistics;
  statistics.rootCodeStart = 0x0000;
  statistics.rootCodeEnd = 0x1FFF;
  statistics.xmemCodeStart = 0x10000;
  statistics.xmemCodeEnd = 0x1FFFF;
  statistics.rootDataStart = 0xB000;
  statistics.rootDataEnd = 0xBFFF;
  statistics.lines = 3000;
  statistics.startMs = 1000;
  statistics.endMs = 2500;
  statistics.bytesWritten = 4096;
  statistics.bytesSent = 5000;
  auto shown = [](const CompileStatistics &s) {
    std::map<uint32_t, std::string> byId;
    for (const auto &[id, text] : CompileInformationTexts(s))
      byId[id] = text;
    return byId;
  };
  std::map<uint32_t, std::string> figures = shown(statistics);
  const std::pair<uint32_t, const char *> expected[] = {
      {101, "0000"},        {102, "1FFF"}, {103, "2000"}, {104, "10000"}, {105, "1FFFF"},
      {106, "10000"},       {113, "B000"}, {115, "1000"}, {125, "code 73728"},
      {126, "data 4096"},   {128, "lines 3000"}, {129, "1 s"}, {130, "120000 per minute"},
      {134, "4096"},        {135, "5000"}};
  for (auto [id, text] : expected)
    EXPECT_EQ(figures[id], text) << id;
  statistics.endMs = statistics.startMs;
  EXPECT_EQ(shown(statistics)[130], "no rate") << "a compile of no measurable time has no rate";
}

TEST_F(DebuggerOptionsDialog, TheCompileInformationDialogShowsTheFiguresUntilOk) {
  testing::InstalledTexts texts{{{1002, "lines %u"}}};
  CompileStatistics statistics;
  statistics.lines = 42;
  statistics.rootCodeEnd = 0x00FF;
  bool closed = false;
  WhenTheDialogIsUp([&](QDialog &d) {
    EXPECT_EQ(Get<QLabel>(d, 128)->text(), "lines 42");
    EXPECT_EQ(Get<QLabel>(d, 103)->text(), "0100");
    Get<QPushButton>(d, 1)->click();
    closed = !d.isVisible();
  });
  RunCompileInformationDialog(*module_, nullptr, statistics);
  EXPECT_TRUE(closed);
}

TEST(DisplayOptions, ElevenKindsEachWithItsItems) {
  const std::vector<DisplayKind> &kinds = DisplayKinds();
  ASSERT_EQ(kinds.size(), 11u);
  std::map<std::string, size_t> counts;
  for (const DisplayKind &kind : kinds)
    counts[kind.name] = kind.items.size();
  EXPECT_EQ(counts["Editor"], 5u);
  EXPECT_EQ(counts["Debug Editor"], 9u);
  EXPECT_EQ(counts["Message"], 7u);
  EXPECT_EQ(counts["Dump"], 3u);
  EXPECT_EQ(counts["Library Lookup"], 5u);
}

class DisplayOptionsDialog : public EditorOptionsDialog {
protected:
  void Run(const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    RunDisplayOptionsDialog(*module_, nullptr, settings, choosers, [this] { ++changes; });
  }
  Settings settings{"test", "/tmp/"};
  DisplayChoosers choosers;
  int changes = 0;
};

TEST_F(DisplayOptionsDialog, EachOkChoosesTheSelectedItemAndTheDialogStaysUntilCancel) {
  std::vector<uint32_t> offered;
  choosers.color = [&](QWidget *, uint32_t current) -> std::optional<uint32_t> {
    offered.push_back(current);
    return offered.size() == 1 ? std::optional<uint32_t>(0x123456) : std::nullopt;
  };
  int fontsAsked = 0;
  choosers.font = [&](QWidget *, const FontSetting &) -> std::optional<FontSetting> {
    ++fontsAsked;
    return std::nullopt;
  };
  settings.Pane(PaneKind::kMessage).Color(ColorRole::kCurrentMessageBg) = {1, 0x00FF00};
  const FontSetting dumpFont = settings.Pane(PaneKind::kDump).font;
  Run([](QDialog &d) {
    auto *kinds = Get<QListWidget>(d, 101);
    auto *items = Get<QListWidget>(d, 102);
    EXPECT_EQ(kinds->currentRow(), 0);
    EXPECT_EQ(items->count(), 5) << "the editor's items first";
    kinds->setCurrentRow(3); // Message
    ASSERT_EQ(items->count(), 7);
    EXPECT_EQ(items->currentRow(), 0) << "a new kind selects its first item";
    items->setCurrentRow(5); // Highlight Bg
    Get<QPushButton>(d, 1)->click();
    EXPECT_TRUE(d.isVisible()) << "OK only chooses";
    Get<QPushButton>(d, 1)->click(); // cancelled in the chooser this time
    kinds->setCurrentRow(10); // Dump
    items->setCurrentRow(0);  // Font
    Get<QPushButton>(d, 1)->click();
    Get<QPushButton>(d, 2)->click();
  });
  const ColorSetting &pair = settings.Pane(PaneKind::kMessage).Color(ColorRole::kCurrentMessageBg);
  EXPECT_EQ(offered, (std::vector<uint32_t>{0x00FF00, 0x123456}));
  EXPECT_EQ(pair.color, 0x123456u);
  EXPECT_EQ(pair.useDefault, 0u) << "a chosen colour is no default any more";
  EXPECT_EQ(fontsAsked, 1);
  EXPECT_EQ(settings.Pane(PaneKind::kDump).font.faceName, dumpFont.faceName);
  EXPECT_EQ(changes, 2) << "after the chosen colour, and after the font dialog however it ended";
}

} // namespace
} // namespace tsw
