#include "gui/shellpanes.h"

#include "foundation/xerr.h"
#include "debugger/debugengine.h"
#include "debugger/registerframe.h"
#include "gui/debuginfo.h"
#include "gui/debugpanes.h"
#include "gui/driverlink.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "platform/paths.h"

namespace tsw {
namespace {

// The watches of the program being debugged, kept with its document.
cDebugInfo *ProgramDebugInfo() {
  auto *frame = dynamic_cast<cEditFrame *>(Shell().currentProgramFrame);
  auto *edit = frame ? dynamic_cast<cTextEdit *>(frame->View()) : nullptr;
  auto *port = edit ? dynamic_cast<DebugInfoDocumentPort *>(edit->File().GetDebugInfo()) : nullptr;
  return port ? &port->Info() : nullptr;
}

// Colour ranges take the settings' colours as they stand, default or not.
uint32_t ColorOf(const PaneSettings &pane, ColorRole role) { return pane.Color(role).color; }

} // namespace

TextPane *ShellPanes::Make(PaneFrameKind kind) {
  gui::PaneHost &host = DefaultShellHost();
  switch (kind) {
  case PaneFrameKind::Message: {
    auto *pane =
        new cTextMessage(MessageRows(settings_), host, [this](const Diagnostic &message) { ShowSource(message); });
    const PaneSettings &own = settings_.Pane(PaneKind::kMessage);
    pane->SetCurrentColors(ColorOf(own, ColorRole::kCurrentMessageFg), ColorOf(own, ColorRole::kCurrentMessageBg));
    return pane;
  }
  case PaneFrameKind::Assembly: {
    const PaneSettings &debug = settings_.Pane(PaneKind::kDebugEditor);
    return new cListingPane(host, ColorOf(debug, ColorRole::kExecutionCursorFg),
                            ColorOf(debug, ColorRole::kExecutionCursorBg));
  }
  case PaneFrameKind::Dump: {
    auto *dump = new cDumpPane(host);
    dump->exchange = [this](const std::function<void()> &read) {
      MainWindowCore &core = window_.Core();
      core.StopPollTimer();
      core.RunGuarded(read);
      if (core.Debugging())
        core.StartPollTimer();
    };
    return dump;
  }
  case PaneFrameKind::Stdio: return new cStdioPane(host);
  case PaneFrameKind::Watch:
    return new cWatchPane(host, ProgramDebugInfo, ProductWatchServices(), ProgramCounterOf(ProgramFrame()));
  case PaneFrameKind::Register:
  case PaneFrameKind::Stack: return new cLinePane(host);
  }
  return nullptr;
}

void ShellMessagePositions::AdjustPositions(const std::string &fileName, gui::TextPos from, gui::TextPos to,
                                            gui::TextPos newEnd) {
  cMainWindow *main = window ? window() : nullptr;
  if (!main || !main->Builds())
    return;
  if (cTextMessage *messages = main->MessagePane())
    messages->AdjustPositions(fileName, main->Builds()->ProgramPath(), from, to, newEnd);
}

void ShellPanes::ShowSource(const Diagnostic &message) {
  cEditFrame *frame = nullptr;
  if (!message.file.empty() && plat::CanRead(message.file)) {
    frame = dynamic_cast<cEditFrame *>(FindEditFrameByName(Shell().editorFrames, message.file));
    if (!frame) {
      // A file that cannot be opened leaves the row highlighted alone.
      try {
        frame = window_.OpenFile(message.file);
      } catch (const xErr &) {
        frame = nullptr;
      }
    }
  } else {
    frame = dynamic_cast<cEditFrame *>(window_.activeSubWindow());
  }
  if (!frame || !frame->HasView())
    return;
  const uint16_t line = uint16_t(message.line > 0 ? message.line - 1 : 0);
  frame->View()->SetCaret(line, uint16_t(message.column > 0 ? message.column - 1 : 0));
  // The message's whole line in the message colours, where no debugger
  // mark stands.
  Unmark();
  auto *edit = dynamic_cast<cTextEdit *>(frame->View());
  if (!edit || !edit->EditWidget())
    return;
  const PaneSettings &own = settings_.Pane(PaneKind::kMessage);
  const gui::TextPos from = gui::MakePos(line, 0);
  edit->EditWidget()->AddColorRange(from, gui::MakePos(line + 1, 0), ColorOf(own, ColorRole::kCurrentMessageBg),
                                    ColorOf(own, ColorRole::kCurrentMessageFg), true);
  marked_ = MarkedLine{edit->GetFileName(), from};
}

void ShellPanes::Unmark() {
  if (!marked_)
    return;
  const PaneSettings &own = settings_.Pane(PaneKind::kMessage);
  const gui::cColorPair mark(ColorOf(own, ColorRole::kCurrentMessageBg), ColorOf(own, ColorRole::kCurrentMessageFg));
  for (cTextEdit *edit : cTextEdit::Editors()) {
    if (!edit->EditWidget() || !edit->ShowsFile(marked_->file))
      continue;
    // Only the message's own mark: a debugger mark there stays.
    const gui::cRangeTree *ranges = edit->EditWidget()->ColorRanges();
    const gui::cRangeData *data = nullptr;
    if (ranges && ranges->Lookup(marked_->at, nullptr, &data) && data && data->IsEqual(mark))
      edit->EditWidget()->RemoveColorRange(marked_->at, true);
  }
  marked_.reset();
}

} // namespace tsw
