#include "compcore/byte_road_fixture.h"

#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_session.h"

namespace tsw::testing {
namespace {

class FakeRtiShell : public RtiShell {
public:
  std::optional<std::string> ChooseRtiFile() override { return choice; }
  void ShowMessageBox(unsigned message) override { boxes.push_back(message); }
  std::optional<std::string> choice;
  std::vector<unsigned> boxes;
};

class RtiFileTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    SetRtiShell(&shell);
    SetOutputTarget(&board);
    ClearBiosSymbols();
    // The kernel's directory at 0x1000, its debug block in root memory.
    Put(3, {0x00, 0x10});
    for (uint16_t i = 0x15; i < 0x33; ++i)
      board.memory[0x1000 + i] = uint8_t(i);
    board.memory[0x102B] = 9;    // RAM size code
    board.memory[0x102C] = 0xE6; // logx 14, logr 6
    board.memory[0x1032] = 0x80; // rams
    Put(0x1029, {0x00, 0x20});   // stack word
    Put(0x1011, {0x00, 0x30, 0x00, 0x00});
    Put(0x3000, {3, 0, 0xD1, 0xD2, 0xD3});
  }
  void TearDown() override {
    SetRtiShell(nullptr);
    CloseRtiFile();
    ByteRoadTest::TearDown();
  }
  void Put(uint32_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
      board.memory[at++] = b;
  }
  RecordingOutputTarget board;
  FakeRtiShell shell;
};

TEST_F(RtiFileTest, SavesHeaderDebugBlockAndLowMemory) {
  AddBiosSymbol("IOP_BOARD_TYPE", MakeAddr24(0, 0x0123));
  AddBiosSymbol("OPMODE", MakeAddr24(0, 0x0500));
  board.memory[0x500] = 0x88;
  CompilerConfig().ramcfg = 1;
  shell.choice = (dir / "board.rti").string();
  ASSERT_TRUE(SaveRtiFile());
  std::string text = ReadText(dir / "board.rti");
  std::vector<uint8_t> f(text.begin(), text.end());
  ASSERT_EQ(f.size(), 33u + 3u + 0x2402u);
  const std::vector<uint8_t> header(f.begin(), f.begin() + 33);
  EXPECT_EQ(header, (std::vector<uint8_t>{9,    0xE6, 0x80, 0x1F, 0x20, 0x21, 0x20, 0x23, 0x24, 0x25, 0x26,
                                          0x27, 0x28, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D,
                                          0x1E, 0x2D, 0x2E, 0x04, 0x20, 0x23, 0x01, 0x88, 0,    3,    0}));
  EXPECT_EQ(std::vector<uint8_t>(f.begin() + 33, f.begin() + 36), (std::vector<uint8_t>{0xD1, 0xD2, 0xD3}));
  EXPECT_EQ(f[33 + 3 + 3], 0x00);
  EXPECT_EQ(f[33 + 3 + 4], 0x10);
  EXPECT_EQ(board.pulses, (std::vector<uint16_t>{1, 2}));
  // "ramcfg" set: the configuration follows the board.
  EXPECT_EQ(CompilerConfig().logx, 14);
  EXPECT_EQ(CompilerConfig().logr, 6);
  EXPECT_EQ(CompilerConfig().rame, 0x89);
  EXPECT_EQ(CompilerConfig().ramg, 0);
  EXPECT_EQ(CompilerConfig().ramx, 8);
  EXPECT_EQ(ExtWindowStart, 0xE000);
  EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(RtiFileTest, CancelAndUncreatableFiles) {
  shell.choice.reset();
  EXPECT_FALSE(SaveRtiFile());
  EXPECT_TRUE(shell.boxes.empty());
  EXPECT_EQ(board.reads, 0);

  shell.choice = (dir / "missing" / "board.rti").string();
  EXPECT_FALSE(SaveRtiFile());
  EXPECT_EQ(shell.boxes, std::vector<unsigned>{kMsgRtiNotCreated});
  EXPECT_EQ(board.reads, 0);
}

TEST_F(RtiFileTest, MemorySizesFromTheHeader) {
  struct Case {
    uint8_t sizeCode, rams, mode;
    uint16_t boardType;
    uint16_t rame, ramg, rome;
  };
  const Case cases[] = {
      {9, 0x80, 0x00, 2, 0x89, 0, 99},      // above 8: added, no second bank
      {4, 0x80, 0x00, 2, 0x88, 0x4000, 99}, // doubled, with its bank
      {0, 0x00, 0xA0, 2, 0, 0, 63},         // 64 less the kernel's sector
      {0, 0x00, 0x20, 2, 0, 0, 128},        {0, 0x00, 0x90, 2, 0, 0, 31},
      {0, 0x00, 0xA0, 4, 0, 0, 99}, // that board keeps its size
      {0, 0x00, 0xB0, 2, 0, 0, 98}, // unchanged, then less one
  };
  for (const Case &c : cases) {
    std::vector<uint8_t> header(33, 0);
    header[0] = c.sizeCode;
    header[2] = c.rams;
    header[27] = uint8_t(c.boardType);
    header[29] = c.mode;
    std::FILE *f = std::fopen((dir / "h.rti").c_str(), "wb");
    std::fwrite(header.data(), 1, header.size(), f);
    std::fclose(f);
    ASSERT_TRUE(OpenRtiFile((dir / "h.rti").string()));
    uint16_t rams = 1, rame = 1, ramg = 1, rome = 99;
    DecodeMemorySizeCodes(rams, rame, ramg, rome);
    EXPECT_EQ(rams, c.rams);
    EXPECT_EQ(rame, c.rame);
    EXPECT_EQ(ramg, c.ramg);
    EXPECT_EQ(rome, c.rome) << int(c.mode);
  }
  // A short file changes nothing.
  std::FILE *f = std::fopen((dir / "short.rti").c_str(), "wb");
  std::fwrite("abc", 1, 3, f);
  std::fclose(f);
  ASSERT_TRUE(OpenRtiFile((dir / "short.rti").string()));
  uint16_t rams = 1, rame = 2, ramg = 3, rome = 4;
  DecodeMemorySizeCodes(rams, rame, ramg, rome);
  EXPECT_EQ(std::vector<uint16_t>({rams, rame, ramg, rome}), std::vector<uint16_t>({1, 2, 3, 4}));
}

} // namespace
} // namespace tsw::testing
