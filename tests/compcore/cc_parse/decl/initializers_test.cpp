#include "compcore/cc_gen/origins.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

using ByteList = std::vector<uint8_t>;

// Root code from 1000, where the Corvid also lays its data; root
// variables down from 3FFF.
constexpr const char *kCorvidRoot =
    "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n#memmap root\n";

// Initialized objects compiled through CompileFile by the compiler the
// product assembles; their bytes are read back where the symbol says they
// lie.
class Initializers : public ProgramCompileTest {
protected:
  // The message numbers the compile recorded, in order.
  std::vector<unsigned> Messages() {
    std::vector<unsigned> numbers;
    for (const std::string &r : Records()) {
      const size_t open = r.rfind('[');
      if (open != std::string::npos)
        numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
    }
    return numbers;
  }
  // Origins outlive a program compile (the BIOS's stay for the session):
  // each case defines its own afresh.
  void CompileCorvid(const std::string &declarations) {
    ClearOriginTable();
    Compile(std::string(kCorvidRoot) + declarations);
  }
  static const SymbolRecord *Global(const char *name) { return LookupSymbol(name, false, SymbolTableId::kGlobal); }
  // The `count` data bytes of the global `name`.
  std::vector<uint8_t> DataOf(const char *name, uint32_t count) {
    const SymbolRecord *symbol = Global(name);
    if (!symbol) {
      ADD_FAILURE() << name << " not declared";
      return {};
    }
    std::vector<uint8_t> bytes(count);
    EXPECT_TRUE(ReadEmittedBytes(Addr24FromLong(symbol->address), count, bytes.data())) << name;
    return bytes;
  }
};

