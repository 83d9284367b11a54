#include "fakes/fake_board.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <md5.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "foundation/addr24.h"

namespace tsw::testing {

namespace {

constexpr uint32_t kStatusEvery = 2048;
constexpr uint32_t kGrantedCredit = 4096;
constexpr int kPollMs = 5;

void PutBig32(std::vector<uint8_t> &v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8)
    v.push_back(uint8_t(x >> s));
}
void PutLittle32(std::vector<uint8_t> &v, uint32_t x) {
  for (int s = 0; s < 32; s += 8)
    v.push_back(uint8_t(x >> s));
}
uint32_t Big32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

uint32_t PhysicalOfPayload(const uint8_t *p, unsigned i) {
  ADDR24 a = MakeAddr24(p[0], uint16_t(p[1] | p[2] << 8));
  return Addr24ToPhysical(Addr24Add(a, int32_t(i))) & (FakeKernel::kMemorySize - 1);
}

std::array<uint8_t, 16> Md5(const uint8_t *a, size_t na, const uint8_t *b, size_t nb) {
  std::array<uint8_t, 16> out;
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, a, na);
  if (nb)
    MD5Update(&ctx, b, nb);
  MD5Final(out.data(), &ctx);
  return out;
}

} // namespace

uint32_t FakeBoard::Loopback() { return htonl(INADDR_LOOPBACK); }

FakeBoard::FakeBoard() {
  for (unsigned i = 0; i < challenge.size(); ++i)
    challenge[i] = uint8_t(0x10 + i);
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = Loopback();
  ::bind(listen_, reinterpret_cast<sockaddr *>(&a), sizeof a);
  ::listen(listen_, 4);
  socklen_t len = sizeof a;
  getsockname(listen_, reinterpret_cast<sockaddr *>(&a), &len);
  port_ = ntohs(a.sin_port);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

FakeBoard::~FakeBoard() {
  thread_.request_stop();
  thread_.join();
  Drop();
  ::close(listen_);
}

void FakeBoard::Drop() {
  int fd = client_.exchange(-1);
  if (fd >= 0)
    ::close(fd);
  in_.clear();
}

std::vector<FakeBoard::Message> FakeBoard::Received() {
  std::lock_guard lock(mutex_);
  return received_;
}

size_t FakeBoard::CountOf(uint16_t type) {
  std::lock_guard lock(mutex_);
  size_t n = 0;
  for (const Message &m : received_)
    n += m.type == type;
  return n;
}

bool FakeBoard::WaitFor(uint16_t type, uint32_t ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (CountOf(type))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return CountOf(type) > 0;
}

void FakeBoard::Send(uint16_t type, const std::vector<uint8_t> &payload) {
  std::vector<uint8_t> m;
  PutBig32(m, 1);
  m.push_back(uint8_t(type >> 8));
  m.push_back(uint8_t(type));
  m.push_back(0);
  m.push_back(0);
  PutBig32(m, uint32_t(payload.size()));
  m.insert(m.end(), payload.begin(), payload.end());
  m.resize(m.size() + 6, 0);
  std::lock_guard lock(mutex_);
  outbox_.push_back(std::move(m));
}

std::vector<uint8_t> FakeBoard::Downloaded() {
  std::lock_guard lock(mutex_);
  return downloaded_;
}

void FakeBoard::Write(const std::vector<uint8_t> &bytes) {
  int fd = client_;
  if (fd < 0)
    return;
  size_t done = 0;
  while (done < bytes.size()) {
    size_t n = dribble ? 1 : bytes.size() - done;
    ssize_t r = ::send(fd, bytes.data() + done, n, MSG_NOSIGNAL);
    if (r <= 0)
      return;
    done += size_t(r);
    if (dribble)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void FakeBoard::SendRaw(uint16_t type, const std::vector<uint8_t> &payload, uint32_t claimedLength) {
  std::vector<uint8_t> m;
  PutBig32(m, 1);
  m.push_back(uint8_t(type >> 8));
  m.push_back(uint8_t(type));
  m.push_back(uint8_t(sequence_ >> 8));
  m.push_back(uint8_t(sequence_));
  ++sequence_;
  PutBig32(m, claimedLength);
  m.insert(m.end(), payload.begin(), payload.end());
  m.resize(m.size() + 6, 0);
  Write(m);
}

void FakeBoard::Reply(uint16_t type, const std::vector<uint8_t> &payload) {
  std::vector<uint8_t> event;
  {
    std::lock_guard lock(mutex_);
    event.swap(eventBeforeReply);
  }
  if (!event.empty())
    SendRaw(14, event, uint32_t(event.size()));
  uint16_t request = uint16_t(type & ~0x4000);
  if (wrongReplyTypeFor != 0 && wrongReplyTypeFor == request)
    type = 0x4099;
  uint32_t claimed = oversizedReplyLength ? oversizedReplyLength.load() : uint32_t(payload.size());
  std::vector<uint8_t> body = payload;
  if (oversizedReplyLength && oversizedReplyLength <= 65536)
    body.resize(oversizedReplyLength, 0xEE);
  SendRaw(type, body, claimed);
}

void FakeBoard::Run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    if (client_ < 0) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, kPollMs) <= 0)
        continue;
      int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0)
        continue;
      client_ = fd;
      sequence_ = 0;
      {
        std::lock_guard lock(mutex_);
        sinceStatus_ = 0;
      }
      if (passPhrase)
        SendRaw(1, std::vector<uint8_t>(challenge.begin(), challenge.end()), uint32_t(challenge.size()));
      else
        SendRaw(0x4002, {}, 0);
      continue;
    }
    std::vector<std::vector<uint8_t>> out;
    {
      std::lock_guard lock(mutex_);
      out.swap(outbox_);
    }
    for (const auto &m : out)
      Write(m);
    pollfd p{client_, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0)
      continue;
    uint8_t buf[4096];
    ssize_t n = ::recv(client_, buf, sizeof buf, 0);
    if (n <= 0) {
      Drop();
      continue;
    }
    in_.insert(in_.end(), buf, buf + n);
    Serve();
  }
}

