#pragma once

#include "debugger/disasm.h"
#include "debugger/insnenv.h"
#include "debugger/stepper.h"
#include "foundation/memorymap.h"

#include <map>
#include <string>
#include <vector>

namespace tsw::testing {

// A board's memory, register frame and symbol names, enough for the
// instruction analysers; installs itself for the life of a test.
class FakeTarget : public InsnEnvironment {
public:
  explicit FakeTarget(TargetCpu cpu = TargetCpu::Z180) : cpu_(cpu) {
    ResetMemoryMapModule();
    SetInsnEnvironment(this);
    SelectStepperTables();
    SelectDisassemblerTables();
  }
  ~FakeTarget() override {
    SetInsnEnvironment(nullptr);
    ResetStepperModule();
    ResetDisassemblerModule();
  }

  TargetCpu Cpu() override { return cpu_; }
  const TargetRegisterFrame &Frame() override { return frame; }
  bool ReadTargetMemory(ADDR24 address, uint8_t *out, uint16_t count) override {
    ++reads;
    for (uint16_t i = 0; i < count; ++i) {
      auto it = memory.find(Addr24ToPhysical(Addr24Add(address, i)));
      out[i] = it == memory.end() ? 0 : it->second;
    }
    return true;
  }
  std::optional<uint16_t> FindRuntimeRoutine(const char *name) override {
    auto it = routines.find(name);
    return it == routines.end() ? std::nullopt : std::optional<uint16_t>(it->second);
  }
  void ForEachSymbol(const std::function<bool(const SymbolView &)> &visit) override {
    for (const SymbolView &s : symbols)
      if (visit(s))
        return;
  }

  void Poke(uint32_t physical, std::vector<uint8_t> bytes) {
    for (uint8_t b : bytes)
      memory[physical++] = b;
  }
  void PokeWord(uint32_t physical, uint16_t value) { Poke(physical, {uint8_t(value), uint8_t(value >> 8)}); }

  TargetRegisterFrame frame;
  std::map<uint32_t, uint8_t> memory;
  std::map<std::string, uint16_t> routines;
  std::vector<SymbolView> symbols;
  int reads = 0;

private:
  TargetCpu cpu_;
};

} // namespace tsw::testing
