#include "compcore/cc_gen/emission_state.h"

namespace tsw {

EmissionState &Emission() {
  static EmissionState state;
  return state;
}

void ResetEmissionState() { Emission() = EmissionState{}; }

} // namespace tsw
