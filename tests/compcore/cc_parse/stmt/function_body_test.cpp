#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Function definitions compiled by the product to its image file and
// decoded: the body's statements, the implicit return, the shared epilog.
namespace tsw::testing {
namespace {

using FunctionBodyCompile = StatementCompileTest;

struct BodyCase {
  const char *what;
  const char *program;
  std::vector<std::string> listing;
};

TEST_F(FunctionBodyCompile, BodiesCompileToTheirCode) {
  const BodyCase cases[] = {
      {"a constant returned in HL", "int f(void) { return 3; }", {"ld    hl,0003", "ret"}},
      {"an empty body returns", "void g(void) { }", {"ret"}},
      {"empty statements emit nothing", "void g(void) { ; ; }", {"ret"}},
      {"two functions follow each other", "int f(void) { return 3; }\nvoid g(void) { }",
       {"ld    hl,0003", "ret", "ret"}},
      // The first return carries the epilog; the second jumps to it.
      {"a second return shares the epilog", "int h(void) { return 1; return 2; }",
       {"ld    hl,0001", "ret", "ld    hl,0002", "jp    1003"}},
      {"a return in an inner block ends the body", "int f(void) { { return 4; } }", {"ld    hl,0004", "ret"}},
      {"a body over several lines", "int f(void)\n{\n  return 5;\n}\n", {"ld    hl,0005", "ret"}},
  };
  for (const BodyCase &c : cases) {
    const uint16_t status = CompileAlone(std::string("#nodebug\n") + c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing)) << c.what;
  }
}

TEST_F(FunctionBodyCompile, DebugCodeMarksEveryStatementAndTheClosingBrace) {
  const std::vector<std::string> frameEntry = {"exx", "ld    hl,0000", "call  0000", "nop"};
  const std::vector<std::string> frameExit = {"exx", "ld    hl,0000", "call  0000", "nop", "ret"};
  struct Case {
    const char *what;
    const char *program;
    std::vector<std::string> body;
  };
  const Case cases[] = {
      {"the closing brace of an empty body", "void g(void) { }", {"rst   28h"}},
      {"a return", "int f(void) { return 3; }", {"rst   28h", "ld    hl,0003"}},
  };
  for (const Case &c : cases) {
    const uint16_t status = CompileAlone(c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    std::vector<std::string> listing = frameEntry;
    listing.insert(listing.end(), c.body.begin(), c.body.end());
    listing.insert(listing.end(), frameExit.begin(), frameExit.end());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), listing)) << c.what;
  }
}

TEST_F(FunctionBodyCompile, MistakesAreReportedByNumber) {
  struct Case {
    const char *what;
    const char *program;
    const char *number; // reported exactly once
  };
  const Case cases[] = {
      {"a return without ';'", "int f(void) { return 3 }", "2051"},
      {"a function defined twice", "int f(void) { return 1; }\nint f(void) { return 2; }", "491"},
      {"neither body nor ';' after the declarator", "int f(void) x", "470"},
      {"an if without '('", "int g;\nvoid f(void) { if g) ; }", "2051"},
      {"root after xmem", "xmem int f(void);\nroot int f(void) { return 1; }", "543"},
      {"xmem after root", "root int f(void);\nxmem int f(void);", "543"},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string("#nodebug\n") + c.program);
    const std::vector<std::string> numbers = MessageNumbers();
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), c.number), 1)
        << c.what << ": " << ::testing::PrintToString(Records());
  }
}

