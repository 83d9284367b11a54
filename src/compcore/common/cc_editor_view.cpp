#include "compcore/common/cc_editor_view.h"

namespace tsw {
namespace {

EditorView *gEditorView = nullptr;

uint32_t ActiveCursor() {
  std::optional<uint32_t> cursor;
  if (gEditorView)
    cursor = gEditorView->ActiveEditorCursor();
  return cursor.value_or(0);
}

} // namespace

void SetEditorView(EditorView *view) { gEditorView = view; }
EditorView *CurrentEditorView() { return gEditorView; }

uint16_t GetEditorCursorLine() { return uint16_t(ActiveCursor() >> 16); }
uint16_t GetEditorCursorColumn() { return uint16_t(ActiveCursor() & 0xFFFF); }

} // namespace tsw
