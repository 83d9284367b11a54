#include "gui/tswmainw.h"

#include "gui/exelock.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QRegularExpression>

#include <filesystem>

#include <fmt/format.h>
#include <fstream>

#include "compcore/link/targetmem.h"
#include "compcore/link/tc/flashvalues.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/tcplink.h"
#include "debugger/debugengine.h"
#include "debugger/dumppane.h"
#include "debugger/registerframe.h"
#include "gui/debugpanes.h"
#include "foundation/msgcatalog.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/dlgcommopt.h"
#include "gui/dlgmemopt.h"
#include "gui/dlgfuncins.h"
#include "gui/dlgoptions.h"
#include "gui/dlgwatch.h"
#include "gui/watchlist.h"
#include "gui/driverlink.h"
#include "gui/frames.h"
#include "gui/helpdocs.h"
#include "gui/msgwin.h"
#include "gui/placement.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "gui/tswedit.h"
#include "platform/paths.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {
namespace {

struct PaneKinds {
  PaneKind settings;
  PaneFrameKind frame;
};
constexpr PaneKinds kPaneKinds[] = {
    {PaneKind::kWatch, PaneFrameKind::Watch},       {PaneKind::kStdio, PaneFrameKind::Stdio},
    {PaneKind::kAssembly, PaneFrameKind::Assembly}, {PaneKind::kDump, PaneFrameKind::Dump},
    {PaneKind::kRegister, PaneFrameKind::Register}, {PaneKind::kStack, PaneFrameKind::Stack},
};
constexpr uint32_t kNoPosition = 0xFFFFFFFF;

Size AreaSize(const QMdiArea &area) { return {area.viewport()->width(), area.viewport()->height()}; }

QList<QMdiSubWindow *> ShownChildren(const QMdiArea &area, bool minimised) {
  QList<QMdiSubWindow *> children;
  for (QMdiSubWindow *child : area.subWindowList())
    if (child->isVisible() && child->isMinimized() == minimised)
      children.push_back(child);
  return children;
}

void Apply(const std::vector<Rect> &rects, const QList<QMdiSubWindow *> &children) {
  for (qsizetype i = 0; i < children.size(); ++i) {
    const Rect &r = rects[size_t(i)];
    children[i]->showNormal();
    children[i]->setGeometry(r.x, r.y, r.width, r.height);
  }
}

} // namespace

void BoardEngine::SetLinkRunState(int state) { tsw::SetLinkRunState(uint16_t(state)); }
void BoardEngine::PollTargetStatus() { tsw::PollTargetStatus(); }
void BoardEngine::OpenSerialPort() { tsw::OpenSerialPort(); }
void BoardEngine::DisconnectTcp() { tsw::DisconnectTcp(); }
void BoardEngine::DiscardBreakpointMarkers() { DiscardBreakpoints(); }
void BoardEngine::ResetProgram() { ResetTargetProgram(); }
void BoardEngine::StartProgram() { StartTargetRun(); }
void BoardEngine::StopProgram() { StopTargetProgram(); }
void BoardEngine::StepOver() { StepOverCommand(); }
void BoardEngine::StepInto() { TraceIntoCommand(); }
void BoardEngine::ToggleInterrupts() { ToggleTargetInterrupts(); }
void BoardEngine::RefreshPanes() { RefreshDebugWindows(); }

void CompileDriverControl::MarkCompileChanged() { driver::MarkCompileChanged(); }
void CompileDriverControl::ResetTargetCompileFlags() { driver::ResetTargetCompileFlags(); }

cMainWindow::cMainWindow(DebugEngine &engine, CompilerControl &compiler, Settings &settings, EditorFactory &editors,
                         QWidget *parent)
    : QMdiArea(parent), settings_(settings), editors_(editors), core_(engine, compiler, *this, *this, *this) {
  setObjectName("MainWindow");
  pollTimer_.setInterval(kPollPeriodMs);
  connect(&pollTimer_, &QTimer::timeout, this, [this] { core_.PollTick(); });
  connect(this, &cMainWindow::ModifiedChanged, this, &cMainWindow::ApplyModified, Qt::QueuedConnection);
  connect(this, &QMdiArea::subWindowActivated, this, &cMainWindow::OnActivated);
  connect(this, &cMainWindow::DisplayOptionsChanged, this, [] {
    for (cTextEdit *edit : cTextEdit::Editors())
      edit->ApplyDisplayOptions();
    ApplyDisplayOptionsToAssistants();
  });
  Shell().pollReentry = false;
  if (Shell().pleaseWait && Shell().pleaseWait->Busy())
    Shell().pleaseWait->Close();
  RegisterCommands();
}

