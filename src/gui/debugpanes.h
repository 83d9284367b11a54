#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "debugger/debugseams.h"
#include "debugger/panetext.h"
#include "gui/msgwin.h"

// The debugger's panes in the shell: ring panes that take the engine's
// lines, the assembly listing with its execution mark, the memory dump
// with its own addressing, and the program's standard input and output.
namespace tsw {

// Rows and width of the debugger's ring panes.
inline constexpr uint16_t kDebugPaneRows = 200;
inline constexpr uint16_t kDebugPaneWidth = 180;

class cLinePane : public cShellRingPane, public DebugLinePane {
public:
  explicit cLinePane(gui::PaneHost &host, uint16_t rows = kDebugPaneRows);
  void Clear() override { Ring().Clear(); }
  void AppendLine(const std::string &line) override { Ring().AppendLine(line); }
  void CaretHome() override;
  // The rows in use, for those who read what the pane shows.
  std::vector<std::string> Lines() const;
};

class cListingPane : public cShellRingPane, public DebugListingPane {
public:
  cListingPane(gui::PaneHost &host, uint32_t executionFg, uint32_t executionBg);
  uint16_t FirstVisibleColumn() override;
  void SetKeepCaretInView(bool keep) override { Ring().SetKeepCaretInView(keep); }
  void Clear() override;
  void AppendLine(const std::string &line, int16_t clockCount) override;
  TextPosition Cursor() override { return Ring().GetCursor(); }
  void SetCursor(TextPosition at) override { Ring().SetCursor(at); }
  void ClearColorRanges() override { cShellRingPane::ClearColorRanges(true); }
  void MarkExecutionLines(uint16_t fromLine, uint16_t toLine) override;
  const std::vector<int16_t> &ClockCounts() const { return clocks_; }

private:
  std::vector<int16_t> clocks_;
  uint32_t executionFg_, executionBg_;
};

class cDumpPane : public cLinePane, public DebugDumpPane {
public:
  explicit cDumpPane(gui::PaneHost &host);
  DumpAddressing &Addressing() override { return at_; }
  void Clear() override { cLinePane::Clear(); }
  void ScrollLineDown() override;
  // Reads the board again from the addressing in use.
  void Refill();

private:
  DumpAddressing at_;
};

// The program's output as it comes, a line a row, and what the user types
// into the pane, kept until the program reads it.
class cStdioPane : public cShellRingPane {
public:
  explicit cStdioPane(gui::PaneHost &host);
  void Write(const uint8_t *bytes, size_t count);
  std::optional<uint8_t> ReadTyped();
  void Clear() override;

protected:
  bool KeyTyped(QKeyEvent *event) override;

private:
  // The last row is the line still being written.
  bool lineOpen_ = false;
  std::string line_;
  int32_t row_ = 0;
  std::deque<uint8_t> typed_;
};

} // namespace tsw
