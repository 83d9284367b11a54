#pragma once

#include <QMdiArea>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/buildcmds.h"
#include "gui/commands.h"
#include "gui/dlgccopt.h"
#include "gui/dlgdasm.h"
#include "gui/dlgdump.h"
#include "gui/settings.h"
#include "gui/textpane.h"
#include "gui/tswmainw_core.h"
#include "foundation/msgnumbers.h"

class QMdiSubWindow;

// The main client window: it holds the child frames, receives most menu
// commands, keeps the debug state through its core and relays the editors'
// status notifications to the status bar.
namespace tsw {

class cEditFrame;
class cPaneFrame;
class cTextMessage;
class LanguageModule;
enum class PaneFrameKind : uint8_t;

inline constexpr int kPollPeriodMs = 70;

// The debugger panes of later parts plug in here: a pane of a kind, whose
// widget the new frame takes over.
using PaneMaker = std::function<TextPane *(PaneFrameKind kind)>;

class cMainWindow : public QMdiArea, private DebugWindows, private PollTimer, private BusyState {
  Q_OBJECT
public:
  cMainWindow(DebugEngine &engine, CompilerControl &compiler, Settings &settings, EditorFactory &editors,
              QWidget *parent = nullptr);
  ~cMainWindow() override;

  MainWindowCore &Core() { return core_; }
  const Settings &SettingsInUse() const { return settings_; }
  // For those that switch a setting off when it cannot be served.
  Settings &SettingsToChange() { return settings_; }
  // The build and load flags; the workers run once a target is given.
  BuildState &Build() { return build_; }
  BuildCommands *Builds() { return builds_.get(); }
  // The compile driver and board the build commands drive, with the
  // windows they use; from here on those commands have their workers.
  void SetBuildTarget(BuildTarget &target, BuildWindows &windows, std::function<BuildPaths()> paths);
  CommandHandlers &Commands() { return commands_; }
  const CommandHandlers &Commands() const { return commands_; }
  EnableInputs Inputs() const;

  void SetPaneMaker(PaneMaker maker) { paneMaker_ = std::move(maker); }
  // The dialogs' templates come from the language module; none while null.
  void SetLanguageModule(const LanguageModule *module) { module_ = module; }
  QMdiSubWindow *PaneFrame(DebugPane pane) const { return panes_[size_t(pane)]; }
  QMdiSubWindow *MessageFrame() const { return messageFrame_; }
  // The message window's pane, when it is open.
  cTextMessage *MessagePane() const;
  WindowPlacement &PaneRecord(DebugPane pane);
  WindowPlacement &MessageRecord();
  // Makes the pane's frame unless it is open; null while no pane of that
  // kind can be made.
  QMdiSubWindow *ShowPane(DebugPane pane);
  QMdiSubWindow *ShowMessageWindow();

  bool PollTimerRunning() const { return pollTimer_.isActive(); }

  // Opens a file in an editor, or a new untitled one without a name.
  cEditFrame *OpenFile(const std::optional<std::string> &name);
  // Asked before the main frame closes: every editor agrees, and the
  // window states and settings are saved.
  bool CanClose();
  // What a session end asks: false when an editor refuses.
  bool QueryEndSession();
  void SaveWindowStates();
  bool Closing() const { return closing_; }

  // The caret's position from the focused pane; none when it lost the focus.
  void CaretPosition(bool known, uint32_t position);
  void InsertModeChanged(bool insert);
  void ShowPriority(int value) override;

  void TileInRows();
  void TileInColumns();
  void ArrangeIcons();

  // Fills a pane that was just opened (the assembly, register and stack
  // windows show the debugger's current state).
  std::function<void(DebugPane pane, TextPane &shown)> paneOpened;
  // Asks which file to open; none when the user cancels. The system's file
  // dialog while empty.
  std::function<std::optional<std::string>()> chooseOpenFile;
  // Runs when the recent-file list changed, to rebuild the File menu.
  std::function<void()> recentChanged;
  // Runs when the frames ask for the main frame to close (exit).
  std::function<void()> exitRequested;
  // Set when a session end was agreed to.
  std::function<void()> sessionEnding;
  // Writes the settings, with the main frame's placement.
  std::function<void()> saveSettings;
  // What the compiler options dialog reaches besides the settings: the
  // defines and the file choosers.
  CompilerOptionsServices compilerOptionServices;
  // The link takes the settings' communication values again.
  std::function<void()> linkSettingsChanged;

  // The display options changed: every editor takes its fonts and colours
  // from the settings again.
  void NotifyDisplayOptionsChanged() { emit DisplayOptionsChanged(); }

signals:
  void DisplayOptionsChanged();
  // A document's modified state changed; delivered queued, as a document
  // changes it from deep inside an edit.
  void ModifiedChanged(bool modified);

protected:
  // The system's colours changed: the panes that use them follow.
  void changeEvent(QEvent *event) override;

private:
  void RegisterCommands();
  void RegisterBuildCommands();
  std::optional<std::string> AskForFileToOpen();
  void TogglePane(DebugPane pane);
  void BringToFront(QMdiSubWindow *frame);
  void ApplyModified(bool modified);
  void FrameClosed();
  void OnActivated(QMdiSubWindow *window);
  cEditFrame *ProgramFrame() const;
  cPaneFrame *MakePaneFrame(PaneFrameKind kind, WindowPlacement &record);

  // DebugWindows.
  bool PaneOpen(DebugPane pane) const override { return PaneFrame(pane) != nullptr; }
  void ClosePane(DebugPane pane) override;
  bool PaneRecordOpen(DebugPane pane) const override;
  void ReopenPane(DebugPane pane) override { ShowPane(pane); }
  void SetMarkExecution(bool) override {}
  void SetModeText(int index) override;
  void ClearExecutionColours() override {}
  void RestoreProgramFrame() override;
  void EnterDebugMode() override;
  bool HasProgramFrame() const override;
  void ForgetProgramFrame() override;
  // PollTimer.
  void Start() override { pollTimer_.start(); }
  void Stop() override { pollTimer_.stop(); }
  bool Running() const override { return pollTimer_.isActive(); }
  // BusyState.
  bool Busy() const override;
  void Close() override;

  Settings &settings_;
  EditorFactory &editors_;
  MainWindowCore core_;
  CommandHandlers commands_;
  QTimer pollTimer_;
  std::array<QMdiSubWindow *, 6> panes_{};
  QMdiSubWindow *messageFrame_ = nullptr;
  PaneMaker paneMaker_;
  // Where the next open-file dialog starts: where the last one ended.
  QString openDirectory_;
  const LanguageModule *module_ = nullptr;
  DasmHistory dasmHistory_;
  DumpDialogState dumpState_;
  BuildState build_;
  std::unique_ptr<BuildCommands> builds_;
  bool closing_ = false;
};

// The board as the main window drives it: the link's run state and port,
// and the debugger engine's run control and polling.
class BoardEngine : public DebugEngine {
public:
  explicit BoardEngine(const Settings &settings) : settings_(settings) {}
  bool LinkIsTcp() const override { return settings_.comm.useTcp; }
  void SetLinkRunState(int state) override;
  void PollTargetStatus() override;
  void OpenSerialPort() override;
  void DisconnectTcp() override;
  void DiscardBreakpointMarkers() override;
  void ResetProgram() override;
  void StartProgram() override;
  void StopProgram() override;
  void StepOver() override;
  void StepInto() override;
  void ToggleInterrupts() override;
  void RefreshPanes() override;

private:
  const Settings &settings_;
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
