#include "gui/frames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>

#include "foundation/restext.h"
#include "gui/common/tswview.h"
#include "gui/printing.h"
#include "gui/statbar.h"
#include "platform/format.h"
#include "platform/notify.h"

namespace tsw {
namespace {

constexpr int kTitleSize = 80;
constexpr int kMessageCaptionSize = 100;
constexpr int kFormatSize = 256;
constexpr size_t kQuestionSize = 516;
constexpr int kIconSize = 16;

std::string LoadText(unsigned id, int size) {
  std::string buf(size_t(size), '\0');
  buf.resize(size_t(LoadResourceString(id, buf.data(), size)));
  return buf;
}

// The frames' icons are the program's own: the initial of the kind.
QIcon FrameIcon(const char *name) {
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::darkCyan);
  QPainter painter(&pixmap);
  painter.setPen(Qt::white);
  std::string_view kind(name);
  kind.remove_prefix(std::min(kind.size(), std::string_view("ICON_").size()));
  painter.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter,
                   QString::fromUtf8(kind.substr(0, 1).data(), kind.empty() ? 0 : 1));
  return QIcon(pixmap);
}

constexpr PaneFrameSpec kPaneFrameSpecs[] = {
    {48, "ICON_MESSAGE", 0, 0},    {49, "ICON_WATCH", 0, 0},      {50, "ICON_STDIO", 26, 81},
    {51, "ICON_ASSEMBLY", 25, 35}, {52, "ICON_REGISTER", 12, 42}, {53, "ICON_STACK", 12, 14},
    {54, "ICON_ASSEMBLY", 11, 74},
};

} // namespace

void SavePlacement(WindowPlacement &record, const QMdiSubWindow &frame, const QRect &normal) {
  record.placement.showCmd = frame.isMaximized()   ? WindowPlacement::kShowMaximized
                             : frame.isMinimized() ? WindowPlacement::kShowMinimized
                                                   : WindowPlacement::kShowNormal;
  record.placement.normalPosition = {normal.x(), normal.y(), normal.x() + normal.width(), normal.y() + normal.height()};
  record.state = WindowPlacement::kCaptured;
}

void RestorePlacement(const WindowPlacement &record, QMdiSubWindow &frame) {
  if (record.state == WindowPlacement::kNone)
    return;
  const PlacementRect &r = record.placement.normalPosition;
  frame.showNormal();
  frame.setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (record.state != WindowPlacement::kCaptured)
    return;
  if (record.placement.showCmd == WindowPlacement::kShowMaximized)
    frame.showMaximized();
  else if (record.placement.showCmd == WindowPlacement::kShowMinimized)
    frame.showMinimized();
}

bool AskToCloseEditor(EditorPane &view) {
  if (!view.Modified())
    return true;
  std::string text = plat::FormatText(LoadText(kMsgSaveChanges, kFormatSize), view.FileName());
  text.resize(std::min(text.size(), kQuestionSize - 1));
  plat::Answer answer = plat::Notifier().MessageBox(LoadText(kMsgMessageTitle, kTitleSize), text,
                                                    plat::Buttons::YesNoCancel, plat::Icon::Question);
  if (answer == plat::IDCANCEL)
    return false;
  if (answer == plat::IDYES)
    return view.Save();
  return true;
}

void RememberClosedEditor(RecentFiles &recent, const EditorPane &view, const WindowPlacement &own, bool zoomed) {
  if (view.Untitled())
    return;
  std::optional<uint16_t> position = recent.Add(view.FileName());
  if (!position)
    return;
  RecentFileRecord *record = recent.GetRecord(*position);
  if (!record)
    return;
  const PlacementRect &r = own.placement.normalPosition;
  record->x = r.left;
  record->y = r.top;
  record->width = r.right - r.left;
  record->height = r.bottom - r.top;
  record->zoomed = zoomed ? 1 : 0;
  record->topRow = view.TopLine();
  record->caretLine = uint16_t(view.Caret() >> 16);
  record->caretColumn = uint16_t(view.Caret() & 0xFFFF);
}

cFrame::cFrame(TextPane *pane, WindowPlacement *record, std::function<void()> closed)
    : record_(record), closed_(std::move(closed)) {
  setAttribute(Qt::WA_DeleteOnClose);
  SetPane(pane);
  if (record_)
    record_->open = true;
}

cFrame::~cFrame() {
  pane_ = nullptr;
  if (closed_)
    closed_();
}

void cFrame::SetPane(TextPane *pane) {
  pane_ = pane;
  if (pane_ && pane_->Widget())
    setWidget(pane_->Widget());
  // Every text pane prints, also those that offer no commands of their own.
  if (auto *text = pane_ ? dynamic_cast<gui::cTextWidget *>(pane_->Widget()) : nullptr)
    AddPrintCommands(commands_, *text);
}

void cFrame::SetPlacementRecord(WindowPlacement *record) {
  if (record_ && record != record_)
    SavePlacementInto(*record_);
  record_ = record;
}

