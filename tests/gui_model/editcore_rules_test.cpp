#include "gui/common/model/tsweditcore.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model_fixture.h"
#include "support/tempdir.h"

namespace tsw::gui::testing {
namespace {

std::vector<std::string> Lines(cBufLine &doc) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < doc.LinesUsed(); ++i)
    lines.push_back(doc.LineText(i));
  return lines;
}

// One editor over an untitled document whose starting text is not undoable.
struct CoreFixture {
  UndoPool pool;
  RecordingDocEvents docEvents;
  FakeCharRules rules;
  RecordingSeam seam;
  EditorOptions options{false, false};
  std::shared_ptr<cBufFile> file;
  std::unique_ptr<cEditCore> core;

  explicit CoreFixture(const std::string &text) {
    DocumentOptions doc;
    doc.store = MakeMemoryStore();
    doc.pool = &pool;
    doc.events = &docEvents;
    file = std::make_shared<cBufFile>("", true, std::move(doc));
    core = std::make_unique<cEditCore>(file, rules, seam, options);
    core->InsertText(0, text);
    file->ResetUndo();
    core->SetCursor(0);
  }
};

// A step of a scripted session: typed characters, or a key or command.
using Step = std::function<void(cEditCore &)>;
Step Type(std::string keys) {
  return [keys](cEditCore &core) {
    for (char key : keys)
      core.Char(uint8_t(key));
  };
}
Step MoveTo(int32_t line, uint32_t column) {
  return [=](cEditCore &core) { core.SetCursor(MakePos(line, column)); };
}
Step Select(TextPos from, TextPos to) {
  return [=](cEditCore &core) { core.SetSelection(from, to); };
}
const Step kDelete = [](cEditCore &core) { core.PressDelete(); };
const Step kInsertKey = [](cEditCore &core) { core.PressInsert(); };
const Step kCut = [](cEditCore &core) { core.Cut(); };
Step Paste(std::string bytes) {
  return [bytes](cEditCore &core) { core.Paste(bytes); };
}

struct UndoCase {
  const char *name;
  std::string text;
  std::vector<Step> steps;
  // The lines after each Undo, from the last action back to the first.
  std::vector<std::vector<std::string>> afterEachUndo;
};

class EditCoreUndoTest : public ::testing::TestWithParam<UndoCase> {};

TEST_P(EditCoreUndoTest, EachUndoTakesBackOneAction) {
  const UndoCase &c = GetParam();
  CoreFixture f(c.text);
  for (const Step &step : c.steps)
    step(*f.core);
  std::vector<std::string> done = Lines(*f.file);
  for (const auto &expected : c.afterEachUndo) {
    f.core->Undo();
    EXPECT_EQ(Lines(*f.file), expected);
  }
  // Nothing is left to undo: the starting text stays.
  f.core->Undo();
  EXPECT_EQ(Lines(*f.file), c.afterEachUndo.empty() ? done : c.afterEachUndo.back());
  // Redo brings every action back.
  for (size_t i = 0; i < c.afterEachUndo.size(); ++i)
    f.core->Redo();
  EXPECT_EQ(Lines(*f.file), done);
  EXPECT_EQ(f.seam.beeps, 0);
}