TEST_F(FunctionBodyCompile, ParametersLieAboveTheReturnAddressAndLocalsBelowIt) {
  const BodyCase cases[] = {
      {"the first parameter", "int f(int a) { return a; }", {"ld    hl,(sp+2)", "ret"}},
      {"the second parameter", "int f(int a, int b) { return b; }", {"ld    hl,(sp+4)", "ret"}},
      // A char still takes a word; a long takes four bytes.
      {"behind a char and a long", "int f(char c, long l, int i) { return i; }", {"ld    hl,(sp+8)", "ret"}},
      {"the first local", "int f(void) { int x; int y; return x; }",
       {"add   sp,FC", "ld    hl,(sp+2)", "exx", "add   sp,04", "exx", "ret"}},
      {"a parameter above a local", "int f(int a) { int x; return a; }",
       {"add   sp,FE", "ld    hl,(sp+4)", "exx", "add   sp,02", "exx", "ret"}},
      // The words an interrupt's entry pushes lie above the locals, as the
      // return address does: the first statement stores at the local.
      {"a local of an interrupt function", "int g;\ninterrupt void f(void) { int x; x = 2; g = x; }\n#asm\nentint_::\nintr1::\nintr2::\n ret\n#endasm",
       {"push  af", "push  hl", "call  1019", "nop", "ld    hl,1019", "push  hl", "add   sp,FE", "ld    hl,0002",
        "ld    (sp+0),hl", "ld    hl,(sp+0)", "ld    (3FFE),hl", "add   sp,02", "ret", "ret"}},
  };
  for (const BodyCase &c : cases) {
    const uint16_t status = CompileAlone(std::string("#nodebug\n") + c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing)) << c.what;
  }
}

TEST_F(FunctionBodyCompile, IfJumpsOverTheThenPartAndElseOverTheElsePart) {
  // "(0000)" stands for g's address, wherever the compile placed it.
  const BodyCase cases[] = {
      {"if without else", "int g;\nvoid f(void) { if (g) ; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,1007", "ret"}},
      {"the then-part falls through to a jump over the else-part", "int g;\nvoid f(void) { if (g) ; else ; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,100A", "jp    100A", "ret"}},
      {"a then-part that returns needs no jump over the else-part",
       "int g;\nint f(void) { if (g) return 1; else return 2; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,100B", "ld    hl,0001", "ret", "ld    hl,0002", "jp    100A",
        "jp    100A"}},
      {"a return after the if", "int g;\nint f(void) { if (g) return 1; return 2; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,100B", "ld    hl,0001", "ret", "ld    hl,0002", "jp    100A"}},
      // The second test loads g again: HL holds the first test's 0 or 1.
      {"two ifs in a row", "int g;\nvoid f(void) { if (g) ; if (g) ; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,1007", "ld    hl,(3FFE)", "bool  hl", "jp    z,100E", "ret"}},
      {"nested ifs", "int g;\nvoid f(void) { if (g) if (g) ; }",
       {"ld    hl,(3FFE)", "bool  hl", "jp    z,100E", "ld    hl,(3FFE)", "bool  hl", "jp    z,100E", "ret"}},
  };
  for (const BodyCase &c : cases) {
    const uint16_t status = CompileAlone(std::string("#nodebug\n") + c.program);
    EXPECT_EQ(status, 0) << c.what << ": " << ::testing::PrintToString(Records());
    const SymbolRecord *g = LookupSymbol("g", false, SymbolTableId::kGlobal);
    ASSERT_NE(g, nullptr) << c.what;
    std::vector<std::string> listing = c.listing;
    for (std::string &line : listing)
      if (const size_t at = line.find("(0000)"); at != std::string::npos)
        line.replace(at, 6, fmt::format("({:04X})", Addr24FromLong(g->address).logical));
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), listing)) << c.what;
  }
}

