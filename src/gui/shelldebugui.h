#pragma once

#include "debugger/debugseams.h"

// The debugger engine's user interface served by the shell: the run state
// and priority through the main window, boxes through the notifier, the
// please-wait dialog through its holder, the source editors through the
// open frames with their execution and breakpoint marks, and the debugger's
// panes and the program's standard input and output through the main
// window's pane frames.
namespace tsw {

class cEditFrame;
class cMainWindow;
class cStdioPane;
class cWatchPane;
class TextPane;
enum class DebugPane : uint8_t;

class ShellDebugUi : public DebugUi {
public:
  explicit ShellDebugUi(cMainWindow &window) : window_(window) {}

  void ShowPleaseWait(unsigned message) override;
  void Pump() override;

  bool OpenEditor(const std::string &file) override;
  bool HasEditor(const std::string &file) override { return FindFrame(file) != nullptr; }
  void AddColorRange(const std::string &file, TextPosition at, DebugColor color) override;
  void RemoveColorRange(const std::string &file, TextPosition at) override;
  void ClearColorRanges(const std::string &file) override;
  void SetEditorCursor(const std::string &file, TextPosition at) override;
  void BringEditorToTop(const std::string &file) override;
  std::optional<std::pair<std::string, TextPosition>> ActiveEditorCaret() override;
  // The editor keeps no map from compiled lines to edited ones yet.
  uint16_t EditorLineOf(const std::string &, uint16_t line) override { return line; }
  bool RefreshFollowsReset() override { return refreshFollowsReset_; }
  // The panes shown again after a compile's reset: the editor's caret
  // stays where the user left it.
  void RefreshAfterReset();

  void SetRunState(MainRunState state) override;
  void ShowPriority(int value) override;
  void ShowMessageBox(const std::string &text) override;

  DebugListingPane *AssemblyPane() override;
  DebugListingPane *ShowAssemblyPane() override;
  DebugLinePane *RegisterPane() override;
  DebugLinePane *StackPane() override;
  bool IsDumpPaneOpen() override;
  DebugDumpPane *ShowDumpPane() override;
  void RefillDumpPane() override;
  bool IsWatchPaneOpen() override;
  void StoreWatchValues() override;
  void ShowWatchValues(ADDR24 pc) override;

  void WriteStdioBlock(const uint8_t *bytes, size_t count) override;
  std::optional<uint8_t> ReadStdioChar() override;
  void ResetStdioFiles() override {}

  // A pane just opened shows the stopped program's state at once.
  void FillOpenedPane(DebugPane pane, TextPane &shown);

private:
  cEditFrame *FindFrame(const std::string &file) const;
  void Activate(cEditFrame &frame);
  TextPane *OpenPane(DebugPane pane) const;
  cStdioPane *Stdio();
  cWatchPane *Watch() const;

  cMainWindow &window_;
  bool refreshFollowsReset_ = false;
};

} // namespace tsw
