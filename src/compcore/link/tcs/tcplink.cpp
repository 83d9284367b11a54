#include "compcore/link/tcs/tcplink.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <md5.h>
#include <thread>

#include "compcore/link/kernelvars.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/regframe.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "foundation/xerr.h"
#include "platform/ticks.h"

namespace tsw {

namespace {

constexpr uint32_t kConnectSlice = 50;
constexpr uint32_t kConnectWaitSlice = 2;
constexpr uint32_t kMaxPiece = 255;
constexpr unsigned kChallengeHashedBytes = 6;
constexpr unsigned kResponseAt = 6;
constexpr unsigned kDigestSize = 16;
constexpr uint32_t kTargetInfoReplySize = 259;
constexpr unsigned kTargetInfoIdBlockAt = 127;

std::atomic<bool> workerRunning{false};

// The numbers a request's failures report: its send, its receive, and a
// reply of another type.
struct Failures {
  uint32_t send, receive, reply;
};

void Transact(uint16_t type, const uint8_t *payload, uint32_t length, Failures f) {
  if (!SendMessage(type, payload, length))
    throw xTCErr(f.send, kModuleTcs, __LINE__);
  ReceiveMessage(f.receive);
  if (f.reply && Tcp.last.type != (type | kReplyBit))
    throw xTCErr(f.reply, kModuleTcs, __LINE__);
}

void RequireReplyLength(uint32_t length, uint32_t failure) {
  if (Tcp.last.length < length)
    throw xTCErr(failure, kModuleTcs, __LINE__);
}

void TakeFrameReply(uint32_t failure) {
  RequireReplyLength(RegisterFrame::kSize, failure);
  std::memcpy(ProgramRegisterFrame.bytes.data(), Tcp.payload.data(), RegisterFrame::kSize);
}

void FailClosing(uint32_t message) {
  DropTcpConnection();
  Host().CloseWaitDialog();
  throw xTCErr(message, kModuleTcs, __LINE__);
}

void OpenDialogWith(uint32_t message, const std::string &argument) {
  if (!Host().WaitDialogOpen())
    Host().OpenWaitDialog(true);
  Host().SetWaitMessage(message, argument);
}

template <class Send> void InPieces(uint32_t count, ADDR24 address, Send send) {
  uint32_t done = 0;
  while (done < count) {
    uint32_t n = std::min(kMaxPiece, count - done);
    send(n, Addr24Add(address, int32_t(done)), done);
    done += n;
  }
}

void WriteInPieces(uint16_t type, uint32_t count, ADDR24 address, const uint8_t *data, Failures f) {
  InPieces(count, address, [&](uint32_t n, ADDR24 at, uint32_t offset) {
    uint8_t payload[4 + kMaxPiece];
    PutPayloadAddress(at, payload);
    payload[3] = uint8_t(n);
    std::memcpy(payload + 4, data + offset, n);
    Transact(type, payload, 4 + n, f);
  });
}

} // namespace

bool ConnectWorkerRunning() { return workerRunning.load(); }

void ConnectTcp() {
  std::atomic<bool> done{false}, success{false};
  Tcp.sequence = 0;
  Tcp.eventPending = false;
  if (!Host().WaitDialogOpen())
    Host().OpenWaitDialog(true);
  Host().EnableMessageOutput();
  Host().SetWaitMessage(kMsgTcpConnecting, CurrentLinkSettings.netAddressText);
  if (!Tcp.socket.OpenStream())
    FailClosing(kMsgTcpSocket);

  uint32_t address = CurrentLinkSettings.netAddress;
  uint16_t port = CurrentLinkSettings.tcpPort;
  auto limit = std::chrono::milliseconds(CurrentLinkTimeouts.tcpConnect);
  plat::Socket &socket = Tcp.socket;
  workerRunning = true;
  std::jthread worker([&, address, port, limit](std::stop_token stop) {
    auto start = std::chrono::steady_clock::now();
    plat::IoResult r = socket.StartConnect(address, port);
    while (r == plat::IoResult::WouldBlock && !stop.stop_requested() &&
           std::chrono::steady_clock::now() - start < limit)
      r = socket.WaitConnected(kConnectSlice);
    success = r == plat::IoResult::Done;
    done = true;
  });
  auto endWorker = [&] {
    worker.request_stop();
    worker.join();
    workerRunning = false;
  };
  try {
    while (!done) {
      Host().Pump();
      plat::Sleep(kConnectWaitSlice);
    }
  } catch (...) {
    endWorker();
    FailClosing(kMsgTcpConnect);
  }
  endWorker();
  if (!success)
    FailClosing(kMsgTcpConnect);
  LoginTcp();
}

namespace {

// MD5 (challenge bytes 0-5, MD5 (pass phrase)) in place of payload bytes
// 6-21; the rest of the challenge goes back as it came.
void AnswerChallenge(const std::string &phrase) {
  uint8_t inner[kDigestSize];
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, reinterpret_cast<const uint8_t *>(phrase.data()), phrase.size());
  MD5Final(inner, &ctx);
  uint8_t outer[kDigestSize];
  MD5Init(&ctx);
  MD5Update(&ctx, Tcp.payload.data(), kChallengeHashedBytes);
  MD5Update(&ctx, inner, kDigestSize);
  MD5Final(outer, &ctx);
  std::memcpy(Tcp.payload.data() + kResponseAt, outer, kDigestSize);
  if (!SendMessage(kTcpLoginResponse, Tcp.payload.data(), Tcp.last.length, Tcp.last.version))
    throw xTCErr(kMsgTcpLoginSend, kModuleTcs, __LINE__);
  ReceiveMessage(kMsgTcpLogin);
}

} // namespace

