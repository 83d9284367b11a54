#include "debugger/dumppane.h"

#include "debugger/debug_fake_session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tsw::testing {
namespace {

class DumpAtAddress : public DebugSessionTest {
protected:
  void SetUp() override {
    DebugSessionTest::SetUp();
    for (uint32_t i = 0; i < 0x100; ++i)
      board.Memory()[0x7F00 + i] = uint8_t(i);
  }
  static DumpAddressing Physical(uint32_t address) { return {true, address, {}, false}; }
  static DumpAddressing Logical(uint16_t address) { return {false, 0, MakeAddr24(0, address), false}; }
  static DumpAddressing Segmented(uint8_t segment, uint16_t offset) {
    return {false, 0, MakeAddr24(segment, offset), true};
  }
};

TEST_F(DumpAtAddress, ThePaneShowsTheAlignedAddressInEachForm) {
  struct Case {
    const char *name;
    DumpAddressing at;
    const char *firstLine; // its address and first bytes
  };
  // An address inside a line shows that whole line first.
  const Case cases[] = {
      {"physical", Physical(0x7F47), "007f40 40 41 "},
      {"physical, aligned", Physical(0x7F40), "007f40 40 41 "},
      {"logical", Logical(0x7F4B), "7f40 40 41 "},
      {"segment:offset", Segmented(0x00, 0x7F4F), "00:7f40 40 41 "},
      {"physical 0", Physical(0x0003), "000000 "},
      {"logical 0", Logical(0x0003), "0000 "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ui.dump = DebugFakeDumpPane();
    EXPECT_EQ(ShowDumpAtAddress(c.at, 0, nullptr), 1);
    EXPECT_EQ(ui.dump.clears, 1);
    EXPECT_EQ(ui.dump.addressing.physicalForm, c.at.physicalForm);
    EXPECT_EQ(ui.dump.addressing.segmentForm, c.at.segmentForm);
    ASSERT_EQ(ui.dump.shown.lines.size(), 8u);
    EXPECT_EQ(ui.dump.shown.lines[0].rfind(c.firstLine, 0), 0u) << ui.dump.shown.lines[0];
  }
}

TEST_F(DumpAtAddress, APaneThatCannotBeShownReadsNothing) {
  ui.dumpShowable = false;
  const int readsBefore = board.reads;
  EXPECT_EQ(ShowDumpAtAddress(Logical(0x7F40), 0, nullptr), 1);
  EXPECT_EQ(board.reads, readsBefore);
  EXPECT_EQ(ui.dump.clears, 0);
}

TEST_F(DumpAtAddress, ARangeGoesToTheFileFromTheAlignedAddress) {
  struct Case {
    uint32_t length;
    size_t lines;
    const char *lastLine;
  };
  // Whole blocks of 128 bytes: eight lines each.
  const Case cases[] = {{128, 8, "7fb0 B0 B1 "}, {256, 16, "8030 00 "}, {1, 8, "7fb0 B0 B1 "}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.length);
    std::ostringstream file;
    EXPECT_EQ(ShowDumpAtAddress(Logical(0x7F4B), c.length, &file), 1);
    std::istringstream text(file.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
      lines.push_back(line);
    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_EQ(lines[0].rfind("7f40 40 41 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines.back().rfind(c.lastLine, 0), 0u) << lines.back();
  }
  // Without a length the pane shows it instead.
  std::ostringstream unused;
  EXPECT_EQ(ShowDumpAtAddress(Logical(0x7F4B), 0, &unused), 1);
  EXPECT_TRUE(unused.str().empty());
  EXPECT_EQ(ui.dump.clears, 1);
}

} // namespace
} // namespace tsw::testing
