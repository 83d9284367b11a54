#include "compcore/cc_gen/code_state.h"

#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_in/cc_in.h"

#include <vector>

namespace tsw {

namespace {

struct CacheState {
  EmitCache *cache;
  ADDR24 current;
  OriginDirective *origin;
  bool initialized;
};

struct SavePoint {
  bool statement = false;
  uint32_t depth = 0;
  CachePointers pointers;
  std::vector<CacheState> caches;
};

struct CodeStateModule {
  std::vector<CodeStateParticipant> participants;
  std::vector<SavePoint> points;
  uint32_t statementDepth = 0;
};
CodeStateModule &State() {
  static CodeStateModule m;
  return m;
}

bool Takes(const SavePoint &point, const CodeStateParticipant &p) {
  return point.statement || p.side == CodeStateSide::kCode;
}

// Flushes every cache, so that each later starts a new window where it
// stands; a roll-back then only drops the runs buffered since.
SavePoint TakeCachePoint() {
  SavePoint point;
  for (EmitCache *cache : AllCaches()) {
    cache->Flush();
    point.caches.push_back({cache, cache->Current(), cache->AttachedOrigin(), cache->Initialized()});
  }
  point.pointers = Caches();
  return point;
}

void RestoreCaches(const SavePoint &point) {
  for (const CacheState &state : point.caches) {
    state.cache->ResetBuffer();
    state.cache->Attach(state.origin);
    if (state.initialized)
      state.cache->ResetWindow(state.current);
  }
  Caches() = point.pointers;
}

void PushPoint(bool statement, uint32_t depth) {
  // The runs flushed here belong to what came before the save point.
  SavePoint point = TakeCachePoint();
  for (CodeStateParticipant &p : State().participants)
    if (statement || p.side == CodeStateSide::kCode)
      p.save();
  point.statement = statement;
  point.depth = depth;
  State().points.push_back(std::move(point));
}

void RestoreTop() {
  const SavePoint &point = State().points.back();
  auto &participants = State().participants;
  for (auto it = participants.rbegin(); it != participants.rend(); ++it)
    if (Takes(point, *it))
      it->restore();
  RestoreCaches(point);
}

void DropTop() {
  const SavePoint &point = State().points.back();
  for (CodeStateParticipant &p : State().participants)
    if (Takes(point, p))
      p.discard();
  State().points.pop_back();
}

} // namespace

void RegisterCodeStateParticipant(CodeStateParticipant participant) {
  State().participants.push_back(std::move(participant));
}

uint32_t &StatementDepth() { return State().statementDepth; }

void DropCodeState() {
  while (!State().points.empty())
    DropTop();
}

void SaveCodeState(uint32_t depth) {
  DropCodeState();
  PushPoint(true, depth);
}

void RestoreCodeState() {
  auto &points = State().points;
  while (!points.empty() && !points.back().statement)
    DropTop();
  if (!points.empty())
    RestoreTop();
}

bool StatementSnapshotMatches() {
  const auto &points = State().points;
  return !points.empty() && points.front().statement && points.front().depth == State().statementDepth;
}

uint32_t PushCodeSavePoint() {
  PushPoint(false, 0);
  return uint32_t(State().points.size());
}

void RestoreCodeSavePoint(uint32_t point) {
  auto &points = State().points;
  if (point == 0 || point > points.size() || points[point - 1].statement)
    return;
  while (points.size() > point)
    DropTop();
  RestoreTop();
}

void DropCodeSavePoint(uint32_t point) {
  auto &points = State().points;
  if (point == 0 || point > points.size() || points[point - 1].statement)
    return;
  while (points.size() >= point)
    DropTop();
}

uint16_t CompileWithRetry(const std::function<uint16_t()> &body) {
  if (EmitCache *code = Caches().currentCode)
    code->CheckSpaceGuarded();
  uint32_t &depth = StatementDepth();
  ++depth;
  struct DepthScope {
    uint32_t &depth;
    ~DepthScope() { --depth; }
  } scope{depth};
  if (SourceLanguageMode == kLangCInAsm)
    return body();
  SaveCodeState(depth);
  try {
    return body();
  } catch (const CommitCode &) {
  }
  try {
    return body();
  } catch (const CommitCode &) {
    // The statement does not fit even at the start of the follower.
    Caches().currentCode->ReportSegmentFull();
    CompileErrorHere<kMsgCodeSegmentFull>();
  }
}

void ResetCodeStateModule() {
  State().participants.clear();
  State().points.clear();
  State().statementDepth = 0;
}

} // namespace tsw
