#include "compcore/cc_gen/codegen_hooks.h"

#include "compcore/cc_gen/far_jumps.h"

namespace tsw {

namespace {

CodeGenCollaborators *&Installed() {
  static CodeGenCollaborators *installed = nullptr;
  return installed;
}

} // namespace

CodeGenSettings &CodeGenSetup() {
  static CodeGenSettings settings;
  return settings;
}

void CodeGenCollaborators::EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t flags) {
  (void)flags;
  tsw::EmitFarJumpFixup({opcode, patch}, target);
}

void CodeGenCollaborators::EmitLongJump(ADDR24 target) { EmitLongJumpTrampoline(target, kOpLongJump); }

void SetCodeGenCollaborators(CodeGenCollaborators *collaborators) { Installed() = collaborators; }

CodeGenCollaborators &Collaborators() {
  static CodeGenCollaborators neutral;
  return Installed() ? *Installed() : neutral;
}

} // namespace tsw
