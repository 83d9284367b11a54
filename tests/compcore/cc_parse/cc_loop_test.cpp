#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/compiler_fixture.h"
#include "compcore/front_end_fixture.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

struct Item {
  std::string text;
  uint16_t line;
  std::string file;
  bool operator==(const Item &o) const { return text == o.text && line == o.line && file == o.file; }
};
std::ostream &operator<<(std::ostream &os, const Item &i) { return os << i.text << "@" << i.file << ":" << i.line; }

// Takes everything up to and including ';' as one declaration, and records
// what the loop hands the code generator.
class RecordingCompiler : public TopLevelCompiler, public CodeGenerator {
public:
  int ParseDeclaration(int) override {
    if (!IsIdentStart(*InputCursor))
      return 0;
    Item item{"", CurrentSourceLine(), CurrentSourceFileName()};
    itemAttributes.push_back(Attributes().declaration);
    for (char c; (c = NextInputChar()) != 0;) {
      item.text.push_back(c);
      if (c == ';')
        break;
    }
    items.push_back(item);
    return 1;
  }
  void SelectCodeCache(ADDR24) override { calls.push_back("root"); }
  void CompileAsmBlock(bool debug) override {
    asmBlocks.push_back(debug);
    asmAttributes.push_back(Attributes().current);
    do
      ProcessConditionalDirective();
    while (!EndOfInput && !MatchWordAtInput("#endasm"));
    if (!EndOfInput)
      CheckBracketNesting(kAsmClose, CurrentSourceLine(), CurrentSourceColumn());
    DiscardCurrentLine();
  }
  void EmitPendingStubsAndStrings() override { ++stubEmissions; }
  void FinishTopLevel() override { finished = true; }
  bool ReserveXmemCode(uint32_t n) override {
    reserved = n;
    return true;
  }
  uint32_t XmemCodePhysical() override { return 0x12345 + uint32_t(emitted.size()); }
  void EmitXmemImportByte(uint8_t byte) override { emitted.push_back(byte); }
  void PrecompileDirective() override {
    std::string name;
    SkipSpaces();
    ReadIdentifier(name);
    calls.push_back("precompile " + name);
  }
  void BeginCommon() override { calls.push_back("begin"); }
  void EndCommon() override { calls.push_back("end"); }
  std::vector<std::string> calls;
  uint32_t reserved = 0;
  std::vector<uint8_t> emitted;
  std::vector<Item> items;
  std::vector<bool> asmBlocks;
  std::vector<uint32_t> asmAttributes;
  std::vector<uint32_t> itemAttributes;
  bool finished = false;
  int stubEmissions = 0;
};

class Front2Loop : public FrontEndFixture {
protected:
  void SetUp() override {
    FrontEndFixture::SetUp();
    SetCodeGenerator(&compiler);
  }
  void Compile(const std::string &program) {
    Start(program);
    ReadNextLineAndRewind();
    ProcessDirective();
    CompileTopLevel(compiler, false, {}, nullptr);
  }
  // The texts of the compiled items, of one file or of all.
  std::vector<std::string> ItemTexts(const std::string &file = {}) const {
    std::vector<std::string> texts;
    for (const Item &i : compiler.items)
      if (file.empty() || i.file == file)
        texts.push_back(i.text);
    return texts;
  }
  RecordingCompiler compiler;
  TempDir dir;
};

TEST_F(Front2Loop, FlushlibResumesTheProgramExactlyAtTheCursor) {
  std::string lib = dir.Write("M.LIB", "int lib1;\nint lib2;\n");
  index.bodies = {{lib, 0, 100, 0}};
  Compile("int a; #flushlib int b;\n  int c;\n");
  std::vector<Item> expected = {{"int a;", 1, "PROG.C"},
                                {"int lib1;", 1, lib},
                                {"int lib2;", 2, lib},
                                {"int b;", 1, "PROG.C"},
                                {"int c;", 2, "PROG.C"}};
  EXPECT_EQ(compiler.items, expected);
  EXPECT_TRUE(sink.records.empty());
  EXPECT_TRUE(compiler.finished);
}

// Macro text cannot be read again from its source position (that names the
// macro): the program is left only after the cursor has passed it.
TEST_F(Front2Loop, InterleaveWaitsUntilTheCursorIsPastMacroText) {
  std::string lib = dir.Write("M.LIB", "skip\nint m1;\n");
  for (int i = 0; i < 65; ++i)
    index.bodies.push_back({lib, 5, 100, 1});
  Compile("#define TWO int a; int b;\nTWO int c;\nint d;\n");
  EXPECT_EQ(ItemTexts("PROG.C"), (std::vector<std::string>{"int a;", "int b;", "int c;", "int d;"}));
  // The library's items come after the expansion, before "int c;".
  std::vector<std::string> firstItems = ItemTexts();
  firstItems.resize(3);
  EXPECT_EQ(firstItems, (std::vector<std::string>{"int a;", "int b;", "int m1;"}));
}

