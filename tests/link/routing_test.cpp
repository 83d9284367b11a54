#include "link/serial_fixture.h"

#include <cstring>

#include "compcore/link/biosimage.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/flashvalues.h"

namespace tsw::testing {
namespace {

class RoutingTest : public SerialLinkTest {
protected:
  std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
      v[i] = uint8_t(seed + i * 13);
    return v;
  }
};

TEST_F(RoutingTest, SerialReadsGoInFramesOfAtMost255) {
  Open();
  kernel.Poke(0x100, Pattern(600));
  std::vector<uint8_t> buf(600);
  ReadTargetMemory(600, MakeAddr24(0, 0x100), buf.data());
  EXPECT_EQ(kernel.frameCounts, (std::vector<unsigned>{255, 255, 90}));
  EXPECT_EQ(buf, Pattern(600));
  EXPECT_FALSE(LinkTransfer.isWrite);
}

// How a serial write is cut: by the flash sector size on a Corvid board,
// else by 256, and at 256-byte pages once a program is loaded.
struct CutCase {
  const char *name;
  bool corvid;
  bool programLoaded;
  const char *sectorMacro;
  uint16_t logical;
  uint32_t count;
  std::vector<unsigned> frames;
};

TEST_F(RoutingTest, SerialWritesAreCutBySectorAndPage) {
  const CutCase cases[] = {
      {"pages split once loaded", false, true, nullptr, 0x80F0, 300, {16, 240, 16, 28}},
      {"no split before loading", false, false, nullptr, 0x80F0, 300, {256, 44}},
      {"undefined sector is 128", true, false, nullptr, 0x8000, 300, {128, 128, 44}},
      {"a whole sector is one frame", true, false, "4096", 0x8000, 4096, {4096}},
      {"sector pieces split at pages", true, true, "0x80", 0x80C0, 300, {64, 64, 128, 44}},
      {"nothing for nothing", false, true, nullptr, 0x8000, 0, {}},
  };
  for (const CutCase &c : cases) {
    SCOPED_TRACE(c.name);
    ResetTargetMemoryModule();
    kernel = FakeKernel{};
    kernel.zeroCountMeans = c.count == 4096 ? 4096 : 256;
    host.assumeCorvid = c.corvid;
    host.programLoaded = c.programLoaded;
    host.macros.clear();
    if (c.sectorMacro)
      host.macros["FLASH_SECTORSIZE"] = c.sectorMacro;
    Open();
    std::vector<uint8_t> data = Pattern(c.count);
    uint32_t before = GetBytesWrittenTotal();
    WriteTargetMemory(c.count, MakeAddr24(0, c.logical), data.data());
    EXPECT_EQ(kernel.frameCounts, c.frames);
    EXPECT_EQ(GetBytesWrittenTotal() - before, c.count);
    for (uint32_t i = 0; i < c.count; ++i)
      ASSERT_EQ(kernel.Peek(c.logical + i), data[i]) << i;
    EXPECT_TRUE(LinkTransfer.isWrite);
  }
}

TEST_F(RoutingTest, WriteTargetBlockSendsOneFrameWhateverItsSize) {
  host.programLoaded = true;
  kernel.zeroCountMeans = 4096;
  Open();
  std::vector<uint8_t> data = Pattern(4096);
  WriteTargetBlock(4096, MakeAddr24(0, 0x80F0), data.data());
  EXPECT_EQ(kernel.frameCounts, std::vector<unsigned>{4096});
  EXPECT_EQ(port.SentBytes()[1], 0x00);
}

TEST_F(RoutingTest, BiosImageModeKeepsTheLowBytesInTheBufferAndStillSendsThemSerially) {
  host.biosImageMode = true;
  Open();
  std::vector<uint8_t> data = Pattern(512);
  WriteTargetMemory(512, MakeAddr24(0, 0x2400), data.data());
  EXPECT_EQ(BiosImageBuffer.highWater, 0x2500u);
  EXPECT_EQ(0, std::memcmp(BiosImageBuffer.bytes.data() + 0x2400, data.data(), 256));
  for (uint32_t i = 0; i < 512; ++i)
    ASSERT_EQ(kernel.Peek(0x2400 + i), data[i]);
}

TEST_F(RoutingTest, OfflineWritesTouchOnlyTheBufferBelowItsEndAndSendNothing) {
  host.offline = true;
  host.biosImageMode = true;
  std::vector<uint8_t> data = Pattern(512);
  WriteTargetMemory(512, MakeAddr24(0, 0x2400), data.data());
  WriteTargetBlock(512, MakeAddr24(0, 0x2400), data.data());
  host.biosImageMode = false;
  WriteTargetMemory(16, MakeAddr24(0, 0x100), data.data());
  EXPECT_EQ(BiosImageBuffer.highWater, 0x2500u);
  EXPECT_EQ(BiosImageBuffer.bytes[0x100], 0);
  EXPECT_TRUE(openedPaths.empty());
  EXPECT_TRUE(port.sent.empty());
}

TEST_F(RoutingTest, OfflineReadsComeFromTheBufferBelowItsEndAndZerosUpToTheCodeStart) {
  host.offline = true;
  host.codeStart = 0x4000;
  BiosImageBuffer.Write(0x2400, 0x100, Pattern(0x100).data());
  std::vector<uint8_t> buf(0x200, 0xEE);
  ReadTargetMemory(0x200, MakeAddr24(0, 0x2400), buf.data());
  EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 0x100), Pattern(0x100));
  EXPECT_EQ(std::vector<uint8_t>(buf.begin() + 0x100, buf.end()), std::vector<uint8_t>(0x100, 0));
  // At and above the code start nothing is read: the buffer keeps its bytes.
  std::vector<uint8_t> above(16, 0xEE);
  ReadTargetMemory(16, MakeAddr24(0, 0x4000), above.data());
  EXPECT_EQ(above, std::vector<uint8_t>(16, 0xEE));
  EXPECT_TRUE(port.sent.empty());
}

struct MacroCase {
  std::map<std::string, std::string> macros;
  uint32_t flashSize;
  uint16_t sectorSize;
};

TEST_F(RoutingTest, FlashValuesFollowTheBiosMacros) {
  const MacroCase cases[] = {
      {{}, 0, 0},
      {{{"FLASH_SIZE", "0x80"}, {"FLASH_SECTORSIZE", "4096"}}, 0x80000, 4096},
      {{{"FLASH_SIZE", "020"}, {"FLASH_SECTORSIZE", " 0x100 "}}, 16 * 4096, 256},
      {{{"FLASH_SIZE", "FLASH_UNITS"}, {"FLASH_UNITS", "64"}}, 64 * 4096, 0},
      {{{"FLASH_SIZE", "A"}, {"A", "B"}, {"B", "A"}}, 0, 0},
      {{{"FLASH_SIZE", "UNDEFINED_NAME"}}, 0, 0},
  };
  for (const MacroCase &c : cases) {
    host.macros = c.macros;
    EXPECT_EQ(GetFlashSize(), c.flashSize);
    EXPECT_EQ(GetFlashSectorSize(), c.sectorSize);
  }
}

} // namespace
} // namespace tsw::testing
