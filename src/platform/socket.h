#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// TCP and UDP over IPv4, as the link uses them: the descriptor never blocks
// the caller; every wait is a poll with a limit the caller gives, so the
// caller can pump its messages between short waits.
namespace tsw::plat {

enum class IoResult { Done, WouldBlock, Closed, Failed };

class Socket {
public:
  Socket() = default;
  ~Socket() { Close(); }
  Socket(Socket &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Socket &operator=(Socket &&other) noexcept;
  Socket(const Socket &) = delete;
  Socket &operator=(const Socket &) = delete;

  // A non-blocking stream socket without Nagle's delay, or a datagram
  // socket; false when none can be made.
  bool OpenStream();
  bool OpenDatagram();
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  // Starts a connect to `address` (network byte order) and `port`; Done when
  // it completed at once, WouldBlock while it is under way.
  IoResult StartConnect(uint32_t address, uint16_t port);
  // Done once the connect completed, WouldBlock after `ms`, Failed when it
  // was refused or failed otherwise.
  IoResult WaitConnected(uint32_t ms);

  // Sends what it can of the bytes without waiting; `sent` says how much.
  IoResult Send(const uint8_t *data, size_t count, size_t *sent);
  IoResult Receive(uint8_t *out, size_t count, size_t *received);
  // True when bytes (or the end of the stream) wait, false after `ms`.
  bool WaitReadable(uint32_t ms);
  bool WaitWritable(uint32_t ms);

  // Datagrams.
  bool AllowBroadcast();
  bool ReuseAddress();
  // Binds to `port` on any address (0: any port); false when it is taken.
  bool Bind(uint16_t port, uint32_t address = 0);
  IoResult SendTo(const uint8_t *data, size_t count, uint32_t address, uint16_t port);
  // One datagram; its length in `received` (the part that fit in count).
  IoResult ReceiveFrom(uint8_t *out, size_t count, size_t *received);
  // The port the socket is bound to.
  uint16_t LocalPort() const;

  int Descriptor() const { return fd_; }

private:
  int fd_ = -1;
};

// Dotted text to network byte order (INADDR_NONE for a bad text).
uint32_t ParseIPv4(const std::string &text);

} // namespace tsw::plat