void LoginTcp() {
  try {
    ReceiveMessage(kMsgTcpChallenge);
    if (Tcp.last.type == kTcpChallenge) {
      struct Release {
        ~Release() { Host().ReleasePassPhrase(); }
      } release;
      std::optional<std::string> phrase = Host().AskPassPhrase();
      if (phrase && Tcp.last.length >= kResponseAt + kDigestSize)
        AnswerChallenge(*phrase);
    }
  } catch (const xTCErr &e) {
    FailClosing(e.Message());
  } catch (...) {
    DropTcpConnection();
    Host().CloseWaitDialog();
    throw;
  }
  if (Tcp.last.type != (kTcpLoginResponse | kReplyBit)) {
    Host().ClearKeepPassPhrase();
    FailClosing(kMsgTcpLogin);
  }
  Host().CloseWaitDialog();
}

void DisconnectTcp() {
  if (!Tcp.socket.IsOpen())
    return;
  SendMessage(kTcpDisconnect, nullptr, 0);
  DropTcpConnection();
}

void ReadTargetInfoTcp() {
  OpenDialogWith(kMsgTcpTargetInfo, std::string());
  const uint8_t request[6] = {0, 0, 0, 0, 1, 0};
  try {
    Transact(kTcpTargetInfo, request, sizeof request, {5088, 5089, 5090});
    RequireReplyLength(kTargetInfoReplySize, 5089);
  } catch (const xTCErr &e) {
    FailClosing(e.Message());
  }
  const uint8_t *p = Tcp.payload.data();
  TargetInfo &info = CurrentTargetInfo;
  info.flashId = uint16_t(p[0] | p[1] << 8);
  info.ramSizeCode = int8_t(p[2]);
  std::memcpy(info.idBlock.data(), p + kTargetInfoIdBlockAt, kIdBlockSize);
  info.boardType = IdBlockCrcMatches(info.idBlock)
                       ? uint16_t(info.idBlock[kIdBoardTypeAt] | info.idBlock[kIdBoardTypeAt + 1] << 8)
                       : 0;
  Host().CloseWaitDialog();
}

void QueryKernelVariablesTcp() {
  ReceiveMessage(kMsgTcpKernelVars);
  RequireReplyLength(kKernelVariableMessageSize, kMsgTcpKernelVars);
  uint8_t message[kKernelVariableMessageSize];
  std::memcpy(message, Tcp.payload.data(), sizeof message);
  CurrentKernelVariables = KernelVariablesFromMessage(message);
}

void ReadTargetMemoryTcp(uint32_t count, ADDR24 address, uint8_t *buffer) {
  InPieces(count, address, [&](uint32_t n, ADDR24 at, uint32_t offset) {
    uint8_t payload[4];
    PutPayloadAddress(at, payload);
    payload[3] = uint8_t(n);
    Transact(kTcpReadMemory, payload, sizeof payload, {5093, 5094, 5095});
    RequireReplyLength(n, 5095);
    std::memcpy(buffer + offset, Tcp.payload.data(), n);
  });
}

void WriteTargetMemoryTcp(uint32_t count, ADDR24 address, const uint8_t *data) {
  WriteInPieces(kTcpWriteMemory, count, address, data, {5096, 5097, 5098});
}

void WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *data) {
  WriteInPieces(kTcpWriteProgram, count, address, data, {5128, 5129, 5130});
}

void RunTargetTcp(uint8_t flag) {
  uint16_t start = flag == 0 ? Host().ProgramCodeStart() : 0;
  const uint8_t payload[3] = {flag, uint8_t(start), uint8_t(start >> 8)};
  Transact(kTcpRun, payload, sizeof payload, {5109, 5110, 5111});
  TakeFrameReply(5111);
}

