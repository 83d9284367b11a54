#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "gui/common/model/tswfile.h"
#include "gui/common/model/tswview.h"

// The source editor's rules without a window: what each typed character
// and editing key does to the document, how edits group into undo actions,
// and the ring of views that share one document.
namespace tsw::gui {

// What the editor asks of the world around it.
class EditorSeam {
public:
  virtual ~EditorSeam();
  virtual void Beep() = 0;
  virtual void InsertModeChanged(bool insertMode) = 0;
  // The document's text between the positions changed, through any of its
  // views; once per change.
  virtual void TextEdited(TextPos from, TextPos to, TextPos newEnd);
};

struct EditorOptions {
  bool autoIndent = true;
  bool removeTrailingWhitespace = false;
};

enum class UndoKind : uint8_t { None, Typing, Deleting };
enum class EditorKind : uint8_t { Editor, ErrorEditor, DebugEditor };

inline constexpr uint8_t kBackspace = 0x08, kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B;

class cEditCore : public cTextViewer {
public:
  // Joins the ring of `ringOf` when given, else stands alone over `doc`.
  cEditCore(std::shared_ptr<cBufFile> doc, const CharRules &rules, EditorSeam &seam, const EditorOptions &options,
            cEditCore *ringOf = nullptr);
  ~cEditCore() override;
  cEditCore(const cEditCore &) = delete;
  cEditCore &operator=(const cEditCore &) = delete;

  cBufFile &File() const { return *file_; }
  const std::shared_ptr<cBufFile> &SharedFile() const { return file_; }

  // A typed character; false when it is left to the default handling
  // (Escape).
  bool Char(uint8_t character);
  void PressInsert();
  void PressDelete();
  std::optional<std::string> Cut();
  void Paste(std::string_view bytes);
  void Undo();
  void Redo();

  bool InsertMode() const { return !overwrite_; }
  bool IsReadOnly() const { return readOnly_; }
  EditorKind Kind() const { return kind_; }
  // Read-only while debugged, and for every view of the document.
  void SetDebugMode(EditorKind kind);

  // The views of one document, this one included.
  cEditCore *RingNext() const { return ringNext_; }
  bool AloneInRing() const { return ringNext_ == this; }

  void CaretMoved() override;
  void TextChanged(TextPos from, TextPos to, TextPos newEnd, TextPos repaintEnd) override;

private:
  void StartAction(UndoKind kind);
  void InsertOrOverwrite(std::string_view character);
  void Backspace();
  void Enter();
  void RemoveTrailingBlanks(int32_t line);
  std::string IndentFor(int32_t line);
  void Unlink();
  void FollowEdit(TextPos from, TextPos to, TextPos newEnd);
  void SetReadOnlyOnRing(bool readOnly);
  void ViewTextChanged(TextPos from, TextPos to, TextPos newEnd, TextPos repaintEnd) {
    cTextViewer::TextChanged(from, to, newEnd, repaintEnd);
  }

  std::shared_ptr<cBufFile> file_;
  EditorSeam &seam_;
  const EditorOptions &options_;
  cEditCore *ringNext_ = this;
  cEditCore *ringPrev_ = this;
  bool overwrite_ = false;
  bool readOnly_ = false;
  EditorKind kind_ = EditorKind::Editor;
  uint8_t pendingLead_ = 0;
  UndoKind undoKind_ = UndoKind::None;
  int32_t lastCaretLine_ = -1;
};

} // namespace tsw::gui
