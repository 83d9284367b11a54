#include "gui/common/model/tswline.h"

#include <algorithm>
#include <new>

#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

namespace tsw::gui {

namespace {

constexpr const char *kModule = "gui\\common\\tswline";
// Short records name lines in 12 bits and handles in 16: beyond those a
// change costs a one-line block pair.
constexpr int32_t kShortRecordLines = 4096;
constexpr uint32_t kShortRecordHandles = 0x10000;
constexpr uint32_t kBlockHeaderCells = 2;

void Check(bool condition, uint32_t line) {
  if (!condition)
    throw xInternal(kModule, line);
}

uint16_t StoredSizeFor(uint16_t length) { return length >= kMaxLineLength ? kFullStoredSize : uint16_t(length + 1); }

} // namespace

std::string_view LineEndBytes(LineEnd end) {
  switch (end) {
  case LineEnd::LF: return "\n";
  case LineEnd::CRLF: return "\r\n";
  case LineEnd::None: break;
  }
  return {};
}

DocumentEvents::~DocumentEvents() = default;

UndoPool &UndoPool::Shared() {
  static UndoPool pool;
  return pool;
}

void UndoPool::Unregister(cBufLine *doc) { docs_.erase(std::remove(docs_.begin(), docs_.end(), doc), docs_.end()); }

bool UndoPool::Reserve(uint32_t cells) {
  if (cells > budget_)
    return false;
  while (used_ + cells > budget_) {
    cBufLine *oldest = nullptr;
    for (cBufLine *doc : docs_)
      if (!doc->records_.empty() && (!oldest || doc->OldestSequence() < oldest->OldestSequence()))
        oldest = doc;
    if (!oldest || !oldest->ReclaimOldest())
      return false;
  }
  used_ += cells;
  return true;
}

cBufLine::cBufLine(unsigned initialCapacity, std::unique_ptr<BackingStore> store, UndoPool *pool,
                   DocumentEvents *events)
    : cTextBuf(8, std::move(store)), pool_(pool ? pool : &UndoPool::Shared()), events_(events) {
  try {
    lines_.reserve(std::max(1u, initialCapacity));
  } catch (const std::bad_alloc &) {
    // The document still opens with its one empty line, which needs no
    // table of that size; the user learns why a load will not fit.
    if (events_)
      events_->ShowMessage(kMsgNoTable, 0);
  }
  StoredText empty = StoreText({}, false);
  lines_.push_back(LineEntry{empty.handle, empty.storedSize, 0, LineEnd::None});
  pool_->Register(this);
  ClearModified();
}

cBufLine::~cBufLine() {
  ResetUndo();
  pool_->Unregister(this);
}

bool cBufLine::InsertLines(int32_t at, int32_t count) {
  if (at < 0 || count < 0 || at > LinesUsed() || LinesUsed() + count > kMaxLines)
    return false;
  // Inserted entries name the empty text stored first, which nothing writes.
  try {
    lines_.insert(lines_.begin() + at, size_t(count), LineEntry{0, 1, 0, LineEnd::None});
  } catch (const std::bad_alloc &) {
    // A table that cannot grow leaves the document as it was.
    return false;
  }
  if (!inUndo_)
    SetModified();
  return true;
}

void cBufLine::DeleteLines(int32_t at, int32_t count) {
  Check(at >= 0 && count >= 0 && at + count <= LinesUsed(), __LINE__);
  lines_.erase(lines_.begin() + at, lines_.begin() + at + count);
  if (!inUndo_)
    SetModified();
}

char *cBufLine::GetLine(int32_t line) {
  if (line < 0 || line >= LinesUsed())
    return nullptr;
  return Lock(lines_[size_t(line)].handle);
}

void cBufLine::ReleaseLine(int32_t line) {
  if (line >= 0 && line < LinesUsed())
    Unlock(lines_[size_t(line)].handle);
}

void cBufLine::ReleaseLineWritten(int32_t line, uint16_t length) {
  LineEntry &entry = lines_[size_t(line)];
  Check(length < entry.storedSize, __LINE__);
  UnlockWritten(entry.handle, length);
  entry.length = length;
  if (!inUndo_)
    SetModified();
}

uint16_t cBufLine::SetLine(int32_t line, std::string_view text, bool keepFull) {
  if (line < 0 || line >= LinesUsed())
    return 0;
  if (!inUndo_)
    lastChangedLine_ = line;
  StoredText stored = StoreText(text, keepFull);
  LineEntry &entry = lines_[size_t(line)];
  entry.handle = stored.handle;
  entry.storedSize = stored.storedSize;
  entry.length = stored.length;
  if (!inUndo_)
    SetModified();
  return stored.length;
}

std::string cBufLine::LineText(int32_t line) {
  const char *text = GetLine(line);
  std::string copy = text ? std::string(text, lines_[size_t(line)].length) : std::string();
  ReleaseLine(line);
  return copy;
}

uint16_t cBufLine::LineLength(int32_t line) const {
  return line >= 0 && line < LinesUsed() ? lines_[size_t(line)].length : 0;
}

uint16_t cBufLine::StoredSize(int32_t line) const {
  return line >= 0 && line < LinesUsed() ? lines_[size_t(line)].storedSize : 0;
}

LineEnd cBufLine::LineEndOf(int32_t line) const {
  return line >= 0 && line < LinesUsed() ? lines_[size_t(line)].end : LineEnd::None;
}

void cBufLine::SetLineEnd(int32_t line, LineEnd end) {
  if (line >= 0 && line < LinesUsed())
    lines_[size_t(line)].end = end;
}

LineEnd cBufLine::DocumentLineEnd() const { return lines_[0].end == LineEnd::None ? LineEnd::LF : lines_[0].end; }

bool cBufLine::IsContinued(int32_t line) const {
  return line >= 0 && line + 1 < LinesUsed() && lines_[size_t(line)].end == LineEnd::None;
}

void cBufLine::SetModified() {
  if (!modified_) {
    modified_ = true;
    if (events_)
      events_->ModifiedChanged(true);
  }
}

void cBufLine::ClearModified() {
  if (modified_) {
    modified_ = false;
    if (events_)
      events_->ModifiedChanged(false);
  }
  if (!inUndo_)
    ResetUndo();
}

void cBufLine::ResetUndo() {
  pool_->Release(undoCells_);
  undoCells_ = 0;
  records_.clear();
  cursor_ = 0;
  lastChangedLine_ = -1;
}

void cBufLine::DiscardRedo() {
  for (size_t i = cursor_; i < records_.size(); ++i) {
    pool_->Release(records_[i].cells);
    undoCells_ -= records_[i].cells;
  }
  records_.erase(records_.begin() + std::ptrdiff_t(cursor_), records_.end());
}

void cBufLine::WriteRecord(Record record) {
  DiscardRedo();
  record.sequence = pool_->NextSequence();
  if (!pool_->Reserve(record.cells)) {
    // An action bigger than the whole budget cannot be undone at all; what
    // is left of it has no marker below and so can never be reached.
    ResetUndo();
    return;
  }
  undoCells_ += record.cells;
  records_.push_back(std::move(record));
  cursor_ = records_.size();
}

bool cBufLine::ReclaimOldest() {
  if (records_.empty())
    return false;
  // The oldest action ends below the second marker from the bottom; what
  // lies below the first marker can no longer be reached anyway.
  size_t markers = 0;
  size_t cut = records_.size();
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].kind == RecordKind::Marker && ++markers == 2) {
      cut = i;
      break;
    }
  if (cut == records_.size() || cursor_ <= cut) {
    ResetUndo();
    return true;
  }
  for (size_t i = 0; i < cut; ++i) {
    pool_->Release(records_[i].cells);
    undoCells_ -= records_[i].cells;
  }
  records_.erase(records_.begin(), records_.begin() + std::ptrdiff_t(cut));
  cursor_ -= cut;
  return true;
}

