#include "foundation/menures.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

TEST(MenuResources, ParsesMenusAndTablesAndFormatsThemBack) {
  const char *text = "# comment\n"
                     "menu TSW_MENU\n"
                     "  popup \"&File\"\n"
                     "    item 24331 \"&New\"\n"
                     "    separator\n"
                     "    popup \"Say \\\"hi\\\" \\\\ there\"\n"
                     "      item 10 \"x\"\n"
                     "    end\n"
                     "  end\n"
                     "  item 2009 \"About\"\r\n"
                     "end\n"
                     "\n"
                     "accelerators EDIT_ACC\n"
                     "\tkey \"Ctrl+N\" 24331\n"
                     "end";
  std::string error;
  std::optional<MenuResources> parsed = ParseMenuResources(text, &error);
  ASSERT_TRUE(parsed) << error;
  ASSERT_EQ(parsed->menus.size(), 1u);
  const MenuResource &menu = parsed->menus[0];
  EXPECT_EQ(menu.name, "TSW_MENU");
  ASSERT_EQ(menu.items.size(), 2u);
  const MenuNode &file = menu.items[0];
  EXPECT_EQ(file.kind, MenuNode::Kind::kPopup);
  ASSERT_EQ(file.children.size(), 3u);
  EXPECT_EQ(file.children[1].kind, MenuNode::Kind::kSeparator);
  EXPECT_EQ(file.children[2].text, "Say \"hi\" \\ there");
  EXPECT_EQ(MenuCommandIds(menu), (std::vector<uint32_t>{24331, 10, 2009}));
  ASSERT_EQ(parsed->accelerators.size(), 1u);
  EXPECT_EQ(parsed->accelerators[0].keys[0].key, "Ctrl+N");
  EXPECT_EQ(parsed->accelerators[0].keys[0].id, 24331u);

  std::optional<MenuResources> again =
      ParseMenuResources(FormatMenuResource(menu) + FormatAcceleratorTable(parsed->accelerators[0]), &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(FormatMenuResource(again->menus[0]), FormatMenuResource(menu));
  EXPECT_EQ(again->accelerators[0].keys.size(), 1u);
}

TEST(MenuResources, MalformedTextsNameTheLine) {
  struct Case {
    const char *text;
    const char *error;
  };
  const Case cases[] = {
      {"item 1 \"x\"\n", "line 1: item outside a menu"},
      {"menu M\n  item 0 \"zero\"\nend\n", "line 2: a command id from 1 to 65535 expected"},
      {"menu M\n  item 65536 \"big\"\nend\n", "line 2: a command id from 1 to 65535 expected"},
      {"menu M\n  item 12x \"x\"\nend\n", "line 2: a command id from 1 to 65535 expected"},
      {"menu M\n  item 5 x\nend\n", "line 2: a quoted text expected"},
      {"menu M\n  item 5 \"open\nend\n", "line 2: the quoted text is not closed"},
      {"menu M\n  item 5 \"a\\n\"\nend\n", "line 2: only \\\" and \\\\ may follow a backslash"},
      {"menu M\n  item 5 \"a\" b\nend\n", "line 2: unexpected text at the end of the line"},
      {"menu M\n  popup \"P\"\n  item 1 \"x\"\nend\n", "line 1: the resource begun here has no end"},
      {"menu M\nend\nend\n", "line 3: end without a resource"},
      {"menu M\nend\nmenu M\nend\n", "line 3: resource M is defined twice"},
      {"menu lower\nend\n", "line 1: a resource name is made of A-Z, 0-9 and _"},
      {"menu\n", "line 1: a resource name expected"},
      {"menu A\nmenu B\n", "line 2: a resource cannot begin inside another"},
      {"accelerators A\n  key \"\" 5\nend\n", "line 2: an empty key"},
      {"accelerators A\n  item 5 \"x\"\nend\n", "line 2: item outside a menu"},
      {"menu A\n  key \"F1\" 5\nend\n", "line 2: key outside an accelerator table"},
      {"menu A\n  submenu \"x\"\nend\n", "line 2: unknown keyword 'submenu'"},
  };
  for (const Case &c : cases) {
    std::string error;
    EXPECT_FALSE(ParseMenuResources(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

} // namespace
} // namespace tsw
