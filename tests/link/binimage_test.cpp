#include <gtest/gtest.h>

#include "compcore/link/biosimage.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linkreset.h"
#include "compcore/link/tc/binimage.h"
#include "fakes/fake_host.h"
#include "support/tempdir.h"

#include <string>

namespace tsw::testing {
namespace {

class BinImageTest : public ::testing::Test {
protected:
  void SetUp() override { ResetLinkModules(); }
  void TearDown() override { ResetLinkModules(); }
  RecordingHost host;
  TempDir dir;
};

TEST_F(BinImageTest, TheImageBeginsWithTheBiosUpToItsHighWaterMark) {
  const uint8_t bios[3] = {0xC3, 0x00, 0x10};
  BiosImageBuffer.Write(0x10, 3, bios);
  ASSERT_TRUE(CreateBinImageFile((dir / "prog.c").c_str()));
  const uint8_t code[2] = {0xAA, 0xBB};
  WriteBinImageAt(2, 0x20, code);
  CloseBinImageFile();
  std::string image = dir.Read("prog.bin");
  ASSERT_EQ(image.size(), 0x22u);
  EXPECT_EQ(uint8_t(image[0x10]), 0xC3);
  EXPECT_EQ(uint8_t(image[0x12]), 0x10);
  EXPECT_EQ(uint8_t(image[0x21]), 0xBB);
  EXPECT_EQ(BinImagePath(), dir / "prog.bin");
}

TEST_F(BinImageTest, WithoutTheBiosTheImageStartsEmpty) {
  const uint8_t bios[1] = {1};
  BiosImageBuffer.Write(0, 1, bios);
  host.includeBios = false;
  ASSERT_TRUE(CreateBinImageFile((dir / "prog.c").c_str()));
  CloseBinImageFile();
  EXPECT_EQ(dir.Read("prog.bin").size(), 0u);
}

TEST_F(BinImageTest, AnImageThatCannotBeCreatedIsACompileErrorWithItsPath) {
  EXPECT_FALSE(CreateBinImageFile((dir / "missing/prog.c").c_str()));
  ASSERT_EQ(host.compileErrors.size(), 1u);
  EXPECT_EQ(host.compileErrors[0].message, 5023u);
  EXPECT_EQ(host.compileErrors[0].argument, dir / "missing/prog.bin");
  EXPECT_FALSE(BinImageFileOpen());
}

// The link raises only named messages whose text takes its one text: any
// other raiser does not compile.
template <unsigned Id> constexpr bool LinkCanRaise = requires(std::string argument) {
  LinkCompileError::Of<Id>(argument);
};
static_assert(LinkCanRaise<kMsgCannotOpen>);
static_assert(!LinkCanRaise<kMsgInternal>);     // takes no argument
static_assert(!LinkCanRaise<kMsgTransferRead>); // takes two numbers
static_assert(!LinkCanRaise<0>);                // names no message

TEST(BiosImageBufferTest, TransfersAcrossItsEndTouchOnlyTheBytesInside) {
  BiosImage image;
  std::vector<uint8_t> data(0x20, 0x77);
  EXPECT_EQ(image.Write(0x24F0, 0x20, data.data()), 0x10u);
  EXPECT_EQ(image.highWater, 0x2500u);
  EXPECT_EQ(image.Write(0x2500, 1, data.data()), 0u);
  std::vector<uint8_t> out(0x20, 0);
  EXPECT_EQ(image.Read(0x24F8, 0x20, out.data()), 8u);
  EXPECT_EQ(out[7], 0x77);
  EXPECT_EQ(out[8], 0);
}

} // namespace
} // namespace tsw::testing
