#include "gui/resbuilder.h"

#include "foundation/langmodule.h"
#include "foundation/rescatalog.h"
#include "platform/paths.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeWidget>

#include "support/buildbin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace tsw {
namespace {

using tsw::testing::BuildBin;

class EnglishResources : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char *argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    std::string error;
    module_ = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error).release();
    ASSERT_NE(module_, nullptr) << error;
  }
  static void TearDownTestSuite() {
    delete module_;
    delete app_;
  }
  static const LanguageModule &Module() { return *module_; }

  static MenuResource Menu(const char *name) {
    std::string error;
    std::optional<MenuResource> menu = LoadMenuResource(Module(), name, &error);
    EXPECT_TRUE(menu) << error;
    return menu.value_or(MenuResource{});
  }

private:
  static QApplication *app_;
  static LanguageModule *module_;
};
QApplication *EnglishResources::app_ = nullptr;
LanguageModule *EnglishResources::module_ = nullptr;

const char *QtClassOf(ControlKind kind) {
  switch (kind) {
  case ControlKind::kButton: return "QPushButton";
  case ControlKind::kCheckBox: return "QCheckBox";
  case ControlKind::kRadioButton: return "QRadioButton";
  case ControlKind::kEdit: return "QLineEdit";
  case ControlKind::kMultiLineEdit: return "QPlainTextEdit";
  case ControlKind::kComboBox: return "QComboBox";
  case ControlKind::kListBox: return "QListWidget";
  case ControlKind::kStatic: return "QLabel";
  case ControlKind::kGroupBox: return "QGroupBox";
  case ControlKind::kScrollBar: return "QScrollBar";
  case ControlKind::kListView: return "QTreeWidget";
  }
  return "";
}

TEST_F(EnglishResources, EveryTemplateLoadsWithItsControls) {
  std::vector<std::string> names = Module().ResourceNames();
  for (const TemplateSignature &signature : kTemplateSignatures) {
    EXPECT_NE(std::find(names.begin(), names.end(), signature.name), names.end()) << signature.name;
    std::string error;
    std::unique_ptr<QWidget> dialog = LoadDialogTemplate(Module(), signature.name, nullptr, &error);
    ASSERT_NE(dialog, nullptr) << error;
    EXPECT_FALSE(dialog->windowTitle().isEmpty()) << signature.name;
    std::set<uint32_t> seen;
    for (const ControlSignature &control : signature.controls) {
      EXPECT_TRUE(seen.insert(control.id).second) << signature.name << " lists " << control.id << " twice";
      QWidget *widget = FindControl(*dialog, control.id);
      ASSERT_NE(widget, nullptr) << signature.name << " has no control " << control.id;
      EXPECT_STREQ(widget->metaObject()->className(), QtClassOf(control.kind))
          << signature.name << " control " << control.id;
    }
  }
  // Over a parent a dialog is still a window of its own.
  QWidget owner;
  std::unique_ptr<QWidget> owned = LoadDialogTemplate(Module(), "DIALOG_EDOPT", &owner, nullptr);
  ASSERT_NE(owned, nullptr);
  EXPECT_TRUE(owned->isWindow());
  EXPECT_EQ(owned->parentWidget(), &owner);
  // The program's own empty dialog is not the module's.
  EXPECT_EQ(Module().Resource("DIALOG_EMPTY"), std::nullopt);
  std::string error;
  EXPECT_EQ(LoadDialogTemplate(Module(), "DIALOG_NONE", nullptr, &error), nullptr);
  EXPECT_NE(error.find("DIALOG_NONE"), std::string::npos);
}

TEST_F(EnglishResources, MenusOfferEveryCatalogueCommandAndNoOther) {
  std::set<uint32_t> catalogue(std::begin(kMenuCommands), std::end(kMenuCommands));
  std::multiset<uint32_t> offered;
  for (const char *name : {kFrameMenuName, kWindowMenuName})
    for (uint32_t id : MenuCommandIds(Menu(name)))
      offered.insert(id);
  for (uint32_t id : catalogue)
    EXPECT_EQ(offered.count(id), 1u) << "command " << id;
  for (uint32_t id : offered)
    EXPECT_TRUE(catalogue.count(id)) << "command " << id << " is not in the catalogue";
}

TEST_F(EnglishResources, AcceleratorsAreCatalogueCommandsWithDistinctReadableKeys) {
  std::string error;
  std::optional<AcceleratorTable> table = LoadAcceleratorTable(Module(), kEditAcceleratorsName, &error);
  ASSERT_TRUE(table) << error;
  std::set<uint32_t> catalogue(std::begin(kMenuCommands), std::end(kMenuCommands));
  std::map<QKeySequence, uint32_t> bound;
  for (const Accelerator &key : table->keys) {
    QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(key.key), QKeySequence::PortableText);
    ASSERT_EQ(sequence.count(), 1) << key.key;
    EXPECT_NE(sequence[0].key(), Qt::Key_unknown) << key.key;
    EXPECT_TRUE(catalogue.count(key.id)) << key.key << " runs " << key.id;
    auto [it, fresh] = bound.emplace(sequence, key.id);
    EXPECT_TRUE(fresh) << key.key << " is bound to " << it->second << " and " << key.id;
  }
}

TEST_F(EnglishResources, EveryToolBarCommandHasAHint) {
  for (uint32_t id : kToolBarCommands) {
    const char *hint = Module().Find(id);
    ASSERT_NE(hint, nullptr) << id;
    EXPECT_STRNE(hint, "") << id;
  }
}

TEST_F(EnglishResources, BuilderMakesActionsChecksAndShortcuts) {
  QMainWindow frame;
  BuildMenuBar(Menu(kFrameMenuName), *frame.menuBar());
  std::unique_ptr<QMenu> window = BuildPopupMenu(Menu(kWindowMenuName), "&Window", &frame);
  frame.menuBar()->insertMenu(frame.menuBar()->actions().value(5), window.get());
  ASSERT_EQ(frame.menuBar()->actions().size(), 8);
  EXPECT_EQ(frame.menuBar()->actions()[5]->text(), "&Window");
  EXPECT_EQ(frame.menuBar()->actions()[0]->text(), "&File");

  std::map<uint32_t, QAction *> actions;
  for (QAction *top : frame.menuBar()->actions())
    for (QAction *action : top->menu()->actions())
      if (!action->isSeparator())
        actions[action->data().toUInt()] = action;
  EXPECT_EQ(actions.size(), std::size(kMenuCommands));
  for (const auto &[id, action] : actions) {
    bool checkable = std::count(std::begin(kCheckableCommands), std::end(kCheckableCommands), id) > 0;
    EXPECT_EQ(action->isCheckable(), checkable) << id;
  }

  std::string error;
  std::optional<AcceleratorTable> table = LoadAcceleratorTable(Module(), kEditAcceleratorsName, &error);
  ASSERT_TRUE(table) << error;
  std::vector<uint32_t> ran;
  std::vector<QShortcut *> shortcuts = InstallAccelerators(*table, frame, [&](uint32_t id) { ran.push_back(id); });
  ASSERT_EQ(shortcuts.size(), table->keys.size());
  shortcuts.front()->activated();
  EXPECT_EQ(ran, std::vector<uint32_t>{table->keys.front().id});
  EXPECT_FALSE(LoadAcceleratorTable(Module(), kFrameMenuName, &error));
}

} // namespace
} // namespace tsw
