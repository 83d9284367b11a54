#pragma once

// waitfordone and waitforfirstdone: an expression that calls cofunctions
// step by step until all of them (or the first of them) ran to their end,
// leaving the task in between. Its value, in HL, is the result byte the
// routines leave in the task buffer.
namespace tsw {

struct ValueRecord;

// Compiles the construct after its keyword; `firstDone` for
// waitforfirstdone.
void CompileWaitfordone(ValueRecord &value, bool firstDone);

} // namespace tsw
