#include "compcore/statement_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// xdata and xstring declarations compiled by the product on the Corvid,
// with extended-memory code at physical 80000.
namespace tsw::testing {
namespace {

constexpr const char *kXmemOrigin = "#xcodorg xc 0x72 0xE000 0x1000 apply\n";

class XdataCompile : public StatementCompileTest {
protected:
  std::string Hex(size_t from, size_t count) {
    const std::vector<uint8_t> image = Image();
    std::string hex;
    for (size_t i = from; i < from + count && i < image.size(); ++i)
      hex += fmt::format("{}{:02X}", hex.empty() ? "" : " ", image[i]);
    return hex;
  }
};

// The image holds physical memory from the root code's 1000 on: the data
// at 80000 stands at 7F000, the name's four bytes at the start.
constexpr size_t kDataAt = 0x7F000;

struct XdataCase {
  const char *what;
  const char *program;
  std::string data;
  std::string name; // the name's bytes: the data's physical address
};

TEST_F(XdataCompile, DeclarationsPlaceTheirBytesAndNameTheirAddress) {
  const std::vector<XdataCase> cases = {
      {"an int and a long, in that order", "xdata t { 1, 0x12345L };", "01 00 45 23 01 00", "00 00 08 00"},
      {"a float as its single bits", "xdata f { 1.5, -2.0 };", "00 00 C0 3F 00 00 00 C0", "00 00 08 00"},
      {"a string keeps its zero", "xdata s { \"ab\", 3 };", "61 62 00 03 00", "00 00 08 00"},
      {"a root variable's address", "int g;\nxdata p { &g };", "FE 3F", "00 00 08 00"},
      // f is placed after the name's four bytes.
      {"a function defined later", "void f(void);\nxdata p { f };\nvoid f(void) { }", "04 10", "00 00 08 00"},
      {"strings, then their addresses; the name holds the table's",
       "xstring x { \"hi\",\n \"yo\" };", "68 69 00 79 6F 00 00 00 08 00 03 00 08 00", "06 00 08 00"},
      {"an empty xstring names a table of no entries", "xstring e { };", "", "00 00 08 00"},
  };
  for (const XdataCase &c : cases) {
    const uint16_t status = CompileAlone(std::string(kXmemOrigin) + "#nodebug\n" + c.program + "\n");
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    const size_t length = (c.data.size() + 1) / 3;
    EXPECT_EQ(Hex(kDataAt, length), c.data) << c.what;
    EXPECT_EQ(Hex(0, 4), c.name) << c.what;
  }
}

// The declaration leaves root code current: the function after it follows
// the name's bytes.
TEST_F(XdataCompile, RootCodeGoesOnAfterTheName) {
  ASSERT_EQ(CompileAlone(std::string(kXmemOrigin) + "#nodebug\nxdata t { 7 };\nint f(void) { return 2; }\n"), 0)
      << ::testing::PrintToString(Records());
  const std::vector<uint8_t> image = Image();
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, std::vector<uint8_t>(image.begin() + 4, image.begin() + 8),
                        {"ld    hl,0002", "ret"}, {}, 0x1004));
}

struct XdataErrorCase {
  const char *what;
  std::string program;
  std::vector<std::string> messages;
};

TEST_F(XdataCompile, MistakesAreReportedAndTheNameHoldsZero) {
  const std::vector<XdataErrorCase> cases = {
      {"the bracket form", "xdata a[3];", {"2055"}},
      {"no list", "xdata a;", {"492"}},
      {"an xstring without its list", "xstring a;", {"492"}},
      {"no semicolon", "xdata a { 1 }\nint b;", {"492"}},
      {"no comma between strings", "xstring a { \"x\" \"y\" };", {"492"}},
      {"a string without its quote", "xstring a { x };", {"492"}},
      {"an element without its separator", "xdata a { 1 2 };", {"492"}},
      {"a value known only at run time", "int g;\nxdata a { g + 1 };", {"427"}},
      {"a pointer constant has no element size", "xdata a { (char *)5 };", {"501"}},
  };
  for (const XdataErrorCase &c : cases) {
    CompileAlone(std::string(kXmemOrigin) + "#nodebug\n" + c.program + "\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

// The 1023rd string is still placed; later ones are dropped.
TEST_F(XdataCompile, AnXstringTakesAtMost1022StringsWithoutComplaint) {
  std::string program = "xstring m {";
  for (int i = 0; i < 1025; ++i)
    program += std::string(i ? "," : "") + "\"s\"";
  program += "};\n";
  CompileAlone("#xcodorg xc 0x72 0xE000 0x2000 apply\n" + program);
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{"614"}) << ::testing::PrintToString(Records());
}

// Four bytes are left in the first origin: the six go on in the one that
// follows it (physical 85000), and the name holds that address.
TEST_F(XdataCompile, DataWithoutRoomGoesOnInTheFollowingOrigin) {
  ASSERT_EQ(CompileAlone("#xcodorg xc 0x72 0xE000 0x4 apply\n#xcodorg xd 0x77 0xE000 0x1000 follows xc\n"
                         "#nodebug\nxdata t { 1, 2, 3 };\n"),
            0)
      << ::testing::PrintToString(Records());
  EXPECT_EQ(Hex(0, 4), "00 50 08 00");
  EXPECT_EQ(Hex(0x85000 - 0x1000, 6), "01 00 02 00 03 00");
}

// An origin four bytes long has no room for six.
TEST_F(XdataCompile, DataWithoutRoomIsReportedAndNotWritten) {
  CompileAlone("#xcodorg xc 0x72 0xE000 0x4 apply\n#nodebug\nxdata t { 1, 2, 3 };\n");
  EXPECT_EQ(MessageNumbers(), std::vector<std::string>{"433"}) << ::testing::PrintToString(Records());
}

} // namespace
} // namespace tsw::testing
