#include "gui/tswedit.h"

#include "gui/dlgsearch.h"
#include "gui/exelock.h"
#include "gui/funchelp.h"
#include "gui/helpdocs.h"
#include "gui/printing.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>

#include <algorithm>
#include <vector>

#include "foundation/restext.h"
#include "gui/editorstate.h"
#include "gui/frames.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"
#include "platform/format.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {

namespace {

using gui::cBufFile;
using gui::cEditCore;
using gui::EditorKind;

constexpr int kBoldFrom = 600;

std::list<cTextEdit *> &EditorList() {
  static std::list<cTextEdit *> editors;
  return editors;
}

cMainWindow *MainWindowOf(QWidget *pane) {
  for (QWidget *widget = pane; widget; widget = widget->parentWidget())
    if (auto *main = qobject_cast<cMainWindow *>(widget))
      return main;
  return nullptr;
}

// A document's notices go to the views that show it: its modified state to
// the status bar while one of them has the focus, its boxes over the screen.
class DocumentRelay : public gui::DocumentEvents {
public:
  explicit DocumentRelay(ShellPaneHost &host) : host_(host) {}
  void SetFile(const cBufFile *file) { file_ = file; }

  void ModifiedChanged(bool modified) override {
    for (cTextEdit *edit : cTextEdit::Editors())
      if (&edit->File() == file_ && edit->EditWidget() && edit->EditWidget()->hasFocus())
        host_.ModifiedChanged(edit->EditWidget(), modified);
  }
  void ShowMessage(uint32_t message, uint32_t caption) override { host_.ShowMessage(nullptr, message, caption); }

private:
  ShellPaneHost &host_;
  const cBufFile *file_ = nullptr;
};

std::string Formatted(unsigned message, const std::string &argument) {
  return plat::FormatText(GetResourceString(message), argument);
}

} // namespace

std::optional<uint32_t> ChosenColor(const ColorSetting &setting) {
  return setting.useDefault ? std::nullopt : std::optional<uint32_t>(setting.color);
}

QFont PaneFontOf(const FontSetting &setting) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!setting.faceName.empty() && setting.faceName != "System")
    font.setFamily(QString::fromStdString(setting.faceName));
  if (setting.height != 0)
    font.setPixelSize(std::abs(setting.height));
  if (setting.weight != 0)
    font.setWeight(setting.weight >= kBoldFrom ? QFont::Bold : QFont::Normal);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

QString QtFileFilter(const std::string &filter) {
  if (filter.empty())
    return {};
  // The last character is the separator, whatever it is.
  char separator = filter.back();
  std::vector<std::string> parts;
  std::string part;
  for (char c : filter.substr(0, filter.size() - 1)) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  QStringList filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = QString::fromStdString(parts[i + 1]).replace(';', ' ');
    QString name = QString::fromStdString(parts[i]);
    filters << (name.contains('(') ? name : name + " (" + patterns + ")");
  }
  return filters.join(";;");
}

namespace {

// Qt's dialog asks before it overwrites a file. A document without a name
// starts in the directory the last save went to.
class QtSaveDialog : public SaveNameDialog {
public:
  std::optional<std::string> Ask(QWidget *parent, const std::string &current) override {
    QString start = current.empty() ? lastDirectory_ : QString::fromStdString(current);
    QString name =
        QFileDialog::getSaveFileName(parent, QString(), start, QtFileFilter(GetResourceString(kMsgSourceFilter)));
    if (name.isEmpty())
      return std::nullopt;
    lastDirectory_ = QFileInfo(name).absolutePath();
    return name.toStdString();
  }

private:
  QString lastDirectory_;
};

} // namespace

SaveNameDialog &SystemSaveDialog() {
  static QtSaveDialog dialog;
  return dialog;
}

void ShellPaneHost::CaretStatus(QWidget *pane, bool known, gui::DisplayPos caret) {
  if (cMainWindow *main = MainWindowOf(pane))
    main->CaretPosition(known, caret);
}

void ShellPaneHost::InsertModeChanged(QWidget *pane, bool insert) {
  if (cMainWindow *main = MainWindowOf(pane))
    main->InsertModeChanged(insert);
}

void ShellPaneHost::ModifiedChanged(QWidget *pane, bool modified) {
  if (cMainWindow *main = MainWindowOf(pane))
    emit main->ModifiedChanged(modified);
}

ShellPaneHost &DefaultShellHost() {
  static ShellPaneHost host;
  return host;
}

