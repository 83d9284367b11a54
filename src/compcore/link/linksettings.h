#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How the board is reached: the serial port and its line settings, or the
// TCP/IP address of the board's control port. The settings store loads and
// saves these values; the target options dialog edits them.
namespace tsw {

struct LinkSettings {
  static constexpr size_t kNetAddressTextSize = 16;
  static constexpr size_t kControllerNameSize = 256;

  uint16_t port = 2;
  // The user's rate, and the rate the port is opened with (the cold load
  // changes the second for its stages).
  uint32_t baud = 115200;
  uint32_t currentBaud = 115200;
  // 0 one, 1 one and a half, 2 two stop bits.
  uint16_t stopBits = 0;
  uint16_t rtsFlow = 0;
  uint16_t fullDuplex = 1;
  uint16_t safety = 0;
  uint8_t useTcp = 0;
  // IPv4 address in network byte order, taken from the text.
  uint32_t netAddress = 0;
  char netAddressText[kNetAddressTextSize] = {};
  uint16_t tcpPort = 4244;
  char controllerName[kControllerNameSize] = {};
  // The device behind port n: a path as given, or a text with one %d that
  // takes n - 1; empty means "/dev/ttyS%d".
  std::string portDevice;
};

// The one set of link settings in use.
extern LinkSettings CurrentLinkSettings;

// The values the target options dialog edits. Both put the current baud
// back to the user's rate; setting them closes an open port, so that the
// next open takes the new values.
void GetLinkSettings(uint16_t *port, uint32_t *baud, uint16_t *stopBits, uint16_t *fullDuplex, uint16_t *safety,
                     uint8_t *useTcp, char *netAddressText, uint16_t *tcpPort, char *controllerName);
void SetLinkSettings(uint16_t port, uint32_t baud, uint16_t stopBits, uint16_t fullDuplex, uint16_t safety,
                     uint8_t useTcp, const char *netAddressText, uint16_t tcpPort, const char *controllerName);

} // namespace tsw
