#include "gui/dlgtip.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "platform/profile.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "support/buildbin.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

TEST(TipTextTest, AHeadingMarkEarlyInTheTextSplitsOffTheHeading) {
  struct Case {
    std::string text, heading, body;
  };
  const Case cases[] = {
      {"Tip^Use\\nMore", "Tip", "Use\nMore"},
      {"^No heading", "", "^No heading"},
      {std::string(60, 'a') + "^late", "", std::string(60, 'a') + "^late"},
      {"plain", "", "plain"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    Tip tip = SplitTip(c.text);
    EXPECT_EQ(tip.heading, c.heading);
    EXPECT_EQ(tip.text, c.body);
  }
}

class TipFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    path = dir.Write("tsw.tip", "[TipOfTheDay]\nStartup=1\nPos=0\nMax=2\n[Tips]\n0=zero\n1=one\n2=two\n");
  }
  std::string Pos() { return plat::GetProfileString("TipOfTheDay", "Pos", "", path); }
  testing::TempDir dir;
  std::string path;
};

TEST_F(TipFileTest, TipsStepOnWrappingAtBothEndsAndThePlaceIsKept) {
  TipFile tips(path);
  EXPECT_TRUE(tips.ShowAtStartup());
  EXPECT_EQ(tips.Next()->text, "one");
  EXPECT_EQ(tips.Next()->text, "two");
  EXPECT_EQ(tips.Next()->text, "zero") << "past the last tip comes tip 0";
  EXPECT_EQ(Pos(), "0");
  EXPECT_EQ(tips.Previous()->text, "two") << "back from tip 0 is tip Max";
  EXPECT_EQ(Pos(), "2");
  tips.SetShowAtStartup(false);
  EXPECT_FALSE(TipFile(path).ShowAtStartup());
  EXPECT_FALSE(TipFile(dir / "none.tip").Next()) << "no tips, nothing to show";
}

class TipDialogTest : public testing::EnglishDialogSuite {
protected:
  testing::TempDir dir;
};

TEST_F(TipDialogTest, TheDialogShowsTheNextTipAndStepsWithItsButtons) {
  const std::string path = dir.Write("tsw.tip", "[TipOfTheDay]\nPos=0\nMax=1\n[Tips]\n0=Keys^Press F1\n1=Save^Often\n");
  TipFile tips(path);
  std::vector<std::string> seen;
  QTimer::singleShot(0, [&] {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    auto heading = [&] { return dynamic_cast<QLabel *>(FindControl(*dialog, 11003))->text().toStdString(); };
    auto text = [&] { return dynamic_cast<QPlainTextEdit *>(FindControl(*dialog, 11004))->toPlainText().toStdString(); };
    seen.push_back(heading() + "|" + text());
    dynamic_cast<QPushButton *>(FindControl(*dialog, 11012))->click();
    seen.push_back(heading() + "|" + text());
    dynamic_cast<QPushButton *>(FindControl(*dialog, 101))->click();
    seen.push_back(heading() + "|" + text());
    dynamic_cast<QCheckBox *>(FindControl(*dialog, 11013))->setChecked(true);
    dynamic_cast<QPushButton *>(FindControl(*dialog, 1))->click();
  });
  RunTipDialog(*module_, nullptr, tips);
  EXPECT_EQ(seen, (std::vector<std::string>{"Save|Often", "Keys|Press F1", "Save|Often"}));
  EXPECT_TRUE(tips.ShowAtStartup()) << "the box writes the start-up switch";
}

} // namespace
} // namespace tsw
