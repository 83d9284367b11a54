#include "compcore/link/linkservices.h"

#include "compcore/link/linkhost.h"
#include "compcore/link/linksettings.h"

namespace tsw {

bool LinkUsesTcp() { return CurrentLinkSettings.useTcp != 0; }
bool LinkOfflineMode() { return Host().OfflineCompile(); }
uint16_t LinkComAttnValue() { return 0; }

void NoOpFourWords(uint16_t *, uint16_t *, uint16_t *, uint16_t *) {}

} // namespace tsw
