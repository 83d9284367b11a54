#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// A program compiled on the BIOS compiled before it in the same request:
// a segment chain both define goes on from the BIOS's into the program's,
// so that calling the name runs the BIOS's fragments, then the program's.
namespace tsw::testing {
namespace {

class BiosChainLink : public ProgramCompileTest {
protected:
  std::vector<uint8_t> Emitted(ADDR24 at, uint32_t n) {
    std::vector<uint8_t> bytes(n);
    if (!ReadEmittedBytes(at, n, bytes.data()))
      return {};
    return bytes;
  }
};

struct Case {
  const char *what;
  TargetCpu cpu;
  const char *biosSetup;
  const char *programSetup;
  // The chain's prefix, where the BIOS's jump lands behind.
  std::vector<uint8_t> prefix;
};

// The BIOS has its own frame routines, which no library gives it.
constexpr const char *kBiosWithAChain = "#asm\nreset::\n  nop\n#endasm\nint b;\n"
                                        "root void kernel_init(void) {\n#GLOBAL_INIT { b = 1; }\n}\n"
                                        "#asm\nsspixffn_::\nrspixffn_::\n  ret\n#endasm\n";
// With the start through the chain, which no library gives here.
constexpr const char *kProgramWithAChain = "#nodebug\nint g;\n"
                                           "root void init(void) {\n#GLOBAL_INIT { g = 2; }\n}\n"
                                           "int main(void) { return g; }\n"
                                           "#asm\npremain::\n  call _GLOBAL_INIT\n  jp main\n#endasm\n";

TEST_F(BiosChainLink, TheBiosChainEndsInAJumpIntoTheProgramsBehindItsPrefix) {
  const Case cases[] = {
      {"Z180: jp, root code needs no page", TargetCpu::Z180, "", "", {0xED, 0x38, 0x38, 0xF5}},
      {"Corvid: ljp to the program chain's page",
       TargetCpu::Corvid,
       "#pragma Corvid\n#rcodorg rootcode 0 0x0000 0x6000 apply\n#rvarorg rootdata 0 0xCFFF 0x1000 apply\n",
       "#pragma Corvid\n",
       {0xED, 0x77, 0xF5}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    dir.Write("BIOS.C", std::string(c.biosSetup) + kBiosWithAChain);
    BiosFirstFlag() = true;
    const uint16_t status = Compile(std::string(c.programSetup) + kProgramWithAChain);
    ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
    // The BIOS's chain: its prefix, the call of its one fragment, then
    // what was its epilog.
    const ADDR24 bios = LookupBiosSymbol("_GLOBAL_INIT", ADDR24{});
    ASSERT_NE(Addr24ToLong(bios), 0u);
    const ADDR24 end = Addr24Add(bios, int32_t(c.prefix.size() + 3));
    const std::vector<uint8_t> link = Emitted(end, c.cpu == TargetCpu::Corvid ? 4 : 3);
    ASSERT_FALSE(link.empty());
    ADDR24 target{};
    if (c.cpu == TargetCpu::Corvid) {
      ASSERT_EQ(link[0], 0xC7) << ::testing::PrintToString(link);
      target = MakeAddr24(link[3], uint16_t(link[1] | link[2] << 8));
    } else {
      ASSERT_EQ(link[0], 0xC3) << ::testing::PrintToString(link);
      target = MakeAddr24(0, uint16_t(link[1] | link[2] << 8));
    }
    // Behind the program chain's own prefix: the call of its fragment,
    // then its epilog.
    const int32_t prefix = int32_t(c.prefix.size());
    EXPECT_EQ(Emitted(Addr24Add(target, -prefix), uint32_t(prefix)), c.prefix);
    const std::vector<std::string> lines = DecodeAll(c.cpu, Emitted(target, 4), target.logical);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("call", 0), 0u) << ::testing::PrintToString(lines);
    // The name stays the BIOS's: the program calls the BIOS's chain.
    const SymbolRecord *own = LookupSymbol("_GLOBAL_INIT", false, SymbolTableId::kGlobal);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->address, Addr24ToLong(bios));
    ResetCompiler();
    SetUp();
  }
}

} // namespace
} // namespace tsw::testing
