#include "compcore/cc_gen/origins.h"

#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_session.h"

#include <algorithm>

namespace tsw {

// The placement directives' reader of a segment and an offset.
ADDR24 ParseOriginAddress();

namespace {

constexpr uint32_t kMaxOriginSize = 0xFFFFF;
constexpr int16_t kOptionCacheBytes = 4096;

struct OriginModule {
  std::vector<std::unique_ptr<OriginDirective>> table;
  OriginDirective defaultOrigin;
  OriginDirective *current = nullptr;
  uint32_t splitbinCount = 0;
  // Caches made by "debug" and "nodebug"; kept until the module resets, so
  // a pointer to one never dangles.
  std::vector<std::unique_ptr<XmemCache>> optionCaches;
};

OriginModule &State() {
  static OriginModule m;
  return m;
}

bool WordFollows() {
  SkipSpaces();
  char c = *InputCursor;
  return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool MatchOption(const char *word) {
  SkipSpaces();
  return MatchWordAtInput(word);
}

// "resume" continues where emission into the origin stopped; "apply"
// starts it again at its first address.
bool ParseResumeApply(OriginDirective *record) {
  const bool resume = MatchOption("resume");
  const bool apply = !resume && MatchOption("apply");
  if (!resume && !apply)
    return false;
  if (!record) {
    CompileError<kMsgNoSuchOrigin>();
    return true;
  }
  if (apply)
    record->resume = record->start;
  ActivateOrigin(record);
  return true;
}

void ParseFollows(OriginDirective &record) {
  std::string name;
  SkipSpaces();
  if (!ReadIdentifier(name)) {
    CompileError<kMsgFollowsName>();
    return;
  }
  int index = FindOrigin(name);
  if (index < 0) {
    CompileError<kMsgNoSuchOrigin>();
    return;
  }
  if (MatchOption("splitbin")) {
    record.splitbin = true;
    ++State().splitbinCount;
  }
  OriginDirective &named = *State().table[size_t(index)];
  if (named.follows)
    CompileError<kMsgAlreadyFollowed>();
  named.follows = &record;
}

XmemCache *MakeOptionCache() {
  State().optionCaches.push_back(std::make_unique<XmemCache>(kOptionCacheBytes));
  return State().optionCaches.back().get();
}

void ParseDebugOption(OriginDirective &record) {
  bool given = true;
  if (MatchOption("debug")) {
    record.debugMode = OriginDebugMode::kDebugOnly;
    record.cache = Caches().debugXmem = MakeOptionCache();
  } else if (MatchOption("nodebug")) {
    record.debugMode = OriginDebugMode::kNodebugOnly;
    record.cache = Caches().nodebugXmem = MakeOptionCache();
  } else if (MatchOption("all")) {
    record.debugMode = OriginDebugMode::kAll;
  } else {
    given = false;
  }
  if (given && record.kind != 1 && record.kind != 2)
    CompileError<kMsgOriginOptionKind>();
}

void ParseNewOrigin(OriginDirective &record) {
  record.start = record.resume = ParseOriginAddress();
  int32_t size = ReadDirectiveExpression();
  record.size = uint32_t(size);
  if (record.size >= kMaxOriginSize)
    CompileWarningSerious<kMsgOriginTooLarge>();
  else if (record.size == 0)
    CompileWarningSerious<kMsgOriginSizeZero>();
  if (MatchOption("follows"))
    ParseFollows(record);
  ParseResumeApply(&record);
  ParseDebugOption(record);
}

uint32_t LogicalKey(ADDR24 a) { return a.logical; }
uint32_t PhysicalKey(ADDR24 a) { return (uint32_t(a.segment) * kExtPageSize + a.logical) & kPhysicalMask; }

void SweepForOverlaps(std::vector<const OriginDirective *> &sorted, uint32_t (*key)(ADDR24), bool logical) {
  std::stable_sort(sorted.begin(), sorted.end(), [key](const OriginDirective *a, const OriginDirective *b) {
    return key(OriginLowEnd(*a)) < key(OriginLowEnd(*b));
  });
  if (sorted.empty())
    return;
  size_t largest = 0;
  uint32_t largestEnd = key(OriginHighEnd(*sorted[0]));
  for (size_t i = 1; i < sorted.size(); ++i) {
    const OriginDirective &r = *sorted[i];
    if (logical && r.start.logical >= ExtWindowStart)
      break;
    uint32_t low = key(OriginLowEnd(r));
    // Against the furthest end of every origin before this one, so neither
    // a shared byte nor an overlap after an earlier report goes unseen.
    if (low <= largestEnd)
      CompileWarningSerious<kMsgOriginsOverlap>(sorted[largest]->name, r.name, logical ? "logical" : "physical", low);
    uint32_t high = key(OriginHighEnd(r));
    if (high > largestEnd) {
      largestEnd = high;
      largest = i;
    }
  }
}

} // namespace

ADDR24 OriginLowEnd(const OriginDirective &o) {
  const bool upward = !o.cache || o.cache->Direction() > 0;
  return upward ? o.start : Addr24Add(o.start, 1 - int32_t(o.size));
}

ADDR24 OriginHighEnd(const OriginDirective &o) {
  const bool upward = !o.cache || o.cache->Direction() > 0;
  return upward ? Addr24Add(o.start, int32_t(o.size) - 1) : o.start;
}

OriginDirective &DefaultOrigin() {
  OriginDirective &d = State().defaultOrigin;
  if (d.name.empty()) {
    d.name = "$nullorg";
  }
  return d;
}

const std::vector<std::unique_ptr<OriginDirective>> &OriginTable() { return State().table; }

int FindOrigin(const std::string &name) {
  const auto &table = State().table;
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i]->name == name)
      return int(i);
  return -1;
}

