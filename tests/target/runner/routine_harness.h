#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/symbols.h"

namespace tsw::target {

// Runs run-time routines of the target library on the simulator, each call
// from a fresh stack, and reads back what they left in the registers, the
// flags and on the stack.
struct RoutineRegisters {
  uint16_t af = 0, bc = 0, de = 0, hl = 0;
};

struct RoutineCall {
  RoutineRegisters in;
  // Words pushed before the call, in push order: the last lies just above
  // the return address.
  std::vector<uint16_t> stack;
  // Assembly run before the inputs are set (memory the routine reads), and
  // after its outputs are stored (to store up to kExtraBytes more at
  // OUT+kExtraAt, memory it wrote).
  std::string before = {}, after = {};
};

constexpr size_t kExtraAt = 22;
constexpr size_t kExtraBytes = 10;

// Enough to see the words a routine left on the stack or failed to pop.
constexpr size_t kStackWordsRead = 4;

struct RoutineOutcome {
  RoutineRegisters out;
  uint16_t ix = 0, iy = 0;
  // SP after the return, less SP just before the call: 0 when the routine
  // left the stack as it found it, the operand bytes when it popped them.
  int spChange = 0;
  uint16_t stackTop[kStackWordsRead] = {}; // the words at SP after the return
  uint8_t extra[kExtraBytes] = {};          // what RoutineCall::after stored
};

// The values IX and IY hold at every call: a routine must keep them.
constexpr uint16_t kIxAtCall = 0x1DD1;
constexpr uint16_t kIyAtCall = 0x1FF1;

// The output block of one case: 32 bytes at kOutputBase + 32 * case.
constexpr uint32_t kOutputBase = 0xA000;
constexpr uint32_t kOutputBlockSize = 32;
// The stack starts at the top of memory, as the simulator wants it.
constexpr uint16_t kStackAtCase = 0x0000;

struct AsmProgram {
  bool ok = false;
  std::string log; // the assembler's or linker's complaint
  std::string hexImage;
  SymbolTable symbols; // the global labels, a leading '_' dropped
};

// Assembles and links one sdasz80 source (it places itself with .org) into
// an Intel HEX image beside it in `workDir`.
AsmProgram AssembleProgram(const std::string &source, const std::string &workDir);

struct AsmRun {
  bool ok = false;
  std::string log;                          // why not, for failure messages
  std::vector<std::vector<uint8_t>> blocks; // each case's output block
};

// Assembles the cases (each a few lines of sdasz80 assembly that start with
// SP at kStackAtCase and store their results at OUT, which is replaced by
// the address of the case's block) followed by the library code, runs them
// one after the other and reads each case's block.
AsmRun RunAsmCases(const std::string &libraryAsm, const std::vector<std::string> &cases, const std::string &workDir);

// The case text of one call: the inputs set, the routine called, its
// outputs stored in the layout RunRoutineCalls reads.
std::string RoutineCallCase(const std::string &label, const RoutineCall &call);

struct RoutineRun {
  bool ok = false;
  std::string log;
  std::vector<RoutineOutcome> outcomes;
};
RoutineRun RunRoutineCalls(const std::string &libraryAsm, const std::string &label,
                           const std::vector<RoutineCall> &calls, const std::string &workDir);

} // namespace tsw::target
