#include "platform/format.h"

#include <gtest/gtest.h>

namespace tsw::plat {
namespace {

TEST(Format, FormatsTheConversionsMessageTextsUse) {
  EXPECT_EQ(FormatText("undefined symbol '%s'", "abc"), "undefined symbol 'abc'");
  EXPECT_EQ(FormatText("%d errors, %u warnings", -2, 7u), "-2 errors, 7 warnings");
  EXPECT_EQ(FormatText("%02x:%04x", 0x0E, 0xE123), "0e:e123");
  EXPECT_EQ(FormatText("%04X %ld %lx", 0xab, 123456789L, 0xfffffL), "00AB 123456789 fffff");
  EXPECT_EQ(FormatText("[%-6s|%5s]", "ab", "cd"), "[ab    |   cd]");
  EXPECT_EQ(FormatText("%hd", 70000), "4464");
  EXPECT_EQ(FormatText("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(FormatText("100%% done"), "100% done");
  EXPECT_EQ(FormatText("%s", std::string("std")), "std");
}

TEST(Format, MismatchedConversionsAreShownNotRead) {
  struct Case {
    const char *name;
    std::string got, expected;
  } cases[] = {
      {"text conversion given a number", FormatText("name %s here", 42), "name %s here"},
      {"number conversion given a text", FormatText("line %d", "x"), "line %d"},
      {"missing argument", FormatText("%s and %s", "one"), "one and %s"},
      {"stray percent at the end", FormatText("50%"), "50%"},
      {"percent starting no conversion", FormatText("50%, %s", "it"), "50%, it"},
      {"star width takes nothing", FormatText("%*d", 3, 4), "%*d"},
      {"null text", FormatText("[%s]", static_cast<const char *>(nullptr)), "[]"},
      {"later conversions still work", FormatText("%d %s %d", "a", "b", 3), "%d b 3"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(Format, OutputIsCutToTheBuffer) {
  char buf[8];
  EXPECT_EQ(FormatTextInto(buf, sizeof buf, "value %d", 123456), 7u);
  EXPECT_STREQ(buf, "value 1");
  EXPECT_EQ(FormatTextInto(buf, 1, "abc"), 0u);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(FormatTextInto(buf, 0, "abc"), 0u);
}

TEST(Format, ParseConversionsReportsKindsAndLengths) {
  std::vector<Conversion> convs = ParseConversions("%-20s %04x %ld %% %hd %");
  ASSERT_EQ(convs.size(), 6u);
  EXPECT_EQ(convs[0].type, 's');
  EXPECT_EQ(convs[0].length, 5u);
  EXPECT_EQ(convs[1].type, 'x');
  EXPECT_EQ(convs[2].lengthMod, "l");
  EXPECT_EQ(convs[3].type, '%');
  EXPECT_EQ(convs[4].lengthMod, "h");
  EXPECT_EQ(convs[5].type, 0);
}

} // namespace
} // namespace tsw::plat
