#include "link/tcp_fixture.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tsw::testing {
namespace {

TEST_F(TcpLinkTest, LoginAnswersTheChallengeWithMd5OfItsHeadAndThePassPhrase) {
  ConnectTcp();
  EXPECT_TRUE(IsTcpConnected());
  std::vector<FakeBoard::Message> got = board.Received();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].type, 2);
  EXPECT_EQ(got[0].sequence, 0);
  const std::vector<uint8_t> digest = {0x59, 0xaf, 0xce, 0x66, 0x42, 0x76, 0x5a, 0x57,
                                       0xc9, 0x48, 0x6d, 0x7d, 0xbd, 0x37, 0xa0, 0x82};
  ASSERT_EQ(got[0].payload.size(), 26u);
  EXPECT_EQ(std::vector<uint8_t>(got[0].payload.begin() + 6, got[0].payload.begin() + 22), digest);
  for (unsigned i : {0u, 5u, 22u, 25u})
    EXPECT_EQ(got[0].payload[i], 0x10 + i);
  EXPECT_EQ(host.passPhraseAsks, 1u);
  EXPECT_EQ(host.passPhraseReleases, 1u);
  EXPECT_FALSE(host.dialogOpen);
  ASSERT_FALSE(host.waitMessages.empty());
  EXPECT_EQ(host.waitMessages[0].message, 4023u);
  EXPECT_EQ(host.waitMessages[0].argument, "127.0.0.1");
}

TEST_F(TcpLinkTest, ABoardThatAcceptsAtOnceIsAskedNothing) {
  ConnectOpen();
  EXPECT_EQ(host.passPhraseAsks, 0u);
  EXPECT_TRUE(board.Received().empty());
}

TEST_F(TcpLinkTest, RefusedLoginsCloseTheConnection) {
  struct Case {
    const char *name;
    bool cancel;
    bool wrongAnswer;
  } cases[] = {{"pass phrase cancelled", true, false}, {"board refuses the answer", false, true}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    host.keepPassPhraseCleared = false;
    if (c.cancel)
      host.passPhrase.reset();
    else
      host.passPhrase = "tessel";
    board.wrongLoginAnswer = c.wrongAnswer;
    EXPECT_EQ(LinkFailure([] { ConnectTcp(); }), 5138u);
    EXPECT_FALSE(IsTcpConnected());
    EXPECT_TRUE(host.keepPassPhraseCleared);
    EXPECT_FALSE(host.dialogOpen);
  }
}

TEST_F(TcpLinkTest, ARefusedConnectIs5082WithNoWorkerLeft) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = FakeBoard::Loopback();
  ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
  ::close(s); // nothing listens there now
  CurrentLinkSettings.tcpPort = ntohs(a.sin_port);
  EXPECT_EQ(LinkFailure([] { ConnectTcp(); }), 5082u);
  EXPECT_FALSE(ConnectWorkerRunning());
  EXPECT_FALSE(IsTcpConnected());
  EXPECT_FALSE(host.dialogOpen);
}

// A listener that never accepts, its backlog full: connects to it hang.
class HangingListener {
public:
  HangingListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = FakeBoard::Loopback();
    ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(fd_, 0);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len);
    port = ntohs(a.sin_port);
    for (int i = 0; i < 8; ++i) {
      int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(c, reinterpret_cast<sockaddr *>(&a), sizeof a);
      fillers_.push_back(c);
    }
  }
  ~HangingListener() {
    for (int c : fillers_)
      ::close(c);
    ::close(fd_);
  }
  uint16_t port = 0;

private:
  int fd_;
  std::vector<int> fillers_;
};

TEST_F(TcpLinkTest, AHangingConnectEndsAtItsLimitOrAtCancelWithNoWorkerLeft) {
  HangingListener listener;
  CurrentLinkSettings.tcpPort = listener.port;
  CurrentLinkTimeouts.tcpConnect = 200;
  uint32_t elapsed = Elapsed([] { EXPECT_EQ(LinkFailure([] { ConnectTcp(); }), 5082u); });
  EXPECT_GE(elapsed, 200u);
  EXPECT_LT(elapsed, 1000u);
  EXPECT_FALSE(ConnectWorkerRunning());

  CurrentLinkTimeouts.tcpConnect = 10000;
  unsigned pumps = 0;
  host.onPump = [&] {
    if (++pumps == 20)
      throw xUserCancel("test", 0);
  };
  elapsed = Elapsed([] { EXPECT_EQ(LinkFailure([] { ConnectTcp(); }), 5082u); });
  host.onPump = nullptr;
  EXPECT_LT(elapsed, 1000u);
  EXPECT_FALSE(ConnectWorkerRunning());
  EXPECT_FALSE(IsTcpConnected());
}

} // namespace
} // namespace tsw::testing
