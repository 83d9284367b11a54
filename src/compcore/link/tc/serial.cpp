#include "compcore/link/tc/serial.h"

#include <algorithm>
#include <array>
#include <vector>

#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/linkwait.h"
#include "foundation/xerr.h"
#include "platform/ticks.h"

namespace tsw {

namespace {

constexpr unsigned kReadTries = 6;
constexpr unsigned kWriteTries = 5;
constexpr unsigned kQueryTries = 3;
constexpr size_t kReadAhead = 512;
// While the line takes nothing, look again this soon: a real line drains
// about a byte every 0.1 ms at high rates.
constexpr uint32_t kStallSlice = 1;

struct SerialState {
  std::unique_ptr<plat::SerialPort> port;
  uint16_t runState = 0;
  uint16_t commandInProgress = 0;
  uint32_t bytesWritten = 0;
  uint32_t bytesSent = 0;
  uint32_t bytesSentOutside = 0;
  uint16_t coldLoadMode = 0;
  bool frameActive = false;
  // Bytes read from the line but not yet taken.
  std::vector<uint8_t> ahead;
  size_t aheadAt = 0;
};

SerialState S;

SerialPortOpener &Opener() {
  static SerialPortOpener opener = plat::OpenTermiosPort;
  return opener;
}

plat::SerialPort &Port() {
  if (!S.port)
    throw xTCComm(kMsgLinkPort, kModuleTcs, __LINE__);
  return *S.port;
}

void CountSent(size_t n) {
  S.bytesSent += uint32_t(n);
  if (!S.commandInProgress)
    S.bytesSentOutside += uint32_t(n);
}

// While a program runs, its output may fill the queue for a while; the
// send waits for room, but not for ever.
void WaitOutputRoomWhileRunning() {
  MsTimer timer(CurrentLinkTimeouts.runningOutputRoom);
  timer.Start();
  while (Port().OutputQueued() >= kOutputQueueLimit) {
    Host().Pump();
    RaisePortErrors();
    if (timer.Expired())
      throw xTCXmitTimeout(kModuleTcs, __LINE__);
    plat::Sleep(std::min(kStallSlice, NextSlice(timer)));
  }
}

// Sends the bytes, as many at a time as the line takes. With `follow` the
// error context names the target address of the first byte not yet taken.
void SendBytes(const uint8_t *data, size_t count, ADDR24 first, bool follow) {
  size_t done = 0;
  MsTimer stall(CurrentLinkTimeouts.outputStall);
  bool stalled = false;
  while (done < count) {
    if (S.runState != 0)
      WaitOutputRoomWhileRunning();
    RaisePortErrors();
    size_t queued = Port().OutputQueued();
    long taken = 0;
    if (queued < kOutputQueueLimit) {
      if (follow)
        LinkTransfer.address = Addr24Add(first, int32_t(done));
      size_t want = std::min(count - done, kOutputQueueLimit - queued);
      taken = Port().Write(data + done, want);
      if (taken < 0) {
        RaisePortErrors();
        throw xTCComm(kMsgLinkPort, kModuleTcs, __LINE__);
      }
      CountSent(size_t(taken));
      done += size_t(taken);
    }
    if (taken > 0) {
      stalled = false;
      continue;
    }
    if (!stalled) {
      stall.Start();
      stalled = true;
    } else if (stall.Expired()) {
      throw xTCXmitTimeout(kModuleTcs, __LINE__);
    }
    Host().Pump();
    plat::Sleep(std::min(kStallSlice, NextSlice(stall)));
  }
}

uint8_t ReceiveByte(uint32_t timeoutMessage) {
  RaisePortErrors();
  if (S.aheadAt < S.ahead.size())
    return S.ahead[S.aheadAt++];
  MsTimer timer(CurrentLinkTimeouts.receiveByte);
  timer.Start();
  std::array<uint8_t, kReadAhead> buf;
  for (;;) {
    long n = Port().Read(buf.data(), buf.size());
    if (n < 0) {
      RaisePortErrors();
      throw xTCComm(kMsgLinkPort, kModuleTcs, __LINE__);
    }
    if (n > 0) {
      S.ahead.assign(buf.begin(), buf.begin() + n);
      S.aheadAt = 1;
      return S.ahead[0];
    }
    RaisePortErrors();
    if (timer.Expired())
      throw xTCErr(timeoutMessage, kModuleTcs, __LINE__);
    Port().WaitReadable(NextSlice(timer));
    Host().Pump();
  }
}

uint8_t Sum(const uint8_t *bytes, size_t count) {
  uint8_t sum = 0;
  for (size_t i = 0; i < count; ++i)
    sum = uint8_t(sum + bytes[i]);
  return sum;
}

void SendCommand(uint8_t command, uint32_t count, ADDR24 address) {
  uint32_t packed = Addr24ToLong(address);
  std::array<uint8_t, 6> header = {
      command, uint8_t(count), uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16), 0};
  header[5] = Sum(header.data(), 5);
  bool framed = command == kCmdRead || command == kCmdWrite;
  LinkTransfer.address = address;
  SendBytes(header.data(), framed ? header.size() : 1, address, false);
}

// Anything but ACK is taken as a refusal: a stray byte in its place would
// otherwise report a write done that the kernel never took.
void ExpectAck() {
  if (ReceiveByte(kMsgLinkAckTimeout) != kAck)
    throw xTCErr(kMsgLinkNak, kModuleTcs, __LINE__);
}

// A frame cannot start while another one waits in a pump below it: the two
// would mix their bytes on the line.
class FrameScope {
public:
  FrameScope() {
    if (S.frameActive)
      throw xInternal(kModuleTcs, __LINE__);
    S.frameActive = true;
  }
  ~FrameScope() { S.frameActive = false; }
  FrameScope(const FrameScope &) = delete;
  FrameScope &operator=(const FrameScope &) = delete;
};

template <class Attempt> void WithFrameRetries(unsigned tries, Attempt attempt) {
  S.commandInProgress = 1;
  for (unsigned n = 1;; ++n) {
    try {
      attempt();
      return;
    } catch (const xTCXmitTimeout &) {
      PurgeSerialPort();
      Host().ResetTargetCompileFlags();
      throw;
    } catch (const xTCErr &) {
      PurgeSerialPort();
      if (n == tries) {
        Host().ResetTargetCompileFlags();
        throw;
      }
      S.commandInProgress = 0;
    } catch (...) {
      PurgeSerialPort();
      throw;
    }
  }
}

void BeginTransfer(ADDR24 address) {
  LinkTransfer.pending = true;
  LinkTransfer.address = address;
}

} // namespace

