#pragma once

#include "debugger/debugseams.h"

// The debugger engine's user interface served by the shell: the run state
// and priority through the main window, boxes through the notifier, the
// please-wait dialog through its holder, and the source editors through the
// open frames. What the shell does not show yet (the debug panes, the
// program's standard input and output, the editors' colour marks) answers
// neutrally: no pane open, nothing typed, nothing marked.
namespace tsw {

class cEditFrame;
class cMainWindow;

class ShellDebugUi : public DebugUi {
public:
  explicit ShellDebugUi(cMainWindow &window) : window_(window) {}

  void ShowPleaseWait(unsigned message) override;
  void Pump() override;

  bool OpenEditor(const std::string &file) override;
  bool HasEditor(const std::string &file) override { return FindFrame(file) != nullptr; }
  void AddColorRange(const std::string &, TextPosition, DebugColor) override {}
  void RemoveColorRange(const std::string &, TextPosition) override {}
  void ClearColorRanges(const std::string &) override {}
  void SetEditorCursor(const std::string &file, TextPosition at) override;
  void BringEditorToTop(const std::string &file) override;
  std::optional<std::pair<std::string, TextPosition>> ActiveEditorCaret() override;
  // The editor keeps no map from compiled lines to edited ones yet.
  uint16_t EditorLineOf(const std::string &, uint16_t line) override { return line; }
  bool RefreshFollowsReset() override { return false; }

  void SetRunState(MainRunState state) override;
  void ShowPriority(int value) override;
  void ShowMessageBox(const std::string &text) override;

  DebugListingPane *AssemblyPane() override { return nullptr; }
  DebugListingPane *ShowAssemblyPane() override { return nullptr; }
  DebugLinePane *RegisterPane() override { return nullptr; }
  DebugLinePane *StackPane() override { return nullptr; }
  bool IsDumpPaneOpen() override { return false; }
  void RefillDumpPane() override {}
  bool IsWatchPaneOpen() override { return false; }
  void StoreWatchValues() override {}
  void ShowWatchValues(ADDR24) override {}

  void WriteStdioBlock(const uint8_t *, size_t) override {}
  std::optional<uint8_t> ReadStdioChar() override { return std::nullopt; }
  void ResetStdioFiles() override {}

private:
  cEditFrame *FindFrame(const std::string &file) const;
  void Activate(cEditFrame &frame);

  cMainWindow &window_;
};

} // namespace tsw
