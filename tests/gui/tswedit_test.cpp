#include "gui/tswedit.h"

#include "gui/exelock.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/editorstate.h"
#include "gui/frames.h"
#include "gui/shellstate.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

using gui::MakePos;
using gui::TextPos;
using Lines = std::vector<std::string>;

class RecordingShellHost : public ShellPaneHost {
public:
  void Beep() override { ++beeps; }
  bool SetClipboardText(const QString &text) override {
    if (clipboardFails)
      return false;
    clipboard = text;
    return true;
  }
  std::optional<QString> ClipboardText() override { return clipboard; }
  void CaretStatus(QWidget *, bool, gui::DisplayPos) override {}
  void ShowMessage(QWidget *, uint32_t message, uint32_t) override { messages.push_back(message); }
  void InsertModeChanged(QWidget *, bool insert) override { insertModes.push_back(insert); }
  void ModifiedChanged(QWidget *, bool modified) override { modifiedStates.push_back(modified); }

  int beeps = 0;
  bool clipboardFails = false;
  std::optional<QString> clipboard;
  std::vector<uint32_t> messages;
  std::vector<bool> insertModes;
  std::vector<bool> modifiedStates;
};

class ScriptedSaveDialog : public SaveNameDialog {
public:
  std::optional<std::string> Ask(QWidget *, const std::string &current) override {
    asked.push_back(current);
    lockedWhileAsked.push_back(ExecutableLocked());
    if (answers.empty())
      return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
  std::vector<bool> lockedWhileAsked;
};

// The system's disk, noting whether the executable was held while a file
// was written.
class LockNotingDisk : public gui::SaveFileOps {
public:
  int64_t Write(int fd, const char *bytes, size_t count) override {
    lockedWhileWritten.push_back(ExecutableLocked());
    return gui::SaveFileOps::Write(fd, bytes, count);
  }
  std::vector<bool> lockedWhileWritten;
};

// A disk that takes nothing.
class FullDisk : public gui::SaveFileOps {
public:
  int64_t Write(int, const char *, size_t) override { return -1; }
};

class EditorTest : public testing::QtSuite {
protected:
  void SetUp() override {
    plat::SetNotifier(&notifier);
    gui::SetTabSize(3);
    auto *layout = new QVBoxLayout(&window);
    other = new QLineEdit();
    layout->addWidget(other);
    window.resize(500, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void TearDown() override {
    editors.clear();
    plat::SetNotifier(nullptr);
  }

  EditorEnvironment Environment() {
    EditorEnvironment environment;
    environment.host = &host;
    environment.saveDialog = &dialog;
    environment.settings = &settings;
    environment.fileOps = fileOps;
    return environment;
  }
  cTextEdit &Open(const std::optional<std::string> &path) {
    editors.push_back(std::make_unique<cTextEdit>(path, Environment()));
    cTextEdit &edit = *editors.back();
    window.layout()->addWidget(edit.Widget());
    return edit;
  }
  cTextEdit &OpenText(const std::string &text) {
    cTextEdit &edit = Open(std::nullopt);
    edit.Core().InsertText(0, text);
    edit.File().ResetUndo();
    edit.File().ClearModified();
    edit.Core().SetCursor(0);
    return edit;
  }
  void Focus(cTextEdit &edit) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit.Widget()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit.Widget()->hasFocus());
  }
  static Lines LinesOf(cTextEdit &edit) {
    Lines lines;
    for (int32_t i = 0; i < edit.File().LinesUsed(); ++i)
      lines.push_back(edit.File().LineText(i));
    return lines;
  }
  void Close(cTextEdit &edit) {
    auto it = std::find_if(editors.begin(), editors.end(), [&](auto &e) { return e.get() == &edit; });
    editors.erase(it);
  }

  testing::InstalledTexts texts{{{129, "Cannot save '%s'."}, {131, "Cannot find \"%s\"."}, {16, "Tessel C"}}};
  plat::RecordingNotifier notifier;
  RecordingShellHost host;
  ScriptedSaveDialog dialog;
  Settings settings{"test", "/tmp/"};
  gui::SaveFileOps *fileOps = nullptr;
  tsw::testing::TempDir dir;
  QWidget window;
  QLineEdit *other = nullptr;
  std::vector<std::unique_ptr<cTextEdit>> editors;
};

// One typed key: text, or a key with its modifiers.
struct Stroke {
  Qt::Key key = Qt::Key_unknown;
  QString text;
};
Stroke Text(const char *utf8) { return {Qt::Key_unknown, QString::fromUtf8(utf8)}; }

// Characters as a keyboard delivers them, beyond ASCII too.
void TypeText(QWidget *widget, const QString &text) {
  for (QChar character : text) {
    int key = character.unicode() < 0x80 ? int(character.toUpper().unicode()) : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &release);
  }
}
Stroke K(Qt::Key key) { return {key, {}}; }

