#include "compcore/cc_in/cc_directive_targets.h"

namespace tsw {

namespace {

struct DirectiveTargets {
  CodeGenDirectives *codegen = nullptr;
  DirectiveShell *shell = nullptr;
  TargetLink *link = nullptr;
};

DirectiveTargets &T() {
  static DirectiveTargets s;
  return s;
}

} // namespace

void SetDirectiveTargets(CodeGenDirectives *codegen, DirectiveShell *shell, TargetLink *link) {
  T() = {codegen, shell, link};
}

CodeGenDirectives &DirectiveCodeGen() {
  static CodeGenDirectives neutral;
  return T().codegen ? *T().codegen : neutral;
}

DirectiveShell &DirectiveShellInUse() {
  static DirectiveShell neutral;
  return T().shell ? *T().shell : neutral;
}

TargetLink *DirectiveLink() { return T().link; }

} // namespace tsw
