#include "compcore/link/linksettings.h"
#include "compcore/link/regframe.h"
#include "compcore/link/targetevent.h"
#include "compcore/link/targetinfo.h"

namespace tsw {

TargetEvent LastTargetEvent;
WatchResults CurrentWatchResults;
RegisterFrame ProgramRegisterFrame;
TargetInfo CurrentTargetInfo;

} // namespace tsw
