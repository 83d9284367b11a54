#include "compcore/link/tcs/discovery.h"

#include <array>
#include <cstring>

#include "compcore/link/discoveryrow.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linktimeouts.h"
#include "foundation/mstimer.h"
#include "foundation/xerr.h"
#include "platform/format.h"
#include "platform/socket.h"

namespace tsw {

DiscoveryConfig CurrentDiscoveryConfig;

namespace {

constexpr unsigned kNameAt = 8, kNameSize = 40;
constexpr unsigned kReplyStatusAt = 2, kReplyNameAt = 4, kReplyAddressAt = 44, kReplyMacAt = 48, kReplyPortAt = 54;

plat::Socket replySocket;
unsigned repeatsLeft = 0;
MsTimer nextRepeat;

std::array<uint8_t, kDiscoveryRequestSize> Request() {
  std::array<uint8_t, kDiscoveryRequestSize> r{};
  r[0] = 0x01;
  r[5] = 0x01;
  std::memcpy(r.data() + kNameAt, "myname", 6);
  return r;
}

const char *StatusText(uint16_t status) {
  switch (status) {
  case 0: return "Running";
  case 1: return "Programmed";
  case 2: return "Waiting";
  case 255: return "Error";
  default: return "unknown status";
  }
}

DiscoveryRow RowOf(const uint8_t *r) {
  DiscoveryRow row;
  const char *name = reinterpret_cast<const char *>(r + kReplyNameAt);
  row.name.assign(name, strnlen(name, kNameSize));
  const uint8_t *a = r + kReplyAddressAt;
  row.address = plat::FormatText("%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
  const uint8_t *m = r + kReplyMacAt;
  row.ethernet = plat::FormatText("%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
  row.port = plat::FormatText("%d", r[kReplyPortAt] | r[kReplyPortAt + 1] << 8);
  row.status = StatusText(uint16_t(r[kReplyStatusAt] | r[kReplyStatusAt + 1] << 8));
  return row;
}

} // namespace

void SendDiscoveryRequest() {
  plat::Socket s;
  if (!s.OpenDatagram())
    throw xTCErr(kMsgTcpSocket, kModuleTcs, __LINE__);
  s.AllowBroadcast();
  std::array<uint8_t, kDiscoveryRequestSize> request = Request();
  uint32_t to = plat::ParseIPv4(CurrentDiscoveryConfig.broadcastAddress);
  if (s.SendTo(request.data(), request.size(), to, CurrentDiscoveryConfig.requestPort) != plat::IoResult::Done)
    throw xTCErr(kMsgDiscoverySend, kModuleTcs, __LINE__);
}

void DiscoverTargets() {
  StopDiscovery();
  if (!replySocket.OpenDatagram())
    throw xTCErr(kMsgTcpSocket, kModuleTcs, __LINE__);
  if (!replySocket.Bind(CurrentDiscoveryConfig.replyPort)) {
    replySocket.Close();
    throw xTCErr(kMsgDiscoveryBind, kModuleTcs, __LINE__);
  }
  SendDiscoveryRequest();
  repeatsLeft = kDiscoveryRepeats;
  nextRepeat.SetPeriod(CurrentLinkTimeouts.discoveryRepeat);
  nextRepeat.Start();
}

void PollDiscoveryReplies() {
  if (!replySocket.IsOpen())
    return;
  if (repeatsLeft > 0 && nextRepeat.Expired()) {
    --repeatsLeft;
    SendDiscoveryRequest();
    nextRepeat.Start();
  }
  // One datagram is one board's answer: a short one is dropped, never
  // completed from the next board's.
  std::array<uint8_t, kDiscoveryReplySize> reply{};
  size_t got = 0;
  plat::IoResult r = replySocket.ReceiveFrom(reply.data(), reply.size(), &got);
  if (r == plat::IoResult::WouldBlock)
    return;
  if (r != plat::IoResult::Done)
    throw xTCErr(kMsgDiscoveryReceive, kModuleTcs, __LINE__);
  if (got < kDiscoveryReplySize)
    return;
  Host().AddTargetRow(RowOf(reply.data()));
}

void StopDiscovery() {
  replySocket.Close();
  repeatsLeft = 0;
}

bool DiscoveryRunning() { return replySocket.IsOpen(); }

} // namespace tsw