void cBufLine::WriteBlock(RecordKind kind, int32_t first, int32_t last) {
  Record record(kind, first);
  for (int32_t line = first; line <= last; ++line)
    record.lines.push_back(RefOf(line));
  record.cells = uint32_t(record.lines.size()) + kBlockHeaderCells;
  WriteRecord(std::move(record));
}

void cBufLine::WriteOldLine(RecordKind kind, int32_t line, const LineRef &old) {
  Record record(kind, line);
  record.lines.push_back(old);
  record.cells = kind == RecordKind::DelBlock ? 1 + kBlockHeaderCells : 1;
  WriteRecord(std::move(record));
}

void cBufLine::BeginChange(int32_t first, int32_t last) {
  Check(first >= 0 && first < LinesUsed(), __LINE__);
  Check(last >= first && last < LinesUsed(), __LINE__);
  if (inUndo_)
    return;
  if (!modified_)
    WriteRecord(Record(RecordKind::SavedPoint));
  delFirst_ = first;
  delCount_ = last - first + 1;
  if (delCount_ != 1)
    WriteBlock(RecordKind::DelBlock, first, last);
  else
    oldRef_ = RefOf(first);
}

void cBufLine::EndChange(int32_t last) {
  Check(last < LinesUsed(), __LINE__);
  Check(delFirst_ >= 0 && delFirst_ <= last, __LINE__);
  if (inUndo_)
    return;
  if (delCount_ != 1) {
    WriteBlock(RecordKind::InsBlock, delFirst_, last);
    return;
  }
  bool shortLine = delFirst_ < kShortRecordLines;
  if (last != delFirst_) {
    bool shortForm = shortLine && oldRef_.handle < kShortRecordHandles;
    WriteOldLine(shortForm ? RecordKind::LineDelete : RecordKind::DelBlock, delFirst_, oldRef_);
    WriteBlock(RecordKind::InsBlock, delFirst_, last);
    return;
  }
  LineRef now = RefOf(delFirst_);
  if (now.handle == oldRef_.handle && now.end == oldRef_.end)
    return; // changed in place: the earlier record of this action covers it
  if (shortLine && (now.handle >> 16) == (oldRef_.handle >> 16)) {
    Record record(RecordKind::LineChange, delFirst_);
    record.lines = {oldRef_, now};
    WriteRecord(std::move(record));
    return;
  }
  WriteOldLine(RecordKind::DelBlock, delFirst_, oldRef_);
  WriteBlock(RecordKind::InsBlock, delFirst_, delFirst_);
}