void cFrame::SizeToText(int rows, int columns) {
  if (!pane_)
    return;
  Size size = FrameSizeForText(rows, columns, pane_->CellSize());
  resize(size.width, size.height);
}

bool cFrame::CanClose() {
  if (record_)
    SavePlacementInto(*record_);
  return true;
}

void cFrame::closeEvent(QCloseEvent *event) {
  if (!CanClose()) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}

void cFrame::NoteNormal() {
  if (!isMinimized() && !isMaximized())
    normal_ = geometry();
}

void cFrame::moveEvent(QMoveEvent *event) {
  QMdiSubWindow::moveEvent(event);
  NoteNormal();
}

void cFrame::resizeEvent(QResizeEvent *event) {
  QMdiSubWindow::resizeEvent(event);
  NoteNormal();
}

cEditFrame::cEditFrame(std::unique_ptr<EditorPane> view, RecentFiles *recent, std::function<void()> recentChanged,
                       std::function<void()> closed)
    : cFrame(nullptr, nullptr, std::move(closed)), view_(std::move(view)), recent_(recent),
      recentChanged_(std::move(recentChanged)) {
  for (WindowPlacement &record : own_)
    record.Init(false);
  SetPane(view_.get());
  ResetCaption();
  setWindowIcon(FrameIcon("ICON_EDIT"));
  Shell().editorFrames.Insert(this);
  RegisterCommands();
}

cEditFrame::~cEditFrame() {
  ShellState &shell = Shell();
  shell.editorFrames.Remove(this);
  if (shell.currentProgramFrame == this)
    shell.currentProgramFrame = nullptr;
  view_.reset();
}

void cEditFrame::ResetCaption() { setWindowTitle(QString::fromUtf8(view_->FileName())); }

bool cEditFrame::FocusInside() const {
  QWidget *focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void cEditFrame::RegisterCommands() {
  auto focused = [this] { return FocusInside(); };
  commands_.Add(
      cmd::kSave,
      [this] {
        view_->Save();
        ResetCaption();
      },
      [this] { return view_->Modified() && FocusInside(); });
  commands_.Add(cmd::kSaveAs, [this] {
    view_->SaveAs();
    ResetCaption();
  });
  commands_.Add(cmd::kClose, [this] { close(); });
  commands_.Add(
      cmd::kFind,
      [this] {
        view_->Find();
        ResetCaption();
      },
      focused);
  auto undoOrBeep = [this](void (EditorPane::*edit)()) {
    return [this, edit] {
      if (view_->ReadOnly())
        QApplication::beep();
      else
        (view_.get()->*edit)();
    };
  };
  commands_.Add(cmd::kUndo, undoOrBeep(&EditorPane::Undo), focused);
  commands_.Add(cmd::kRedo, undoOrBeep(&EditorPane::Redo), focused);
}

bool cEditFrame::CanClose() {
  cFrame::CanClose();
  bool yes = AskToCloseEditor(*view_);
  ResetCaption();
  if (!yes)
    return false;
  if (recent_) {
    RememberClosedEditor(*recent_, *view_, own_[0], isMaximized());
    if (recentChanged_ && !view_->Untitled())
      recentChanged_();
  }
  return true;
}

void cEditFrame::FocusGained() {
  Shell().editorFrames.Focus(this);
  if (QWidget *widget = view_->Widget())
    widget->setFocus();
  if (cStatBar *bar = Shell().statusBar) {
    bar->SetInsertMode(view_->InsertMode());
    bar->SetModified(view_->Modified());
  }
}

const PaneFrameSpec &FrameSpec(PaneFrameKind kind) { return kPaneFrameSpecs[size_t(kind)]; }

cPaneFrame::cPaneFrame(PaneFrameKind kind, TextPane *pane, WindowPlacement *record, std::function<void()> closed)
    : cFrame(pane, record, std::move(closed)), kind_(kind) {
  const PaneFrameSpec &spec = FrameSpec(kind);
  setWindowTitle(
      QString::fromUtf8(LoadText(spec.caption, kind == PaneFrameKind::Message ? kMessageCaptionSize : kTitleSize)));
  setWindowIcon(FrameIcon(spec.icon));
}

cPaneFrame::~cPaneFrame() {
  if (WindowPlacement *record = PlacementRecord())
    record->open = false;
}

void cPaneFrame::SetUp(QSize client) {
  WindowPlacement *record = PlacementRecord();
  if (!record)
    return;
  record->open = true;
  if (record->state != WindowPlacement::kNone) {
    RestorePlacement(*record, *this);
    return;
  }
  const PaneFrameSpec &spec = FrameSpec(kind_);
  if (spec.rows) {
    SizeToText(spec.rows, spec.columns);
    return;
  }
  Rect third = LowerThirdOf({client.width(), client.height()});
  setGeometry(third.x, third.y, third.width, third.height);
}

} // namespace tsw