TEST_F(Front2Loop, FlushlibFromMacroTextWaitsForItsEnd) {
  std::string lib = dir.Write("M.LIB", "int lib1;\n");
  index.bodies = {{lib, 0, 100, 0}};
  // The macro's arguments run over lines that hold a directive and the
  // #flushlib: once compiled, the expansion must not come back.
  Compile("#define F(a,b) a##b\nF( int x; \n#flushlib\n int y; , ) int z;\n");
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"int x;", "int y;", "int lib1;", "int z;"}));
  EXPECT_TRUE(compiler.finished);
}

TEST_F(Front2Loop, FlushlibOnALineNumberedPast65535) {
  std::string lib = dir.Write("M.LIB", "int lib1;\n");
  index.bodies = {{lib, 0, 100, 0}};
  Compile("#linenum 65535\nint a;\nint b; #flushlib int c;\nint d;\n");
  EXPECT_EQ(ItemTexts(), (std::vector<std::string>{"int a;", "int b;", "int lib1;", "int c;", "int d;"}));
}

TEST_F(Front2Loop, ThresholdInterleaveLosesAndDoublesNothing) {
  std::string lib = dir.Write("M.LIB", "skip\nint m1;\n");
  // 65 names waiting: the interleave starts after the first item.
  for (int i = 0; i < 65; ++i)
    index.bodies.push_back({lib, 5, 100, 1});
  Compile("int a; int b;\nint c;\n");
  ASSERT_GE(compiler.items.size(), 3u);
  EXPECT_EQ(compiler.items.front(), (Item{"int a;", 1, "PROG.C"}));
  std::vector<Item> program;
  size_t libraryItems = 0;
  for (const Item &i : compiler.items)
    if (i.file == "PROG.C")
      program.push_back(i);
    else
      ++libraryItems;
  EXPECT_EQ(program, (std::vector<Item>{{"int a;", 1, "PROG.C"}, {"int b;", 1, "PROG.C"}, {"int c;", 2, "PROG.C"}}));
  EXPECT_EQ(libraryItems, 65u);
  EXPECT_EQ(compiler.items[1], (Item{"int m1;", 2, lib}));
}

TEST_F(Front2Loop, NointerleaveCompilesModulesAfterTheProgram) {
  std::string lib = dir.Write("M.LIB", "int lib1;\n");
  for (int i = 0; i < 65; ++i)
    index.bodies.push_back({lib, 0, 100, 0});
  Compile("#nointerleave\nint a;\nint b;\n");
  ASSERT_GE(compiler.items.size(), 3u);
  EXPECT_EQ(compiler.items[0].text, "int a;");
  EXPECT_EQ(compiler.items[1].text, "int b;");
  EXPECT_EQ(compiler.items[2].file, lib);
}

TEST_F(Front2Loop, UnknownItemIsReportedAndSkipped) {
  Compile("int a; ) int b;");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{408}));
  EXPECT_EQ(compiler.items.size(), 2u);
}

TEST_F(Front2Loop, AsmLineOptionsAndUnknownWords) {
  Compile("#asm nodebug xmem bogus\n#endasm\nint a;");
  EXPECT_EQ(compiler.asmBlocks, (std::vector<bool>{false}));
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{524}));
  // The block goes to root code, without debug code, whatever the line asked.
  ASSERT_EQ(compiler.asmAttributes.size(), 1u);
  EXPECT_EQ(compiler.asmAttributes[0] & (kAttrXmem | kAttrDebug | kAttrStep | kAttrCodeBlock), kAttrCodeBlock);
  EXPECT_EQ(compiler.calls, (std::vector<std::string>{"root"}));
}

TEST_F(Front2Loop, EveryItemStartsFromTheDirectiveDefaultsAndTheMemmapDefault) {
  // The directives after an item are read before the next item starts.
  Compile("int z;\n#memmap xmem\nint a;\n#nodebug\n#memmap root\nint b;\n#memmap anymem\nint c;");
  ASSERT_EQ(compiler.itemAttributes.size(), 4u);
  EXPECT_EQ(compiler.itemAttributes[1] & (kAttrXmem | kAttrDebug), kAttrXmem | kAttrDebug);
  EXPECT_EQ(compiler.itemAttributes[2] & (kAttrXmem | kAttrDebug), 0u);
  // Anymem with no BIOS data origin: root code plus the threshold is past 0.
  EXPECT_EQ(compiler.itemAttributes[3] & kAttrXmem, kAttrXmem);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Loop, StepDirectivesLeaveTheNextLinePreprocessed) {
  Compile("#define T int\n#nostep\n#define U 1\nT a;\n");
  ASSERT_EQ(compiler.items.size(), 1u);
  EXPECT_EQ(compiler.items[0].text, "int a;");
  EXPECT_FALSE(Attributes().directiveDefaults & kAttrStep);
}

