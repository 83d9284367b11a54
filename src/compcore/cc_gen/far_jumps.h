#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <string_view>

// Every jump and call whose target is an ADDR24: the plain 16-bit forms
// when both ends see the target, the Corvid long forms with a page byte,
// and on the Z180 a bank switch through the MMU before a plain jump. A jump
// whose target was not known yet is emitted again here once it is.
namespace tsw {

struct SymbolRecord;

inline constexpr uint8_t kOpJump = 0xC3;
inline constexpr uint8_t kOpCall = 0xCD;
// Corvid only: 16-bit address and page byte.
inline constexpr uint8_t kOpLongJump = 0xC7;
inline constexpr uint8_t kOpLongCall = 0xCF;
// The condition field (bits 3-5) of JP cc (C2) and CALL cc (C4).
inline constexpr uint8_t kOpJumpIf = 0xC2;
inline constexpr uint8_t kOpCallIf = 0xC4;

// Z80 order, as the condition field encodes it; each even code's opposite
// is the next odd one.
enum class Condition : uint8_t { kNZ, kZ, kNC, kC, kPO, kPE, kP, kM };

// What a jump emitter emitted: the opcode and where its operand stands,
// which is where a forward target is patched in or the jump emitted again.
struct JumpRecord {
  uint8_t opcode = 0;
  ADDR24 operand;
};

// `opcode` is C3, a JP cc, C7 or a relative jump (whose target's low byte
// is the displacement). The preserve flag keeps AF through a Z180 bank
// switch.
JumpRecord EmitJumpToAddr24(ADDR24 target, uint8_t opcode, bool preserveAf = false);
// `opcode` is CD, a CALL cc or CF; gives where the operand stands. The
// symbol is the called function's, when the caller knows it.
ADDR24 EmitCallToAddr24(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol = nullptr);
// The instruction itself: the opcode, the logical address and, for the
// Corvid long forms, the page byte.
ADDR24 EmitLongJumpTrampoline(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol = nullptr);
// A call of the named run-time routine taken only under `condition`.
void EmitConditionalCallNamed(std::string_view routine, Condition condition);
// The jump or call recorded in `place` (opcode 0: read it from the code)
// gets `target`: patched in when root code sees it, else emitted again.
void EmitFarJumpFixup(JumpRecord place, ADDR24 target);

} // namespace tsw
