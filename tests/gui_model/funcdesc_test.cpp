#include "gui/common/model/funcdesc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tsw {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>; // type, name

struct Case {
  const char *name;
  std::string text;
  std::string returnType, function;
  Params params;
  bool variadic;
  uint16_t error;
  std::optional<std::string> syntax = {}, description = {}, returnValue = {}, keyWords = {};
};

Params ParamsOf(const FuncDescription &d) {
  Params params;
  for (const FuncParameter &p : d.Parameters())
    params.push_back({p.type, p.name});
  return params;
}

TEST(FuncDescription, ParsesBlocks) {
  const std::string longType(40, 't');
  const std::string deep = std::string(5000, '(') + "x" + std::string(5000, ')');
  const Case cases[] = {
      {"void list",
       "foo\nSYNTAX: int foo(void);\nDESCRIPTION: Does x.\n",
       "int",
       "foo",
       {},
       false,
       0,
       "int foo(void);",
       "Does x.",
       std::nullopt,
       std::nullopt},
      {"no return type, unnamed parameter",
       "foo SYNTAX: foo(int);",
       "int",
       "foo",
       {{"int", ""}},
       false,
       0,
       "foo(int);"},
      {"variadic",
       "printf SYNTAX: void printf(char *fmt, ...);",
       "void",
       "printf",
       {{"char *", "fmt"}},
       true,
       0,
       "void printf(char *fmt, ...);"},
      {"array parameter",
       "f SYNTAX: int f(int a[10], long b);",
       "int",
       "f",
       {{"int", "a"}, {"long", "b"}},
       false,
       0,
       "int f(int a[10], long b);"},
      {"pointer return and empty list", "g SYNTAX: char *g();", "char *", "g", {}, false, 0, "char *g();"},
      {"struct tag pointer",
       "f SYNTAX: int f(struct tag *p, unsigned int n);",
       "int",
       "f",
       {{"struct tag *", "p"}, {"unsigned int", "n"}},
       false,
       0},
      {"function-pointer parameter",
       "qsort SYNTAX: void qsort(void *base, int (*cmp)(void *, void *));",
       "void",
       "qsort",
       {{"void *", "base"}, {"int (*", "cmp"}},
       false,
       0},
      {"type cut to 32",
       "f SYNTAX: void f(" + longType + " v);",
       "void",
       "f",
       {{longType.substr(0, 32), "v"}},
       false,
       0},
      {"name differs from the block's",
       "bar SYNTAX: int foo(int x); DESCRIPTION: d RETURN VALUE: r KEY WORDS: k",
       "int foo(int",
       "x",
       {},
       false,
       538,
       "int foo(int x);",
       "d",
       "r",
       "k"},
      {"no parameter list",
       "f SYNTAX: int f; KEY WORDS: k",
       "int",
       "f",
       {},
       false,
       538,
       "int f;",
       std::nullopt,
       std::nullopt,
       "k"},
      {"missing closing parenthesis", "f SYNTAX: int f(int a", "", "", {}, false, 538, std::nullopt},
      {"section keyword inside the declaration",
       "f SYNTAX: int f(int a DESCRIPTION: after",
       "",
       "",
       {},
       false,
       538,
       std::nullopt,
       "after"},
      {"missing bracket", "f SYNTAX: int f(int a[10);", "", "", {}, false, 538},
      {"deep nesting", "f SYNTAX: int f(int " + deep + ");", "", "", {}, false, 538},
      {"deep nesting of the function", "f SYNTAX: int " + deep + "(void);", "", "", {}, false, 538},
      {"sections in any order, the later wins",
       "f KEY WORDS: a RETURN VALUE: none DESCRIPTION: one\nDESCRIPTION:   two  \n\n",
       "",
       "",
       {},
       false,
       0,
       std::nullopt,
       "two",
       "none",
       "a"},
      {"keywords at any word start",
       "f DESCRIPTION: see RETURN  \n VALUE: x",
       "",
       "",
       {},
       false,
       0,
       std::nullopt,
       "see",
       "x"},
      {"not at a word start", "f DESCRIPTION: xSYNTAX: y", "", "", {}, false, 0, std::nullopt, "xSYNTAX: y"},
      {"text before the first keyword is ignored", "f free words ( ] SYNTAX: f(a);", "int", "f", {{"a", ""}}, false, 0},
      {"empty text", "", "", "", {}, false, 0},
  };
  for (const Case &c : cases) {
    FuncDescription d(c.text);
    EXPECT_EQ(d.ReturnType(), c.returnType) << c.name;
    EXPECT_EQ(d.Name(), c.function) << c.name;
    EXPECT_EQ(ParamsOf(d), c.params) << c.name;
    EXPECT_EQ(d.ParameterCount(), c.params.size()) << c.name;
    EXPECT_EQ(d.Variadic(), c.variadic) << c.name;
    EXPECT_EQ(d.Error(), c.error) << c.name;
    if (c.syntax) {
      EXPECT_EQ(d.Syntax(), c.syntax) << c.name;
    }
    EXPECT_EQ(d.Description(), c.description) << c.name;
    EXPECT_EQ(d.ReturnValue(), c.returnValue) << c.name;
    EXPECT_EQ(d.KeyWords(), c.keyWords) << c.name;
  }
}

