#include "compcore/link/linkreset.h"

#include "compcore/link/biosimage.h"
#include "compcore/link/kernelvars.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/targetevent.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/discovery.h"
#include "compcore/link/tcs/tcpmessage.h"

namespace tsw {

void ResetLinkModules() {
  ResetSerialModule();
  ResetTcpModule();
  StopDiscovery();
  CurrentDiscoveryConfig = DiscoveryConfig{};
  ResetTargetMemoryModule();
  ResetBinImageModule();
  CurrentTargetInfo = TargetInfo{};
  ProgramRegisterFrame = RegisterFrame{};
  CurrentLinkSettings = LinkSettings{};
  CurrentLinkTimeouts = LinkTimeouts{};
  BiosImageBuffer = BiosImage{};
  CurrentKernelVariables = KernelVariables{};
  LastTargetEvent = TargetEvent{};
  CurrentWatchResults = WatchResults{};
}

} // namespace tsw