TEST_F(Front2Loop, StepItemsEndLikeEveryOtherItem) {
  Compile("#norst\nint a;\n");
  EXPECT_EQ(compiler.stubEmissions, 2); // after "#norst" and after "int a;"
}

TEST_F(Front2Loop, MatchKeywordTracksBracketsOnlyOnAMatch) {
  static std::string tracked;
  tracked.clear();
  SetBracketTracker([](char c, uint16_t, uint16_t) { tracked.push_back(c); });
  InstallLogicalLine({"(integer", std::vector<uint16_t>(8, 1), {1, 2, 3, 4, 5, 6, 7, 8}}, 0);
  EXPECT_EQ(MatchKeyword("(int"), 0);
  EXPECT_EQ(tracked, "");
  EXPECT_EQ(MatchKeyword("(integer"), 1);
  EXPECT_EQ(tracked, "(integer");
  SetBracketTracker(nullptr);
}

TEST_F(Front2Loop, XimportEmitsSizeAndBytesAndDefinesTheAddress) {
  std::string data = dir.Write("blob.bin", std::string("\x01\x02\x03", 3));
  std::string empty = dir.Write("empty.bin", "");
  Compile("#ximport \"" + data + "\" BLOB\n#ximport \"" + empty + "\" NONE\nint a;");
  EXPECT_EQ(compiler.emitted, (std::vector<uint8_t>{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}));
  EXPECT_STREQ(IsMacroDefined("BLOB"), "0x12345L");
  EXPECT_STREQ(IsMacroDefined("NONE"), "0x1234cL");
  EXPECT_EQ(compiler.items.size(), 1u);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Loop, XimportErrors) {
  std::string data = dir.Write("blob.bin", "x");
  Compile("#ximport \"" + dir.path() + "/missing.bin\" M\n#ximport \"" + data + "\"\n#ximport \"open\nint a;");
  // The unclosed name is also an unclosed literal for the macro expander.
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{2014, 2015, 492, 2013}));
  ASSERT_EQ(compiler.items.size(), 1u) << sink.records.back().text;
  EXPECT_EQ(compiler.items[0].text, "int a;");
}

