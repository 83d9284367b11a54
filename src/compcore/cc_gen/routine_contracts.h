#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// What generated code relies on of each run-time routine of the target
// library that it calls or jumps to by name: the registers it reads and
// leaves, the flags it sets, the stack on entry and on return, and whether
// it returns to the instruction after the call. The library's bodies must
// keep these; the code generator emits nothing else around the call.
namespace tsw {

enum class StackCleanup : uint8_t {
  kNothingPushed, // no arguments on the stack
  kCallerPops,    // the caller removes its arguments after the return
  kRoutinePops,   // the routine removes them
};

struct RoutineContract {
  std::string_view name;
  std::string_view inputs;
  std::string_view outputs;
  // Registers changed besides the outputs.
  std::string_view changes;
  std::string_view flags;
  // Bytes above the return address on entry, and left there on return.
  uint16_t stackIn = 0;
  uint16_t stackOut = 0;
  StackCleanup cleanup = StackCleanup::kNothingPushed;
  // False: control goes elsewhere (a case, the interrupted code).
  bool returnsAfterCall = true;
};

std::span<const RoutineContract> RoutineContracts();
// Null for a name without a row.
const RoutineContract *FindRoutineContract(std::string_view name);

} // namespace tsw
