#pragma once

#include "debugger/targetcpu.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <functional>
#include <optional>

// What instruction analysis needs of the rest of the system: the program's
// register frame, target memory, and the names the BIOS and the compiler know.
// The debugger engine installs its own; tests install fakes.
namespace tsw {

struct TargetRegisterFrame {
  uint16_t af = 0, bc = 0, de = 0, hl = 0, sp = 0, pc = 0;
  uint8_t xpc = 0;
  uint16_t ix = 0, iy = 0;
  uint16_t af_ = 0, bc_ = 0, de_ = 0, hl_ = 0;
};

// One record of the compiler's symbol table, as the decoder looks at it.
struct SymbolView {
  const char *name = "";
  uint16_t value = 0;
  ADDR24 address;
  uint8_t kind = 0;
  uint8_t typeCode = 0;
};

class InsnEnvironment {
public:
  virtual ~InsnEnvironment() = default;
  virtual TargetCpu Cpu() { return TargetCpu::Z180; }
  virtual const TargetRegisterFrame &Frame() {
    static const TargetRegisterFrame none;
    return none;
  }
  // False when the board could not be read.
  virtual bool ReadTargetMemory(ADDR24, uint8_t *, uint16_t) { return false; }
  // The address of a run-time routine of the target library.
  virtual std::optional<uint16_t> FindRuntimeRoutine(const char *) { return std::nullopt; }
  virtual const char *FindBiosSymbolByValue(ADDR24) { return nullptr; }
  // The root address that an extended-memory address was compiled for.
  virtual ADDR24 LookupXmem(ADDR24 address) { return address; }
  // Visits the compiler's symbols in table order until `visit` gives true.
  virtual void ForEachSymbol(const std::function<bool(const SymbolView &)> &) {}
};

// nullptr puts back the neutral environment (no board, no symbols).
void SetInsnEnvironment(InsnEnvironment *environment);
InsnEnvironment &InsnEnv();

} // namespace tsw
