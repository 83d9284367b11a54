#pragma once

#include "debugger/debugengine.h"
#include "debugger/debugseams.h"

#include <fmt/format.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tsw::testing {

inline std::string PositionText(TextPosition at) { return fmt::format("{}:{}", at >> 16, at & 0xFFFF); }

// The assembly pane: its lines, clock counts, caret and marked lines.
class DebugFakeListingPane : public DebugListingPane {
public:
  uint16_t FirstVisibleColumn() override { return firstColumn; }
  void SetKeepCaretInView(bool keep) override { keepCaret = keep; }
  void Clear() override {
    lines.clear();
    counts.clear();
    ++clears;
  }
  void AppendLine(const std::string &line, int16_t count) override {
    lines.push_back(line);
    counts.push_back(count);
  }
  TextPosition Cursor() override { return cursor; }
  void SetCursor(TextPosition at) override { cursor = at; }
  void ClearColorRanges() override { marked.reset(); }
  void MarkExecutionLines(uint16_t from, uint16_t to) override { marked = {from, to}; }

  uint16_t firstColumn = 0;
  bool keepCaret = true;
  std::vector<std::string> lines;
  std::vector<int16_t> counts;
  int clears = 0;
  TextPosition cursor = 0;
  std::optional<std::pair<uint16_t, uint16_t>> marked;
};

class DebugFakeLinePane : public DebugLinePane {
public:
  void Clear() override { lines.clear(); }
  void AppendLine(const std::string &line) override { lines.push_back(line); }
  void CaretHome() override { ++homes; }
  std::vector<std::string> lines;
  int homes = 0;
};

// The dump pane: its addressing, and on a line down the 128 bytes it then
// shows, read as the pane reads them.
class DebugFakeDumpPane : public DebugDumpPane {
public:
  DumpAddressing &Addressing() override { return addressing; }
  void Clear() override {
    shown.Clear();
    ++clears;
  }
  void ScrollLineDown() override {
    beforeScroll = addressing;
    addressing.physicalAddress = (addressing.physicalAddress + 16) & 0xFFFFF;
    addressing.address.logical = uint16_t(addressing.address.logical + 16);
    FillDumpWindow(addressing, &shown, 0, nullptr);
  }
  DumpAddressing addressing;
  DumpAddressing beforeScroll;
  DebugFakeLinePane shown;
  int clears = 0;
};

// The interface: every call the engine makes, in order, as a text.
class DebugFakeUi : public DebugUi {
public:
  void ShowPleaseWait(unsigned message) override { Record(fmt::format("please wait {}", message)); }
  void Pump() override { ++pumps; }
  bool OpenEditor(const std::string &file) override {
    bool has = editors.count(file) != 0;
    Record("open " + file);
    return has;
  }
  bool HasEditor(const std::string &file) override { return editors.count(file) != 0; }
  void AddColorRange(const std::string &file, TextPosition at, DebugColor color) override {
    Record(
        fmt::format("{} {} {}", color == DebugColor::Breakpoint ? "breakpoint" : "execution", file, PositionText(at)));
  }
  void RemoveColorRange(const std::string &file, TextPosition at) override {
    Record(fmt::format("uncolour {} {}", file, PositionText(at)));
  }
  void ClearColorRanges(const std::string &file) override { Record("clear colours " + file); }
  void SetEditorCursor(const std::string &file, TextPosition at) override {
    Record(fmt::format("caret {} {}", file, PositionText(at)));
  }
  void BringEditorToTop(const std::string &file) override { Record("top " + file); }
  std::optional<std::pair<std::string, TextPosition>> ActiveEditorCaret() override { return activeCaret; }
  uint16_t EditorLineOf(const std::string &, uint16_t line) override { return line; }
  bool RefreshFollowsReset() override { return afterReset; }
  void SetRunState(MainRunState state) override { Record(fmt::format("run state {}", int(state))); }
  void ShowPriority(int value) override { Record(fmt::format("priority {}", value)); }
  void ShowMessageBox(const std::string &text) override {
    Record("box " + text);
    boxes.push_back(text);
  }
  DebugListingPane *AssemblyPane() override { return assemblyOpen ? &assembly : nullptr; }
  DebugListingPane *ShowAssemblyPane() override {
    Record("show assembly");
    assemblyOpen = true;
    return &assembly;
  }
  DebugLinePane *RegisterPane() override { return registersOpen ? &registers : nullptr; }
  DebugLinePane *StackPane() override { return stackOpen ? &stack : nullptr; }
  bool IsDumpPaneOpen() override { return dumpOpen; }
  DebugDumpPane *ShowDumpPane() override {
    Record("show dump");
    if (!dumpShowable)
      return nullptr;
    dumpOpen = true;
    return &dump;
  }
  void RefillDumpPane() override { Record("dump"); }
  bool IsWatchPaneOpen() override { return watchOpen; }
  void StoreWatchValues() override { Record("store watches"); }
  void ShowWatchValues(ADDR24 pc) override { Record(fmt::format("watches {:04x}", pc.logical)); }
  void WriteStdioBlock(const uint8_t *bytes, size_t count) override {
    Record(fmt::format("stdio {}", count));
    stdio.append(reinterpret_cast<const char *>(bytes), count);
  }
  std::optional<uint8_t> ReadStdioChar() override {
    if (keys.empty())
      return std::nullopt;
    uint8_t key = uint8_t(keys.front());
    keys.erase(keys.begin());
    return key;
  }
  void ResetStdioFiles() override {
    Record("reset stdio");
    if (onResetStdio)
      onResetStdio();
  }

  void Record(std::string call) { calls.push_back(std::move(call)); }

  std::vector<std::string> calls;
  std::set<std::string> editors;
  std::optional<std::pair<std::string, TextPosition>> activeCaret;
  bool afterReset = false;
  bool assemblyOpen = false, registersOpen = false, stackOpen = false, dumpOpen = false, watchOpen = false;
  bool dumpShowable = true;
  DebugFakeListingPane assembly;
  DebugFakeLinePane registers, stack;
  DebugFakeDumpPane dump;
  std::vector<std::string> boxes;
  std::string stdio;
  std::string keys;
  int pumps = 0;
  std::function<void()> onResetStdio;
};

} // namespace tsw::testing
