// Random edits, undos and redos against a byte string and its earlier
// states: after every step the document's bytes equal the reference, and an
// undo restores exactly the state before its action or does nothing.
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/common/model/tswview.h"
#include "model_fixture.h"

namespace tsw::gui {
namespace {

using testing::DocBytes;
using testing::FakeCharRules;
using testing::RecordingDisplayEvents;

uint64_t SeedForRun() {
  if (const char *fixed = std::getenv("TSW_PROPERTY_SEED"))
    return std::strtoull(fixed, nullptr, 10);
  return std::random_device{}() ^ (uint64_t(std::random_device{}()) << 32);
}

class EditRun {
public:
  EditRun(uint64_t seed, UndoPool &pool, int32_t startLines, bool crlf = false, bool pageFile = false)
      : rng_(seed), doc_(256, pageFile ? nullptr : MakeMemoryStore(), &pool), view_(doc_, rules_, &events_) {
    view_.SetCellSize(8, 16);
    view_.Resize(800, 400);
    if (startLines > 1) {
      std::string filler;
      for (int32_t i = 1; i < startLines; ++i)
        filler += "line " + std::to_string(i) + "\n";
      view_.ReplaceRange(0, 0, filler);
      doc_.ClearModified();
    }
    // Breaks typed or pasted take the first line's end.
    if (crlf)
      doc_.SetLineEnd(0, LineEnd::CRLF);
    states_.push_back(DocBytes(doc_));
  }

  // One step; false (with a failure recorded) when the document went wrong.
  bool Step() {
    int choice = Pick(0, 99);
    if (choice < 12)
      return Undo();
    if (choice < 18)
      return Redo();
    Action();
    return Check();
  }

  cBufLine &Doc() { return doc_; }

private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  TextPos RandomPos() {
    int32_t line = Pick(0, 9) == 0 ? (Pick(0, 1) ? doc_.LinesUsed() - 1 : 0) : Pick(0, doc_.LinesUsed() - 1);
    int len = doc_.LineLength(line);
    int column = Pick(0, 3) == 0 ? (Pick(0, 1) ? len : 0) : Pick(0, len);
    return MakePos(line, uint32_t(column));
  }

  std::string RandomText() {
    static const char *const kBreaks[] = {"\r\n", "\n", "\r", "\n\r"};
    std::string text;
    int kind = Pick(0, 9);
    int length = kind < 6 ? Pick(0, 12) : kind < 9 ? Pick(100, 700) : Pick(500, 1300);
    for (int i = 0; i < length; ++i) {
      int c = Pick(0, 40);
      if (c == 0 && kind != 9)
        text += kBreaks[Pick(0, 3)];
      else if (c == 1)
        text += '\0';
      else
        text += char('a' + c % 26);
    }
    return text;
  }

  // The byte offset of a position in the reference, which equals the
  // document before the edit.
  size_t Offset(TextPos pos) {
    size_t offset = 0;
    for (int32_t line = 0; line < PosLine(pos); ++line)
      offset += doc_.LineLength(line) + LineEndBytes(doc_.LineEndOf(line)).size();
    return offset + PosColumn(pos);
  }

