#include "compcore/link/tc/coldload.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/serial.h"
#include "platform/ticks.h"

namespace tsw {

namespace {

constexpr uint32_t kReopenPause = 10;
constexpr uint32_t kResetLowTime = 30;
constexpr uint32_t kResetSettle = 500;
constexpr uint32_t kDsrSettle = 30;
constexpr uint32_t kAfterLoad = 55;
constexpr uint32_t kHandOverSettle = 500;
constexpr uint32_t kBitsPerByte = 10;
const ADDR24 kBaudSwitch = MakeAddr24(0, 0x4001);

struct FileCloser {
  void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string LoaderPath(const std::string &setting) { return Host().ProgramDirectory() + setting; }

bool SendBytes(std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes)
    if (!SerialSendByte(b))
      return false;
  return true;
}

uint32_t LineTime(size_t bytes) {
  uint32_t baud = std::max<uint32_t>(CurrentLinkSettings.currentBaud, 1);
  return uint32_t((uint64_t(bytes) * kBitsPerByte * 1000 + baud - 1) / baud);
}

// The board answers a triplet by its DSR line only once the triplet is on
// the wire: the queue may still hold 400 bytes (1.7 s at 2400 baud).
plat::ModemLine SampleDsr() {
  Delay(kDsrSettle);
  DrainSerialOutput();
  plat::SerialPort *port = SerialPortHandle();
  return port ? port->Dsr() : plat::ModemLine::Unknown;
}

// A triplet of the file; bytes past its end read as 0xFF.
std::array<uint8_t, 3> ReadTriplet(std::FILE *f) {
  std::array<uint8_t, 3> t;
  for (uint8_t &b : t) {
    int c = std::fgetc(f);
    b = c == EOF ? 0xFF : uint8_t(c);
  }
  return t;
}

} // namespace

bool SerialSendByte(uint8_t byte) {
  plat::SerialPort *port = SerialPortHandle();
  if (!port)
    return false;
  MsTimer timer(CurrentLinkTimeouts.drain);
  timer.Start();
  while (port->OutputQueued() >= kColdLoadQueueRoom && !timer.Expired()) {
    Host().Pump();
    plat::Sleep(std::min<uint32_t>(1, NextSlice(timer)));
  }
  if (port->Write(&byte, 1) == 1)
    return true;
  ReportCommErrors();
  return false;
}

void ReportCommErrors() {
  plat::SerialPort *port = SerialPortHandle();
  if (!port)
    return;
  uint32_t flags = port->TakeErrors();
  const struct {
    uint32_t flag;
    const char *text;
  } names[] = {{plat::kPortBreak, "CE_BREAK"},
               {plat::kPortFrame, "CE_FRAME"},
               {plat::kPortOverrun, "CE_OVERRUN"},
               {plat::kPortTxFull, "CE_TXFULL"}};
  for (const auto &n : names)
    if (flags & n.flag)
      Host().ShowText(n.text);
}

void DrainSerialOutput() {
  plat::SerialPort *port = SerialPortHandle();
  if (!port)
    return;
  MsTimer timer(LineTime(port->OutputQueued()) + CurrentLinkTimeouts.drain);
  timer.Start();
  while (SerialPortHandle() && port->OutputQueued() > 0 && !timer.Expired())
    plat::Sleep(std::min<uint32_t>(1, NextSlice(timer)));
}

void DrainAndCloseSerialPort() {
  plat::SerialPort *port = SerialPortHandle();
  if (!port)
    return;
  DrainSerialOutput();
  port->Purge();
  bool closed = port->Close();
  ForgetSerialPort();
  if (!closed)
    Host().ShowMessage(kMsgPortNotClosed, std::string());
}

void ReopenSerialPort(uint16_t mode, uint32_t baud) {
  SetColdLoadMode(mode);
  CurrentLinkSettings.currentBaud = baud;
  DrainSerialOutput();
  Delay(kReopenPause);
  DrainAndCloseSerialPort();
  Delay(kReopenPause);
  OpenSerialPort();
}

void ResetTargetForColdLoad() {
  if (plat::SerialPort *port = SerialPortHandle()) {
    port->TakeErrors();
    DrainSerialOutput();
    port->Close();
    ForgetSerialPort();
  }
  ReopenSerialPort(0, kColdLoadBaud);
  Delay(kResetLowTime);
  ReopenSerialPort(1, kColdLoadBaud);
  Delay(kResetSettle);
  SendBytes({0x80, 0x50, 0x40});
}

void ColdLoadTarget() {
  std::string path = LoaderPath(Host().ColdLoaderSetting());
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    Host().SetBiosImageMode(false);
    Host().ShowMessage(kMsgLoaderMissing, path);
    return;
  }
  // Any failure below leaves the board unloaded.
  auto failed = [] { Host().SetBiosImageMode(false); };
  if (!SendBytes({0x80, 0x0E, 0x20}))
    return failed();
  plat::ModemLine before = SampleDsr();
  std::array<uint8_t, 3> triplet{};
  bool ended = false;
  plat::ModemLine after = before;
  for (uint32_t n = 0; n < kMaxTriplets; ++n) {
    triplet = ReadTriplet(file.get());
    if (triplet == std::array<uint8_t, 3>{0x80, '$', 0x80}) {
      if (!SendBytes({0x80, 0x0E, 0x30}))
        return failed();
      after = SampleDsr();
      ended = true;
      break;
    }
    if (!SendBytes({triplet[0], triplet[1], triplet[2]}))
      return failed();
  }
  if (!SendBytes({triplet[0], triplet[1], triplet[2]}))
    return failed();
  DrainSerialOutput();
  // Without the end triplet the board never said whether it took the
  // loader: that is no success.
  if (ended && after != before)
    Host().SetAssumeCorvidCpu(true);
  else
    failed();
}

bool SendLoaderBlock() {
  std::string path = LoaderPath(Host().PilotBiosSetting());
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    Host().ShowMessage(kMsgLoaderMissing, path);
    return false;
  }
  if (std::fseek(file.get(), long(kLoaderBlockStart), SEEK_SET) != 0)
    return true;
  for (uint32_t at = kLoaderBlockStart; at < kLoaderBlockEnd; ++at) {
    int c = std::fgetc(file.get());
    if (c == EOF)
      break;
    if (!SerialSendByte(uint8_t(c)))
      return false;
  }
  return true;
}

bool ColdLoadBareBoard() {
  DrainAndCloseSerialPort();
  ResetTargetForColdLoad();
  Host().SetBiosImageMode(true);
  Host().SetWaitMessage(kMsgColdLoading, std::string());
  ColdLoadTarget();
  DrainSerialOutput();
  Delay(kAfterLoad);
  if (!Host().BiosImageMode()) {
    Host().ShowMessage(kMsgColdLoadFailed, std::string());
    return false;
  }
  ReopenSerialPort(1, kLoaderBaud);
  if (!SendLoaderBlock()) {
    Host().SetBiosImageMode(false);
    return false;
  }
  DrainSerialOutput();
  CurrentTargetInfo.ramSizeCode = int8_t(QueryRamSizeSerial());
  CurrentTargetInfo.flashId = QueryFlashIdSerial();
  return true;
}

void HandOverBaudRate() {
  DrainSerialOutput();
  Delay(kAfterLoad);
  const uint8_t go = 1;
  WriteTargetMemory(1, kBaudSwitch, &go);
  CurrentLinkSettings.currentBaud = CurrentLinkSettings.baud;
  Delay(kHandOverSettle);
  OpenSerialPort();
}

} // namespace tsw
