#include "debugger/watcheval.h"

#include "debugger/enginestate.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "platform/ticks.h"

namespace tsw {
namespace {

// The kernel's status bit while it runs a request of the host.
constexpr uint8_t kStatusKernelBusy = 0x04;
constexpr uint32_t kBusyWaitMs = 1000;
constexpr uint32_t kBusySliceMs = 10;
constexpr uint8_t kRunWatchRequest = 1;

// False when the kernel is still busy at the end of the wait.
bool WaitWhileKernelBusy() {
  MsTimer timeout(kBusyWaitMs);
  timeout.Start();
  while (Link().QueryTargetStatus(kStatusKernelBusy) & kStatusKernelBusy) {
    if (timeout.Expired())
      return false;
    PollTargetStdioSerial();
    Ui().Pump();
    plat::Sleep(kBusySliceMs);
  }
  return true;
}

} // namespace

// The kernel's watch variables: the fragment's address at the first work
// address, the request byte at the second, the record at the address the
// kernel's table holds.
ADDR24 WatchResultVariable() { return MakeDataAddr24(Engine().vars.watchValue); }

uint8_t EvaluateWatchOnTarget(uint16_t fragment, WatchRecord &record) {
  const KernelVariables &v = Engine().vars;
  if (!WaitWhileKernelBusy())
    return kWatchKernelBusy;
  WriteKernelWord(v.watchWork1, fragment);
  WriteKernelByte(v.watchWork2, kRunWatchRequest);
  if (!WaitWhileKernelBusy())
    return kWatchKernelBusy;
  Link().ReadTargetMemory(kWatchRecordSize, WatchResultVariable(), record.data());
  return kWatchEvaluated;
}

std::string ReadWatchText(uint16_t address) {
  std::array<uint8_t, kWatchTextBytes> bytes{};
  Link().ReadTargetMemory(kWatchTextBytes, MakeDataAddr24(address), bytes.data());
  return std::string(bytes.begin(), bytes.end());
}

} // namespace tsw
