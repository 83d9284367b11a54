#include "gui/common/model/tsweditcore.h"

#include <algorithm>

namespace tsw::gui {

namespace {

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }

size_t IndentLength(const std::string &text) {
  size_t run = 0;
  while (run < text.size() && IsBlank(text[run]))
    ++run;
  return run;
}

} // namespace

EditorSeam::~EditorSeam() = default;
void EditorSeam::TextEdited(TextPos, TextPos, TextPos) {}

cEditCore::cEditCore(std::shared_ptr<cBufFile> doc, const CharRules &rules, EditorSeam &seam,
                     const EditorOptions &options, cEditCore *ringOf)
    : cTextViewer(*doc, rules), file_(std::move(doc)), seam_(seam), options_(options) {
  if (ringOf) {
    ringNext_ = ringOf;
    ringPrev_ = ringOf->ringPrev_;
    ringOf->ringPrev_->ringNext_ = this;
    ringOf->ringPrev_ = this;
    readOnly_ = ringOf->readOnly_;
    kind_ = ringOf->kind_;
  }
  // Saving a document cut at the line limit would cut the file.
  if (file_->IsIncomplete())
    readOnly_ = true;
}

cEditCore::~cEditCore() { Unlink(); }

void cEditCore::Unlink() {
  ringPrev_->ringNext_ = ringNext_;
  ringNext_->ringPrev_ = ringPrev_;
  ringNext_ = ringPrev_ = this;
}

void cEditCore::StartAction(UndoKind kind) {
  if (undoKind_ != kind) {
    BeginUndoAction(GetCursor());
    undoKind_ = kind;
  }
}

void cEditCore::CaretMoved() {
  int32_t line = PosLine(GetCursor());
  if (line != lastCaretLine_) {
    undoKind_ = UndoKind::None;
    lastCaretLine_ = line;
  }
}

void cEditCore::TextChanged(TextPos from, TextPos to, TextPos newEnd, TextPos repaintEnd) {
  cEditCore *view = this;
  do {
    if (view != this)
      view->FollowEdit(from, to, newEnd);
    view->ViewTextChanged(from, to, newEnd, repaintEnd);
    view = view->ringNext_;
  } while (view != this);
  seam_.TextEdited(from, to, newEnd);
}

void cEditCore::FollowEdit(TextPos from, TextPos to, TextPos newEnd) {
  // The edit was made in another view: this caret would otherwise name text
  // that moved, or lines that are gone, and typing there would be lost.
  TextPos caret = GetCursor();
  if (to != kNoPos && newEnd != kNoPos) {
    if (caret >= to) {
      if (PosLine(caret) == PosLine(to))
        caret = MakePos(PosLine(newEnd), PosColumn(caret) - PosColumn(to) + PosColumn(newEnd));
      else
        caret = MakePos(PosLine(caret) + PosLine(newEnd) - PosLine(to), PosColumn(caret));
    } else if (caret > from) {
      caret = from;
    }
  }
  PlaceCaret(caret);
  SetAnchorAndEnd(caret);
  if (!IsValidPosition(caret)) {
    SetCursor(caret);
    SetAnchorAndEnd(GetCursor());
  }
}

void cEditCore::InsertOrOverwrite(std::string_view character) {
  StartAction(UndoKind::Typing);
  if (overwrite_)
    OverwriteChar(character);
  else
    InsertChar(character);
}

bool cEditCore::Char(uint8_t character) {
  if (readOnly_) {
    if (character == kEscape)
      return false;
    seam_.Beep();
    return true;
  }
  if (pendingLead_) {
    char pair[2] = {char(pendingLead_), char(character)};
    pendingLead_ = 0;
    InsertOrOverwrite(std::string_view(pair, 2));
    return true;
  }
  if (Rules().IsLeadByte(character)) {
    pendingLead_ = character;
    return true;
  }
  switch (character) {
  case kBackspace: Backspace(); return true;
  case kEscape: return false;
  case kEnter: Enter(); return true;
  default: break;
  }
  if (character >= 0x20 || character == kTab) {
    char byte = char(character);
    InsertOrOverwrite(std::string_view(&byte, 1));
  }
  return true;
}

void cEditCore::Backspace() {
  TextPos caret = GetCursor();
  TextPos previous = PrevPosition(caret);
  StartAction(UndoKind::Deleting);
  if (previous == caret)
    return;
  if (overwrite_) {
    SetCursor(previous);
    return;
  }
  int32_t line = PosLine(caret);
  if (PosColumn(caret) == 0 && LineLength(line - 1) + LineLength(line) > kMaxLineLength) {
    SetCursor(previous);
    return;
  }
  DeleteRange(previous, caret);
}

