#include "compcore/decl_fixture.h"

#include "compcore/cc_in/cc_memmap.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class DeclLocals : public DeclFixture {
protected:
  int16_t FrameOffset(const char *name) { return int16_t(Symbol(name)->definition); }
};

TEST_F(DeclLocals, AutosGetFrameOffsetsBelowEachOtherAcrossDeclarations) {
  Compile("void f() {\n int a, b[3];\n char c;\n long d;\n}\n");
  EXPECT_EQ(FrameOffset("a"), -2);
  EXPECT_EQ(FrameOffset("b"), -8);
  EXPECT_EQ(FrameOffset("c"), -9);
  EXPECT_EQ(FrameOffset("d"), -13);
  EXPECT_EQ(Symbol("b")->kind, kClassAutoLocal);
  ASSERT_NE(Function("f"), nullptr);
  EXPECT_EQ(Function("f")->localsTotal, 13);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(backEnd.objects.empty());
}

TEST_F(DeclLocals, AutoWithInitializerIsReportedAndItsLineDropped) {
  Compile("void f() {\n auto int x = 1, y;\n int z;\n}\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{412}));
  ASSERT_NE(Symbol("x"), nullptr);
  EXPECT_EQ(Symbol("y"), nullptr);
  ASSERT_NE(Symbol("z"), nullptr);
  EXPECT_EQ(FrameOffset("z"), -4);
}

TEST_F(DeclLocals, StaticsAndRegisters) {
  Compile("void fn() {\n static int s = 2;\n register int r;\n register long q;\n}\n");
  SymbolRecord *s = Symbol("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, kKindStatic);
  EXPECT_EQ(s->address, FakeBackEnd::kFirstDataAddress);
  EXPECT_EQ(backEnd.mapSymbols, (std::vector<std::string>{"fn:s@PROG.C"}));
  EXPECT_EQ(Symbol("r")->kind, kClassRegister);
  EXPECT_EQ(backEnd.registerBytes, 6);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{548, 411}));
}

TEST_F(DeclLocals, ClassWithoutAClassWord) {
  // The #class default, except in a cofunction, whose locals are autos.
  SetDefaultStorageClass(kClassStaticLocal);
  Compile("void f() {\n int s;\n}\n");
  EXPECT_EQ(Symbol("s")->kind, kKindStatic);
  Restart();
  SetDefaultStorageClass(kClassStaticLocal);
  Compile("cofunc int g() {\n int a;\n}\n");
  EXPECT_EQ(Symbol("a")->kind, kClassAutoLocal);
  // A fragment compile gives its own class.
  Restart();
  backEnd.fragment = true;
  Compile("void h() {\n int v;\n}\n");
  EXPECT_EQ(Symbol("v")->kind, backEnd.FragmentClass());
}

TEST_F(DeclLocals, LibraryLocalsWithoutClassWordWarnWhenTheIdeAsks) {
  struct Case {
    bool library, warn, fragment;
    const char *program;
    std::vector<unsigned> messages;
  } cases[] = {
      {true, true, false, "void f() {\n int a;\n static int b;\n}\n", {561}},
      {true, false, false, "void f() {\n int a;\n}\n", {}},
      {false, true, false, "void f() {\n int a;\n}\n", {}},
      {true, true, true, "void f() {\n int a;\n}\n", {}},
      {true, true, false, "cofunc int f() {\n int a;\n}\n", {}},
  };
  for (const Case &c : cases) {
    Restart();
    backEnd.library = c.library;
    backEnd.warnLocals = c.warn;
    backEnd.fragment = c.fragment;
    Compile(c.program);
    EXPECT_EQ(sink.Messages(), c.messages) << c.program;
  }
}

TEST_F(DeclLocals, ConstAutoIsRefusedAndFunctionsInsideAreExterns) {
  Compile("void f() {\n auto const int c;\n int g();\n}\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{564}));
  ASSERT_NE(Symbol("g"), nullptr);
  EXPECT_EQ(Symbol("g")->kind, kKindExtern);
}

TEST_F(DeclLocals, LocalTypedefsServeLaterDeclarations) {
  Compile("void f() {\n typedef long L;\n L v[2];\n}\n");
  EXPECT_EQ(Symbol("L")->kind, kClassTypedefLocal);
  EXPECT_EQ(Symbol("v")->type, kTypeLong);
  EXPECT_EQ(FrameOffset("v"), -8);
}

} // namespace
} // namespace tsw::testing
