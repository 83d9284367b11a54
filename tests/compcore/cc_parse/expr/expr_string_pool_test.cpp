#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Each function's string literals lie in a pool of their own, emitted
// behind the function: the configured pool size bounds one function's
// literals, not the program's, and every literal's address holds its text.
namespace tsw::testing {
namespace {

class StringPoolTest : public StatementCompileTest {
protected:
  void SetUp() override {
    StatementCompileTest::SetUp();
    // Room for one six-byte literal and its neighbour's first bytes only.
    dir.Write("tsw.cfg", "lit   = 12\n");
  }
  // The bytes of the image at a logical address of the root code.
  std::string TextAt(uint16_t address) {
    const std::vector<uint8_t> image = Image();
    std::string text;
    for (size_t at = size_t(address - 0x1000); at < image.size() && image[at] != 0; ++at)
      text += char(image[at]);
    return text;
  }
  // The address operand of each "ld hl,nnnn" (21 nn nn) in the image.
  std::vector<uint16_t> LoadedAddresses() {
    const std::vector<uint8_t> image = Image();
    std::vector<uint16_t> addresses;
    for (size_t at = 0; at + 2 < image.size(); ++at)
      if (image[at] == 0x21 && image[at + 2] >= 0x10 && image[at + 2] < 0x20)
        addresses.push_back(uint16_t(image[at + 1] | image[at + 2] << 8));
    return addresses;
  }
};

TEST_F(StringPoolTest, EachFunctionStartsWithAnEmptyPool) {
  struct Case {
    const char *what;
    const char *functions;
    std::vector<std::string> messages;
    std::vector<std::string> texts;
  } cases[] = {
      {"one literal in each of two functions",
       "void f(void) { p = \"hello\"; }\nvoid g(void) { p = \"world\"; }\nvoid h(void) { p = \"again\"; }", {},
       {"hello", "world", "again"}},
      {"two literals in one function", "void f(void) { p = \"hello\"; p = \"world\"; }", {"456"}, {}},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileAlone(std::string("#nodebug\nchar *p;\n") + c.functions) != 0, !c.messages.empty())
        << c.what << ::testing::PrintToString(Records());
    EXPECT_EQ(MessageNumbers(), c.messages) << c.what;
    if (c.texts.empty())
      continue;
    std::vector<std::string> texts;
    for (uint16_t address : LoadedAddresses())
      texts.push_back(TextAt(address));
    EXPECT_EQ(texts, c.texts) << c.what << " " << HexBytes(Image());
  }
}

} // namespace
} // namespace tsw::testing
