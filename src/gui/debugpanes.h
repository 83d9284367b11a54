#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
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
  explicit cLinePane(gui::PaneHost &host, uint16_t rows = kDebugPaneRows, uint16_t width = kDebugPaneWidth);
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

  // Dragging over the listing adds up the clock counts of the rows passed:
  // the sum stands at the end of the row above the mouse's until the next
  // press. Rows are the caret's rows.
  void SumPress(int32_t row);
  void SumDrag(int32_t row);
  void SumRelease() { pressed_ = false; }

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  int32_t CaretRow() const { return gui::PosLine(Ring().GetCursor()); }
  void RestoreAnnotated();

  std::vector<int16_t> clocks_;
  uint32_t executionFg_, executionBg_;
  bool pressed_ = false;
  bool sumShown_ = false;
  int32_t anchor_ = 0, annotated_ = 0, lastRow_ = 0;
  std::string savedText_;
};

// How the dump moves through memory: the physical form through 1 MB, the
// logical forms through the 64 KB of their segment.
enum class DumpScroll : uint8_t { LineUp, LineDown, PageUp, PageDown, Position, Top, Bottom };
inline constexpr int32_t kPhysicalDumpTopLimit = 0xFFF8;
inline constexpr int32_t kLogicalDumpTopLimit = 0xFF8;
DumpAddressing ScrollDump(DumpAddressing at, DumpScroll code, int32_t position = 0);

class cDumpPane : public cLinePane, public DebugDumpPane {
public:
  explicit cDumpPane(gui::PaneHost &host);
  DumpAddressing &Addressing() override { return at_; }
  void Clear() override { cLinePane::Clear(); }
  void ScrollLineDown() override { Scroll(DumpScroll::LineDown); }
  void Scroll(DumpScroll code, int32_t position = 0);
  // Reads the board again from the addressing in use.
  void Refill();
  // Runs a read of the board the user asked for from the keyboard or the
  // wheel; the main window's, which pauses its poll and reports failures.
  std::function<void(const std::function<void()> &read)> exchange;

protected:
  // The caret keys move past the first and the last row into memory.
  void keyPressEvent(QKeyEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;

private:
  void Exchange(const std::function<void()> &read);

  DumpAddressing at_;
};

class cDebugInfo;
class cWatchList;
class WatchServices;

inline constexpr uint16_t kWatchPaneRows = 100;
inline constexpr uint16_t kWatchPaneWidth = 80;
inline constexpr size_t kMaxWatchLines = 100;

// The program's watches at each stop: the program counter's place, then a
// line per watch, the blocks of earlier stops scrolling up the ring.
class cWatchPane : public cLinePane {
public:
  // The program's lists, looked up at each use: the program's document
  // may close while the pane stays; null leaves the pane its own lists.
  using InfoSource = std::function<cDebugInfo *()>;
  // The watches are compiled at `pc` at once.
  cWatchPane(gui::PaneHost &host, InfoSource program, WatchServices &services, ADDR24 pc);
  ~cWatchPane() override;
  void ShowValues(ADDR24 pc);
  // The values a TCP/IP board sent for the whole list.
  void StoreValues(size_t count, const uint8_t *entries, size_t size);
  // Every watch and every history entry goes, then the rows.
  void Clear() override;
  cWatchList &Watches();

private:
  cDebugInfo &Info();
  void CompileIfStale(ADDR24 pc);

  InfoSource program_;
  std::unique_ptr<cDebugInfo> own_;
  WatchServices &services_;
  uint32_t compiledIn_ = 0;
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
