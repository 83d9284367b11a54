#include "gui/dlgdiscovery.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"
#include "gui/settings.h"
#include "gui/shelllinkhost.h"
#include "dialog_fixture.h"
#include "qt_fixture.h"
#include "support/buildbin.h"

namespace tsw {
namespace {

DiscoveryRow Board(const std::string &name, const std::string &address) {
  return {name, address, "4244", "idle", "00:90:c2:00:00:01"};
}

TEST(DiscoveryRowsTest, ABoardIsListedOncePerAddress) {
  DiscoveryRows rows;
  EXPECT_TRUE(rows.Add(Board("a", "10.0.0.1")));
  EXPECT_TRUE(rows.Add(Board("b", "10.0.0.2")));
  EXPECT_FALSE(rows.Add(Board("a again", "10.0.0.1")));
  // Addresses compare as they are written.
  EXPECT_TRUE(rows.Add(Board("c", "10.0.0.01")));
  EXPECT_EQ(rows.Rows().size(), 3u);
}

// The dialog over a scripted search: each poll may deliver replies the way
// the link does, through the shell's link host.
class DiscoveryDialogTest : public testing::EnglishDialogSuite {
protected:
  DiscoverySearch Search() {
    return {[this] { log.push_back("start"); },
            [this] {
              ++polls;
              if (replies)
                replies(polls);
            },
            [this] { log.push_back("stop"); }};
  }

  Settings settings{"7.06P", "/nowhere/"};
  ShellLinkHost host{settings, "/progs/"};
  std::vector<std::string> log;
  int polls = 0;
  std::function<void(int poll)> replies;
};

TEST_F(DiscoveryDialogTest, TheChosenBoardIsTheSelectedRow) {
  replies = [this](int poll) {
    if (poll == 2) {
      host.AddTargetRow(Board("lab", "10.0.0.7"));
      host.AddTargetRow(Board("lab", "10.0.0.7"));
      host.AddTargetRow(Board("bench", "10.0.0.9"));
    }
    if (poll == 3) {
      cDiscovery *open = cDiscovery::Open();
      ASSERT_NE(open, nullptr);
      EXPECT_EQ(open->List()->topLevelItemCount(), 2) << "one row per board";
      EXPECT_TRUE(open->SelectButton()->isEnabled());
      open->List()->setCurrentItem(open->List()->topLevelItem(1));
      open->SelectButton()->click();
    }
  };
  cDiscovery discovery(*module_, nullptr, Search());
  ASSERT_NE(discovery.Dialog(), nullptr);
  EXPECT_FALSE(discovery.SelectButton()->isEnabled()) << "nothing to select before a board answers";
  std::optional<DiscoveryRow> chosen = discovery.Run();
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->name, "bench");
  EXPECT_EQ(chosen->address, "10.0.0.9");
  EXPECT_EQ(chosen->port, "4244");
  EXPECT_EQ(log, (std::vector<std::string>{"start", "stop"}));
  EXPECT_EQ(cDiscovery::Open(), nullptr);
  host.AddTargetRow(Board("late", "10.0.0.10"));
  EXPECT_EQ(discovery.List()->topLevelItemCount(), 2) << "a reply after the dialog goes nowhere";
}

TEST_F(DiscoveryDialogTest, NoBoardWithinTheSearchEndsTheDialogWithAnError) {
  cDiscovery discovery(*module_, nullptr, Search());
  try {
    discovery.Run();
    FAIL() << "no board answered";
  } catch (const xTCErr &error) {
    EXPECT_EQ(error.Message(), kMsgNoBoardFound);
  }
  EXPECT_EQ(polls, kDiscoveryTicks) << "the search polls for its ticks and then stops";
  EXPECT_EQ(log, (std::vector<std::string>{"start", "stop"}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
}

TEST_F(DiscoveryDialogTest, ClosingTheDialogChoosesNothingAndAFailingPollEndsIt) {
  struct Case {
    const char *name;
    std::function<void(int)> replies;
    bool raises;
  };
  const Case cases[] = {
      {"cancelled after a board answered",
       [this](int poll) {
         host.AddTargetRow(Board("lab", "10.0.0.7"));
         if (poll == 2)
           cDiscovery::Open()->Dialog()->reject();
       },
       false},
      {"the network fails", [](int) { throw xTCErr(kMsgDiscoveryReceive, "test", 1); }, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    polls = 0;
    replies = c.replies;
    cDiscovery discovery(*module_, nullptr, Search());
    bool raised = false;
    std::optional<DiscoveryRow> chosen;
    try {
      chosen = discovery.Run();
    } catch (const xTCErr &) {
      raised = true;
    }
    EXPECT_EQ(raised, c.raises);
    EXPECT_FALSE(chosen);
    EXPECT_EQ(log, (std::vector<std::string>{"start", "stop"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

} // namespace
} // namespace tsw
