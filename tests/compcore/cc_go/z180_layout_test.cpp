#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/memorymap.h"

#include <gtest/gtest.h>

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

constexpr const char *kFunction = "#nodebug\nint f(void) { return 3; }\n";

TEST_F(Z180Layout, AProgramAloneHasItsRootCodePlaced) {
  const uint16_t status = Compile(kFunction);
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const uint16_t start = MemoryMap().CodeFreeStart;
  EXPECT_EQ(AddressOf("f"), start);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, ImageAt(start, 4), {"ld    hl,0003", "ret"}, {}, start));
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

} // namespace
} // namespace tsw::testing
