#include "gui/shellpanes.h"

#include "foundation/xerr.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "platform/paths.h"

namespace tsw {
namespace {

// Rows and width of the debugger's ring panes.
constexpr uint16_t kRingRows = 200;
constexpr uint16_t kRingWidth = 180;

uint32_t ColorOr(const ColorSetting &setting, uint32_t fallback) { return setting.useDefault ? fallback : setting.color; }

} // namespace

TextPane *ShellPanes::Make(PaneFrameKind kind) {
  if (kind != PaneFrameKind::Message)
    return new cShellRingPane(kRingRows, kRingWidth, 0, DefaultShellHost());
  auto *pane = new cTextMessage(MessageRows(settings_), DefaultShellHost(),
                                [this](const Diagnostic &message) { ShowSource(message); });
  const PaneSettings &own = settings_.Pane(PaneKind::kMessage);
  pane->SetCurrentColors(ColorOr(own.Color(ColorRole::kCurrentMessageFg), cTextMessage::kCurrentFg),
                         ColorOr(own.Color(ColorRole::kCurrentMessageBg), cTextMessage::kCurrentBg));
  return pane;
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