void StepInstructionTcp(uint8_t stepOver) {
  Transact(kTcpStepInstruction, &stepOver, 1, {5106, 5107, 5108});
  TakeFrameReply(5108);
}

void StepStatementTcp(uint8_t stepOver) { Transact(kTcpStepStatement, &stepOver, 1, {5103, 5104, 5105}); }

void StopTargetTcp() { Transact(kTcpStop, nullptr, 0, {5112, 5113, 5114}); }

uint8_t SetBreakpointTcp(ADDR24 address, const uint8_t *opcode) {
  uint8_t payload[4];
  PutPayloadAddress(address, payload);
  payload[3] = *opcode;
  Transact(kTcpSetBreakpoint, payload, sizeof payload, {5115, 5116, 5117});
  RequireReplyLength(1, 5117);
  return Tcp.payload[0];
}

void ClearBreakpointTcp(ADDR24 address, const uint8_t *savedByte) {
  uint8_t payload[4];
  PutPayloadAddress(address, payload);
  payload[3] = *savedByte;
  Transact(kTcpClearBreakpoint, payload, sizeof payload, {5118, 5119, 5120});
}

void EvaluateWatchTcp(const uint8_t *fragmentEntry, uint8_t *results, uint16_t count) {
  const uint8_t payload[4] = {fragmentEntry[0], fragmentEntry[1], uint8_t(count), uint8_t(count >> 8)};
  Transact(kTcpEvaluateWatch, payload, sizeof payload, {5125, 5126, 5127});
  RequireReplyLength(count, 5127);
  std::memcpy(results, Tcp.payload.data(), count);
}

void NotifyWatchListChangedTcp() {
  const uint8_t payload[3] = {0, 0, 0};
  Transact(kTcpWatchListChanged, payload, sizeof payload, {5131, 5132, 0});
}

void NotifyWatchWindowOpenTcp() { Transact(kTcpWatchWindowOpen, nullptr, 0, {5140, 5141, 5142}); }

namespace {
void TakeWatchResults() {
  WatchResults &w = CurrentWatchResults;
  uint32_t length = Tcp.last.length;
  w.count = length ? Tcp.payload[0] : 0;
  uint32_t bytes = length ? std::min<uint32_t>(length - 1, uint32_t(w.bytes.size())) : 0;
  std::memcpy(w.bytes.data(), Tcp.payload.data() + 1, bytes);
}
} // namespace

void ReadWatchValuesTcp() {
  Transact(kTcpReadWatchValues, nullptr, 0, {5134, 5135, 5136});
  TakeWatchResults();
}

void SendKeyToTargetTcp(uint8_t key) { Transact(kTcpStdinKey, &key, 1, {5143, 5144, 5145}); }

uint8_t PollTargetTcp(uint8_t mask) {
  SendKeepAliveIfDue();
  uint8_t header[kMessageHeaderSize];
  size_t got = 0;
  plat::IoResult r = Tcp.socket.IsOpen() ? Tcp.socket.Receive(header, sizeof header, &got) : plat::IoResult::Closed;
  if (r == plat::IoResult::Closed || r == plat::IoResult::Failed) {
    DropTcpConnection();
    throw xTCErr(kMsgTcpEventAnswer, kModuleTcs, __LINE__);
  }
  if (got > 0) {
    auto rest = [&](uint8_t *out, uint32_t count) {
      plat::IoResult s = ReceiveExactly(out, count, CurrentLinkTimeouts.pollStage, false, true);
      if (s == plat::IoResult::Done)
        return;
      DropTcpConnection();
      throw xTCErr(s == plat::IoResult::WouldBlock ? kMsgTcpPollTimeout : kMsgTcpEventAnswer, kModuleTcs, __LINE__);
    };
    rest(header + got, uint32_t(sizeof header - got));
    MessageHeader h = GetHeader(header);
    if (h.length > kPayloadBufferSize) {
      DropTcpConnection();
      throw xTCErr(kMsgTcpEventAnswer, kModuleTcs, __LINE__);
    }
    uint8_t trailer[kMessageTrailerSize];
    rest(Tcp.payload.data(), h.length);
    rest(trailer, kMessageTrailerSize);
    Tcp.last = h;
    if (h.type == kTcpBoardError)
      throw xTCErr(kMsgTcpBoardError, kModuleTcs, __LINE__);
    if ((h.type & kTypeMask) == kTcpReadWatchValues)
      TakeWatchResults();
    else if ((h.type & kTypeMask) == kTcpEvent)
      TakeEvent();
  }
  if (!Tcp.eventPending)
    return 0;
  Tcp.eventPending = false;
  LastTargetEvent = PendingTargetEvent();
  return uint8_t(LastTargetEvent.flags & mask);
}

} // namespace tsw
