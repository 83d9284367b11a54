#include "gui/dlgoptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
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

class EditorOptionsDialog : public testing::QtSuite {
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
  bool Run(const std::function<void(QDialog &)> &user) {
    QTimer::singleShot(0, [user] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      user(*dialog);
      if (dialog->isVisible())
        dialog->reject();
    });
    return RunEditorOptionsDialog(*module_, nullptr, editor);
  }
  template <class W> static W *Get(QDialog &d, uint32_t id) { return dynamic_cast<W *>(FindControl(d, id)); }

  EditorSettings editor{3, true, false};
  static inline LanguageModule *module_ = nullptr;
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

} // namespace
} // namespace tsw
