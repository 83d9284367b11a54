#include "debugger/enginestate.h"

#include "debugger/registerframe.h"
#include "foundation/memorymap.h"

#include <algorithm>
#include <ostream>

namespace tsw {
namespace {

bool WithinListing(const Listing &listing, ADDR24 address) {
  return !listing.lineAddresses.empty() && !Addr24Less(address, listing.lineAddresses.front()) &&
         Addr24Less(address, listing.end);
}

// Target bytes as the program has them: planted breakpoints show the bytes
// they replaced.
void ReadProgramBytes(ADDR24 address, uint8_t *buffer, size_t count) {
  Link().ReadTargetMemory(uint16_t(count), address, buffer);
  RestoreOriginalBytes(address, Addr24Add(address, int32_t(count)), buffer);
}

void Rebuild(ADDR24 address, DebugListingPane &pane, uint16_t column) {
  ListingState &state = Engine().listing;
  pane.SetKeepCaretInView(false);
  pane.Clear();
  state.listing = BuildListing(address, state.code.data(), state.codeBytes);
  for (const AssemblyLine &line : state.listing.lines)
    pane.AppendLine(line.text, line.clockCount);
  pane.SetCursor(MakeTextPosition(0, column));
  pane.SetKeepCaretInView(true);
  pane.SetCursor(pane.Cursor());
}

void LoadCode(ADDR24 address) {
  ListingState &state = Engine().listing;
  if (state.eventCode) {
    std::copy(state.eventCode->begin(), state.eventCode->end(), state.code.begin());
    state.codeBytes = state.eventCode->size();
    RestoreOriginalBytes(address, Addr24Add(address, int32_t(state.codeBytes)), state.code.data());
    return;
  }
  ReadProgramBytes(address, state.code.data(), state.code.size());
  state.codeBytes = state.code.size();
}

} // namespace

void ShowDisassemblyAt(ADDR24 address, uint8_t mode, DebugListingPane &pane) {
  ListingState &state = Engine().listing;
  uint16_t column = pane.FirstVisibleColumn();
  bool tcp = Link().UsesTcp();
  if (!(mode & kListingForceRead) && WithinListing(state.listing, address)) {
    if (!tcp) {
      ADDR24 first = state.listing.lineAddresses.front();
      std::array<uint8_t, kListingBufferSize> now{};
      ReadProgramBytes(first, now.data(), now.size());
      if (now != state.code) {
        ReadProgramBytes(address, state.code.data(), state.code.size());
        state.codeBytes = state.code.size();
        Rebuild(address, pane, column);
      }
    }
  } else {
    if (tcp)
      LoadCode(address);
    else {
      ReadProgramBytes(address, state.code.data(), state.code.size());
      state.codeBytes = state.code.size();
    }
    Rebuild(address, pane, column);
  }

  pane.ClearColorRanges();
  ADDR24 pc = ProgramCounterOf(Engine().frame);
  if (std::optional<size_t> row = ListingRowOf(state.listing, pc)) {
    if (!(mode & kListingCaretAtAddress))
      pane.SetCursor(MakeTextPosition(uint16_t(*row), column));
    pane.MarkExecutionLines(uint16_t(*row), uint16_t(*row + 1));
  }
  if (mode & kListingCaretAtAddress)
    if (std::optional<size_t> row = ListingRowOf(state.listing, address))
      pane.SetCursor(MakeTextPosition(uint16_t(*row), column));
}

void ShowAssemblyAtPc(DebugListingPane &pane) {
  ShowDisassemblyAt(ProgramCounterOf(Engine().frame), kListingForceRead, pane);
}

int ShowAssemblyAtAddress(ADDR24 address) {
  if (DebugListingPane *pane = Ui().ShowAssemblyPane())
    ShowDisassemblyAt(address, kListingForceRead | kListingCaretAtAddress, *pane);
  return 1;
}

int DisassembleAtCursor() {
  auto caret = Ui().ActiveEditorCaret();
  if (!caret)
    return 1;
  const std::string &file = caret->first;
  ADDR24 address = StatementAddressAt(file, caret->second);
  if (address.logical == 0)
    return 1;
  if (DebugListingPane *pane = Ui().ShowAssemblyPane())
    ShowDisassemblyAt(address, kListingForceRead | kListingCaretAtAddress, *pane);
  std::optional<SourceLocation> where = Products().FindSourceForAddress(address);
  if (where && where->line != 0 && where->column != 0)
    Ui().SetEditorCursor(file, MakeTextPosition(uint16_t(where->line - 1), uint16_t(where->column - 1)));
  return 1;
}

void ClearListingState() { Engine().listing = ListingState{}; }

const Listing &CurrentListing() { return Engine().listing.listing; }

void FillDumpWindow(const DumpAddressing &at, DebugLinePane *pane, uint32_t length, std::ostream *file) {
  uint32_t total = file ? length : kDumpBlockSize;
  DumpAddressing block = at;
  std::array<uint8_t, kDumpBlockSize> bytes{};
  for (uint32_t done = 0; done < total; done += kDumpBlockSize) {
    Link().ReadTargetMemory(kDumpBlockSize, DumpReadAddress(block), bytes.data());
    for (const std::string &line : DumpLines(block, bytes.data(), bytes.size())) {
      if (file)
        *file << line << '\n';
      else if (pane)
        pane->AppendLine(line);
    }
    block.physicalAddress += kDumpBlockSize;
    block.address.logical = uint16_t(block.address.logical + kDumpBlockSize);
  }
}

void WritePcLocationLines(ADDR24 address, DebugLinePane &pane) {
  std::optional<SourceLocation> where = Products().FindSourceForAddress(address);
  if (where && Ui().HasEditor(where->file))
    where->line = Ui().EditorLineOf(where->file, where->line);
  for (const std::string &line : PcLocationLines(address, where))
    pane.AppendLine(line);
}

void FormatRegisterWindow(DebugLinePane &pane, const TargetRegisterFrame &frame) {
  pane.Clear();
  WritePcLocationLines(ProgramCounterOf(frame), pane);
  for (const std::string &line : RegisterLines(frame))
    pane.AppendLine(line);
  pane.CaretHome();
}

void FormatStackWindow(DebugLinePane &pane, const TargetRegisterFrame &frame, size_t words) {
  std::vector<uint8_t> bytes(words * 2);
  const auto &eventStack = Engine().eventStack;
  if (eventStack && bytes.size() <= eventStack->size())
    std::copy_n(eventStack->begin(), bytes.size(), bytes.begin());
  else
    Link().ReadTargetMemory(uint16_t(bytes.size()), MakeDataAddr24(frame.sp), bytes.data());
  pane.Clear();
  WritePcLocationLines(ProgramCounterOf(frame), pane);
  for (const std::string &line : StackLines(frame.sp, bytes.data(), words))
    pane.AppendLine(line);
  pane.CaretHome();
}

} // namespace tsw