// Every declaration and the definition are held to the first declaration
// with typed parameters.
TEST_F(FunctionBodyCompile, DefinitionsAgreeWithTheirPrototypes) {
  struct Case {
    const char *what;
    const char *program;
    const char *number; // reported once; null: nothing reported
  };
  const Case cases[] = {
      {"f(void) then f(void)", "int f(void);\nint f(void) { return 1; }", nullptr},
      {"the same parameters", "int f(int a, char *p);\nint f(int b, char *q) { return b; }", nullptr},
      {"a parameter of another type", "int f(int a, char *p);\nint f(int a, long p) { return a; }", "471"},
      {"a pointer for an int", "int f(int a);\nint f(int *a) { return 1; }", "471"},
      {"more parameters than the prototype", "int f(int a);\nint f(int a, int b) { return a; }", "473"},
      {"fewer parameters than the prototype", "int f(int a, int b);\nint f(int a) { return a; }", "473"},
      {"the prototype's ... takes the definition's extra parameters",
       "int f(int a, ...);\nint f(int a, int b) { return a; }", nullptr},
      {"a second prototype without ...", "int f(int a, ...);\nint f(int a);", "473"},
      {"a prototype without a body", "int f(int a);\nint f(long a);", "471"},
      {"no prototype: the definition records the list", "int f(int a) { return a; }\nint f(int a);", nullptr},
      {"void after a parameter", "int f(int a, void);", "706"},
      {"void before two parameters", "int f(void, int a, int b);", "706"},
      {"a lone void is no parameter", "int f(void);\nint f() { return 1; }\nint g(void) { return f(); }",
       nullptr},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string("#nodebug\n") + c.program);
    const std::vector<std::string> numbers = MessageNumbers();
    if (c.number)
      EXPECT_EQ(std::count(numbers.begin(), numbers.end(), c.number), 1)
          << c.what << ": " << ::testing::PrintToString(Records());
    else
      EXPECT_TRUE(numbers.empty()) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

TEST_F(FunctionBodyCompile, AReturnedValueTakesTheFunctionsType) {
  const std::vector<std::string> intToLong = {"ex    de,hl", "ld    a,d", "rla", "sbc   hl,hl", "ld    b,h",
                                              "ld    c,l", "ret"};
  struct Case {
    const char *what;
    const char *program;
    std::vector<std::string> listing;
    const char *warning; // null: none
  };
  std::vector<std::string> longFromConstant = {"ld    hl,0003"};
  longFromConstant.insert(longFromConstant.end(), intToLong.begin(), intToLong.end());
  const Case cases[] = {
      {"an int widened to a long", "long f(void) { return 3; }", longFromConstant, nullptr},
      {"an int narrowed to a char", "int g;\nchar f(void) { return g; }", {"ld    hl,(3FFE)", "ld    h,00", "ret"},
       nullptr},
      {"a value from a void function", "void f(void) { return 1; }", {"ld    hl,0001", "ret"}, "3006"},
      {"no value from an int function", "int f(void) { return; }", {"ret"}, "3007"},
  };
  for (const Case &c : cases) {
    CompileAlone(std::string("#nodebug\n") + c.program);
    const std::vector<std::string> numbers = MessageNumbers();
    EXPECT_EQ(numbers, c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{})
        << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(), c.listing)) << c.what;
  }
}

// What a return may not give back is reported once, where it stands; a
// deeper nesting of statements than any program has ends the compile with
// an error rather than on the compiler's own stack.
TEST_F(FunctionBodyCompile, ReturnsAndStatementsThatCannotBeCompiledAreReported) {
  auto nested = [](int depth) {
    return "void f(void) { " + std::string(size_t(depth), '{') + std::string(size_t(depth), '}') + " }";
  };
  struct Case {
    const char *what;
    std::string program;
    std::vector<std::string> numbers; // each reported once; none: nothing reported
  } cases[] = {
      {"a pointer from an int function", "int *p;\nint f(void) { return p; }", {"808"}},
      {"an int from a pointer function", "int *f(void) { return 1; }", {"808"}},
      {"a null pointer", "int *f(void) { return 0; }", {}},
      {"a structure from an int function", "struct S { int a, b; } s;\nint f(void) { return s; }", {"485", "808"}},
      {"a structure from an interrupt", "struct S { int a, b; } s;\ninterrupt struct S f(void) { return s; }",
       {"2046"}},
      {"another structure", "struct S { int a, b; } s;\nstruct T { int a, b; };\nstruct T f(void) { return s; }",
       {"808"}},
      {"the function's own structure", "struct S { int a, b; } s;\nstruct S f(void) { return s; }", {}},
      {"subfunc", "void f(void) { subfunc; }", {"2037"}},
      {"blocks nested to the bound", nested(510), {}},
      {"blocks nested past it", nested(2000), {"612"}},
  };
  for (const Case &c : cases) {
    CompileAlone("#nodebug\n" + c.program);
    const std::vector<std::string> numbers = MessageNumbers();
    for (const std::string &number : c.numbers) {
      EXPECT_EQ(std::count(numbers.begin(), numbers.end(), number), 1)
          << c.what << ": " << ::testing::PrintToString(Records());
    }
    if (c.numbers.empty()) {
      EXPECT_TRUE(numbers.empty()) << c.what << ": " << ::testing::PrintToString(Records());
    }
  }
  // The next compile starts with no statement open.
  EXPECT_EQ(CompileAlone(nested(510)), 0) << ::testing::PrintToString(Records());
}

