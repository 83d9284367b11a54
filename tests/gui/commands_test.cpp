#include "gui/commands.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/rescatalog.h"
#include "gui/mainframe.h"
#include "gui/shellstate.h"

namespace tsw {
namespace {

TEST(CommandTable, EachIdOnce) {
  std::set<uint16_t> seen;
  for (const CommandSpec &c : CommandTable())
    EXPECT_TRUE(seen.insert(c.id).second) << c.id;
  EXPECT_EQ(FindCommand(cmd::kCompile)->run, CommandRun::SelfGuarded);
  EXPECT_EQ(FindCommand(cmd::kOpen)->run, CommandRun::Direct);
  EXPECT_EQ(FindCommand(cmd::kStop)->run, CommandRun::Guarded);
  EXPECT_EQ(FindCommand(1), nullptr);
}

TEST(CommandTable, NamesTheSameCommandsAsTheResourceCatalogue) {
  std::set<uint32_t> table, catalogue(std::begin(kMenuCommands), std::end(kMenuCommands));
  for (const CommandSpec &c : CommandTable())
    table.insert(c.id);
  for (uint32_t id = cmd::kRecentFirst; id <= cmd::kRecentLast; ++id)
    catalogue.insert(id);
  EXPECT_EQ(table, catalogue);
  std::vector<uint32_t> buttons;
  for (uint16_t id : kToolBarLayout)
    if (id != 0)
      buttons.push_back(id);
  EXPECT_EQ(buttons, std::vector<uint32_t>(std::begin(kToolBarCommands), std::end(kToolBarCommands)));
  for (uint32_t id : kCheckableCommands)
    EXPECT_TRUE(IsCheckCommand(uint16_t(id))) << id;
}

class Routing : public ::testing::Test {
protected:
  CommandRouter Router() {
    return CommandRouter([this] { return chain; },
                         [this](const std::function<void()> &w) {
                           runs.push_back("guarded");
                           w();
                         },
                         [this](const std::function<void()> &w) {
                           runs.push_back("reported");
                           w();
                         });
  }
  CommandHandlers pane, frame, main, app;
  CommandRouter::Chain chain{&pane, &frame, &main, &app};
  std::vector<std::string> runs;
};

TEST_F(Routing, TheFirstOwnerInTheChainRunsTheCommand) {
  std::string ran;
  main.Add(cmd::kFunctionHelp, [&] { ran = "main"; });
  pane.Add(cmd::kFunctionHelp, [&] { ran = "pane"; });
  CommandRouter router = Router();
  EXPECT_TRUE(router.Dispatch(cmd::kFunctionHelp));
  EXPECT_EQ(ran, "pane");
  // Without a focused pane the main window's worker runs, guarded.
  chain[0] = nullptr;
  EXPECT_TRUE(router.Dispatch(cmd::kFunctionHelp));
  EXPECT_EQ(ran, "main");
  EXPECT_EQ(runs, (std::vector<std::string>{"guarded", "guarded"}));
}

TEST_F(Routing, TheHandlingOwnersEnablerDecides) {
  bool mainEnabled = false;
  int calls = 0;
  main.Add(
      cmd::kStop, [&] { ++calls; }, [&] { return mainEnabled; });
  app.Add(cmd::kStop, [&] { calls += 100; });
  CommandRouter router = Router();
  EXPECT_EQ(router.State(cmd::kStop), (CommandState{false, false}));
  EXPECT_FALSE(router.Dispatch(cmd::kStop));
  mainEnabled = true;
  EXPECT_TRUE(router.Dispatch(cmd::kStop));
  EXPECT_EQ(calls, 1);
}

TEST_F(Routing, ACommandWithoutWorkerIsDisabled) {
  CommandRouter router = Router();
  EXPECT_EQ(router.State(cmd::kCompile), (CommandState{false, false}));
  EXPECT_FALSE(router.Dispatch(cmd::kCompile));
  EXPECT_TRUE(runs.empty());
}

TEST_F(Routing, DirectAndSelfGuardedCommandsOnlyReport) {
  bool toolBar = true;
  app.Add(
      cmd::kToolBar, [&] { toolBar = !toolBar; }, {}, [&] { return toolBar; });
  main.Add(cmd::kCompile, [] {});
  CommandRouter router = Router();
  EXPECT_EQ(router.State(cmd::kToolBar), (CommandState{true, true}));
  router.Dispatch(cmd::kToolBar);
  router.Dispatch(cmd::kCompile);
  EXPECT_EQ(router.State(cmd::kToolBar), (CommandState{true, false}));
  EXPECT_EQ(runs, (std::vector<std::string>{"reported", "reported"}));
}

struct FakeEditor : EditorFrameRef {
  FakeEditor(std::string file, bool view = true) : file(std::move(file)), view(view) {}
  bool HasView() const override { return view; }
  bool ShowsFile(std::string_view path) const override { return path == file; }
  std::string file;
  bool view;
};

TEST(EditorFrames, FocusMovesAFrameToTheHead) {
  FakeEditor a("a.c"), b("b.c"), c("c.c");
  EditorFrameList list;
  for (FakeEditor *f : {&a, &b, &c})
    list.Insert(f);
  // c b a: focusing the head changes nothing.
  list.Focus(&c);
  EXPECT_EQ(list.Head(), &c);
  EXPECT_EQ(list.Tail(), &a);
  // The tail goes to the head; its predecessor becomes the tail.
  list.Focus(&a);
  EXPECT_EQ(list.Head(), &a);
  EXPECT_EQ(list.Tail(), &b);
  list.Remove(&b);
  EXPECT_EQ(list.Tail(), &c);
}

TEST(EditorFrames, FindByNameAsksTheViewsAndStopsAtAFrameWithoutView) {
  FakeEditor a("a.c"), blank("", false), b("b.c");
  EditorFrameList list;
  list.Insert(&b);
  list.Insert(&blank);
  list.Insert(&a);
  EXPECT_EQ(FindEditFrameByName(list, "a.c"), &a);
  EXPECT_EQ(FindEditFrameByName(list, "b.c"), nullptr);
  EXPECT_EQ(FindEditFrameByName(list, "x.c"), nullptr);
}

} // namespace
} // namespace tsw
