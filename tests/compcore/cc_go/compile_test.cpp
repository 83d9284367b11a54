#include "compcore/cc_gen/origins.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_session.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/addr24.h"
#include "foundation/memorymap.h"
#include "support/tempdir.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <algorithm>

namespace tsw::testing {
namespace {

// A program compiled through CompileFile, with the compiler as the product
// assembles it: only the shell and the message output are ours.
class ProductCompile : public ProgramCompileTest {
protected:
  void SetUp() override {
    dir.Write("LIB/A.LIB", "/*** beginheader fa, fb, fc */\nint fa();\n/*** endheader */\nint fa() { return 1; }\n");
    libraryDirectory = "LIB\\DEFAULT.H\nLIB\\A.LIB\n";
    defaultHeader = kDeclaresNothing;
    ProgramCompileTest::SetUp();
  }
};

TEST_F(ProductCompile, EachFrontEndModuleReportsToTheDiagnosticList) {
  struct Case {
    const char *module;
    const char *program;
    const char *record; // part of the one expected record's text
  };
  std::string pushes;
  for (int i = 0; i <= kDefaultStackEntries; ++i)
    pushes += "#memmap push xmem\n";
  const Case cases[] = {
      {"source input", "int a = 'x;\n", "[492]"},      {"brackets", "/* open\n", "[464]"},
      {"directives", "#if 1.5\n#endif\n", "[427]"},    {"macros", "#define M 1\n#define M 2\n", "[537]"},
      {"pragmas", "#pragma bogus\n", "[2132]"},        {"memmap", pushes.c_str(), "[428]"},
      {"libraries", "#use NONE.LIB\n", "[2002]"},      {"compile loop", "#asm bogus\n#endasm\n", "[524]"},
      {"symbol table", "int if;\n", "[2096]"},         {"declarations", "const int c;\n", "[549]"},
      {"parameters", "int f(x) int y; {\n", "[414]"},
  };
  for (const Case &c : cases) {
    ClearErrorList();
    uint16_t status = Compile(c.program);
    std::vector<std::string> records = Records();
    bool found = false;
    for (const std::string &r : records)
      found = found || r.find(c.record) != std::string::npos;
    EXPECT_TRUE(found) << c.module << ": " << ::testing::PrintToString(records);
    EXPECT_NE(status & kListHoldsRecords, 0) << c.module;
  }
}

TEST_F(ProductCompile, ACleanProgramLeavesTheListEmpty) {
  EXPECT_EQ(Compile("int a;\nchar *p;\nstruct s { int m; } v;\n"), 0);
  EXPECT_EQ(ErrorListHead(), nullptr);
  EXPECT_TRUE(shell.boxes.empty());
}

// The IDE builds the index once at start-up and then, per compile, only
// asks whether the libraries changed: the names a #use entered stay valid.
TEST_F(ProductCompile, LibraryNamesAreNotDuplicatesOnLaterCompiles) {
  ASSERT_EQ(CompileStage(false), 0);
  for (int compile = 1; compile <= 3; ++compile) {
    LibrariesChanged();
    ClearErrorList();
    EXPECT_EQ(Compile("#use \"A.LIB\"\n#use \"A.LIB\"\n"), 0) << compile << ": " << ::testing::PrintToString(Records());
    EXPECT_EQ(messages.BoxesWith("[527]"), 0u) << compile;
    EXPECT_NE(ModuleIndex().Find("fb"), nullptr) << compile;
  }
}

// The run-time routines the code generator calls carry a '.' in their
// names; high bytes are letters too.
TEST_F(ProductCompile, LibraryNamesKeepPeriodsAndHighBytes) {
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\RT.LIB\n");
  dir.Write("LIB/RT.LIB", "/* START FUNCTION DESCRIPTION ********\nF.div <RT.LIB>\n*/\n"
                          "/*** beginheader L.add, cl.gt,\n   F.div, r\xE9sum\xE9 */\n/*** endheader */\n");
  ASSERT_EQ(Compile("#use \"RT.LIB\"\n"), 0) << ::testing::PrintToString(Records());
  for (const char *name : {"L.add", "cl.gt", "F.div", "r\xE9sum\xE9"})
    EXPECT_NE(ModuleIndex().Find(name), nullptr) << name;
  for (const char *piece : {"L", "add", "cl", "gt", "F", "div", "r", "sum"})
    EXPECT_EQ(ModuleIndex().Find(piece), nullptr) << piece;
  ZModEntry *description = nullptr;
  ASSERT_EQ(FindLibraryFunction("F.div", &description, true), 1);
  EXPECT_EQ(description->names.Peek()->View(), "F.div");
}

// A BIOS information file with the given memory layout byte (high nibble:
// the window's page) and a table of one symbol.
std::vector<uint8_t> BiosInfoWithLayout(uint8_t layout,
                                        const std::vector<uint8_t> &table = {0x01, 0x00, 0x00, 'x' | 0x80}) {
  std::vector<uint8_t> file(kBiosInfoHeaderSize + table.size() + 0x10, 0);
  file[0] = 8; // RAM size code
  file[1] = layout;
  file[2] = 0x80; // RAM start page
  file[31] = uint8_t(table.size());
  std::copy(table.begin(), table.end(), file.begin() + kBiosInfoHeaderSize);
  return file;
}

TEST_F(ProductCompile, ImportedBiosLayoutMovesTheWindowAndItsSegments) {
  shell.biosInfo = BiosInfoWithLayout(0xD2);
  ASSERT_EQ(CompileStage(true), 0);
  EXPECT_EQ(ExtWindowStart, 0xD000);
  const ADDR24 a = PhysicalToAddr24(0x20123);
  EXPECT_EQ(Addr24Segment(a), 0x13);
  EXPECT_EQ(Addr24Logical(a), 0xD123);
  EXPECT_EQ(Addr24ToPhysical(a), 0x20123u);
  const ADDR24 next = Addr24Add(MakeAddr24(0x12, 0xD123), 1);
  EXPECT_EQ(Addr24Segment(next), 0x12);
  EXPECT_EQ(Addr24Logical(next), 0xD124);
  EXPECT_EQ(Addr24ToPhysical(next), 0x1F124u);
}

// One record of a BIOS symbol table: the 24-bit value, then the name with
// the end bit on its last character.
void AddBiosRecord(std::vector<uint8_t> &table, const std::string &name, uint32_t value) {
  table.insert(table.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)});
  for (size_t i = 0; i < name.size(); ++i)
    table.push_back(uint8_t(name[i] | (i + 1 == name.size() ? 0x80 : 0)));
}