using L = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Grouping, EditCoreUndoTest,
    ::testing::Values(
        UndoCase{"TypingOnOneLineIsOneAction", "", {Type("abc")}, {{""}}},
        UndoCase{"TypingOnTwoLinesIsTwoActions",
                 "x\ny",
                 {MoveTo(0, 1), Type("ab"), MoveTo(1, 1), Type("cd")},
                 {{"xab", "y"}, {"x", "y"}}},
        UndoCase{"CaretMovedOnTheSameLineKeepsTheAction", "xy", {Type("a"), MoveTo(0, 3), Type("b")}, {{"xy"}}},
        UndoCase{"RunOfBackspacesIsOneAction", "abcdef", {MoveTo(0, 6), Type("\b\b\b")}, {{"abcdef"}}},
        UndoCase{"TypingThenBackspacesAreTwoActions", "", {Type("abcd\b\b")}, {{"abcd"}, {""}}},
        UndoCase{"BackspacesThenTypingAreTwoActions", "abc", {MoveTo(0, 3), Type("\b\bxy")}, {{"a"}, {"abc"}}},
        UndoCase{"RunOfDeletesIsOneAction", "abcdef", {kDelete, kDelete, kDelete}, {{"abcdef"}}},
        UndoCase{"EnterStartsTheNextLinesAction", "", {Type("ab\rcd")}, {{"ab", ""}, {""}}},
        UndoCase{"CutIsItsOwnAction",
                 "",
                 {Type("abcd"), Select(MakePos(0, 1), MakePos(0, 3)), kCut, Type("x")},
                 {{"ad"}, {"abcd"}, {""}}},
        UndoCase{"PasteIsItsOwnAction", "", {Type("ab"), Paste("12\n34"), Type("z")}, {{"ab12", "34"}, {"ab"}, {""}}},
        UndoCase{"DeletingASelectionIsItsOwnAction",
                 "",
                 {Type("abcd"), Select(MakePos(0, 0), MakePos(0, 2)), kDelete, Type("x")},
                 {{"cd"}, {"abcd"}, {""}}},
        UndoCase{"OverwriteTypingIsOneAction", "abcd", {kInsertKey, Type("xy")}, {{"abcd"}}}),
    [](const ::testing::TestParamInfo<UndoCase> &info) { return std::string(info.param.name); });

TEST(EditCoreUndo, UndoAfterUndoneTypingStartsAFreshAction) {
  CoreFixture f("");
  f.core->Char('a');
  f.core->Undo();
  f.core->Char('b');
  f.core->Char('c');
  EXPECT_EQ(Lines(*f.file), L{"bc"});
  f.core->Undo();
  EXPECT_EQ(Lines(*f.file), L{""});
}

// Every editing entry point of a read-only view: it beeps and the text
// stays as it was.
struct ReadOnlyCase {
  const char *name;
  Step step;
  int beeps;
};

class EditCoreReadOnlyTest : public ::testing::TestWithParam<ReadOnlyCase> {};

