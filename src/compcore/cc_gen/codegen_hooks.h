#pragma once

#include "compcore/common/target_cpu.h"
#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// The code generator's settings for one compile and the few services that
// the byte road needs from emitters built elsewhere (far jumps, code
// selection, the memory configuration, the assembler). The far jumps and the
// assembler's check are the code generator's own; every other service
// answers neutrally until the compile installs the real one.
namespace tsw {

struct CodeGenSettings {
  TargetCpu cpu = TargetCpu::Z180;
  // "No Bouncers": root code calls extended-memory functions through stubs.
  bool noBouncers = true;
  // Root call targets are looked up in the address directory: on from the
  // start of each compile, off inside assembly blocks.
  bool addressDirectory = false;
  // Where root code enters the universal bouncer; 0, its default, while
  // nothing does. On the Z180 every root bouncer enters it through rst 30h,
  // so the first one of a compile sets this to the restart's address and
  // the start-up code wires RST 30h to "_b_all". The Corvid has no such
  // bouncer: its forward calls under "No Bouncers", whose placeholder is 0
  // as well, keep a byte for the page their rewrite to a long call needs.
  uint16_t bouncerRoutine = 0;
};
CodeGenSettings &CodeGenSetup();

class CodeGenCollaborators {
public:
  virtual ~CodeGenCollaborators() = default;
  // Rewrites the jump or call whose operand stands at `patch` for a target
  // on either side of the extended-memory window.
  virtual void EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t flags);
  // The Corvid long jump (0xC7) to `target` at the current code address.
  virtual void EmitLongJump(ADDR24 target);
  // The debug kernel's page-switch routine, for the Z180 page crossing.
  virtual uint16_t PageSwitchRoutine() { return 0; }
  // The lowest physical address root data may take.
  virtual uint32_t RootDataLowerLimit() { return 0; }
  // The assembler's check: a byte that must not follow the previous one.
  virtual bool NeedsNopBefore(uint8_t byte);
};
void SetCodeGenCollaborators(CodeGenCollaborators *collaborators);
CodeGenCollaborators &Collaborators();

// One instruction of emitted code as the debugger's decoder reads it: its
// length, whether HL and memory are as they were before it, and the
// processor whose tables read it (an answer for the other one is no
// answer).
struct DecodedInstruction {
  uint16_t length = 0;
  bool keepsHlAndMemory = false;
  TargetCpu decodedFor = TargetCpu::Z180;
};
using InstructionDecoder = std::function<DecodedInstruction(ADDR24 address, const uint8_t *code, size_t available)>;
// The decoder lives above the compiler; null (the default) leaves every
// load emitted that what HL holds could have spared.
void SetInstructionDecoder(InstructionDecoder decoder);
const InstructionDecoder &EmittedCodeDecoder();

} // namespace tsw