cMainWindow::~cMainWindow() {
  pollTimer_.stop();
  // The frames go with this window; what they tell it on the way is moot.
  closing_ = true;
  // Closed ones waiting for their deletion among them.
  for (cFrame *child : findChildren<cFrame *>())
    delete child;
}

WindowPlacement &cMainWindow::PaneRecord(DebugPane pane) {
  return settings_.Pane(kPaneKinds[size_t(pane)].settings).placement;
}
WindowPlacement &cMainWindow::MessageRecord() { return settings_.Pane(PaneKind::kMessage).placement; }

bool cMainWindow::PaneRecordOpen(DebugPane pane) const {
  return settings_.Pane(kPaneKinds[size_t(pane)].settings).placement.open;
}

namespace {

// The board's whole flash into a binary file, the please-wait dialog telling
// how far it got.
void CopyFlashToFile(const std::string &name, uint32_t flashSize) {
  struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "wb"));
  if (!file) {
    plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), FormatMessage<kMsgCannotCreate>(name),
                                plat::Buttons::Ok, plat::Icon::Error);
    return;
  }
  plat::PleaseWaitService &wait = plat::PleaseWait();
  const bool opened = !wait.Busy();
  if (opened)
    wait.Open(false);
  FlashCopy copy;
  copy.read = [](uint32_t physical, uint32_t count, uint8_t *out) {
    ReadTargetMemory(count, PhysicalToAddr24(physical), out);
  };
  copy.write = [&](const uint8_t *bytes, uint32_t count) {
    return std::fwrite(bytes, 1, count, file.get()) == count;
  };
  copy.progress = [&](uint32_t done, uint32_t total) {
    wait.SetText(fmt::format("Writing {} of {} to {}", done, total, name));
  };
  int error = 0;
  try {
    error = CopyFlash(flashSize, copy);
  } catch (...) {
    if (opened)
      wait.Close();
    throw;
  }
  if (opened)
    wait.Close();
  if (error)
    plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), fmt::format("Flash Write Error: {}", error),
                                plat::Buttons::Ok, plat::Icon::Error);
}

} // namespace

void cMainWindow::changeEvent(QEvent *event) {
  QMdiArea::changeEvent(event);
  if (event->type() == QEvent::PaletteChange)
    NotifyDisplayOptionsChanged();
}

