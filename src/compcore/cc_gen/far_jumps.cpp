#include "compcore/cc_gen/far_jumps.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"

namespace tsw {

namespace {

constexpr uint8_t kOpPushAf = 0xF5;
constexpr uint8_t kOpPopAf = 0xF1;
constexpr uint8_t kOpLoadA = 0x3E;
constexpr uint8_t kPrefixEd = 0xED;
constexpr uint8_t kOpOut0FromA = 0x39;
// The MMU's common-bank base register: the page the window shows.
constexpr uint8_t kPortBankBase = 0x38;
// Bits 6-7 clear: DJNZ, JR and JR cc.
constexpr uint8_t kRelativeMask = 0xC0;

bool Corvid() { return CodeGenSetup().cpu == CodeCpu::kCorvid; }

ADDR24 CurrentAddress() { return Caches().currentCode->Current(); }

bool IsRelative(uint8_t opcode) { return (opcode & kRelativeMask) == 0; }

// Code at `from` reaches `target` with a 16-bit operand: root targets
// always, window targets only from the same page of the window.
bool SeesTarget(ADDR24 from, ADDR24 target) {
  return !Addr24InWindow(target) || (Addr24InWindow(from) && from.segment == target.segment);
}

JumpRecord EmitShortJump(ADDR24 target, uint8_t opcode) {
  EmitCodeByte(opcode);
  JumpRecord record{opcode, CurrentAddress()};
  if (IsRelative(opcode)) {
    EmitCodeByte(uint8_t(target.logical));
    return record;
  }
  EmitWord(target.logical);
  if (opcode == kOpLongJump)
    EmitCodeByte(target.segment);
  return record;
}

// The window is switched to the target's page, then a plain jump.
JumpRecord EmitZ180BankJump(ADDR24 target, bool preserveAf) {
  if (preserveAf)
    EmitCodeByte(kOpPushAf);
  EmitCodeByte(kOpLoadA);
  EmitCodeByte(target.segment);
  EmitCodeByte(kPrefixEd);
  EmitCodeByte(kOpOut0FromA);
  EmitCodeByte(kPortBankBase);
  if (preserveAf)
    EmitCodeByte(kOpPopAf);
  return EmitShortJump(target, kOpJump);
}

} // namespace

JumpRecord EmitJumpToAddr24(ADDR24 target, uint8_t opcode, bool preserveAf) {
  // The long jump is a Corvid instruction (rst 00h on the Z180).
  if (!Corvid() && opcode == kOpLongJump)
    opcode = kOpJump;
  if (IsRelative(opcode) || SeesTarget(CurrentAddress(), target))
    return EmitShortJump(target, opcode);
  return EmitZ180BankJump(target, preserveAf);
}

ADDR24 EmitLongJumpTrampoline(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol) {
  (void)symbol;
  EmitCodeByte(opcode);
  ADDR24 operand = CurrentAddress();
  EmitWord(target.logical);
  if (Corvid() && (opcode == kOpLongCall || opcode == kOpLongJump))
    EmitCodeByte(target.segment);
  return operand;
}

} // namespace tsw
