#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A serial port as the link uses it: raw 8-bit bytes, reads and writes that
// never block, the line errors as one word of flags, the modem lines the
// cold load moves. The termios port stands behind it on Linux; tests put
// their own fakes in its place.
namespace tsw::plat {

// Line-error flags, as the link reports them.
enum PortError : uint32_t {
  kPortRxOverflow = 0x0001,
  kPortOverrun = 0x0002,
  kPortParity = 0x0004,
  kPortFrame = 0x0008,
  kPortBreak = 0x0010,
  // A failed read or write, a hang-up: the line is gone.
  kPortIoFailure = 0x0040,
  kPortTxFull = 0x0100,
  kPortMode = 0x8000,
};

enum class ModemLine : int8_t { Off = 0, On = 1, Unknown = -1 };

struct SerialLineSettings {
  uint32_t baud = 115200;
  // 0 one, 1 one and a half (taken as two), 2 two stop bits.
  uint16_t stopBits = 0;
  bool rtsFlow = false;
  bool dtr = true;
};

class SerialPort {
public:
  virtual ~SerialPort() = default;
  // False when the line cannot take the settings.
  virtual bool Configure(const SerialLineSettings &settings) = 0;
  // The bytes taken (possibly fewer than asked), or -1 on a failure that
  // the next TakeErrors reports.
  virtual long Write(const uint8_t *data, size_t count) = 0;
  // The bytes there are, up to count; 0 when none wait.
  virtual long Read(uint8_t *out, size_t count) = 0;
  // True once a byte waits (or the line failed), false after `ms`.
  virtual bool WaitReadable(uint32_t ms) = 0;
  virtual size_t OutputQueued() = 0;
  // Reads and clears the line-error flags.
  virtual uint32_t TakeErrors() = 0;
  // Drops what waits in both directions.
  virtual void Purge() = 0;
  virtual void SetDtr(bool on) = 0;
  virtual ModemLine Dsr() = 0;
  virtual bool Close() = 0;
};

// The device path of port n (from 1): `setting` as given, or with its one
// %d taking n - 1; an empty setting means "/dev/ttyS%d".
std::string SerialDevicePath(const std::string &setting, uint16_t port);

// Opens a terminal device exclusively (a second open fails while this one
// lasts), without becoming its controlling terminal. Null on failure, with
// the reason in `why`.
std::unique_ptr<SerialPort> OpenTermiosPort(const std::string &path, std::string *why);

} // namespace tsw::plat