// The functions compiled with debug code are listed with their range, for
// the debugger to find the one that holds an address.
TEST_F(FunctionBodyCompile, FunctionsWithDebugCodeAreListedWithTheirRange) {
  ASSERT_EQ(CompileAlone("#nodebug\nint quiet(void) { return 1; }\n#debug\n"
                         "int f(void) { return 1; }\nint g(int a) { int b; b = a; return b; }\nint f(void);"),
            0)
      << ::testing::PrintToString(Records());
  const std::vector<CompiledFunctionRecord> &list = CompiledFunctions();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "f");
  EXPECT_EQ(list[1].name, "g");
  const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
  const SymbolRecord *g = LookupSymbol("g", false, SymbolTableId::kGlobal);
  ASSERT_TRUE(f && g);
  EXPECT_EQ(Addr24ToLong(list[0].start), f->address);
  EXPECT_EQ(Addr24ToLong(list[1].start), g->address);
  // f ends on the byte before g.
  EXPECT_EQ(list[0].end.logical + 1, list[1].start.logical);
  EXPECT_GT(list[1].end.logical, list[1].start.logical);
  ASSERT_NE(FunctionAt(MakeAddr24(0, uint16_t(list[1].end.logical))), nullptr);
  EXPECT_EQ(FunctionAt(MakeAddr24(0, uint16_t(list[1].end.logical)))->name, "g");
}

// A function in extended memory: its code in the window, reached from
// root code directly by a long call or, with bouncers, through its root
// bouncer, whose address becomes the function's.
TEST_F(FunctionBodyCompile, ExtendedMemoryFunctionsAreEnteredFromRootCode) {
  const std::string program = std::string(kCorvidRootProgram) +
                              "#xcodorg xc 0x10 0xE000 0x1000 apply\n#nodebug\n"
                              "xmem int f(void) { return 1; }\n"
                              "int g(void) { return 2; }\n";
  const ADDR24 body = MakeAddr24(0x10, 0xE000);
  struct Case {
    bool noBouncers;
    ADDR24 address;
    std::vector<uint8_t> root; // the root code's bytes
  };
  const Case cases[] = {
      {true, body, {0x21, 0x02, 0x00, 0xC9}},
      {false, MakeAddr24(0, 0x1000), {0xCF, 0x00, 0xE0, 0x10, 0xC9, 0x21, 0x02, 0x00, 0xC9}},
  };
  for (const Case &c : cases) {
    TearDown();
    SetUp();
    CodeGenSetup().noBouncers = c.noBouncers;
    ASSERT_EQ(Compile(program), 0) << ::testing::PrintToString(Records());
    const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->address, Addr24ToLong(c.address)) << c.noBouncers;
    std::vector<uint8_t> root(c.root.size()), code(5);
    ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, 0x1000), uint32_t(root.size()), root.data()));
    EXPECT_EQ(HexBytes(root), HexBytes(c.root)) << c.noBouncers;
    // ld hl,1 and the long return.
    ASSERT_TRUE(ReadEmittedBytes(body, uint32_t(code.size()), code.data()));
    EXPECT_EQ(HexBytes(code), "21 01 00 ED 45") << c.noBouncers;
  }
}

} // namespace
} // namespace tsw::testing
