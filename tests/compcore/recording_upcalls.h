#pragma once

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/routine_contracts.h"
#include "compcore/cc_gen/value_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Stands in for the layer above instruction emission: records what was
// asked of it in order and emits a call or jump with a zero address, so the
// bytes around it still decode. A routine named without a contract row
// fails the test that named it.
namespace tsw::testing {

class RecordingUpcalls : public CodegenUpcalls {
public:
  RecordingUpcalls() { SetCodegenUpcalls(this); }
  ~RecordingUpcalls() override { SetCodegenUpcalls(nullptr); }

  // A lookup for a call the emitter makes itself names the routine as well.
  ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t, uint8_t opcode) override {
    events.push_back("lookup " + std::string(name));
    if (opcode == kCall)
      NameRoutine(name);
    return {};
  }
  uint32_t EmitCallNamedRoutine(std::string_view name) override {
    Routine("call ", name, kCall);
    return 0;
  }
  void EmitJumpNamedRoutine(std::string_view name) override { Routine("jump ", name, kJump); }
  void FlushPrimaryRegister() override { events.push_back("flush"); }
  void FlushPrimaryRegisterHolding(Reg pair) override {
    events.push_back("flush if in " + std::to_string(RegIndex(pair)));
  }
  void LoadOperandToValueRegister(ValueRecord &value) override {
    events.push_back("load value");
    value.storage = kStoragePrimary;
    value.SetLvalue(false);
  }
  void LoadOperandAddressIntoHL(ValueRecord &value) override {
    events.push_back("load address");
    value.storage = kStoragePrimary;
    value.SetLvalue(true);
  }
  void PopOperandToValueRegister(ValueRecord &value) override {
    events.push_back("pop value");
    value.storage = kStoragePrimary;
  }

  // Every routine named by a call or jump, in order, and where its opcode
  // stands.
  std::vector<std::string> routines;
  std::vector<ADDR24> sites;
  std::vector<std::string> events;

private:
  static constexpr uint8_t kCall = 0xCD;
  static constexpr uint8_t kJump = 0xC3;
  void NameRoutine(std::string_view name) {
    routines.emplace_back(name);
    sites.push_back(Caches().currentCode->Current());
    if (!FindRoutineContract(name))
      ADD_FAILURE() << "run-time routine \"" << name << "\" has no contract row";
  }
  void Routine(const char *what, std::string_view name, uint8_t opcode) {
    NameRoutine(name);
    events.push_back(what + std::string(name));
    EmitCodeByte(opcode);
    EmitWord(0);
  }
};

} // namespace tsw::testing
