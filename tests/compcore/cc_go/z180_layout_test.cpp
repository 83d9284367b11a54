#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/memorymap.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Where a Z180 compile places its code: the processor has no origin
// directives, so the BIOS starts where the processor does and a program
// behind it, from the page the BIOS's last jump reaches.
namespace tsw::testing {
namespace {

class Z180Layout : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    // Every byte at its own address in the image.
    Output().zeroPadBin = true;
  }
  std::vector<uint8_t> ImageAt(uint16_t address, size_t n) {
    const std::string image = dir.Read("PROG.bin");
    if (image.size() < address + n)
      return {};
    return std::vector<uint8_t>(image.begin() + address, image.begin() + address + n);
  }
  static uint16_t AddressOf(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }
};

constexpr const char *kFunction = "#nodebug\nroot int f(void) { return 3; }\n";

TEST_F(Z180Layout, AProgramAloneHasItsRootCodePlaced) {
  const uint16_t status = Compile(kFunction);
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const uint16_t start = MemoryMap().CodeFreeStart;
  EXPECT_EQ(AddressOf("f"), start);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, ImageAt(start, 4), {"ld    hl,0003", "ret"}, {}, start));
}

TEST_F(Z180Layout, InitializedDataGoesWithTheCode) {
  Compile("int k = 5;\n");
  for (const std::string &record : Records())
    EXPECT_EQ(record.find("[2120]"), std::string::npos) << record;
}

TEST_F(Z180Layout, AProgramFollowsTheBiosFromThePageItsLastJumpReaches) {
  // Three bytes of BIOS, then its jump: the program starts on the page
  // after the next one, where that jump goes.
  dir.Write("BIOS.C", "#asm\nkernel::\n  nop\n  nop\n  nop\n#endasm\n");
  BiosFirstFlag() = true;
  const uint16_t status = Compile(kFunction);
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  constexpr uint16_t kProgramStart = 0x200;
  EXPECT_EQ(MemoryMap().RootCodeOrigin, kProgramStart);
  // The start-up code stands first, where the BIOS jumps; the functions
  // follow it.
  EXPECT_EQ(MemoryMap().scod_base, kProgramStart);
  const uint16_t start = MemoryMap().CodeFreeStart;
  EXPECT_GT(start, kProgramStart);
  EXPECT_EQ(AddressOf("f"), start);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, ImageAt(start, 4), {"ld    hl,0003", "ret"}, {}, start));
}

// A kernel whose assembly names its start-up routines as every routine is
// named ('.' written '_'): the program's start-up code calls them, sets the
// stack below the extended-memory window and calls main.
TEST_F(Z180Layout, AProgramOnAKernelStartsThroughItsStartUpCode) {
  // Its reset comes first, as in every kernel.
  dir.Write("BIOS.C", "#asm\n"
                      "reset::\n  nop\n"
                      "_startup::\n  ret\n"
                      "exit::\n  halt\n"
                      "_exit2::\n  halt\n"
                      "AUX_STACK_PTR::\n  dw 0\n"
                      "AUX_STACK_LIMIT::\n  dw 0\n"
                      "STACK_LIMIT::\n  dw 0\n"
                      "RST28SWT::\n  dw 0\n"
                      "RST28SWT_OFF::\n  db 0\n"
                      "#endasm\n");
  BiosFirstFlag() = true;
  const uint16_t status = Compile("#nodebug\nint main(void) { return 0; }\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const uint16_t stub = MemoryMap().scod_base;
  const std::vector<uint8_t> bytes = ImageAt(stub, MemoryMap().StartupCodeSize);
  ASSERT_FALSE(bytes.empty());
  const std::vector<std::string> lines = DecodeAll(TargetCpu::Z180, bytes, stub);
  auto has = [&](const std::string &line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("call  0001")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(has("ld    sp,E000"));
  EXPECT_TRUE(has(fmt::format("call  {:04X}", AddressOf("main"))));
}

} // namespace
} // namespace tsw::testing
