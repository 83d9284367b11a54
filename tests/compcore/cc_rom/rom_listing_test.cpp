#include "compcore/byte_road_fixture.h"

#include "compcore/common/cc_session.h"
#include "foundation/crc16.h"

namespace tsw::testing {
namespace {

class RomListingTest : public ByteRoadTest {
protected:
  void Listing(uint8_t bits = kOutputListing) {
    Output().outputBits = bits;
    ASSERT_EQ(BeginRomListing(Program()), 0);
  }
  std::string Finish() {
    FinishRomListing();
    return ReadText(dir / "prog.rom");
  }
  static std::vector<uint8_t> Ramp(size_t n, uint8_t from = 0) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
      v[i] = uint8_t(from + i);
    return v;
  }
  std::vector<uint8_t> FileBytes(const std::string &name) {
    std::string text = ReadText(dir / name);
    return std::vector<uint8_t>(text.begin(), text.end());
  }
};

TEST_F(RomListingTest, RecordLinesAndTheClosingLines) {
  Output().ivecBase = 0x1200;
  Output().scodBase = 0x3400;
  CompilerConfig().romc = 0x0040;
  Listing();
  WriteRomListingRecord(3, MakeAddr24(0, 0x1000), Ramp(3, 1).data());
  WriteRomListingRecord(17, MakeAddr24(0x12, 0xE345), Ramp(17).data());
  EXPECT_EQ(Finish(), "00:1000[  3] -> 01 02 03 \n"
                      "12:e345[ 11] -> 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f \n"
                      "                10 \n"
                      "*1200ivec_base\n*3400scod_base\n*0040roms\n*0000version=tsw\n*0000library=tsw\n");
}

TEST_F(RomListingTest, LongRunsBecomeRecordsOfAtMost400Bytes) {
  Listing();
  std::vector<uint8_t> bytes = Ramp(1000);
  WriteRomListingRecord(1000, MakeAddr24(0, 0x1000), bytes.data());
  FinishRomListing();
  std::FILE *f = std::fopen((dir / "prog.rom").c_str(), "r");
  ListingRecord r;
  std::vector<std::pair<uint32_t, uint16_t>> seen;
  while (ReadListingRecord(f, r) == 0)
    seen.push_back({ListingRecordPhysical(r), r.count});
  std::fclose(f);
  EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint16_t>>{{0x1000, 400}, {0x1190, 400}, {0x1320, 200}}));
}

TEST_F(RomListingTest, WrittenBlocksFollowTheSectorSize) {
  struct Case {
    uint32_t sector;
    uint32_t physical;
    uint32_t blocks;
  };
  const Case cases[] = {
      {0x100, 0x12FF, 1},   // the last byte of a sector marks that sector only
      {0, 0x1000, 0},       // no sector size: nothing marked
      {16, 0xF0000, 0},     // beyond the map's 8192 blocks: nothing written past it
      {0x1000, 0xF0000, 1}, // in the window, by its physical address
  };
  for (const Case &c : cases) {
    ClearWrittenBlockMap();
    Output().flashSectorSize = c.sector;
    Listing();
    uint8_t byte = 0x5A;
    WriteRomListingRecord(
        1, c.physical < ExtWindowStart ? MakeAddr24(0, uint16_t(c.physical)) : PhysicalToAddr24(c.physical), &byte);
    EXPECT_EQ(CountWrittenBlocks(), c.blocks) << c.physical;
    if (c.blocks) {
      EXPECT_TRUE(IsBlockWritten(c.physical, c.sector));
    }
    FinishRomListing();
  }
}