void cEditCore::PressDelete() {
  if (readOnly_) {
    seam_.Beep();
    return;
  }
  if (HasSelection()) {
    BeginUndoAction(GetCursor());
    DeleteRange(SelectionStart(), SelectionEnd());
    BeginUndoAction(GetCursor());
    return;
  }
  TextPos caret = GetCursor();
  TextPos next = NextPosition(caret);
  StartAction(UndoKind::Deleting);
  if (next == caret)
    return;
  if (PosColumn(next) == 0 && LineLength(PosLine(caret)) + LineLength(PosLine(next)) > kMaxLineLength) {
    SetCursor(next);
    return;
  }
  DeleteRange(caret, next);
}

void cEditCore::PressInsert() {
  if (readOnly_) {
    seam_.Beep();
    return;
  }
  overwrite_ = !overwrite_;
  seam_.InsertModeChanged(!overwrite_);
}

std::string cEditCore::IndentFor(int32_t line) {
  for (int32_t above = line; above >= 0; --above) {
    std::string text = Document().LineText(above);
    size_t run = IndentLength(text);
    if (run < text.size())
      return text.substr(0, run);
  }
  return {};
}

void cEditCore::Enter() {
  StartAction(UndoKind::Typing);
  TextPos caret = GetCursor();
  int32_t line = PosLine(caret);
  uint32_t column = PosColumn(caret);
  if (overwrite_) {
    if (line + 1 < LineCount()) {
      SetCursor(MakePos(line + 1, 0));
      return;
    }
    if (column < LineLength(line)) {
      SetCursor(MakePos(line, LineLength(line)));
      InsertTextAtCaret("\n");
      return;
    }
  }
  if (!options_.autoIndent) {
    InsertTextAtCaret("\n");
  } else {
    std::string text = Document().LineText(line);
    size_t run = IndentLength(text);
    if (run == text.size()) {
      std::string indent = IndentFor(line - 1);
      InsertTextAtCaret("\n" + indent);
    } else if (column > run) {
      InsertTextAtCaret("\n" + text.substr(0, run));
    } else {
      // Within the indentation of a line with text: the line moves down
      // unchanged and the caret with it.
      InsertText(MakePos(line, 0), "\n");
      SetCursor(MakePos(line + 1, column));
    }
  }
  if (options_.removeTrailingWhitespace)
    RemoveTrailingBlanks(PosLine(GetCursor()) - 1);
}

void cEditCore::RemoveTrailingBlanks(int32_t line) {
  if (line < 0)
    return;
  std::string text = Document().LineText(line);
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1]))
    --end;
  if (end < text.size())
    DeleteRange(MakePos(line, uint32_t(end)), MakePos(line, uint32_t(text.size())));
}

std::optional<std::string> cEditCore::Cut() {
  if (readOnly_) {
    seam_.Beep();
    return std::nullopt;
  }
  std::optional<std::string> bytes = CopySelection();
  if (!bytes)
    return std::nullopt;
  BeginUndoAction(GetCursor());
  DeleteRange(SelectionStart(), SelectionEnd());
  BeginUndoAction(GetCursor());
  undoKind_ = UndoKind::None;
  return bytes;
}

void cEditCore::Paste(std::string_view bytes) {
  if (readOnly_) {
    seam_.Beep();
    return;
  }
  BeginUndoAction(GetCursor());
  TextPos end = HasSelection() ? ReplaceRange(SelectionStart(), SelectionEnd(), bytes) : PasteText(GetCursor(), bytes);
  SetCursor(end);
  BeginUndoAction(GetCursor());
  undoKind_ = UndoKind::None;
}

void cEditCore::Undo() {
  if (readOnly_) {
    seam_.Beep();
    return;
  }
  EditUndo();
  undoKind_ = UndoKind::None;
}

void cEditCore::Redo() {
  if (readOnly_) {
    seam_.Beep();
    return;
  }
  EditRedo();
  undoKind_ = UndoKind::None;
}

void cEditCore::SetReadOnlyOnRing(bool readOnly) {
  cEditCore *view = this;
  do {
    view->readOnly_ = readOnly || view->file_->IsIncomplete();
    view = view->ringNext_;
  } while (view != this);
}

void cEditCore::SetDebugMode(EditorKind kind) {
  cEditCore *view = this;
  do {
    view->kind_ = kind;
    view = view->ringNext_;
  } while (view != this);
  SetReadOnlyOnRing(kind == EditorKind::DebugEditor);
}

} // namespace tsw::gui
