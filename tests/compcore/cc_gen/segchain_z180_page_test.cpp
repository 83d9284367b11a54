#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// On the Z180 a chain reaches a fragment in extended memory by putting its
// page into CBR (I/O port 38h) and calling its window address; the bank its
// caller ran on comes back after the last fragment.
namespace tsw::testing {
namespace {

class SegChainZ180Page : public StatementCompileTest {};

TEST_F(SegChainZ180Page, AnExtendedMemoryFragmentIsCalledWithItsPageInCbr) {
  ASSERT_EQ(Compile("#nodebug\nint g;\nxmem void f(void) {\n#GLOBAL_INIT { g = 1; }\n}\n"
                    "#asm\npremain::\n ret\n#endasm\n"),
            0)
      << ::testing::PrintToString(Records());
  const BRFixupRec *chain = FindGlobalLabel("_GLOBAL_INIT");
  ASSERT_TRUE(chain && chain->defined);
  const ADDR24 start = Addr24FromLong(chain->value);
  constexpr uint32_t kChainBytes = 17;
  std::vector<uint8_t> bytes(kChainBytes);
  ASSERT_TRUE(ReadEmittedBytes(start, kChainBytes, bytes.data()));
  // With the default configuration extended-memory code begins at E000 on
  // page 7E, and the fragment is its first code.
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes,
                        {"in0   a,(38)", "push  af", "ld    a,7E", "out0  (38),a", "call  E000", "pop   af",
                         "out0  (38),a", "ret"},
                        {}, start.logical));
}

} // namespace
} // namespace tsw::testing
