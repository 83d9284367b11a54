#include "gui/dlgwatch.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "gui/watchlist.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

using Texts = std::vector<std::string>;

class WatchDialogTest : public testing::EnglishDialogSuite {
protected:
  WatchDialogResult Run(const std::string &proposed, const std::function<void(QDialog &)> &user) {
    WhenTheDialogIsUp(user);
    return RunWatchDialog(*module_, nullptr, watches, history, proposed, [this] { ++changes; });
  }
  static void Click(QDialog &d, uint32_t id) { Get<QPushButton>(d, id)->click(); }

  cWatchList watches{cWatchList::kWatchKind};
  cWatchList history{cWatchList::kHistoryKind};
  int changes = 0;
};

TEST_F(WatchDialogTest, AddPutsTheTextInFrontOnceAndDeleteTakesTheFirstWatch) {
  watches.Insert(-1, "old");
  const WatchDialogResult result = Run("count", [](QDialog &d) {
    EXPECT_EQ(Get<QComboBox>(d, 101)->currentText(), "count") << "the proposed text";
    EXPECT_TRUE(Get<QPushButton>(d, 104)->isEnabled());
    Click(d, 103);
    Click(d, 103);
    EXPECT_EQ(Get<QListWidget>(d, 102)->count(), 2) << "added once";
    EXPECT_EQ(Get<QListWidget>(d, 102)->item(0)->text(), "count");
    Get<QComboBox>(d, 101)->setEditText("i + 1");
    Click(d, 103);
    Click(d, 104); // the first watch: "i + 1"
    Click(d, 104); // then "count"
    Click(d, 104); // then "old": the list is empty and Delete goes grey
    EXPECT_FALSE(Get<QPushButton>(d, 104)->isEnabled());
    Click(d, 1);
  });
  EXPECT_EQ(result.end, WatchDialogEnd::Text);
  EXPECT_EQ(result.text, "i + 1");
  EXPECT_EQ(watches.Count(), 0u);
  EXPECT_EQ(changes, 3) << "the board hears of each delete";
  EXPECT_EQ(history.Expressions(), (Texts{"i + 1", "count"}));
}

TEST_F(WatchDialogTest, HowTheDialogEnds) {
  struct Case {
    const char *what;
    std::string proposed;
    uint32_t button;
    WatchDialogEnd end;
  };
  const Case cases[] = {
      {"ok with a text", "x", 1, WatchDialogEnd::Text},
      {"ok without", "", 1, WatchDialogEnd::Empty},
      {"cancel", "x", 2, WatchDialogEnd::Cancel},
  };
  for (const Case &c : cases) {
    const WatchDialogResult result = Run(c.proposed, [&](QDialog &d) {
      EXPECT_EQ(Get<QPushButton>(d, 103)->isEnabled(), !c.proposed.empty()) << c.what << ": Add needs a text";
      Click(d, c.button);
    });
    EXPECT_EQ(result.end, c.end) << c.what;
  }
  EXPECT_EQ(watches.Count(), 0u) << "ending adds nothing";
}

} // namespace
} // namespace tsw
