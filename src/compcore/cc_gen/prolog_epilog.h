#pragma once

#include <cstdint>

// Function entry and exit: the interrupt entry, the IX frame, the locals,
// the save and restore of register variables, and the return. A function
// compiled for size, or with debugger statement hooks, hands its frame work
// to a frame routine of the target library, chosen by one selection code.
namespace tsw {

// Bits of the selection code.
enum : uint8_t {
  kFrameByRoutine = 0x01,       // the routine sets up the IX frame
  kFrameAttribute2 = 0x16,      // the function's attribute bit 0x02
  kFrameSavesRegisters = 0x08,  // the routine saves or restores the register area too
  kFrameForSize = 0x10,
  kFrameHooks = 0x40,
};

// The function's register variables live in one static area, copied to
// the stack on entry and back on exit.
struct RegisterArea {
  bool present = false;
  uint16_t end = 0; // one past its last byte
};
RegisterArea &StaticRegisterArea();

// Emits the entry when made, the frame routine's call when destroyed.
class FunctionProlog {
public:
  FunctionProlog(uint16_t localsSize, uint16_t registerAreaSize);
  ~FunctionProlog() noexcept(false);
  FunctionProlog(const FunctionProlog &) = delete;
  FunctionProlog &operator=(const FunctionProlog &) = delete;
};

// Emits the exit when made, the frame routine's call or the plain return
// when destroyed. A function with a value keeps it in HL through the exit.
class FunctionEpilog {
public:
  explicit FunctionEpilog(bool hasValue);
  ~FunctionEpilog() noexcept(false);
  FunctionEpilog(const FunctionEpilog &) = delete;
  FunctionEpilog &operator=(const FunctionEpilog &) = delete;
};

// What an interrupt function's entry leaves between its return address
// and its body: AF and HL, the entry routine's spent return and the 16
// bytes of registers it saves (the library keeps to that count), and the
// exit routine's address. A parameter lies this much higher.
inline constexpr uint16_t kInterruptEntryBytes = 24;

// The selection code the last prolog chose (0: no frame routine).
uint8_t FrameRoutineCode();

void ResetPrologEpilog();

} // namespace tsw
