// Throughput of the two links against their fakes: the serial link through
// a pseudo-terminal whose kernel paces 115200 baud, and a download to the
// loopback board. Each transfer is read back and compared.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "compcore/link/linkreset.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/download.h"
#include "compcore/link/tcs/tcplink.h"
#include "fakes/fake_board.h"
#include "fakes/fake_host.h"
#include "fakes/pty_kernel.h"
#include "foundation/mstimer.h"
#include "foundation/reset.h"
#include "foundation/xerr.h"

namespace {

using namespace tsw;
using namespace tsw::testing;

constexpr uint32_t kImageSize = 256 * 1024;
constexpr uint32_t kBaud = 115200;
constexpr double kBytesPerSecond = kBaud / 10.0;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<uint8_t> Image() {
  std::vector<uint8_t> image(kImageSize);
  for (uint32_t i = 0; i < kImageSize; ++i)
    image[i] = uint8_t(i * 131 + (i >> 9));
  return image;
}

bool SerialBench() {
  ResetLinkModules();
  PtyKernel pty(kBaud);
  RecordingHost host;
  CurrentLinkSettings.portDevice = pty.SlavePath();
  OpenSerialPort();
  std::vector<uint8_t> image = Image();
  // 256-byte frames into the extended window, 64 KiB per segment step.
  auto start = std::chrono::steady_clock::now();
  for (uint32_t at = 0; at < kImageSize; at += 256)
    WriteTargetMemory(256, PhysicalToAddr24(0x40000 + at), image.data() + at);
  double writeSeconds = Seconds(start);
  std::vector<uint8_t> back(kImageSize);
  start = std::chrono::steady_clock::now();
  for (uint32_t at = 0; at < kImageSize; at += 255) {
    uint32_t n = std::min<uint32_t>(255, kImageSize - at);
    ReadTargetMemory(n, PhysicalToAddr24(0x40000 + at), back.data() + at);
  }
  double readSeconds = Seconds(start);
  bool same = back == image;
  std::printf("serial, pty kernel at %u baud: 256 KiB written in %.2f s (%.1f %% of the line rate), "
              "read back in %.2f s (%.1f %%), %s; goal >= 95 %%\n",
              kBaud, writeSeconds, 100.0 * kImageSize / (writeSeconds * kBytesPerSecond), readSeconds,
              100.0 * kImageSize / (readSeconds * kBytesPerSecond), same ? "identical" : "DIFFERENT");
  ResetLinkModules();
  return same;
}

bool DownloadBench() {
  ResetLinkModules();
  FakeBoard board;
  board.passPhrase.reset();
  RecordingHost host;
  host.includeBios = false;
  CurrentLinkSettings.useTcp = 1;
  CurrentLinkSettings.netAddress = FakeBoard::Loopback();
  std::strcpy(CurrentLinkSettings.netAddressText, "127.0.0.1");
  CurrentLinkSettings.tcpPort = board.Port();
  std::string dir = "/tmp/tsw-bench-XXXXXX";
  if (!mkdtemp(dir.data()))
    return false;
  std::string program = dir + "/bench.c";
  std::vector<uint8_t> image = Image();
  CreateBinImageFile(program.c_str());
  WriteBinImageAt(kImageSize, 0, image.data());
  ConnectTcp();
  auto start = std::chrono::steady_clock::now();
  DownloadProgramTcp();
  double seconds = Seconds(start);
  bool same = board.Downloaded() == image;
  std::printf("TCP/IP download of 256 KiB to the loopback board: %.3f s, %s; goal < 0.5 s\n", seconds,
              same ? "identical" : "DIFFERENT");
  DisconnectTcp();
  std::remove((dir + "/bench.bin").c_str());
  std::remove(dir.c_str());
  ResetLinkModules();
  return same;
}

} // namespace

int main() {
  tsw::ResetFoundation();
  tsw::ToolHelpTimer = 1;
  try {
    bool ok = SerialBench();
    ok = DownloadBench() && ok;
    return ok ? 0 : 1;
  } catch (const tsw::xErr &e) {
    std::printf("failed: message %u (%s, line %u)\n", e.Message(), e.Module(), e.Line());
    return 1;
  }
}
