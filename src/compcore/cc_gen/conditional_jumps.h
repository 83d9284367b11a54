#pragma once

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// The jump on a condition value. A comparison leaves words in its record
// saying which flag holds the answer; while the expression compiler allows
// it, the jump takes back the comparison's 0/1 tail and branches on the
// carry itself. Any other value is tested for zero first.
namespace tsw {

// Sense 0 jumps when the condition holds, 1 when it does not. A short
// jump's target is a displacement (its low byte); 621 for a sense of 8 or
// more, and nothing is emitted.
JumpRecord EmitConditionalJump(ValueRecord &condition, ADDR24 target, uint8_t sense, bool shortJump);
// The jump to a target already placed (a loop's head): the two-byte
// relative form when the target lies in its reach in the same segment,
// counted from where the jump lands after the zero test, else the absolute
// one. Nothing patches such a jump later.
JumpRecord EmitConditionalJumpToPlaced(ValueRecord &condition, ADDR24 target, uint8_t sense);

} // namespace tsw