void FakeBoard::Serve() {
  while (in_.size() >= 12) {
    uint32_t length = Big32(in_.data() + 8);
    size_t whole = 12 + size_t(length) + 6;
    if (in_.size() < whole)
      return;
    Message m;
    m.version = Big32(in_.data());
    m.type = uint16_t(in_[4] << 8 | in_[5]);
    m.sequence = uint16_t(in_[6] << 8 | in_[7]);
    m.payload.assign(in_.begin() + 12, in_.begin() + 12 + length);
    m.raw.assign(in_.begin(), in_.begin() + long(whole));
    in_.erase(in_.begin(), in_.begin() + long(whole));
    {
      std::lock_guard lock(mutex_);
      received_.push_back(m);
    }
    Handle(m);
    if (client_ < 0)
      return;
  }
}

void FakeBoard::Handle(const Message &m) {
  if (silent)
    return;
  const uint8_t *p = m.payload.data();
  const uint16_t reply = uint16_t(m.type | 0x4000);
  switch (m.type) {
  case 2: {
    std::array<uint8_t, 16> inner =
        Md5(reinterpret_cast<const uint8_t *>(passPhrase->data()), passPhrase->size(), nullptr, 0);
    std::array<uint8_t, 16> want = Md5(challenge.data(), 6, inner.data(), inner.size());
    bool good = m.payload.size() == challenge.size() && std::equal(want.begin(), want.end(), p + 6);
    SendRaw(good && !wrongLoginAnswer ? 0x4002 : 0x4003, {}, 0);
    return;
  }
  case 5: {
    std::vector<uint8_t> bytes;
    for (unsigned i = 0; i < p[3]; ++i)
      bytes.push_back(kernel.memory[PhysicalOfPayload(p, i)]);
    Reply(reply, bytes);
    return;
  }
  case 6:
  case 22:
    for (unsigned i = 0; i < p[3] && 4 + i < m.payload.size(); ++i)
      kernel.memory[PhysicalOfPayload(p, i)] = p[4 + i];
    Reply(reply, {});
    return;
  case 7: {
    std::vector<uint8_t> info(259, 0);
    info[0] = uint8_t(flashId);
    info[1] = uint8_t(flashId >> 8);
    info[2] = ramSize;
    std::copy(idBlock.begin(), idBlock.end(), info.begin() + 127);
    Reply(reply, info);
    return;
  }
  case 8: {
    uint32_t size = uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
    uint32_t n = uint32_t(p[4] | p[5] << 8);
    uint32_t total = 0;
    bool grant = false;
    {
      std::lock_guard lock(mutex_);
      downloaded_.insert(downloaded_.end(), p + 6, p + 6 + n);
      total = uint32_t(downloaded_.size());
      sinceStatus_ += n;
      if (sinceStatus_ >= kStatusEvery || total >= size) {
        sinceStatus_ = 0;
        grant = true;
      }
    }
    if (disconnectAfter && total >= disconnectAfter) {
      Drop();
      return;
    }
    if (grant && !noDownloadStatus) {
      std::vector<uint8_t> status;
      PutLittle32(status, total >= size ? size : total);
      PutLittle32(status, total);
      PutLittle32(status, kGrantedCredit);
      const char text[] = "loading";
      status.insert(status.end(), text, text + sizeof text);
      SendRaw(9, status, uint32_t(status.size()));
      if (total >= size)
        SendRaw(0x4009, kernelVariables, uint32_t(kernelVariables.size()));
    }
    return;
  }
  case 10: Drop(); return;
  case 11:
  case 15: Reply(reply, frame); return;
  case 13:
  case 16:
  case 17:
  case 23:
  case 25:
  case 26: Reply(reply, {}); return;
  case 18: {
    uint16_t count = uint16_t(p[2] | p[3] << 8);
    std::vector<uint8_t> results(count);
    for (unsigned i = 0; i < count; ++i)
      results[i] = uint8_t(0xA0 + i);
    Reply(reply, results);
    return;
  }
  case 19: {
    uint32_t at = PhysicalOfPayload(p, 0);
    uint8_t replaced = kernel.memory[at];
    kernel.memory[at] = p[3];
    Reply(reply, {replaced});
    return;
  }
  case 20:
    // The clear puts back the byte the set replaced.
    kernel.memory[PhysicalOfPayload(p, 0)] = p[3];
    Reply(reply, {});
    return;
  case 24: Reply(reply, watchReply); return;
  default: return; // keep-alives, event answers, status answers
  }
}

