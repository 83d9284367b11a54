#include "compcore/link/tcs/tcpmessage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/targetevent.h"
#include "foundation/xerr.h"

namespace tsw {

TcpConnection Tcp;

namespace {

MsTimer keepAliveClock;

// The event as the last one arrived, until a poll takes it.
TargetEvent pendingEvent;

void PutU32(uint8_t *p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}
void PutU16(uint8_t *p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
uint32_t GetU32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t GetU16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }

bool SendAll(const uint8_t *data, size_t count) {
  MsTimer timer(CurrentLinkTimeouts.tcpReply);
  timer.Start();
  size_t done = 0;
  while (done < count) {
    size_t sent = 0;
    plat::IoResult r = Tcp.socket.Send(data + done, count - done, &sent);
    done += sent;
    if (r == plat::IoResult::Closed || r == plat::IoResult::Failed)
      return false;
    if (done == count)
      break;
    if (timer.Expired())
      return false;
    Tcp.socket.WaitWritable(NextSlice(timer));
    Host().Pump();
  }
  return true;
}

bool DropPayload(uint32_t length) {
  std::array<uint8_t, 512> sink;
  while (length > 0) {
    uint32_t n = std::min<uint32_t>(length, sink.size());
    if (ReceiveExactly(sink.data(), n, CurrentLinkTimeouts.tcpReply, true, false) != plat::IoResult::Done)
      return false;
    length -= n;
  }
  return true;
}

} // namespace

void PutHeader(const MessageHeader &h, uint8_t *out) {
  PutU32(out, h.version);
  PutU16(out + 4, h.type);
  PutU16(out + 6, h.sequence);
  PutU32(out + 8, h.length);
}

MessageHeader GetHeader(const uint8_t *in) {
  MessageHeader h;
  h.version = GetU32(in);
  h.type = GetU16(in + 4);
  h.sequence = GetU16(in + 6);
  h.length = GetU32(in + 8);
  return h;
}

void PutPayloadAddress(ADDR24 address, uint8_t *out) {
  out[0] = Addr24Segment(address);
  out[1] = uint8_t(Addr24Logical(address));
  out[2] = uint8_t(Addr24Logical(address) >> 8);
}

bool IsTcpConnected() { return Tcp.socket.IsOpen(); }
void DropTcpConnection() { Tcp.socket.Close(); }

bool SendMessage(uint16_t type, const uint8_t *payload, uint32_t length, uint32_t version) {
  if (!Tcp.socket.IsOpen())
    return false;
  // One send for the whole message: a header alone on the wire would wait
  // for its payload in the board's stack.
  std::vector<uint8_t> message(kMessageHeaderSize + length + kMessageTrailerSize, 0);
  PutHeader(MessageHeader{version, type, Tcp.sequence++, length}, message.data());
  if (length)
    std::memcpy(message.data() + kMessageHeaderSize, payload, length);
  if (!SendAll(message.data(), message.size()))
    return false;
  keepAliveClock.SetPeriod(CurrentLinkTimeouts.keepAlive);
  keepAliveClock.Start();
  return true;
}

plat::IoResult ReceiveExactly(uint8_t *out, uint32_t count, uint32_t waitMs, bool restart, bool keepAlive) {
  MsTimer timer(waitMs);
  timer.Start();
  uint32_t done = 0;
  while (done < count) {
    size_t got = 0;
    plat::IoResult r = Tcp.socket.Receive(out + done, count - done, &got);
    if (r == plat::IoResult::Closed || r == plat::IoResult::Failed)
      return r;
    if (got > 0) {
      done += uint32_t(got);
      if (restart)
        timer.Start();
      continue;
    }
    if (timer.Expired())
      return plat::IoResult::WouldBlock;
    Tcp.socket.WaitReadable(NextSlice(timer));
    if (keepAlive)
      SendKeepAliveIfDue();
    Host().Pump();
  }
  return plat::IoResult::Done;
}

void ReceiveMessage(uint32_t failure) { ReceiveMessage(failure, CurrentLinkTimeouts.tcpReply); }

void ReceiveMessage(uint32_t failure, uint32_t waitMs) {
  auto fail = [&]() {
    DropTcpConnection();
    throw xTCErr(failure, kModuleTcs, __LINE__);
  };
  if (!Tcp.socket.IsOpen())
    throw xTCErr(failure, kModuleTcs, __LINE__);
  try {
    for (;;) {
      uint8_t header[kMessageHeaderSize];
      uint8_t trailer[kMessageTrailerSize];
      if (ReceiveExactly(header, kMessageHeaderSize, waitMs, false, false) != plat::IoResult::Done)
        fail();
      MessageHeader h = GetHeader(header);
      if (h.length > kPayloadBufferSize) {
        // The board says more than any message holds: take it off the
        // stream so the next one starts in step, unless it is absurd.
        if (h.length <= kPayloadDropLimit && DropPayload(h.length + kMessageTrailerSize))
          throw xTCErr(failure, kModuleTcs, __LINE__);
        fail();
      }
      if (ReceiveExactly(Tcp.payload.data(), h.length, waitMs, false, false) != plat::IoResult::Done ||
          ReceiveExactly(trailer, kMessageTrailerSize, waitMs, false, false) != plat::IoResult::Done)
        fail();
      Tcp.last = h;
      if ((h.type & kTypeMask) != kTcpEvent)
        return;
      TakeEvent();
    }
  } catch (const xTCErr &) {
    throw;
  } catch (...) {
    // Cancelled inside a message: what is left of it would be read as the
    // start of the next one.
    DropTcpConnection();
    throw;
  }
}

void TakeEvent() {
  const uint8_t *p = Tcp.payload.data();
  uint32_t length = Tcp.last.length;
  TargetEvent e;
  std::array<uint8_t, kEventSize> raw{};
  std::memcpy(raw.data(), p, std::min(length, kEventSize));
  e.flags = raw[kEventFlagsAt];
  std::memcpy(e.frame.bytes.data(), raw.data() + kEventFrameAt, RegisterFrame::kSize);
  std::memcpy(e.code.data(), raw.data() + kEventCodeAt, kEventCodeBlockSize);
  std::memcpy(e.stack.data(), raw.data() + kEventStackAt, kEventStackBytes);
  if (e.flags & kStatusStdioWaiting) {
    const uint8_t *text = raw.data() + kEventTextAt;
    unsigned n = 0;
    while (n < kEventTextSize && text[n] != 0)
      ++n;
    Host().WriteStdioBlock(text, n);
    e.flags = uint8_t(e.flags & ~kStatusStdioWaiting);
  }
  pendingEvent = e;
  Tcp.eventPending = true;
  if (!SendMessage(kTcpEvent | kReplyBit, nullptr, 0))
    throw xTCErr(kMsgTcpEventAnswer, kModuleTcs, __LINE__);
}

void SendKeepAliveIfDue() {
  if (!Tcp.socket.IsOpen() || !keepAliveClock.Expired())
    return;
  if (!SendMessage(kTcpKeepAlive, nullptr, 0))
    throw xTCErr(kMsgTcpKeepAlive, kModuleTcs, __LINE__);
}

const TargetEvent &PendingTargetEvent() { return pendingEvent; }

void ResetTcpModule() {
  Tcp.socket.Close();
  Tcp.sequence = 0;
  Tcp.last = MessageHeader{};
  Tcp.eventPending = false;
  keepAliveClock = MsTimer{};
  pendingEvent = TargetEvent{};
}

} // namespace tsw