void SetSerialPortOpener(SerialPortOpener opener) {
  Opener() = opener ? std::move(opener) : SerialPortOpener(plat::OpenTermiosPort);
}

void OpenSerialPort() {
  const LinkSettings &ls = CurrentLinkSettings;
  if (ls.useTcp || Host().OfflineCompile())
    return;
  if (!S.port) {
    S.bytesWritten = S.bytesSent = S.bytesSentOutside = 0;
    std::string why;
    S.port = Opener()(plat::SerialDevicePath(ls.portDevice, ls.port), &why);
    if (!S.port)
      throw xTCInit(kMsgLinkPort, kModuleTcs, __LINE__);
    S.ahead.clear();
    S.aheadAt = 0;
  }
  plat::SerialLineSettings line;
  line.baud = ls.currentBaud;
  line.stopBits = ls.stopBits;
  line.rtsFlow = ls.rtsFlow != 0;
  line.dtr = !(Host().AssumeCorvidCpu() && S.coldLoadMode != 0);
  if (!S.port->Configure(line))
    throw xTCInit(kMsgLinkPort, kModuleTcs, __LINE__);
}

void CloseSerialPort() {
  if (!S.port)
    return;
  MsTimer drain(CurrentLinkTimeouts.closeDrain);
  drain.Start();
  while (S.port->OutputQueued() > 0 && !drain.Expired())
    plat::Sleep(std::min(kStallSlice, NextSlice(drain)));
  S.port->Purge();
  bool closed = S.port->Close();
  uint32_t flags = S.port->TakeErrors();
  ForgetSerialPort();
  if (!closed)
    RaisePortErrors(flags ? flags : uint32_t(plat::kPortIoFailure));
}

bool IsSerialPortOpen() { return S.port != nullptr; }
plat::SerialPort *SerialPortHandle() { return S.port.get(); }

void ForgetSerialPort() {
  S.port.reset();
  S.ahead.clear();
  S.aheadAt = 0;
}

void SetLinkRunState(uint16_t state) { S.runState = state; }
uint16_t GetLinkRunState() { return S.runState; }
uint16_t GetFullDuplexSetting() { return CurrentLinkSettings.fullDuplex; }

uint32_t GetBytesWrittenTotal() { return S.bytesWritten; }
uint32_t GetBytesSentTotal() { return S.bytesSent; }
uint32_t GetBytesSentOutsideCommands() { return S.bytesSentOutside; }
void CountBytesWritten(uint32_t count) { S.bytesWritten += count; }

void RaisePortErrors(uint32_t flags) {
  using namespace plat;
  if (flags & kPortMode)
    throw xInternal(kModuleTcs, __LINE__);
  if (flags & kPortParity)
    throw xTCComm(kMsgLinkParity, kModuleTcs, __LINE__);
  if (flags & kPortOverrun)
    throw xTCOverrun(kModuleTcs, __LINE__);
  if (flags & kPortRxOverflow)
    throw xTCComm(kMsgLinkRxOverflow, kModuleTcs, __LINE__);
  if (flags & kPortTxFull)
    throw xInternal(kModuleTcs, __LINE__);
  if (flags)
    throw xTCComm(kMsgLinkPort, kModuleTcs, __LINE__);
}

