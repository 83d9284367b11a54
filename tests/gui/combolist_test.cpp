#include "gui/combolist.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tsw {
namespace {

using Entries = std::deque<std::string>;

TEST(ComboList, PushKeepsTheNewestUpToCapacity) {
  cComboList list(3);
  for (const char *text : {"a", "", "b", "c", "d"})
    list.Push(text);
  EXPECT_EQ(list.Entries(), (Entries{"b", "c", "d"}));
  std::vector<std::string> shown;
  list.ForEach([&](const std::string &text) { shown.push_back(text); });
  EXPECT_EQ(shown, (std::vector<std::string>{"d", "c", "b"}));
  list.Push(std::string(100, 'x'));
  EXPECT_EQ(list.Entries().back(), std::string(79, 'x'));
}

TEST(ComboList, CommaTextRoundTrips) {
  struct Case {
    const char *name;
    Entries entries;
    const char *text;
  };
  const Case cases[] = {
      {"empty list", {}, ""},
      {"one", {"int i"}, "int i"},
      {"oldest first", {"old", "mid", "new"}, "old,mid,new"},
      {"comma inside", {"a,b", "c"}, "a\\,b,c"},
      {"backslash inside", {"C:\\dir\\"}, "C:\\\\dir\\\\"},
  };
  for (const Case &c : cases) {
    cComboList list;
    for (const std::string &entry : c.entries)
      list.Push(entry);
    EXPECT_EQ(list.GetCommaText(), c.text) << c.name;
    cComboList back;
    back.SetFromCommaText(c.text, static_cast<int32_t>(c.entries.size()));
    EXPECT_EQ(back.Entries(), c.entries) << c.name;
  }
}

TEST(ComboList, SetFromCommaTextTakesNPieces) {
  struct Case {
    const char *name;
    const char *text;
    int32_t n;
    Entries expected;
  };
  const Case cases[] = {
      {"fewer wanted", "a,b,c", 2, {"a", "b"}},
      {"last piece repeats", "a,b", 4, {"a", "b", "b", "b"}},
      {"nothing wanted", "a,b", 0, {}},
      {"negative count", "a,b", -1, {}},
      {"huge count is the capacity", "a", 100000, Entries(15, "a")},
      {"empty text", "", 3, {}},
      {"empty pieces are not entries", ",a,,b,", 2, {"a", "b"}},
      {"only commas", ",,,", 3, {}},
      {"old unescaped backslash stays", "C:\\x\\y.c", 1, {"C:\\x\\y.c"}},
      {"piece cut to 79", nullptr, 1, {std::string(79, 'q')}},
  };
  for (const Case &c : cases) {
    cComboList list;
    std::string text = c.text ? c.text : std::string(90, 'q');
    list.SetFromCommaText(text, c.n);
    EXPECT_EQ(list.Entries(), c.expected) << c.name;
  }
}

TEST(ComboList, SetFromCommaTextAddsToWhatIsThere) {
  cComboList list;
  list.Push("kept");
  list.SetFromCommaText("x,y", 2);
  EXPECT_EQ(list.Entries(), (Entries{"kept", "x", "y"}));
}

TEST(ComboList, FileHistoryHoldsLongPaths) {
  cComboList files(cComboList::kDefaultCapacity, 260);
  std::string path = "/" + std::string(258, 'p');
  files.Push(path);
  files.Push(path + "more");
  EXPECT_EQ(files.Entries().front(), path);
  EXPECT_EQ(files.Entries().back().size(), 259u);
}

} // namespace
} // namespace tsw
