#include "compcore/decl_fixture.h"

#include "foundation/xerr.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

using Dims = std::vector<uint16_t>;

class DeclGlobals : public DeclFixture {};

// One declared object: where it went and with which type.
struct Declared {
  const char *source;
  const char *name;
  int16_t type;
  uint8_t kind;
  uint32_t word;
  Dims dims;
  uint16_t byteSize; // of the emitted object; 0: nothing emitted
};

TEST_F(DeclGlobals, BaseTypesAndDeclaratorWords) {
  const Declared cases[] = {
      {"unsigned u;", "u", kTypeUnsigned, kKindGlobal, 0, {}, 2},
      {"unsigned long int ul;", "ul", kTypeUnsignedLong, kKindGlobal, 0, {}, 4},
      {"unsigned short int us;", "us", kTypeUnsigned, kKindGlobal, 0, {}, 2},
      {"unsigned char uc;", "uc", kTypeChar, kKindGlobal, 0, {}, 1},
      {"long int l;", "l", kTypeLong, kKindGlobal, 0, {}, 4},
      {"short int s;", "s", kTypeInt, kKindGlobal, 0, {}, 2},
      {"double d;", "d", kTypeFloat, kKindGlobal, 0, {}, 4},
      {"char c;", "c", kTypeChar, kKindGlobal, 0, {}, 1},
      // An array of 3 pointers: the array is the outermost level.
      {"int *a[3];", "a", kTypeInt, kKindGlobal, 0x21, {3}, 6},
      {"char m[2][3];", "m", kTypeChar, kKindGlobal, 0x11, {2, 3}, 6},
      {"int (*ap)[4];", "ap", kTypeInt, kKindGlobal, 0x12, {4}, 2},
      {"int (*pa[3])[4];", "pa", kTypeInt, kKindGlobal, 0x121, {3, 4}, 6},
      {"int (*fp)();", "fp", kTypeInt, kKindGlobal, 0x32, {}, 2},
      // The parameter types of a function only pointed to are passed over.
      {"int (*fp)(int);", "fp", kTypeInt, kKindGlobal, 0x32, {}, 2},
      {"int (*fp)(int), g;", "g", kTypeInt, kKindGlobal, 0, {}, 2},
      {"long (*lf)(long v,\n char *(*pick)(int));", "lf", kTypeLong, kKindGlobal, 0x32, {}, 2},
      {"int (*ops[2])(int, int);", "ops", kTypeInt, kKindGlobal, 0x321, {2}, 4},
      {"void (*h)(void);", "h", kTypeVoid, kKindGlobal, 0x32, {}, 2},
      {"int apply(int (*f)(int), int x);", "apply", kTypeInt, kKindExtern, 0x3, {}, 0},
      {"long **pp;", "pp", kTypeLong, kKindGlobal, 0x22, {}, 2},
      // A function returning a pointer; a prototype is an extern.
      {"int *f();", "f", kTypeInt, kKindExtern, 0x23, {}, 0},
      {"static int st;", "st", kTypeInt, kKindStatic, 0, {}, 2},
      {"extern int e;", "e", kTypeInt, kKindExtern, 0, {}, 0},
      // Typedef'd pointers and arrays inside further declarators.
      {"typedef int *IP; IP a[3];", "a", kTypeInt, kKindGlobal, 0x21, {3}, 6},
      {"typedef int *IP; IP *pp;", "pp", kTypeInt, kKindGlobal, 0x22, {}, 2},
      {"typedef char Row[4]; Row grid[2];", "grid", kTypeChar, kKindGlobal, 0x11, {2, 4}, 8},
      {"typedef char Row[4]; Row *rp;", "rp", kTypeChar, kKindGlobal, 0x12, {4}, 2},
      {"typedef int (*Handler)(); Handler table[5];", "table", kTypeInt, kKindGlobal, 0x321, {5}, 10},
      {"typedef char Row[4];", "Row", kTypeChar, kClassTypedefTop, 0x1, {4}, 0},
      // Const: the const flag stays above the levels; a const level marks
      // a const object.
      {"const int k = 1;", "k", kTypeInt, kKindGlobal, 0x4, {}, 2},
      {"char * const cp = 0;", "cp", kTypeChar, kKindGlobal, 0x6, {}, 2},
      {"const char *pc = 0;", "pc", kTypeChar, kKindGlobal, 0x42, {}, 2},
      {"const int ka[2] = {1, 2};", "ka", kTypeInt, kKindGlobal, 0x45, {2}, 4},
      {"typedef int *IP; const IP cip = 0;", "cip", kTypeInt, kKindGlobal, 0x6, {}, 2},
      {"char big[32767];", "big", kTypeChar, kKindGlobal, 0x1, {32767}, 32767},
      {"int wide[20000];", "wide", kTypeInt, kKindGlobal, 0x1, {20000}, 40000},
      {"char text[] = {1, 2, 3};", "text", kTypeChar, kKindGlobal, 0x1, {3}, 0},
  };
  for (const Declared &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    SymbolRecord *r = Symbol(c.name);
    ASSERT_NE(r, nullptr) << c.source;
    EXPECT_EQ(r->type, c.type) << c.source;
    EXPECT_EQ(r->kind, c.kind) << c.source;
    EXPECT_EQ(r->declarator, c.word) << c.source;
    EXPECT_EQ(Dims(r->list.begin(), r->list.end()), c.dims) << c.source;
    const EmittedObject *o = backEnd.Object(c.name);
    EXPECT_EQ(o ? o->byteSize : 0, c.byteSize) << c.source;
  }
}

