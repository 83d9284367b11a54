#include "gui/dlgfuncins.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QPrinter>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "described_library.h"
#include "dialog_fixture.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/common/model/tswcirc.h"
#include "gui/common/tswcirc.h"
#include "gui/helpdocs.h"
#include "gui/printing.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "platform/notify.h"
#include "settings_fixture.h"
#include "shell_fakes.h"

namespace tsw {
namespace {

using gui::MakePos;

class FunctionHelpDialogTest : public testing::EnglishDialogSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    SetMessageTexts(module_);
    ASSERT_TRUE(library.Build());
  }
  void TearDown() override {
    delete CurrentFunctionAssistant();
    editors.clear();
    ResetShellState();
    SetMessageTexts(nullptr);
    plat::SetNotifier(nullptr);
  }

  std::vector<std::string> Listed(QDialog &dialog) {
    std::vector<std::string> items;
    auto *functions = Get<QComboBox>(dialog, 102);
    for (int i = 0; i < functions->count(); ++i)
      items.push_back(functions->itemText(i).toStdString());
    return items;
  }

  cTextEdit &Editor(const std::string &text, uint32_t column) {
    editors.push_back(std::make_unique<cTextEdit>(std::nullopt, EditorEnvironment{}));
    cTextEdit &edit = *editors.back();
    edit.Core().InsertText(0, text);
    edit.Core().SetCursor(MakePos(0, column));
    return edit;
  }
  QDialog &Assistant(cTextEdit &edit, const std::string &function, bool viewOnly) {
    AssistantRequest request;
    request.entry = testing::DescribedLibraries::Find(function);
    request.name = function;
    request.pane = &edit.Core();
    request.viewOnly = viewOnly;
    QDialog *dialog = OpenFunctionAssistant(*module_, edit.Widget(), request);
    EXPECT_NE(dialog, nullptr);
    return *dialog;
  }
  static std::string Rows(QDialog &dialog, uint32_t id) {
    auto *pane = Get<gui::cRingPane>(dialog, id);
    std::string rows;
    for (int32_t row = 0; pane && row < pane->Ring().UsedRows(); ++row) {
      std::string text = pane->Ring().GetLine(row);
      rows += text.substr(0, text.find_last_not_of(' ') + 1) + "|";
    }
    return rows;
  }

  plat::RecordingNotifier notifier;
  testing::DescribedLibraries library;
  std::vector<std::unique_ptr<cTextEdit>> editors;
};

TEST_F(FunctionHelpDialogTest, TheListOffersEveryDescribedFunctionWhileItsCategoryIsSelected) {
  const std::string string = library.Name(0), math = library.Name(1);
  const std::vector<std::string> all = {"strcpy in " + string, "strlen in " + string, "sqrt in " + math,
                                        "strlen in " + math};
  WhenTheDialogIsUp([&](QDialog &dialog) {
    EXPECT_EQ(Listed(dialog), all);
    auto *categories = Get<QListWidget>(dialog, 101);
    categories->item(0)->setSelected(false);
    EXPECT_TRUE(Listed(dialog).empty());
    categories->item(0)->setSelected(true);
    EXPECT_EQ(Listed(dialog), all);
    Get<QComboBox>(dialog, 102)->setCurrentIndex(2);
    Get<QPushButton>(dialog, 1)->click();
  });
  EXPECT_EQ(RunBrowseDialog(*module_, nullptr), all[2]);

  WhenTheDialogIsUp([&](QDialog &dialog) { QTest::mouseDClick(Get<QComboBox>(dialog, 102), Qt::LeftButton); });
  EXPECT_EQ(RunBrowseDialog(*module_, nullptr), all[0]);

  WhenTheDialogIsUp([&](QDialog &dialog) { Get<QPushButton>(dialog, 2)->click(); });
  EXPECT_EQ(RunBrowseDialog(*module_, nullptr), std::nullopt);

  // Nothing chosen: OK gives nothing either.
  WhenTheDialogIsUp([&](QDialog &dialog) {
    Get<QListWidget>(dialog, 101)->item(0)->setSelected(false);
    Get<QPushButton>(dialog, 1)->click();
  });
  EXPECT_EQ(RunBrowseDialog(*module_, nullptr), std::nullopt);
}

