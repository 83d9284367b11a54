#include "compcore/cc_in/cc_attrs.h"
#include "compcore/front_end_fixture.h"

#include "support/tempdir.h"

#include "foundation/xerr.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class Front2Test : public FrontEndFixture {
protected:
  std::vector<Delivered> Run(const std::string &program) {
    Start(program);
    return DeliverAll();
  }
};

TEST_F(Front2Test, PrologueOfProgramAndBiosCompiles) {
  index.libraries.erase("DEFAULT.H");
  SetProgramSource("PROG.C", std::make_unique<MemoryLineStream>("x"));
  ResetLineSources({});
  EXPECT_STREQ(GetNextSourceLine(), "");
  EXPECT_STREQ(GetNextSourceLine(), "");
  EXPECT_STREQ(GetNextSourceLine(), "#use default.h");
  EXPECT_STREQ(GetNextSourceLine(), "x");
  EXPECT_EQ(GetNextSourceLine(), nullptr);

  PrologueSettings bios;
  bios.biosCompile = true;
  bios.packedVersion = 0x1234;
  SetProgramSource("BIOS.C", std::make_unique<MemoryLineStream>("y\n"));
  ResetLineSources(bios);
  EXPECT_STREQ(GetNextSourceLine(), "#define ROM 1");
  EXPECT_STREQ(GetNextSourceLine(), "#define CC_VER 0x1234");
  EXPECT_STREQ(GetNextSourceLine(), "");
  EXPECT_STREQ(GetNextSourceLine(), "y");
  EXPECT_STREQ(GetNextSourceLine(), ""); // a final line feed leaves one empty line
  EXPECT_EQ(GetNextSourceLine(), nullptr);
}

struct LogicalCase {
  const char *input;
  const char *text;
};

TEST_F(Front2Test, PhysicalToLogicalLines) {
  const LogicalCase cases[] = {
      {"a  /* c */  b", "a  b"},
      {"name // rest", "name  "},
      {"x / y", "x / y"},
      {"   lead\tand   runs ", "lead and runs"},
      {"s = \"a\\\"b\";", "s = \"a\\\"b\";"},
      {"c = '\\'';", "c = '\\'';"},
      {"a /* spans\nlines */ b", "a  b"},
      {"join\\\ned", "joined"},
      {"\"lit\\\ncont\"", "\"litcont\""},
      {"\"open\n", "\"open"},
  };
  for (const LogicalCase &c : cases) {
    Restart();
    auto all = Run(c.input);
    auto texts = Texts(all);
    ASSERT_EQ(texts.size(), 1u) << c.input;
    EXPECT_EQ(texts[0], c.text) << c.input;
  }
}

TEST_F(Front2Test, ColumnMapsFollowTheSource) {
  auto all = Run("  ab /* x */ c\\\n  de");
  const Delivered *line = nullptr;
  for (const Delivered &d : all)
    if (!d.text.empty())
      line = &d;
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text, "ab  c de");
  // 'a' at 1:3, the comment's space at the '*' (1:8), 'c' at 1:14, then
  // line 2's blank run folded to its first blank and 'd' at 2:3.
  EXPECT_EQ(line->lines, (std::vector<uint16_t>{1, 1, 1, 1, 1, 2, 2, 2}));
  EXPECT_EQ(line->columns, (std::vector<uint16_t>{3, 4, 5, 7, 14, 1, 3, 4}));
}

TEST_F(Front2Test, AssemblySemicolonComments) {
  Start("ld a,1 ; load\nc x = 1; y = 2;");
  SourceLanguageMode = kLangAsm;
  auto texts = Texts(DeliverAll());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "ld a,1 ");
  EXPECT_EQ(texts[1], "c x = 1; y = 2;");
}