TEST_F(DeclGlobals, StorageGoesThroughTheInitializedDataPath) {
  Compile("int g = 5, h;\nconst char msg[] = {7, 8};\n");
  ASSERT_EQ(backEnd.objects.size(), 3u);
  const EmittedObject &g = backEnd.objects[0], &h = backEnd.objects[1], &msg = backEnd.objects[2];
  EXPECT_TRUE(g.hasInitializer);
  EXPECT_FALSE(h.hasInitializer);
  EXPECT_EQ(msg.dimensions, Dims{2});
  EXPECT_EQ(Symbol("g")->address, FakeBackEnd::kFirstDataAddress);
  EXPECT_EQ(Symbol("h")->address, FakeBackEnd::kFirstDataAddress + FakeBackEnd::kDataStep);
  EXPECT_EQ(Dims(Symbol("msg")->list.begin(), Symbol("msg")->list.end()), Dims{2});
  EXPECT_EQ(backEnd.mapSymbols, (std::vector<std::string>{"g@PROG.C", "h@PROG.C", "msg@PROG.C"}));
  // Only "g" is an initialized object that is not const.
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{548}));
  EXPECT_TRUE(backEnd.cacheSelections.empty());
}

TEST_F(DeclGlobals, DataWhileCodeIsInTheXmemWindowSelectsRootCodeAround) {
  backEnd.codeInXmem = true;
  Compile("const int k = 1;\n");
  EXPECT_EQ(backEnd.cacheSelections, (std::vector<bool>{true, false}));
}

TEST_F(DeclGlobals, ExternMetAgainAsDefinitionGetsItsLabelAndBecomesGlobal) {
  Compile("extern int e;\nint e;\n");
  SymbolRecord *e = Symbol("e");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->kind, kKindGlobal);
  EXPECT_EQ(e->address, FakeBackEnd::kFirstDataAddress);
  EXPECT_EQ(backEnd.labels, (std::map<std::string, uint32_t>{{"e", FakeBackEnd::kFirstDataAddress}}));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(DeclGlobals, AtPlacementTakesAConstantRootAddress) {
  Compile("int port @ 0x4000;\nchar *where @ 0x4100;\nint other @ somewhere;\n");
  SymbolRecord *port = Symbol("port");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->address, 0x4000u);
  EXPECT_EQ(port->flagsA & kFlagsAAddressMask, kAddressPlaced << kFlagsAAddressShift);
  EXPECT_EQ(Symbol("where")->address, 0x4100u);
  EXPECT_TRUE(backEnd.objects.empty()); // placed objects take no initialized data
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{2004, 2003}));
  // The flag belongs to one declarator only.
  Restart();
  Compile("int a @ 0x10, b;\n");
  EXPECT_EQ(Symbol("b")->flagsA & kFlagsAAddressMask, 0);
  EXPECT_NE(backEnd.Object("b"), nullptr);
}

TEST_F(DeclGlobals, MemberQualifiersAndTypedAreStoredInTheSymbol) {
  Compile("shared int s;\nprotected long *pp;\nTyped int t;\nextern shared int x;\nint x;\n"
          "static protected int st;\nshared int at @ 0x200;\n");
  auto qualifier = [](const char *name) { return (Symbol(name)->flagsA & kFlagsAQualifierMask) >> 2; };
  EXPECT_EQ(qualifier("s"), kQualifierShared);
  EXPECT_EQ(qualifier("pp"), kQualifierProtected);
  EXPECT_EQ(Symbol("t")->flagsC & kFlagsCTyped, kFlagsCTyped);
  EXPECT_EQ(Symbol("s")->flagsC & kFlagsCTyped, 0);
  // x differs from its extern; st is a static non-pointer; at is placed.
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{532, 413, 413}));
}

TEST_F(DeclGlobals, FaultFixObjectsPastSixtyFourKilobytesAreRefusedNotWrapped) {
  Compile("long a[20000];\nlong b[20000] = {1};\nint ok;\n");
  ASSERT_EQ(sink.records.size(), 3u);
  EXPECT_EQ(sink.records[0].message, kMsgObjectTooLarge);
  EXPECT_EQ(sink.records[1].message, kMsgObjectTooLarge);
  // b's initializer line is dropped, so nothing else is reported for it.
  EXPECT_EQ(sink.records[2].message, 548u);
  // Nothing is allocated for them; the next object is declared as usual.
  ASSERT_EQ(backEnd.objects.size(), 1u);
  EXPECT_EQ(backEnd.objects[0].name, "ok");
  ASSERT_NE(Symbol("a"), nullptr);
  EXPECT_EQ(Symbol("a")->address, 0u);
}

