#include "compcore/cc_gen/output_target.h"

namespace tsw {

namespace {

struct OutputModule {
  OutputTarget *target = nullptr;
  OutputSettings settings;
  std::function<void()> progress;
};
OutputModule &State() {
  static OutputModule m;
  return m;
}

} // namespace

void SetOutputTarget(OutputTarget *target) { State().target = target; }
OutputTarget *CurrentOutputTarget() { return State().target; }
OutputSettings &Output() { return State().settings; }
void SetProgressCallback(std::function<void()> progress) { State().progress = std::move(progress); }
void PumpProgress() {
  if (State().progress)
    State().progress();
}

void ResetOutputModule() { State() = {}; }

} // namespace tsw