TEST_F(Front2Test, CharacterClassesAreFixed) {
  EXPECT_EQ(CharClasses[0xE9], kClassLetter);
  EXPECT_EQ(CharClasses[27], 0u);
  EXPECT_EQ(CharClasses[0], 0u);
  EXPECT_EQ(CharClasses['_'], kClassUnderscore);
  EXPECT_EQ(CharClasses['\f'], kClassBlank);
  EXPECT_EQ(CharClasses['.'], kClassPeriod);
  EXPECT_EQ(CharClasses['+'], 0u);
}

TEST_F(Front2Test, LongLineIsDeliveredWholeAndLaterLinesKeepTheirNumbers) {
  std::string longLine = "int " + std::string(240, 'a') + "_token_across_249 = 1;";
  longLine.resize(300, ' ');
  longLine.back() = ';';
  auto all = Run(longLine + "\nnext;\n");
  std::vector<Delivered> nonEmpty;
  for (const Delivered &d : all)
    if (!d.text.empty())
      nonEmpty.push_back(d);
  ASSERT_EQ(nonEmpty.size(), 2u);
  EXPECT_NE(nonEmpty[0].text.find(std::string(240, 'a') + "_token_across_249"), std::string::npos);
  EXPECT_EQ(nonEmpty[1].text, "next;");
  EXPECT_EQ(nonEmpty[1].lines[0], 2);
}

TEST_F(Front2Test, LinenumNamesTheNextLine) {
  auto all = Run("a\n#linenum 100\nb\nc");
  std::vector<uint16_t> lines;
  for (const Delivered &d : all)
    if (!d.text.empty())
      lines.push_back(d.lines[0]);
  EXPECT_EQ(lines, (std::vector<uint16_t>{1, 100, 101}));
}

TEST_F(Front2Test, DiagnosticsCarryTheCursorPositionAndAreBounded) {
  InstallLogicalLine({"abc", {1, 1, 1}, {3, 4, 5}}, 1);
  CompileError<492>(std::string(5000, 'x'));
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].message, 492u);
  EXPECT_LT(sink.records[0].text.size(), kDiagnosticTextSize);
  EXPECT_EQ(sink.records[0].line, 1);
  EXPECT_EQ(sink.records[0].column, 4);
  EXPECT_TRUE(ErrorOccurred());
}

class LimitSink : public RecordingSink {
public:
  bool RecordError(unsigned message, uint16_t line, uint16_t column, const std::string &text) override {
    RecordingSink::RecordError(message, line, column, text);
    return records.size() >= 2;
  }
};

TEST_F(Front2Test, RaisersEndTheCompileWhereTheyMust) {
  LimitSink limited;
  SetDiagnosticSink(&limited);
  CompileError<408>();
  EXPECT_THROW(CompileError<408>(), xCCErrOvflo);

  limited.records.clear();
  EXPECT_THROW(CompileErrorAt<463>(7, 3), xCCErrOvflo);
  EXPECT_THROW(CompileErrorAt<463>(8, 1), xCCErrOvflo);
  ASSERT_EQ(limited.records.size(), 1u); // only the first fatal report of a compile is kept
  EXPECT_EQ(limited.records[0].line, 7);

  limited.records.clear();
  Diagnostics().serious = false;
  CompileWarningSerious<455>();
  CompileWarningTrivial<3008>();
  ASSERT_EQ(limited.records.size(), 1u);
  EXPECT_EQ(limited.records[0].kind, 0);

  Diagnostics().throwAll = true;
  EXPECT_THROW(CompileError<408>(), xWatch);
  EXPECT_THROW(CompileWarningTrivial<3008>(), xWatch);
  SetDiagnosticSink(&sink);
}

TEST_F(Front2Test, MatchWordAtInputHonoursWordBoundaries) {
  InstallLogicalLine({"integer int'", std::vector<uint16_t>(12, 1), std::vector<uint16_t>(12, 1)}, 0);
  EXPECT_FALSE(MatchWordAtInput("int"));
  EXPECT_TRUE(MatchWordAtInput("integer"));
  ++InputCursor;
  EXPECT_TRUE(MatchWordAtInput("int"));
  EXPECT_TRUE(MatchWordAtInput("'"));
}

