#include "compcore/link/linksettings.h"
#include "compcore/link/targetevent.h"

namespace tsw {

LinkSettings CurrentLinkSettings;
TargetEvent LastTargetEvent;
WatchResults CurrentWatchResults;

} // namespace tsw
