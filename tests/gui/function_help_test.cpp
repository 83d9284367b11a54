#include "gui/funchelp.h"
#include "gui/funcinsert.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compcore/cc_mod/cc_mod.h"
#include "foundation/msgnumbers.h"
#include "gui/common/model/funcdesc.h"
#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "qt_fixture.h"
#include "described_library.h"

namespace tsw {
namespace {

using gui::MakePos;

class ScriptedHelpDialogs : public FunctionHelpDialogs {
public:
  std::optional<std::string> Browse(QWidget *) override {
    ++browsed;
    return browseAnswer;
  }
  void OpenAssistant(QWidget *, const AssistantRequest &request) override { opened.push_back(request); }

  std::optional<std::string> browseAnswer;
  int browsed = 0;
  std::vector<AssistantRequest> opened;
};

class FunctionHelpTest : public testing::QtSuite {
protected:
  void SetUp() override { ASSERT_TRUE(library.Build()); }
  void TearDown() override {
    editors.clear();
    ResetShellState();
  }

  static std::string LibraryName(int index) { return testing::DescribedLibraries::Name(index); }
  static ZModEntry *Described(const std::string &text) { return testing::DescribedLibraries::Find(text); }

  // An editor on `text` with its caret at `column` of line 0, its
  // function help through `dialogs`.
  cTextEdit &Editor(const std::string &text, uint32_t column) {
    EditorEnvironment environment;
    environment.functionHelp = &dialogs;
    editors.push_back(std::make_unique<cTextEdit>(std::nullopt, environment));
    cTextEdit &edit = *editors.back();
    edit.Core().InsertText(0, text);
    edit.Core().SetCursor(MakePos(0, column));
    return edit;
  }
  void RunCommand(cTextEdit &edit) {
    const CommandHandlers::Entry *entry = edit.EditWidget()->OwnCommands().Find(cmd::kFunctionHelp);
    ASSERT_NE(entry, nullptr);
    entry->worker();
  }

