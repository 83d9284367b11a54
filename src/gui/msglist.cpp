#include "gui/msglist.h"

#include "foundation/msgcatalog.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "platform/format.h"

namespace tsw {
namespace {

constexpr size_t kRowBufferBytes = 1024;
constexpr int16_t kNoteKind = -1;

bool IsError(const Diagnostic &record) { return record.kind == 0; }
bool IsWarning(const Diagnostic &record) { return record.kind > 0; }

std::string Cut(std::string text) {
  if (text.size() >= kRowBufferBytes)
    text.resize(kRowBufferBytes - 1);
  return text;
}

} // namespace

void MessageList::Load(std::vector<Diagnostic> records, const MessageLimits &limits) {
  records_.clear();
  current_ = 0;
  // A record without text has no row, so it cannot be shown or selected.
  for (Diagnostic &record : records)
    if (!record.text.empty())
      records_.push_back(std::move(record));
  if (records_.empty())
    return;
  // The first record always stays; it counts as an error unless it is a
  // warning.
  unsigned errors = IsWarning(records_.front()) ? 0 : 1;
  unsigned warnings = IsWarning(records_.front()) ? 1 : 0;
  bool errorsCut = false, warningsCut = false;
  std::vector<Diagnostic> kept{std::move(records_.front())};
  for (size_t i = 1; i < records_.size(); ++i) {
    Diagnostic &record = records_[i];
    if (IsError(record) && ++errors > limits.maxErrors) {
      errorsCut = true;
      continue;
    }
    if (IsWarning(record) && ++warnings > limits.maxWarnings) {
      warningsCut = true;
      continue;
    }
    kept.push_back(std::move(record));
  }
  records_ = std::move(kept);
  if (!errorsCut && !warningsCut)
    return;
  Diagnostic note;
  note.line = records_.back().line;
  note.column = 0;
  note.kind = kNoteKind;
  if (errorsCut && warningsCut)
    note.text = FormatMessage<kMsgTooManyBoth>(int(limits.maxErrors), int(limits.maxWarnings));
  else if (errorsCut)
    note.text = FormatMessage<kMsgTooManyErrors>(int(limits.maxErrors));
  else
    note.text = FormatMessage<kMsgTooManyWarnings>(int(limits.maxWarnings));
  records_.push_back(std::move(note));
}

std::optional<size_t> MessageList::Current() const {
  if (records_.empty())
    return std::nullopt;
  return current_;
}

const Diagnostic *MessageList::CurrentRecord() const { return records_.empty() ? nullptr : &records_[current_]; }

void MessageList::Next() {
  if (records_.empty())
    return;
  current_ = current_ + 1 < records_.size() ? current_ + 1 : 0;
}

void MessageList::Previous() {
  if (records_.empty())
    return;
  current_ = current_ == 0 ? records_.size() - 1 : current_ - 1;
}

void MessageList::Select(size_t row) {
  if (!records_.empty())
    current_ = row < records_.size() ? row : records_.size() - 1;
}

std::vector<std::string> MessageList::Rows() const {
  std::vector<std::string> rows;
  rows.reserve(records_.size());
  for (const Diagnostic &record : records_)
    rows.push_back(MessageRowText(record));
  return rows;
}

std::string MessageRowText(const Diagnostic &record) {
  if (record.text.find("ERROR") != std::string::npos || record.text.find("WARNING") != std::string::npos)
    return Cut(FormatMessage<kMsgMessageRow>(int(record.line), record.text));
  return Cut(record.text);
}

bool MessageList::AdjustPositions(const std::string &fileName, const std::string &programPath, gui::TextPos from,
                                  gui::TextPos oldEnd, gui::TextPos newEnd) {
  if (fileName != programPath || records_.empty())
    return false;
  // Lines and columns of the records count from 1.
  const int32_t startLine = gui::PosLine(from) + 1, endLine = gui::PosLine(oldEnd) + 1;
  const int32_t lineDelta = gui::PosLine(newEnd) - gui::PosLine(oldEnd);
  const int32_t columnDelta = int32_t(gui::PosColumn(newEnd)) - int32_t(gui::PosColumn(oldEnd));
  const uint32_t startColumn = gui::PosColumn(from) + 1, endColumn = gui::PosColumn(oldEnd) + 1;
  bool changed = false;
  for (size_t i = 0; i < records_.size();) {
    Diagnostic &record = records_[i];
    if (!record.followsEdits) {
      ++i;
      continue;
    }
    if (record.line > endLine) {
      record.line = uint16_t(record.line + lineDelta);
      changed = true;
    } else if (record.line == endLine && record.column >= endColumn) {
      record.line = uint16_t(record.line + lineDelta);
      record.column = uint8_t(record.column + columnDelta);
      changed = true;
    } else if (record.line > startLine || (record.line == startLine && record.column >= startColumn)) {
      // Its text was changed under it.
      records_.erase(records_.begin() + ptrdiff_t(i));
      if (i <= current_ && current_ > 0)
        --current_;
      changed = true;
      continue;
    }
    ++i;
  }
  if (current_ >= records_.size())
    current_ = records_.empty() ? 0 : records_.size() - 1;
  return changed;
}

} // namespace tsw
