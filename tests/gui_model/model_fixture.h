#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gui/common/model/tswbuf.h"
#include "gui/common/model/tswdisp.h"
#include "gui/common/model/tsweditcore.h"
#include "gui/common/model/tswline.h"
#include "gui/common/model/tswview.h"

#include <gtest/gtest.h>

namespace tsw::gui::testing {

// Identifier characters as the compiler has them, and a settable set of
// lead bytes (none, as with English).
class FakeCharRules : public CharRules {
public:
  std::set<uint8_t> leadBytes;
  bool IsWordChar(uint8_t c) const override {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  }
  bool IsLeadByte(uint8_t c) const override { return leadBytes.count(c) != 0; }
};

// A memory store that counts what crosses it and can be told to fail.
class CountingStore : public BackingStore {
public:
  struct Counts {
    int reads = 0;
    int writes = 0;
    std::vector<std::pair<uint64_t, size_t>> writeCalls;
  };
  explicit CountingStore(std::shared_ptr<Counts> counts) : counts_(std::move(counts)) {}
  bool failReads = false;
  bool failWrites = false;

  bool Read(uint64_t offset, char *buffer, size_t count) override {
    ++counts_->reads;
    return !failReads && inner_->Read(offset, buffer, count);
  }
  bool Write(uint64_t offset, const char *buffer, size_t count) override {
    ++counts_->writes;
    counts_->writeCalls.emplace_back(offset, count);
    return !failWrites && inner_->Write(offset, buffer, count);
  }

private:
  std::shared_ptr<Counts> counts_;
  std::unique_ptr<BackingStore> inner_ = MakeMemoryStore();
};

struct RecordingDocEvents : DocumentEvents {
  std::vector<bool> modified;
  std::vector<std::pair<uint32_t, uint32_t>> messages;
  void ModifiedChanged(bool m) override { modified.push_back(m); }
  void ShowMessage(uint32_t message, uint32_t caption) override { messages.emplace_back(message, caption); }
};

// The editor's calls out to its window: beeps and insert-mode changes.
struct RecordingSeam : EditorSeam {
  int beeps = 0;
  std::vector<bool> modes;
  void Beep() override { ++beeps; }
  void InsertModeChanged(bool insert) override { modes.push_back(insert); }
};

struct RecordingDisplayEvents : DisplayEvents {
  std::vector<std::pair<TextPos, TextPos>> repaints;
  std::vector<DisplayPos> caretShown;
  std::vector<uint32_t> messages;
  int scrolls = 0;
  void Repaint(TextPos from, TextPos to) override { repaints.emplace_back(from, to); }
  void Scrolled(int32_t, int32_t, bool) override { ++scrolls; }
  void CaretShown(DisplayPos caret) override { caretShown.push_back(caret); }
  void ScrollRangeChanged(int32_t) override {}
  void ShowMessage(uint32_t message, uint32_t) override { messages.push_back(message); }
};

// The document's lines joined by their own line ends: what a save writes.
inline std::string DocBytes(cBufLine &doc) {
  std::string bytes;
  for (int32_t line = 0; line < doc.LinesUsed(); ++line) {
    bytes += doc.LineText(line);
    if (line + 1 < doc.LinesUsed())
      bytes += LineEndBytes(doc.LineEndOf(line));
  }
  return bytes;
}

// A document in memory with its own undo budget, shown by one view.
struct ViewerFixture : ::testing::Test {
  UndoPool pool;
  RecordingDocEvents docEvents;
  FakeCharRules rules;
  RecordingDisplayEvents events;
  cBufLine doc{256, MakeMemoryStore(), &pool, &docEvents};
  cTextViewer view{doc, rules, &events};

  // The whole text replaced, then taken as saved, with the caret at 0.
  void SetText(const std::string &text) {
    view.ClearSelection();
    view.ReplaceRange(0, view.GetEndPosition(), text);
    view.SetCursor(0);
    view.ClearSelection();
    doc.ClearModified();
    events.messages.clear();
    docEvents.modified.clear();
  }
  std::string Bytes() { return DocBytes(doc); }
};

} // namespace tsw::gui::testing
