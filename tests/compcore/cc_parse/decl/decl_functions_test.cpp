#include "compcore/decl_fixture.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class DeclFunctions : public DeclFixture {};

TEST_F(DeclFunctions, PrototypeParametersAreDeclaredAndSummed) {
  struct Case {
    const char *source;
    int summary;
    int hasParameters;
    bool variableArguments;
    std::vector<const char *> parameters;
  } cases[] = {
      {"int f(int a, char *b);", 3, 2, false, {"a", "b"}},
      {"int f(void);", 1, 0, false, {}},
      {"int f(int, char);", 3, 2, false, {"___b", "___c"}},
      {"int f(int a, ...);", 1, 1, true, {"a"}},
      {"int f(register int r, shared char *p);", 3, 2, false, {"r", "p"}},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    const FunctionCall *f = Function("f");
    ASSERT_NE(f, nullptr) << c.source;
    EXPECT_EQ(f->declaratorResult, kFunctionWithParameters) << c.source;
    EXPECT_EQ(f->parameterSummary, c.summary) << c.source;
    EXPECT_EQ(backEnd.hasParameters, c.hasParameters) << c.source;
    EXPECT_EQ(backEnd.variableArguments, c.variableArguments) << c.source;
    for (const char *name : c.parameters) {
      SymbolRecord *p = LookupSymbol(name, false, SymbolTableId::kLocal);
      ASSERT_NE(p, nullptr) << c.source << " " << name;
      EXPECT_EQ(p->kind, kClassAutoLocal) << c.source << " " << name;
    }
    // The prototype itself is entered as an extern function.
    SymbolRecord *symbol = Symbol("f");
    ASSERT_NE(symbol, nullptr) << c.source;
    EXPECT_EQ(symbol->kind, kKindExtern) << c.source;
    EXPECT_EQ(symbol->declarator, uint32_t(kLevelFunction)) << c.source;
    EXPECT_TRUE(sink.records.empty()) << c.source;
  }
}

TEST_F(DeclFunctions, ArrayParametersArePointersAndStaticFramesMakeThemStatic) {
  backEnd.staticFrame = true;
  Compile("int h(int a[], long m[][4]) { }\n");
  SymbolRecord *a = Symbol("a"), *m = Symbol("m");
  ASSERT_TRUE(a && m);
  EXPECT_EQ(a->declarator, uint32_t(kLevelPointer));
  EXPECT_TRUE(a->list.empty());
  EXPECT_EQ(m->declarator, 0x12u);
  EXPECT_EQ(std::vector<uint16_t>(m->list.begin(), m->list.end()), std::vector<uint16_t>{4});
  EXPECT_EQ(a->kind, kKindStatic);
  EXPECT_TRUE(Function("h")->body);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(DeclFunctions, OldStyleDefinitionsTakeOnlyNamesOfTheirList) {
  Compile("int g(a, b)\nint a;\nchar *b;\n{\n}\n");
  const FunctionCall *g = Function("g");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->parameterSummary, 0);
  EXPECT_EQ(g->oldStyleRead, 1);
  EXPECT_TRUE(g->body);
  EXPECT_EQ(Symbol("a")->type, kTypeInt);
  EXPECT_EQ(Symbol("b")->declarator, uint32_t(kLevelPointer));
  EXPECT_TRUE(sink.records.empty());

  Restart();
  Compile("int g(a)\nint a;\nint c;\n{\n}\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{414}));
  EXPECT_EQ(Symbol("c"), nullptr);

  // Names are those of the function's own list, not of an earlier one.
  for (const char *earlier : {"int g(a)\nint a;\n{\n}\n", "int p(a);\n"}) {
    Restart();
    Compile(std::string(earlier) + "int h()\nint a;\n{\n}\n");
    EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{414})) << earlier;
  }
}