struct TypingCase {
  const char *name;
  Lines text;
  TextPos caret;
  bool autoIndent, removeTrailing;
  std::vector<Stroke> strokes;
  Lines expected;
  TextPos caretAfter;
  int undoSteps; // undos that bring the text back
  int beeps;
};

struct Typing : EditorTest, ::testing::WithParamInterface<TypingCase> {};

TEST_P(Typing, KeysGiveLinesCaretAndUndoSteps) {
  const TypingCase &c = GetParam();
  settings.editor.autoIndent = c.autoIndent;
  settings.editor.removeTrailingWhitespace = c.removeTrailing;
  std::string joined;
  for (size_t i = 0; i < c.text.size(); ++i)
    joined += (i ? "\n" : "") + c.text[i];
  cTextEdit &edit = OpenText(joined);
  edit.Core().SetCursor(c.caret);
  Focus(edit);
  for (const Stroke &stroke : c.strokes) {
    if (stroke.key == Qt::Key_unknown)
      TypeText(edit.Widget(), stroke.text);
    else
      QTest::keyClick(edit.Widget(), stroke.key);
  }
  EXPECT_EQ(LinesOf(edit), c.expected);
  EXPECT_EQ(edit.Caret(), c.caretAfter);
  EXPECT_EQ(host.beeps, c.beeps);
  EXPECT_TRUE(edit.Widget()->hasFocus());
  for (int step = 0; step < c.undoSteps; ++step) {
    EXPECT_NE(LinesOf(edit), c.text) << "undo step " << step;
    edit.Undo();
  }
  EXPECT_EQ(LinesOf(edit), c.text);
}

const std::string k300(300, 'x'), k250(250, 'y');

