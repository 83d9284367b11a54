#include "compcore/cc_rom/map_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

// The rows of the function section, in the order written.
std::vector<std::string> FunctionRows() {
  std::vector<std::string> lines = Lines(MapText());
  std::vector<std::string> rows;
  size_t i = 0;
  while (i < lines.size() && lines[i].rfind("//  Addr     Size   Function", 0) != 0)
    ++i;
  for (++i; i < lines.size() && !lines[i].empty(); ++i)
    rows.push_back(lines[i]);
  return rows;
}

TEST_F(MapFileTest, FunctionRowsKeepCompileOrderRootFirstWithSharedSizes) {
  struct Case {
    const char *what;
    uint16_t windowStart;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"window at e000",
       0xE000,
       {"    0100       12   shared_entry                    lib.c                               7",
        "    0100       12   worker                          lib.c                               9",
        "    d000        *   late_root                       ",
        " f4:e000       64   banked                          lib.c                              20",
        " f4:e040       16   banked_two                      "
        "\\prog_with_a_rather_long_name.c    30"}},
      // With "logx" 13 the window starts at d000, so a function there is
      // extended memory although it lies below e000.
      {"window at d000",
       0xD000,
       {"    0100       12   shared_entry                    lib.c                               7",
        "    0100       12   worker                          lib.c                               9",
        " f4:e000       64   banked                          lib.c                              20",
        " 00:d000        *   late_root                       ",
        " f4:e040       16   banked_two                      "
        "\\prog_with_a_rather_long_name.c    30"}},
  };
  for (const Case &c : cases) {
    ResetMapFileModule();
    ExtWindowStart = c.windowStart;
    // An entry point that shares its bytes with the function after it
    // comes out with size 0 and shows that function's size.
    MapFileAddFunction("shared_entry", MakeAddr24(0, 0x0100), true, {"lib.c", 7});
    SetMapEntrySize("shared_entry", MakeAddr24(0, 0x0100));
    MapFileAddFunction("worker", MakeAddr24(0, 0x0100), true, {"lib.c", 9});
    SetMapEntrySize("worker", MakeAddr24(0, 0x010c));
    MapFileAddFunction("banked", MakeAddr24(0xf4, 0xe000), true, {"lib.c", 20});
    SetMapEntrySize("banked", MakeAddr24(0xf4, 0xe040));
    MapFileAddFunction("late_root", MakeAddr24(0, 0xd000), false, {});
    MapFileAddFunction("banked_two", MakeAddr24(0xf4, 0xe040), true,
                       {"c:\\some\\deep\\directory\\prog_with_a_rather_long_name.c", 30});
    CloseCurrentMapEntry(MakeAddr24(0xf4, 0xe050));
    std::vector<std::string> rows = FunctionRows();
    ASSERT_EQ(rows.size(), c.expected.size()) << c.what;
    for (size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(rows[i], c.expected[i]) << c.what << " row " << i;
  }
}

TEST_F(MapFileTest, CallGraphCutsRecursionAndLeavesOutRoutinesWithoutRecords) {
  struct Call {
    const char *caller;
    std::vector<const char *> callees;
  };
  const Call calls[] = {
      {"premain", {"main", "_GLOBAL_INIT"}},
      {"main", {"walk", "printf", "walk", "b_first"}},
      {"walk", {"visit"}},
      {"visit", {"walk", "visit"}},
      {"b_first", {}},
  };
  uint16_t address = 0x0100;
  for (const Call &call : calls) {
    MapFileAddFunction(call.caller, MakeAddr24(0, address), true, {"prog.c", address});
    for (const char *callee : call.callees)
      MapFileAddName(callee);
    address = uint16_t(address + 0x10);
  }
  std::vector<std::string> lines = Lines(MapText());
  const std::vector<std::string> expected = {
      "// Function call graph.",
      "premain",
      "   main",
      "      b_first",
      "      walk",
      "         visit",
      "            visit->***recurses***",
      "            walk->***recurses***",
  };
  ASSERT_GE(lines.size(), expected.size());
  std::vector<std::string> graph(lines.end() - long(expected.size()), lines.end());
  EXPECT_EQ(graph, expected);
}

TEST_F(MapFileTest, TheMapGoesBesideTheProgramAndIsEmptiedWhenWritten) {
  const std::string dir = ::testing::TempDir() + "map_file_test.d1";
  std::filesystem::create_directories(dir);
  const std::string program = dir + "/prog.c";
  MakeMapFileName(program);
  MapFileAddFunction("premain", MakeAddr24(0, 0x0100), true, {"prog.c", 1});
  MapFileAddMacro("LIMIT", {"prog.c", 2});
  WriteMapFile();
  std::ifstream written(dir + "/prog.map");
  std::stringstream text;
  text << written.rdbuf();
  EXPECT_NE(text.str().find("   premain "), std::string::npos);
  EXPECT_NE(text.str().find("   LIMIT "), std::string::npos);
  // Written once: the next map starts from nothing.
  std::string after = MapText();
  EXPECT_EQ(after.find("premain"), std::string::npos);
  EXPECT_EQ(after.find("LIMIT"), std::string::npos);
  std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tsw
