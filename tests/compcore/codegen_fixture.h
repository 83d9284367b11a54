#pragma once

#include "compcore/byte_road_fixture.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/recording_upcalls.h"

// A code-generator test: the byte road of a fresh compiler, the layer above
// instruction emission faked, and the bytes emitted since the test began.
namespace tsw::testing {

class CodegenTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    AllocateSymbolTables(kSymbolLimit);
    Origin("code 0 0x1000 0x1000 apply", Caches().rootCode);
    Origin("xcode 0x10 0xE000 0x1000 apply", Caches().xmemCode, 2);
    Caches().currentCode = Caches().rootCode;
    upcalls = std::make_unique<RecordingUpcalls>();
    writer.runs.clear();
  }
  void TearDown() override {
    upcalls.reset();
    ByteRoadTest::TearDown();
  }

  static void SetCpu(TargetCpu cpu) {
    CodeGenSetup().cpu = cpu;
  }
  // Later requests emit into extended-memory code at E000.
  static void EmitIntoXmem() { Caches().currentCode = Caches().xmemCode; }
  static ADDR24 Here() { return Caches().currentCode->Current(); }

  // Everything emitted so far, in address order; forgets it for the next
  // request.
  std::vector<uint8_t> Emitted() {
    Caches().currentCode->Flush();
    std::vector<uint8_t> bytes;
    for (const testing::Run &run : writer.runs)
      bytes.insert(bytes.end(), run.bytes.begin(), run.bytes.end());
    writer.runs.clear();
    return bytes;
  }

  static constexpr uint16_t kSymbolLimit = 600;
  std::unique_ptr<RecordingUpcalls> upcalls;
};

} // namespace tsw::testing
