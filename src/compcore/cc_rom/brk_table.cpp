#include "compcore/cc_rom/brk_table.h"

#include "compcore/cc_gen/code_state.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace tsw {

namespace {

struct ZBrkptInfo {
  uint16_t line, column;
  uint16_t startLine, startColumn;
  uint16_t endLine, endColumn;
  std::string file;
  ADDR24 address;
};

struct RecorderState {
  std::string file;
  uint16_t line = 0, column = 0, previousLine = 0;
  ADDR24 rootSlot{}, xmemSlot{}, last{};
  uint32_t reports = 0;
};

bool StartsBefore(const ZBrkptInfo *a, const ZBrkptInfo *b) {
  return a->startLine != b->startLine ? a->startLine < b->startLine : a->startColumn < b->startColumn;
}

bool Contains(const ZBrkptInfo &e, uint16_t line, uint16_t column) {
  auto before = [](uint16_t l1, uint16_t c1, uint16_t l2, uint16_t c2) { return l1 < l2 || (l1 == l2 && c1 < c2); };
  return !before(line, column, e.startLine, e.startColumn) && !before(e.endLine, e.endColumn, line, column);
}

struct BrkptModule {
  std::vector<std::unique_ptr<ZBrkptInfo>> entries; // committed, in creation order
  // Per file, the committed entries ordered by where their range starts.
  std::map<std::string, std::vector<const ZBrkptInfo *>> bySource;
  std::map<uint32_t, const ZBrkptInfo *> byAddress;
  std::vector<std::unique_ptr<ZBrkptInfo>> pending;
  RecorderState state, committed;
};

BrkptModule &State() {
  static BrkptModule m;
  return m;
}

void PutAddress(RecorderState &s, ADDR24 address) { (Addr24InWindow(address) ? s.xmemSlot : s.rootSlot) = address; }
ADDR24 SlotFor(const RecorderState &s, ADDR24 address) { return Addr24InWindow(address) ? s.xmemSlot : s.rootSlot; }

void AppendPending(uint16_t endLine, uint16_t endColumn, ADDR24 address) {
  RecorderState &s = State().state;
  auto e = std::make_unique<ZBrkptInfo>();
  e->line = s.line;
  e->column = s.column;
  e->startLine = s.line;
  e->startColumn = s.line == s.previousLine ? s.column : 1;
  e->endLine = endLine;
  e->endColumn = endColumn;
  e->file = s.file;
  e->address = address;
  State().pending.push_back(std::move(e));
}

} // namespace

void ResetBrkptTable() {
  BrkptModule &m = State();
  m.entries.clear();
  m.bySource.clear();
  m.byAddress.clear();
  m.pending.clear();
  m.state = m.committed = {};
}

void StartStatementPositions(const std::string &file, uint16_t line, uint16_t column, ADDR24 address) {
  RecorderState &s = State().state;
  s.file = file;
  s.line = s.previousLine = line;
  s.column = column;
  PutAddress(s, address);
  s.reports = 0;
}

void RecordStatementPosition(const std::string &file, uint16_t line, uint16_t column, ADDR24 address) {
  RecorderState &s = State().state;
  ++s.reports;
  if (!s.file.empty() && file == s.file)
    AppendPending(line, line == s.line ? uint16_t(column - 1) : uint16_t(0), SlotFor(s, s.last));
  else
    s.file = file;
  s.last = address;
  s.previousLine = s.line;
  s.column = column;
  PutAddress(s, address);
  s.line = line;
}

void FlushStatementPosition(uint16_t line, uint16_t column, ADDR24 address) {
  RecorderState &s = State().state;
  if (s.reports > 0 && !s.file.empty())
    AppendPending(uint16_t(line + 1), column, SlotFor(s, address));
  s.reports = 0;
}

void CommitStatementPositions() {
  BrkptModule &m = State();
  for (auto &e : m.pending) {
    std::vector<const ZBrkptInfo *> &list = m.bySource[e->file];
    list.insert(std::upper_bound(list.begin(), list.end(), e.get(), StartsBefore), e.get());
    m.byAddress.emplace(Addr24ToLong(e->address), e.get());
    m.entries.push_back(std::move(e));
  }
  m.pending.clear();
  m.committed = m.state;
}

void DiscardStatementPositions() {
  BrkptModule &m = State();
  m.pending.clear();
  m.state = m.committed;
}

bool FindSourceForAddress(ADDR24 address, uint16_t &line, uint8_t &column, std::string &file) {
  auto it = State().byAddress.find(Addr24ToLong(address));
  if (it == State().byAddress.end())
    return false;
  line = it->second->line;
  column = uint8_t(it->second->column);
  file = it->second->file;
  return true;
}

ADDR24 FindAddressForSource(const std::string &file, uint16_t line, uint16_t column) {
  auto it = State().bySource.find(file);
  if (it == State().bySource.end())
    return {};
  for (const ZBrkptInfo *e : it->second)
    if (Contains(*e, line, column))
      return e->address;
  return {};
}

uint32_t BrkptCount() { return uint32_t(State().entries.size()); }

void WriteBrkFile(std::FILE *file) {
  std::fprintf(file, "a total of %u breakpoints\n", BrkptCount());
  for (const auto &[name, list] : State().bySource)
    for (const ZBrkptInfo *e : list) {
      std::fprintf(file, "%s([%u,%u],[%u,%u]@[%u,%u])->", name.c_str(), e->startLine, e->startColumn, e->endLine,
                   e->endColumn, e->line, e->column);
      if (Addr24InWindow(e->address))
        std::fprintf(file, "%2x", e->address.segment);
      else
        std::fprintf(file, "**");
      std::fprintf(file, ":%4x\n", e->address.logical);
    }
}

void RegisterBrkptCodeState() {
  RegisterCodeStateParticipant({CodeStateSide::kStatement, CommitStatementPositions, DiscardStatementPositions, [] {}});
}

} // namespace tsw