  testing::DescribedLibraries library;
  ScriptedHelpDialogs dialogs;
  std::vector<std::unique_ptr<cTextEdit>> editors;
};

TEST_F(FunctionHelpTest, TheEditorsCommandOpensTheAssistantOnTheDescribedWordOrAsksTheList) {
  struct Case {
    const char *line;
    uint32_t caret;
    std::optional<std::string> browseAnswer; // "@1": library 1's name follows
    int browsed;
    const char *opened; // the assistant's function, or none
  };
  const Case cases[] = {
      // On the word, at its end and inside it.
      {"x = strcpy(a, b);", 4, std::nullopt, 0, "strcpy"},
      {"x = strcpy(a, b);", 10, std::nullopt, 0, "strcpy"},
      {"x = sqrt(y);", 6, std::nullopt, 0, "sqrt"},
      // Not a described function: the list decides.
      {"x = strcpy(a, b);", 0, std::nullopt, 1, nullptr},
      {"x = strcpy(a, b);", 0, "sqrt in @1", 1, "sqrt"},
      {"x = strcpy(a, b);", 0, "nosuch in @1", 1, nullptr},
      // Described by two libraries: only the list can say which.
      {"n = strlen(s);", 5, std::nullopt, 1, nullptr},
      {"n = strlen(s);", 5, "strlen in @1", 1, "strlen"},
      // No word at the caret at all.
      {"   ", 1, "strcpy in @0", 1, "strcpy"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.line) + " @" + std::to_string(c.caret));
    dialogs = {};
    if (c.browseAnswer) {
      std::string answer = *c.browseAnswer;
      if (size_t at = answer.find('@'); at != std::string::npos)
        answer = answer.substr(0, at) + LibraryName(answer[at + 1] - '0');
      dialogs.browseAnswer = answer;
    }
    cTextEdit &edit = Editor(c.line, c.caret);
    RunCommand(edit);
    EXPECT_EQ(dialogs.browsed, c.browsed);
    if (!c.opened) {
      EXPECT_TRUE(dialogs.opened.empty());
      continue;
    }
    ASSERT_EQ(dialogs.opened.size(), 1u);
    const AssistantRequest &request = dialogs.opened[0];
    EXPECT_EQ(request.name, c.opened);
    EXPECT_EQ(request.entry, Described(dialogs.browseAnswer.value_or(c.opened)));
    EXPECT_EQ(request.pane, &edit.Core());
    EXPECT_FALSE(request.viewOnly);
  }
}

TEST_F(FunctionHelpTest, TheShellKeepsTheNameAskedForCutToItsBuffer) {
  const std::string longWord(200, 'q');
  RunCommand(Editor("y = " + longWord + ";", 6));
  EXPECT_EQ(Shell().functionHelpWord, std::string(kFunctionHelpWordSize - 1, 'q'));
  dialogs.browseAnswer = "sqrt in " + LibraryName(1);
  RunCommand(Editor("y = 1;", 0));
  EXPECT_EQ(Shell().functionHelpWord, *dialogs.browseAnswer);
}

TEST_F(FunctionHelpTest, HelpFromAReadOnlyViewOrTheMainWindowNeverWrites) {
  cTextEdit &edit = Editor("x = sqrt(y);", 5);
  edit.SetDebugMode(true); // a debugged file is not edited
  RunCommand(edit);
  ASSERT_EQ(dialogs.opened.size(), 1u);
  EXPECT_TRUE(dialogs.opened[0].viewOnly);

  dialogs = {};
  dialogs.browseAnswer = "sqrt";
  BrowseFunctionHelp(dialogs, nullptr);
  ASSERT_EQ(dialogs.opened.size(), 1u);
  EXPECT_TRUE(dialogs.opened[0].viewOnly);
  EXPECT_EQ(dialogs.opened[0].pane, nullptr);
}

TEST_F(FunctionHelpTest, TheBlockIsReadFromItsLibraryWithoutLineEndsOrItsClosingLine) {
  EXPECT_EQ(ReadDescriptionBlock(Described("strcpy")),
            (std::vector<std::string>{"strcpy     <STRING.LIB>", "SYNTAX: char *strcpy(char *dst, char *src);",
                                      "PARAMETER1: Where the copy goes."}));
  EXPECT_EQ(ReadDescriptionBlock(Described("sqrt")),
            (std::vector<std::string>{"sqrt", "SYNTAX: float sqrt(float x);"}));
}

TEST_F(FunctionHelpTest, AnUnreadableLibraryOrNoEntryIsACannotOpenError) {
  ZModEntry *strcpy = Described("strcpy");
  std::filesystem::remove(library.stringLib);
  for (const ZModEntry *entry : {strcpy, static_cast<ZModEntry *>(nullptr)}) {
    try {
      ReadDescriptionBlock(entry);
      ADD_FAILURE() << "no error for " << (entry ? "strcpy" : "no entry");
    } catch (const xFileOpen &error) {
      EXPECT_EQ(error.Message(), kMsgCannotOpen);
      EXPECT_EQ(error.FileName(), entry ? LibraryName(0) : "");
    }
  }
}

TEST_F(FunctionHelpTest, TheCallBehindANameIsTakenApartAtItsOwnCommasOnly) {
  struct Case {
    const char *text; // the name "f" ends at column 1 of line 0
    bool found;
    std::vector<std::string> arguments;
    gui::TextPos end;
  };
  const Case cases[] = {
      {"f(a, (b+1), \"x,y\");", true, {"a", " (b+1)", " \"x,y\""}, MakePos(0, 18)},
      {"f  ()", true, {}, MakePos(0, 5)},
      {"f( )", true, {}, MakePos(0, 4)},
      {"f(,)", true, {"", ""}, MakePos(0, 4)},
      {"f(a /* ) , */, ',')", true, {"a /* ) , */", " ','"}, MakePos(0, 19)},
      {"f(\"\\\"),\", c)", true, {"\"\\\"),\"", " c"}, MakePos(0, 12)},
      {"f(a // ,)\n, b)", true, {"a // ,)\n", " b"}, MakePos(1, 4)},
      {"f(a,\n  g(b, c))", true, {"a", "\n  g(b, c)"}, MakePos(1, 10)},
      // The text ends before the list: the replacing stops at the last comma.
      {"f(a, b", true, {"a", " b"}, MakePos(0, 3)},
      {"f = 1;", false, {}, MakePos(0, 0)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ExtractedArguments got = ExtractCallArguments(Editor(c.text, 0).Core(), MakePos(0, 1));
    EXPECT_EQ(got.found, c.found);
    EXPECT_EQ(got.arguments, c.arguments);
    if (c.found) {
      EXPECT_EQ(got.end, c.end);
    }
  }
}

TEST_F(FunctionHelpTest, OkWritesTheCallOverTheOneAtTheCaretAsOneUndoStep) {
  const FuncDescription strcpy("strcpy\nSYNTAX: char *strcpy(char *dst, char *src);\n");
  const FuncDescription varargs("printf\nSYNTAX: int printf(char *fmt, ...);\n");
  auto known = [](const std::string &word) { return word == "strcpy" || word == "printf"; };
  struct Case {
    const char *line;
    uint32_t caret;
    const FuncDescription &function;
    const char *name;
    std::vector<std::string> arguments; // as the user left them; none: as drafted
    const char *written;
    bool tooMany;
  };
  const Case cases[] = {
      {"x = strcpy(a, b);", 5, strcpy, "strcpy", {}, "x = strcpy(a, b);", false},
      {"x = strcpy(a, b);", 5, strcpy, "strcpy", {"d", "s"}, "x = strcpy(d,s);", false},
      // Missing arguments start as the parameters' names.
      {"x = strcpy(a);", 5, strcpy, "strcpy", {}, "x = strcpy(a,src);", false},
      {"x = strcpy;", 5, strcpy, "strcpy", {}, "x = strcpy(dst,src);", false},
      // Too many is said, and kept.
      {"strcpy(a, b, c);", 0, strcpy, "strcpy", {}, "strcpy(a, b, c);", true},
      {"printf(f, a, b);", 0, varargs, "printf", {}, "printf(f, a, b);", false},
      // Not on a library function: the call goes in at the caret.
      {"x = y;", 4, strcpy, "strcpy", {}, "x = strcpy(dst,src)y;", false},
      // An empty argument ends the list.
      {"x = ;", 4, strcpy, "strcpy", {"", "s"}, "x = strcpy();", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.line) + " @" + std::to_string(c.caret));
    cTextEdit &edit = Editor(c.line, c.caret);
    edit.File().ResetUndo();
    CallDraft draft = DraftCall(&edit.Core(), MakePos(0, c.caret), c.function, known);
    EXPECT_EQ(draft.tooManyArguments, c.tooMany);
    WriteCall(edit.Core(), draft, CallText(c.name, c.arguments.empty() ? draft.arguments : c.arguments));
    EXPECT_EQ(edit.File().LineText(0), c.written);
    edit.Undo();
    EXPECT_EQ(edit.File().LineText(0), c.line);
  }
}

TEST_F(FunctionHelpTest, TheScrollerStepsThroughTheArgumentsAVariadicOneGrowsAndShrinks) {
  // Each step: the delta and the text in the argument pane, then where the
  // stepper stands and its arguments.
  struct Step {
    int delta;
    const char *text;
    bool moved;
    size_t current;
    std::vector<std::string> arguments;
  };
  struct Case {
    const char *name;
    std::vector<std::string> start;
    bool variadic;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"fixed",
       {"a", "b"},
       false,
       {{1, "a", false, 0, {"a", "b"}},
        {-1, "x", true, 1, {"x", "b"}},
        {-1, "y", false, 1, {"x", "b"}},
        {1, "y", true, 0, {"x", "y"}}}},
      {"one parameter", {"a"}, false, {{-1, "z", false, 0, {"a"}}}},
      {"variadic",
       {"fmt"},
       true,
       {{-1, "f", true, 1, {"f", ""}},
        {-1, "", false, 1, {"f", ""}},
        {1, "", true, 0, {"f"}},
        {-1, "f", true, 1, {"f", ""}},
        {-1, "v", true, 2, {"f", "v", ""}}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ParameterStepper stepper(c.start, c.variadic);
    for (const Step &step : c.steps) {
      SCOPED_TRACE(std::to_string(step.delta) + " " + step.text);
      EXPECT_EQ(stepper.Step(step.delta, step.text), step.moved);
      EXPECT_EQ(stepper.Current(), step.current);
      EXPECT_EQ(stepper.Arguments(), step.arguments);
    }
  }
}

} // namespace
} // namespace tsw
