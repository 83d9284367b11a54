#include "compcore/cc_go/compile.h"
#include "compcore/cc_rom/brk_table.h"
#include "foundation/msgnumbers.h"
#include "compcore/program_compile_fixture.h"
#include "support/tempdir.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

// #asm blocks of whole programs, compiled by the product to its image file:
// the block's lines reach the assembler through the compile loop with their
// directives, comments and source lines.
namespace tsw::testing {
namespace {

class AsmBlockCompile : public ProgramCompileTest {
protected:
  std::string Image(size_t n) {
    const std::string image = dir.Read("PROG.bin");
    std::string hex;
    for (size_t i = 0; i < std::min(n, image.size()); ++i)
      hex += fmt::format("{}{:02X}", i ? " " : "", uint8_t(image[i]));
    return hex;
  }
};

constexpr const char *kCorvidRoot = "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n";

TEST_F(AsmBlockCompile, BlockLinesAssembleIntoTheImage) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#asm\n"
                                                             "  ld a,1 $ nop   ; a comment\n"
                                                             "\n"
                                                             "#define THREE 3\n"
                                                             "here::\n"
                                                             "  ld b,THREE\n"
                                                             "  jr here\n"
                                                             "#endasm\n");
  EXPECT_EQ(status, 0) << ::testing::PrintToString(Records());
  EXPECT_EQ(Image(7), "3E 01 00 06 03 18 FC");
  // Each statement that emitted code starts at its own position, for the
  // debugger's steps and breakpoints.
  struct Position {
    uint16_t address, line;
    uint8_t column;
  };
  for (const Position &p : {Position{0x1000, 4, 3}, Position{0x1002, 4, 12}, Position{0x1003, 8, 3},
                            Position{0x1005, 9, 3}}) {
    uint16_t line = 0;
    uint8_t column = 0;
    std::string file;
    ASSERT_TRUE(FindSourceForAddress(MakeAddr24(0, p.address), line, column, file)) << p.address;
    EXPECT_EQ(line, p.line) << p.address;
    EXPECT_EQ(column, p.column) << p.address;
  }
}

TEST_F(AsmBlockCompile, AnErrorNamesTheLineAndColumnOfItsToken) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#asm\n"
                                                             "  nop\n"
                                                             "  ld a,(ix+200)\n"
                                                             "#endasm\n");
  EXPECT_NE(status, 0);
  ASSERT_EQ(Records().size(), 1u) << ::testing::PrintToString(Records());
  const sError &error = *ErrorListHead();
  EXPECT_NE(error.text.find("[765]"), std::string::npos) << error.text;
  EXPECT_EQ(error.line, 5);
  // The displacement, its sign included, counted from the line's first character.
  EXPECT_EQ(error.column, 11);
}

TEST_F(AsmBlockCompile, ABlockWithoutEndasmIsReported) {
  const uint16_t status = Compile(std::string(kCorvidRoot) + "#asm\n  nop\n");
  EXPECT_NE(status, 0);
  EXPECT_FALSE(Records().empty());
}

} // namespace
} // namespace tsw::testing