TEST_P(EditCoreReadOnlyTest, DebuggedViewBeepsAndKeepsItsText) {
  const ReadOnlyCase &c = GetParam();
  CoreFixture f("abc\ndef");
  f.core->Char('x'); // something to undo
  f.core->SetDebugMode(EditorKind::DebugEditor);
  ASSERT_TRUE(f.core->IsReadOnly());
  f.core->SetSelection(MakePos(0, 1), MakePos(1, 1));
  bool insertMode = f.core->InsertMode();
  c.step(*f.core);
  EXPECT_EQ(Lines(*f.file), (L{"xabc", "def"}));
  EXPECT_EQ(f.seam.beeps, c.beeps);
  EXPECT_EQ(f.core->InsertMode(), insertMode);
  EXPECT_TRUE(f.seam.modes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EditCoreReadOnlyTest,
    ::testing::Values(ReadOnlyCase{"Character", Type("q"), 1}, ReadOnlyCase{"Characters", Type("qr"), 2},
                      ReadOnlyCase{"Enter", Type("\r"), 1}, ReadOnlyCase{"Backspace", Type("\b"), 1},
                      ReadOnlyCase{"Tab", Type("\t"), 1}, ReadOnlyCase{"Escape", Type("\x1b"), 0},
                      ReadOnlyCase{"Delete", kDelete, 1}, ReadOnlyCase{"Insert", kInsertKey, 1},
                      ReadOnlyCase{"Cut", kCut, 1}, ReadOnlyCase{"Paste", Paste("zz"), 1},
                      ReadOnlyCase{"Undo", [](cEditCore &core) { core.Undo(); }, 1},
                      ReadOnlyCase{"Redo", [](cEditCore &core) { core.Redo(); }, 1}),
    [](const ::testing::TestParamInfo<ReadOnlyCase> &info) { return std::string(info.param.name); });

TEST(EditCoreReadOnly, EscapeIsLeftToTheWindowWhetherReadOnlyOrNot) {
  CoreFixture f("");
  EXPECT_FALSE(f.core->Char(kEscape));
  f.core->SetDebugMode(EditorKind::DebugEditor);
  EXPECT_FALSE(f.core->Char(kEscape));
  EXPECT_TRUE(f.core->Char('a'));
}

TEST(EditCoreReadOnly, DebugModeReachesEveryViewOfTheRingAndLeavesAgain) {
  CoreFixture f("abc");
  cEditCore second(f.file, f.rules, f.seam, f.options, f.core.get());
  cEditCore third(f.file, f.rules, f.seam, f.options, &second);
  struct KindCase {
    EditorKind kind;
    bool readOnly;
  };
  for (KindCase k : {KindCase{EditorKind::ErrorEditor, false}, KindCase{EditorKind::DebugEditor, true},
                     KindCase{EditorKind::Editor, false}}) {
    third.SetDebugMode(k.kind);
    for (cEditCore *view : {f.core.get(), &second, &third}) {
      EXPECT_EQ(view->Kind(), k.kind);
      EXPECT_EQ(view->IsReadOnly(), k.readOnly);
    }
  }
  // A view joining a debugged ring is debugged too.
  second.SetDebugMode(EditorKind::DebugEditor);
  cEditCore late(f.file, f.rules, f.seam, f.options, &third);
  EXPECT_TRUE(late.IsReadOnly());
  EXPECT_EQ(late.Kind(), EditorKind::DebugEditor);
}

TEST(EditCoreReadOnly, IncompleteDocumentStaysReadOnlyWhenDebuggingEnds) {
  tsw::testing::TempDir dir;
  std::string bytes;
  for (int i = 0; i < kMaxLines; ++i)
    bytes += "x\n";
  bytes += "cut off";
  std::string path = dir.Write("big.c", bytes);
  UndoPool pool;
  RecordingDocEvents docEvents;
  DocumentOptions options;
  options.store = MakeMemoryStore();
  options.pool = &pool;
  options.events = &docEvents;
  auto file = std::make_shared<cBufFile>(path, false, std::move(options));
  ASSERT_TRUE(file->IsIncomplete());
  FakeCharRules rules;
  RecordingSeam seam;
  EditorOptions editorOptions;
  cEditCore core(file, rules, seam, editorOptions);
  cEditCore other(file, rules, seam, editorOptions, &core);
  for (cEditCore *view : {&core, &other}) {
    EXPECT_TRUE(view->IsReadOnly());
    view->Char('a');
  }
  core.SetDebugMode(EditorKind::DebugEditor);
  core.SetDebugMode(EditorKind::Editor);
  EXPECT_TRUE(core.IsReadOnly());
  EXPECT_TRUE(other.IsReadOnly());
  core.PressDelete();
  EXPECT_EQ(seam.beeps, 3);
  EXPECT_EQ(file->LineText(0), "x");
}

TEST(EditCoreRing, ViewsOfOneDocumentSeeEachOthersEditsAndLeaveTheRing) {
  CoreFixture f("abc");
  RecordingDisplayEvents firstEvents, secondEvents;
  f.core->SetEvents(&firstEvents);
  {
    cEditCore second(f.file, f.rules, f.seam, f.options, f.core.get());
    second.SetEvents(&secondEvents);
    EXPECT_EQ(f.core->RingNext(), &second);
    EXPECT_EQ(second.RingNext(), f.core.get());
    second.SetCursor(MakePos(0, 3));
    second.Char('d');
    EXPECT_EQ(f.core->GetLine(0), std::string("abcd"));
    EXPECT_FALSE(firstEvents.repaints.empty());
    EXPECT_FALSE(secondEvents.repaints.empty());
  }
  EXPECT_TRUE(f.core->AloneInRing());
  firstEvents.repaints.clear();
  f.core->Char('z');
  EXPECT_EQ(firstEvents.repaints.size(), 1u);
}

} // namespace
} // namespace tsw::gui::testing