// ---- conditional compilation ----------------------------------------------

TEST_F(Front2Test, ConditionalGroupsNestAndChooseOneBranch) {
  auto texts = Texts(Run("#if 0\nA\n#if 1\nB\n#else\nC\n#endif\n#elif 1\nD\n#elif 1\nE\n#else\nF\n#endif\n"
                         "#ifdef NOPE\nG\n#else\nH\n#endif\n#ifndef NOPE\nI\n#endif\n#if 0x10000\nJ\n#endif"));
  EXPECT_EQ(texts, (std::vector<std::string>{"D", "H", "I"}));
}

TEST_F(Front2Test, IfdefFindsBiosSymbolsWithAndWithoutPrefix) {
  DirectiveServices services;
  services.biosSymbol = [](const std::string &name) -> uint32_t {
    if (name == "PLAIN")
      return 5;
    if (name == "ZERO")
      return 0;
    if (name == "IOP_PORTA")
      return 0x40;
    return 0;
  };
  SetDirectiveServices(services);
  auto texts = Texts(Run("#ifdef PLAIN\np\n#endif\n#ifdef ZERO\nz\n#endif\n#ifdef PORTA\na\n#endif\n"
                         "#define M 1\n#ifdef M\nm\n#endif"));
  EXPECT_EQ(texts, (std::vector<std::string>{"p", "a", "m"}));
}

TEST_F(Front2Test, UnclosedIfIsReportedAtItsLineAndDoesNotSwallowLaterFiles) {
  TempDir dir;
  std::string lib = dir.Write("LIB.LIB", "/* header */\nint libvar;\n");
  index.libraries["LIB.LIB"] = {{lib, 0, 100, 0}};
  auto texts = Texts(Run("#use lib.lib\nbefore;\n  #if 1\ninside;\n"));
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].line, 3);
  EXPECT_EQ(sink.records[0].column, 3);
  EXPECT_EQ(ConditionDepth(), 0);

  // An unclosed group in a library's header ends there; the program goes on.
  sink.records.clear();
  std::string lib2 = dir.Write("OPEN.LIB", "#ifdef NOTHING\nhidden;\n");
  index.libraries["OPEN.LIB"] = {{lib2, 0, 100, 0}};
  texts = Texts(Run("#use open.lib\nafter;\n"));
  EXPECT_EQ(texts, (std::vector<std::string>{"after;"}));
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0].line, 1);
}

TEST_F(Front2Test, RefusedNestingLevelsDoNotCloseOuterGroups) {
  std::string program;
  for (int i = 0; i < kMaxConditionDepth + 2; ++i)
    program += "#if 1\n";
  program += "deep\n";
  for (int i = 0; i < kMaxConditionDepth + 2; ++i)
    program += "#endif\n";
  program += "#if 0\nhidden\n#endif\nvisible\n";
  auto texts = Texts(Run(program));
  EXPECT_EQ(texts, (std::vector<std::string>{"deep", "visible"}));
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{430}));
}

TEST_F(Front2Test, BiosTableDirectivesAndFunctionCounter) {
  static std::vector<std::string> calls;
  calls.clear();
  DirectiveServices services;
  services.killBiosSymbol = [](const std::string &name) { calls.push_back("kill " + name); };
  services.enableBiosSymbols = [](bool on) { calls.push_back(on ? "on" : "off"); };
  services.setFunctionCounter = [](int32_t n) { calls.push_back("fn " + std::to_string(n)); };
  SetDirectiveServices(services);
  std::string longName(40, 'q');
  auto texts = Texts(Run("#KILL a , b," + longName + ",c\n#KILLALL\n#NOKILLALL\n#functnum 10\nx"));
  EXPECT_EQ(texts, (std::vector<std::string>{"x"}));
  EXPECT_EQ(calls, (std::vector<std::string>{"kill a", "kill b", "kill c", "off", "on", "fn 9"}));
}

