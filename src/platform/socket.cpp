#include "platform/socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tsw::plat {

namespace {

sockaddr_in AddressOf(uint32_t address, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = address;
  a.sin_port = htons(port);
  return a;
}

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINTR; }

bool PollFor(int fd, short events, uint32_t ms) {
  pollfd p{fd, events, 0};
  return ::poll(&p, 1, int(ms)) > 0;
}

} // namespace

Socket &Socket::operator=(Socket &&other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool Socket::OpenStream() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    return false;
  int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

bool Socket::OpenDatagram() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  return fd_ >= 0;
}

void Socket::Close() {
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

IoResult Socket::StartConnect(uint32_t address, uint16_t port) {
  sockaddr_in a = AddressOf(address, port);
  if (::connect(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0)
    return IoResult::Done;
  return errno == EINPROGRESS ? IoResult::WouldBlock : IoResult::Failed;
}

IoResult Socket::WaitConnected(uint32_t ms) {
  pollfd p{fd_, POLLOUT, 0};
  int r = ::poll(&p, 1, int(ms));
  if (r == 0)
    return IoResult::WouldBlock;
  if (r < 0)
    return WouldBlock(errno) ? IoResult::WouldBlock : IoResult::Failed;
  int err = 0;
  socklen_t len = sizeof err;
  if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)
    return IoResult::Failed;
  return IoResult::Done;
}

IoResult Socket::Send(const uint8_t *data, size_t count, size_t *sent) {
  *sent = 0;
  ssize_t n = ::send(fd_, data, count, MSG_NOSIGNAL);
  if (n >= 0) {
    *sent = size_t(n);
    return IoResult::Done;
  }
  if (WouldBlock(errno))
    return IoResult::WouldBlock;
  return errno == EPIPE || errno == ECONNRESET ? IoResult::Closed : IoResult::Failed;
}

IoResult Socket::Receive(uint8_t *out, size_t count, size_t *received) {
  *received = 0;
  ssize_t n = ::recv(fd_, out, count, 0);
  if (n > 0) {
    *received = size_t(n);
    return IoResult::Done;
  }
  if (n == 0)
    return IoResult::Closed;
  if (WouldBlock(errno))
    return IoResult::WouldBlock;
  return errno == ECONNRESET ? IoResult::Closed : IoResult::Failed;
}

bool Socket::WaitReadable(uint32_t ms) { return PollFor(fd_, POLLIN, ms); }
bool Socket::WaitWritable(uint32_t ms) { return PollFor(fd_, POLLOUT, ms); }

bool Socket::AllowBroadcast() {
  int one = 1;
  return setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) == 0;
}

bool Socket::ReuseAddress() {
  int one = 1;
  return setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0;
}

bool Socket::Bind(uint16_t port, uint32_t address) {
  sockaddr_in a = AddressOf(address, port);
  return ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
}

IoResult Socket::SendTo(const uint8_t *data, size_t count, uint32_t address, uint16_t port) {
  sockaddr_in a = AddressOf(address, port);
  ssize_t n = ::sendto(fd_, data, count, MSG_NOSIGNAL, reinterpret_cast<sockaddr *>(&a), sizeof a);
  if (n == ssize_t(count))
    return IoResult::Done;
  return n < 0 && WouldBlock(errno) ? IoResult::WouldBlock : IoResult::Failed;
}

IoResult Socket::ReceiveFrom(uint8_t *out, size_t count, size_t *received) {
  *received = 0;
  ssize_t n = ::recvfrom(fd_, out, count, MSG_TRUNC, nullptr, nullptr);
  if (n >= 0) {
    *received = std::min(size_t(n), count);
    return IoResult::Done;
  }
  return WouldBlock(errno) ? IoResult::WouldBlock : IoResult::Failed;
}

uint16_t Socket::LocalPort() const {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
    return 0;
  return ntohs(a.sin_port);
}

uint32_t ParseIPv4(const std::string &text) {
  in_addr a{};
  if (inet_pton(AF_INET, text.c_str(), &a) != 1)
    return INADDR_NONE;
  return a.s_addr;
}

} // namespace tsw::plat
