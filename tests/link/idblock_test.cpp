#include "link/serial_fixture.h"

#include "compcore/link/targetinfo.h"
#include "compcore/link/tc/idblock.h"
#include "fakes/fake_id_block.h"

namespace tsw::testing {
namespace {

// A well-formed block of `size` bytes at the top of the kernel's memory,
// its CRC computed here the way the board computes it.
std::vector<uint8_t> MakeBlock(uint8_t size = 132) {
  std::vector<uint8_t> b(132, 0);
  for (unsigned i = 0; i < 116; ++i)
    b[i] = uint8_t(i * 3 + 1);
  b[116] = size;
  b[122] = 0x34;
  b[123] = 0x12;
  for (unsigned i = 0; i < 6; ++i)
    b[126 + i] = i % 2 ? 0xAA : 0x55;
  SealIdBlock(b.data());
  return b;
}

class IdBlockTest : public SerialLinkTest {
protected:
  void Place(const std::vector<uint8_t> &block) { kernel.Poke(0x100000 - uint32_t(block.size()), block); }
};

TEST_F(IdBlockTest, ResultsByBlockContents) {
  struct Case {
    const char *name;
    void (*spoil)(std::vector<uint8_t> &);
    int16_t result;
  } cases[] = {
      {"good", [](std::vector<uint8_t> &) {}, 0},
      {"byte 115 is not summed", [](std::vector<uint8_t> &b) { b[115] ^= 0xFF; }, 0},
      {"marker missing", [](std::vector<uint8_t> &b) { b[129] = 0; }, -1},
      {"content changed", [](std::vector<uint8_t> &b) { b[19] ^= 1; }, -2},
      {"stored CRC changed", [](std::vector<uint8_t> &b) { b[124] ^= 1; }, -2},
      {"size past the block", [](std::vector<uint8_t> &b) { b[116] = 200; }, -1},
  };
  Open();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> block = MakeBlock();
    c.spoil(block);
    Place(block);
    unsigned framesBefore = kernel.readFrames;
    EXPECT_EQ(ReadIdBlockSerial(), c.result);
    if (c.result == 0) {
      EXPECT_EQ(CurrentTargetInfo.idBlock[122], 0x34);
      EXPECT_EQ(CurrentTargetInfo.idBlock[19], block[19]);
    }
    // The tail first, then (markers there, size sound) the whole block.
    EXPECT_EQ(kernel.readFrames - framesBefore, c.result == -1 ? 1u : 2u);
  }
}

TEST_F(IdBlockTest, TheTailIsReadAtF1EFF0AndTheBlockBelowTheTopOfMemory) {
  Open();
  Place(MakeBlock());
  ASSERT_EQ(ReadIdBlockSerial(), 0);
  std::vector<uint8_t> sent = port.SentBytes();
  ASSERT_EQ(sent.size(), 12u);
  EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 5), (std::vector<uint8_t>{0xA2, 16, 0xF0, 0xEF, 0xF1}));
  // 0x100000 - 132 = 0xFFF7C: page 0xFF, segment 0xF1, logical 0xEF7C.
  EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 6, sent.begin() + 11),
            (std::vector<uint8_t>{0xA2, 132, 0x7C, 0xEF, 0xF1}));
}

TEST_F(IdBlockTest, NothingIsReadOnAClosedPortOrInsideAPump) {
  EXPECT_EQ(ReadIdBlockSerial(), -3);
  Open();
  Place(MakeBlock());
  int16_t inPump = 0;
  port.faults = {{FakePort::Dir::FromBoard, 0, FakePort::Kind::Delay, 30}};
  host.onPump = [&] { inPump = ReadIdBlockSerial(); };
  EXPECT_EQ(QueryTargetStatus(0xFF), 0x80);
  host.onPump = nullptr;
  EXPECT_EQ(inPump, -3);
  EXPECT_EQ(port.sent.size(), 1u);
}

} // namespace
} // namespace tsw::testing