cEditWidget::cEditWidget(cTextEdit &edit, gui::cEditCore &core, gui::PaneHost &host)
    : cTextWidget(core, host), edit_(edit) {
  commands_.Add(cmd::kCut, [this] { EditCut(); });
  commands_.Add(cmd::kCopy, [this] { EditCopy(); });
  commands_.Add(cmd::kPaste, [this] { EditPaste(); });
  commands_.Add(cmd::kUndo, [this] { EditUndo(); });
  commands_.Add(cmd::kRedo, [this] { EditRedo(); });
  commands_.Add(cmd::kFindNext, [this] { edit_.FindNext(); });
  if (edit_.environment_.searchDialogs) {
    commands_.Add(cmd::kFind, [this] { edit_.FindCommand(); });
    commands_.Add(cmd::kReplace, [this] { edit_.ReplaceCommand(); });
    commands_.Add(cmd::kGotoLine, [this] { edit_.GotoLineCommand(); });
  }
  AddPrintCommands(commands_, *this);
  if (const Settings *settings = edit_.environment_.settings)
    commands_.Add(cmd::kHelpContents2,
                  [settings] { ShowHelpTopic(ShellHelpViewer(), MakeHelpFiles(*settings), kEditorHelpContext); });
  if (FunctionHelpDialogs *help = edit_.environment_.functionHelp)
    commands_.Add(cmd::kFunctionHelp, [this, help] { PaneFunctionHelp(*help, this, Model(), !edit_.ReadOnly()); });
  if (BreakpointService *breakpoints = edit_.environment_.breakpoints) {
    auto debugging = [breakpoints] { return breakpoints->Debugging(); };
    commands_.Add(
        cmd::kBreakpoint18, [this, breakpoints] { RunBreakpointCommand(*breakpoints, edit_, BreakpointKind::Rst18); },
        debugging);
    commands_.Add(
        cmd::kBreakpoint20, [this, breakpoints] { RunBreakpointCommand(*breakpoints, edit_, BreakpointKind::Rst20); },
        debugging);
  }
}

void RunBreakpointCommand(BreakpointService &service, cTextEdit &view, BreakpointKind kind) {
  try {
    // Both kinds stop the poll first: a tick inside the breakpoint's
    // exchange with the board would break into it.
    service.StopPollTimer();
    service.ToggleAtCursor(view, kind);
    service.StartPollTimer();
  } catch (const xTCErr &error) {
    service.LinkFailed(error);
  } catch (const xErr &error) {
    error.Report();
  } catch (...) {
    xInternal(kEditorModule, kind == BreakpointKind::Rst18 ? kRst18FailureLine : kRst20FailureLine).Report();
  }
}

void cEditWidget::EditCut() { edit_.Cut(); }
void cEditWidget::EditCopy() { edit_.Copy(); }
void cEditWidget::EditPaste() { edit_.Paste(); }
void cEditWidget::EditUndo() { edit_.Undo(); }
void cEditWidget::EditRedo() { edit_.Redo(); }
bool cEditWidget::KeyTyped(QKeyEvent *event) { return edit_.KeyTyped(event); }
void cEditWidget::TextCommitted(const QString &text) { edit_.TypeText(text); }

const std::list<cTextEdit *> &cTextEdit::Editors() { return EditorList(); }

namespace {

// The first listed view that shows `doc`.
cTextEdit *FirstViewOf(const cBufFile *doc) {
  auto listed =
      std::find_if(EditorList().begin(), EditorList().end(), [doc](cTextEdit *edit) { return &edit->File() == doc; });
  return listed == EditorList().end() ? nullptr : *listed;
}

} // namespace

cTextEdit::cTextEdit(const std::optional<std::string> &path, EditorEnvironment environment)
    : environment_(environment), host_(environment.host ? *environment.host : DefaultShellHost()) {
  cTextEdit *ringOf = path ? FirstViewOf(cBufFile::FindByName(*path)) : nullptr;
  Start(ringOf ? ringOf->core_->SharedFile() : MakeDocument(path), ringOf);
}

cTextEdit::cTextEdit(cTextEdit &shown, EditorEnvironment environment)
    : environment_(environment), host_(environment.host ? *environment.host : DefaultShellHost()) {
  cTextEdit *ringOf = FirstViewOf(&shown.File());
  Start(shown.core_->SharedFile(), ringOf ? ringOf : &shown);
}

