#include "compcore/cc_rom/map_text.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

TEST(MapText, MapNameReplacesOnlyTheFileNamesExtension) {
  struct Case {
    const char *program;
    const char *map;
  };
  const Case cases[] = {
      {"prog.c", "prog.map"},
      {"dir.v2\\prog", "dir.v2\\prog.map"},
      {"dir.v2/prog", "dir.v2/prog.map"},
      {"/src/a.b.c", "/src/a.b.map"},
      {"noext", "noext.map"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(MapFileNameFor(c.program), c.map) << c.program;
}

TEST(MapText, AddressesBelowTheWindowShowNoSegment) {
  EXPECT_EQ(MapAddressText({0x1a2b, 0x00}, 0xE000), "   1a2b");
  EXPECT_EQ(MapAddressText({0xe000, 0x0f}, 0xE000), "0f:e000");
  // The split follows the window start, not a fixed 0xE000.
  EXPECT_EQ(MapAddressText({0xd000, 0x0f}, 0xD000), "0f:d000");
  EXPECT_EQ(MapAddressText({0xd000, 0x0f}, 0xE000), "   d000");
}

TEST(MapText, LongSourceNamesKeepTheirTailFromTheLastSeparator) {
  struct Case {
    const char *name;
    const char *shown;
  };
  const Case cases[] = {
      {"short.c", "short.c"},
      {"c:\\very\\long\\directory\\names\\here\\prog.c", "\\prog.c"},
      {"/home/someone/projects/board/library/rs232.lib", "/rs232.lib"},
      {"abcdefghijklmnopqrstuvwxyz0123456789.c", "hijklmnopqrstuvwxyz0123456789.c"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(MapSourceNameText(c.name), c.shown) << c.name;
}

} // namespace
} // namespace tsw
