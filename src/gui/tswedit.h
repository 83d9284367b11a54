#pragma once

#include <QPointer>

#include <list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "foundation/xerr.h"
#include "gui/common/model/tsweditcore.h"
#include "gui/common/model/tswfile.h"
#include "gui/common/model/tswreplace.h"
#include "gui/common/tswview.h"
#include "gui/compilercharrules.h"
#include "gui/mainframe.h"
#include "gui/settings.h"
#include "gui/textpane.h"

// The source editor: a window on a file's document in which the user
// types C. The editing rules are the edit core's; this side turns keys and
// commands into its calls, saves, and tells the shell what changed.
namespace tsw {

// A pane kind's font and colour settings as the panes take them: a colour
// left at its default is none, the palette's.
QFont PaneFontOf(const FontSetting &setting);
std::optional<uint32_t> ChosenColor(const ColorSetting &setting);

// Message 21's filter ("name|pattern|...|", the last character the
// separator) in the form Qt's file dialogs take ("name (pattern);;...").
QString QtFileFilter(const std::string &filter);

// The save dialog, which asks before it overwrites a file.
class SaveNameDialog {
public:
  virtual ~SaveNameDialog() = default;
  // The chosen name; none when the user cancelled.
  virtual std::optional<std::string> Ask(QWidget *parent, const std::string &current) = 0;
};
SaveNameDialog &SystemSaveDialog();

// The shell around the editors: the main window that shows their caret,
// insert mode and modified state.
class ShellPaneHost : public gui::PaneHost {
public:
  void CaretStatus(QWidget *pane, bool known, gui::DisplayPos caret) override;
  virtual void InsertModeChanged(QWidget *pane, bool insert);
  virtual void ModifiedChanged(QWidget *pane, bool modified);
};
ShellPaneHost &DefaultShellHost();

class cTextEdit;
class SearchDialogs;
class FunctionHelpDialogs;

enum class BreakpointKind : uint8_t { Rst18, Rst20 };

// The debugger's breakpoints and the main window's poll timer, as the
// editor's breakpoint commands use them.
class BreakpointService {
public:
  virtual ~BreakpointService() = default;
  virtual bool Debugging() const = 0;
  virtual void StopPollTimer() = 0;
  virtual void StartPollTimer() = 0;
  // Talks to the board: the poll timer is stopped around it.
  virtual void ToggleAtCursor(cTextEdit &view, BreakpointKind kind) = 0;
  // A failure of the link: the target's compile flags reset, the
  // please-wait dialog closed, the error reported and debugging ended.
  virtual void LinkFailed(const xErr &error) = 0;
};

inline constexpr const char *kEditorModule = "gui\\tswedit";
inline constexpr uint32_t kRst18FailureLine = 1120;
inline constexpr uint32_t kRst20FailureLine = 1148;

// Toggles the breakpoint at the view's caret; nothing it raises goes
// further.
void RunBreakpointCommand(BreakpointService &service, cTextEdit &view, BreakpointKind kind);

// The message window's diagnostics follow the edits of their file.
class MessagePositions {
public:
  virtual ~MessagePositions() = default;
  virtual void AdjustPositions(const std::string &fileName, gui::TextPos from, gui::TextPos to,
                               gui::TextPos newEnd) = 0;
};

// What every editor is made with.
struct EditorEnvironment {
  ShellPaneHost *host = nullptr;            // the shell's by default
  SaveNameDialog *saveDialog = nullptr;     // the system's by default
  const Settings *settings = nullptr;       // defaults without
  gui::SaveFileOps *fileOps = nullptr;      // the system's by default
  gui::UndoPool *undoPool = nullptr;        // the program's by default
  BreakpointService *breakpoints = nullptr; // none: the commands stay disabled
  MessagePositions *messages = nullptr;     // none while there is no message window
  SearchDialogs *searchDialogs = nullptr;   // none: find, replace and go-to stay disabled
  FunctionHelpDialogs *functionHelp = nullptr; // none: the main window's function help serves
};

class cEditWidget : public gui::cTextWidget, public CommandOwnerWidget {
  Q_OBJECT
public:
  cEditWidget(cTextEdit &edit, gui::cEditCore &core, gui::PaneHost &host);
  const CommandHandlers &OwnCommands() const override { return commands_; }
  cTextEdit &Edit() const { return edit_; }

