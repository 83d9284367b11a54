#include "gui/compilereditors.h"

#include <string>

#include "gui/editorstate.h"

namespace tsw {

namespace {

class OpenEditors : public EditorView {
public:
  std::optional<uint32_t> ActiveEditorCursor() override { return ActiveEditorCaret(); }
  bool OpenAndModified(std::string_view path) override { return FileOpenAndModified(path); }
};

} // namespace

EditorView &OpenEditorsForCompiler() {
  static OpenEditors editors;
  return editors;
}

} // namespace tsw