TEST_F(RomListingTest, HexRecordsCarryTheirRealLengthAndSegmentsEvery32K) {
  std::FILE *bin = std::fopen((dir / "img.bin").c_str(), "w+b");
  std::vector<uint8_t> image(0x8000 + 5, 0);
  image[0] = 0x10;
  image[0x8000] = 0xAB;
  std::fwrite(image.data(), 1, image.size(), bin);
  std::FILE *hex = std::fopen((dir / "img.hex").c_str(), "w");
  EXPECT_TRUE(WriteIntelHexFile(bin, hex));
  std::fclose(bin);
  std::fclose(hex);
  std::string text = ReadText(dir / "img.hex");
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 1u + 1024u + 1u + 1u + 1u);
  EXPECT_EQ(lines[0], ":020000020000FC");
  EXPECT_EQ(lines[1], ":20000000" + std::string("10") + std::string(62, '0') + "D0");
  EXPECT_EQ(lines[1025], ":020000020800F4");
  EXPECT_EQ(lines[1026], ":05000000AB0000000050");
  EXPECT_EQ(lines[1027], ":00000001FF");
}

TEST_F(RomListingTest, ExactlyThirtyTwoKilobytesNeedOneSegmentRecord) {
  std::FILE *bin = std::fopen((dir / "img.bin").c_str(), "w+b");
  std::vector<uint8_t> image(0x8000, 0xFF);
  std::fwrite(image.data(), 1, image.size(), bin);
  std::FILE *hex = std::fopen((dir / "img.hex").c_str(), "w");
  WriteIntelHexFile(bin, hex);
  std::fclose(bin);
  std::fclose(hex);
  std::string text = ReadText(dir / "img.hex");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 1024 + 1);
  EXPECT_EQ(text.find(":02000002"), text.rfind(":02000002"));
}

// A BIOS compile and a program compile to files, with no board at all.
class ImageFilesTest : public RomListingTest {
protected:
  void BiosThenProgram() {
    // The BIOS: code at 0, its checksum and time stamp in its low bytes.
    Output().includeBios = false;
    Listing();
    std::vector<uint8_t> bios = Ramp(0x200, 0x40);
    WriteRomListingRecord(uint16_t(bios.size()), MakeAddr24(0, 0), bios.data());
    FinishRomListing();

    ResetByteRoadForCompile(false);
    SetRunWriter(&writer);
    Output().includeBios = true;
    Output().biosCodeEnd = 0x1FF;
    Output().checksumPosition = 0x10;
    Output().timeStampPosition = 0x20;
    Listing(kOutputListing | kOutputBit01);
    // The program: root code after a rolled-back statement, and xmem code.
    Origin("code 0 0x2000 0x100 apply", Caches().rootCode);
    Origin("more 0 0x2400 0x800 follows code splitbin", Caches().rootCode);
    Caches().currentCode = Caches().rootCode;
    EmitCount(*Caches().rootCode, 0x70, 0x11);
    CompileWithRetry([this] {
      EmitCount(*Caches().currentCode, 0x30, 0x22);
      Caches().currentCode->CheckSpaceGuarded();
      return uint16_t(2);
    });
    Caches().rootCode->Flush();
    FinishRomListing();
  }
  RecordingOutputTarget board;
};

TEST_F(ImageFilesTest, ImageEqualsTheShadowOverEveryListedRangeAndNoBoardIsRead) {
  BiosThenProgram();
  std::vector<ImageRange> ranges;
  uint32_t baseKb = 99;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, &ranges, baseKb), kImageBuilt);
  EXPECT_EQ(baseKb, 0u);
  // The BIOS copy, the segment that filled with its jump, and the follower.
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].start, 0u);
  EXPECT_EQ(ranges[0].length, 0x200u);
  EXPECT_EQ(ranges[1].start, 0x2000u);
  EXPECT_EQ(ranges[1].length, 0x73u);
  EXPECT_EQ(ranges[2].start, 0x2400u);
  std::vector<uint8_t> bin = FileBytes("prog.bin");
  for (const ImageRange &r : ranges)
    for (uint32_t a = r.start; a < r.start + r.length; ++a) {
      uint8_t expected = 0;
      ASSERT_TRUE(ShadowRead(a, expected));
      if (a == 0x10 || a == 0x11)
        continue; // the checksum
      ASSERT_EQ(bin[a], expected) << std::hex << a;
    }
  EXPECT_EQ(bin.size(), size_t(((0x2430 / 1024) + 4) * 1024));
  EXPECT_EQ(board.reads, 0);
  std::string hex = ReadText(dir / "prog.hex");
  EXPECT_EQ(hex.substr(0, 16), ":020000020000FC\n");
  EXPECT_EQ(hex.substr(hex.size() - 12), ":00000001FF\n");
}

