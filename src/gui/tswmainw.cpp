#include "gui/tswmainw.h"

#include <QMdiSubWindow>

#include "compcore/cc_go/cc_go.h"
#include "foundation/xerr.h"
#include "gui/placement.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"

namespace tsw {

void CompileDriverControl::MarkCompileChanged() { SetCompileOptionFlag(1); }
void CompileDriverControl::ResetTargetCompileFlags() { tsw::ResetTargetCompileFlags(); }

cMainWindow::cMainWindow(DebugEngine &engine, CompilerControl &compiler, QWidget *parent)
    : QMdiArea(parent), core_(engine, compiler, *this, *this, *this) {
  setObjectName("MainWindow");
  pollTimer_.setInterval(kPollPeriodMs);
  connect(&pollTimer_, &QTimer::timeout, this, [this] { core_.PollTick(); });
  connect(this, &cMainWindow::ModifiedChanged, this, &cMainWindow::ApplyModified, Qt::QueuedConnection);
  Shell().pollReentry = false;
  RegisterCommands();
}

cMainWindow::~cMainWindow() { pollTimer_.stop(); }

void cMainWindow::RegisterCommands() {
  auto enabled = [this](uint16_t id) { return [this, id] { return MainWindowEnabled(id, Inputs()).value_or(true); }; };
  auto add = [&](uint16_t id, std::function<void()> worker) { commands_.Add(id, std::move(worker), enabled(id)); };
  add(cmd::kLeaveDebugging, [this] {
    CurrentActivity = 0;
    core_.ArrangeDebugWindows(RunState::NotDebugging);
  });
  add(cmd::kTogglePolling, [this] {
    if (pollTimer_.isActive())
      core_.StopPollTimer();
    else
      core_.StartPollTimer();
  });
  add(cmd::kNoAction, [] {});
  add(cmd::kCascade, [this] { cascadeSubWindows(); });
  add(cmd::kTileRows, [this] { TileInRows(); });
  add(cmd::kTileColumns, [this] { TileInColumns(); });
  add(cmd::kArrangeIcons, [this] { ArrangeIcons(); });
}

EnableInputs cMainWindow::Inputs() const {
  EnableInputs in;
  in.runState = core_.State();
  in.editorOpen = !Shell().editorFrames.Empty();
  in.programFrame = Shell().currentProgramFrame != nullptr;
  in.childWindows = !subWindowList().isEmpty();
  return in;
}

void cMainWindow::CaretPosition(bool known, uint32_t position) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetLineColumn(known ? position : 0xFFFFFFFF);
}

void cMainWindow::InsertModeChanged(bool insert) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetInsertMode(insert);
}

void cMainWindow::ApplyModified(bool modified) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetModified(modified);
}

void cMainWindow::ShowPriority(int value) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetPriority(int16_t(value), false);
}

void cMainWindow::SetModeText(int index) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetModeText(index);
}

void cMainWindow::ClosePane(DebugPane pane) {
  QMdiSubWindow *&frame = panes_[size_t(pane)];
  QMdiSubWindow *closing = frame;
  frame = nullptr;
  recordsOpen_[size_t(pane)] = true;
  if (closing)
    closing->close();
}

void cMainWindow::ReopenPane(DebugPane pane) {
  if (!paneFactory_ || panes_[size_t(pane)])
    return;
  if (QMdiSubWindow *frame = paneFactory_(pane)) {
    panes_[size_t(pane)] = frame;
    connect(frame, &QObject::destroyed, this, [this, pane, frame] {
      if (panes_[size_t(pane)] == frame)
        panes_[size_t(pane)] = nullptr;
    });
    frame->show();
  }
}

bool cMainWindow::HasProgramFrame() const { return Shell().currentProgramFrame != nullptr; }
void cMainWindow::ForgetProgramFrame() { Shell().currentProgramFrame = nullptr; }

bool cMainWindow::Busy() const { return Shell().pleaseWait && Shell().pleaseWait->Busy(); }
void cMainWindow::Close() {
  if (Shell().pleaseWait)
    Shell().pleaseWait->Close();
}

static Size AreaSize(const QMdiArea &area) { return {area.viewport()->width(), area.viewport()->height()}; }

static QList<QMdiSubWindow *> ShownChildren(const QMdiArea &area, bool minimised) {
  QList<QMdiSubWindow *> children;
  for (QMdiSubWindow *child : area.subWindowList())
    if (child->isVisible() && child->isMinimized() == minimised)
      children.push_back(child);
  return children;
}

void cMainWindow::TileInRows() {
  QList<QMdiSubWindow *> children = ShownChildren(*this, false);
  std::vector<Rect> rects = tsw::TileInRows(AreaSize(*this), int(children.size()));
  for (qsizetype i = 0; i < children.size(); ++i) {
    children[i]->showNormal();
    children[i]->setGeometry(rects[size_t(i)].x, rects[size_t(i)].y, rects[size_t(i)].width, rects[size_t(i)].height);
  }
}

void cMainWindow::TileInColumns() {
  QList<QMdiSubWindow *> children = ShownChildren(*this, false);
  std::vector<Rect> rects = tsw::TileInColumns(AreaSize(*this), int(children.size()));
  for (qsizetype i = 0; i < children.size(); ++i) {
    children[i]->showNormal();
    children[i]->setGeometry(rects[size_t(i)].x, rects[size_t(i)].y, rects[size_t(i)].width, rects[size_t(i)].height);
  }
}

void cMainWindow::ArrangeIcons() {
  QList<QMdiSubWindow *> icons = ShownChildren(*this, true);
  if (icons.isEmpty())
    return;
  QSize icon = icons.front()->size();
  std::vector<Point> at = tsw::ArrangeIcons(AreaSize(*this), {icon.width(), icon.height()}, int(icons.size()));
  for (qsizetype i = 0; i < icons.size(); ++i)
    icons[i]->move(at[size_t(i)].x, at[size_t(i)].y);
}

} // namespace tsw
