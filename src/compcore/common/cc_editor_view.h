#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the compiler asks of the text windows about the editors that are
// open: the caret of the active one, and whether a file has unsaved edits.
namespace tsw {

class EditorView {
public:
  virtual ~EditorView() = default;
  // The active editor's caret, line in the high 16 bits and column in the
  // low 16 bits; nullopt when no editor is active.
  virtual std::optional<uint32_t> ActiveEditorCursor() = 0;
  // True when `path` is open in an editor with unsaved changes. Paths name
  // one file whatever their case and separators.
  virtual bool OpenAndModified(std::string_view path) = 0;
  // The text of the editor that holds `path` with unsaved changes, as the
  // compile reads it in place of the file; nullopt when there is none.
  virtual std::optional<std::string> ModifiedText(std::string_view path) {
    (void)path;
    return std::nullopt;
  }
};

// Null (the default) when no text windows exist: no editor is active and
// nothing is open.
void SetEditorView(EditorView *view);
EditorView *CurrentEditorView();

// The active editor's caret line and column as the text windows count
// them; 0 when no editor is active.
uint16_t GetEditorCursorLine();
uint16_t GetEditorCursorColumn();

} // namespace tsw