TEST_F(ImageFilesTest, ChecksumCoversTheImageWithItsOwnBytesAsZeros) {
  BiosThenProgram();
  uint32_t baseKb = 0;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBuilt);
  std::vector<uint8_t> bin = FileBytes("prog.bin");
  std::vector<uint8_t> summed = bin;
  for (uint32_t a : {0x10u, 0x11u, 0x20u, 0x21u, 0x22u, 0x23u})
    summed[a] = 0;
  uint16_t crc = ComputeCrc16(summed.data(), summed.size());
  EXPECT_EQ(bin[0x10], uint8_t(crc));
  EXPECT_EQ(bin[0x11], uint8_t(crc >> 8));

  Output().includeTimeStamp = false;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBuilt);
  bin = FileBytes("prog.bin");
  EXPECT_EQ(bin[0x10], 0xFF);
  EXPECT_EQ(bin[0x11], 0xFF);
}

TEST_F(ImageFilesTest, ImagePlacementByExtensionAndZeroPad) {
  Listing();
  std::vector<uint8_t> bytes = Ramp(4, 1);
  WriteRomListingRecord(4, MakeAddr24(0, 0x1810), bytes.data());
  FinishRomListing();
  struct Case {
    const char *ext;
    bool zeroPad;
    long offset;
    uint32_t baseKb;
  };
  const Case cases[] = {
      {"bin", false, 0, 0},      // from the image base
      {"bin", true, 0x1810, 0},  // physical offsets
      {"bpf", false, 0x0010, 6}, // from the image base's kilobyte
  };
  for (const Case &c : cases) {
    Output().zeroPadBin = c.zeroPad;
    ImageFileNames names;
    names.binExt = c.ext;
    uint32_t baseKb = 99;
    ASSERT_EQ(BuildImageFromListing(Program(), 1, names, nullptr, baseKb), kImageBuilt) << c.ext;
    EXPECT_EQ(baseKb, c.baseKb) << c.ext;
    std::vector<uint8_t> image = FileBytes(std::string("prog.") + c.ext);
    ASSERT_GE(image.size(), size_t(c.offset + 4)) << c.ext;
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + c.offset, image.begin() + c.offset + 4), bytes) << c.ext;
  }
  // Without keeping it, the listing goes once the image is built.
  uint32_t baseKb = 0;
  ASSERT_EQ(BuildImageFromListing(Program(), 0, {}, nullptr, baseKb), kImageBuilt);
  EXPECT_FALSE(std::filesystem::exists(dir / "prog.rom"));
}

TEST_F(ImageFilesTest, SplitbinWritesNumberedPartsWithTheirHexTwins) {
  Output().zeroPadBin = true;
  BiosThenProgram();
  uint32_t baseKb = 0;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBuilt);
  ASSERT_EQ(WriteImageFiles(Program()), 1);
  std::vector<uint8_t> whole = FileBytes("prog.bin");
  std::vector<uint8_t> part0 = FileBytes("prog0.bin");
  std::vector<uint8_t> part1 = FileBytes("prog1.bin");
  // Part 0 ends with the last byte of the origin the split follows.
  EXPECT_EQ(part0, std::vector<uint8_t>(whole.begin(), whole.begin() + 0x2100));
  EXPECT_EQ(part1, std::vector<uint8_t>(whole.begin() + 0x2400, whole.end()));
  EXPECT_TRUE(std::filesystem::exists(dir / "prog0.hex"));
  EXPECT_TRUE(std::filesystem::exists(dir / "prog1.hex"));
  EXPECT_FALSE(std::filesystem::exists(dir / "prog2.bin"));
}

