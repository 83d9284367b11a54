#include "compcore/link/linksettings.h"

#include <cstring>

#include "compcore/link/tc/serial.h"
#include "platform/socket.h"

namespace tsw {

LinkSettings CurrentLinkSettings;

namespace {
template <size_t N> void CopyText(char (&to)[N], const char *from) {
  std::strncpy(to, from ? from : "", N - 1);
  to[N - 1] = '\0';
}
} // namespace

void GetLinkSettings(uint16_t *port, uint32_t *baud, uint16_t *stopBits, uint16_t *fullDuplex, uint16_t *safety,
                     uint8_t *useTcp, char *netAddressText, uint16_t *tcpPort, char *controllerName) {
  LinkSettings &s = CurrentLinkSettings;
  s.currentBaud = s.baud;
  *port = s.port;
  *baud = s.baud;
  *stopBits = s.stopBits;
  *fullDuplex = s.fullDuplex;
  *safety = s.safety;
  *useTcp = s.useTcp;
  std::memcpy(netAddressText, s.netAddressText, LinkSettings::kNetAddressTextSize);
  *tcpPort = s.tcpPort;
  std::memcpy(controllerName, s.controllerName, LinkSettings::kControllerNameSize);
}

void SetLinkSettings(uint16_t port, uint32_t baud, uint16_t stopBits, uint16_t fullDuplex, uint16_t safety,
                     uint8_t useTcp, const char *netAddressText, uint16_t tcpPort, const char *controllerName) {
  LinkSettings &s = CurrentLinkSettings;
  s.port = port;
  s.baud = s.currentBaud = baud;
  s.stopBits = stopBits;
  s.fullDuplex = fullDuplex;
  s.safety = safety;
  s.useTcp = useTcp;
  CopyText(s.netAddressText, netAddressText);
  s.netAddress = plat::ParseIPv4(s.netAddressText);
  s.tcpPort = tcpPort;
  CopyText(s.controllerName, controllerName);
  CloseSerialPort();
}

} // namespace tsw
