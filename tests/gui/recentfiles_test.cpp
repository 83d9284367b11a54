#include "gui/recentfiles.h"

#include "platform/profile.h"
#include "support/tempdir.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace tsw {
namespace {

constexpr const char *kMain = "Tessel C";

// Operations as text: "+path" adds, "-N" removes position N.
struct Case {
  const char *name;
  std::optional<int> limit;         // stored "Recent File List Limit"
  std::optional<std::string> order; // stored "Recent File List"
  std::vector<std::string> ops;
  std::string expectedOrder;
  std::vector<std::string> expectedPaths; // most recent first
};

std::vector<std::string> Files(int n) {
  std::vector<std::string> ops;
  for (int i = 1; i <= n; ++i)
    ops.push_back("+/src/f" + std::to_string(i) + ".c");
  return ops;
}

TEST(RecentFiles, OperationSequences) {
  std::vector<std::string> tenAdds = Files(10);
  std::vector<std::string> reopen = Files(3);
  reopen.insert(reopen.end(), {"-2", "+/src/f1.c"});
  std::vector<std::string> again = Files(2);
  again.push_back("+/SRC/F1.C");
  const Case cases[] = {
      {"default limit drops the first of ten",
       std::nullopt,
       std::nullopt,
       tenAdds,
       "AIHGFEDCB",
       {"/src/f10.c", "/src/f9.c", "/src/f8.c", "/src/f7.c", "/src/f6.c", "/src/f5.c", "/src/f4.c", "/src/f3.c",
        "/src/f2.c"}},
      {"limit 10 keeps all ten",
       10,
       std::nullopt,
       tenAdds,
       "JIHGFEDCBA",
       {"/src/f10.c", "/src/f9.c", "/src/f8.c", "/src/f7.c", "/src/f6.c", "/src/f5.c", "/src/f4.c", "/src/f3.c",
        "/src/f2.c", "/src/f1.c"}},
      {"a listed file keeps its place", std::nullopt, std::nullopt, again, "BA", {"/src/f2.c", "/src/f1.c"}},
      {"opened and closed again comes first",
       std::nullopt,
       std::nullopt,
       reopen,
       "ACB",
       {"/src/f1.c", "/src/f3.c", "/src/f2.c"}},
      {"freed slot is reused", std::nullopt, std::nullopt, {"+a", "+b", "+c", "-1", "+d"}, "BCA", {"d", "c", "a"}},
      {"limit 0", 0, std::nullopt, {"+a"}, "", {}},
      {"limit -1", -1, "AB", {"+a", "-0"}, "", {}},
      {"limit above 10 is 10", 12, std::nullopt, {"+a"}, "A", {"a"}},
      {"damaged order keeps valid unique letters", 3, "AAZCb", {}, "AC", {"", ""}},
      {"order too long for its buffer", std::nullopt, "ABCDEFGHIJK", {}, "", {}},
      {"removing beyond the count does nothing", std::nullopt, std::nullopt, {"+a", "-5"}, "A", {"a"}},
  };
  for (const Case &c : cases) {
    tsw::testing::TempDir dir;
    plat::ProfileDocument stored(dir / "s.ini");
    if (c.limit)
      stored.Set(kMain, "Recent File List Limit", std::to_string(*c.limit));
    if (c.order)
      stored.Set(kMain, "Recent File List", *c.order);
    RecentFiles recent;
    recent.Load(stored, kMain);
    for (const std::string &op : c.ops) {
      if (op[0] == '+') {
        std::optional<uint16_t> position = recent.Add(op.substr(1));
        ASSERT_EQ(position.has_value(), recent.Limit() > 0) << c.name;
      } else {
        recent.Remove(std::stoul(op.substr(1)));
      }
    }
    EXPECT_EQ(recent.OrderText(), c.expectedOrder) << c.name;
    std::vector<std::string> paths;
    for (size_t i = 0; i < recent.Count(); ++i)
      paths.push_back(recent.Get(i));
    EXPECT_EQ(paths, c.expectedPaths) << c.name;
    EXPECT_EQ(recent.Get(recent.Count()), "") << c.name;
    EXPECT_EQ(recent.GetRecord(recent.Count()), nullptr) << c.name;

    // What is saved reads back the same, the limit unchanged.
    plat::ProfileDocument saved(dir / "saved.ini");
    recent.Save(saved, kMain);
    RecentFiles back;
    back.Load(saved, kMain);
    EXPECT_EQ(back.OrderText(), recent.OrderText()) << c.name;
    EXPECT_EQ(back.Limit(), recent.Limit()) << c.name;
  }
}

TEST(RecentFiles, RecordsRoundTripAndDamagedValuesReadAsZero) {
  tsw::testing::TempDir dir;
  plat::ProfileDocument doc(dir / "s.ini");
  RecentFiles recent;
  ASSERT_EQ(recent.Add("/src/main.c"), 0);
  RecentFileRecord *record = recent.GetRecord(0);
  ASSERT_NE(record, nullptr);
  *record = {"/src/main.c", 10, 20, 300, 400, 1, 55, 60, 7};
  recent.Save(doc, kMain);
  EXPECT_EQ(doc.Get("File A", "Window"), "10,20,300,400,1");
  EXPECT_EQ(doc.Get("File A", "Cursor"), "60,7");

  RecentFiles back;
  back.Load(doc, kMain);
  const RecentFileRecord *r = back.GetRecord(0);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->path, "/src/main.c");
  EXPECT_EQ(r->width, 300);
  EXPECT_EQ(r->zoomed, 1);
  EXPECT_EQ(r->topRow, 55);
  EXPECT_EQ(r->caretColumn, 7);
  EXPECT_EQ(back.Find("/SRC/MAIN.C"), 0);

