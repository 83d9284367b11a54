#include "compcore/cc_rom/map_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tsw {
namespace {

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string MapText() {
  std::ostringstream out;
  WriteMapText(out);
  return out.str();
}

void ExpectSameLines(const std::string &actual, const std::vector<std::string> &expected) {
  std::vector<std::string> lines = Lines(actual);
  for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
    std::string got = i < lines.size() ? lines[i] : "<missing>";
    std::string want = i < expected.size() ? expected[i] : "<none>";
    EXPECT_EQ(got, want) << "line " << i + 1;
  }
}

class MapFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetMapFileModule();
    savedWindow_ = ExtWindowStart;
    ExtWindowStart = kDefaultExtWindowStart;
  }
  void TearDown() override {
    ResetMapFileModule();
    ExtWindowStart = savedWindow_;
  }

private:
  uint16_t savedWindow_ = 0;
};

TEST_F(MapFileTest, SmallProgramWritesEverySectionInOrder) {
  SetMapAreas({{MakeAddr24(0, 0x0000), MakeAddr24(0, 0x1234)},
               {MakeAddr24(0, 0xb000), MakeAddr24(0, 0xb010)},
               {MakeAddr24(0xf2, 0xe000), MakeAddr24(0xf3, 0xe100)}});
  MapFileAddFunction("premain", MakeAddr24(0, 0x0100), true, {"prog.c", 3});
  MapFileAddName("main");
  MapFileAddName("printf");
  SetMapEntrySize("premain", MakeAddr24(0, 0x0110));
  MapFileAddFunction("far_work", MakeAddr24(0xf2, 0xe000), true, {"prog.c", 9});
  SetMapEntrySize("far_work", MakeAddr24(0xf2, 0xe020));
  MapFileAddFunction("main", MakeAddr24(0, 0x0110), true, {"prog.c", 14});
  MapFileAddName("main");
  MapFileAddName("far_work");
  MapFileAddName("far_work");
  SetMapEntrySize("main", MakeAddr24(0, 0x0140));
  MapFileAddFunction("isr_entry", MakeAddr24(0, 0x0140), false, {"prog.c", 20});
  MapFileAddSymbol({false, MakeAddr24(0, 0xb000), 0, false, 2, "counter", {"prog.c", 1}, "int"});
  MapFileAddSymbol({true, {}, 4, true, 2, "main:n", {"prog.c", 14}, "int"});
  MapFileAddSymbol({true, {}, -2, false, 4, "main:total", {"prog.c", 15}, "long"});
  MapFileAddSymbol({false, MakeAddr24(0, 0xb002), 0, false, 10, "buffer", {"prog.c", 2}, "char[10]"});
  MapFileAddMacro("LIMIT", {"prog.c", 1});
  MapFileAddMacro("BUILTIN", {});

  ExpectSameLines(
      MapText(),
      {
          "// Compilers view of MMU. Note these values are determined by the origin statements in the BIOS.",
          "//Segment           Origin     Size",
          "Root Code           00:0000    001234",
          "Root Data           00:b000    000010",
          "Xmem Code           f2:e000    001100",
          "",
          "",
          "",
          "// Function mapping and source reference.",
          "// * The size of labels is indeterminate and so is denoted with an asterisk.",
          "//  Addr     Size   Function                        File                         Line Num",
          "    0100       16   premain                         prog.c                              3",
          "    0110       48   main                            prog.c                             14",
          "    0140        *   isr_entry                       prog.c                             20",
          " f2:e000       32   far_work                        prog.c                              9",
          "",
          "",
          "// Global/static data symbol mapping and source reference.",
          "//  Addr     Size   Symbol                          File                         Line Num  Type",
          "    b000        2   counter                         prog.c                              1  int             ",
          "    b002       10   buffer                          prog.c                              2  char[10]        ",
          "",
          "// Parameter and local auto symbol mapping and source reference.",
          "//Offset Rel. to     Size   Symbol                          File                         Line Num  Type",
          "       4      IX        2   main:n                          prog.c                             14  int  "
          "           ",
          "      -2      SP        4   main:total                      prog.c                             15  long "
          "           ",
          "",
          "",
          "// Macro listing and source reference.",
          "//  Name                           File                         Line Num",
          "   LIMIT                           prog.c                              1",
          "   BUILTIN                         ",
          "",
          "",
          "// Function call graph.",
          "premain",
          "   main",
          "      far_work",
          "      main->***recurses***",
      });
}

TEST_F(MapFileTest, CallGraphWithoutStartUpFunctionSaysSo) {
  MapFileAddFunction("main", MakeAddr24(0, 0x0100), true, {"prog.c", 3});
  MapFileAddName("main");
  std::vector<std::string> lines = Lines(MapText());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "No call graph information available.");
  EXPECT_EQ(lines[lines.size() - 2], "// Function call graph.");
}

} // namespace
} // namespace tsw
