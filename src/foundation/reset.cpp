#include "foundation/reset.h"

#include "foundation/brstring.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

namespace tsw {

void ResetFoundation() {
  ResetStringModule();
  ResetMemoryMapModule();
  ResetErrorModule();
  ResetMessageTextModule();
  ResetTimerModule();
}

} // namespace tsw