INSTANTIATE_TEST_SUITE_P(
    Keys, Typing,
    ::testing::Values(
        TypingCase{"AutoIndentAtTheEnd",
                   {"    int a;"},
                   MakePos(0, 10),
                   true,
                   false,
                   {K(Qt::Key_Return)},
                   {"    int a;", "    "},
                   MakePos(1, 4),
                   1,
                   0},
        TypingCase{"WithinTheIndentTheLineMovesDown",
                   {"    int a;"},
                   MakePos(0, 2),
                   true,
                   false,
                   {K(Qt::Key_Return)},
                   {"", "    int a;"},
                   MakePos(1, 2),
                   1,
                   0},
        TypingCase{"BlankLineTakesTheTabAbove",
                   {"\tx;", ""},
                   MakePos(1, 0),
                   true,
                   false,
                   {K(Qt::Key_Return)},
                   {"\tx;", "", "\t"},
                   MakePos(2, 1),
                   1,
                   0},
        TypingCase{"NoAutoIndent",
                   {"    int a;"},
                   MakePos(0, 10),
                   false,
                   false,
                   {K(Qt::Key_Enter)},
                   {"    int a;", ""},
                   MakePos(1, 0),
                   1,
                   0},
        TypingCase{"TrailingBlanksGoWithEnter",
                   {"a;   "},
                   MakePos(0, 5),
                   false,
                   true,
                   {K(Qt::Key_Return)},
                   {"a;", ""},
                   MakePos(1, 0),
                   1,
                   0},
        TypingCase{"OverwriteEnterOnlyMovesDown",
                   {"abc", "def"},
                   MakePos(0, 1),
                   true,
                   false,
                   {K(Qt::Key_Insert), K(Qt::Key_Return)},
                   {"abc", "def"},
                   MakePos(1, 0),
                   0,
                   0},
        TypingCase{"OverwriteEnterOnTheLastLineBreaksAtItsEnd",
                   {"abc"},
                   MakePos(0, 1),
                   true,
                   false,
                   {K(Qt::Key_Insert), K(Qt::Key_Return)},
                   {"abc", ""},
                   MakePos(1, 0),
                   1,
                   0},
        TypingCase{
            "OverwriteTypes", {"abcd"}, 0, true, false, {K(Qt::Key_Insert), Text("xy")}, {"xycd"}, MakePos(0, 2), 1, 0},
        TypingCase{"JoinTooLongOnlyMovesTheCaret",
                   {k300, k250},
                   MakePos(1, 0),
                   true,
                   false,
                   {K(Qt::Key_Backspace)},
                   {k300, k250},
                   MakePos(0, 300),
                   0,
                   0},
        TypingCase{"DeleteTooLongOnlyMovesTheCaret",
                   {k300, k250},
                   MakePos(0, 300),
                   true,
                   false,
                   {K(Qt::Key_Delete)},
                   {k300, k250},
                   MakePos(1, 0),
                   0,
                   0},
        TypingCase{"DeleteAtTheLineEndJoins",
                   {"ab", "cd"},
                   MakePos(0, 2),
                   true,
                   false,
                   {K(Qt::Key_Delete)},
                   {"abcd"},
                   MakePos(0, 2),
                   1,
                   0},
        TypingCase{"TypingOnTwoLinesIsTwoSteps",
                   {"", ""},
                   0,
                   true,
                   false,
                   {Text("ab"), K(Qt::Key_Down), Text("cd")},
                   {"ab", "cd"},
                   MakePos(1, 2),
                   2,
                   0},
        TypingCase{"EnterBetweenTypingIsTwoSteps",
                   {""},
                   0,
                   false,
                   false,
                   {Text("ab"), K(Qt::Key_Return), Text("cd")},
                   {"ab", "cd"},
                   MakePos(1, 2),
                   2,
                   0},
        TypingCase{"RunOfBackspacesIsOneStep",
                   {"abcdef"},
                   MakePos(0, 6),
                   true,
                   false,
                   {K(Qt::Key_Backspace), K(Qt::Key_Backspace), K(Qt::Key_Backspace)},
                   {"abc"},
                   MakePos(0, 3),
                   1,
                   0},
        TypingCase{"TabIsTyped", {"x"}, 0, true, false, {K(Qt::Key_Tab)}, {"\tx"}, MakePos(0, 1), 1, 0},
        TypingCase{
            "LatinLetterBecomesItsByte", {""}, 0, true, false, {Text("caf\xC3\xA9")}, {"caf\xE9"}, MakePos(0, 4), 1, 0},
        TypingCase{"EuroSignBeepsAndChangesNothing",
                   {"ab"},
                   MakePos(0, 1),
                   true,
                   false,
                   {Text("\xE2\x82\xAC")},
                   {"ab"},
                   MakePos(0, 1),
                   0,
                   1}),
    [](const ::testing::TestParamInfo<TypingCase> &info) { return std::string(info.param.name); });

TEST_F(EditorTest, InsertTogglesTheModeTheCaretAndTellsTheShell) {
  cTextEdit &edit = OpenText("abc");
  Focus(edit);
  auto *pane = static_cast<gui::cTextWidget *>(edit.Widget());
  EXPECT_EQ(pane->CaretRect().width(), gui::kThinCaretWidth);
  QTest::keyClick(edit.Widget(), Qt::Key_Insert);
  EXPECT_FALSE(edit.InsertMode());
  EXPECT_EQ(pane->CaretRect().width(), pane->CellSize().width());
  QTest::keyClick(edit.Widget(), Qt::Key_Insert);
  EXPECT_TRUE(edit.InsertMode());
  EXPECT_EQ(host.insertModes, (std::vector<bool>{false, true}));
}

TEST_F(EditorTest, ReadOnlyViewBeepsOnEveryEditingKey) {
  cTextEdit &edit = OpenText("abc");
  edit.SetDebugMode(true);
  Focus(edit);
  QTest::keyClicks(edit.Widget(), "x");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Insert, Qt::Key_Tab})
    QTest::keyClick(edit.Widget(), key);
  host.clipboard = "pasted";
  edit.Paste();
  edit.Core().SetSelection(0, MakePos(0, 2));
  edit.Cut();
  EXPECT_EQ(host.beeps, 8);
  EXPECT_EQ(LinesOf(edit), Lines{"abc"});
  EXPECT_TRUE(host.insertModes.empty());
  edit.SetDebugMode(false);
  QTest::keyClicks(edit.Widget(), "x");
  EXPECT_EQ(host.beeps, 8);
}