namespace tsw::gui::testing {
namespace {

// An edit in one view of a ring moves the other views' carets with the
// text, so that what is typed there lands where its user sees the caret.
struct FollowCase {
  const char *name;
  std::string text;
  TextPos otherCaret;
  std::function<void(cEditCore &)> edit;
  TextPos expected;
};

class EditCoreFollowTest : public ::testing::TestWithParam<FollowCase> {};

TEST_P(EditCoreFollowTest, OtherViewsCaretFollowsTheEdit) {
  const FollowCase &c = GetParam();
  CoreFixture f(c.text);
  cEditCore other(f.file, f.rules, f.seam, f.options, f.core.get());
  other.SetCursor(c.otherCaret);
  c.edit(*f.core);
  EXPECT_EQ(other.GetCursor(), c.expected);
  EXPECT_TRUE(other.IsValidPosition(other.GetCursor()));
  EXPECT_FALSE(other.HasSelection());
}

INSTANTIATE_TEST_SUITE_P(
    Ring, EditCoreFollowTest,
    ::testing::Values(FollowCase{"InsertBeforeOnTheLine", "abcdef", MakePos(0, 4),
                                 [](cEditCore &c) { c.InsertText(MakePos(0, 1), "xy"); }, MakePos(0, 6)},
                      FollowCase{"InsertAfterLeavesIt", "abcdef", MakePos(0, 2),
                                 [](cEditCore &c) { c.InsertText(MakePos(0, 4), "xy"); }, MakePos(0, 2)},
                      FollowCase{"LinesDeletedAbove", "one\ntwo\nthree", MakePos(2, 3),
                                 [](cEditCore &c) { c.DeleteRange(0, MakePos(2, 0)); }, MakePos(0, 3)},
                      FollowCase{"LineBreakTypedBefore", "abcdef", MakePos(0, 4),
                                 [](cEditCore &c) { c.InsertText(MakePos(0, 2), "\n"); }, MakePos(1, 2)},
                      FollowCase{"InsideDeletedTextGoesToItsStart", "abcdef", MakePos(0, 3),
                                 [](cEditCore &c) { c.DeleteRange(MakePos(0, 1), MakePos(0, 5)); }, MakePos(0, 1)},
                      FollowCase{"UndoneTextPutsItAtTheEnd", "", MakePos(0, 0),
                                 [](cEditCore &c) {
                                   c.Char('a');
                                   c.Char('b');
                                   c.Undo();
                                 },
                                 MakePos(0, 0)},
                      FollowCase{"UndoLeavesItWithinTheText", "abc", MakePos(0, 3),
                                 [](cEditCore &c) {
                                   c.SetCursor(MakePos(0, 3));
                                   c.Char('d');
                                   c.Char('e');
                                   c.Undo();
                                 },
                                 MakePos(0, 3)}),
    [](const ::testing::TestParamInfo<FollowCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace tsw::gui::testing

namespace tsw::gui::testing {
namespace {

TEST(EditCoreDoubleByte, LeadAndTrailTypedApartAreOneCharacter) {
  CoreFixture f("ab");
  f.rules.leadBytes = {0x81};
  f.core->SetCursor(MakePos(0, 1));
  f.core->Char(0x81);
  EXPECT_EQ(f.file->LineText(0), "ab") << "a lead byte waits for its trail byte";
  f.core->Char(0x40);
  EXPECT_EQ(f.file->LineText(0), "a\x81\x40"
                                 "b");
  EXPECT_EQ(f.core->GetCursor(), MakePos(0, 3));
  f.core->Char(kBackspace);
  EXPECT_EQ(f.file->LineText(0), "ab");
  f.core->Undo();
  EXPECT_EQ(f.file->LineText(0), "a\x81\x40"
                                 "b");
  f.core->Undo();
  EXPECT_EQ(f.file->LineText(0), "ab");
}

} // namespace
} // namespace tsw::gui::testing