// A processor that keeps no constants apart lays a program's data in its
// code from the first datum on: no constant segment is asked for.
TEST_F(Initializers, DataBeforeTheFirstFunctionLiesInTheCodeOnTheZ180) {
  Compile("const int g = 5;\nint f(void) {\n  return g;\n}\nconst int h = 6;\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  EXPECT_EQ(DataOf("g", 2), (ByteList{5, 0}));
  EXPECT_EQ(DataOf("h", 2), (ByteList{6, 0}));
  EXPECT_LT(Global("g")->address, Global("h")->address);
}

TEST_F(Initializers, ScalarsAndArraysBecomeTheirDataBytes) {
  CompileCorvid("const int g = 5;\nconst int a[3] = {1, 2, 0x1234};\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  // Objects follow each other in root code, before any function.
  EXPECT_EQ(Global("g")->address, 0x1000u);
  EXPECT_EQ(Global("a")->address, 0x1002u);
  EXPECT_EQ(DataOf("g", 2), (ByteList{5, 0}));
  EXPECT_EQ(DataOf("a", 6), (ByteList{1, 0, 2, 0, 0x34, 0x12}));
}

// Each initializer alone: the object's bytes and the messages its
// declaration raised.
struct DataCase {
  const char *declaration;
  ByteList bytes;
  std::vector<unsigned> messages = {};
};

TEST_F(Initializers, ScalarsConvertToTheObjectsType) {
  const DataCase cases[] = {
      {"const int x = -2;", {0xFE, 0xFF}},
      {"const unsigned x = 65535;", {0xFF, 0xFF}},
      {"const char x = 300;", {0x2C}},
      {"const char x = 'A';", {0x41}},
      {"const long x = 0x12345678;", {0x78, 0x56, 0x34, 0x12}},
      {"const long x = -1;", {0xFF, 0xFF, 0xFF, 0xFF}},
      {"const unsigned long x = 40000;", {0x40, 0x9C, 0, 0}},
      {"const int x = 3 * 4 + 1;", {13, 0}},
      {"const float x = 1.5;", {0x00, 0x00, 0xC0, 0x3F}},
      {"const float x = 2;", {0x00, 0x00, 0x00, 0x40}},
      {"const float x = -1;", {0x00, 0x00, 0x80, 0xBF}},
      {"const int x = 2.75;", {2, 0}},
      {"const float x = -0.375;", {0x00, 0x00, 0xC0, 0xBE}},
      {"const float x = 3F;", {0x00, 0x00, 0x40, 0x40}},
      {"const unsigned long x = 4000000000UL;", {0x00, 0x28, 0x6B, 0xEE}},
      {"const long x = 65536L * 3 + 7;", {0x07, 0x00, 0x03, 0x00}},
      {"const int x = 'z' - 'a';", {25, 0}},
      {"const char x = -1;", {0xFF}},
      // A number into a pointer is taken, with the warning on mixing them.
      {"char * const x = 0;", {0, 0}, {519}},
      {"int * const x = 0x1234;", {0x34, 0x12}, {437}},
      {"const int x = {7};", {7, 0}},
  };
  for (const DataCase &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\n");
    EXPECT_EQ(Messages(), c.messages) << c.declaration << ::testing::PrintToString(Records());
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
  }
}

TEST_F(Initializers, AggregatesFollowTheirBracesOrTakeTheirElementsInOrder) {
  const DataCase cases[] = {
      {"const int x[4] = {1, 2};", {1, 0, 2, 0, 0, 0, 0, 0}},
      {"const int x[2][2] = {{1}, {2, 3}};", {1, 0, 0, 0, 2, 0, 3, 0}},
      {"const int x[2][2] = {1, 2, 3};", {1, 0, 2, 0, 3, 0, 0, 0}},
      {"const int x[2][2] = {1, 2, {3}};", {1, 0, 2, 0, 3, 0, 0, 0}},
      {"const char x[3] = {1, 2, 3,};", {1, 2, 3}},
      {"const char x[2][3] = {\"ab\", \"c\"};", {'a', 'b', 0, 'c', 0, 0}},
      {"const char x[2][3] = {{'a'}, \"bc\"};", {'a', 0, 0, 'b', 'c', 0}},
      {"struct p { char c; int i; long l; };\nconst struct p x = {1, 2};", {1, 2, 0, 0, 0, 0, 0}},
      {"struct p { char c; int i[2]; };\nconst struct p x[2] = {1, 2, 3, 4};", {1, 2, 0, 3, 0, 4, 0, 0, 0, 0}},
      {"struct p { char c; int i[2]; };\nconst struct p x[2] = {{1, {2}}, {4}};", {1, 2, 0, 0, 0, 4, 0, 0, 0, 0}},
      {"struct q { char s[4]; int n; };\nconst struct q x = {\"ab\", 9};", {'a', 'b', 0, 0, 9, 0}},
      {"struct in { char t; int n; };\nstruct out { int id; struct in in; long v[2]; };\n"
       "const struct out x = {7, {'q', -3}, {100000, -1}};",
       {7, 0, 'q', 0xFD, 0xFF, 0xA0, 0x86, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"struct in { char t; int n; };\nstruct out { int id; struct in in; long v[2]; };\n"
       "const struct out x = {8};",
       {8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"struct in { char t; int n; };\nconst struct in x[3] = {{'a', 1}, {'b', 2}};", {'a', 1, 0, 'b', 2, 0, 0, 0, 0}},
      {"union u { int i; long l; };\nconst union u x = {0x102};", {2, 1, 0, 0}},
      {"union u { char c[2]; int i; };\nconst union u x = {{1, 2}};", {1, 2}},
  };
  for (const DataCase &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\n");
    EXPECT_EQ(Messages(), c.messages) << c.declaration << ::testing::PrintToString(Records());
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
  }
}

TEST_F(Initializers, CharArraysTakeStringsUpToTheirSize) {
  const DataCase cases[] = {
      {"const char x[6] = \"abc\";", {'a', 'b', 'c', 0, 0, 0}}, {"const char x[4] = \"abc\";", {'a', 'b', 'c', 0}},
      {"const char x[3] = \"abc\";", {'a', 'b', 'c'}, {566}},   {"const char x[2] = \"abc\";", {'a', 'b'}, {424}},
      {"const char x[4] = {\"a\\n\"};", {'a', '\n', 0, 0}},
  };
  for (const DataCase &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\nconst char after = 0x55;\n");
    EXPECT_EQ(Messages(), c.messages) << c.declaration << ::testing::PrintToString(Records());
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
    // Exactly the array's bytes: the next object follows at once.
    ASSERT_NE(Global("after"), nullptr);
    EXPECT_EQ(Global("after")->address, Global("x")->address + c.bytes.size()) << c.declaration;
  }
}

TEST_F(Initializers, AnUnsizedArrayTakesItsDimensionFromTheInitializer) {
  struct Case {
    const char *declaration;
    std::vector<uint16_t> dimensions;
    ByteList bytes;
  } cases[] = {
      {"const int x[] = {1, 2, 3};", {3}, {1, 0, 2, 0, 3, 0}},
      {"const int x[] = {1, 2, 3,};", {3}, {1, 0, 2, 0, 3, 0}},
      {"const char x[] = \"hi\";", {3}, {'h', 'i', 0}},
      {"const char x[][2] = {1, 2, 3};", {2, 2}, {1, 2, 3, 0}},
      {"const char x[][2] = {{1}, {2}, {3}};", {3, 2}, {1, 0, 2, 0, 3, 0}},
  };
  for (const Case &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\nconst char after = 0x55;\n");
    EXPECT_EQ(Messages(), std::vector<unsigned>{}) << c.declaration << ::testing::PrintToString(Records());
    const SymbolRecord *x = Global("x");
    ASSERT_NE(x, nullptr) << c.declaration;
    EXPECT_EQ(std::vector<uint16_t>(x->list.begin(), x->list.end()), c.dimensions) << c.declaration;
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
    EXPECT_EQ(Global("after")->address, x->address + c.bytes.size()) << c.declaration;
  }
}

// A value whose bytes the compile cannot know is refused; the object keeps
// its size in zeros and the next one follows it.
TEST_F(Initializers, ValuesNotKnownBeforeTheProgramRunsAreRefused) {
  const DataCase cases[] = {
      {"int g;\nconst int x = g;", {0, 0}, {546}},
      {"const char a[2] = {1, 2};\nconst char x = a;", {0}, {546, 437}},
      {"const int x = ;", {}, {2100}},
  };
  for (const DataCase &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\nconst char after = 0x55;\n");
    std::vector<unsigned> messages = Messages();
    std::erase(messages, 548u); // "g" is not const
    EXPECT_EQ(messages, c.messages) << c.declaration << ::testing::PrintToString(Records());
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
    ASSERT_NE(Global("after"), nullptr);
    EXPECT_EQ(Global("after")->address, Global("x")->address + c.bytes.size()) << c.declaration;
  }
}

// An array's name stands for its address, in a pointer's or a long's size
// (with the warning on mixing the two).
TEST_F(Initializers, ArrayNamesGiveTheirAddresses) {
  CompileCorvid("const char a[2] = {1, 2};\n"
                "const char * const pa = a;\n"
                "const long la = a;\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{519}) << ::testing::PrintToString(Records());
  const uint32_t a = Global("a")->address & 0xFFFF;
  EXPECT_EQ(DataOf("pa", 2), (ByteList{uint8_t(a), uint8_t(a >> 8)}));
  EXPECT_EQ(DataOf("la", 4), (ByteList{uint8_t(a), uint8_t(a >> 8), 0, 0}));
}

// Addresses the link fixes: of an element, an array plus a constant, of
// the whole array (whose type is not its element's), of a function.
TEST_F(Initializers, AddressConstantsGiveTheAddressAndItsOffset) {
  CompileCorvid("const int a[4] = {10, 20, 30, 40};\n"
                "const int * const pa = &a[2];\n"
                "const int * const pb = a + 1;\n"
                "const int * const pc = &a;\n"
                "int f(void) {\n  return 1;\n}\n"
                "int (* const pf)() = f;\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{437}) << ::testing::PrintToString(Records());
  const uint32_t a = Global("a")->address & 0xFFFF;
  auto word = [](uint32_t address) { return ByteList{uint8_t(address), uint8_t(address >> 8)}; };
  EXPECT_EQ(DataOf("pa", 2), word(a + 4));
  EXPECT_EQ(DataOf("pb", 2), word(a + 2));
  EXPECT_EQ(DataOf("pc", 2), word(a));
  // f's code follows the data before it.
  EXPECT_EQ(DataOf("pf", 2), word(a + 14));
}

// A list longer than its object does not close where the object ends; the
// object keeps its own bytes and the declaration after it compiles.
TEST_F(Initializers, ListsLongerThanTheirObjectAreReported) {
  const DataCase cases[] = {
      {"const int x[2] = {1, 2, 3};", {1, 0, 2, 0}, {2051}},
      {"const int x = {1, 2};", {1, 0}, {2051}},
      {"struct p { char a, b; };\nconst struct p x = {1, {2, 3}};", {1, 2}, {2051}},
      {"const char x[2] = {1, 2, \"}\", '}',\n 3};", {1, 2}, {2051}},
  };
  for (const DataCase &c : cases) {
    CompileCorvid(std::string(c.declaration) + "\nconst char after = 0x55;\n");
    EXPECT_EQ(Messages(), c.messages) << c.declaration << ::testing::PrintToString(Records());
    EXPECT_EQ(DataOf("x", uint32_t(c.bytes.size())), c.bytes) << c.declaration;
    ASSERT_NE(Global("after"), nullptr) << c.declaration;
    EXPECT_EQ(DataOf("after", 1), ByteList{0x55}) << c.declaration;
  }
}

// Addresses known only later: the string pooled after the item, the array
// defined after its reference. Each is patched into the data, not into the
// code at the current code address.
TEST_F(Initializers, AddressesResolvedAfterTheItemArePatchedIntoTheData) {
  CompileCorvid("extern const char later[];\n"
                "const char * const s = \"hi\";\n"
                "const char * const pl = later;\n"
                "const char * const words[2] = {\"one\", \"two\"};\n"
                "const char later[1] = {9};\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  auto word = [](uint32_t address) { return ByteList{uint8_t(address), uint8_t(address >> 8)}; };
  EXPECT_EQ(DataOf("pl", 2), word(Global("later")->address));
  auto text = [this](const char *name, uint16_t offset, uint16_t length) {
    const ByteList pointer = DataOf(name, uint32_t(offset + 2));
    ByteList bytes(length);
    if (pointer.size() != offset + 2u)
      return bytes;
    const ADDR24 at{uint16_t(pointer[offset] | pointer[offset + 1] << 8), 0, 0};
    EXPECT_TRUE(ReadEmittedBytes(at, length, bytes.data())) << name;
    return bytes;
  };
  EXPECT_EQ(text("s", 0, 3), (ByteList{'h', 'i', 0}));
  EXPECT_EQ(text("words", 0, 4), (ByteList{'o', 'n', 'e', 0}));
  EXPECT_EQ(text("words", 2, 4), (ByteList{'t', 'w', 'o', 0}));
}

// A function's static locals lie where they are declared, ahead of the
// function's entry, and its code reads them there.
TEST_F(Initializers, StaticLocalsLieAheadOfTheirFunction) {
  CompileCorvid("int f(void) {\n"
                "  static int s = 0x1234;\n"
                "  static char t[] = \"ab\";\n"
                "  return s;\n"
                "}\n");
  std::vector<unsigned> messages = Messages();
  std::erase(messages, 548u); // s and t are not const
  EXPECT_EQ(messages, std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  ByteList image(32);
  ASSERT_TRUE(ReadEmittedBytes(ADDR24{0x1000, 0, 0}, 5, image.data()));
  EXPECT_EQ(ByteList(image.begin(), image.begin() + 5), (ByteList{0x34, 0x12, 'a', 'b', 0}));
  image.resize(5 + 16);
  ReadEmittedBytes(ADDR24{0x1005, 0, 0}, 16, image.data() + 5);
  const std::vector<std::string> code = DecodeAll(TargetCpu::Corvid, ByteList(image.begin() + 5, image.end()), 0x1005);
  EXPECT_NE(std::find(code.begin(), code.end(), "ld    hl,(1000)"), code.end()) << ::testing::PrintToString(code);
}

// An object without initializer takes zero bytes of root data, which grows
// down, and emits nothing where the initialized data goes on.
TEST_F(Initializers, ObjectsWithoutInitializerTakeRootData) {
  CompileCorvid("const char first = 1;\nint u;\nlong v[2];\nstruct { char c[3]; } w;\nconst char next = 2;\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  EXPECT_EQ(Global("u")->address, 0x3FFEu);
  EXPECT_EQ(Global("v")->address, 0x3FF6u);
  EXPECT_EQ(Global("w")->address, 0x3FF3u);
  EXPECT_EQ(Global("next")->address, Global("first")->address + 1);
  EXPECT_EQ(DataOf("first", 2), (ByteList{1, 2}));
}

} // namespace
} // namespace tsw::testing
