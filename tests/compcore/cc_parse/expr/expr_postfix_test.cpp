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

namespace tsw::testing {
namespace {

struct IntrinsicCase {
  const char *text;
  TargetCpu cpu;
  std::vector<std::string> listing;
  uint8_t storage;
  uint8_t type;
  std::vector<unsigned> messages = {};
};

TEST_F(ExprPostfixTest, IntrinsicsCompileTheirArgumentsAndOperation) {
  SymbolRecord *worker = Global("worker", kTypeInt, 0x3000, kLevelFunction);
  // Three instances: bits 7-12 of the attribute word flags A and B form.
  const uint16_t attributes = uint16_t(SymbolAttributeWord(*worker) | 3 << 7);
  worker->flagsA = uint8_t(attributes);
  worker->flagsB = uint8_t(attributes >> 8);
  const IntrinsicCase cases[] = {
      {"BIT(&g, 3)", TargetCpu::Z180, {"ld    hl,2000", "bit   3,(hl)", "ld    hl,0000", "jr    z,100B", "inc   hl"}, kStoragePrimary, kTypeUnsigned},
      {"SET(&g, 0)", TargetCpu::Z180, {"ld    hl,2000", "set   0,(hl)"}, kStoragePrimary, kTypeVoid},
      {"res(&g, 7)", TargetCpu::Z180, {"ld    hl,2000", "res   7,(hl)"}, kStoragePrimary, kTypeVoid},
      {"CofuncMaxInstance(worker)", TargetCpu::Z180, {}, kStorageConstant, kTypeInt},
      {"CofuncMaxInstance(g)", TargetCpu::Z180, {}, kStorageConstant, kTypeInt, {kMsgBadInstanceArgument}},
      {"ipset(2)", TargetCpu::Corvid, {"ipset 2"}, kStoragePrimary, kTypeVoid},
      {"ipres()", TargetCpu::Corvid, {"ipres"}, kStoragePrimary, kTypeVoid},
  };
  for (const IntrinsicCase &c : cases) {
    SCOPED_TRACE(c.text);
    ValueRecord value;
    EXPECT_TRUE(DecodesAs(c.cpu, CompileAt(c.cpu, c.text, value), c.listing));
    EXPECT_EQ(value.storage, c.storage);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.intrinsic, 0u);
    EXPECT_EQ(sink.Messages(), c.messages);
    EXPECT_EQ(InputCursor, std::string_view(""));
  }
  ValueRecord value;
  CompileAt(TargetCpu::Z180, "CofuncMaxInstance(worker)", value);
  EXPECT_EQ(value.value, 3u);
}

TEST_F(ExprPostfixTest, IntrinsicNamesGiveWayToDeclaredNames) {
  Global("set", kTypeInt, 0x2040);
  ValueRecord value;
  CompileAt(TargetCpu::Z180, "set", value);
  EXPECT_EQ(value.storage, kStorageGlobal);
  // ipset is the Corvid's only.
  CompileAt(TargetCpu::Z180, "ipset", value);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgUndeclaredName});
}

TEST_F(ExprPostfixTest, UndeclaredNamesFindBiosRegisters) {
  AddBiosSymbol("CNTLA0", MakeAddr24(0, 0x0000));
  AddBiosSymbol("IOP_PADDR", MakeAddr24(0, 0x0140));
  AddBiosSymbol("farAway", MakeAddr24(0, 0x4000));
  struct Case {
    const char *text;
    uint32_t value;
    std::vector<unsigned> messages;
  } cases[] = {
      {"CNTLA0", 0, {}},
      {"PADDR", 0x140, {}},
      {"farAway", 0, {kMsgUndeclaredName}},
      {"nowhere", 0, {kMsgUndeclaredName}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ValueRecord value;
    EXPECT_TRUE(CompileAt(TargetCpu::Z180, c.text, value).empty());
    EXPECT_EQ(value.storage, kStorageConstant);
    EXPECT_EQ(value.type, kTypeUnsigned);
    EXPECT_EQ(value.value, c.value);
    EXPECT_EQ(sink.Messages(), c.messages);
  }
}

} // namespace
} // namespace tsw::testing