TEST_F(Front2Loop, LoopDirectivesReachTheCompiler) {
  Compile("#precompile printf\n#begincommon\nint c;\n#endcommon\n#pragma Corvid\nint TARGETCPU;");
  EXPECT_EQ(compiler.calls, (std::vector<std::string>{"precompile printf", "begin", "end"}));
  ASSERT_EQ(compiler.items.size(), 2u);
  EXPECT_EQ(compiler.items[1].text, "int CRV;");
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(Front2Loop, BoardMacros) {
  FakeLink link;
  TargetMacroSettings settings;
  settings.projectMacros = {"A", "1", "B", "", "C"};
  settings.memoryMode = 1;
  DefineBoardMacros(settings, &link);
  EXPECT_STREQ(IsMacroDefined("A"), "1");
  EXPECT_EQ(IsMacroDefined("B"), nullptr);
  EXPECT_EQ(IsMacroDefined("C"), nullptr);
  EXPECT_STREQ(IsMacroDefined("_ID_BLOCK_SIZE_"), "128L");
  EXPECT_STREQ(IsMacroDefined("_ID_BLOCK_PTR_"), "8064L");
  EXPECT_STREQ(IsMacroDefined("_SECTOR_SIZE_"), "4096");
  EXPECT_STREQ(IsMacroDefined("_FLASH_SIZE_"), "64");
  EXPECT_STREQ(IsMacroDefined("_RAM_SIZE_"), "32");
  EXPECT_STREQ(IsMacroDefined("_USE115KBAUD_"), "1");
  EXPECT_STREQ(IsMacroDefined("_RAM_"), "1");

  link.readable = false;
  link.flashId = 0x9999;
  DefineBoardMacros(settings, &link);
  EXPECT_STREQ(IsMacroDefined("_ID_BLOCK_SIZE_"), "0L");
  EXPECT_STREQ(IsMacroDefined("_SECTOR_SIZE_"), "128");
  EXPECT_STREQ(IsMacroDefined("_FLASH_SIZE_"), "32");

  TargetMacroSettings offline;
  offline.withoutBoard = true;
  offline.crystalSpeed = 30 * 614400;
  DefineBoardMacros(offline, nullptr);
  EXPECT_STREQ(IsMacroDefined("_FREQ_DIV_19200_"), "30");
  offline.crystalSpeed -= 1;
  DefineBoardMacros(offline, nullptr);
  EXPECT_STREQ(IsMacroDefined("_FREQ_DIV_19200_"), "29");
}

// The loop over the real diagnostic list and bracket checker.
class Front2LoopReports : public Front2Loop {
protected:
  void SetUp() override {
    Front2Loop::SetUp();
    ResetMessageTextModule();
    SetMessageTexts(&texts);
    ClearErrorList();
    InstallErrorListSink();
  }
  void TearDown() override {
    Front2Loop::TearDown();
    ResetMessageTextModule();
  }
  // A library whose one header block is `text`.
  std::string UseableLibrary(const std::string &name, const std::string &text) {
    std::string path = dir.Write(name, text);
    index.libraries[name] = {{path, 0, uint32_t(text.size()), 0}};
    return path;
  }
  // Each record as "file:line:message text".
  static std::vector<std::string> Records() {
    std::vector<std::string> out;
    for (const sError *e = ErrorListHead(); e; e = e->next)
      out.push_back(e->file + ":" + std::to_string(e->line) + ":" + e->text.substr(e->text.rfind('|') + 1));
    return out;
  }
  NumberedTexts texts;
};

TEST_F(Front2LoopReports, DiagnosticsAreFiledUnderTheFileBeingRead) {
  std::string lib = UseableLibrary("X.LIB", "#error in the library\nint h;\n");
  Compile("#use X.LIB\n#error in the program\nint a;\n");
  EXPECT_EQ(Records(), (std::vector<std::string>{lib + ":1:in the library", "PROG.C:2:in the program"}));
}

struct UnclosedCase {
  const char *name;
  const char *header;
  const char *program;
  std::vector<std::string> records; // "LIB" stands for the library's path
};

TEST_F(Front2LoopReports, ACommentOrAsmBlockLeftOpenIsReportedAtTheEndOfItsFile) {
  const UnclosedCase cases[] = {
      {"comment in the program", "", "int a; /* open\nint b;\n", {"PROG.C:1:[464]"}},
      {"comment in a library header", "int h;\n/* open\n", "#use X.LIB\nint a;\n", {"LIB:2:[464]"}},
      {"asm block", "", "int a;\n#asm\nnop\n", {"PROG.C:2:[2091]"}},
      {"all closed", "", "int a; /* one\ntwo */ int b;\n#asm\n#endasm\nint c;\n", {}},
  };
  for (const UnclosedCase &c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    std::string lib = UseableLibrary("X.LIB", c.header);
    Compile(c.program);
    std::vector<std::string> expected;
    for (std::string r : c.records)
      expected.push_back(r.rfind("LIB", 0) == 0 ? lib + r.substr(3) : r);
    EXPECT_EQ(Records(), expected);
  }
}

TEST_F(Front2Loop, TheProgramStartsWithDebugCodeWhateverTheHeadersLeft) {
  std::string header = "int h;\n#nodebug\n";
  index.libraries["DEFAULT.H"] = {{dir.Write("DEFAULT.H", header), 0, uint32_t(header.size()), 0}};
  Compile("int a;\n");
  ASSERT_EQ(compiler.itemAttributes.size(), 2u);
  EXPECT_TRUE(compiler.itemAttributes[1] & kAttrDebug);
}

struct ProgramJumpCase {
  const char *name;
  const char *program;
  bool biosCode;
  bool patched;
};

TEST_F(Front2Loop, BiosEndPatchesTheProgramJumpOnlyWithAProgramLoaded) {
  const ProgramJumpCase cases[] = {
      {"BIOS code, program loaded", "#pragma CompileProgram\nint a;\n", true, true},
      {"program code", "#pragma CompileProgram\nint a;\n", false, false},
      {"no jump was left", "int a;\n", true, false},
  };
  BiosCompileFlag() = true;
  for (const ProgramJumpCase &c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> log;
    FakeCodeGen codegen(log);
    FakeDirectiveShell shell(&log);
    FakeLink board;
    shell.loaded = true;
    codegen.biosCode = c.biosCode;
    SetCodeGenerator(&codegen);
    SetDirectiveTargets(&shell, &board);
    ResetPragmaModule();
    Compile(c.program);
    EXPECT_EQ(!log.empty() && log.back() == "patch 00:1234", c.patched);
  }
  BiosCompileFlag() = false;
  SetCodeGenerator(&compiler);
  SetDirectiveTargets(nullptr, nullptr);
}

} // namespace
} // namespace tsw::testing