TEST_F(ProductCompile, MemoryMapReadsTheBiosSymbolsAndTheConfiguration) {
  std::vector<uint8_t> table;
  AddBiosRecord(table, "IOP_DATAORG", 0x8000);
  AddBiosRecord(table, "IOP_DATASEGVAL", 0x55);
  AddBiosRecord(table, "IOP_STACKORG", 0xC000);
  AddBiosRecord(table, "IOP_STACKSEGVAL", 0x66);
  shell.biosInfo = BiosInfoWithLayout(0xE2, table);
  dir.Write("tsw.cfg", "free  = 10\nastk  = 20\nheap  = 100\n");
  ASSERT_EQ(CompileStage(true), 0);

  struct Case {
    uint16_t logical;
    uint8_t segment;
  };
  for (const Case c : {Case{0x7FFF, 0}, Case{0x8000, 0x55}, Case{0xBFFF, 0x55}, Case{0xC000, 0x66}})
    EXPECT_EQ(Addr24Segment(MakeDataAddr24(c.logical)), c.segment) << std::hex << c.logical;

  ComputeMemoryMap(0xC000);
  const MemoryMapValues &m = MemoryMap();
  EXPECT_EQ(m.FreeAreaStart, 0xBFFF - 0x10 + 1);
  EXPECT_EQ(m.AstkStart, m.FreeAreaStart - 1 - 0x20 + 1);
  EXPECT_EQ(m.HeapStart, ((m.AstkStart & 0xFF00) - 1) - 0x100 + 1);
}