  doc.Set("File A", "Window", "1,2,3,4");
  doc.Set("File A", "Cursor", "x");
  doc.Set("File A", "Top Row", "many");
  back.Load(doc, kMain);
  r = back.GetRecord(0);
  EXPECT_EQ(r->x, 0);
  EXPECT_EQ(r->width, 0);
  EXPECT_EQ(r->caretLine, 0);
  EXPECT_EQ(r->topRow, 0);
}

TEST(RecentFiles, MenuItems) {
  struct Case {
    uint16_t count;
    std::vector<std::string> paths;
    std::vector<std::pair<uint32_t, std::string>> items;
  };
  std::vector<std::string> ten;
  for (int i = 0; i < 10; ++i)
    ten.push_back("f" + std::to_string(i));
  std::vector<std::pair<uint32_t, std::string>> nine;
  for (uint32_t i = 0; i < 9; ++i)
    nine.push_back({10 + i, "&" + std::to_string(i + 1) + " f" + std::to_string(i)});
  const Case cases[] = {
      {0, {}, {}},
      {1, {"/a&b/c.c"}, {{10, "&1 /a&&b/c.c"}}},
      {2, {"x", "y"}, {{10, "&1 x"}, {11, "&2 y"}}},
      {10, ten, nine},
  };
  for (const Case &c : cases) {
    std::vector<std::pair<uint32_t, std::string>> items;
    for (const RecentMenuItem &item : RecentMenuItems(c.count, c.paths))
      items.push_back({item.commandId, item.text});
    EXPECT_EQ(items, c.items) << c.count;
  }
}

TEST(RecentFiles, RebuildReplacesTheItemsAndTheirSeparator) {
  int argc = 1;
  char name[] = "test";
  char *argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QMenu file;
  file.addAction("&Open")->setData(24332);
  file.addSeparator();
  file.addAction("E&xit")->setData(24310);

  RecentFiles recent;
  recent.Add("b.c");
  recent.Add("a.c");
  RebuildRecentFileMenu(file, recent);
  RebuildRecentFileMenu(file, recent); // twice gives the same menu
  QStringList texts;
  for (QAction *action : file.actions())
    texts << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(texts.join("|").toStdString(), "&Open|-|E&xit|-|&1 a.c|&2 b.c");
  EXPECT_EQ(file.actions().back()->data().toUInt(), 11u);

  recent.Remove(0);
  recent.Remove(0);
  RebuildRecentFileMenu(file, recent);
  texts.clear();
  for (QAction *action : file.actions())
    texts << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(texts.join("|").toStdString(), "&Open|-|E&xit");
}

} // namespace
} // namespace tsw