TEST_F(FunctionHelpDialogTest, TheAssistantShowsTheBlockAndWritesTheCallTheUserCompleted) {
  cTextEdit &edit = Editor("x = strcpy(a);", 5);
  QDialog &dialog = Assistant(edit, "strcpy", false);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Insert strcpy");
  EXPECT_EQ(Rows(dialog, 113),
            "strcpy     <STRING.LIB>|SYNTAX: char *strcpy(char *dst, char *src);|PARAMETER1: Where the copy goes.|");
  // It opens for reading only.
  EXPECT_FALSE(Get<QLineEdit>(dialog, 110)->isVisibleTo(&dialog));
  Get<QRadioButton>(dialog, 104)->click();
  ASSERT_TRUE(Get<QLineEdit>(dialog, 110)->isVisibleTo(&dialog));
  EXPECT_EQ(Get<QLineEdit>(dialog, 106)->text().toStdString(), "1");
  EXPECT_EQ(Get<QLineEdit>(dialog, 109)->text().toStdString(), "char *");
  EXPECT_EQ(Get<QLineEdit>(dialog, 108)->text().toStdString(), "dst");
  EXPECT_EQ(Rows(dialog, 105), "Where the copy goes.|");
  EXPECT_EQ(Get<QLineEdit>(dialog, 110)->text().toStdString(), "a");

  Get<QLineEdit>(dialog, 110)->setText("buf");
  Get<QScrollBar>(dialog, 107)->setValue(2);
  EXPECT_EQ(Get<QLineEdit>(dialog, 108)->text().toStdString(), "src");
  EXPECT_EQ(Get<QLineEdit>(dialog, 110)->text().toStdString(), "src");
  Get<QLineEdit>(dialog, 110)->setText("\"hi\"");
  Get<QPushButton>(dialog, 1)->click();
  EXPECT_EQ(edit.File().LineText(0), "x = strcpy(buf,\"hi\");");
}

TEST_F(FunctionHelpDialogTest, OnlyTheInsertModeOfAnAssistantThatMayWriteChangesTheEditor) {
  struct Case {
    bool viewOnly;
    bool insertMode;
    const char *line;
  };
  const Case cases[] = {
      {false, true, "y = sqrt(x);"},
      {false, false, "y = sqrt;"},
      {true, true, "y = sqrt;"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.viewOnly ? "view only" : "may write") + (c.insertMode ? ", insert" : ""));
    cTextEdit &edit = Editor("y = sqrt;", 5);
    QDialog &dialog = Assistant(edit, "sqrt", c.viewOnly);
    if (c.insertMode)
      Get<QRadioButton>(dialog, 104)->click();
    Get<QPushButton>(dialog, 1)->click();
    EXPECT_EQ(edit.File().LineText(0), c.line);
  }
}

TEST_F(FunctionHelpDialogTest, ALibraryThatCannotBeReadIsReportedAndTheAssistantStaysOpenEmpty) {
  cTextEdit &edit = Editor("strcpy", 0);
  std::filesystem::remove(library.stringLib);
  QDialog &dialog = Assistant(edit, "strcpy", false);
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_NE(notifier.boxes[0].text.find(library.Name(0)), std::string::npos) << notifier.boxes[0].text;
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Rows(dialog, 113), "|");
  Get<QPushButton>(dialog, 1)->click();
  EXPECT_EQ(edit.File().LineText(0), "strcpy");
}

TEST_F(FunctionHelpDialogTest, ClosingTheEditorClosesItsAssistant) {
  cTextEdit &edit = Editor("y = sqrt;", 5);
  Assistant(edit, "sqrt", false);
  ASSERT_NE(CurrentFunctionAssistant(), nullptr);
  editors.clear();
  EXPECT_EQ(CurrentFunctionAssistant(), nullptr);
}

TEST_F(FunctionHelpDialogTest, TheAssistantsPanesTakeTheLibraryLookupWindowsColours) {
  Settings settings{"7.06P", "/opt/tsw/"};
  PaneSettings &kind = settings.Pane(PaneKind::kLibraryLookup);
  kind.Color(ColorRole::kForeground) = {0, 0x0000FF};
  kind.Color(ColorRole::kBackground) = {0, 0x00FFFF};
  cTextEdit &edit = Editor("y = sqrt;", 5);
  AssistantRequest request;
  request.entry = testing::DescribedLibraries::Find("sqrt");
  request.name = "sqrt";
  QDialog *dialog = OpenFunctionAssistant(*module_, edit.Widget(), request, &settings);
  ASSERT_NE(dialog, nullptr);
  for (uint32_t id : {113u, 105u}) {
    const gui::PaneColors &colors = Get<gui::cRingPane>(*dialog, id)->Colors();
    EXPECT_EQ(colors.foreground, 0x0000FFu) << id;
    EXPECT_EQ(colors.background, 0x00FFFFu) << id;
  }
}

