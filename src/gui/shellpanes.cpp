#include "gui/shellpanes.h"

#include "foundation/xerr.h"
#include "gui/debugpanes.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "platform/paths.h"

namespace tsw {
namespace {

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
  case PaneFrameKind::Dump: return new cDumpPane(host);
  case PaneFrameKind::Stdio: return new cStdioPane(host);
  case PaneFrameKind::Watch:
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
  frame->View()->SetCaret(uint16_t(message.line > 0 ? message.line - 1 : 0),
                          uint16_t(message.column > 0 ? message.column - 1 : 0));
}

} // namespace tsw
