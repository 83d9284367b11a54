#pragma once

#include <QMdiArea>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

#include "gui/commands.h"
#include "gui/tswmainw_core.h"

class QMdiSubWindow;

// The main client window: it holds the child frames, receives most menu
// commands, keeps the debug state through its core and relays the editors'
// status notifications to the status bar.
namespace tsw {

inline constexpr int kPollPeriodMs = 70;

// The debugger panes of later parts plug in here: a frame for a pane kind,
// made on request.
using PaneFrameFactory = std::function<QMdiSubWindow *(DebugPane pane)>;

class cMainWindow : public QMdiArea, private DebugWindows, private PollTimer, private BusyState {
  Q_OBJECT
public:
  cMainWindow(DebugEngine &engine, CompilerControl &compiler, QWidget *parent = nullptr);
  ~cMainWindow() override;

  MainWindowCore &Core() { return core_; }
  CommandHandlers &Commands() { return commands_; }
  const CommandHandlers &Commands() const { return commands_; }
  EnableInputs Inputs() const;

  void SetPaneFrameFactory(PaneFrameFactory factory) { paneFactory_ = std::move(factory); }
  QMdiSubWindow *PaneFrame(DebugPane pane) const { return panes_[size_t(pane)]; }
  // Whether each pane was open at the end of the last debug session.
  std::array<bool, 6> &PaneRecordsOpen() { return recordsOpen_; }

  bool PollTimerRunning() const { return pollTimer_.isActive(); }

  // The caret's position from the focused pane; none when it lost the focus.
  void CaretPosition(bool known, uint32_t position);
  void InsertModeChanged(bool insert);
  void ShowPriority(int value) override;

  void TileInRows();
  void TileInColumns();
  void ArrangeIcons();

signals:
  // A document's modified state changed; delivered queued, as a document
  // changes it from deep inside an edit.
  void ModifiedChanged(bool modified);

private:
  void RegisterCommands();
  void ApplyModified(bool modified);

  // DebugWindows.
  bool PaneOpen(DebugPane pane) const override { return PaneFrame(pane) != nullptr; }
  void ClosePane(DebugPane pane) override;
  bool PaneRecordOpen(DebugPane pane) const override { return recordsOpen_[size_t(pane)]; }
  void ReopenPane(DebugPane pane) override;
  void SetMarkExecution(bool) override {}
  void SetModeText(int index) override;
  void ClearExecutionColours() override {}
  void RestoreProgramFrame() override {}
  void EnterDebugMode() override {}
  bool HasProgramFrame() const override;
  void ForgetProgramFrame() override;
  // PollTimer.
  void Start() override { pollTimer_.start(); }
  void Stop() override { pollTimer_.stop(); }
  bool Running() const override { return pollTimer_.isActive(); }
  // BusyState.
  bool Busy() const override;
  void Close() override;

  MainWindowCore core_;
  CommandHandlers commands_;
  QTimer pollTimer_;
  std::array<QMdiSubWindow *, 6> panes_{};
  std::array<bool, 6> recordsOpen_{};
  PaneFrameFactory paneFactory_;
};

// The link and debugger engine while no board is attached: nothing to
// poll and nothing to send.
class NoBoardEngine : public DebugEngine {
public:
  bool LinkIsTcp() const override { return tcp; }
  void SetLinkRunState(int) override {}
  void PollTargetStatus() override {}
  void OpenSerialPort() override {}
  void DisconnectTcp() override {}
  void DiscardBreakpointMarkers() override {}
  bool tcp = false;
};

// The compile driver as the main window drives it.
class CompileDriverControl : public CompilerControl {
public:
  void MarkCompileChanged() override;
  void ResetTargetCompileFlags() override;
  void CloseOutputFile() override {}
  bool OfflineCompileActive() const override { return false; }
};

} // namespace tsw