// New display options reach an open assistant as they reach the editors:
// through the main window's signal, for every assistant open.
TEST_F(FunctionHelpDialogTest, OpenAssistantsFollowNewDisplayOptions) {
  testing::ConfigHome home;
  Settings settings{"7.06P", "/opt/tsw/"};
  BoardEngine engine{settings};
  CompileDriverControl compiler;
  PlaceholderEditorFactory factory;
  cMainWindow window{engine, compiler, settings, factory};
  PaneSettings &kind = settings.Pane(PaneKind::kLibraryLookup);
  kind.Color(ColorRole::kForeground) = {0, 0x0000FF};
  cTextEdit &edit = Editor("y = sqrt;", 5);
  AssistantRequest request;
  request.entry = testing::DescribedLibraries::Find("sqrt");
  request.name = "sqrt";
  QDialog *first = OpenFunctionAssistant(*module_, edit.Widget(), request, &settings);
  QDialog *second = OpenFunctionAssistant(*module_, edit.Widget(), request, &settings);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);

  kind.Color(ColorRole::kForeground) = {0, 0x123456};
  kind.Color(ColorRole::kBackground) = {0, 0x00FF00};
  kind.font.height = -23;
  window.NotifyDisplayOptionsChanged();
  for (QDialog *dialog : {first, second})
    for (uint32_t id : {113u, 105u}) {
      auto *pane = Get<gui::cRingPane>(*dialog, id);
      EXPECT_EQ(pane->Colors().foreground, 0x123456u) << id;
      EXPECT_EQ(pane->Colors().background, 0x00FF00u) << id;
      EXPECT_EQ(pane->PaneFont().pixelSize(), 23) << id;
    }

  // One closed, the other still follows; the closed one is not reached.
  delete first;
  kind.Color(ColorRole::kForeground) = {0, 0x654321};
  window.NotifyDisplayOptionsChanged();
  EXPECT_EQ(Get<gui::cRingPane>(*second, 113)->Colors().foreground, 0x654321u);
}

TEST_F(FunctionHelpDialogTest, ThePrintKeyPrintsTheWholeDescription) {
  cTextEdit &edit = Editor("strcpy", 0);
  QDialog &dialog = Assistant(edit, "strcpy", false);
  const std::string pdf = library.dir / "description.pdf";
  ProgramPrinter().setOutputFileName(QString::fromStdString(pdf));
  auto *print = dialog.findChild<QShortcut *>();
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->key(), QKeySequence(QKeySequence::Print));
  WhenTheDialogIsUp([](QDialog &printDialog) { printDialog.accept(); });
  emit print->activated();
  ProgramPrinter().setOutputFileName({});
  const std::string printed = library.dir.Read("description.pdf");
  EXPECT_EQ(printed.substr(0, 4), "%PDF");
}

// Notes which help file and topic were asked for.
class NotingViewer : public HelpViewer {
public:
  void Close() override {}
  bool ShowContents(const std::string &) override { return true; }
  bool ShowContext(const std::string &file, uint32_t context) override {
    shown.push_back(file + " " + std::to_string(context));
    return true;
  }
  bool ShowKeyword(const std::string &, const std::string &) override { return true; }
  bool OpenPage(const std::string &) override { return true; }
  std::vector<std::string> shown;
};

TEST_F(FunctionHelpDialogTest, TheListsHelpButtonShowsTheLibraryFunctionsTopicWhenTheSettingsNameTheFile) {
  NotingViewer viewer;
  SetHelpViewer(&viewer);
  Settings settings{"7.06P", "/opt/tsw/"};
  settings.personality.helpFile = "tsw.hlp";
  const Settings *const choices[] = {nullptr, &settings};
  for (const Settings *given : choices) {
    WhenTheDialogIsUp([&](QDialog &dialog) {
      auto *help = Get<QPushButton>(dialog, 123);
      EXPECT_EQ(help->isEnabled(), given != nullptr);
      help->click();
    });
    RunBrowseDialog(*module_, nullptr, given);
  }
  SetHelpViewer(nullptr);
  EXPECT_EQ(viewer.shown, std::vector<std::string>{"/opt/tsw/tsw.hlp " + std::to_string(kFunctionHelpContext)});
}

} // namespace
} // namespace tsw
