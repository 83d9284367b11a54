#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/expr_code_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

constexpr uint16_t kIntAt = 0x2000;
constexpr uint16_t kPointerAt = 0x2004;
constexpr uint16_t kArrayAt = 0x2010;
constexpr uint16_t kStructAt = 0x2020;
constexpr uint16_t kStructPointerAt = 0x2030;
constexpr uint16_t kArrayDimensions[] = {4};

struct PostfixCase {
  const char *text;
  std::vector<std::string> listing;
  uint8_t storage;
  uint8_t type;
  uint32_t declarator = 0;
  uint32_t offset = 0;
  std::vector<unsigned> messages = {};
  uint32_t attributes = 0;
};

// Subscripts, members and designators over a small set of globals and
// locals: int g, int *p, int a[4], struct pt { int x; char c; long l; } s
// and *sp, int j on the stack.
class ExprPostfixTest : public ExprCodeTest {
protected:
  void SetUp() override {
    ExprCodeTest::SetUp();
    Global("g", kTypeInt, kIntAt);
    Global("p", kTypeInt, kPointerAt, kLevelPointer);
    Global("a", kTypeInt, kArrayAt, kLevelArray, kArrayDimensions);
    Local("j", kTypeInt, 2);
    point = DeclareStructure("pt", {{"x", kTypeInt, 0}, {"c", kTypeChar, 2}, {"l", kTypeLong, 4}}, 8);
    Global("s", point, kStructAt);
    Global("sp", point, kStructPointerAt, kLevelPointer);
  }
  void Check(const PostfixCase &c) {
    SCOPED_TRACE(c.text);
    Attributes().current = c.attributes;
    ValueRecord value;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, CompileAt(TargetCpu::Z180, c.text, value), c.listing));
    EXPECT_EQ(value.storage, c.storage);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.declarator, c.declarator);
    if (value.storage != kStoragePrimary) {
      EXPECT_EQ(value.value, c.offset);
    }
    EXPECT_EQ(sink.Messages(), c.messages);
    EXPECT_EQ(InputCursor, std::string_view(""));
  }
  uint8_t point = 0;
};

TEST_F(ExprPostfixTest, SubscriptsReachTheirElement) {
  const PostfixCase cases[] = {
      // A constant index into an array at a known place: no code at all.
      {"a[2]", {}, kStorageGlobal, kTypeInt, 0, 4},
      {"a[j]", {"ld    hl,0002", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a", "add   hl,hl", "ex    de,hl", "ld    hl,2010", "add   hl,de"}, kStoragePrimary, kTypeInt},
      {"p[1]", {"ld    hl,(2004)", "inc   hl", "inc   hl"}, kStoragePrimary, kTypeInt},
      {"p[j]", {"ld    hl,0002", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a", "add   hl,hl", "ex    de,hl", "ld    hl,(2004)", "add   hl,de"}, kStoragePrimary, kTypeInt},
      {"a[4]", {}, kStorageGlobal, kTypeInt, 0, 8, {kMsgIndexOutOfBounds}},
      {"g[1]", {}, kStorageGlobal, kTypeInt, 0, 0, {kMsgNotSubscriptable}},
      // With run-time index checking an index at or above the bound, or
      // negative, calls the handler.
      {"a[j]", {"ld    hl,0002", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a", "ex    de,hl", "ld    hl,FFFC", "add   hl,de", "ex    de,hl", "call  c,0000", "add   hl,hl",
        "ex    de,hl", "ld    hl,2010", "add   hl,de"}, kStoragePrimary, kTypeInt, 0, 0, {}, kAttrIndexCheck},
      // A pointer has no bound to check.
      {"p[j]", {"ld    hl,0002", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a", "add   hl,hl", "ex    de,hl", "ld    hl,(2004)", "add   hl,de"}, kStoragePrimary, kTypeInt, 0, 0, {},
       kAttrIndexCheck},
  };
  for (const PostfixCase &c : cases)
    Check(c);
}

TEST_F(ExprPostfixTest, MembersTakeTheirOffsetAndType) {
  const PostfixCase cases[] = {
      {"s.x", {}, kStorageGlobal, kTypeInt, 0, 0},
      {"s.l", {}, kStorageGlobal, kTypeLong, 0, 4},
      {"sp->c", {"ld    hl,(2030)", "inc   hl", "inc   hl"}, kStoragePrimary, kTypeChar},
      {"sp->x", {"ld    hl,(2030)"}, kStoragePrimary, kTypeInt},
      {"(*sp).l", {"ld    hl,(2030)", "ld    de,0004", "add   hl,de"}, kStoragePrimary, kTypeLong},
      {"s.y", {}, kStorageGlobal, point, 0, 0, {kMsgNoSuchMember}},
      {"g.x", {}, kStorageGlobal, kTypeInt, 0, 0, {kMsgNoSuchMember}},
  };
  for (const PostfixCase &c : cases)
    Check(c);
}

TEST_F(ExprPostfixTest, AFunctionNamedWithoutACallIsItsAddress) {
  SymbolRecord *f = Global("f", kTypeInt, 0x3000, kLevelFunction);
  SymbolRecord *far = Global("far", kTypeInt, 0xE100, kLevelFunction);
  const PostfixCase cases[] = {
      {"f", {}, kStorageGlobal, kTypeInt, 0x31},
      {"far", {}, kStorageGlobal, kTypeInt, 0x31},
  };
  for (const PostfixCase &c : cases)
    Check(c);
  EXPECT_EQ(f->flagsC & 1, 1) << "marked as having its address taken";
  EXPECT_EQ(far->flagsC & 1, 1);

  // Without stubs a function in the window cannot be pointed at from root.
  CodeGenSetup().noBouncers = false;
  Check({"far", {}, kStorageGlobal, kTypeInt, 0x31, 0, {kMsgFunctionAddressInXmem}});
  Check({"f", {}, kStorageGlobal, kTypeInt, 0x31});
  CodeGenSetup().noBouncers = true;
}

} // namespace
} // namespace tsw::testing