// Errors in a long program, reported out of line order, are listed by line
// with their own line numbers.
TEST_F(ProductCompile, DiagnosticsPastLine32767KeepTheirLinesAndOrder) {
  const int errorLines[] = {65535, 100, 40000, 32767};
  std::vector<std::string> lines(65535, "");
  for (int line : errorLines)
    lines[size_t(line - 1)] = "int if;";
  std::string program;
  for (const std::string &line : lines)
    program += line + "\n";
  Compile(program);
  std::vector<int> listed;
  for (const sError *e = ErrorListHead(); e; e = e->next)
    if (e->text.find("[2096]") != std::string::npos) // a reserved word as a name
      listed.push_back(e->line);
  EXPECT_EQ(listed, (std::vector<int>{100, 32767, 40000, 65535})) << ::testing::PrintToString(Records());
}

TEST_F(ProductCompile, LongConfigurationLinesAreReadWhole) {
  dir.Write("tsw.cfg", "# " + std::string(77, '-') + "sym = 5 (do not use)\nlit = 2000\n");
  ASSERT_EQ(CompileStage(false), 0);
  EXPECT_EQ(CompilerConfig().sym, 4000);
  EXPECT_EQ(CompilerConfig().lit, 2000);
}

// A value beyond 16 bits is refused with a message naming its key, and the
// default stands.
TEST_F(ProductCompile, OutOfRangeConfigurationValuesKeepTheirDefaults) {
  struct Case {
    const char *line;
    uint16_t CompilerSettings::*variable;
    uint16_t expected;
    const char *box; // the key named, or nullptr for none
  };
  const Case cases[] = {
      {"sym = 99999", &CompilerSettings::sym, 4000, "sym"},
      {"ustk = 12345", &CompilerSettings::ustk, 0x800, "ustk"},
      {"sym = 40000", &CompilerSettings::sym, 40000, nullptr},
      {"warn = -1", &CompilerSettings::warn, 0xFFFF, nullptr},
      {"heap = ffff", &CompilerSettings::heap, 0xFFFF, nullptr},
  };
  texts_.ShowNumberAndArguments(kMsgConfigValueOutOfRange);
  for (const Case &c : cases) {
    ResetCompiler();
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    AssembleCompiler(boundaries);
    messages.boxes.clear();
    dir.Write("tsw.cfg", std::string(c.line) + "\n");
    ASSERT_EQ(CompileStage(false), 0) << c.line;
    EXPECT_EQ(CompilerConfig().*c.variable, c.expected) << c.line;
    if (c.box) {
      ASSERT_EQ(messages.boxes.size(), 1u) << c.line;
      EXPECT_NE(messages.boxes[0].find(c.box), std::string::npos) << messages.boxes[0];
      EXPECT_NE(messages.boxes[0].find(std::to_string(kMsgConfigValueOutOfRange)), std::string::npos)
          << messages.boxes[0];
    } else {
      EXPECT_TRUE(messages.boxes.empty()) << c.line;
    }
  }
}

