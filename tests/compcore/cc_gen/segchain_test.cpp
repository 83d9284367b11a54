#include "compcore/cc_reloc/fixups.h"
#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Segment chains compiled by the product to its image file: the fragments
// and functions a program gives a chain, and the function made of them.
namespace tsw::testing {
namespace {

// A program with a global initialisation starts through premain, which the
// library has; here it stands behind the program's code, ahead of the
// chains.
constexpr const char *kPremain = "\n#asm\npremain::\n ret\n#endasm\n";

struct ChainCase {
  const char *what;
  std::string program;
  std::vector<std::string> listing;
};

class SegChainCompile : public StatementCompileTest {
protected:
  uint32_t LabelValue(const char *name) {
    const BRFixupRec *label = FindGlobalLabel(name);
    return label && label->defined ? label->value : 0;
  }
};

TEST_F(SegChainCompile, ChainFunctionsCallTheirFragmentsAndFunctionsInOrder) {
  const std::vector<ChainCase> cases = {
      {"no chain named: nothing generated", "void f(void) { }", {"ret"}},
      {"an empty chain saves and restores the bank register",
       "#makechain empty\nvoid f(void) { }",
       {"ret", "ld    a,xpc", "push  af", "pop   af", "ld    xpc,a", "ret"}},
      // The fragment comes before the function's entry and ends in its own
      // return; the chain calls it.
      {"a #GLOBAL_INIT section",
       std::string("int g;\nvoid f(void) {\n#GLOBAL_INIT { g = 5; }\n g = 1;\n}") + kPremain,
       {"ld    hl,0005", "ld    (3FFE),hl", "ret", "ld    hl,0001", "ld    (3FFE),hl", "ret", "ret", "ld    a,xpc",
        "push  af", "call  1000", "pop   af", "ld    xpc,a", "ret"}},
      {"sections repeat, each its own fragment, in source order",
       std::string("int g;\nvoid f(void) {\n#GLOBAL_INIT { g = 5; }\n#GLOBAL_INIT g = 6;\n}") + kPremain,
       {"ld    hl,0005", "ld    (3FFE),hl", "ret", "ld    hl,0006", "ld    (3FFE),hl", "ret", "ret", "ret",
        "ld    a,xpc", "push  af", "call  1000", "call  1007", "pop   af", "ld    xpc,a", "ret"}},
      {"a segchain section and a #funcchain function",
       "void f(void) {\nsegchain ticks { f(); }\n}\nvoid h(void) { }\n#funcchain ticks h\n",
       {"call  1004", "ret", "ret", "ret", "ld    a,xpc", "push  af", "call  1000", "call  1005", "pop   af",
        "ld    xpc,a", "ret"}},
  };
  for (const ChainCase &c : cases) {
    const uint16_t status = CompileAlone("#nodebug\n" + c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing)) << c.what;
  }
}

// Upper-case letters sort before lower-case ones: "_GLOBAL_INIT" comes
// before "_loophead" whatever the order they were named in.
TEST_F(SegChainCompile, ChainsAreGeneratedInByteOrderOfTheirNames) {
  ASSERT_EQ(CompileAlone(std::string("#makechain zeta\n#makechain _loophead\n#makechain _GLOBAL_INIT\n#makechain Alpha\n") +
                         kPremain),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<const char *> order = {"Alpha", "_GLOBAL_INIT", "_loophead", "zeta"};
  for (size_t i = 1; i < order.size(); ++i)
    EXPECT_LT(LabelValue(order[i - 1]), LabelValue(order[i])) << order[i - 1] << " before " << order[i];
  // The chains follow the program's only code, premain's return at 1000.
  EXPECT_EQ(LabelValue("premain"), Addr24ToLong(MakeAddr24(0, 0x1000)));
  EXPECT_EQ(LabelValue("Alpha"), Addr24ToLong(MakeAddr24(0, 0x1001)));
}

// The Z180 keeps its bank in CBR, reached through I/O port 38h.
TEST_F(SegChainCompile, AZ180ChainSavesAndRestoresCbr) {
  ASSERT_EQ(Compile("#makechain empty\n"), 0) << ::testing::PrintToString(Records());
  const std::vector<uint8_t> image = Image();
  const std::vector<uint8_t> chain = {0xED, 0x38, 0x38, 0xF5, 0xF1, 0xED, 0x39, 0x38, 0xC9};
  EXPECT_NE(std::search(image.begin(), image.end(), chain.begin(), chain.end()), image.end());
  const uint32_t start = LabelValue("empty");
  ASSERT_NE(start, 0u);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, std::vector<uint8_t>(chain), {"in0   a,(38)", "push  af", "pop   af", "out0  (38),a", "ret"}));
}

// The fragment of a function in extended memory is reached with its page
// selected first: ld a,72h; ld xpc,a; then the long call to 72:E000.
TEST_F(SegChainCompile, AnExtendedMemoryFragmentIsCalledOnItsPage) {
  ASSERT_EQ(CompileAlone("#xcodorg xc 0x72 0xE000 0x1000 apply\n#nodebug\nint g;\n"
                         "xmem void f(void) {\n#GLOBAL_INIT { g = 1; }\n}\n" + std::string(kPremain)),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<uint8_t> image = Image();
  // premain's return, then the chain.
  const std::vector<uint8_t> chain = {0xC9, 0xED, 0x77, 0xF5, 0x3E, 0x72, 0xED, 0x67, 0xCF,
                                      0x00, 0xE0, 0x72, 0xF1, 0xED, 0x67, 0xC9};
  ASSERT_GE(image.size(), chain.size());
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + std::ptrdiff_t(chain.size())), chain);
}

TEST_F(SegChainCompile, AChainNamedLikeAnotherSymbolIsRedeclared) {
  CompileAlone("#nodebug\nvoid ticks(void) { }\n#makechain ticks\n");
  EXPECT_EQ(Reported("491"), 1u) << ::testing::PrintToString(Records());
}

TEST_F(SegChainCompile, ChainDirectivesWithoutTheirNamesAreReported) {
  CompileAlone("#makechain\n#funcchain\n#funcchain ticks\nvoid f(void) {\nsegchain { }\n}\n");
  EXPECT_EQ(MessageNumbers(), (std::vector<std::string>{"2030", "2030", "2048", "2030"}))
      << ::testing::PrintToString(Records());
}

} // namespace
} // namespace tsw::testing