TEST_F(EditorTest, EveryByteButTheLineEndsLoadsCopiesAndPastesBackUnchanged) {
  std::string every;
  for (int byte = 0; byte < 256; ++byte)
    if (byte != '\r' && byte != '\n')
      every += char(byte);
  std::string path = dir.Write("bytes.c", every);
  cTextEdit &source = Open(path);
  EXPECT_EQ(LinesOf(source), Lines{every});
  Focus(source);
  QTest::keyClick(source.Widget(), Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
  source.Copy();
  ASSERT_TRUE(host.clipboard);
  EXPECT_EQ(host.clipboard->size(), qsizetype(every.size()));
  cTextEdit &target = OpenText("");
  target.Paste();
  EXPECT_EQ(target.File().FileBytes(), every);
  // A paste holding a character beyond Latin-1 pastes nothing.
  host.clipboard = QString::fromUtf8("a\xE2\x82\xAC");
  target.Paste();
  EXPECT_EQ(target.File().FileBytes(), every);
  EXPECT_EQ(host.beeps, 1);
}

TEST_F(EditorTest, CutKeepsTheTextWhenTheClipboardFails) {
  cTextEdit &edit = OpenText("abcdef");
  edit.Core().SetSelection(MakePos(0, 1), MakePos(0, 3));
  host.clipboardFails = true;
  edit.Cut();
  EXPECT_EQ(LinesOf(edit), Lines{"abcdef"});
  EXPECT_EQ(host.messages, std::vector<uint32_t>{kMsgClipboardFailed});
  host.clipboardFails = false;
  edit.Cut();
  EXPECT_EQ(LinesOf(edit), Lines{"adef"});
  EXPECT_EQ(host.clipboard, QString("bc"));
}

TEST_F(EditorTest, TwoViewsOfOneFileShareItsDocumentUntilTheLastCloses) {
  std::string path = dir.Write("two.c", "int a;\n");
  cTextEdit &first = Open(path);
  cTextEdit &second = Open(path);
  EXPECT_EQ(&first.File(), &second.File());
  EXPECT_EQ(cTextEdit::Editors().front(), &second);
  second.Core().SetCursor(MakePos(0, 6));
  Focus(second);
  QTest::keyClicks(second.Widget(), " b;");
  EXPECT_EQ(std::string(first.Core().GetLine(0)), "int a; b;");
  first.Core().SetCursor(0);
  Focus(first);
  QTest::keyClicks(first.Widget(), "//");
  EXPECT_EQ(std::string(second.Core().GetLine(0)), "//int a; b;");
  Close(second);
  EXPECT_NE(gui::cBufFile::FindByName(path), nullptr);
  EXPECT_TRUE(first.Core().AloneInRing());
  EXPECT_TRUE(first.Modified());
  Close(first);
  EXPECT_EQ(gui::cBufFile::FindByName(path), nullptr);
}

TEST_F(EditorTest, SaveWritesTheFileAndClearsModified) {
  std::string path = dir.Write("save.c", "a\n");
  cTextEdit &edit = Open(path);
  Focus(edit);
  QTest::keyClicks(edit.Widget(), "x");
  EXPECT_TRUE(edit.Modified());
  EXPECT_TRUE(edit.Save());
  EXPECT_EQ(dir.Read("save.c"), "xa\n");
  EXPECT_FALSE(edit.Modified());
  QApplication::processEvents();
  EXPECT_EQ(host.modifiedStates, (std::vector<bool>{true, false}));
  std::ostringstream stream;
  edit.WriteToStream(stream);
  EXPECT_EQ(stream.str(), "xa\n\n");
}

TEST_F(EditorTest, FailedSaveShowsItsBoxAndStaysModified) {
  std::string path = dir.Write("full.c", "a\n");
  FullDisk full;
  fileOps = &full;
  cTextEdit &edit = Open(path);
  edit.Core().InsertText(0, "x");
  EXPECT_FALSE(edit.Save());
  EXPECT_TRUE(edit.Modified());
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].text, "Cannot save '" + edit.GetFileName() + "'.");
  EXPECT_EQ(dir.Read("full.c"), "a\n");
}

