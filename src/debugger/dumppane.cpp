#include "debugger/dumppane.h"

#include "debugger/debugengine.h"
#include "debugger/enginestate.h"
#include "foundation/addr24.h"

namespace tsw {
namespace {

constexpr uint32_t kLineAlign = ~uint32_t(kDumpBytesPerLine - 1);

DumpAddressing AlignedDown(const DumpAddressing &at) {
  DumpAddressing aligned = at;
  aligned.physicalAddress = at.physicalAddress & kLineAlign & kPhysicalMask;
  aligned.address.logical = uint16_t(at.address.logical & kLineAlign);
  return aligned;
}

} // namespace

int ShowDumpAtAddress(const DumpAddressing &at, uint32_t length, std::ostream *file) {
  const DumpAddressing aligned = AlignedDown(at);
  if (length != 0 && file) {
    FillDumpWindow(aligned, nullptr, length, file);
    return 1;
  }
  DebugDumpPane *pane = Ui().ShowDumpPane();
  if (!pane)
    return 1;
  // One line above the address: the pane's own line-down scroll then reads
  // and shows the dump from the address itself, in whichever form.
  DumpAddressing &shown = pane->Addressing();
  shown = aligned;
  shown.physicalAddress = (aligned.physicalAddress - kDumpBytesPerLine) & kPhysicalMask;
  shown.address.logical = uint16_t(aligned.address.logical - kDumpBytesPerLine);
  pane->Clear();
  pane->ScrollLineDown();
  return 1;
}

} // namespace tsw
