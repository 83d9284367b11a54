#include "compcore/cc_in/cc_directive_targets.h"

namespace tsw {

namespace {

struct DirectiveTargets {
  DirectiveShell *shell = nullptr;
  TargetLink *link = nullptr;
};

DirectiveTargets &T() {
  static DirectiveTargets s;
  return s;
}

} // namespace

void SetDirectiveTargets(DirectiveShell *shell, TargetLink *link) { T() = {shell, link}; }

DirectiveShell &DirectiveShellInUse() {
  static DirectiveShell neutral;
  return T().shell ? *T().shell : neutral;
}

TargetLink *DirectiveLink() { return T().link; }

} // namespace tsw