TEST_F(EditorTest, UntitledSaveAsksForANameAndTakesIt) {
  cTextEdit &edit = OpenText("new text");
  EXPECT_TRUE(edit.Untitled());
  dialog.answers = {std::nullopt, dir / "named.c"};
  EXPECT_FALSE(edit.Save());
  EXPECT_TRUE(edit.Untitled());
  edit.Core().InsertText(0, "x");
  EXPECT_TRUE(edit.Save());
  EXPECT_FALSE(edit.Untitled());
  EXPECT_EQ(dir.Read("named.c"), "xnew text");
  EXPECT_TRUE(edit.ShowsFile(dir / "named.c"));
  EXPECT_EQ(dialog.asked, (std::vector<std::string>{"", ""}));
}

TEST_F(EditorTest, TheExecutableIsReleasedWhileAFileIsChosenOrWrittenAndHeldAgainAfter) {
  LockNotingDisk disk;
  fileOps = &disk;
  cTextEdit &titled = Open(dir.Write("held.c", "text"));
  cTextEdit &other = OpenText("new");
  for (bool heldBefore : {true, false}) {
    heldBefore ? LockExecutable() : UnlockExecutable();
    disk.lockedWhileWritten.clear();
    dialog.lockedWhileAsked.clear();
    titled.Core().InsertText(0, "x");
    EXPECT_TRUE(titled.Save());
    dialog.answers = {dir / (heldBefore ? "a.c" : "b.c")};
    EXPECT_TRUE(other.SaveAs());
    EXPECT_EQ(dialog.lockedWhileAsked, std::vector<bool>{false});
    ASSERT_FALSE(disk.lockedWhileWritten.empty());
    EXPECT_EQ(std::count(disk.lockedWhileWritten.begin(), disk.lockedWhileWritten.end(), true), 0);
    EXPECT_EQ(ExecutableLocked(), heldBefore) << "taken again only when it was held";
  }
  UnlockExecutable();
}

TEST_F(EditorTest, SaveAsLeavesTheRingAndTheOtherViewsKeepTheirDocument) {
  std::string path = dir.Write("ring.c", "shared");
  cTextEdit &first = Open(path);
  cTextEdit &second = Open(path);
  dialog.answers = {dir / "copy.c"};
  EXPECT_TRUE(second.SaveAs());
  EXPECT_NE(&first.File(), &second.File());
  EXPECT_TRUE(first.Core().AloneInRing());
  EXPECT_TRUE(first.ShowsFile(path));
  EXPECT_TRUE(second.ShowsFile(dir / "copy.c"));
  second.Core().InsertText(0, "x");
  EXPECT_EQ(LinesOf(first), Lines{"shared"});
  EXPECT_EQ(dir.Read("copy.c"), "shared");
}

TEST_F(EditorTest, SaveAsOntoAnOpenDocumentsNameJoinsTheRings) {
  std::string a = dir.Write("a.c", "old a");
  std::string b = dir.Write("b.c", "text of b");
  cTextEdit &viewA = Open(a);
  cTextEdit &viewB = Open(b);
  viewA.Core().InsertText(0, "changed ");
  dialog.answers = {a};
  EXPECT_TRUE(viewB.SaveAs());
  EXPECT_EQ(&viewA.File(), &viewB.File());
  EXPECT_EQ(LinesOf(viewA), Lines{"text of b"});
  EXPECT_EQ(dir.Read("a.c"), "text of b");
  EXPECT_EQ(viewA.Core().RingNext(), &viewB.Core());
  EXPECT_EQ(gui::cBufFile::FindByName(b), nullptr);
}

TEST_F(EditorTest, IncompleteDocumentOpensReadOnly) {
  std::string bytes;
  for (int i = 0; i <= gui::kMaxLines; ++i)
    bytes += "x\n";
  cTextEdit &edit = Open(dir.Write("huge.c", bytes));
  EXPECT_TRUE(edit.ReadOnly());
  Focus(edit);
  QTest::keyClicks(edit.Widget(), "a");
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(edit.File().LineText(0), "x");
  EXPECT_EQ(host.messages, std::vector<uint32_t>{kMsgTooManyLines});
}

TEST_F(EditorTest, FindNextWithoutTextBeepsAndANotFoundTextIsShown) {
  cTextEdit &edit = OpenText("alpha beta");
  gui::LastSearch() = {};
  edit.FindNext();
  EXPECT_EQ(host.beeps, 1);
  gui::LastSearch() = {"gamma", 0};
  edit.FindNext();
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].text, "Cannot find \"gamma\".");
  gui::LastSearch() = {"beta", 0};
  edit.FindNext();
  EXPECT_EQ(edit.Core().SelectionStart(), MakePos(0, 6));
  gui::LastSearch() = {};
}