void cTextEdit::Start(std::shared_ptr<cBufFile> doc, cTextEdit *ringOf) {
  ApplyDisplayOptions();
  core_ = std::make_unique<cEditCore>(std::move(doc), rules_, Seam(), options_, ringOf ? ringOf->core_.get() : nullptr);
  widget_ = new cEditWidget(*this, *core_, host_);
  EditorList().push_front(this);
  ApplyDisplayOptions();
  FollowMode();
}

cTextEdit::~cTextEdit() {
  EditorList().remove(this);
  delete widget_.data();
  core_.reset();
}

std::shared_ptr<cBufFile> cTextEdit::MakeDocument(const std::optional<std::string> &path) {
  auto relay = std::make_shared<DocumentRelay>(host_);
  gui::DocumentOptions options;
  options.pool = environment_.undoPool;
  options.events = relay.get();
  // The relay lives as long as its document.
  std::shared_ptr<cBufFile> doc(new cBufFile(path.value_or(""), !path, std::move(options)),
                                [relay](cBufFile *file) { delete file; });
  relay->SetFile(doc.get());
  return doc;
}

void cTextEdit::ShowDocument(std::shared_ptr<cBufFile> doc, cTextEdit *ringOf) {
  gui::TextPos caret = core_->GetCursor();
  std::unique_ptr<cEditCore> old = std::move(core_);
  core_ = std::make_unique<cEditCore>(std::move(doc), rules_, Seam(), options_, ringOf ? ringOf->core_.get() : nullptr);
  if (!ringOf)
    core_->SetDebugMode(old->Kind());
  widget_->SetModel(*core_);
  old.reset();
  core_->SetCursor(caret);
  FollowMode();
}

void cTextEdit::ApplyDisplayOptions() {
  const Settings *settings = environment_.settings;
  if (settings) {
    options_.autoIndent = settings->editor.autoIndent;
    options_.removeTrailingWhitespace = settings->editor.removeTrailingWhitespace;
    if (settings->editor.tabs)
      gui::SetTabSize(settings->editor.tabs);
  }
  if (!widget_)
    return;
  if (!settings) {
    widget_->SetColors(std::nullopt, std::nullopt, std::nullopt, std::nullopt);
    return;
  }
  const PaneSettings &editor = settings->Pane(PaneKind::kEditor);
  const PaneSettings *own = &editor;
  if (core_->Kind() == EditorKind::ErrorEditor)
    own = &settings->Pane(PaneKind::kErrorEditor);
  else if (core_->Kind() == EditorKind::DebugEditor)
    own = &settings->Pane(PaneKind::kDebugEditor);
  // A kind's colour or font left at its default is the editor's.
  auto color = [&](ColorRole role) {
    const ColorSetting &mine = own->Color(role);
    return ChosenColor(mine.useDefault ? editor.Color(role) : mine);
  };
  widget_->SetColors(color(ColorRole::kForeground), color(ColorRole::kBackground), color(ColorRole::kSelectionFg),
                     color(ColorRole::kSelectionBg));
  widget_->SetPaneFont(PaneFontOf(own->font.faceName.empty() ? editor.font : own->font));
}

void cTextEdit::FollowMode() {
  if (widget_)
    widget_->SetCaretShape(core_->InsertMode(), core_->IsReadOnly());
}

void cTextEdit::SetKind(EditorKind kind) {
  core_->SetDebugMode(kind);
  for (cTextEdit *edit : EditorList())
    if (&edit->File() == &File()) {
      edit->FollowMode();
      edit->ApplyDisplayOptions();
    }
}

void cTextEdit::InsertModeChanged(bool insertMode) {
  FollowMode();
  host_.InsertModeChanged(widget_, insertMode);
}

void cTextEdit::TextEdited(gui::TextPos from, gui::TextPos to, gui::TextPos newEnd) {
  if (environment_.messages)
    environment_.messages->AdjustPositions(GetFileName(), from, to, newEnd);
}

bool cTextEdit::KeyTyped(QKeyEvent *event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
  case Qt::Key_Insert:
    if (shift)
      return false;
    core_->PressInsert();
    return true;
  case Qt::Key_Delete:
    if (shift)
      return false;
    core_->PressDelete();
    return true;
  case Qt::Key_Return:
  case Qt::Key_Enter: core_->Char(gui::kEnter); return true;
  case Qt::Key_Backspace: core_->Char(gui::kBackspace); return true;
  case Qt::Key_Tab: core_->Char(gui::kTab); return true;
  case Qt::Key_Escape: return core_->Char(gui::kEscape);
  default: break;
  }
  QString text = event->text();
  if (text.isEmpty())
    return false;
  TypeText(text);
  return true;
}