void cMainWindow::RegisterCommands() {
  auto enabled = [this](uint16_t id) { return [this, id] { return MainWindowEnabled(id, Inputs()).value_or(true); }; };
  auto add = [&](uint16_t id, std::function<void()> worker) { commands_.Add(id, std::move(worker), enabled(id)); };
  add(cmd::kNew, [this] { OpenFile(std::nullopt); });
  add(cmd::kOpen, [this] {
    ExecutableReleased released;
    std::optional<std::string> chosen = chooseOpenFile ? chooseOpenFile() : AskForFileToOpen();
    if (!chosen)
      return;
    OpenFile(*chosen);
    openDirectory_ = QString::fromStdString(plat::SplitPath(*chosen).dir);
  });
  // The listing around the statement under the editor's caret; the poll
  // waits while the board is read.
  add(cmd::kDasmAtCaret, [this] {
    core_.StopPollTimer();
    DisassembleAtCursor();
    if (core_.Debugging())
      core_.StartPollTimer();
  });
  auto watchPane = [this]() -> cWatchPane * {
    auto *frame = dynamic_cast<cFrame *>(PaneFrame(DebugPane::Watch));
    return frame ? dynamic_cast<cWatchPane *>(frame->Pane()) : nullptr;
  };
  add(cmd::kClearWatches, [watchPane] {
    if (cWatchPane *pane = watchPane())
      pane->Clear();
  });
  add(cmd::kUpdateWatches, [this, watchPane] {
    cWatchPane *pane = watchPane();
    if (!pane)
      return;
    core_.StopPollTimer();
    // Reading the board: a failure is the guarded command's to report, the
    // poll goes on either way.
    struct PollAgain {
      MainWindowCore &core;
      ~PollAgain() {
        if (core.Debugging())
          core.StartPollTimer();
      }
    } pollAgain{core_};
    if (settings_.comm.useTcp) {
      ReadWatchValuesTcp();
      pane->StoreValues(CurrentWatchResults.count, CurrentWatchResults.bytes.data(), CurrentWatchResults.bytes.size());
    }
    pane->ShowValues(ProgramCounterOf(tsw::ProgramFrame()));
    BringToFront(PaneFrame(DebugPane::Watch));
  });
  add(cmd::kAddWatch, [this, watchPane] {
    if (!module_)
      return;
    ShowPane(DebugPane::Watch);
    cWatchPane *pane = watchPane();
    if (!pane)
      return;
    std::string proposed;
    if (auto *frame = dynamic_cast<cEditFrame *>(activeSubWindow()))
      if (auto *edit = dynamic_cast<cTextEdit *>(frame->View()))
        proposed = edit->Core().GetSelectionText().value_or("");
    const bool tcp = settings_.comm.useTcp;
    auto listChanged = [tcp] {
      if (tcp)
        NotifyWatchListChangedTcp();
    };
    core_.StopPollTimer();
    struct PollAgain {
      MainWindowCore &core;
      ~PollAgain() {
        if (core.Debugging())
          core.StartPollTimer();
      }
    } pollAgain{core_};
    WatchDialogResult chosen = RunWatchDialog(*module_, this, pane->Watches(), pane->History(), proposed, listChanged);
    if (chosen.end != WatchDialogEnd::Text)
      return;
    const ADDR24 pc = ProgramCounterOf(tsw::ProgramFrame());
    if (tcp) {
      ReadWatchValuesTcp();
      pane->StoreValues(CurrentWatchResults.count, CurrentWatchResults.bytes.data(), CurrentWatchResults.bytes.size());
    }
    pane->ShowValues(pc);
    bool watched = false;
    for (const std::string &text : pane->Watches().Expressions())
      watched = watched || text == chosen.text;
    if (!watched) {
      PutInFront(pane->History(), chosen.text);
      pane->EvaluateOnce(chosen.text, pc);
      listChanged();
    }
  });
  add(cmd::kDisplayOptions, [this] {
    if (module_)
      RunDisplayOptionsDialog(*module_, this, settings_, SystemChoosers(settings_),
                              [this] { NotifyDisplayOptionsChanged(); });
  });
  // New editor options reach every open editor at once.
  add(cmd::kEditorOptions, [this] {
    if (module_ && RunEditorOptionsDialog(*module_, this, settings_.editor))
      NotifyDisplayOptionsChanged();
  });
  add(cmd::kCompilerOptions, [this] {
    if (!module_)
      return;
    CompilerOptionValues values = driver::CompilerOptions();
    if (RunCompilerOptionsDialog(*module_, this, settings_, values, compilerOptionServices))
      driver::SetCompilerOptions(values);
  });
  add(cmd::kDebuggerOptions, [this] {
    if (module_)
      RunDebuggerOptionsDialog(*module_, this, settings_.stdio);
  });
  add(cmd::kInformation, [this] {
    if (module_)
      RunCompileInformationDialog(*module_, this, driver::LastCompileStatistics());
  });
  add(cmd::kMemoryMap, [this] {
    if (!module_)
      return;
    MemoryMapServices services;
    services.assumeCorvidCpu = settings_.main.assumeCorvidCpu;
    // A port in use is left open: closing it would end the board's session.
    services.tryPort = [] {
      if (IsSerialPortOpen())
        return true;
      try {
        OpenSerialPort();
        CloseSerialPort();
        return true;
      } catch (const xErr &) {
        return false;
      }
    };
    MemoryMapOptionValues values = driver::MemoryMapOptions();
    if (RunMemoryMapDialog(*module_, this, values, services))
      driver::SetMemoryMapOptions(values);
  });
  add(cmd::kRootMap, [this] {
    RootMapOptionValues values = driver::RootMapOptions();
    if (module_ && RunRootMapDialog(*module_, this, values))
      driver::SetRootMapOptions(values);
  });
  add(cmd::kReservedMemory, [this] {
    ReservedMemoryOptionValues values = driver::ReservedMemoryOptions();
    if (module_ && RunReservedMemoryDialog(*module_, this, values))
      driver::SetReservedMemoryOptions(values);
  });
  add(cmd::kTargetOptions, [this] {
    if (!module_)
      return;
    const CommunicationSettings before = settings_.comm;
    TargetOptionsServices services;
    services.linkChosen = [this] { build_.optionA = true; };
    if (!RunTargetOptionsDialog(*module_, this, settings_.comm, services))
      return;
    // A new rate needs the BIOS built for it; a new link, a new compile.
    if (settings_.comm.baudRate != before.baudRate)
      driver::ResetTargetCompileFlags();
    if (settings_.comm.useTcp != before.useTcp)
      driver::MarkCompileChanged();
    // The port opens anew with the new values.
    CloseSerialPort();
    if (linkSettingsChanged)
      linkSettingsChanged();
  });
  AddHelpCommands(commands_, settings_);
  add(cmd::kFunctionHelp, [this] {
    if (!module_)
      return;
    ModuleFunctionHelpDialogs dialogs(*module_, &settings_);
    BrowseFunctionHelp(dialogs, this);
  });
  add(cmd::kDumpDialog, [this] {
    if (!module_)
      return;
    DumpActions actions;
    actions.showPane = [](const DumpAddressing &at) { ShowDumpAtAddress(at, 0, nullptr); };
    actions.writeFile = [](const DumpAddressing &at, uint32_t length, const std::string &file) {
      std::ofstream out(file);
      if (!out)
        return false;
      ShowDumpAtAddress(at, length, &out);
      return true;
    };
    actions.flashSize = GetFlashSize();
    actions.copyFlash = [](const std::string &file) { CopyFlashToFile(file, GetFlashSize()); };
    core_.StopPollTimer();
    RunDumpDialog(*module_, this, dumpState_, actions);
    if (core_.Debugging())
      core_.StartPollTimer();
    BringToFront(PaneFrame(DebugPane::Dump));
  });
  add(cmd::kDasmDialog, [this] {
    if (!module_)
      return;
    std::optional<ADDR24> address = RunDasmDialog(*module_, this, dasmHistory_);
    if (!address)
      return;
    core_.StopPollTimer();
    ShowAssemblyAtAddress(*address);
    if (core_.Debugging())
      core_.StartPollTimer();
  });
  for (uint16_t id = cmd::kRecentFirst; id <= cmd::kRecentLast; ++id)
    add(id, [this, id] {
      std::string path = settings_.recentFiles.Get(id - cmd::kRecentFirst);
      if (!path.empty())
        OpenFile(path);
    });
  add(cmd::kExit, [this] {
    core_.RunGuarded([this] {
      CurrentActivity = 0;
      core_.ArrangeDebugWindows(RunState::NotDebugging);
    });
    if (exitRequested)
      exitRequested();
  });
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
  add(cmd::kReset, [this] { core_.ResetCommand(); });
  // Run from outside the debugger compiles and loads first, which needs
  // the compile worker.
  commands_.Add(
      cmd::kRun, [this] { core_.RunCommand(); },
      [this] {
        return MainWindowEnabled(cmd::kRun, Inputs()).value_or(true) &&
               (core_.Debugging() || bool(core_.compileProgram));
      });
  add(cmd::kRunNoPoll, [this] { core_.RunWithoutPollingCommand(); });
  add(cmd::kStop, [this] { core_.StopCommand(); });
  add(cmd::kStepOver, [this] { core_.StepOverCommand(); });
  add(cmd::kStepInto, [this] { core_.StepIntoCommand(); });
  add(cmd::kToggleInterrupts, [this] { core_.ToggleInterruptsCommand(); });
  add(cmd::kClosePort, [] { CloseSerialPort(); });
  add(cmd::kShowMessages, [this] { BringToFront(ShowMessageWindow()); });
  add(cmd::kShowWatch, [this] { BringToFront(ShowPane(DebugPane::Watch)); });
  add(cmd::kShowStdio, [this] { BringToFront(ShowPane(DebugPane::Stdio)); });
  add(cmd::kToggleAssembly, [this] { TogglePane(DebugPane::Assembly); });
  add(cmd::kToggleRegisters, [this] { TogglePane(DebugPane::Register); });
  add(cmd::kToggleStack, [this] { TogglePane(DebugPane::Stack); });
  add(cmd::kSaveWindowStates, [this] { SaveWindowStates(); });
  add(cmd::kCascade, [this] { cascadeSubWindows(); });
  add(cmd::kTileRows, [this] { TileInRows(); });
  add(cmd::kTileColumns, [this] { TileInColumns(); });
  add(cmd::kArrangeIcons, [this] { ArrangeIcons(); });
}

