#pragma once

#include <QMdiSubWindow>

#include <functional>
#include <memory>

#include "gui/commands.h"
#include "gui/mainframe.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/textpane.h"
#include "foundation/msgnumbers.h"

// The child frames inside the main window: each holds one text pane, keeps
// the saved placement of its kind, and tells the main window when it goes.
namespace tsw {


// The placement of a live frame into a record, and back.
void SavePlacement(WindowPlacement &record, const QMdiSubWindow &frame, const QRect &normal);
void RestorePlacement(const WindowPlacement &record, QMdiSubWindow &frame);

// The question before an edited file's frame closes: Yes saves (a failed
// save keeps the frame), No discards, Cancel keeps the frame.
bool AskToCloseEditor(EditorPane &view);
// What a closing editor leaves in the recent-file list: its own normal
// rectangle, zoom state, top line and caret. Untitled files stay out.
void RememberClosedEditor(RecentFiles &recent, const EditorPane &view, const WindowPlacement &own, bool zoomed);

class cFrame : public QMdiSubWindow, public CommandOwnerWidget {
  Q_OBJECT
public:
  // `closed` runs while the frame is being destroyed.
  cFrame(TextPane *pane, WindowPlacement *record, std::function<void()> closed);
  ~cFrame() override;

  TextPane *Pane() const { return pane_; }
  WindowPlacement *PlacementRecord() const { return record_; }
  // A different record first receives the window's placement.
  void SetPlacementRecord(WindowPlacement *record);
  void SizeToText(int rows, int columns);
  // The geometry while neither minimised nor maximised.
  QRect NormalRect() const { return normal_; }
  void SavePlacementInto(WindowPlacement &record) const { SavePlacement(record, *this, normal_); }

  virtual bool CanClose();
  const CommandHandlers &OwnCommands() const override { return commands_; }

protected:
  void closeEvent(QCloseEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void SetPane(TextPane *pane);

  CommandHandlers commands_;

private:
  void NoteNormal();

  TextPane *pane_ = nullptr;
  WindowPlacement *record_ = nullptr;
  std::function<void()> closed_;
  QRect normal_;
};

class cEditFrame : public cFrame, public EditorFrameRef {
  Q_OBJECT
public:
  // The frame owns the view; `recent` receives the file when it closes.
  cEditFrame(std::unique_ptr<EditorPane> view, RecentFiles *recent, std::function<void()> recentChanged,
             std::function<void()> closed);
  ~cEditFrame() override;

  EditorPane *View() const { return view_.get(); }
  WindowPlacement &OwnRecord(int index) { return own_[size_t(index)]; }

  bool HasView() const override { return view_ != nullptr; }
  bool ShowsFile(std::string_view path) const override { return view_ && view_->ShowsFile(path); }

  bool CanClose() override;
  // The frame got the focus: first in the editor list, status bar updated.
  void FocusGained();

private:
  void RegisterCommands();
  bool FocusInside() const;
  void ResetCaption();

  std::unique_ptr<EditorPane> view_;
  std::array<WindowPlacement, 2> own_;
  RecentFiles *recent_;
  std::function<void()> recentChanged_;
};

// The debugger panes' frames: a caption and a default size per kind.
enum class PaneFrameKind : uint8_t { Message, Watch, Stdio, Assembly, Register, Stack, Dump };

struct PaneFrameSpec {
  unsigned caption;
  const char *icon;
  int rows, columns; // 0: the lower third of the client area
};
const PaneFrameSpec &FrameSpec(PaneFrameKind kind);

class cPaneFrame : public cFrame {
  Q_OBJECT
public:
  cPaneFrame(PaneFrameKind kind, TextPane *pane, WindowPlacement *record, std::function<void()> closed);
  ~cPaneFrame() override;
  PaneFrameKind Kind() const { return kind_; }
  // Where it stands when first shown: its record, or its kind's default
  // in `client` (the main client area's size).
  void SetUp(QSize client);

private:
  PaneFrameKind kind_;
};

} // namespace tsw
