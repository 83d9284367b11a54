#include "compcore/cc_reloc/fixups.h"
#include "foundation/msgcatalog.h"

#include "compcore/cc_reloc/fixup_services.h"
#include "foundation/xerr.h"

#include <list>
#include <unordered_map>

namespace tsw {

namespace {

constexpr char kModule[] = "compcore\\cc_reloc";
constexpr uint32_t kWatchThrowLine = 426;

// A label table that remembers the order names first appeared in, so that
// reports and the map come out in source order.
class LabelTable {
public:
  BRFixupRec *Find(std::string_view name) {
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : &it->second->second;
  }
  BRFixupRec &Insert(std::string_view name, BRFixupRec record = {}) {
    entries_.emplace_back(std::string(name), std::move(record));
    auto last = std::prev(entries_.end());
    index_[last->first] = last;
    return last->second;
  }
  void Erase(std::string_view name) {
    auto it = index_.find(std::string(name));
    if (it == index_.end())
      return;
    entries_.erase(it->second);
    index_.erase(it);
  }
  void Clear() {
    entries_.clear();
    index_.clear();
  }
  std::list<std::pair<std::string, BRFixupRec>> &Entries() { return entries_; }

private:
  std::list<std::pair<std::string, BRFixupRec>> entries_;
  std::unordered_map<std::string, std::list<std::pair<std::string, BRFixupRec>>::iterator> index_;
};

enum class TableId : uint8_t { kLocal, kGlobal };

// One undoable change: an item appended to a record, or a record's whole
// state before it was created, defined or removed.
struct JournalEntry {
  enum class Kind : uint8_t { kItemAdded, kRecordBefore } kind;
  TableId table;
  std::string name;
  std::optional<BRFixupRec> before;
  bool pushedPending = false;
};

struct FixupModule {
  LabelTable local, global;
  std::vector<std::string> pendingList;
  bool referenceSwitch = true;
  std::weak_ptr<BRFixupItem> capture;
  bool unresolvedSeen = false;
  bool finalReset = false;
  std::string watchText;
  std::vector<JournalEntry> journal;
  std::vector<size_t> marks;
};

FixupModule &State() {
  static FixupModule m;
  return m;
}

FixupServices *&Installed() {
  static FixupServices *installed = nullptr;
  return installed;
}
FixupServices &S() { return *Installed(); }

LabelTable &Table(TableId id) { return id == TableId::kLocal ? State().local : State().global; }

bool Journaling() { return !State().marks.empty(); }

void JournalBefore(TableId table, std::string_view name, const BRFixupRec *before, bool pushedPending = false) {
  if (!Journaling())
    return;
  State().journal.push_back({JournalEntry::Kind::kRecordBefore, table, std::string(name),
                         before ? std::optional<BRFixupRec>(*before) : std::nullopt, pushedPending});
}

bool WatchMode() { return S().WatchMode(); }

bool Excused(uint16_t flags) { return (flags & kFixBouncer) && S().NoBouncers(); }

void CaptureSink(uint8_t byte) {
  if (auto item = State().capture.lock())
    item->opcode = byte;
  State().capture.reset();
}

ADDR24 A(uint32_t packed) { return Addr24FromLong(packed); }

void ApplyFixup(const BRFixupItem &item, uint32_t packedValue, std::string_view name) {
  ADDR24 v = A(packedValue);
  const ADDR24 patch = A(item.patchAddress);
  const uint16_t flags = item.flags;
  if (item.lcall && Addr24InWindow(v)) {
    S().SeriousWarningAt(kMsgLongCallIntoWindow, item.lcall->file, item.lcall->line,
                         FormatMessage<kMsgLongCallIntoWindow>());
    v.segment = uint8_t(item.lcall->page);
  }
  if (flags & kFixNoPatch)
    return;
  if (flags & kFixRelative8) {
    int16_t d = int16_t(uint16_t(v.logical + item.addend - patch.logical - 1));
    if (d >= -128 && d <= 127)
      S().PatchByte(patch, uint8_t(d));
    else
      S().CompileError(kMsgDisplacementRange, FormatMessage<kMsgDisplacementRange>());
    return;
  }
  if (flags & kFixAbsolute8) {
    uint16_t n = uint16_t(v.logical + item.addend);
    if (n <= 0xFF)
      S().PatchByte(patch, uint8_t(n));
    else
      S().CompileError(kMsgByteRange, FormatMessage<kMsgByteRange>());
    return;
  }
  if (flags & kFixPageByte) {
    S().PatchByte(patch, uint8_t(S().LookupRoot(v).segment + uint8_t(item.addend)));
    return;
  }
  if (flags & kFixPageWord) {
    S().PatchWord(patch, uint16_t(S().LookupRoot(v).segment + item.addend));
    return;
  }
  if ((flags & kFixRootOnly) && Addr24InWindow(v)) {
    S().CompileError(kMsgRootOnlyTarget, FormatMessage<kMsgRootOnlyTarget>(std::string(name)));
    return;
  }
  if (item.opcode) {
    S().EmitFarJumpFixup(item.opcode, patch, v, flags);
    return;
  }
  const bool corvid = S().Corvid();
  if (corvid) {
    if (flags & kFixDirectoryWord) {
      v = S().LookupRoot(v);
    } else if (flags & kFixAddress24) {
      ADDR24 mapped = S().LookupRoot(v);
      if (!Addr24InWindow(v) && Addr24InWindow(mapped))
        v = mapped;
    }
    if (S().NoBouncers() && Addr24InWindow(v)) {
      ADDR24 alternate = S().SymbolAlternateAddress(name);
      if (alternate.logical != 0)
        v = alternate;
    }
  }
  S().PatchWord(patch, uint16_t(v.logical + item.addend));
  if (corvid && (flags & kFixAddress24))
    S().PatchByte(Addr24Add(patch, 2), v.segment);
}

void ResolveFixupRec(BRFixupRec &record, uint32_t value, std::string_view name) {
  for (auto it = record.pending.rbegin(); it != record.pending.rend(); ++it)
    ApplyFixup(**it, value, name);
  record.defined = true;
  record.value = value;
  record.pending.clear();
}

void ReportUnresolved(std::string_view name, bool local) {
  FixupModule &m = State();
  if (m.finalReset)
    return;
  if (WatchMode()) {
    m.watchText = FormatMessage<kMsgWatchUnresolved>(std::string(name));
    m.unresolvedSeen = true;
    return;
  }
  if (local)
    S().FatalAtStart(kMsgUnresolvedLocal, FormatMessage<kMsgUnresolvedLocal>(std::string(name)));
  S().ReportUndefinedGlobal(name);
}

void RemovePending(const std::string &name) {
  auto &list = State().pendingList;
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (*it == name) {
      list.erase(std::next(it).base());
      return;
    }
}

void UndoTo(size_t mark) {
  FixupModule &m = State();
  while (m.journal.size() > mark) {
    JournalEntry &e = m.journal.back();
    LabelTable &table = Table(e.table);
    if (e.kind == JournalEntry::Kind::kItemAdded) {
      if (BRFixupRec *record = table.Find(e.name); record && !record->pending.empty())
        record->pending.pop_back();
    } else if (e.before) {
      if (BRFixupRec *record = table.Find(e.name))
        *record = std::move(*e.before);
      else
        table.Insert(e.name, std::move(*e.before));
    } else {
      // The record was made since the save point.
      table.Erase(e.name);
      if (e.pushedPending)
        RemovePending(e.name);
      if (e.table == TableId::kGlobal)
        S().ClearSymbolDefined(e.name);
    }
    m.journal.pop_back();
  }
}

} // namespace

bool &LabelReferenceSwitch() { return State().referenceSwitch; }

void InitFixupTables() {
  FixupModule &m = State();
  m.capture.reset();
  S().DisarmOpcodeCapture();
  // An aborted compile may have left labels behind.
  m.local.Clear();
  m.global.Clear();
  m.pendingList.clear();
  m.journal.clear();
  m.marks.clear();
  m.unresolvedSeen = false;
}

void FreeFixupTables() { InitFixupTables(); }

uint32_t ReferenceLabel(std::string_view name, uint32_t patchAddress, uint16_t flags, uint16_t addend, uint8_t opcode,
                        const LcallFixup *lcall) {
  FixupModule &m = State();
  if (!m.referenceSwitch)
    return 0;
  TableId tableId = TableId::kLocal;
  BRFixupRec *record = (flags & kFixLocal) ? m.local.Find(name) : nullptr;
  if (!record && (flags & kFixGlobal)) {
    record = m.global.Find(name);
    tableId = TableId::kGlobal;
  }
  if (record) {
    if (record->defined && !Excused(flags))
      return record->value;
    if (!record->defined && (flags & kFixLookupOnly))
      return 0;
  } else {
    if (flags & kFixLookupOnly)
      return 0;
    if (flags & kFixLocal) {
      tableId = TableId::kLocal;
      JournalBefore(tableId, name, nullptr);
      record = &m.local.Insert(name);
    } else {
      tableId = TableId::kGlobal;
      const bool pushed = !WatchMode();
      JournalBefore(tableId, name, nullptr, pushed);
      record = &m.global.Insert(name);
      if (pushed)
        m.pendingList.emplace_back(name);
    }
  }
  auto item = std::make_shared<BRFixupItem>();
  item->patchAddress = patchAddress;
  item->addend = addend;
  item->flags = flags;
  item->opcode = opcode;
  if (lcall)
    item->lcall = *lcall;
  if (flags & kFixCaptureOpcode) {
    m.capture = item;
    S().ArmOpcodeCapture(Addr24Add(A(patchAddress), -1), CaptureSink);
  } else {
    m.capture.reset();
    S().DisarmOpcodeCapture();
  }
  if (Journaling())
    m.journal.push_back({JournalEntry::Kind::kItemAdded, tableId, std::string(name), std::nullopt});
  record->pending.push_back(std::move(item));
  return 0;
}

void DefineLabel(std::string_view name, uint32_t value, uint16_t flags) {
  FixupModule &m = State();
  TableId tableId = TableId::kLocal;
  BRFixupRec *record = nullptr;
  if (flags & kFixLocal) {
    record = m.local.Find(name);
    if (record && record->defined && !Excused(flags))
      S().FatalAtStart(kMsgLocalTwice, FormatMessage<kMsgLocalTwice>(std::string(name)));
  }
  if (!record && (flags & kFixGlobal)) {
    tableId = TableId::kGlobal;
    record = m.global.Find(name);
    if (record && record->defined && !Excused(flags))
      S().FatalAtStart(kMsgGlobalTwice, FormatMessage<kMsgGlobalTwice>(std::string(name)));
  }
  if (!record) {
    tableId = (flags & kFixLocal) ? TableId::kLocal : TableId::kGlobal;
    JournalBefore(tableId, name, nullptr);
    record = &Table(tableId).Insert(name);
  } else {
    JournalBefore(tableId, name, record);
  }
  if (S().ReadingProgramSource())
    S().WarnIfLibraryDefines(name);
  ResolveFixupRec(*record, value, name);
}

void DefineLabelHere(std::string_view name, uint16_t flags) {
  DefineLabel(name, Addr24ToLong(S().CurrentCodeAddress()), flags);
}

void DefineTemporaryLabel(std::string_view name, uint32_t value, uint16_t flags) {
  DefineLabel(name, value, flags);
  FixupModule &m = State();
  if (flags & kFixLocal) {
    if (const BRFixupRec *record = m.local.Find(name))
      JournalBefore(TableId::kLocal, name, record);
    m.local.Erase(name);
  } else if (flags & kFixGlobal) {
    PurgeDefinedPendingLabels();
    if (const BRFixupRec *record = m.global.Find(name))
      JournalBefore(TableId::kGlobal, name, record);
    m.global.Erase(name);
  }
}

void PurgeDefinedPendingLabels() {
  auto &list = State().pendingList;
  std::erase_if(list, [](const std::string &name) {
    const BRFixupRec *record = State().global.Find(name);
    return !record || record->defined;
  });
}

const std::vector<std::string> &PendingLabelList() { return State().pendingList; }

std::optional<std::string> PopPendingLabel() {
  PurgeDefinedPendingLabels();
  auto &list = State().pendingList;
  if (list.empty())
    return std::nullopt;
  std::string name = std::move(list.back());
  list.pop_back();
  return name;
}

void ResetFixupTables(uint16_t mask) {
  FixupModule &m = State();
  m.unresolvedSeen = false;
  m.finalReset = mask == kResetFinal;
  bool reported = false;
  if (mask & kResetLocal) {
    // Work on the entries taken out, so that a fatal report leaves no
    // half-emptied table behind.
    std::list<std::pair<std::string, BRFixupRec>> entries;
    entries.swap(m.local.Entries());
    m.local.Clear();
    for (auto &[name, record] : entries) {
      if (record.defined)
        continue;
      int unresolved = 0;
      for (const auto &item : record.pending) {
        if (!(item->flags & kFixGlobal)) {
          ++unresolved;
          continue;
        }
        // Its address is already emitted: the opcode is captured.
        uint16_t flags = uint16_t(item->flags & ~(kFixLocal | kFixCaptureOpcode));
        uint32_t value = ReferenceLabel(name, item->patchAddress, flags, item->addend, item->opcode,
                                        item->lcall ? &*item->lcall : nullptr);
        if (A(value).logical != 0)
          ApplyFixup(*item, value, name);
      }
      if (unresolved) {
        reported = true;
        ReportUnresolved(name, true);
      }
    }
  }
  if (mask & kResetGlobal) {
    m.pendingList.clear();
    std::list<std::pair<std::string, BRFixupRec>> entries;
    entries.swap(m.global.Entries());
    m.global.Clear();
    for (auto &[name, record] : entries)
      if (!record.defined) {
        reported = true;
        ReportUnresolved(name, false);
      }
  }
  if (!m.finalReset && reported && WatchMode() && m.unresolvedSeen)
    throw xWatch(m.watchText, kModule, kWatchThrowLine);
}

void ReportUndefinedGlobalLabels() {
  for (const auto &[name, record] : State().global.Entries()) {
    if (record.defined)
      continue;
    if (WatchMode())
      throw xWatch(FormatMessage<kMsgWatchUnresolved>(name), kModule, kWatchThrowLine);
    S().ReportUndefinedGlobal(name);
  }
}

const BRFixupRec *FindLocalLabel(std::string_view name) { return State().local.Find(name); }
const BRFixupRec *FindGlobalLabel(std::string_view name) { return State().global.Find(name); }

std::vector<std::string> GlobalLabelNames() {
  std::vector<std::string> names;
  for (const auto &entry : State().global.Entries())
    names.push_back(entry.first);
  return names;
}

std::vector<std::string> LocalLabelNames() {
  std::vector<std::string> names;
  for (const auto &entry : State().local.Entries())
    names.push_back(entry.first);
  return names;
}

void SetFixupServices(FixupServices *services) { Installed() = services; }

void SaveFixupState() { State().marks.push_back(State().journal.size()); }

void RestoreFixupState() {
  if (!State().marks.empty())
    UndoTo(State().marks.back());
}

void DiscardFixupState() {
  FixupModule &m = State();
  if (!m.marks.empty())
    m.marks.pop_back();
  if (m.marks.empty())
    m.journal.clear();
}

} // namespace tsw