  void EditCut() override;
  void EditCopy() override;
  void EditPaste() override;
  void EditUndo() override;
  void EditRedo() override;

protected:
  bool KeyTyped(QKeyEvent *event) override;
  void TextCommitted(const QString &text) override;

private:
  cTextEdit &edit_;
  CommandHandlers commands_;
};

class cTextEdit : public EditorPane, private gui::EditorSeam {
public:
  // A view of the file, joining the views already open on it, or of a new
  // untitled document. Throws xFileOpen when the file cannot be read.
  cTextEdit(const std::optional<std::string> &path, EditorEnvironment environment);
  // A further view of the document `shown` shows (the function help's).
  cTextEdit(cTextEdit &shown, EditorEnvironment environment);
  ~cTextEdit() override;
  cTextEdit(const cTextEdit &) = delete;
  cTextEdit &operator=(const cTextEdit &) = delete;

  // Every open editor view, the newest first.
  static const std::list<cTextEdit *> &Editors();

  gui::cEditCore &Core() const { return *core_; }
  cEditWidget *EditWidget() const { return widget_; }
  gui::cBufFile &File() const { return core_->File(); }
  // The document as a save writes it and as the compiler reads it.
  std::string GetFileName() const { return File().GetName(); }
  bool IsUntitled() const { return File().IsUntitled(); }
  void WriteToStream(std::ostream &out) const { File().WriteToStream(out); }

  // Fonts, colours and editing options of the view's kind from the settings.
  void ApplyDisplayOptions();

  // Typed keys the caret keys left over; false for those left to the shell.
  bool KeyTyped(QKeyEvent *event);
  // Typed characters: each Latin-1 one its byte; a text holding any other
  // beeps and changes nothing.
  void TypeText(const QString &text);
  void Cut();
  void Copy();
  void Paste();
  void FindNext();
  // The find, replace and go-to commands through their dialogs.
  void FindCommand();
  void ReplaceCommand();
  void GotoLineCommand();
  // The replace the dialog asked for, its questions in message boxes; the
  // number of matches replaced. A read-only view beeps.
  int Replace(const gui::ReplaceRequest &request);

  // EditorPane.
  QWidget *Widget() override { return widget_; }
  Size CellSize() const override;
  void Clear() override {}
  std::string FileName() const override { return GetFileName(); }
  bool Untitled() const override { return IsUntitled(); }
  bool ShowsFile(std::string_view path) const override;
  bool Modified() const override { return File().IsModified(); }
  bool InsertMode() const override { return core_->InsertMode(); }
  bool ReadOnly() const override { return core_->IsReadOnly(); }
  void SetDebugMode(bool debugging) override {
    SetKind(debugging ? gui::EditorKind::DebugEditor : gui::EditorKind::Editor);
  }
  bool Save() override;
  bool SaveAs() override;
  void Find() override {}
  void Undo() override { core_->Undo(); }
  void Redo() override { core_->Redo(); }
  uint32_t Caret() const override { return core_->GetCursor(); }
  void SetCaret(uint16_t line, uint16_t column) override;
  uint16_t TopLine() const override;
  void ScrollToTop(uint16_t line) override;

  void SetKind(gui::EditorKind kind);

private:
  friend class cEditWidget;
  void Start(std::shared_ptr<gui::cBufFile> doc, cTextEdit *ringOf);
  std::shared_ptr<gui::cBufFile> MakeDocument(const std::optional<std::string> &path);
  // The view goes on over `doc`, in the ring of `ringOf` when given.
  void ShowDocument(std::shared_ptr<gui::cBufFile> doc, cTextEdit *ringOf);
  void ShowSaveError();
  void FollowMode();

  gui::EditorSeam &Seam() { return *this; }
  // EditorSeam.
  void Beep() override { host_.Beep(); }
  void InsertModeChanged(bool insertMode) override;
  void TextEdited(gui::TextPos from, gui::TextPos to, gui::TextPos newEnd) override;

  EditorEnvironment environment_;
  ShellPaneHost &host_;
  CompilerCharRules rules_;
  gui::EditorOptions options_;
  std::unique_ptr<gui::cEditCore> core_;
  QPointer<cEditWidget> widget_;
};

// The source editors as the shell makes them.
class cTextEditFactory : public EditorFactory {
public:
  explicit cTextEditFactory(EditorEnvironment environment = {}) : environment_(environment) {}
  void SetSettings(const Settings *settings) { environment_.settings = settings; }
  void SetBreakpoints(BreakpointService *breakpoints) { environment_.breakpoints = breakpoints; }
  void SetSearchDialogs(SearchDialogs *dialogs) { environment_.searchDialogs = dialogs; }
  void SetMessagePositions(MessagePositions *messages) { environment_.messages = messages; }
  void SetFunctionHelp(FunctionHelpDialogs *dialogs) { environment_.functionHelp = dialogs; }
  std::unique_ptr<EditorPane> Create(const std::optional<std::string> &path, bool debugging) override;

private:
  EditorEnvironment environment_;
};

} // namespace tsw