  std::string WithDocumentBreaks(const std::string &text) {
    std::string out;
    std::string_view end = LineEndBytes(doc_.DocumentLineEnd());
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c != '\r' && c != '\n') {
        out += c;
        continue;
      }
      if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c)
        ++i;
      out += end;
    }
    return out;
  }

  void Replace(TextPos from, TextPos to, const std::string &text) {
    if (to < from)
      std::swap(from, to);
    size_t a = Offset(from), b = Offset(to);
    std::string expected = current_;
    expected.replace(a, b - a, WithDocumentBreaks(text));
    int32_t linesBefore = doc_.LinesUsed();
    size_t messagesBefore = events_.messages.size();
    TextPos result = view_.ReplaceRange(from, to, text);
    if (events_.messages.size() != messagesBefore) {
      // Refused: only allowed where the result would pass the line limit.
      EXPECT_EQ(events_.messages.back(), kMsgTooManyLines);
      EXPECT_EQ(result, from);
      EXPECT_EQ(DocBytes(doc_), current_) << "a refused edit changed the text";
      std::string_view end = LineEndBytes(doc_.DocumentLineEnd());
      std::string normal = WithDocumentBreaks(text);
      int32_t breaks = 0;
      for (size_t at = normal.find(end); at != std::string::npos; at = normal.find(end, at + end.size()))
        ++breaks;
      int32_t mostNewLines = breaks + int32_t(text.size() + 2 * kMaxLineLength) / kMaxLineLength;
      EXPECT_GT(linesBefore + mostNewLines, kMaxLines) << "refused far from the limit";
      return;
    }
    accepted_ = true;
    current_ = expected;
  }

  void Action() {
    view_.BeginUndoAction(view_.GetCursor());
    current_ = states_[index_];
    accepted_ = false;
    int edits = Pick(1, 3);
    for (int e = 0; e < edits; ++e) {
      int kind = Pick(0, 5);
      if (kind == 0) { // a run typed at the caret, in place after the first
        view_.SetCursor(RandomPos());
        int count = Pick(1, 20);
        for (int i = 0; i < count; ++i)
          Replace(view_.GetCursor(), view_.GetCursor(), Pick(0, 15) ? std::string(1, char('A' + i % 26)) : "\n");
      } else if (kind == 1) { // deletions at the caret, like Backspace
        view_.SetCursor(RandomPos());
        for (int i = Pick(1, 5); i > 0; --i)
          Replace(view_.PrevPosition(view_.GetCursor()), view_.GetCursor(), "");
      } else {
        TextPos from = RandomPos(), to = Pick(0, 2) ? from : RandomPos();
        Replace(from, to, kind == 2 ? std::string() : RandomText());
      }
    }
    view_.BeginUndoAction(view_.GetCursor());
    // Every accepted edit leaves records, so the action can be undone even
    // when its bytes came out the same.
    if (accepted_) {
      states_.resize(index_ + 1);
      states_.push_back(current_);
      ++index_;
    }
  }

  bool Check() {
    EXPECT_EQ(DocBytes(doc_), states_[index_]);
    EXPECT_LE(doc_.LinesUsed(), kMaxLines);
    EXPECT_EQ(doc_.LineEndOf(doc_.LinesUsed() - 1), LineEnd::None);
    for (int32_t line = 0; line < doc_.LinesUsed(); ++line)
      if (doc_.LineLength(line) > kMaxLineLength)
        ADD_FAILURE() << "line " << line << " too long";
    return !::testing::Test::HasFailure();
  }

  bool Undo() {
    bool possible = doc_.CanUndo();
    std::string before = DocBytes(doc_);
    view_.EditUndo();
    if (!possible) {
      EXPECT_EQ(DocBytes(doc_), before) << "nothing to undo, yet the text changed";
      // What lay before is gone for good (the budget reclaimed it).
      states_.erase(states_.begin(), states_.begin() + std::ptrdiff_t(index_));
      index_ = 0;
      return Check();
    }
    if (index_ == 0) {
      ADD_FAILURE() << "undo past the first state";
      return false;
    }
    --index_;
    return Check();
  }

  bool Redo() {
    bool possible = doc_.CanRedo();
    std::string before = DocBytes(doc_);
    view_.EditRedo();
    if (!possible || index_ + 1 >= states_.size()) {
      EXPECT_EQ(DocBytes(doc_), before);
      return Check();
    }
    ++index_;
    return Check();
  }

  std::mt19937_64 rng_;
  FakeCharRules rules_;
  RecordingDisplayEvents events_;
  cBufLine doc_;
  cTextViewer view_;
  std::vector<std::string> states_;
  size_t index_ = 0;
  std::string current_;
  bool accepted_ = false;
};

struct PropertyCase {
  const char *name;
  int32_t startLines;
  int steps;
  bool crlf;
  bool pageFile;
};

TEST(EditProperty, RandomEditsUndosAndRedosKeepEveryByte) {
  const PropertyCase cases[] = {{"small document", 1, 3000, false, false},
                                {"CR LF document on a page file", 2, 1500, true, true},
                                {"at the line limit", 9990, 300, false, false}};
  for (const PropertyCase &c : cases) {
    uint64_t seed = SeedForRun();
    SCOPED_TRACE(::testing::Message() << c.name << ": replay with TSW_PROPERTY_SEED=" << seed);
    UndoPool pool;
    EditRun run(seed, pool, c.startLines, c.crlf, c.pageFile);
    for (int step = 0; step < c.steps; ++step)
      if (!run.Step()) {
        ADD_FAILURE() << "at step " << step;
        return;
      }
  }
}

TEST(EditProperty, ASecondDocumentExhaustingTheBudgetNeverMakesUndoWrong) {
  uint64_t seed = SeedForRun();
  SCOPED_TRACE(::testing::Message() << "replay with TSW_PROPERTY_SEED=" << seed);
  UndoPool pool;
  EditRun run(seed, pool, 1);
  FakeCharRules rules;
  cBufLine other(256, MakeMemoryStore(), &pool);
  cTextViewer otherView(other, rules);
  std::string block;
  for (int i = 0; i < 3000; ++i)
    block += "x\n";
  otherView.ReplaceRange(0, 0, block);
  for (int step = 0; step < 1500; ++step) {
    if (step % 100 == 50) {
      // Replacing every line of the other document costs thousands of cells.
      otherView.BeginUndoAction(0);
      otherView.ReplaceRange(0, otherView.GetEndPosition(), block + std::to_string(step));
    }
    if (!run.Step()) {
      ADD_FAILURE() << "at step " << step;
      return;
    }
    ASSERT_LE(pool.CellsInUse(), pool.Budget());
  }
}

} // namespace
} // namespace tsw::gui