TEST_F(ImageFilesTest, WithoutSplitbinNoPartFiles) {
  Listing();
  uint8_t byte = 1;
  WriteRomListingRecord(1, MakeAddr24(0, 0x1000), &byte);
  FinishRomListing();
  uint32_t baseKb = 0;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBuilt);
  EXPECT_EQ(WriteImageFiles(Program()), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "prog0.bin"));
}

TEST_F(ImageFilesTest, ProgramCompileToTheBoardReadsOnlyTheResidentBios) {
  SetOutputTarget(&board);
  for (uint32_t a = 0; a < 0x200; ++a)
    board.memory[a] = uint8_t(0x80 + a);
  // No BIOS compile in this session: the BIOS on the board is the one.
  Output().includeBios = true;
  Output().biosCodeEnd = 0x1FF;
  Output().checksumPosition = 0x10;
  Output().timeStampPosition = 0x20;
  Listing(kOutputListing | kOutputBit01);
  Origin("code 0 0x2000 0x100 apply", Caches().rootCode);
  EmitCount(*Caches().rootCode, 0x20, 0x33);
  Caches().rootCode->Flush();
  FinishRomListing();
  uint32_t baseKb = 0;
  ASSERT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBuilt);
  ASSERT_GT(board.reads, 0);
  for (uint32_t a : board.readAddresses)
    EXPECT_LT(a, 0x200u);
  std::vector<uint8_t> bin = FileBytes("prog.bin");
  EXPECT_EQ(bin[0x100], 0x80);
  EXPECT_EQ(bin[0x2000], 0x33);

  // Without a board the same image cannot take the BIOS part.
  SetOutputTarget(nullptr);
  ResetShadowModule();
  Listing(kOutputListing);
  EmitCount(*Caches().rootCode, 0x20, 0x33);
  Caches().rootCode->Flush();
  FinishRomListing();
  EXPECT_EQ(BuildImageFromListing(Program(), 1, {}, nullptr, baseKb), kImageBiosPartFailed);
}

TEST_F(RomListingTest, BoardWritesByOutputBitsAndMode) {
  RecordingOutputTarget board;
  SetOutputTarget(&board);
  uint8_t bytes[4] = {1, 2, 3, 4};
  // Straight to the board: no listing, half duplex.
  board.fullDuplex = false;
  Output().outputBits = kOutputBoard;
  WriteRomListingRecord(4, MakeAddr24(0, 0x1000), bytes);
  ASSERT_EQ(board.writes.size(), 1u);
  // Watch code into flash goes in sector pieces.
  board.fullDuplex = true;
  Output().outputBits = kOutputBoard | kOutputListing;
  Output().codeMode = CodeOutputMode::kWatchCode;
  Output().flashSectorSize = 0x100;
  CompilerConfig().rome = 0x80;
  WriteRomListingRecord(4, MakeAddr24(0, 0x10FE), bytes);
  ASSERT_EQ(board.blocks.size(), 2u);
  EXPECT_EQ(board.blocks[0].bytes.size(), 2u);
  EXPECT_EQ(board.blocks[1].address.logical, 0x1100);
  SetOutputTarget(nullptr);
}

TEST_F(RomListingTest, ListingFollowsTheWindowStart) {
  ExtWindowStart = 0xD000; // "logx" 13
  SegmentBase = 0xD;
  Output().flashSectorSize = 0x1000;
  Listing();
  uint8_t byte = 7;
  WriteRomListingRecord(1, MakeAddr24(0x10, 0xD000), &byte);
  EXPECT_TRUE(IsBlockWritten(0x1D000, 0x1000));
  std::string text = Finish();
  EXPECT_EQ(text.substr(0, 20), "10:d000[  1] -> 07 \n");
  uint8_t shadow = 0;
  EXPECT_TRUE(ShadowRead(0x1D000, shadow));
  SegmentBase = kDefaultSegmentBase;
}

} // namespace
} // namespace tsw::testing
