#include "compcore/cc_er/cc_er.h"
#include "compcore/program_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>

// Assembly that names C: "sizeof" with a C operand, read by the expression
// compiler from the assembler's own line, compiled by the product.
namespace tsw::testing {
namespace {

constexpr const char *kCorvidProgram = "#pragma Corvid\n"
                                       "#rcodorg rc 0 0x1000 0x1000 apply\n"
                                       "#rvarorg rv 0 0xb000 0x1000 apply\n"
                                       "long table[2][3];\n"
                                       "struct point { int x; char y; } origin;\n";

class AsmCOperands : public ProgramCompileTest {
protected:
  uint16_t CompileAlone(const std::string &program) {
    TearDown();
    SetUp();
    return Compile(std::string(kCorvidProgram) + program);
  }
  std::string Image() {
    const std::string image = dir.Read("PROG.bin");
    std::string hex;
    for (size_t i = 0; i < image.size(); ++i)
      hex += fmt::format("{}{:02X}", i ? " " : "", uint8_t(image[i]));
    return hex;
  }
};

TEST_F(AsmCOperands, SizeofGivesTheSizeOfItsCOperand) {
  struct Case {
    const char *block;
    const char *bytes;
  };
  const Case cases[] = {
      {"  ld a,sizeof(int)\n", "3E 02"},
      // The expression goes on after the operand.
      {"  ld a,sizeof(long)+1\n", "3E 05"},
      {"  ld hl,sizeof(table)\n", "21 18 00"},
      {"  ld hl,sizeof(table[1])*2\n", "21 18 00"},
      {"  ld a,sizeof(struct point)\n", "3E 03"},
      {"  ld a,sizeof origin.y $ nop\n", "3E 01 00"},
      // The parenthesis of the memory operand is the assembler's own.
      {"  ld a,(sizeof(int))\n", "3A 02 00"},
      // An operand at the end of its line leaves the next line to the
      // assembler.
      {"  ld b,sizeof table\n  nop\n", "06 18 00"},
  };
  for (const Case &c : cases) {
    const uint16_t status = CompileAlone(std::string("#asm\n") + c.block + "#endasm\n");
    EXPECT_EQ(status, 0) << c.block << ::testing::PrintToString(Records());
    EXPECT_EQ(Image(), c.bytes) << c.block;
  }
}

TEST_F(AsmCOperands, SizeofWithoutACOperandIsReported) {
  for (const char *block : {"  ld a,sizeof\n", "  ld a,sizeof()\n", "  ld a,sizeof(nothing_of_that_name)\n",
                            "  ld a,sizeof 3\n"}) {
    const uint16_t status = CompileAlone(std::string("#asm\n") + block + "#endasm\n");
    EXPECT_NE(status, 0) << block;
    bool reported = false;
    for (const std::string &record : Records())
      reported = reported || record.find("Bad input to sizeof in asm code") != std::string::npos;
    EXPECT_TRUE(reported) << block << ::testing::PrintToString(Records());
  }
}

} // namespace
} // namespace tsw::testing