void cTextEdit::TypeText(const QString &text) {
  // A character beyond Latin-1 has no byte.
  std::optional<std::string> bytes = gui::TextToBytes(text);
  if (!bytes) {
    host_.Beep();
    return;
  }
  for (char byte : *bytes)
    if (uint8_t(byte) >= 0x20)
      core_->Char(uint8_t(byte));
}

void cTextEdit::Copy() {
  std::optional<std::string> bytes = core_->CopySelection();
  if (!bytes)
    return;
  if (!host_.SetClipboardText(gui::BytesToText(*bytes)))
    host_.ShowMessage(widget_, kMsgClipboardFailed, 0);
}

void cTextEdit::Cut() {
  if (core_->IsReadOnly()) {
    host_.Beep();
    return;
  }
  std::optional<std::string> bytes = core_->CopySelection();
  if (!bytes)
    return;
  // Only text that reached the clipboard leaves the document.
  if (!host_.SetClipboardText(gui::BytesToText(*bytes))) {
    host_.ShowMessage(widget_, kMsgClipboardFailed, 0);
    return;
  }
  core_->Cut();
}

void cTextEdit::Paste() {
  if (core_->IsReadOnly()) {
    host_.Beep();
    return;
  }
  std::optional<QString> text = host_.ClipboardText();
  if (!text)
    return;
  std::optional<std::string> bytes = gui::TextToBytes(*text);
  if (!bytes) {
    host_.Beep();
    return;
  }
  core_->Paste(*bytes);
}

void cTextEdit::FindNext() {
  if (core_->FindNext() != gui::kNoPos)
    return;
  const std::string &text = gui::LastSearch().text;
  if (text.empty()) {
    host_.Beep();
    return;
  }
  plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), Formatted(kMsgNotFound, text), plat::Buttons::Ok,
                              plat::Icon::Warning);
}

void cTextEdit::FindCommand() {
  if (environment_.searchDialogs->Find(widget_))
    FindNext();
}

void cTextEdit::ReplaceCommand() {
  if (std::optional<gui::ReplaceRequest> request = environment_.searchDialogs->Replace(widget_, core_->HasSelection()))
    Replace(*request);
}

void cTextEdit::GotoLineCommand() {
  if (std::optional<int> line = environment_.searchDialogs->GotoLine(widget_))
    core_->GoToLine(*line);
}

namespace {

// The replace loop's questions as the user sees them.
class BoxPrompt : public gui::ReplacePrompt {
public:
  explicit BoxPrompt(gui::cTextWidget &pane) : pane_(pane) {}
  gui::ReplaceAnswer Ask(bool all) override {
    plat::Answer answer =
        plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), GetResourceString(kMsgReplaceThis),
                                    all ? plat::Buttons::YesNoCancel : plat::Buttons::OkCancel, plat::Icon::Question);
    switch (answer) {
    case plat::IDOK: return gui::ReplaceAnswer::Ok;
    case plat::IDYES: return gui::ReplaceAnswer::Yes;
    case plat::IDNO: return gui::ReplaceAnswer::No;
    default: return gui::ReplaceAnswer::Cancel;
    }
  }
  void NotFound(const std::string &text) override {
    plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), Formatted(kMsgNotFound, text), plat::Buttons::Ok,
                                plat::Icon::Warning);
  }
  void ShowCaret(bool shown) override { pane_.SetCaretHidden(!shown); }
  // The user's cancel in the please-wait dialog ends the run here.
  void Replaced() override {
    ++replaced_;
    plat::PleaseWait().Pump();
  }
  int ReplacedCount() const { return replaced_; }

private:
  gui::cTextWidget &pane_;
  int replaced_ = 0;
};

// A replace of every match without questions runs unattended: the
// please-wait dialog shows it runs and lets the user stop it. It is closed
// on every way out, unless an outer operation had it open.
class UnattendedReplace {
public:
  explicit UnattendedReplace(bool unattended) : opened_(unattended && !plat::PleaseWait().Busy()) {
    if (opened_)
      plat::PleaseWait().Open(true);
  }
  ~UnattendedReplace() {
    if (opened_)
      plat::PleaseWait().Close();
  }
  UnattendedReplace(const UnattendedReplace &) = delete;
  UnattendedReplace &operator=(const UnattendedReplace &) = delete;

private:
  bool opened_;
};

} // namespace