void cMainWindow::SetBuildTarget(BuildTarget &target, BuildWindows &windows, std::function<BuildPaths()> paths) {
  builds_ = std::make_unique<BuildCommands>(core_, build_, target, windows);
  builds_->SetPaths(std::move(paths));
  core_.compileProgram = [this] { builds_->CompileProgramCommand(); };
  RegisterBuildCommands();
}

void cMainWindow::RegisterBuildCommands() {
  auto enabled = [this](uint16_t id) { return [this, id] { return MainWindowEnabled(id, Inputs()).value_or(true); }; };
  // The compile command guards each of its steps itself, and the load
  // step commands only their load.
  commands_.Add(cmd::kCompile, [this] { builds_->CompileProgramCommand(); }, enabled(cmd::kCompile));
  commands_.Add(cmd::kCompileLoad, [this] { builds_->CompileAndLoadCommand(); }, enabled(cmd::kCompileLoad));
  commands_.Add(cmd::kSaveRti, [] { driver::SaveRti(); }, enabled(cmd::kSaveRti));
  for (uint16_t id : {cmd::kLoadStep, cmd::kLoadStep2})
    commands_.Add(id, [this] { builds_->StartupLoadCommand(); }, enabled(id));
  for (auto [id, step] : {std::pair{cmd::kNextMessage, &cTextMessage::NextMessage},
                          std::pair{cmd::kPreviousMessage, &cTextMessage::PreviousMessage}})
    commands_.Add(
        id,
        [this, step] {
          if (cTextMessage *messages = MessagePane())
            (messages->*step)();
        },
        enabled(id));
  commands_.Add(
      cmd::kRunChecked, [this] { builds_->RunCheckedCommand(!Shell().editorFrames.Empty()); },
      enabled(cmd::kRunChecked));
}

