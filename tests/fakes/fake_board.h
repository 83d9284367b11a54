#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_kernel.h"

namespace tsw::testing {

// A board on 127.0.0.1 answering the TCP/IP link protocol from its own
// thread, over the memory of a fake kernel: the login, every request, the
// download with a credit status every 2048 bytes and the kernel variable
// message after it. It serves one connection at a time and records every
// message it receives. Set its behaviour before the host connects, or
// through the locked helpers while it runs.
class FakeBoard {
public:
  struct Message {
    uint16_t type = 0;
    uint16_t sequence = 0;
    uint32_t version = 0;
    std::vector<uint8_t> payload;
    std::vector<uint8_t> raw; // the whole message as it came
  };

  FakeBoard();
  ~FakeBoard();
  FakeBoard(const FakeBoard &) = delete;
  FakeBoard &operator=(const FakeBoard &) = delete;

  uint16_t Port() const { return port_; }
  // 127.0.0.1 in network byte order.
  static uint32_t Loopback();

  // Messages received so far (a copy).
  std::vector<Message> Received();
  size_t CountOf(uint16_t type);
  // Waits up to `ms` for a message of that type.
  bool WaitFor(uint16_t type, uint32_t ms);
  // Sends a message of its own (an event, say) as soon as it can.
  void Send(uint16_t type, const std::vector<uint8_t> &payload);
  std::vector<uint8_t> Downloaded();
  bool ClientConnected() const { return client_ >= 0; }

  FakeKernel kernel;
  // The login: a challenge (pass phrase set) or an acceptance at once.
  std::optional<std::string> passPhrase = std::string("tessel");
  std::array<uint8_t, 26> challenge{};
  std::atomic<bool> wrongLoginAnswer{false};
  // The board's description.
  uint16_t flashId = 0xBF07;
  uint8_t ramSize = 0x12;
  std::array<uint8_t, 132> idBlock{};
  std::vector<uint8_t> kernelVariables = std::vector<uint8_t>(36, 0);
  std::vector<uint8_t> frame = std::vector<uint8_t>(26, 0);
  std::vector<uint8_t> watchReply;
  // Faults.
  std::atomic<uint16_t> wrongReplyTypeFor{0};    // answers that request with type 0x4099
  std::atomic<uint32_t> oversizedReplyLength{0}; // claims that payload length for every reply
  std::atomic<bool> silent{false};               // takes everything, answers nothing
  std::atomic<bool> noDownloadStatus{false};     // never grants credit
  std::atomic<uint32_t> disconnectAfter{0};      // closes once that many image bytes came
  std::atomic<bool> dribble{false};              // sends replies a byte at a time
  // An event sent just before the reply to the next request.
  std::vector<uint8_t> eventBeforeReply;

private:
  void Run(std::stop_token stop);
  void Serve();
  void Handle(const Message &m);
  void Reply(uint16_t type, const std::vector<uint8_t> &payload);
  void SendRaw(uint16_t type, const std::vector<uint8_t> &payload, uint32_t claimedLength);
  void Write(const std::vector<uint8_t> &bytes);
  void Drop();

  int listen_ = -1;
  std::atomic<int> client_{-1};
  uint16_t port_ = 0;
  uint16_t sequence_ = 0;
  std::vector<uint8_t> in_;
  std::mutex mutex_;
  std::vector<Message> received_;
  std::vector<std::vector<uint8_t>> outbox_;
  std::vector<uint8_t> downloaded_;
  uint32_t sinceStatus_ = 0;
  std::jthread thread_;
};

// A datagram responder on 127.0.0.1 standing for boards that answer the
// discovery request: each request it receives on its port is answered with
// every reply of the list, sent to the reply port.
class FakeDiscoveryResponder {
public:
  explicit FakeDiscoveryResponder(uint16_t replyPort);
  ~FakeDiscoveryResponder();
  FakeDiscoveryResponder(const FakeDiscoveryResponder &) = delete;
  FakeDiscoveryResponder &operator=(const FakeDiscoveryResponder &) = delete;

  uint16_t Port() const { return port_; }
  std::vector<std::vector<uint8_t>> Requests();
  // Replies are sent as given (short or long ones included).
  void SetReplies(std::vector<std::vector<uint8_t>> replies);

private:
  void Run(std::stop_token stop);
  int socket_ = -1;
  uint16_t port_ = 0;
  uint16_t replyPort_;
  std::mutex mutex_;
  std::vector<std::vector<uint8_t>> requests_;
  std::vector<std::vector<uint8_t>> replies_;
  std::jthread thread_;
};

// An 86-byte discovery reply.
std::vector<uint8_t> DiscoveryReply(const std::string &name, uint16_t status, std::array<uint8_t, 4> address,
                                    std::array<uint8_t, 6> mac, uint16_t port);

} // namespace tsw::testing