TEST(FuncDescription, ParameterSectionsGoToTheirParameters) {
  std::string longText(3000, 'd');
  FuncDescription d("memcpy\nSYNTAX: void *memcpy(void *dst, char *src, int n);\n"
                    "PARAMETER1: Where to.\nPARAMETER 2:  From where.\nPARAMETER3: " +
                    longText + "\nPARAMETER4: Ignored.\nPARAMETER0: Ignored too.\nRETURN VALUE: dst\n");
  ASSERT_EQ(d.ParameterCount(), 3);
  EXPECT_EQ(d.GetParameter(0).description, "Where to.");
  EXPECT_EQ(d.GetParameter(1).description, "From where.");
  EXPECT_EQ(d.GetParameter(2).description, longText.substr(0, 2048));
  EXPECT_EQ(d.GetParameter(3).type, "");
  EXPECT_EQ(d.ReturnValue(), "dst");
  EXPECT_EQ(d.ReturnType(), "void *");

  // After a syntax error no parameter is found, so their sections go nowhere.
  FuncDescription broken("f SYNTAX: int f(int a, int b PARAMETER1: lost");
  EXPECT_EQ(broken.Error(), 538);
  EXPECT_EQ(broken.ParameterCount(), 1);
  EXPECT_EQ(broken.GetParameter(0).description, "");
}

TEST(FuncDescription, RandomBlocksNeverBreakTheParser) {
  const std::vector<std::string> pieces = {"SYNTAX: ",
                                           "DESCRIPTION: ",
                                           "PARAMETER1: ",
                                           "PARAMETER99999999999999999999: ",
                                           "RETURN VALUE: ",
                                           "KEY WORDS: ",
                                           "(",
                                           ")",
                                           "[",
                                           "]",
                                           "*",
                                           "&",
                                           ",",
                                           ";",
                                           "...",
                                           "..",
                                           "....",
                                           "int",
                                           "f",
                                           "struct",
                                           "void",
                                           " ",
                                           "\n",
                                           "\t",
                                           "123",
                                           "\x81",
                                           "\xff",
                                           "#",
                                           "\"",
                                           "\\",
                                           ""};
  std::mt19937 random(24);
  for (int round = 0; round < 3000; ++round) {
    std::string text = "f ";
    size_t length = random() % 60;
    for (size_t i = 0; i < length; ++i)
      text += pieces[random() % pieces.size()];
    FuncDescription d(text);
    EXPECT_TRUE(d.Error() == 0 || d.Error() == 538) << text;
    for (const FuncParameter &p : d.Parameters()) {
      EXPECT_LE(p.type.size(), 32u);
      EXPECT_LE(p.name.size(), 32u);
    }
  }
}

} // namespace
} // namespace tsw
