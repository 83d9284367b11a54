#pragma once

#include <functional>

#include "gui/tswedit.h"
#include "gui/textpane.h"

// The shell's own panes for the main window's frames: the message window
// and the debugger's ring panes.
namespace tsw {

class cMainWindow;
class Settings;
struct Diagnostic;
enum class PaneFrameKind : uint8_t;

class ShellPanes {
public:
  ShellPanes(cMainWindow &window, const Settings &settings) : window_(window), settings_(settings) {}
  // A new pane of the kind; its frame takes it over.
  TextPane *Make(PaneFrameKind kind);
  // The message's file in front, its caret on the message.
  void ShowSource(const Diagnostic &message);

private:
  cMainWindow &window_;
  const Settings &settings_;
};

// The message window's positions follow the edits of the compiled program.
class ShellMessagePositions : public MessagePositions {
public:
  void AdjustPositions(const std::string &fileName, gui::TextPos from, gui::TextPos to, gui::TextPos newEnd) override;
  // The main window, once there is one.
  std::function<cMainWindow *()> window;
};

} // namespace tsw