TEST(SourceFilter, TakesQtsForm) {
  EXPECT_EQ(QtFileFilter("C source files (*.c)|*.c|Library files (*.lib)|*.lib|All files (*.*)|*.*|"),
            QString("C source files (*.c);;Library files (*.lib);;All files (*.*)"));
  EXPECT_EQ(QtFileFilter("Sources#*.c;*.h#"), QString("Sources (*.c *.h)"));
  EXPECT_EQ(QtFileFilter(""), QString());
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

enum class Failure { None, Link, Other, Foreign };
constexpr uint32_t kOtherMessage = 7777;

// The debugger side of the breakpoint commands, recorded in order.
class FakeBreakpoints : public BreakpointService {
public:
  bool Debugging() const override { return debugging; }
  void StopPollTimer() override { log.push_back("stop"); }
  void StartPollTimer() override { log.push_back("start"); }
  void ToggleAtCursor(cTextEdit &view, BreakpointKind kind) override {
    log.push_back(kind == BreakpointKind::Rst18 ? "toggle 18" : "toggle 20");
    caret = view.Caret();
    switch (failure) {
    case Failure::None: break;
    case Failure::Link: throw xTCErr(1, "compcore\\tcs", 1);
    case Failure::Other: throw xSystem(kOtherMessage, "compcore\\tc", 2);
    case Failure::Foreign: throw std::runtime_error("not ours");
    }
  }
  void LinkFailed(const xErr &) override { log.push_back("link failed"); }

  bool debugging = true;
  Failure failure = Failure::None;
  std::vector<std::string> log;
  uint32_t caret = 0;
};

struct BreakpointCase {
  const char *name;
  uint16_t command;
  Failure failure;
  std::vector<std::string> log;
  std::string boxEnd; // the end of the one box shown; empty: no box
};

struct Breakpoints : EditorTest, ::testing::WithParamInterface<BreakpointCase> {};

TEST_P(Breakpoints, CommandStopsThePollAndSortsItsFailures) {
  const BreakpointCase &c = GetParam();
  texts.Set(kOtherMessage, "The board is busy.");
  FakeBreakpoints engine;
  engine.failure = c.failure;
  EditorEnvironment environment = Environment();
  environment.breakpoints = &engine;
  cTextEdit edit(std::nullopt, environment);
  edit.Core().InsertText(0, "a\nb");
  edit.SetCaret(1, 1);
  const CommandHandlers::Entry *entry = edit.EditWidget()->OwnCommands().Find(c.command);
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(entry->enabler);
  EXPECT_TRUE(entry->enabler());
  entry->worker();
  EXPECT_EQ(engine.log, c.log);
  EXPECT_EQ(engine.caret, MakePos(1, 1));
  if (c.boxEnd.empty()) {
    EXPECT_TRUE(notifier.boxes.empty());
  } else {
    ASSERT_EQ(notifier.boxes.size(), 1u);
    const std::string &text = notifier.boxes[0].text;
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.boxEnd.size())), c.boxEnd);
  }
  engine.debugging = false;
  EXPECT_FALSE(entry->enabler());
}

INSTANTIATE_TEST_SUITE_P(
    Tiers, Breakpoints,
    ::testing::Values(
        BreakpointCase{"Rst18", cmd::kBreakpoint18, Failure::None, {"stop", "toggle 18", "start"}, ""},
        BreakpointCase{"Rst20StopsThePollFirst", cmd::kBreakpoint20, Failure::None, {"stop", "toggle 20", "start"}, ""},
        BreakpointCase{
            "LinkFailureIsTheFirstTier", cmd::kBreakpoint20, Failure::Link, {"stop", "toggle 20", "link failed"}, ""},
        BreakpointCase{
            "OtherErrorIsReported", cmd::kBreakpoint18, Failure::Other, {"stop", "toggle 18"}, "The board is busy."},
        BreakpointCase{
            "ForeignFailureOf18IsInternal", cmd::kBreakpoint18, Failure::Foreign, {"stop", "toggle 18"}, "Line: 1120"},
        BreakpointCase{
            "ForeignFailureOf20IsInternal", cmd::kBreakpoint20, Failure::Foreign, {"stop", "toggle 20"}, "Line: 1148"}),
    [](const ::testing::TestParamInfo<BreakpointCase> &info) { return std::string(info.param.name); });

