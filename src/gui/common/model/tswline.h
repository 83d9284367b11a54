#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/common/model/textpos.h"
#include "gui/common/model/tswbuf.h"
#include "foundation/msgnumbers.h"

// The document as the views see it: a table of lines over the page store,
// each with its own line end, the modified flag and the undo history.
namespace tsw::gui {

inline constexpr int32_t kMaxLines = 10000;

// A line's end as the file had it. None on a line that is not the last
// marks a continued line: the file holds it joined to the next.
enum class LineEnd : uint8_t { None, LF, CRLF };
std::string_view LineEndBytes(LineEnd end);

// What a document tells the windows that show it.
class DocumentEvents {
public:
  virtual ~DocumentEvents();
  virtual void ModifiedChanged(bool modified) = 0;
  // A message box: text message, caption message (0 for none).
  virtual void ShowMessage(uint32_t message, uint32_t caption) = 0;
};

class cBufLine;

// The one budget of undo cells that every document's history draws on. When
// it runs out, whole oldest actions are reclaimed, from whichever document
// owns them, so no history is ever left torn.
class UndoPool {
public:
  static constexpr uint32_t kBlockCells = 500;
  static constexpr uint32_t kBlocks = 32;
  static constexpr uint32_t kBudget = kBlockCells * kBlocks;

  explicit UndoPool(uint32_t budgetCells = kBudget) : budget_(budgetCells) {}
  UndoPool(const UndoPool &) = delete;
  UndoPool &operator=(const UndoPool &) = delete;
  static UndoPool &Shared();

  uint32_t CellsInUse() const { return used_; }
  uint32_t Budget() const { return budget_; }

private:
  friend class cBufLine;
  void Register(cBufLine *doc) { docs_.push_back(doc); }
  void Unregister(cBufLine *doc);
  // Makes room for `cells` more; false when they exceed the whole budget.
  bool Reserve(uint32_t cells);
  void Release(uint32_t cells) { used_ -= cells; }
  uint64_t NextSequence() { return ++sequence_; }

  uint32_t budget_;
  uint32_t used_ = 0;
  uint64_t sequence_ = 0;
  std::vector<cBufLine *> docs_;
};

struct LineEntry {
  uint32_t handle = 0;
  uint16_t storedSize = 1;
  uint16_t length = 0;
  LineEnd end = LineEnd::None;
};

class cBufLine : public cTextBuf {
public:
  explicit cBufLine(unsigned initialCapacity, std::unique_ptr<BackingStore> store = nullptr, UndoPool *pool = nullptr,
                    DocumentEvents *events = nullptr);
  ~cBufLine() override;

  void SetEvents(DocumentEvents *events) { events_ = events; }
  DocumentEvents *Events() const { return events_; }

  int32_t LinesUsed() const { return int32_t(lines_.size()); }
  // New entries are empty texts; the caller fills them.
  bool InsertLines(int32_t at, int32_t count);
  void DeleteLines(int32_t at, int32_t count);

  // The text of a line for reading or changing in place, null outside the
  // table; every GetLine is followed by ReleaseLine before the next.
  char *GetLine(int32_t line);
  void ReleaseLine(int32_t line);
  // The line's text was changed in place to `length` bytes, which must fit
  // its stored size.
  void ReleaseLineWritten(int32_t line, uint16_t length);
  // Stores at most 512 bytes of `text` anew; gives the length stored.
  uint16_t SetLine(int32_t line, std::string_view text, bool keepFull);
  std::string LineText(int32_t line);

  // The text length, 0 outside the table.
  uint16_t LineLength(int32_t line) const;
  // The room reserved for the text: length + 1, or 513 when stored full.
  uint16_t StoredSize(int32_t line) const;
  LineEnd LineEndOf(int32_t line) const;
  void SetLineEnd(int32_t line, LineEnd end);
  const LineEntry &Entry(int32_t line) const { return lines_[size_t(line)]; }
  // The end a line break typed or pasted takes: the first line's, LF when it
  // has none.
  LineEnd DocumentLineEnd() const;
  bool IsContinued(int32_t line) const;

  bool IsLastChangedLine(int32_t line) const { return line == lastChangedLine_; }
  bool IsModified() const { return modified_; }
  void SetModified();
  // Outside undo this also ends the history: after a save nothing before it
  // can be undone.
  void ClearModified();

  // The bracket around every edit: lines first..last are about to be
  // replaced; after it lines first..last (new numbering) stand in their place.
  void BeginChange(int32_t first, int32_t last);
  void EndChange(int32_t last);
  void BeginUndoAction(TextPos caret);
  // The caret before the undone action, or kNoPos when nothing can be undone.
  TextPos Undo();
  // The caret after the redone action, or kNoPos.
  TextPos Redo();
  void ResetUndo();
  bool CanUndo() const;
  bool CanRedo() const { return cursor_ < records_.size(); }

  UndoPool &Pool() const { return *pool_; }
  uint32_t UndoCells() const { return undoCells_; }

protected:
  // Set while loading and while undo or redo runs: no modified notices, no
  // records, no LastChangedLine.
  bool inUndo_ = false;

private:
  friend class UndoPool;
  enum class RecordKind : uint8_t { DelBlock, InsBlock, LineDelete, LineChange, Marker, SavedPoint };
  struct LineRef {
    uint32_t handle;
    LineEnd end;
  };
  struct Record {
    explicit Record(RecordKind kind, int32_t first = 0) : kind(kind), first(first) {}
    RecordKind kind;
    int32_t first;
    uint32_t cells = 1;
    uint64_t sequence = 0;
    TextPos caret = 0;          // markers
    std::vector<LineRef> lines; // blocks: the entries; one-line forms: old, then new
  };

  void WriteRecord(Record record);
  void DiscardRedo();
  void WriteBlock(RecordKind kind, int32_t first, int32_t last);
  void WriteOldLine(RecordKind kind, int32_t line, const LineRef &old);
  void ApplyInsert(int32_t first, const std::vector<LineRef> &refs);
  void SetEntry(int32_t line, const LineRef &ref);
  LineRef RefOf(int32_t line) const { return {lines_[size_t(line)].handle, lines_[size_t(line)].end}; }
  // Drops this document's oldest whole action; false when none is left.
  bool ReclaimOldest();
  uint64_t OldestSequence() const { return records_.empty() ? UINT64_MAX : records_.front().sequence; }

  UndoPool *pool_;
  DocumentEvents *events_;
  std::vector<LineEntry> lines_;
  bool modified_ = false;
  int32_t lastChangedLine_ = -1;
  int32_t delFirst_ = 0;
  int32_t delCount_ = 0;
  LineRef oldRef_{};
  std::deque<Record> records_;
  // Records below the cursor can be undone, those above it redone.
  size_t cursor_ = 0;
  uint32_t undoCells_ = 0;
};

} // namespace tsw::gui