TEST_F(DeclFunctions, ParameterErrorsByNumber) {
  struct Case {
    const char *source;
    std::vector<unsigned> messages;
  } cases[] = {
      {"int f(int a, b);", {702}},    {"int f(a, int b);", {703}}, {"int f(const int a);", {564}},
      {"int f(int const a);", {564}}, {"int f(void v);", {410}},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    EXPECT_EQ(sink.Messages(), c.messages) << c.source;
  }
  // Neither "," nor the list's end: the list ends there.
  Restart();
  Compile("int f(int a b);\n");
  ASSERT_FALSE(sink.records.empty());
  EXPECT_EQ(sink.records.front().message, 492u);
  // A parameter without a name in a definition has no name to be used by.
  Restart();
  backEnd.inDefinition = true;
  Compile("int f(int) { }\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{490}));
}

TEST_F(DeclFunctions, DefinitionsReachTheFunctionCompiler) {
  Compile("main() {\n}\nlong *get(void) {\n}\nstatic void s() {\n}\n");
  const FunctionCall *m = Function("main"), *get = Function("get"), *s = Function("s");
  ASSERT_TRUE(m && get && s);
  EXPECT_EQ(m->declaratorResult, kFunctionEmptyList);
  EXPECT_EQ(m->baseType, kTypeInt); // the implicit int of a definition
  EXPECT_EQ(m->storageClass, kClassGlobal);
  EXPECT_EQ(get->baseType, kTypeLong);
  EXPECT_EQ(s->storageClass, kClassStaticTop);
  EXPECT_EQ(m->attributes & kAttrCodeBlock, kAttrCodeBlock);
  EXPECT_EQ(backEnd.functionLines, (std::vector<uint16_t>{1, 3, 5}));
  EXPECT_TRUE(sink.records.empty());
}

// The qualifier words and what they leave in the declaration's attributes
// and memory code.
TEST_F(DeclFunctions, QualifiersSetTheDeclarationAttributes) {
  struct Case {
    const char *source;
    uint32_t mask;
    uint32_t bits;
    std::vector<unsigned> messages;
  } cases[] = {
      {"interrupt void isr() { }", kAttrInterruptMask, InterruptBits(InterruptKind::kRet), {}},
      {"interrupt reti void isr() { }", kAttrInterruptMask, InterruptBits(InterruptKind::kReti), {}},
      {"interrupt ret void isr() { }", kAttrInterruptMask, InterruptBits(InterruptKind::kRet), {}},
      {"interrupt retn void isr() { }", kAttrInterruptMask, InterruptBits(InterruptKind::kRetn), {}},
      // Without a type an interrupt function is an int function.
      {"interrupt isr() { }", kAttrInterruptMask, InterruptBits(InterruptKind::kRet), {}},
      {"cofunc int isr() { }",
       kAttrCofuncMask | kAttrUseIx | kAttrSingleUser,
       (1u << kAttrCofuncShift) | kAttrUseIx,
       {}},
      {"cofunc int isr[4]() { }", kAttrCofuncMask, 4u << kAttrCofuncShift, {}},
      {"scofunc int isr() { }", kAttrSingleUser | kAttrUseIx, kAttrSingleUser | kAttrUseIx, {}},
      {"cofunc nouseix int isr() { }", kAttrUseIx, kAttrUseIx, {3000}},
      {"useix nouseix int isr() { }", kAttrUseIx, 0, {}},
      {"firsttime void isr() { }", kAttrFirstTime, kAttrFirstTime, {}},
      {"size void isr() { }", kAttrSize, kAttrSize, {}},
      {"size speed void isr() { }", kAttrSize, 0, {}},
      {"nodebug void isr() { }", kAttrDebug | kAttrStep, 0, {}},
      {"nodebug step void isr() { }", kAttrDebug | kAttrStep, kAttrStep, {}},
      {"norst void isr() { }", kAttrStep, 0, {}},
      {"Typed volatile void isr() { }", kAttrTyped, kAttrTyped, {}},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    const FunctionCall *f = Function("isr");
    ASSERT_NE(f, nullptr) << c.source;
    EXPECT_EQ(f->attributes & c.mask, c.bits) << c.source;
    EXPECT_EQ(sink.Messages(), c.messages) << c.source;
  }
  // "retn" is a Z180 word only: elsewhere it is taken for a name.
  Restart();
  backEnd.z180 = false;
  Compile("interrupt retn void isr() { }\n");
  ASSERT_NE(Function("isr"), nullptr);
  EXPECT_EQ(Function("isr")->attributes & kAttrInterruptMask, 0u);
  EXPECT_NE(Symbol("retn"), nullptr);
}

TEST_F(DeclFunctions, MemoryKeywordsGiveTheMemoryCode) {
  struct Case {
    const char *source;
    uint16_t memoryCode;
    uint32_t xmem; // placement; anymem's depends on the code size
  } cases[] = {
      {"void f() { }", 4, kAttrXmem},
      {"root void f() { }", 0, 0},
      {"xmem void f() { }", 2, kAttrXmem},
      {"anymem 100 void f() { }", 4, kAttrXmem},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    const FunctionCall *f = Function("f");
    ASSERT_NE(f, nullptr) << c.source;
    EXPECT_EQ(f->memoryCode, c.memoryCode) << c.source;
    EXPECT_EQ(f->attributes & kAttrXmem, c.xmem) << c.source;
    EXPECT_TRUE(sink.records.empty()) << c.source;
  }
  EXPECT_EQ(AnymemThreshold(), 100u);
}

} // namespace
} // namespace tsw::testing