TEST_F(EditorTest, WithoutABreakpointServiceTheCommandsAreNotOffered) {
  cTextEdit &edit = OpenText("x");
  EXPECT_EQ(edit.EditWidget()->OwnCommands().Find(cmd::kBreakpoint18), nullptr);
  EXPECT_EQ(edit.EditWidget()->OwnCommands().Find(cmd::kBreakpoint20), nullptr);
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

TEST_F(EditorTest, CompilerLearnsTheActiveCaretAndWhichFilesHaveUnsavedEdits) {
  ResetShellState();
  std::string path = dir.Write("compiled.c", "int x;\n");
  EXPECT_EQ(ActiveEditorCaret(), std::nullopt);
  auto frame = std::make_unique<cEditFrame>(std::make_unique<cTextEdit>(path, Environment()), nullptr,
                                            std::function<void()>(), std::function<void()>());
  EditorPane &view = *frame->View();
  view.SetCaret(0, 4);
  EXPECT_EQ(ActiveEditorCaret(), MakePos(0, 4));
  EXPECT_FALSE(FileOpenAndModified(path));
  static_cast<cTextEdit &>(view).Core().InsertText(0, "static ");
  EXPECT_TRUE(FileOpenAndModified(path));
  EXPECT_FALSE(FileOpenAndModified(dir / "other.c"));
  EXPECT_FALSE(FileOpenAndModified(""));
  frame.reset();
  EXPECT_FALSE(FileOpenAndModified(path));
  ResetShellState();
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

TEST_F(EditorTest, DebugViewTakesItsOwnColoursAndFontAndTheEditorsWhereItHasNone) {
  constexpr uint32_t kText = Rgb(1, 2, 3), kDebugBackground = Rgb(9, 9, 9);
  settings.Pane(PaneKind::kEditor).Color(ColorRole::kForeground) = {0, kText};
  settings.Pane(PaneKind::kEditor).font.height = -12;
  settings.Pane(PaneKind::kDebugEditor).Color(ColorRole::kBackground) = {0, kDebugBackground};
  settings.Pane(PaneKind::kDebugEditor).font.faceName = "Monospace";
  settings.Pane(PaneKind::kDebugEditor).font.height = -30;
  cTextEdit &edit = OpenText("x");
  auto *pane = static_cast<gui::cTextWidget *>(edit.Widget());
  const uint32_t base = pane->Colors().background;
  int editorRow = pane->CellSize().height();
  EXPECT_EQ(pane->Colors().foreground, kText);
  EXPECT_EQ(pane->Colors().selectionBg, kText) << "the selection is the inverse of the text";
  edit.SetDebugMode(true);
  EXPECT_EQ(pane->Colors().foreground, kText);
  EXPECT_EQ(pane->Colors().background, kDebugBackground);
  EXPECT_EQ(pane->Colors().selectionFg, kDebugBackground);
  EXPECT_GT(pane->CellSize().height(), editorRow);
  edit.SetDebugMode(false);
  EXPECT_EQ(pane->Colors().background, base);
  EXPECT_EQ(pane->CellSize().height(), editorRow);
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

struct BoxReplaceCase {
  const char *name;
  bool all, noPrompt;
  std::vector<plat::Answer> answers;
  std::string expected;
  std::vector<plat::Buttons> questions;
};

struct BoxReplace : EditorTest, ::testing::WithParamInterface<BoxReplaceCase> {};

TEST_P(BoxReplace, QuestionsAreMessageBoxes) {
  const BoxReplaceCase &c = GetParam();
  texts.Set(kMsgReplaceThis, "Replace this occurrence?");
  cTextEdit &edit = OpenText("a a a");
  notifier.answers = c.answers;
  gui::ReplaceRequest request;
  request.text = "a";
  request.replacement = "b";
  request.all = c.all;
  request.noPrompt = c.noPrompt;
  edit.Replace(request);
  EXPECT_EQ(LinesOf(edit), Lines{c.expected});
  std::vector<plat::Buttons> questions;
  for (const auto &box : notifier.boxes) {
    EXPECT_EQ(box.text, "Replace this occurrence?");
    EXPECT_EQ(box.title, "Tessel C");
    EXPECT_EQ(box.icon, plat::Icon::Question);
    questions.push_back(box.buttons);
  }
  EXPECT_EQ(questions, c.questions);
}

using B = plat::Buttons;
INSTANTIATE_TEST_SUITE_P(
    Answers, BoxReplace,
    ::testing::Values(BoxReplaceCase{"Ok", false, false, {plat::IDOK}, "b a a", {B::OkCancel}},
                      BoxReplaceCase{"Cancel", false, false, {plat::IDCANCEL}, "a a a", {B::OkCancel}},
                      BoxReplaceCase{"YesNoCancel",
                                     true,
                                     false,
                                     {plat::IDYES, plat::IDNO, plat::IDCANCEL},
                                     "b a a",
                                     {B::YesNoCancel, B::YesNoCancel, B::YesNoCancel}},
                      BoxReplaceCase{"NoPrompt", true, true, {}, "b b b", {}}),
    [](const ::testing::TestParamInfo<BoxReplaceCase> &info) { return std::string(info.param.name); });

TEST_F(EditorTest, ReplaceOfAMissingTextShowsNotFoundAndAReadOnlyViewBeeps) {
  cTextEdit &edit = OpenText("abc");
  gui::ReplaceRequest request;
  request.text = "zz";
  request.replacement = "y";
  EXPECT_EQ(edit.Replace(request), 0);
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].text, "Cannot find \"zz\".");
  EXPECT_EQ(notifier.boxes[0].icon, plat::Icon::Warning);
  edit.SetDebugMode(true);
  request.text = "a";
  EXPECT_EQ(edit.Replace(request), 0);
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(notifier.boxes.size(), 1u);
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

TEST_F(EditorTest, TextAnInputMethodCommitsIsTypedByTheSameRules) {
  cTextEdit &edit = OpenText("");
  Focus(edit);
  for (const char *utf8 : {"caf\xC3\xA9", "\xE2\x82\xAC"}) {
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8(utf8));
    QApplication::sendEvent(edit.Widget(), &commit);
  }
  EXPECT_EQ(LinesOf(edit), Lines{"caf\xE9"});
  EXPECT_EQ(host.beeps, 1);
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

TEST_F(EditorTest, AFurtherViewOfAnOpenDocumentJoinsItsRing) {
  cTextEdit &first = OpenText("shared text");
  editors.push_back(std::make_unique<cTextEdit>(first, Environment()));
  cTextEdit &help = *editors.back();
  EXPECT_EQ(&help.File(), &first.File());
  EXPECT_EQ(cTextEdit::Editors().front(), &help);
  EXPECT_FALSE(help.Core().AloneInRing());
  first.Core().InsertText(0, "more ");
  EXPECT_EQ(std::string(help.Core().GetLine(0)), "more shared text");
  first.SetDebugMode(true);
  EXPECT_TRUE(help.ReadOnly());
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

struct RecordingMessages : MessagePositions {
  struct Call {
    std::string file;
    gui::TextPos from, to, newEnd;
    bool operator==(const Call &) const = default;
  };
  void AdjustPositions(const std::string &file, gui::TextPos from, gui::TextPos to, gui::TextPos newEnd) override {
    calls.push_back({file, from, to, newEnd});
  }
  std::vector<Call> calls;
};

TEST_F(EditorTest, EachEditTellsTheMessageWindowOnceWhicheverViewMadeIt) {
  std::string path = dir.Write("diag.c", "int a;\nint b;\n");
  RecordingMessages messages;
  EditorEnvironment environment = Environment();
  environment.messages = &messages;
  editors.push_back(std::make_unique<cTextEdit>(path, environment));
  cTextEdit &first = *editors.back();
  editors.push_back(std::make_unique<cTextEdit>(path, environment));
  cTextEdit &second = *editors.back();
  second.Core().InsertText(MakePos(1, 0), "\n");
  first.Core().DeleteRange(MakePos(0, 0), MakePos(0, 4));
  using C = RecordingMessages::Call;
  EXPECT_EQ(messages.calls, (std::vector<C>{{first.GetFileName(), MakePos(1, 0), MakePos(1, 0), MakePos(2, 0)},
                                            {first.GetFileName(), MakePos(0, 0), MakePos(0, 4), MakePos(0, 0)}}));
}

} // namespace
} // namespace tsw
