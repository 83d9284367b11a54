#include "gui/shellbreakpoints.h"

#include "debugger/debugengine.h"
#include "gui/tswmainw.h"

namespace tsw {

bool ShellBreakpoints::Debugging() const {
  cMainWindow *shown = Window();
  return shown && shown->Core().Debugging();
}

void ShellBreakpoints::StopPollTimer() {
  if (cMainWindow *shown = Window())
    shown->Core().StopPollTimer();
}

void ShellBreakpoints::StartPollTimer() {
  if (cMainWindow *shown = Window())
    shown->Core().StartPollTimer();
}

void ShellBreakpoints::ToggleAtCursor(cTextEdit &view, BreakpointKind kind) {
  const EditorCaret caret{view.FileName(), view.Caret()};
  ToggleBreakpointAtCursor(kind == BreakpointKind::Rst18 ? kTrapRst18 : kTrapRst20, &caret);
}

void ShellBreakpoints::LinkFailed(const xErr &error) {
  if (cMainWindow *shown = Window())
    shown->Core().ReportAndEndDebugging(error);
  else
    error.Report();
}

} // namespace tsw
