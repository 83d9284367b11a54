#include "compcore/cc_gen/output_target.h"

namespace tsw {

namespace {

struct OutputModule {
  OutputTarget *target = nullptr;
  OutputSettings settings;
  std::function<void()> progress;
};
OutputModule &M() {
  static OutputModule m;
  return m;
}

} // namespace

void SetOutputTarget(OutputTarget *target) { M().target = target; }
OutputTarget *CurrentOutputTarget() { return M().target; }
OutputSettings &Output() { return M().settings; }
void SetProgressCallback(std::function<void()> progress) { M().progress = std::move(progress); }
void PumpProgress() {
  if (M().progress)
    M().progress();
}

void ResetOutputModule() { M() = {}; }

} // namespace tsw
