#pragma once

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>

// The loops and the jumps out of them: which enclosing statement a break or
// continue leaves, the forward jumps waiting for a loop's or switch's end,
// and the loops themselves.
namespace tsw {

// How a statement ends, as the function compiler reads it: a body whose
// last statement returns needs no implicit return.
enum : uint16_t { kStatementPlain = 2, kStatementReturns = 3, kStatementJumps = 4 };

// What a break or a continue may leave: a loop both, a switch only break.
struct ControlContext {
  bool continueAllowed = false;
  bool breakAllowed = false;
  // What the slices open when the loop or switch began had pushed: a break
  // or continue from a slice inside it releases the rest.
  uint16_t sliceStackBytes = 0;
};
inline constexpr ControlContext kLoopContext{true, true};
inline constexpr ControlContext kSwitchContext{false, true};

// Loops and switches nest at most this deep; the break and continue jumps
// still open of all of them fit in lists of this size each.
inline constexpr size_t kMaxControlContexts = 19;
inline constexpr size_t kJumpListCapacity = 256;

enum class JumpKind : uint8_t { kContinue, kBreak };

// 612 when the stack is full: the refusal is counted, so that the matching
// leave takes it back and the enclosing context stays in force.
void EnterControlContext(ControlContext context);
// 495 when nothing is there to leave.
void LeaveControlContext();

// Where a loop or switch starts owning the jump lists' entries.
struct JumpListMarks {
  size_t continues = 0;
  size_t breaks = 0;
};
JumpListMarks NoteJumpLists();
// Every jump of the list entered since `marks` is patched to `target` and
// taken off the list.
void PatchJumpList(JumpKind kind, const JumpListMarks &marks, ADDR24 target);
// The jumps still waiting in a list (for the tests of nesting).
size_t OpenJumpCount(JumpKind kind);

// break (kBreak) or continue (kContinue) at the cursor after the keyword:
// a forward jump entered in its list, result kStatementJumps; where nothing
// could be jumped to, nothing is emitted and the result is kStatementPlain.
uint16_t CompileBreakContinue(JumpKind which);

// The loops at the cursor after their keyword. A for in a function with
// statement hooks tests its condition ahead of the body, where a hook can
// stop on it; without hooks the test goes behind the body, so that each
// round runs one conditional jump: the condition is compiled ahead of the
// body as the entry test and again behind it, the increment only behind it,
// both read again from the source.
uint16_t CompileWhile();
uint16_t CompileDo();
uint16_t CompileFor();
// break or continue with its ';'.
uint16_t CompileBreak();
uint16_t CompileContinue();

// Set while the everytime block of a cofunction is compiled: that block runs
// on every entry of the cofunction, so it may not leave by goto or return.
bool &InEverytimeBlock();

// Every control-flow table back to empty, taking part in the statement
// snapshot so that a statement compiled again starts from the same lists.
void ResetControlFlowModule();

} // namespace tsw
