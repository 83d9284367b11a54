#include "compcore/cc_gen/codegen_hooks.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/emit_cache.h"

namespace tsw {

namespace {

constexpr uint8_t kOpLongJump = 0xC7;

CodeGenCollaborators *&Installed() {
  static CodeGenCollaborators *installed = nullptr;
  return installed;
}

} // namespace

CodeGenSettings &CodeGenSetup() {
  static CodeGenSettings settings;
  return settings;
}

void CodeGenCollaborators::EmitLongJump(ADDR24 target) {
  EmitCache *code = Caches().currentCode;
  if (!code)
    return;
  code->EmitByte(kOpLongJump);
  code->EmitByte(uint8_t(target.logical));
  code->EmitByte(uint8_t(target.logical >> 8));
  code->EmitByte(target.segment);
}

bool CodeGenCollaborators::NeedsNopBefore(uint8_t byte) { return assembler::NeedsNopBefore(byte); }

void SetCodeGenCollaborators(CodeGenCollaborators *collaborators) { Installed() = collaborators; }

CodeGenCollaborators &Collaborators() {
  static CodeGenCollaborators neutral;
  return Installed() ? *Installed() : neutral;
}

} // namespace tsw
