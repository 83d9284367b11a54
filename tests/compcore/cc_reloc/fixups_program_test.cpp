// References that wait for a definition later in the program, compiled by
// the product: what the definition finds when it resolves them.
#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

using LaterDefinitions = StatementCompileTest;

// A long call with a page of its own reaches its target on that page; when
// the target turns out to lie in the extended-memory window the user is
// told, at the call's line, and the call keeps the page written.
TEST_F(LaterDefinitions, ALongCallToALabelPlacedInTheWindowIsWarnedAtItsLine) {
  const std::string program = "#xcodorg xc 0x10 0xE000 0x1000 apply\n"
                              "#asm\n"
                              " lcall 3,later\n"
                              " lcall 3,rooted\n"
                              "rooted::\n"
                              " ret\n"
                              "#endasm\n"
                              "xmem void f(void) {\n"
                              "#asm\n"
                              "later::\n"
                              " nop\n"
                              "#endasm\n"
                              "}\n";
  CompileAlone("#nodebug\n" + program);
  // Line 1 of the program is its fifth: the placement lines and #nodebug
  // come first.
  EXPECT_EQ(Records(), std::vector<std::string>{dir / "PROG.C" + ":8:W|PROG.C|[547]"});
  const std::vector<uint8_t> image = Image();
  ASSERT_GE(image.size(), 9u);
  const uint16_t later = LabelAddress("later");
  EXPECT_EQ(later, 0xE000);
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 9),
            (std::vector<uint8_t>{0xCF, uint8_t(later), uint8_t(later >> 8), 0x03, 0xCF, 0x08, 0x10, 0x03, 0xC9}));
}

} // namespace
} // namespace tsw::testing