// The origin directives reach the byte road through the product's assembly,
// and a compile to files with no board writes the image built from the
// listing, its HEX twin and the source-position file.
TEST_F(ProductCompile, OriginDirectivesPlaceTheBytesOfACompileToFilesWithoutBoard) {
  const std::string blob = dir.Write("BLOB.BIN", std::string("\x5A\xA5\x01", 3));
  const uint16_t status = Compile("#pragma Corvid\n"
                                  "#xcodorg xc 0x10 0xE000 0x1000 apply\n"
                                  "#rvarorg vars 0 0xC000 0x100 apply\n"
                                  "#ximport \"" +
                                  blob + "\" blob\n");
  EXPECT_EQ(status, 0) << ::testing::PrintToString(Records());
  ASSERT_GE(FindOrigin("xc"), 0);
  const OriginDirective &xc = *OriginTable()[size_t(FindOrigin("xc"))];
  EXPECT_EQ(xc.start.segment, 0x10);
  EXPECT_EQ(xc.start.logical, 0xE000);
  EXPECT_EQ(xc.size, 0x1000u);
  ASSERT_GE(FindOrigin("vars"), 0);
  EXPECT_EQ(OriginTable()[size_t(FindOrigin("vars"))]->start.logical, 0xC000);
  // The import's length word and bytes stand at the origin's start: the
  // image begins there.
  const std::string image = dir.Read("PROG.bin");
  ASSERT_GE(image.size(), 7u);
  EXPECT_EQ(image.substr(0, 7), std::string("\x03\x00\x00\x00\x5A\xA5\x01", 7));
  const std::string hex = dir.Read("PROG.hex");
  EXPECT_NE(hex.find("030000005AA501"), std::string::npos) << hex;
  EXPECT_TRUE(std::filesystem::exists(dir / "PROG.brk"));
  EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(ProductCompile, FlashSizeOfABoardIsTheDevicePageCount) {
  struct Case {
    uint16_t flashId;
    const char *pages;
  };
  // The largest devices once came out negative, the others eight times too
  // large.
  const Case cases[] = {{0x9999, "32"}, {0xBFB6, "64"}, {0xBFB7, "128"}, {0x1FA4, "128"}, {0x1F25, "16"}};
  for (const Case &c : cases) {
    // A board that names its flash device and answers nothing else.
    FakeLink board;
    board.readable = false;
    board.flashId = c.flashId;
    board.boardType = 0;
    board.baudRate = 57600;
    AssembleCompiler({.shell = &shell, .board = &board});
    ClearErrorList();
    // The target macros are defined while the BIOS compiles; its failure
    // ends the request before the program's compile starts afresh.
    dir.Write("BIOS.C", "int b;\n#error \"stop\"\n");
    BiosFirstFlag() = true;
    EXPECT_NE(Compile("int a;\n") & kCompileFailedBit, 0);
    EXPECT_STREQ(IsMacroDefined("_FLASH_SIZE_"), c.pages) << std::hex << c.flashId;
  }
  AssembleCompiler({.shell = &shell});
}

TEST_F(ProductCompile, AnUnclosedMacroCallEndsAtItsLine) {
  std::string program = "#define F(a) ((a) * 2)\nint x = F(1;\n";
  for (int i = 0; i < 3000; ++i)
    program += "int v" + std::to_string(i) + ";\n";
  program += "int if;\n";
  Compile(program);
  // The call is reported where it stands and the lines after it keep their
  // own numbers.
  std::vector<std::string> records = Records();
  EXPECT_NE(std::find(records.begin(), records.end(), dir / "PROG.C" + ":2:E|PROG.C|[492]"), records.end())
      << ::testing::PrintToString(records);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back(), dir / "PROG.C" + ":3003:W|PROG.C|[2096]");
}

TEST_F(ProductCompile, ADirectiveExpandsOnlyItsOwnLine) {
  // Read on into the next line, the condition would be F(1), true; on its
  // own line F is an undeclared name.
  Compile("#define F(x) x\n#if F\n(1)\nint yes;\n#endif\nint after;\n");
  EXPECT_EQ(Records(), (std::vector<std::string>{dir / "PROG.C" + ":2:E|PROG.C|[493]"}));
}

TEST_F(ProductCompile, ALoneWordAtALineEndLosesOnlyItself) {
  struct Case {
    const char *program;
    uint16_t wordLine;
  };
  // An unknown type, an undefined macro, a stray #endif.
  const Case cases[] = {{"uint8\nint ok;\nint ok;\n", 1},
                        {"int a;\nMY_UNDEFINED_MACRO\nint ok;\nint ok;\n", 2},
                        {"#endif\nint ok;\nint ok;\n", 1}};
  for (const Case &c : cases) {
    AssembleCompiler({.shell = &shell});
    ClearErrorList();
    Compile(c.program);
    // Every error stands on the word's line but the redeclaration of `ok`,
    // which shows that its first declaration was entered.
    std::vector<std::string> records = Records();
    const std::string at = dir / "PROG.C" + ":" + std::to_string(c.wordLine) + ":";
    ASSERT_GE(records.size(), 2u) << c.program;
    for (size_t i = 0; i + 1 < records.size(); ++i)
      EXPECT_EQ(records[i].rfind(at, 0), 0u) << c.program << ::testing::PrintToString(records);
    EXPECT_EQ(records.back().rfind(dir / "PROG.C" + ":" + std::to_string(c.wordLine + 2) + ":", 0), 0u)
        << c.program << ::testing::PrintToString(records);
  }
}

