#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_bios.h"
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
  // A kernel whose assembly names its start-up routines as every routine
  // is named ('.' written '_'), its reset first; `more` is assembly of its
  // own behind them.
  static std::string Kernel(const std::string &more) {
    return "#asm\n"
           "reset::\n  nop\n"
           "_startup::\n  ret\n"
           "exit::\n  halt\n"
           "_exit2::\n  halt\n"
           "AUX_STACK_PTR::\n  dw 0\n"
           "AUX_STACK_LIMIT::\n  dw 0\n"
           "STACK_LIMIT::\n  dw 0\n"
           "RST28SWT::\n  dw 0\n"
           "RST28SWT_OFF::\n  db 0\n" +
           more + "#endasm\n";
  }
  // The start-up code of the last compile, decoded.
  std::vector<std::string> StartupCode() {
    const uint16_t stub = MemoryMap().scod_base;
    return DecodeAll(TargetCpu::Z180, ImageAt(stub, MemoryMap().StartupCodeSize), stub);
  }
};

// The three bytes the kernel's RST 30h jumps through.
constexpr const char *kRst30Vector = "vrst30::\n  ret\n  nop\n  nop\n";
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

// On a kernel the program's start-up code calls its start-up routine, sets
// the stack below the extended-memory window and calls main.
TEST_F(Z180Layout, AProgramOnAKernelStartsThroughItsStartUpCode) {
  // Its reset comes first, as in every kernel.
  dir.Write("BIOS.C", Kernel(kRst30Vector));
  BiosFirstFlag() = true;
  const uint16_t status = Compile("#nodebug\nint main(void) { return 0; }\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  const std::vector<std::string> lines = StartupCode();
  ASSERT_FALSE(lines.empty());
  auto has = [&](const std::string &line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("call  0001")) << ::testing::PrintToString(lines);
  EXPECT_TRUE(has("ld    sp,E000"));
  EXPECT_TRUE(has(fmt::format("call  {:04X}", AddressOf("main"))));
}

// A function in extended memory is entered from root code through its root
// bouncer, rst 30h with the function's page and address behind it. The
// start-up code wires RST 30h to the universal bouncer when the program has
// such an entry, and only then, so the kernel's vector is needed only then.
TEST_F(Z180Layout, RootBouncersGetTheirRestartWiredByTheStartUpCode) {
  struct Case {
    const char *name;
    const char *kernelMore;
    const char *program;
    bool bouncer;
    const char *failure; // the one record of a failed compile
  };
  constexpr const char *kXmemCall = "#nodebug\nxmem int f(int a) { return a + 1; }\n"
                                    "int main(void) { return f(2); }\n";
  const Case cases[] = {
      {"an xmem function", kRst30Vector, kXmemCall, true, nullptr},
      {"root functions only, on a kernel without the vector", "",
       "#nodebug\nroot int f(int a) { return a + 1; }\nroot int main(void) { return f(2); }\n", false, nullptr},
      {"an xmem function on a kernel without the vector", "", kXmemCall, true, "[749]"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    // Each case is a board of its own.
    ClearBiosSymbols();
    dir.Write("BIOS.C", Kernel(c.kernelMore));
    BiosFirstFlag() = true;
    const uint16_t status = Compile(c.program);
    if (c.failure) {
      EXPECT_NE(status & kCompileFailedBit, 0);
      const std::vector<std::string> records = Records();
      ASSERT_EQ(records.size(), 1u) << ::testing::PrintToString(records);
      EXPECT_NE(records[0].find(c.failure), std::string::npos) << records[0];
      continue;
    }
    ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
    const uint16_t entry = AddressOf("f");
    const std::vector<uint8_t> bouncer = ImageAt(entry, 4);
    const std::vector<std::string> lines = StartupCode();
    auto at = std::find(lines.begin(), lines.end(), "ld    (hl),C3");
    if (!c.bouncer) {
      EXPECT_EQ(at, lines.end()) << ::testing::PrintToString(lines);
      EXPECT_NE(bouncer.at(0), 0xF7);
      continue;
    }
    // The bouncer names the function's body in its page.
    ASSERT_EQ(bouncer.size(), 4u);
    const uint16_t body = uint16_t(bouncer[2] | bouncer[3] << 8);
    EXPECT_GE(body, ExtWindowStart);
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bouncer, {fmt::format("rst   30h,{:02X}:{:04X}", bouncer[1], body)}, {},
                          entry));
    const uint16_t universal = LabelAddress("_b_all");
    ASSERT_NE(universal, 0);
    ASSERT_NE(at, lines.begin());
    ASSERT_GE(lines.end() - at, 5);
    EXPECT_EQ(std::vector<std::string>(at - 1, at + 5),
              (std::vector<std::string>{fmt::format("ld    hl,{:04X}", LookupBiosSymbol("vrst30", {}).logical), "ld    (hl),C3",
                                        "inc   hl", fmt::format("ld    (hl),{:02X}", universal & 0xFF), "inc   hl",
                                        fmt::format("ld    (hl),{:02X}", universal >> 8)}));
  }
}

} // namespace
} // namespace tsw::testing