std::optional<std::string> cMainWindow::AskForFileToOpen() {
  // The "All files" filter is the one shown first.
  constexpr int kShownFilter = 2;
  const QString filter = QtFileFilter(GetResourceString(kMsgSourceFilter));
  const QStringList filters = filter.split(";;");
  QFileDialog dialog(this, QString(), openDirectory_, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (filters.size() > kShownFilter)
    dialog.selectNameFilter(filters[kShownFilter]);
  // The first pattern's extension is added to a name typed without one.
  const qsizetype dot = filter.indexOf("*.");
  if (dot >= 0)
    dialog.setDefaultSuffix(filter.mid(dot + 2).section(QRegularExpression("[ ;)]"), 0, 0));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

cTextMessage *cMainWindow::MessagePane() const {
  auto *frame = dynamic_cast<cFrame *>(messageFrame_);
  return frame ? dynamic_cast<cTextMessage *>(frame->Pane()) : nullptr;
}

void cMainWindow::BringToFront(QMdiSubWindow *frame) {
  if (!frame)
    return;
  frame->raise();
  setActiveSubWindow(frame);
  if (QWidget *widget = frame->widget())
    widget->setFocus();
}

void cMainWindow::TogglePane(DebugPane pane) {
  if (QMdiSubWindow *open = PaneFrame(pane)) {
    panes_[size_t(pane)] = nullptr;
    delete open;
    return;
  }
  QMdiSubWindow *frame = ShowPane(pane);
  if (!frame)
    return;
  if (auto *shown = dynamic_cast<cFrame *>(frame); shown && shown->Pane() && paneOpened)
    paneOpened(pane, *shown->Pane());
  BringToFront(frame);
}

EnableInputs cMainWindow::Inputs() const {
  EnableInputs in;
  in.runState = core_.State();
  in.editorOpen = !Shell().editorFrames.Empty();
  in.linkSerial = !settings_.comm.useTcp;
  in.compileChanged = driver::CompileChanged();
  in.targetUnreachable = build_.targetUnreachable;
  in.downloadState = build_.downloadState;
  in.optionA = build_.optionA;
  in.messageWindowOpen = messageFrame_ != nullptr;
  in.programFrame = Shell().currentProgramFrame != nullptr;
  in.childWindows = !subWindowList().isEmpty();
  return in;
}

cEditFrame *cMainWindow::OpenFile(const std::optional<std::string> &name) {
  RecentFiles &recent = settings_.recentFiles;
  std::optional<uint16_t> listed;
  if (name) {
    listed = recent.Find(*name);
    std::string dir = plat::SplitPath(*name).dir;
    std::error_code error;
    if (!dir.empty() && !std::filesystem::is_directory(dir, error))
      throw xFileOpen(kMsgNoDirectory, dir.c_str(), kMainWindowModule, __LINE__);
    if (!plat::CanRead(*name))
      throw xFileOpen(kMsgCannotOpen, name->c_str(), kMainWindowModule, __LINE__);
  }
  std::unique_ptr<EditorPane> view = editors_.Create(name, core_.Debugging());
  if (!view)
    throw xFileOpen(kMsgCannotOpen, name ? name->c_str() : "", kMainWindowModule, __LINE__);
  EditorPane *shown = view.get();
  const bool maximised = activeSubWindow() && activeSubWindow()->isMaximized();
  auto *frame = new cEditFrame(
      std::move(view), &recent,
      [this] {
        if (recentChanged)
          recentChanged();
      },
      [this] { FrameClosed(); });
  addSubWindow(frame);
  frame->show();
  const RecentFileRecord *record = listed ? recent.GetRecord(*listed) : nullptr;
  if (record) {
    if (record->width != 0)
      frame->setGeometry(record->x, record->y, record->width, record->height);
    shown->ScrollToTop(record->topRow);
    shown->SetCaret(record->caretLine, record->caretColumn);
    recent.Remove(*listed);
    if (recentChanged)
      recentChanged();
  } else {
    shown->SetCaret(0, 0);
  }
  frame->SetPlacementRecord(&frame->OwnRecord(0));
  if (maximised)
    frame->showMaximized();
  setActiveSubWindow(frame);
  if (QWidget *widget = shown->Widget())
    widget->setFocus();
  return frame;
}

void cMainWindow::OnActivated(QMdiSubWindow *window) {
  if (auto *editor = dynamic_cast<cEditFrame *>(window))
    editor->FocusGained();
}

void cMainWindow::FrameClosed() {
  if (closing_)
    return;
  cEditFrame *program = ProgramFrame();
  if (!MessageRecord().open) {
    messageFrame_ = nullptr;
    if (!core_.Debugging() && program) {
      program->View()->SetDebugMode(false);
      program->SetPlacementRecord(&program->OwnRecord(0));
      RestorePlacement(program->OwnRecord(0), *program);
    }
  }
  for (size_t i = 0; i < panes_.size(); ++i)
    if (!PaneRecord(DebugPane(i)).open)
      panes_[i] = nullptr;
  if (!program) {
    if (core_.Debugging())
      core_.ArrangeDebugWindows(RunState::NotDebugging);
    if (QMdiSubWindow *message = messageFrame_) {
      if (auto *frame = dynamic_cast<cFrame *>(message); frame && frame->Pane())
        frame->Pane()->Clear();
      messageFrame_ = nullptr;
      message->close();
    }
  }
}

bool cMainWindow::QueryEndSession() {
  for (EditorFrameRef *ref : std::list<EditorFrameRef *>(Shell().editorFrames.Frames()))
    if (auto *frame = dynamic_cast<cEditFrame *>(ref); frame && !frame->CanClose())
      return false;
  closing_ = true;
  if (sessionEnding)
    sessionEnding();
  return true;
}

void cMainWindow::SaveWindowStates() {
  driver::SaveConfig();
  if (auto *message = dynamic_cast<cFrame *>(messageFrame_))
    message->SavePlacementInto(MessageRecord());
  for (size_t i = 0; i < panes_.size(); ++i)
    if (auto *frame = dynamic_cast<cFrame *>(panes_[i]))
      frame->SavePlacementInto(PaneRecord(DebugPane(i)));
  if (cEditFrame *program = ProgramFrame(); program && program->PlacementRecord())
    program->SavePlacementInto(*program->PlacementRecord());
  if (saveSettings)
    saveSettings();
}

bool cMainWindow::CanClose() {
  SaveWindowStates();
  if (saveSettings)
    saveSettings();
  return QueryEndSession();
}

cPaneFrame *cMainWindow::MakePaneFrame(PaneFrameKind kind, WindowPlacement &record) {
  if (!paneMaker_)
    return nullptr;
  TextPane *pane = paneMaker_(kind);
  if (!pane)
    return nullptr;
  auto *frame = new cPaneFrame(kind, pane, &record, [this] { FrameClosed(); });
  addSubWindow(frame);
  frame->SetUp(viewport()->size());
  frame->show();
  return frame;
}

QMdiSubWindow *cMainWindow::ShowPane(DebugPane pane) {
  QMdiSubWindow *&frame = panes_[size_t(pane)];
  if (!frame)
    frame = MakePaneFrame(kPaneKinds[size_t(pane)].frame, PaneRecord(pane));
  return frame;
}

QMdiSubWindow *cMainWindow::ShowMessageWindow() {
  if (!messageFrame_)
    messageFrame_ = MakePaneFrame(PaneFrameKind::Message, MessageRecord());
  return messageFrame_;
}

void cMainWindow::CaretPosition(bool known, uint32_t position) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetLineColumn(known ? position : kNoPosition);
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
    bar->SetPriority(int16_t(value), settings_.main.assumeCorvidCpu);
}

void cMainWindow::SetModeText(int index) {
  if (cStatBar *bar = Shell().statusBar)
    bar->SetModeText(index);
}

void cMainWindow::ClosePane(DebugPane pane) {
  QMdiSubWindow *frame = panes_[size_t(pane)];
  panes_[size_t(pane)] = nullptr;
  // At once, so its record can be marked for reopening afterwards.
  delete frame;
  PaneRecord(pane).open = true;
}

cEditFrame *cMainWindow::ProgramFrame() const { return dynamic_cast<cEditFrame *>(Shell().currentProgramFrame); }

void cMainWindow::RestoreProgramFrame() {
  cEditFrame *program = ProgramFrame();
  if (!program)
    return;
  setActiveSubWindow(program);
  if (activeSubWindow() == program)
    program->OwnRecord(0).placement.showCmd =
        program->isMaximized() ? WindowPlacement::kShowMaximized : WindowPlacement::kShowNormal;
  program->View()->SetDebugMode(false);
  program->SetPlacementRecord(&program->OwnRecord(0));
  RestorePlacement(program->OwnRecord(0), *program);
  program->raise();
  if (QWidget *widget = program->View()->Widget())
    widget->setFocus();
}

void cMainWindow::EnterDebugMode() {
  cEditFrame *program = ProgramFrame();
  if (!program)
    return;
  program->View()->SetDebugMode(true);
  program->raise();
  setActiveSubWindow(program);
  if (QWidget *widget = program->View()->Widget())
    widget->setFocus();
}

bool cMainWindow::HasProgramFrame() const { return Shell().currentProgramFrame != nullptr; }
void cMainWindow::ForgetProgramFrame() { Shell().currentProgramFrame = nullptr; }

bool cMainWindow::Busy() const { return Shell().pleaseWait && Shell().pleaseWait->Busy(); }
void cMainWindow::Close() {
  if (Shell().pleaseWait)
    Shell().pleaseWait->Close();
}

void cMainWindow::TileInRows() {
  QList<QMdiSubWindow *> children = ShownChildren(*this, false);
  Apply(tsw::TileInRows(AreaSize(*this), int(children.size())), children);
}

void cMainWindow::TileInColumns() {
  QList<QMdiSubWindow *> children = ShownChildren(*this, false);
  Apply(tsw::TileInColumns(AreaSize(*this), int(children.size())), children);
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
