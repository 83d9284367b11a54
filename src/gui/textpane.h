#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "gui/placement.h"

class QWidget;

// What the shell needs of the text panes that later parts provide: the
// source editor and the debugger panes stand behind these interfaces, and
// until they exist a placeholder serves.
namespace tsw {

class TextPane {
public:
  virtual ~TextPane() = default;
  virtual QWidget *Widget() = 0;
  // The pane's character cell in its font.
  virtual Size CellSize() const = 0;
  virtual void Clear() = 0;
};

class EditorPane : public TextPane {
public:
  // The caption: the file's name, or the untitled name.
  virtual std::string FileName() const = 0;
  virtual bool Untitled() const = 0;
  // By the document's file identity, not by spelling.
  virtual bool ShowsFile(std::string_view path) const = 0;
  virtual bool Modified() const = 0;
  virtual bool InsertMode() const = 0;
  virtual bool ReadOnly() const = 0;
  // Read-only while its program is debugged.
  virtual void SetDebugMode(bool debugging) = 0;
  // False when it failed; the view has reported why.
  virtual bool Save() = 0;
  virtual bool SaveAs() = 0;
  virtual void Find() = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  // Line in the high 16 bits, byte column in the low.
  virtual uint32_t Caret() const = 0;
  virtual void SetCaret(uint16_t line, uint16_t column) = 0;
  virtual uint16_t TopLine() const = 0;
  virtual void ScrollToTop(uint16_t line) = 0;
};

class EditorFactory {
public:
  virtual ~EditorFactory() = default;
  // A view over the file, or a new untitled buffer without a path; null
  // when it cannot be made.
  virtual std::unique_ptr<EditorPane> Create(const std::optional<std::string> &path, bool debugging) = 0;
};

// Until the editor exists: the file's name over its text, read-only.
class PlaceholderEditorFactory : public EditorFactory {
public:
  std::unique_ptr<EditorPane> Create(const std::optional<std::string> &path, bool debugging) override;
};

} // namespace tsw
