#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decl_fixture.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/xerr.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tsw::testing {
namespace {

// The assembler's share of an #asm block as it will take it: the lines up
// to "#endasm", with a local symbol and a local label of the block's own.
// It notes whether those of an earlier item were still there.
class AsmBlockGenerator : public CodeGenerator {
public:
  void CompileAsmBlock(bool) override {
    symbolStillThere.push_back(LookupSymbol("blockLocal", false, SymbolTableId::kLocal) != nullptr);
    labelStillThere.push_back(FindLocalLabel("blockLabel") != nullptr);
    AddSymbol("blockLocal", 0, 0, 0, kClassAutoLocal);
    tsw::DefineLabel("blockLabel", 0, kFixLocal);
    do
      ProcessConditionalDirective();
    while (!EndOfInput && !MatchWordAtInput("#endasm"));
    if (!EndOfInput)
      CheckBracketNesting(kAsmClose, CurrentSourceLine(), CurrentSourceColumn());
    DiscardCurrentLine();
  }
  std::vector<bool> symbolStillThere, labelStillThere;
};

class Repairs : public ProgramCompileTest {
protected:
  void SetUp() override {
    defaultHeader = kDeclaresNothing;
    ProgramCompileTest::SetUp();
  }
};

// The IDE compiles the same program again and again in one compiler: each
// compile's globals are its own.
TEST_F(Repairs, GlobalsDoNotSurviveIntoTheNextCompile) {
  const char *programs[] = {"int g;\n", "int g;\nstruct s { int m; } v;\n", "struct s { int m; } v;\n"};
  for (const char *program : programs)
    for (int compile = 1; compile <= 3; ++compile) {
      ClearErrorList();
      EXPECT_EQ(Compile(program), 0) << program << compile << ": " << ::testing::PrintToString(Records());
    }
}

// A compile that reaches the error limit, or the end of one of its tables,
// ends there: the IDE gets the status of a failed compile and the list that
// tells why, never the exception itself.
TEST_F(Repairs, OverflowEndsTheCompileWithItsMessage) {
  struct Case {
    const char *what;
    std::string program;
    std::string lastWord;
  };
  std::string manyErrors;
  for (int line = 0; line < kMaxErrorRecords + 10; ++line)
    manyErrors += "@\n";
  const Case cases[] = {
      {"error limit", manyErrors, "[616]"},
      {"#fatal", "#fatal \"stop here\"\nint after;\n", "stop here"},
  };
  for (const Case &c : cases) {
    ClearErrorList();
    uint16_t status = 0;
    ASSERT_NO_THROW(status = Compile(c.program)) << c.what;
    EXPECT_NE(status & kCompileFailedBit, 0) << c.what;
    std::vector<std::string> records = Records();
    ASSERT_FALSE(records.empty()) << c.what;
    EXPECT_NE(records.back().find(c.lastWord), std::string::npos) << c.what << ": " << records.back();
    // The compiler is whole again: the next compile of a good program succeeds.
    ClearErrorList();
    EXPECT_EQ(Compile("int g;\n"), 0) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

// Each top-level item starts in a fresh local scope, and an #asm block
// leaves neither its local symbols nor its local labels to what follows.
TEST_F(Repairs, TopLevelItemsStartWithoutTheLocalsOfTheItemBefore) {
  struct Case {
    const char *what;
    const char *program;
    std::vector<bool> stillThere; // per block: the last block's locals seen
  };
  const Case cases[] = {
      {"blocks in a row", "#asm\n#endasm\n#asm\n#endasm\n", {false, false}},
      {"a declaration between", "#asm\n#endasm\nint g;\n#asm\n#endasm\n", {false, false}},
  };
  for (const Case &c : cases) {
    AsmBlockGenerator generator;
    Assemble({.codeGenerator = &generator});
    EXPECT_EQ(Compile(c.program), 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_EQ(generator.symbolStillThere, c.stillThere) << c.what;
    EXPECT_EQ(generator.labelStillThere, c.stillThere) << c.what;
    EXPECT_EQ(LookupSymbol("blockLocal", false, SymbolTableId::kLocal), nullptr) << c.what;
    EXPECT_EQ(FindLocalLabel("blockLabel"), nullptr) << c.what;
  }
  Assemble();
}

// The capacity errors of the symbol table: each is listed once, with its
// box, and ends the compile; none leaves a symbol entered but unfindable.
TEST_F(Repairs, AFullSymbolTableIsReportedOnceAndEndsTheCompile) {
  struct Case {
    const char *what;
    std::string program;
    const char *box;
  };
  // More parameters than the local table has buckets for (a quarter of the
  // default 4000 symbols).
  std::string manyParameters = "int f(int p0";
  for (int i = 1; i < 1100; ++i)
    manyParameters += ",\n int p" + std::to_string(i);
  manyParameters += ");\n";
  // Names of 32 characters fill the global share of the name memory long
  // before the records run out.
  std::string longNames;
  for (int i = 0; i < 2000; ++i) {
    std::string name = "name_" + std::to_string(i);
    longNames += "int " + name + std::string(32 - name.size(), 'x') + ";\n";
  }
  const Case cases[] = {
      {"local buckets", manyParameters, "[515]"},
      {"name memory", longNames, "[516]"},
  };
  for (const Case &c : cases) {
    FakeBackEnd functions;
    Assemble({.backEnd = &functions});
    uint16_t status = 0;
    ASSERT_NO_THROW(status = Compile(c.program)) << c.what;
    EXPECT_NE(status & kCompileFailedBit, 0) << c.what;
    size_t full = 0;
    for (const std::string &record : Records())
      full += record.find("[498]") != std::string::npos;
    EXPECT_EQ(full, 1u) << c.what << ": " << Records().size() << " records";
    EXPECT_EQ(messages.BoxesWith(c.box), 1u) << c.what << ": " << ::testing::PrintToString(messages.boxes);
  }
  Assemble();
}

// Every diagnostic carries its number, so its text comes from the language
// module like any other.
TEST_F(Repairs, EveryDiagnosticHasItsNumber) {
  struct Case {
    const char *program;
    const char *record;
  };
  const Case cases[] = {
      {"long big[20000];\n", ":1:E|PROG.C|[2129]"},
      {"int a;\n#if 1\nint b;\n", ":2:E|PROG.C|[2130]"},
      {"#pragma nonsense here\nint g;\n", ":1:W|PROG.C|[2132]"},
  };
  // The dimension is a constant of the expression compiler.
  FakeBackEnd constants;
  Assemble({.backEnd = &constants});
  for (const Case &c : cases) {
    ClearErrorList();
    Compile(c.program);
    EXPECT_EQ(Records(), (std::vector<std::string>{dir / "PROG.C" + c.record})) << c.program;
  }
  Assemble();
}

// A program is never refused for the number of its declarations: the
// entries that a function's compile may take back are those of one item.
TEST_F(Repairs, ManyDeclarationsWithoutStatementsAreAccepted) {
  // 1300 globals and 3900 parameters: more entries than the list of
  // entries to take back has room for in one compile (5000 at the default
  // 4000 symbols).
  std::string program;
  for (int i = 0; i < 1300; ++i)
    program += "int f" + std::to_string(i) + "(int a, int b, int c);\n";
  FakeBackEnd functions;
  Assemble({.backEnd = &functions});
  EXPECT_EQ(Compile(program), 0);
  EXPECT_EQ(Records(), std::vector<std::string>{});
  EXPECT_NE(LookupSymbol("f1299", false, SymbolTableId::kGlobal), nullptr);
  Assemble();
}

// A declarator too complex to be packed is reported and not entered: an
// entry whose levels and dimensions disagree would mislead every use.
TEST_F(Repairs, ADeclaratorTooComplexIsNotEntered) {
  struct Case {
    const char *program;
    const char *refused;
    unsigned message;
  };
  const Case cases[] = {
      {"int *(*(*(*y)[2])[3])[4][5];\nint ok;\n", "y", kMsgTooDeep},
      {"typedef int ****T4;\nT4 ****z;\nint ok;\n", "z", kMsgWordOverflow},
      {"struct S { int *(*(*(*y)[2])[3])[4][5]; };\nint ok;\n", "y_aA", kMsgTooDeep},
  };
  FakeBackEnd constants;
  for (const Case &c : cases) {
    Assemble({.backEnd = &constants});
    Compile(c.program);
    std::vector<std::string> records = Records();
    ASSERT_FALSE(records.empty()) << c.program;
    for (const std::string &record : records)
      EXPECT_NE(record.find("[" + std::to_string(c.message) + "]"), std::string::npos) << c.program << record;
    EXPECT_EQ(LookupSymbol(c.refused, false, SymbolTableId::kGlobal), nullptr) << c.program;
    EXPECT_NE(LookupSymbol("ok", false, SymbolTableId::kGlobal), nullptr) << c.program;
  }
  Assemble();
}

// An escape byte of the source is a character like any other, never the
// marker of a macro parameter.
TEST_F(Repairs, EscapeBytesInMacroBodiesAreText) {
  struct Case {
    std::string program;
    const char *declared; // a name the program declares, or null
    const char *notDeclared;
  };
  const Case cases[] = {
      {"#define O \x1b\nO\nint after;\n", "after", nullptr},
      {"#define F(a) a\x1b\nint F(x);\nint after;\n", "after", nullptr},
      {"#define F(a) \x1b"
       "0\x1b\nint F(x);\n",
       nullptr, "x"},
      {"#define S \"\x1b\"\nint after;\n", "after", nullptr},
  };
  for (const Case &c : cases) {
    ClearErrorList();
    ASSERT_NO_THROW(Compile(c.program)) << c.program;
    if (c.declared) {
      EXPECT_NE(LookupSymbol(c.declared, false, SymbolTableId::kGlobal), nullptr) << c.program;
    }
    if (c.notDeclared) {
      EXPECT_EQ(LookupSymbol(c.notDeclared, false, SymbolTableId::kGlobal), nullptr) << c.program;
    }
  }
}

// A fault of ours inside a compile reaches the IDE as an internal error,
// which it reports like every other failure.
TEST_F(Repairs, OtherExceptionsLeaveTheCompileAsInternalErrors) {
  struct ThrowingGenerator : CodeGenerator {
    void CompileAsmBlock(bool) override { throw std::out_of_range("a fault"); }
  } generator;
  Assemble({.codeGenerator = &generator});
  EXPECT_THROW(Compile("#asm\n#endasm\n"), xInternal);
  Assemble();
  EXPECT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
}

// "#ximport" copies exactly the bytes it reserved: a file whose size is
// not what was measured (a device, a file that grows) is an error, and the
// compile goes on.
TEST_F(Repairs, ImportCopiesExactlyTheReservedBytes) {
  // Ends a copy that would run on for ever.
  constexpr uint32_t kRunaway = 1 << 20;
  struct ImportTarget : CodeGenerator {
    bool ReserveXmemCode(uint32_t n) override {
      reserved = n;
      return true;
    }
    void EmitXmemImportByte(uint8_t) override {
      if (++emitted > reserved + kRunaway)
        throw std::length_error("import runs past its room");
    }
    uint32_t reserved = 0, emitted = 0;
  };
  struct Case {
    std::string file;
    uint32_t bytes; // reserved and emitted
    const char *error;
  };
  const Case cases[] = {
      {dir.Write("THREE.BIN", "abc"), 7, nullptr},
      {"/dev/zero", 4, "[2131]"},
  };
  for (const Case &c : cases) {
    ImportTarget target;
    Assemble({.codeGenerator = &target});
    Compile("#ximport \"" + c.file + "\" Z\nint after;\n");
    EXPECT_EQ(target.reserved, c.bytes) << c.file;
    EXPECT_EQ(target.emitted, c.bytes) << c.file;
    std::vector<std::string> expected;
    if (c.error)
      expected.push_back(dir / "PROG.C" + ":1:E|PROG.C|" + c.error);
    EXPECT_EQ(Records(), expected) << c.file;
    EXPECT_NE(LookupSymbol("after", false, SymbolTableId::kGlobal), nullptr) << c.file;
  }
  Assemble();
}

// Bracket reports pass the record limit; however many there are, the list
// still counts them and says the compile failed.
TEST_F(Repairs, SixtyFourThousandBracketReportsStillFailTheCompile) {
  // An initializer the expression compiler skips, opening parentheses that
  // its closing brace does not close: with its brace and the warning on the
  // initialized global, exactly 65,536 records.
  std::string program = "int x[] = {\n";
  for (int line = 0; line < 1023; ++line)
    program += std::string(64, '(') + "\n";
  program += std::string(62, '(') + "\n};\n";
  FakeBackEnd initializers;
  Assemble({.codeGenerator = &initializers, .backEnd = &initializers});
  EXPECT_NE(Compile(program) & kCompileFailedBit, 0);
  EXPECT_EQ(ErrorRecordCount(), 65536u);
  EXPECT_NE(ErrorListStatus() & kListHoldsErrors, 0u);
  Assemble();
}

// A BIOS information file of the default layout around a symbol table.
std::vector<uint8_t> BiosInfoWithTable(const std::vector<uint8_t> &table) {
  std::vector<uint8_t> file(kBiosInfoHeaderSize + table.size() + 0x10, 0);
  file[0] = 8;    // RAM size code
  file[1] = 0xE2; // layout byte
  file[2] = 0x80; // RAM start page
  file[31] = uint8_t(table.size());
  file[32] = uint8_t(table.size() >> 8);
  std::copy(table.begin(), table.end(), file.begin() + kBiosInfoHeaderSize);
  return file;
}

// The table's last byte ends the last name whether or not it carries the
// end bit; a name longer than a BIOS name can be is refused.
TEST_F(Repairs, TheBiosTableEndsTheLastName) {
  struct Case {
    const char *what;
    std::vector<uint8_t> table;
    bool loads;
  };
  const Case cases[] = {
      {"end bit", {0x34, 0x12, 0, 'a', 'b' | 0x80, 0x21, 0x43, 0, 'l', 'a', 's', 't' | 0x80}, true},
      {"no end bit", {0x34, 0x12, 0, 'a', 'b' | 0x80, 0x21, 0x43, 0, 'l', 'a', 's', 't'}, true},
  };
  for (const Case &c : cases) {
    Assemble();
    shell.biosInfo = BiosInfoWithTable(c.table);
    ASSERT_EQ(CompileStage(true), 0) << c.what;
    EXPECT_EQ(Addr24Logical(LookupBiosSymbol("ab", ADDR24{})), 0x1234) << c.what;
    EXPECT_EQ(Addr24Logical(LookupBiosSymbol("last", ADDR24{})), 0x4321) << c.what;
  }
  std::vector<uint8_t> tooLong = {0x21, 0x43, 0};
  tooLong.insert(tooLong.end(), 40, 'n');
  Assemble();
  shell.biosInfo = BiosInfoWithTable(tooLong);
  EXPECT_THROW(CompileStage(true), xErr);
  shell.biosInfo.reset();
}

// A library edited within the second of its last indexing, to the same
// size, is indexed again: in the running IDE, which finds it changed, and
// after a restart, whose cache was written before the edit.
TEST_F(Repairs, ALibraryEditedWithinTheSameSecondIsIndexedAgain) {
  using namespace std::chrono;
  namespace fs = std::filesystem;
  const auto second = floor<seconds>(fs::file_time_type::clock::now()) - seconds(10);
  auto writeLibrary = [&](const char *name, milliseconds into) {
    const std::string path =
        dir.Write("LIB/A.LIB", std::string("/*** beginheader ") + name + " */\n/*** endheader */\n");
    fs::last_write_time(path, second + into);
  };
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\A.LIB\n");
  dir.Write("BIOS.C", "int biosVariable;\n");
  for (bool restart : {false, true}) {
    for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"})
      fs::remove(dir / cache);
    writeLibrary("fa", milliseconds(100));
    Assemble();
    ASSERT_EQ(Compile("#use \"A.LIB\"\n"), 0) << ::testing::PrintToString(Records());
    ASSERT_NE(ModuleIndex().Find("fa"), nullptr);
    // The IDE asks after every compile.
    EXPECT_FALSE(LibrariesChanged());
    for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"})
      fs::last_write_time(dir / cache, second + milliseconds(200));
    writeLibrary("fb", milliseconds(300));
    if (restart) {
      Assemble();
      EXPECT_EQ(Compile("#use \"A.LIB\"\n"), 0) << ::testing::PrintToString(Records());
    } else {
      // The IDE asks whether the libraries the program used changed, and
      // then compiles the BIOS first, which takes the index up to date.
      EXPECT_TRUE(LibrariesChanged());
      BiosFirstFlag() = true;
      EXPECT_EQ(Compile("#use \"A.LIB\"\n"), 0) << ::testing::PrintToString(Records());
    }
    EXPECT_NE(ModuleIndex().Find("fb"), nullptr) << "restart " << restart;
    EXPECT_EQ(ModuleIndex().Find("fa"), nullptr) << "restart " << restart;
  }
}

// The caches of a library are taken at the next start only when they are
// whole: one whose module header starts after its end is scanned again; a
// description block at the library's very end gives a cache that is taken.
TEST_F(Repairs, LibraryCachesAreTakenWhenWholeAndOnlyThen) {
  using namespace std::chrono;
  namespace fs = std::filesystem;
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\A.LIB\n");
  auto restartAndCompile = [&] {
    Assemble();
    EXPECT_EQ(Compile("#use \"A.LIB\"\n"), 0) << ::testing::PrintToString(Records());
  };
  // The caches' time, after the library's: a cache written again shows.
  auto markCaches = [&] {
    const auto mark = fs::last_write_time(dir / "LIB/A.LIB") + seconds(1);
    for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"})
      fs::last_write_time(dir / cache, mark);
    return mark;
  };

  // A module header whose start a damaged cache puts past its end.
  dir.Write("LIB/A.LIB", "/*** beginheader fa */\nint headerDeclaration;\n/*** endheader */\n");
  restartAndCompile();
  ASSERT_NE(LookupSymbol("headerDeclaration", false, SymbolTableId::kGlobal), nullptr);
  {
    ZLibEntry cache;
    std::ifstream in(dir / "LIB/A.MD1", std::ios::binary);
    ASSERT_TRUE(cache.Read(in));
    ZModEntry *module = cache.modules.Peek();
    ASSERT_NE(module, nullptr);
    module->headerStart = module->headerEnd + 1;
    in.close();
    std::ofstream out(dir / "LIB/A.MD1", std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(cache.Write(out));
  }
  markCaches();
  restartAndCompile();
  EXPECT_NE(LookupSymbol("headerDeclaration", false, SymbolTableId::kGlobal), nullptr);

  // A description block that ends with the file.
  for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"})
    fs::remove(dir / cache);
  dir.Write("LIB/A.LIB", "/*** beginheader fa */\n/*** endheader */\n/* START FUNCTION DESCRIPTION");
  restartAndCompile();
  const auto mark = markCaches();
  restartAndCompile();
  for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"})
    EXPECT_EQ(fs::last_write_time(dir / cache), mark) << cache << " written again";
}

// Bytes this process has read from files so far: the work a compile does
// on its input, counted without a clock.
uint64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:")
      return value;
  return 0;
}

// A #use reads its library once, not once per module: four times the
// modules read about four times the bytes.
TEST_F(Repairs, AUsedLibraryIsReadOncePerUse) {
  if (BytesReadSoFar() == 0)
    GTEST_SKIP() << "no read counter on this system";
  auto bytesForModules = [&](int modules) {
    std::string library;
    for (int m = 0; m < modules; ++m)
      library += "/*** beginheader f" + std::to_string(m) + " */\nint v" + std::to_string(m) +
                 ";\n/*** endheader */\nint f" + std::to_string(m) + "() { return 0; }\n";
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\BIG.LIB\n");
    dir.Write("LIB/BIG.LIB", library);
    Assemble();
    EXPECT_EQ(CompileStage(false), 0);
    shell.compilePath = dir.Write("PROG.C", "#use \"BIG.LIB\"\n");
    const uint64_t before = BytesReadSoFar();
    EXPECT_EQ(CompileFile(1), 0) << ::testing::PrintToString(Records());
    EXPECT_NE(LookupSymbol("v" + std::to_string(modules - 1), false, SymbolTableId::kGlobal), nullptr);
    return double(BytesReadSoFar() - before);
  };
  const double ratio = bytesForModules(1200) / bytesForModules(300);
  EXPECT_LT(ratio, 6.0);
}

// Every compile defines the macros that describe the IDE's choices, the
// BIOS compile the processor names as well.
TEST_F(Repairs, EveryCompileDefinesTheTargetMacros) {
  FakeDirectiveShell choosing;
  choosing.ideBiosFlag = true;
  choosing.withoutBoard = true;
  choosing.runMode = 1;
  struct Case {
    const char *what;
    DirectiveShell *directiveShell;
    bool biosFirst;
    std::vector<std::pair<const char *, const char *>> macros; // name, body; null body: undefined
  };
  const Case cases[] = {
      {"neutral IDE", nullptr, false, {{"NO_BIOS", "1"}, {"DEBUG_RST", "1"}, {"_OFFLINE_COMPILE_", "0"}}},
      {"IDE choices", &choosing, false, {{"NO_BIOS", "0"}, {"DEBUG_RST", "0"}, {"_OFFLINE_COMPILE_", "1"}}},
      {"after a BIOS compile", nullptr, true, {{"NO_BIOS", "1"}, {"Z180", "0"}, {"TARGETCPU", "Z180"}}},
  };
  dir.Write("BIOS.C", "int biosVariable;\n");
  for (const Case &c : cases) {
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.directiveShell = c.directiveShell;
    AssembleCompiler(boundaries);
    BiosFirstFlag() = c.biosFirst;
    EXPECT_EQ(Compile("int g;\n"), 0) << c.what << ::testing::PrintToString(Records());
    for (const auto &[name, body] : c.macros) {
      const char *defined = IsMacroDefined(name);
      ASSERT_NE(defined, nullptr) << c.what << " " << name;
      EXPECT_STREQ(defined, body) << c.what << " " << name;
    }
  }
  Assemble();
}

// Macro calls nested in each other's arguments are expanded to a bounded
// depth: deeper nesting is one numbered error on its line, and the next
// line compiles.
TEST_F(Repairs, MacroCallsNestTooDeepWithAnError) {
  struct Case {
    int depth;
    bool refused;
  };
  for (const Case c : {Case{100, false}, Case{10000, true}}) {
    ClearErrorList();
    std::string nested;
    for (int i = 0; i < c.depth; ++i)
      nested += "F(";
    nested += "x";
    nested += std::string(size_t(c.depth), ')');
    Compile("#define F(a) a\nint " + nested + ";\nint after;\n");
    std::vector<std::string> expected;
    if (c.refused)
      expected.push_back(dir / "PROG.C" + ":2:E|PROG.C|[539]");
    EXPECT_EQ(Records(), expected) << c.depth;
    EXPECT_EQ(LookupSymbol("x", false, SymbolTableId::kGlobal) != nullptr, !c.refused) << c.depth;
    EXPECT_NE(LookupSymbol("after", false, SymbolTableId::kGlobal), nullptr) << c.depth;
  }
}

// One macro used thousands of times on one line: every use expands, whether
// its replacement is shorter or longer than the call, or holds further
// calls.
TEST_F(Repairs, ManyUsesOfOneMacroOnALineAllExpand) {
  struct Case {
    const char *definitions;
    const char *use; // declares the name that follows it
  };
  const Case cases[] = {
      {"#define I int\n", "I"},
      {"#define LONGER_THAN_ITS_NAME unsigned long\n", "LONGER_THAN_ITS_NAME"},
      {"#define T(x) x\n#define U T(unsigned)\n", "U"},
  };
  constexpr int kUses = 1000;
  for (const Case &c : cases) {
    ClearErrorList();
    std::string line;
    for (int n = 0; n < kUses; ++n)
      line += std::string(c.use) + " v" + std::to_string(n) + ";";
    EXPECT_EQ(Compile(std::string(c.definitions) + line + "\n"), 0) << c.use << ::testing::PrintToString(Records());
    for (int n : {0, kUses / 2, kUses - 1})
      EXPECT_NE(LookupSymbol("v" + std::to_string(n), false, SymbolTableId::kGlobal), nullptr) << c.use << n;
  }
}

} // namespace
} // namespace tsw::testing
