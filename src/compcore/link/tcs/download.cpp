#include "compcore/link/tcs/download.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tcs/tcplink.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "foundation/xerr.h"
#include "platform/format.h"

namespace tsw {

namespace {

bool completed = false;

struct FileCloser {
  void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct DownloadFailed {};

uint32_t LittleU32(const uint8_t *p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }

// The board's status messages, taken off the stream as their bytes come,
// never waiting.
class StatusReceiver {
public:
  StatusReceiver() { Restart(); }

  // True when a whole message is in.
  bool Step() {
    uint8_t *target = nullptr;
    uint32_t want = 0;
    switch (stage_) {
    case Stage::Header: target = header_.data(), want = kMessageHeaderSize; break;
    case Stage::Payload: target = payload.data(), want = length; break;
    case Stage::Trailer: target = trailer_.data(), want = kMessageTrailerSize; break;
    }
    if (got_ < want) {
      size_t n = 0;
      plat::IoResult r = Tcp.socket.Receive(target + got_, want - got_, &n);
      if (r == plat::IoResult::Closed || r == plat::IoResult::Failed)
        throw DownloadFailed{};
      if (n > 0) {
        got_ += uint32_t(n);
        timer_.Start();
      } else if (timer_.Expired()) {
        throw xTCErr(kMsgTcpDownloadSilent, kModuleTcs, __LINE__);
      }
      if (got_ < want)
        return false;
    }
    got_ = 0;
    switch (stage_) {
    case Stage::Header: {
      MessageHeader h = GetHeader(header_.data());
      if (h.length > kDownloadStatusBuffer)
        throw DownloadFailed{};
      type = h.type;
      length = h.length;
      stage_ = Stage::Payload;
      return false;
    }
    case Stage::Payload: stage_ = Stage::Trailer; return false;
    case Stage::Trailer: stage_ = Stage::Header; return true;
    }
    return false;
  }

  void Restart() {
    stage_ = Stage::Header;
    got_ = 0;
    timer_.SetPeriod(CurrentLinkTimeouts.downloadStage);
    timer_.Start();
  }

  uint16_t type = 0;
  uint32_t length = 0;
  std::array<uint8_t, kDownloadStatusBuffer> payload{};

private:
  enum class Stage { Header, Payload, Trailer };
  Stage stage_ = Stage::Header;
  uint32_t got_ = 0;
  std::array<uint8_t, kMessageHeaderSize> header_{};
  std::array<uint8_t, kMessageTrailerSize> trailer_{};
  MsTimer timer_;
};

constexpr uint32_t kStatusFinishedAt = 0, kStatusDownloadedAt = 4, kStatusCreditAt = 8, kStatusTextAt = 12;

// Sends the image until the board reports it finished.
void SendImage(std::FILE *file, uint32_t size) {
  int64_t credit = kDownloadStartCredit;
  uint32_t sent = 0;
  StatusReceiver status;
  std::vector<uint8_t> payload(6 + kDownloadChunk);
  for (;;) {
    if (status.Step()) {
      if (status.type != kTcpDownloadStatus)
        throw xTCErr(kMsgTcpDownloadType, kModuleTcs, __LINE__);
      const uint8_t *p = status.payload.data();
      if (status.length < kStatusTextAt)
        throw DownloadFailed{};
      uint32_t finished = LittleU32(p + kStatusFinishedAt);
      uint32_t downloaded = LittleU32(p + kStatusDownloadedAt);
      // The text ends at its NUL or, without one, at the payload's end.
      const char *text = reinterpret_cast<const char *>(p + kStatusTextAt);
      std::string statusText(text, strnlen(text, status.length - kStatusTextAt));
      Host().SetWaitText(plat::FormatText("%ld bytes downloaded, %ld/%ld finished\nSTATUS: %s", long(downloaded),
                                          long(finished), long(size), statusText.c_str()));
      credit = int64_t(LittleU32(p + kStatusCreditAt)) + downloaded;
      if (!SendMessage(kTcpDownloadStatus | kReplyBit, nullptr, 0))
        throw DownloadFailed{};
      if (finished >= size)
        return;
    }
    if (sent == size) {
      Tcp.socket.WaitReadable(1);
    } else {
      int64_t n = std::min<int64_t>({kDownloadChunk, int64_t(size) - sent, credit - sent});
      if (n >= 1) {
        uint8_t *q = payload.data();
        q[0] = uint8_t(size), q[1] = uint8_t(size >> 8), q[2] = uint8_t(size >> 16), q[3] = uint8_t(size >> 24);
        q[4] = uint8_t(n), q[5] = uint8_t(n >> 8);
        if (std::fread(q + 6, 1, size_t(n), file) != size_t(n))
          throw DownloadFailed{};
        if (!SendMessage(kTcpDownloadData, q, uint32_t(n) + 6))
          throw DownloadFailed{};
        sent += uint32_t(n);
        credit -= n;
      } else {
        Tcp.socket.WaitReadable(1);
      }
    }
    Host().Pump();
  }
}

} // namespace

void DownloadProgramTcp() {
  completed = false;
  CloseBinImageFile();
  File file(std::fopen(BinImagePath().c_str(), "rb"));
  if (!file)
    throw xTCErr(kMsgTcpDownloadFailed, kModuleTcs, __LINE__);
  std::fseek(file.get(), 0, SEEK_END);
  uint32_t size = uint32_t(std::ftell(file.get()));
  std::fseek(file.get(), 0, SEEK_SET);
  if (!Host().WaitDialogOpen())
    Host().OpenWaitDialog(true);
  Host().SetWaitMessage(kMsgTcpDownloading, std::string());
  try {
    SendImage(file.get(), size);
  } catch (const DownloadFailed &) {
    throw xTCErr(kMsgTcpDownloadFailed, kModuleTcs, __LINE__);
  }
  QueryKernelVariablesTcp();
  file.reset();
  if (!SendMessage(kTcpDownloadDone, nullptr, 0))
    throw xTCErr(kMsgTcpDownloadEndNotSent, kModuleTcs, __LINE__);
  ReceiveMessage(kMsgTcpDownloadEndSilent);
  if (Tcp.last.type != (kTcpDownloadDone | kReplyBit))
    throw xTCErr(kMsgTcpDownloadEndWrong, kModuleTcs, __LINE__);
  Host().CloseWaitDialog();
  completed = true;
}

bool DownloadCompleted() { return completed; }

} // namespace tsw
