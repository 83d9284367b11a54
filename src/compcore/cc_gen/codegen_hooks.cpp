#include "compcore/cc_gen/codegen_hooks.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/emit_cache.h"
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

// Straight into the cache: the page crossing counts on exactly these four
// bytes, with no question to the assembler in between.
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

namespace {

InstructionDecoder &Decoder() {
  static InstructionDecoder decoder;
  return decoder;
}

} // namespace

void SetInstructionDecoder(InstructionDecoder decoder) { Decoder() = std::move(decoder); }

const InstructionDecoder &EmittedCodeDecoder() { return Decoder(); }

} // namespace tsw
