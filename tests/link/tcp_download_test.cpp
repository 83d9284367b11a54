#include "link/tcp_fixture.h"

#include "compcore/link/kernelvars.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tcs/download.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

class DownloadTest : public TcpLinkTest {
protected:
  // A compile's image of `size` bytes, left open as the compile leaves it.
  std::vector<uint8_t> MakeImage(uint32_t size) {
    std::vector<uint8_t> image(size);
    for (uint32_t i = 0; i < size; ++i)
      image[i] = uint8_t(i * 7 + i / 256);
    host.includeBios = false;
    EXPECT_TRUE(CreateBinImageFile((dir / "prog.c").c_str()));
    WriteBinImageAt(size, 0, image.data());
    return image;
  }
  std::vector<size_t> DataChunks() {
    std::vector<size_t> chunks;
    for (const FakeBoard::Message &m : board.Received())
      if (m.type == 8)
        chunks.push_back(m.payload.size() - 6);
    return chunks;
  }
  TempDir dir;
};

TEST_F(DownloadTest, TheImageArrivesWholeThenTheKernelVariablesAndTheDoneExchange) {
  ConnectOpen();
  KernelVariables vars;
  vars.doneFlag = 0x1F05;
  vars.registerSaveArea = 0x1E00;
  vars.stdinByte = 0x1F0E;
  uint8_t message[kKernelVariableMessageSize];
  KernelVariablesToMessage(vars, message);
  board.kernelVariables.assign(message, message + sizeof message);
  std::vector<uint8_t> image = MakeImage(10000);
  DownloadProgramTcp();
  EXPECT_TRUE(DownloadCompleted());
  EXPECT_EQ(board.Downloaded(), image);
  EXPECT_EQ(CurrentKernelVariables.doneFlag, 0x1F05);
  EXPECT_EQ(CurrentKernelVariables.registerSaveArea, 0x1E00);
  EXPECT_EQ(CurrentKernelVariables.inputRequestFlag, 0x1F0D);
  EXPECT_EQ(board.CountOf(13), 1u);
  EXPECT_GT(board.CountOf(0x4009), 0u);
  for (size_t n : DataChunks())
    EXPECT_LE(n, 512u);
  ASSERT_FALSE(host.waitTexts.empty());
  EXPECT_EQ(host.waitTexts.back(), "10000 bytes downloaded, 10000/10000 finished\nSTATUS: loading");
  EXPECT_FALSE(host.dialogOpen);
}

TEST_F(DownloadTest, WithoutCreditTheDownloadStopsAt2048AndFailsWhenTheBoardStaysSilent) {
  ConnectOpen();
  board.noDownloadStatus = true;
  MakeImage(10000);
  uint32_t elapsed = Elapsed([] { EXPECT_EQ(LinkFailure([] { DownloadProgramTcp(); }), 5083u); });
  EXPECT_GE(elapsed, CurrentLinkTimeouts.downloadStage);
  EXPECT_EQ(DataChunks(), (std::vector<size_t>{512, 512, 512, 512}));
  EXPECT_EQ(board.CountOf(13), 0u);
  EXPECT_FALSE(DownloadCompleted());
}

TEST_F(DownloadTest, ADisconnectDuringTheDownloadFailsItWithoutTheDoneMessage) {
  ConnectOpen();
  board.disconnectAfter = 3000;
  MakeImage(20000);
  EXPECT_EQ(LinkFailure([] { DownloadProgramTcp(); }), 5099u);
  EXPECT_FALSE(DownloadCompleted());
  EXPECT_EQ(board.CountOf(13), 0u);
}

TEST_F(DownloadTest, AnImageThatCannotBeOpenedIs5099) {
  ConnectOpen();
  EXPECT_EQ(LinkFailure([] { DownloadProgramTcp(); }), 5099u);
  EXPECT_TRUE(board.Received().empty());
}

} // namespace
} // namespace tsw::testing