void RaisePortErrors() {
  if (S.port)
    RaisePortErrors(S.port->TakeErrors());
}

void PurgeSerialPort() {
  S.ahead.clear();
  S.aheadAt = 0;
  if (!S.port)
    return;
  S.port->Purge();
  S.port->TakeErrors();
}

void ReadTargetMemorySerial(uint32_t count, ADDR24 address, uint8_t *buffer) {
  FrameScope frame;
  WithFrameRetries(kReadTries, [&] {
    BeginTransfer(address);
    SendCommand(kCmdRead, count, address);
    ExpectAck();
    for (uint32_t i = 0; i < count; ++i) {
      LinkTransfer.address = Addr24Add(address, int32_t(i));
      buffer[i] = ReceiveByte(kMsgLinkDataTimeout);
    }
    if (ReceiveByte(kMsgLinkDataTimeout) != Sum(buffer, count))
      throw xTCErr(kMsgLinkDataSum, kModuleTcs, __LINE__);
    LinkTransfer.pending = false;
  });
}

void WriteTargetMemorySerial(uint32_t count, ADDR24 address, const uint8_t *data) {
  FrameScope frame;
  WithFrameRetries(kWriteTries, [&] {
    BeginTransfer(address);
    SendCommand(kCmdWrite, count, address);
    ExpectAck();
    SendBytes(data, count, address, true);
    uint8_t sum = Sum(data, count);
    SendBytes(&sum, 1, address, false);
    ExpectAck();
    LinkTransfer.pending = false;
  });
}

bool SerialQueriesAllowed() { return S.port && Host().PumpDepth() == 0; }

void WithQueryRetries(uint32_t pauseMs, const std::function<void()> &attempt) {
  S.commandInProgress = 1;
  for (unsigned n = 1;; ++n) {
    try {
      attempt();
      return;
    } catch (const xTCXmitTimeout &) {
      Delay(pauseMs);
      PurgeSerialPort();
      throw;
    } catch (const xTCErr &) {
      if (n == kQueryTries) {
        PurgeSerialPort();
        throw;
      }
      Delay(pauseMs);
      PurgeSerialPort();
      S.commandInProgress = 0;
    }
  }
}

namespace {

// The board's answer to a one-byte query: a one-byte value and its
// complement, or a word and a check byte made from its two bytes.
enum class Check { Complement, ComplementedSum, Sum };

uint16_t Query(uint8_t command, unsigned valueBytes, Check check, uint32_t pauseMs) {
  uint16_t value = 0;
  FrameScope frame;
  WithQueryRetries(pauseMs, [&] {
    SendCommand(command, 0, ADDR24{});
    std::array<uint8_t, 2> v{};
    for (unsigned i = 0; i < valueBytes; ++i)
      v[i] = ReceiveByte(kMsgLinkAckTimeout);
    uint8_t got = ReceiveByte(kMsgLinkAckTimeout);
    uint8_t want = 0;
    switch (check) {
    case Check::Complement: want = uint8_t(~v[0]); break;
    case Check::ComplementedSum: want = uint8_t(~(v[0] + v[1])); break;
    case Check::Sum: want = uint8_t(v[0] + v[1]); break;
    }
    if (got != want)
      throw xTCErr(kMsgLinkCheckByte, kModuleTcs, __LINE__);
    value = uint16_t(v[0] | v[1] << 8);
  });
  return value;
}

} // namespace

uint8_t QueryTargetStatus(uint8_t mask) {
  if (!SerialQueriesAllowed())
    return 0;
  return uint8_t(Query(kCmdStatus, 1, Check::Complement, CurrentLinkTimeouts.statusRetryPause) & mask);
}

uint8_t QueryRamSizeSerial() {
  if (!SerialQueriesAllowed())
    return 0;
  return uint8_t(Query(kCmdRamSize, 1, Check::Complement, CurrentLinkTimeouts.queryRetryPause));
}

uint16_t QueryFlashIdSerial() {
  if (!SerialQueriesAllowed())
    return 0;
  return Query(kCmdFlashId, 2, Check::ComplementedSum, CurrentLinkTimeouts.queryRetryPause);
}

uint16_t QueryBoardTypeSerial() {
  if (!SerialQueriesAllowed())
    return 0;
  return Query(kCmdBoardType, 2, Check::Sum, CurrentLinkTimeouts.queryRetryPause);
}

void SetColdLoadMode(uint16_t mode) { S.coldLoadMode = mode; }
uint16_t GetColdLoadMode() { return S.coldLoadMode; }

void ResetSerialModule() {
  if (S.port)
    S.port->Close();
  S = SerialState{};
  SetSerialPortOpener(nullptr);
}

} // namespace tsw
