#pragma once

#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/codegen_fixture.h"

#include <functional>

// Byte tables of instruction emission: a request on one processor, the
// bytes it emitted decoded for that processor, the messages it raised.
namespace tsw::testing {

struct EmitCase {
  const char *what;
  TargetCpu cpu;
  std::function<void()> request;
  std::vector<std::string> texts;
  std::vector<unsigned> messages = {};
  uint32_t attributes = 0;
  std::vector<DataSpan> data = {};
};

class InstructionsTest : public CodegenTest {
protected:
  static constexpr uint16_t kRootStart = 0x1000;
  static constexpr uint16_t kXmemStart = 0xE000;
  static constexpr uint8_t kXmemSegment = 0x10;

  // Each case starts from a fresh emission state at 1000 in root code (or
  // E000 in extended-memory code).
  void Check(const EmitCase &c) {
    SCOPED_TRACE(c.what);
    ResetInstructionEmission();
    Caches().rootCode->SetEmitAddress(MakeAddr24(0, kRootStart));
    Caches().xmemCode->SetEmitAddress(MakeAddr24(kXmemSegment, kXmemStart));
    writer.runs.clear();
    Caches().currentCode = Caches().rootCode;
    sink.records.clear();
    Attributes().current = c.attributes;
    SetCpu(c.cpu);
    const uint16_t start = Here().logical;
    c.request();
    const std::vector<uint8_t> bytes = Emitted();
    EXPECT_TRUE(DecodesAs(c.cpu, bytes, c.texts, c.data, start));
    EXPECT_EQ(sink.Messages(), c.messages);
  }
  void CheckAll(std::initializer_list<EmitCase> cases) {
    for (const EmitCase &c : cases)
      Check(c);
  }
  static void DataWaits(bool on) {
    Line(on ? "DATAWAITSUSED on" : "DATAWAITSUSED off");
    PragmaDirective();
  }
  // A value held in the registers.
  static ValueRecord InRegisters(uint8_t type, uint32_t declarator = 0) {
    ValueRecord v;
    InitValueRecord(v, kStoragePrimary, type, declarator, nullptr, 0, nullptr, 0, 0);
    return v;
  }
  static ValueRecord CharInA() {
    ValueRecord v = InRegisters(kTypeChar);
    v.SetByteResult(true);
    return v;
  }
  static ValueRecord Global(uint8_t type, uint32_t declarator = 0) {
    ValueRecord v;
    InitValueRecord(v, kStorageGlobal, type, declarator, nullptr, 0, nullptr, 1, 0);
    return v;
  }
};

} // namespace tsw::testing
