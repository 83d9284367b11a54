#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "compcore/link/linkreset.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/tcs/discovery.h"
#include "fakes/fake_board.h"
#include "fakes/fake_host.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/xerr.h"

namespace tsw::testing {
namespace {

// A datagram port on 127.0.0.1 that nothing uses (or, kept, one that is
// taken).
class UdpPort {
public:
  UdpPort() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~UdpPort() { Release(); }
  void Release() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }
  uint16_t port = 0;

private:
  int fd_ = -1;
};

class DiscoveryTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    ResetLinkModules();
    ToolHelpTimer = 1;
    replyPort.Release();
    CurrentDiscoveryConfig.broadcastAddress = "127.0.0.1";
    CurrentDiscoveryConfig.requestPort = responder.Port();
    CurrentDiscoveryConfig.replyPort = replyPort.port;
    CurrentLinkTimeouts.discoveryRepeat = 40;
  }
  void TearDown() override {
    ResetLinkModules();
    ResetFoundation();
  }
  // Polls as the dialog's timer would, faster.
  void PollFor(uint32_t ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      PollDiscoveryReplies();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  UdpPort replyPort;
  FakeDiscoveryResponder responder{replyPort.port};
  RecordingHost host;
};

TEST_F(DiscoveryTest, TheRequestGoesThreeTimesAndEachAnswerBecomesARow) {
  responder.SetReplies({DiscoveryReply("board-one", 1, {10, 1, 2, 3}, {0x00, 0x90, 0xc2, 0x0a, 0x0b, 0xfe}, 4244)});
  DiscoverTargets();
  PollFor(200);
  StopDiscovery();
  std::vector<std::vector<uint8_t>> requests = responder.Requests();
  ASSERT_EQ(requests.size(), 3u);
  std::vector<uint8_t> want(88, 0);
  want[0] = 1;
  want[5] = 1;
  std::memcpy(want.data() + 8, "myname", 6);
  EXPECT_EQ(requests[0], want);
  ASSERT_EQ(host.rows.size(), 3u);
  for (const DiscoveryRow &row : host.rows) {
    EXPECT_EQ(row.name, "board-one");
    EXPECT_EQ(row.address, "10.1.2.3");
    EXPECT_EQ(row.ethernet, "00:90:c2:0a:0b:fe");
    EXPECT_EQ(row.port, "4244");
    EXPECT_EQ(row.status, "Programmed");
  }
}

TEST_F(DiscoveryTest, StatusTextsNamesAndShortDatagrams) {
  std::vector<uint8_t> longName = DiscoveryReply(std::string(40, 'n'), 0, {1, 2, 3, 4}, {}, 1);
  std::vector<uint8_t> shortOne(60, 0x41);
  responder.SetReplies({DiscoveryReply("a", 2, {}, {}, 0), DiscoveryReply("b", 255, {}, {}, 0),
                        DiscoveryReply("c", 3, {}, {}, 0), shortOne, longName});
  CurrentLinkTimeouts.discoveryRepeat = 100000;
  DiscoverTargets();
  PollFor(60);
  ASSERT_EQ(host.rows.size(), 4u);
  EXPECT_EQ(host.rows[0].status, "Waiting");
  EXPECT_EQ(host.rows[1].status, "Error");
  EXPECT_EQ(host.rows[2].status, "unknown status");
  // The name field holds no terminator: it ends at its 40th character.
  EXPECT_EQ(host.rows[3].name, std::string(40, 'n'));
  EXPECT_EQ(host.rows[3].status, "Running");
}

TEST_F(DiscoveryTest, AReplyPortInUseIs5123) {
  UdpPort taken;
  CurrentDiscoveryConfig.replyPort = taken.port;
  EXPECT_THROW(
      {
        try {
          DiscoverTargets();
        } catch (const xTCErr &e) {
          EXPECT_EQ(e.Message(), 5123u);
          throw;
        }
      },
      xTCErr);
  EXPECT_FALSE(DiscoveryRunning());
  EXPECT_TRUE(responder.Requests().empty());
}

} // namespace
} // namespace tsw::testing
