#include "compcore/cc_parse/stmt/costate_state.h"

#include "compcore/cc_gen/code_state.h"

namespace tsw {
namespace {

struct Module {
  CostateModuleState state;
  std::vector<CostateModuleState> points;
};

Module &TheModule() {
  static Module module;
  return module;
}

void NoteOpenConstructs(CostateModuleState &s) { s.calls.costateOpen = !s.records.empty(); }

} // namespace

CostateModuleState &CostateState() { return TheModule().state; }

CostateRecord *CurrentCostateRecord() {
  auto &records = CostateState().records;
  return records.empty() ? nullptr : &records.back();
}

void PushCostateRecord(const CostateRecord &record) {
  CostateModuleState &s = CostateState();
  s.records.push_back(record);
  NoteOpenConstructs(s);
}

void PopCostateRecord() {
  CostateModuleState &s = CostateState();
  if (!s.records.empty())
    s.records.pop_back();
  NoteOpenConstructs(s);
}

CostateInitEntry *TakeCostateEntry() {
  CostateModuleState &s = CostateState();
  if (s.write == kCostateScratchEntry) {
    s.table[kCostateScratchEntry] = CostateInitEntry{};
    return &s.table[kCostateScratchEntry];
  }
  if (s.write > kCostateTableEntries)
    return nullptr;
  CostateInitEntry &entry = s.table[s.write++];
  entry = CostateInitEntry{};
  return &entry;
}

std::vector<CostateInitEntry> CostateTableEntries() {
  const CostateModuleState &s = CostateState();
  // While the scratch entry takes the writes, the table ends where the
  // saved position stands.
  const uint16_t end = s.write == kCostateScratchEntry ? s.saved : s.write;
  return {s.table.begin() + kCostateFirstEntry, s.table.begin() + end};
}

void RedirectCostateTableToScratch() {
  CostateModuleState &s = CostateState();
  if (s.write == kCostateScratchEntry)
    return;
  s.saved = s.write;
  s.write = kCostateScratchEntry;
}

void RestoreCostateTablePosition() {
  CostateModuleState &s = CostateState();
  if (s.write == kCostateScratchEntry)
    s.write = s.saved;
}

bool CostateTableAtScratch() { return CostateState().write == kCostateScratchEntry; }

void ResetCostateState() {
  CostateModuleState &s = CostateState();
  s.write = kCostateFirstEntry;
  s.saved = kCostateFirstEntry;
  s.records.clear();
  s.inSlice = false;
  s.nesting = 0;
  s.everytime = false;
  s.calls = CofunctionCallContext{};
}

void ResetCostateModule() {
  Module &m = TheModule();
  m.state = CostateModuleState{};
  m.points.clear();
  // Code side: an expression's nested save point (sizeof, the two-pass
  // resume emission) must also take back what a construct inside it
  // counted or recorded.
  RegisterCodeStateParticipant({CodeStateSide::kCode, [] { TheModule().points.push_back(TheModule().state); },
                                [] {
                                  if (!TheModule().points.empty())
                                    TheModule().state = TheModule().points.back();
                                },
                                [] {
                                  if (!TheModule().points.empty())
                                    TheModule().points.pop_back();
                                }});
}

} // namespace tsw