TEST_F(ProductCompile, MacroBodyLiteralsAreCopiedAsTheyStand) {
  // "##" in a literal pastes nothing: the library is found under the name as
  // written, not under "AB.LIB".
  dir.Write("LIB.DIR", "LIB\\DEFAULT.H\nLIB\\A##B.LIB\n");
  dir.Write("LIB/A##B.LIB", "/*** BeginHeader */\n/*** EndHeader */\n");
  AssembleCompiler({.shell = &shell});
  ClearErrorList();
  Compile("#define S \"A##B.LIB\"\n#use S\nint a;\n");
  EXPECT_EQ(Records(), (std::vector<std::string>{}));
}

TEST_F(ProductCompile, LongMacroNamesExpandAsTheyAreDefined) {
  // 40 bytes, significant to 32: the use, the definition and #ifdef agree.
  const std::string name = "A_MACRO_NAME_WELL_OVER_THE_LIMIT_0123456";
  Compile("#define " + name + " int\n" + name + " a;\n#ifndef " + name + "\n#error \"lost\"\n#endif\n");
  EXPECT_EQ(Records(), (std::vector<std::string>{}));
}

TEST_F(ProductCompile, ManyMacrosOnOneLineAllExpand) {
  // 130 distinct macros one after the other: never more than one is being
  // replaced at a time. Each expands to a type word; a lost one leaves a
  // declaration without a type.
  std::string program, line;
  for (int i = 0; i < 130; ++i) {
    program += "#define R" + std::to_string(i) + " int\n";
    line += "R" + std::to_string(i) + " v" + std::to_string(i) + "; ";
  }
  Compile(program + line + "\n");
  EXPECT_EQ(Records(), (std::vector<std::string>{}));
}

// After the BIOS compile that comes first, the program compile is no BIOS
// compile, even when the shell had set the flag for a BIOS compile of its own.
TEST_F(ProductCompile, TheBiosCompileClearsTheBiosFlag) {
  dir.Write("BIOS.C", "int biosVariable;\n");
  BiosFirstFlag() = true;
  BiosCompileFlag() = true;
  EXPECT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_FALSE(BiosFirstFlag());
}

TEST_F(ProductCompile, BiosSettingsAreTheShellsCurrentOnes) {
  EXPECT_EQ(GetBiosFileType(), 0);
  EXPECT_FALSE(IsUserBiosEnabled());
  shell.biosFileType = 2;
  shell.userBios = true;
  EXPECT_EQ(GetBiosFileType(), 2);
  EXPECT_TRUE(IsUserBiosEnabled());
}

// A long described name is kept as the cache can hold it, so the next start
// takes the caches instead of scanning the library and rewriting them.
TEST_F(ProductCompile, LongDescriptionNamesLetTheCacheBeTakenAfterARestart) {
  const std::string longName(40, 'n');
  dir.Write("LIB/A.LIB", "/* START FUNCTION DESCRIPTION\n" + longName + " <A.LIB>\n*/\n");
  ASSERT_EQ(Compile("int g;\n"), 0);
  const auto written = std::filesystem::last_write_time(dir / "LIB/A.HX1");
  ZModEntry *description = nullptr;
  ASSERT_EQ(FindLibraryFunction(longName.substr(0, 32), &description, true), 1);

  ResetCompiler();
  CompilerBoundaries boundaries;
  boundaries.shell = &shell;
  AssembleCompiler(boundaries);
  ASSERT_EQ(Compile("int g;\n"), 0);
  EXPECT_EQ(std::filesystem::last_write_time(dir / "LIB/A.HX1"), written);
  EXPECT_EQ(FindLibraryFunction(longName.substr(0, 32), &description, true), 1);
}

TEST_F(ProductCompile, ResetCompilerForgetsTheLastCompile) {
  Compile("#define KEPT 1\nint g;\n");
  ResetCompiler();
  EXPECT_EQ(LookupMacro("KEPT"), nullptr);
  EXPECT_EQ(ErrorListHead(), nullptr);
  EXPECT_TRUE(UsedLibraries().empty());
}

} // namespace
} // namespace tsw::testing