void cBufLine::BeginUndoAction(TextPos caret) {
  if (cursor_ > 0 && records_[cursor_ - 1].kind == RecordKind::Marker) {
    records_[cursor_ - 1].caret = caret;
    return;
  }
  Record marker(RecordKind::Marker);
  marker.caret = caret;
  WriteRecord(std::move(marker));
  lastChangedLine_ = -1;
}

void cBufLine::SetEntry(int32_t line, const LineRef &ref) {
  LineEntry &entry = lines_[size_t(line)];
  entry.handle = ref.handle;
  entry.end = ref.end;
  entry.length = TextLength(ref.handle);
  entry.storedSize = StoredSizeFor(entry.length);
}

void cBufLine::ApplyInsert(int32_t first, const std::vector<LineRef> &refs) {
  Check(InsertLines(first, int32_t(refs.size())), __LINE__);
  for (size_t i = 0; i < refs.size(); ++i)
    SetEntry(first + int32_t(i), refs[i]);
}

bool cBufLine::CanUndo() const {
  size_t at = cursor_;
  if (at > 0 && records_[at - 1].kind == RecordKind::Marker)
    --at;
  while (at > 0 && records_[at - 1].kind != RecordKind::Marker)
    --at;
  return at > 0;
}

TextPos cBufLine::Undo() {
  if (!CanUndo()) {
    lastChangedLine_ = -1;
    return kNoPos;
  }
  inUndo_ = true;
  if (records_[cursor_ - 1].kind == RecordKind::Marker)
    --cursor_;
  while (records_[cursor_ - 1].kind != RecordKind::Marker) {
    const Record &record = records_[cursor_ - 1];
    switch (record.kind) {
    case RecordKind::DelBlock: ApplyInsert(record.first, record.lines); break;
    case RecordKind::InsBlock: DeleteLines(record.first, int32_t(record.lines.size())); break;
    case RecordKind::LineDelete: ApplyInsert(record.first, record.lines); break;
    case RecordKind::LineChange: SetEntry(record.first, record.lines[0]); break;
    case RecordKind::SavedPoint: ClearModified(); break;
    case RecordKind::Marker: break;
    }
    --cursor_;
  }
  inUndo_ = false;
  lastChangedLine_ = -1;
  return records_[cursor_ - 1].caret;
}

TextPos cBufLine::Redo() {
  if (!CanRedo())
    return kNoPos;
  inUndo_ = true;
  while (cursor_ < records_.size()) {
    const Record &record = records_[cursor_++];
    switch (record.kind) {
    case RecordKind::DelBlock: DeleteLines(record.first, int32_t(record.lines.size())); break;
    case RecordKind::InsBlock: ApplyInsert(record.first, record.lines); break;
    case RecordKind::LineDelete: DeleteLines(record.first, 1); break;
    case RecordKind::LineChange: SetEntry(record.first, record.lines[1]); break;
    case RecordKind::SavedPoint: SetModified(); break;
    case RecordKind::Marker: break;
    }
    if (record.kind == RecordKind::Marker)
      break;
  }
  inUndo_ = false;
  lastChangedLine_ = -1;
  const Record &at = records_[cursor_ - 1];
  return at.kind == RecordKind::Marker ? at.caret : kNoPos;
}

} // namespace tsw::gui