// Discovery.

FakeDiscoveryResponder::FakeDiscoveryResponder(uint16_t replyPort) : replyPort_(replyPort) {
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = FakeBoard::Loopback();
  ::bind(socket_, reinterpret_cast<sockaddr *>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(socket_, reinterpret_cast<sockaddr *>(&a), &len);
  port_ = ntohs(a.sin_port);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

FakeDiscoveryResponder::~FakeDiscoveryResponder() {
  thread_.request_stop();
  thread_.join();
  ::close(socket_);
}

std::vector<std::vector<uint8_t>> FakeDiscoveryResponder::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

void FakeDiscoveryResponder::SetReplies(std::vector<std::vector<uint8_t>> replies) {
  std::lock_guard lock(mutex_);
  replies_ = std::move(replies);
}

void FakeDiscoveryResponder::Run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    pollfd p{socket_, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0)
      continue;
    uint8_t buf[512];
    ssize_t n = ::recv(socket_, buf, sizeof buf, 0);
    if (n < 0)
      continue;
    std::vector<std::vector<uint8_t>> replies;
    {
      std::lock_guard lock(mutex_);
      requests_.emplace_back(buf, buf + n);
      replies = replies_;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = FakeBoard::Loopback();
    to.sin_port = htons(replyPort_);
    for (const auto &r : replies)
      ::sendto(socket_, r.data(), r.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
  }
}

std::vector<uint8_t> DiscoveryReply(const std::string &name, uint16_t status, std::array<uint8_t, 4> address,
                                    std::array<uint8_t, 6> mac, uint16_t port) {
  std::vector<uint8_t> r(86, 0);
  r[2] = uint8_t(status);
  r[3] = uint8_t(status >> 8);
  std::memcpy(r.data() + 4, name.data(), std::min<size_t>(name.size(), 40));
  std::copy(address.begin(), address.end(), r.begin() + 44);
  std::copy(mac.begin(), mac.end(), r.begin() + 48);
  r[54] = uint8_t(port);
  r[55] = uint8_t(port >> 8);
  return r;
}

} // namespace tsw::testing
