#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "runner/process.h"
#include "runner/simulator.h"
#include "support/tempdir.h"

// An #asm block compiled by the product and run on the Z180 simulator: the
// assembler's bytes do what the instructions say.
namespace tsw::target {
namespace {

using tsw::testing::TempDir;

const std::string kTswcc = TSW_TSWCC;

// Root code at 0, where the simulator starts, and Z180 instructions.
constexpr const char *kPlacement = "#pragma Corvid\n#rcodorg rc 0 0x0000 0x2000 apply\n#pragma Zilog180\n";
constexpr uint32_t kResults = 0x9000;

TEST(AsmExecution, AnAssembledBlockComputesWhatItSays) {
  TempDir dir;
  const std::string libDir = dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
  dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
  const std::string source = dir.Write(
      "prog.c", std::string(kPlacement) + "#asm\n"
                                          "  ld sp,0\n" // the top of memory, where the simulator wants the stack
                                          "  jr start\n"
                                          "twice:: add hl,hl\n"
                                          "  ret\n"
                                          "start:\n"
                                          "  ld hl,0 $ ld de,0 $ ld b,10\n"
                                          "sum: ld e,b\n"
                                          "  add hl,de\n"
                                          "  djnz sum\n"
                                          "  call twice\n"
                                          "  ld (9000h),hl\n"
                                          "  ld bc,0305h\n"
                                          "  mlt bc\n"
                                          "  ld (9002h),bc\n"
                                          "  ld ix,9010h\n"
                                          "  ld (ix+2),7Fh\n"
                                          "  ld a,(ix+2)\n"
                                          "  inc a\n"
                                          "  ld (9004h),a\n"
                                          "  push bc $ pop de $ ex de,hl\n"
                                          "  ld (9005h),hl\n"
                                          "  ld a,1 $ rlca $ rlca $ ld (9007h),a\n"
                                          "  ld a,0F0h $ and 3Ch $ or 1 $ xor 80h $ ld (9008h),a\n"
                                          "  ld a,5 $ cp 5 $ jr nz,done\n"
                                          "  ld a,0AAh $ ld (9009h),a\n"
                                          "done: call late\n"
                                          "  ld (900Ah),a\n"
                                          "  jp finish\n"
                                          "late: ld a,5Ah\n"
                                          "  ret\n"
                                          "finish: halt\n"
                                          "#endasm\n");
  const ProcessOutcome compiled = RunProcess({kTswcc, "-cpu", "corvid", "-lib", libDir, "-o", dir / "out", source},
                                             std::chrono::seconds(30), dir.path());
  ASSERT_EQ(compiled.exitCode, 0) << compiled.output;
  SimulatorRequest request;
  request.hexImage = (std::filesystem::path(dir.path()) / "out" / "prog.hex").string();
  request.dumps.push_back({kResults, 11});
  const SimulatorRun run = RunOnSimulator(request);
  ASSERT_EQ(run.stop, SimStop::Halted) << run.log;
  const auto results = run.Read(kResults, 11);
  ASSERT_TRUE(results.has_value()) << run.log;
  // 2 * (1 + ... + 10), 3 * 5, 7Fh + 1, the product moved to hl, 1 rotated
  // twice, the logic chain, the taken compare, and what a call to a label
  // placed later returned.
  EXPECT_EQ(*results, (std::vector<uint8_t>{0x6E, 0x00, 0x0F, 0x00, 0x80, 0x0F, 0x00, 0x04, 0xB1, 0xAA, 0x5A}));
}

} // namespace
} // namespace tsw::target
