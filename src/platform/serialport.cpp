#include "platform/serialport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/format.h"

namespace tsw::plat {

std::string SerialDevicePath(const std::string &setting, uint16_t port) {
  const std::string &pattern = setting.empty() ? std::string("/dev/ttyS%d") : setting;
  size_t at = pattern.find("%d");
  if (at == std::string::npos)
    return pattern;
  return pattern.substr(0, at) + std::to_string(int(port) - 1) + pattern.substr(at + 2);
}

namespace {

speed_t SpeedFor(uint32_t baud) {
  switch (baud) {
  case 1200: return B1200;
  case 2400: return B2400;
  case 4800: return B4800;
  case 9600: return B9600;
  case 19200: return B19200;
  case 38400: return B38400;
  case 57600: return B57600;
  case 115200: return B115200;
  case 230400: return B230400;
  case 460800: return B460800;
  default: return B0;
  }
}

class TermiosPort : public SerialPort {
public:
  explicit TermiosPort(int fd) : fd_(fd) {
    serial_icounter_struct counts{};
    haveCounters_ = ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    if (haveCounters_)
      counts_ = counts;
  }
  ~TermiosPort() override { Close(); }

  bool Configure(const SerialLineSettings &s) override {
    speed_t speed = SpeedFor(s.baud);
    termios t{};
    if (fd_ < 0 || speed == B0 || tcgetattr(fd_, &t) != 0)
      return false;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    if (s.stopBits != 0)
      t.c_cflag |= CSTOPB;
    if (s.rtsFlow)
      t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 || tcsetattr(fd_, TCSANOW, &t) != 0)
      return false;
    SetDtr(s.dtr);
    return true;
  }

  long Write(const uint8_t *data, size_t count) override {
    ssize_t n = ::write(fd_, data, count);
    if (n >= 0)
      return long(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
      return 0;
    failed_ = true;
    return -1;
  }

  long Read(uint8_t *out, size_t count) override {
    ssize_t n = ::read(fd_, out, count);
    if (n > 0)
      return long(n);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
      return 0;
    if (n < 0) {
      failed_ = true;
      return -1;
    }
    // With no minimum count a terminal reads 0 both when nothing waits and
    // once the line is hung up; only the poll tells the two apart.
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
      failed_ = true;
    return 0;
  }

  bool WaitReadable(uint32_t ms) override {
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, int(ms));
    if (r <= 0)
      return false;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      failed_ = true;
      return true;
    }
    return (p.revents & POLLIN) != 0;
  }

  size_t OutputQueued() override {
    int n = 0;
    if (ioctl(fd_, TIOCOUTQ, &n) != 0)
      return 0;
    return size_t(n);
  }

  uint32_t TakeErrors() override {
    uint32_t flags = 0;
    if (failed_)
      flags |= kPortIoFailure;
    failed_ = false;
    serial_icounter_struct now{};
    if (haveCounters_ && ioctl(fd_, TIOCGICOUNT, &now) == 0) {
      if (now.buf_overrun != counts_.buf_overrun)
        flags |= kPortRxOverflow;
      if (now.overrun != counts_.overrun)
        flags |= kPortOverrun;
      if (now.parity != counts_.parity)
        flags |= kPortParity;
      if (now.frame != counts_.frame)
        flags |= kPortFrame;
      if (now.brk != counts_.brk)
        flags |= kPortBreak;
      counts_ = now;
    }
    return flags;
  }

  void Purge() override { tcflush(fd_, TCIOFLUSH); }

  void SetDtr(bool on) override {
    int bits = TIOCM_DTR;
    // A pseudo-terminal has no modem lines; that is not a failure.
    ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
  }

  ModemLine Dsr() override {
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0)
      return ModemLine::Unknown;
    return (bits & TIOCM_DSR) ? ModemLine::On : ModemLine::Off;
  }

  bool Close() override {
    if (fd_ < 0)
      return true;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

private:
  int fd_;
  bool failed_ = false;
  bool haveCounters_ = false;
  serial_icounter_struct counts_{};
};

} // namespace

std::unique_ptr<SerialPort> OpenTermiosPort(const std::string &path, std::string *why) {
  int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (why)
      *why = FormatText("%s: %s", path.c_str(), std::strerror(errno));
    return nullptr;
  }
  // TIOCEXCL keeps other users out but not root; the lock keeps out every
  // other open of the device by this system.
  if (ioctl(fd, TIOCEXCL) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (why)
      *why = FormatText("%s: %s", path.c_str(), std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TermiosPort>(fd);
}

} // namespace tsw::plat