uint32_t SplitbinCount() { return State().splitbinCount; }

void ParseOriginDirective(int32_t kind, EmitCache *cache) {
  ExpandMacros();
  SkipSpaces();
  std::string name;
  if (!ReadIdentifier(name)) {
    CompileError<kMsgOriginName>();
    return;
  }
  int index = FindOrigin(name);
  OriginDirective *record = index < 0 ? nullptr : State().table[size_t(index)].get();
  State().current = record;
  if (WordFollows()) {
    if (!ParseResumeApply(record)) {
      CompileError<kMsgResumeOrApply>();
      SkipToLineEnd(); // the refused directive's rest is not reported again
    }
  } else if (!record) {
    auto made = std::make_unique<OriginDirective>(DefaultOrigin());
    made->name = name;
    made->kind = kind;
    made->cache = cache;
    made->ofProgram = !BiosCompileFlag();
    record = State().current = made.get();
    State().table.push_back(std::move(made));
    ParseNewOrigin(*record);
  } else {
    CompileError<kMsgOriginDefined>();
    SkipToLineEnd();
  }
  if (SkipSpaces() != '\0')
    CompileError<kMsgOriginTrailing>();
}

void ActivateOrigin(OriginDirective *record) {
  if (record == &DefaultOrigin())
    return;
  if (!record) {
    CompileError<kMsgNoSuchOrigin>();
    return;
  }
  EmitCache *cache = record->cache;
  if (!cache)
    return;
  OriginDirective *o = cache->GetOrigin();
  if (o == record)
    return;
  if (o != &DefaultOrigin())
    o->resume = cache->Current();
  cache->Flush();
  cache->Attach(record);
  cache->ResetWindow(record->resume);
}

OriginDirective *AddImplicitOrigin(const std::string &name, EmitCache *cache, ADDR24 start, uint32_t size) {
  auto made = std::make_unique<OriginDirective>();
  made->name = name;
  made->kind = int32_t(cache->Kind());
  made->cache = cache;
  made->start = made->resume = start;
  made->size = size;
  made->implicit = true;
  made->ofProgram = !BiosCompileFlag();
  OriginDirective *record = made.get();
  State().table.push_back(std::move(made));
  ActivateOrigin(record);
  return record;
}

namespace {

void DropOrigins(bool (*dropped)(const OriginDirective &)) {
  auto &table = State().table;
  for (auto &record : table)
    if (dropped(*record) && record->cache && record->cache->AttachedOrigin() == record.get()) {
      record->cache->Flush();
      record->cache->Attach(nullptr);
    }
  // The current record is looked at before it may go.
  if (State().current && dropped(*State().current))
    State().current = nullptr;
  std::erase_if(table, [&](const std::unique_ptr<OriginDirective> &record) { return dropped(*record); });
}

} // namespace

void DropImplicitOrigins() {
  DropOrigins([](const OriginDirective &record) { return record.implicit; });
}

void DropProgramOrigins() {
  DropOrigins([](const OriginDirective &record) { return record.ofProgram; });
}

void ClearOriginTable() {
  State().splitbinCount = 0;
  for (auto &record : State().table)
    if (record->cache)
      record->cache->Attach(nullptr);
  State().table.clear();
  State().current = nullptr;
  Caches().debugXmem = Caches().nodebugXmem = nullptr;
}

void CheckOriginOverlaps() {
  std::vector<const OriginDirective *> sorted;
  for (const auto &record : State().table)
    sorted.push_back(record.get());
  SweepForOverlaps(sorted, LogicalKey, true);
  SweepForOverlaps(sorted, PhysicalKey, false);
}

std::vector<const OriginDirective *> OriginsByPhysicalAddress() {
  std::vector<const OriginDirective *> sorted;
  for (const auto &record : State().table)
    sorted.push_back(record.get());
  std::stable_sort(sorted.begin(), sorted.end(), [](const OriginDirective *a, const OriginDirective *b) {
    return PhysicalKey(OriginLowEnd(*a)) < PhysicalKey(OriginLowEnd(*b));
  });
  return sorted;
}

void ResetOriginModule() {
  ClearOriginTable();
  State().optionCaches.clear();
  State().defaultOrigin = {};
}

} // namespace tsw