int cTextEdit::Replace(const gui::ReplaceRequest &request) {
  if (core_->IsReadOnly()) {
    host_.Beep();
    return 0;
  }
  BoxPrompt prompt(*widget_);
  UnattendedReplace unattended(request.all && request.noPrompt);
  try {
    return gui::RunReplace(*core_, request, prompt);
  } catch (const xUserCancel &) {
    // What was replaced stays, as one step to undo.
    return prompt.ReplacedCount();
  }
}

Size cTextEdit::CellSize() const {
  QSize cell = widget_ ? widget_->CellSize() : QSize();
  return {cell.width(), cell.height()};
}

bool cTextEdit::ShowsFile(std::string_view path) const {
  return !IsUntitled() && cBufFile::FindByName(std::string(path)) == &File();
}

void cTextEdit::ShowSaveError() {
  plat::Notifier().MessageBox("", Formatted(kMsgCannotSave, GetFileName()), plat::Buttons::Ok, plat::Icon::Warning);
}

bool cTextEdit::Save() {
  if (IsUntitled())
    return SaveAs();
  gui::SaveFileOps &ops = environment_.fileOps ? *environment_.fileOps : gui::SystemFileOps();
  ExecutableReleased released;
  if (!File().Save(GetFileName(), ops)) {
    ShowSaveError();
    return false;
  }
  return true;
}

bool cTextEdit::SaveAs() {
  SaveNameDialog &dialog = environment_.saveDialog ? *environment_.saveDialog : SystemSaveDialog();
  ExecutableReleased released;
  std::optional<std::string> name = dialog.Ask(widget_, IsUntitled() ? std::string() : GetFileName());
  if (!name)
    return false;
  // The other views keep the document they had; this one goes on with a
  // copy under the new name.
  if (!core_->AloneInRing()) {
    auto relay = std::make_shared<DocumentRelay>(host_);
    gui::DocumentOptions options;
    options.pool = environment_.undoPool;
    options.events = relay.get();
    std::shared_ptr<cBufFile> copy(new cBufFile(File(), std::move(options)), [relay](cBufFile *file) { delete file; });
    relay->SetFile(copy.get());
    ShowDocument(copy, nullptr);
  }
  // A document open under the chosen name gives way: its views show this
  // one's. The dialog asked before the file is overwritten.
  std::string chosen = cBufFile::NormaliseName(*name);
  const cBufFile *replaced = nullptr;
  for (cTextEdit *edit : EditorList())
    if (edit != this && &edit->File() != &File() && !edit->IsUntitled() && edit->GetFileName() == chosen) {
      replaced = &edit->File();
      break;
    }
  if (replaced) {
    std::vector<cTextEdit *> views;
    for (cTextEdit *edit : EditorList())
      if (&edit->File() == replaced)
        views.push_back(edit);
    for (cTextEdit *view : views)
      view->ShowDocument(core_->SharedFile(), this);
  }
  gui::SaveFileOps &ops = environment_.fileOps ? *environment_.fileOps : gui::SystemFileOps();
  bool saved = bool(File().Save(*name, ops));
  if (!saved)
    ShowSaveError();
  core_->TextChanged(0, gui::kNoPos, gui::kNoPos, gui::kNoPos);
  return saved;
}

void cTextEdit::SetCaret(uint16_t line, uint16_t column) { core_->SetCursor(gui::MakePos(line, column)); }

uint16_t cTextEdit::TopLine() const { return uint16_t(gui::DisplayLine(core_->FirstVisible()) - 1); }

void cTextEdit::ScrollToTop(uint16_t line) { core_->VScroll(gui::ScrollCode::ThumbPosition, int32_t(line) + 1); }

std::optional<uint32_t> ActiveEditorCaret() {
  auto *frame = dynamic_cast<cEditFrame *>(Shell().editorFrames.Head());
  if (!frame || !frame->View())
    return std::nullopt;
  return frame->View()->Caret();
}

bool FileOpenAndModified(std::string_view path) {
  cBufFile *doc = path.empty() ? nullptr : cBufFile::FindByName(std::string(path));
  return doc && doc->IsModified();
}

std::unique_ptr<EditorPane> cTextEditFactory::Create(const std::optional<std::string> &path, bool) {
  return std::make_unique<cTextEdit>(path, environment_);
}

} // namespace tsw