TEST_F(DeclGlobals, FaultFixParenthesesNestedThousandsDeepAreReportedNotRecursedInto) {
  std::string deep = "int ";
  for (int i = 0; i < 5000; ++i)
    deep += "(\n";
  deep += "x";
  for (int i = 0; i < 5000; ++i)
    deep += ")\n";
  Compile(deep + ";\nint after;\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{416, 490}));
  EXPECT_NE(Symbol("after"), nullptr);
}

TEST_F(DeclGlobals, ErrorsByNumber) {
  struct Case {
    const char *source;
    std::vector<unsigned> messages;
  } cases[] = {
      {"auto int x;", {525}},
      {"x;", {517, 408}},
      {"int a[40000];", {544}},
      {"char c[100][400];", {545}},
      {"int d[1][1][1][1][1][1][1][1];", {444}},
      {"int ********p;", {416}},
      {"typedef char ****P4; P4 ****x;", {417}},
      {"const int const k = 1;", {560}},
      {"const int k;", {549}},
      {"void v;", {410}},
      {"int a[3;", {2007}},
      {"int (*p;", {2006}},
      {"int (*fp)(int;", {2006}},
      {"int (*fp)(int, g;", {2006}},
      {"int f[3](int);", {2009}},
      {"int i = 5;", {548}},
      {"int *p = 0;", {548, 565}},
      {"int x;\nint x;", {491}},
      {"int a, ;", {490}},
      {"int z[];", {415}},
      {"int y", {492}},
      {"const int f();", {564}},
      {"int n[nope];", {427, 415}},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    EXPECT_EQ(sink.Messages(), c.messages) << c.source;
  }
}

TEST_F(DeclGlobals, TypeNamesOfCastsAndSizeof) {
  struct Case {
    const char *text;
    int16_t type;
    uint32_t word;
    Dims dims;
    uint16_t byteSize;
  } cases[] = {
      {")", kTypeLong, 0, {}, 4},          {"*)", kTypeChar, 0x2, {}, 2},
      {"(*)[4])", kTypeInt, 0x12, {4}, 2}, {"[2][3])", kTypeInt, 0x11, {2, 3}, 12},
      {"(*)())", kTypeInt, 0x32, {}, 2},
  };
  for (const Case &c : cases) {
    Restart();
    Start(std::string(c.text) + "\n");
    ReadNextLineAndRewind();
    EXPECT_EQ(ParseTypeNameDeclarator(c.type), kNotFunction) << c.text;
    EXPECT_EQ(Declarator().word, c.word) << c.text;
    EXPECT_EQ(Declarator().dimensions, c.dims) << c.text;
    EXPECT_EQ(Declarator().byteSize, c.byteSize) << c.text;
    EXPECT_EQ(*InputCursor, ')') << c.text;
    EXPECT_TRUE(sink.records.empty()) << c.text;
  }
  // A type name inside a declarator being parsed (a dimension's sizeof)
  // cannot be parsed.
  Declarator().parsing = true;
  EXPECT_EQ(ParseTypeNameDeclarator(kTypeInt), kNotFunction);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{416}));
}

// An error that ends the compile (the error limit, or any error of a watch
// expression) leaves a declarator half parsed; the next one is parsed as
// usual, not refused as a re-entry.
TEST_F(DeclGlobals, FaultFixADeclaratorLeftByAnExceptionDoesNotBlockTheNext) {
  struct LimitReached : RecordingSink {
    bool RecordError(unsigned message, uint16_t line, uint16_t column, const std::string &text) override {
      RecordingSink::RecordError(message, line, column, text);
      return true;
    }
  } limit;
  SetDiagnosticSink(&limit);
  Start("[3)\n*)\n");
  ReadNextLineAndRewind();
  EXPECT_THROW(ParseTypeNameDeclarator(kTypeInt), xCCErrOvflo);
  EXPECT_EQ(limit.Messages(), (std::vector<unsigned>{2007}));
  SetDiagnosticSink(&sink);
  DiscardCurrentLine();
  ReadNextLineAndRewind();
  EXPECT_EQ(ParseTypeNameDeclarator(kTypeChar), kNotFunction);
  EXPECT_EQ(Declarator().word, uint32_t(kLevelPointer));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(DeclGlobals, RegisterAtTopLevelIsReportedAndDeclaredGlobal) {
  Compile("register int r;\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{526}));
  ASSERT_NE(Symbol("r"), nullptr);
  EXPECT_EQ(Symbol("r")->kind, kKindGlobal);
  EXPECT_NE(backEnd.Object("r"), nullptr);
}

} // namespace
} // namespace tsw::testing
