#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compcore/byte_road_fixture.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_attrs.h"
#include "runner/routine_harness.h"
#include "support/tempdir.h"

// Function entries and exits run on the simulator: whatever the function
// did to its register variables and its frame, the caller gets its stack,
// its register variables and the function's value back.
namespace tsw::testing {
namespace {

using target::AsmRun;
using target::RunAsmCases;

constexpr uint16_t kAreaEnd = 0x9010;
constexpr uint16_t kReturned = 0x1234;
constexpr uint16_t kClobber = 0x5555;
constexpr uint16_t kArgument = 0xBEEF;
constexpr uint16_t kArgumentSeen = 0x9100;

struct FrameRun {
  const char *what;
  uint32_t attributes;
  uint16_t locals;
  uint16_t registers;
};

class FrameExecutionTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    Origin("rc 0 0x1000 0x4000 apply", Caches().rootCode);
    SelectTargetCpu(TargetCpu::Z180);
  }
  void TearDown() override {
    Attributes().current = 0;
    ByteRoadTest::TearDown();
  }

  // The function: entry, a body that overwrites every byte of the register
  // area and of the locals, then its value, then the exit.
  std::vector<uint8_t> Function(const FrameRun &f) {
    writer.runs.clear();
    Caches().rootCode->SetEmitAddress(MakeAddr24(0, 0x1000));
    Caches().currentCode = Caches().rootCode;
    Attributes().current = f.attributes;
    StaticRegisterArea() = {true, kAreaEnd};
    {
      FunctionProlog prolog(f.locals, f.registers);
    }
    // The entry must leave the argument in HL: the body notes it.
    Body({0x22, uint8_t(kArgumentSeen), uint8_t(kArgumentSeen >> 8)}); // ld (seen),hl
    Body({0x21, uint8_t(kClobber), uint8_t(kClobber >> 8)});
    for (uint16_t at = uint16_t(kAreaEnd - f.registers); at < kAreaEnd; ++at)
      Body({0x22, uint8_t(at), uint8_t(at >> 8)}); // ld (at),hl
    Body({0x21, uint8_t(kReturned), uint8_t(kReturned >> 8)});
    {
      FunctionEpilog epilog(true);
    }
    Caches().rootCode->Flush();
    std::vector<uint8_t> bytes;
    for (const tsw::testing::Run &run : writer.runs)
      bytes.insert(bytes.end(), run.bytes.begin(), run.bytes.end());
    return bytes;
  }
  static void Body(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
      EmitCodeByte(b);
  }
};

TEST_F(FrameExecutionTest, CallerGetsItsStackRegisterVariablesAndTheValueBack) {
  const FrameRun runs[] = {
      {"locals only", 0, 4, 0},
      {"IX frame", kAttrUseIx, 6, 0},
      {"register area by words", 0, 2, 6},
      {"odd register area", kAttrUseIx, 0, 3},
      {"register area by block", 0, 2, 9},
      {"register area by block with IX", kAttrUseIx, 4, 8},
  };
  std::string library;
  std::vector<std::string> cases;
  for (size_t i = 0; i < std::size(runs); ++i) {
    const FrameRun &f = runs[i];
    library += fmt::format("func{}:\n", i);
    for (uint8_t b : Function(f))
      library += fmt::format("\t.db {:#04x}\n", b);
    std::string text;
    // A known pattern in the register area, the argument in HL, IX and SP
    // noted; then the call, and what came back.
    for (uint16_t at = uint16_t(kAreaEnd - 16); at < kAreaEnd; ++at)
      text += fmt::format("\tld a,#{:#04x}\n\tld ({:#06x}),a\n", uint8_t(at), at);
    text += "\tld ix,#0x1DD1\n";
    text += fmt::format("\tld hl,#{:#06x}\n\tld (OUT+2),sp\n\tcall func{}\n\tld (OUT+4),sp\n\tld (OUT),hl\n", kArgument, i);
    text += "\tld (OUT+6),ix\n";
    text += fmt::format("\tld hl,({:#06x})\n\tld (OUT+24),hl\n", kArgumentSeen);
    for (uint16_t k = 0; k < 16; ++k)
      text += fmt::format("\tld a,({:#06x})\n\tld (OUT+{}),a\n", uint16_t(kAreaEnd - 16 + k), 8 + k);
    cases.push_back(text);
  }
  TempDir dir;
  AsmRun run = RunAsmCases(library, cases, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t i = 0; i < std::size(runs); ++i) {
    SCOPED_TRACE(runs[i].what);
    const std::vector<uint8_t> &b = run.blocks[i];
    auto word = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    EXPECT_EQ(word(0), kReturned);
    EXPECT_EQ(word(4), word(2)) << "the stack as the caller left it";
    EXPECT_EQ(word(6), 0x1DD1) << "IX kept";
    EXPECT_EQ(word(24), kArgument) << "the argument reached the body";
    for (uint16_t k = 0; k < 16; ++k)
      EXPECT_EQ(b[8 + k], uint8_t(kAreaEnd - 16 + k)) << "register area byte " << k;
  }
}

} // namespace
} // namespace tsw::testing
