#pragma once

#include <array>
#include <cstdint>

#include "compcore/link/targetevent.h"
#include "foundation/addr24.h"
#include "platform/socket.h"

// The TCP/IP link's messages: a 12-byte big-endian header (version, type,
// sequence, payload length), the payload and a 6-byte trailer, over the one
// stream to the board's control port. Events the board sends between
// replies are taken and answered wherever they arrive.
namespace tsw {

inline constexpr uint32_t kMessageHeaderSize = 12;
inline constexpr uint32_t kMessageTrailerSize = 6;
inline constexpr uint32_t kMessageVersion = 1;
inline constexpr uint16_t kReplyBit = 0x4000;
inline constexpr uint16_t kTypeMask = 0xFFF;
// Large enough for a reply of 40 watch results and their count.
inline constexpr uint32_t kPayloadBufferSize = 1041;
// A longer payload is read and dropped up to this length; beyond it the
// connection is given up.
inline constexpr uint32_t kPayloadDropLimit = 65536;

enum : uint16_t {
  kTcpChallenge = 1,
  kTcpLoginResponse = 2,
  kTcpReadMemory = 5,
  kTcpWriteMemory = 6,
  kTcpTargetInfo = 7,
  kTcpDownloadData = 8,
  kTcpDownloadStatus = 9,
  kTcpDisconnect = 10,
  kTcpStepInstruction = 11,
  kTcpDownloadDone = 13,
  kTcpEvent = 14,
  kTcpRun = 15,
  kTcpStop = 16,
  kTcpStepStatement = 17,
  kTcpEvaluateWatch = 18,
  kTcpSetBreakpoint = 19,
  kTcpClearBreakpoint = 20,
  kTcpKeepAlive = 21,
  kTcpWriteProgram = 22,
  kTcpWatchListChanged = 23,
  kTcpReadWatchValues = 24,
  kTcpWatchWindowOpen = 25,
  kTcpStdinKey = 26,
  kTcpBoardError = 0x800E,
};

struct MessageHeader {
  uint32_t version = kMessageVersion;
  uint16_t type = 0;
  uint16_t sequence = 0;
  uint32_t length = 0;
};

void PutHeader(const MessageHeader &h, uint8_t *out);
MessageHeader GetHeader(const uint8_t *in);
// A payload's target address: segment, then the logical address low byte
// first.
void PutPayloadAddress(ADDR24 address, uint8_t *out);

// The connection.
struct TcpConnection {
  plat::Socket socket;
  uint16_t sequence = 0;
  // The last message received.
  MessageHeader last;
  std::array<uint8_t, kPayloadBufferSize> payload{};
  bool eventPending = false;
};
extern TcpConnection Tcp;

bool IsTcpConnected();
// Closes the stream (nothing is sent).
void DropTcpConnection();

// Sends one message; false when the stream failed. The keep-alive clock
// starts again.
bool SendMessage(uint16_t type, const uint8_t *payload, uint32_t length, uint32_t version = kMessageVersion);
// Receives the next message other than an event into Tcp.last and
// Tcp.payload, waiting up to `waitMs` for each part. A failure closes the
// connection and raises xTCErr with `failure`.
void ReceiveMessage(uint32_t failure, uint32_t waitMs);
// The same with the board's reply time.
void ReceiveMessage(uint32_t failure);
// Takes the event now in Tcp.payload: hands its text to the stdio pane,
// keeps the rest for the poll, and answers it.
void TakeEvent();
// The event taken last, until a poll hands it on.
const TargetEvent &PendingTargetEvent();

// Sends a keep-alive when more than the keep-alive time passed since the
// last message sent.
void SendKeepAliveIfDue();

// Receives exactly `count` bytes, waiting up to `waitMs` (counted again
// whenever bytes arrive, when `restart` is set), pumping between short
// waits and sending keep-alives when `keepAlive` is set.
plat::IoResult ReceiveExactly(uint8_t *out, uint32_t count, uint32_t waitMs, bool restart, bool keepAlive);

void ResetTcpModule();

} // namespace tsw
