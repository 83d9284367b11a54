#include "compcore/link/linkreset.h"

#include "compcore/link/biosimage.h"
#include "compcore/link/kernelvars.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/targetevent.h"
#include "compcore/link/tc/serial.h"

namespace tsw {

void ResetLinkModules() {
  ResetSerialModule();
  CurrentLinkSettings = LinkSettings{};
  CurrentLinkTimeouts = LinkTimeouts{};
  BiosImageBuffer = BiosImage{};
  CurrentKernelVariables = KernelVariables{};
  LastTargetEvent = TargetEvent{};
  CurrentWatchResults = WatchResults{};
}

} // namespace tsw