TEST_F(Front2Test, IncludeAndUnknownLibraryAreErrors) {
  auto texts = Texts(Run("#include \"x.h\"\n#use nothere.lib\nok"));
  EXPECT_EQ(texts, (std::vector<std::string>{"ok"}));
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{2128, 2002}));
}

TEST_F(Front2Test, StepDirectivesReadOnLikeEveryOtherDirective) {
  auto texts = Texts(Run("#define V 7\n#nostep\nx = V;\n#step\ny = V;"));
  EXPECT_EQ(texts, (std::vector<std::string>{"x = 7;", "y = 7;"}));
  EXPECT_TRUE(Attributes().directiveDefaults & kAttrStep);
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

class Front2Rewind : public FrontEndFixture {
protected:
  std::string ReadUpTo(char stop) {
    std::string text;
    for (char c; (c = NextInputChar()) != 0;) {
      text.push_back(c);
      if (c == stop)
        break;
    }
    return text;
  }
};

class Lines : public LineProvider {
public:
  uint32_t LineCount() const override { return uint32_t(lines.size()); }
  std::string GetLine(uint32_t i) const override { return lines[i]; }
  std::vector<std::string> lines;
};

TEST_F(Front2Rewind, RestoredStateReadsTheSameTextAtTheSamePositions) {
  SetProgramSource("PROG.C", std::make_unique<MemoryLineStream>("for (i = 0;\n  i < N;\n  ++i) x;\ny;\n"));
  ResetLineSources({});
  ReadNextLineAndRewind();
  ProcessDirective();
  SkipBlanksAcrossLines();
  EXPECT_EQ(ReadUpTo(';'), "for (i = 0;");
  InputState saved = SaveInputState();
  EXPECT_EQ(ReadUpTo(';'), "i < N;");
  EXPECT_EQ(CurrentSourceLine(), 2);
  EXPECT_EQ(ReadUpTo(')'), "++i)");
  ASSERT_TRUE(RestoreInputState(saved));
  EXPECT_EQ(ReadUpTo(';'), "i < N;");
  EXPECT_EQ(CurrentSourceLine(), 2);
  EXPECT_EQ(ReadUpTo(')'), "++i)");
  EXPECT_EQ(CurrentSourceLine(), 3);
  EXPECT_EQ(ReadUpTo(';'), " x;");
  EXPECT_EQ(ReadUpTo(';'), "y;");
  EXPECT_EQ(CurrentSourceLine(), 4);
}

TEST_F(Front2Rewind, WatchCompileStartsAtTheGivenPositionOfTheEditorText) {
  Lines editor;
  editor.lines = {"int a;", "x = foo(1) + 2;", "int b;"};
  SetProgramSource("EDIT.C", MakeProviderLineStream(editor));
  ResetLineSourcesAt(2, 5);
  ReadNextLineAndRewind();
  ProcessDirective();
  EXPECT_STREQ(LineBase, "foo(1) + 2;");
  EXPECT_EQ(CurrentSourceLine(), 2);
  EXPECT_EQ(CurrentSourceColumn(), 5);
  ReadNextLineAndRewind();
  EXPECT_STREQ(LineBase, "int b;");
  EXPECT_EQ(CurrentSourceLine(), 3);
}

TEST_F(Front2Rewind, LineTableSource) {
  SetProgramSource("EDIT.C", std::make_unique<MemoryLineStream>(""));
  ResetLineSourcesAt(1, 1);
  BeginLineTableSource({"a;", "b;"});
  EXPECT_STREQ(GetNextSourceLine(), "a;");
  EXPECT_STREQ(GetNextSourceLine(), "b;");
  EXPECT_EQ(GetNextSourceLine(), nullptr);
  BeginLineTableSource({});
  EXPECT_EQ(GetNextSourceLine(), nullptr);
}

} // namespace
} // namespace tsw::testing
