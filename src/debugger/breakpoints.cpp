#include "debugger/enginestate.h"

#include <algorithm>

namespace tsw {
namespace {

constexpr uint16_t kPositionLineShift = 16;

std::vector<Breakpoint> &List() { return Engine().breakpoints; }

std::vector<Breakpoint>::iterator FindAt(ADDR24 address) {
  return std::find_if(List().begin(), List().end(),
                      [&](const Breakpoint &b) { return Addr24Equal(b.address, address); });
}

} // namespace

ADDR24 StatementAddressAt(const std::string &file, TextPosition caret) {
  uint16_t line = uint16_t(caret >> kPositionLineShift);
  uint16_t column = uint16_t(caret);
  return Products().FindAddressForSource(file, uint16_t(line + 1), uint16_t(column + 1));
}

int ToggleBreakpointAtCursor(uint8_t opcode, const EditorCaret *editor) {
  if (!editor)
    return 1;
  ADDR24 address = StatementAddressAt(editor->file, editor->caret);
  if (address.logical != 0)
    ToggleBreakpoint(address, opcode);
  return 0;
}

void ToggleBreakpoint(ADDR24 address, uint8_t opcode) {
  std::optional<SourceLocation> where = Products().FindSourceForAddress(address);
  if (!where)
    return;
  // Code is not in line order (root and extended-memory functions), so the
  // whole list is searched, by position and by address.
  auto existing = std::find_if(List().begin(), List().end(), [&](const Breakpoint &b) {
    return Addr24Equal(b.address, address) ||
           (b.file == where->file && b.line == where->line && b.column == where->column);
  });
  if (existing != List().end()) {
    RemoveBreakpoint(existing->address);
    return;
  }

  Breakpoint added{address, where->line, where->column, where->file, 0};
  if (Link().UsesTcp()) {
    added.savedByte = Link().SetBreakpointTcp(address, opcode);
  } else {
    Link().ReadTargetMemory(1, address, &added.savedByte);
    Link().WriteTargetMemory(1, address, &opcode);
  }
  // Recorded only once the board has answered, so that a record never holds
  // a byte that was not read.
  auto before =
      std::find_if(List().begin(), List().end(), [&](const Breakpoint &b) { return !Addr24Less(b.address, address); });
  List().insert(before, added);
  MarkBreakpointLine(uint16_t(added.line - 1), uint16_t(added.column - 1), true, added.file);
}

void RemoveBreakpoint(ADDR24 address) {
  auto at = FindAt(address);
  if (at == List().end())
    return;
  if (Link().UsesTcp())
    Link().ClearBreakpointTcp(at->address, at->savedByte);
  else
    Link().WriteTargetMemory(1, at->address, &at->savedByte);
  Breakpoint removed = *at;
  List().erase(at);
  MarkBreakpointLine(uint16_t(removed.line - 1), uint16_t(removed.column - 1), false, removed.file);
}

void DiscardBreakpoints() {
  std::vector<Breakpoint> all = std::move(List());
  List().clear();
  for (const Breakpoint &b : all)
    MarkBreakpointLine(uint16_t(b.line - 1), uint16_t(b.column - 1), false, b.file);
}

bool HasBreakpointAt(uint16_t line, uint16_t column, const std::string &file) {
  return std::any_of(List().begin(), List().end(),
                     [&](const Breakpoint &b) { return b.line == line && b.column == column && b.file == file; });
}

bool IsHookBreakpointAt(ADDR24 address) {
  auto at = FindAt(address);
  return at != List().end() && at->savedByte == kDebugHook;
}

void RestoreOriginalBytes(ADDR24 start, ADDR24 end, uint8_t *buffer) {
  for (const Breakpoint &b : List())
    if (!Addr24Less(b.address, start) && Addr24Less(b.address, end))
      buffer[Addr24Difference(b.address, start)] = b.savedByte;
}

std::optional<uint8_t> RestoreBreakpointByte(ADDR24 address) {
  auto at = FindAt(address);
  if (at == List().end())
    return std::nullopt;
  Link().WriteTargetMemory(1, at->address, &at->savedByte);
  return at->savedByte;
}

void MarkBreakpointLine(uint16_t line, uint16_t column, bool on, const std::string &file) {
  TextPosition at = MakeTextPosition(line, column);
  const ExecutionMarker &marker = Engine().marker;
  if (marker.marked && marker.position == at && marker.file == file)
    return;
  if (!Ui().OpenEditor(file))
    return;
  if (on)
    Ui().AddColorRange(file, at, DebugColor::Breakpoint);
  else
    Ui().RemoveColorRange(file, at);
}

const std::vector<Breakpoint> &Breakpoints() { return List(); }

} // namespace tsw
