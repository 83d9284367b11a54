#include "compcore/byte_road_fixture.h"

namespace tsw::testing {
namespace {

class BrkTableTest : public ByteRoadTest {
protected:
  static ADDR24 R(uint16_t logical) { return MakeAddr24(0, logical); }
  std::string Dump() {
    std::FILE *f = std::tmpfile();
    WriteBrkFile(f);
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;)
      text += char(c);
    std::fclose(f);
    return text;
  }
};

TEST_F(BrkTableTest, StatementsCoverTheirTextAndAreFoundBothWays) {
  StartStatementPositions("a.c", 10, 5, R(0x100));
  RecordStatementPosition("a.c", 10, 5, R(0x100));
  RecordStatementPosition("a.c", 10, 20, R(0x110));
  RecordStatementPosition("a.c", 12, 3, R(0x120));
  FlushStatementPosition(14, 1, R(0x130));
  CommitStatementPositions();
  EXPECT_EQ(FindAddressForSource("a.c", 10, 12).logical, 0x100);
  EXPECT_EQ(FindAddressForSource("a.c", 10, 20).logical, 0x110);
  EXPECT_EQ(FindAddressForSource("a.c", 11, 40).logical, 0x110);
  EXPECT_EQ(FindAddressForSource("a.c", 13, 1).logical, 0x120);
  EXPECT_EQ(FindAddressForSource("b.c", 10, 12).logical, 0);
  uint16_t line = 0;
  uint8_t column = 0;
  std::string file;
  ASSERT_TRUE(FindSourceForAddress(R(0x110), line, column, file));
  EXPECT_EQ(line, 10);
  EXPECT_EQ(column, 20);
  EXPECT_EQ(file, "a.c");
  EXPECT_FALSE(FindSourceForAddress(R(0x111), line, column, file));
  EXPECT_EQ(Dump(), "a total of 4 breakpoints\n"
                    "a.c([10,5],[10,4]@[10,5])->**: 100\n"
                    "a.c([10,5],[10,19]@[10,5])->**: 100\n"
                    "a.c([10,20],[12,0]@[10,20])->**: 110\n"
                    "a.c([12,1],[15,1]@[12,3])->**: 120\n");
}

TEST_F(BrkTableTest, RolledBackAndForeignStatementsLeaveNoEntry) {
  StartStatementPositions("a.c", 1, 1, R(0x100));
  RecordStatementPosition("a.c", 2, 1, R(0x100));
  RecordStatementPosition("a.c", 3, 1, R(0x104));
  CommitStatementPositions();
  RecordStatementPosition("a.c", 4, 1, R(0x108)); // abandoned
  DiscardStatementPositions();
  RecordStatementPosition("b.c", 4, 1, R(0x108)); // a new file: no entry for the open statement
  RecordStatementPosition("b.c", 5, 1, MakeAddr24(0x12, 0xE010));
  CommitStatementPositions();
  EXPECT_EQ(Dump(), "a total of 3 breakpoints\n"
                    "a.c([1,1],[2,0]@[1,1])->**: 100\n"
                    "a.c([2,1],[3,0]@[2,1])->**: 100\n"
                    "b.c([4,1],[5,0]@[4,1])->**: 108\n");
  // The address of the first entry keeps it.
  uint16_t line = 0;
  uint8_t column = 0;
  std::string file;
  ASSERT_TRUE(FindSourceForAddress(R(0x100), line, column, file));
  EXPECT_EQ(line, 1);
}

} // namespace
} // namespace tsw::testing
