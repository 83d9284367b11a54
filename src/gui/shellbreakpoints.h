#pragma once

#include <functional>

#include "gui/tswedit.h"

// The editors' breakpoint commands served by the main window and the
// debugger engine: a breakpoint goes on the statement under the caret.
namespace tsw {

class cMainWindow;

class ShellBreakpoints : public BreakpointService {
public:
  // The editors are made before the main window exists; until it does,
  // nothing is debugged and the commands stay disabled.
  std::function<cMainWindow *()> window;

  bool Debugging() const override;
  void StopPollTimer() override;
  void StartPollTimer() override;
  void ToggleAtCursor(cTextEdit &view, BreakpointKind kind) override;
  void LinkFailed(const xErr &error) override;

private:
  cMainWindow *Window() const { return window ? window() : nullptr; }
};

} // namespace tsw
