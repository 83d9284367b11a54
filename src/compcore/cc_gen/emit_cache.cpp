#include "compcore/cc_gen/emit_cache.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_in/cc_in.h"

#include <algorithm>

namespace tsw {

namespace {

constexpr const char *kOriginKindNames[] = {"unknown",  "#rcodorg", "#xcodorg", "#wcodorg",
                                            "#rvarorg", "#xvarorg", "#wvarorg", "#rconorg"};

constexpr uint8_t kOpLoadA = 0x3E;
constexpr uint8_t kOpCall = 0xCD;
constexpr uint8_t kOpJump = 0xC3;
constexpr uint8_t kOpLongJump = 0xC7;
constexpr uint16_t kPageSize = 0x1000;
constexpr int32_t kLongJumpLength = 4;

struct FixupCapture {
  bool armed = false;
  ADDR24 address{};
  FixupByteSink sink = nullptr;
};
RunWriter *&Writer() {
  static RunWriter *writer = nullptr;
  return writer;
}

FixupCapture &Capture() {
  static FixupCapture capture;
  return capture;
}

void EmitLogicalWord(EmitCache &cache, uint16_t word) {
  cache.EmitByte(uint8_t(word));
  cache.EmitByte(uint8_t(word >> 8));
}

// Sets the space-check flag for the duration of one check, also when the
// check ends by throwing.
class SpaceCheckScope {
public:
  explicit SpaceCheckScope(bool &flag) : flag_(flag) { flag_ = true; }
  ~SpaceCheckScope() { flag_ = false; }
  SpaceCheckScope(const SpaceCheckScope &) = delete;
  SpaceCheckScope &operator=(const SpaceCheckScope &) = delete;

private:
  bool &flag_;
};

} // namespace

const char *OriginKindName(OriginKind kind) {
  size_t index = size_t(kind);
  return index < std::size(kOriginKindNames) ? kOriginKindNames[index] : kOriginKindNames[0];
}

void SetRunWriter(RunWriter *writer) { Writer() = writer; }

void ArmFixupByteCapture(ADDR24 address, FixupByteSink sink) { Capture() = {true, address, sink}; }
void DisarmFixupByteCapture() { Capture() = {}; }

ADDR24 CaptureFixupByte(ADDR24 address, uint8_t byte) {
  FixupCapture &capture = Capture();
  if (capture.armed && Addr24Equal(capture.address, address)) {
    FixupByteSink sink = capture.sink;
    capture = {};
    sink(byte);
  }
  return address;
}

bool &RootCodeEmitted() {
  static bool emitted = false;
  return emitted;
}
bool &XmemCodeEmitted() {
  static bool emitted = false;
  return emitted;
}

// ---- EmitCache -------------------------------------------------------------

EmitCache::EmitCache(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind)
    : direction_(direction < 0 ? -1 : 1), position_(direction < 0 ? capacity : 0), capacity_(capacity),
      buffer_(size_t(capacity)), fullMessage_(fullMessage), kind_(kind) {}

void EmitCache::Assign(const EmitCache &other) {
  direction_ = other.direction_;
  count_ = other.count_;
  position_ = other.position_;
  capacity_ = other.capacity_;
  buffer_ = other.buffer_;
  windowStart_ = other.windowStart_;
  current_ = other.current_;
  windowEnd_ = other.windowEnd_;
  fullMessage_ = other.fullMessage_;
  kind_ = other.kind_;
  warnUnattached_ = other.warnUnattached_;
  origin_ = other.origin_;
  inSpaceCheck_ = other.inSpaceCheck_;
  initialized_ = other.initialized_;
  enabled_ = other.enabled_;
}

const uint8_t *EmitCache::Bytes() const { return direction_ > 0 ? buffer_.data() : buffer_.data() + position_; }

void EmitCache::ResetBuffer() {
  count_ = 0;
  position_ = direction_ > 0 ? 0 : capacity_;
}

bool EmitCache::Flush() {
  if (count_ <= 0)
    return false;
  WriteOut(windowStart_, uint16_t(count_), Bytes());
  ResetWindow(current_);
  ResetBuffer();
  return true;
}

void EmitCache::PutByte(uint8_t byte) {
  if (count_ >= capacity_)
    Flush();
  if (direction_ < 0) {
    buffer_[size_t(--position_)] = byte;
    ++count_;
  } else {
    buffer_[size_t(position_++)] = byte;
    ++count_;
  }
}

ADDR24 EmitCache::EmitByte(uint8_t byte) {
  if (capturesFixups_)
    CaptureFixupByte(current_, byte);
  if (!origin_)
    WarnOnce();
  PutByte(byte);
  current_.logical = uint16_t(current_.logical + direction_);
  return current_;
}

ADDR24 EmitCache::StoreAt(ADDR24 address, uint8_t byte) {
  if (capturesFixups_)
    CaptureFixupByte(address, byte);
  if (!origin_)
    WarnOnce();
  int32_t offset = OffsetOf(address);
  if (offset == -3) {
    CompileError<kMsgEmitOutside>("Using uninitialized cache.");
  } else if (offset < 0 || offset >= count_) {
    // Outside the buffered run: already written out (or not yet emitted),
    // so the byte goes to the writer on its own.
    WriteOut(address, 1, &byte);
  } else {
    buffer_[size_t(offset)] = byte;
  }
  return address;
}

void EmitCache::FlushAndMark() {
  if (!origin_)
    WarnOnce();
  CheckSpaceGuarded();
  Flush();
}

void EmitCache::CheckSpaceGuarded() {
  SpaceCheckScope scope(inSpaceCheck_);
  if (SourceLanguageMode != kLangCInAsm)
    CheckSegmentSpace();
}

bool EmitCache::CheckPageCross(int32_t count) {
  (void)count;
  return false;
}

bool EmitCache::WouldOverflow(int32_t count) const {
  const OriginDirective &o = *GetOrigin();
  const bool originUpward = !o.cache || o.cache->Direction() > 0;
  const int32_t size = int32_t(o.size);
  ADDR24 last = originUpward ? Addr24Add(o.start, size - 1) : Addr24Add(o.start, 1 - size);
  // Counted in bytes stored: a segment may hold exactly its size.
  if (direction_ > 0)
    return Addr24Less(last, Addr24Add(current_, count - 1));
  return Addr24Less(Addr24Add(current_, 1 - count), last);
}

void EmitCache::CheckSegmentSpace() {
  if (WouldOverflow(kSegmentReserve)) {
    OriginDirective *o = GetOrigin();
    if (o->follows) {
      const bool restored = StatementSnapshotMatches();
      if (restored)
        RestoreCodeState();
      if (WouldOverflow(0) && o->size != 0)
        CompileError<kMsgFullAtRestart>();
      EmitContinuation();
      ActivateOrigin(o->follows);
      if (restored)
        throw CommitCode{};
    } else if (WouldOverflow(0)) {
      ReportSegmentFull();
    }
  }
  AfterSpaceCheck();
}

void EmitCache::WriteOut(ADDR24 address, uint16_t count, const uint8_t *bytes) {
  if (Writer())
    Writer()->WriteRun(count, address, bytes);
}

void EmitCache::ReadBack(ADDR24 address, uint16_t count, uint8_t *buffer) {
  if (!Writer() || !Writer()->ReadBack(address, count, buffer))
    std::fill(buffer, buffer + count, uint8_t(0));
}

ADDR24 EmitCache::ResetWindow(ADDR24 address) {
  windowStart_ = current_ = windowEnd_ = address;
  if (direction_ > 0)
    windowEnd_.logical = uint16_t(windowEnd_.logical + capacity_);
  initialized_ = true;
  return address;
}

ADDR24 EmitCache::ResetToOriginResume() { return ResetWindow(GetOrigin()->resume); }

int32_t EmitCache::OffsetOf(ADDR24 address) const {
  if (!initialized_)
    return -3;
  if (Addr24Less(address, windowStart_))
    return -2;
  if (Addr24Less(current_, address))
    return -1;
  return int32_t(Addr24Difference(address, windowStart_));
}

ADDR24 EmitCache::SetEmitAddress(ADDR24 address) {
  if (OffsetOf(address) != -3)
    Flush();
  return ResetWindow(address);
}

uint8_t EmitCache::ReadAt(ADDR24 address) {
  int32_t offset = OffsetOf(address);
  uint8_t byte = 0;
  if (offset == -1 || offset >= count_) {
    CompileError<kMsgReadAfterCurrent>();
    return 0;
  }
  if (offset < 0) {
    ReadBack(address, 1, &byte);
    return byte;
  }
  return buffer_[size_t(offset)];
}

OriginDirective *EmitCache::GetOrigin() const { return origin_ ? origin_ : &DefaultOrigin(); }

void EmitCache::WarnOnce() {
  if (warnUnattached_ && !IsNullCache())
    CompileError<kMsgCacheWithoutOrigin>(OriginKindName(kind_));
  warnUnattached_ = false;
}

// ---- code caches -----------------------------------------------------------

EmitCacheForCode::EmitCacheForCode(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind)
    : EmitCache(direction, capacity, fullMessage, kind) {
  SetCapturesFixupBytes();
}

void EmitCacheForCode::ResetBuffer() {
  EmitCache::ResetBuffer();
  SetCurrent(WindowStart());
}

void EmitCacheForCode::ReportSegmentFull() { CompileErrorHere(FullMessage()); }

void EmitCacheForCode::EmitContinuation() {
  // The code before the overflow runs on into the follower where emission
  // resumes there, not at the follower's first address.
  const OriginDirective *follower = GetOrigin()->follows;
  if (!follower)
    return;
  ADDR24 target = follower->resume;
  if (Addr24InWindow(target)) {
    EmitByte(kOpLongJump);
    EmitLogicalWord(*this, target.logical);
    EmitByte(target.segment);
  } else {
    EmitByte(kOpJump);
    EmitLogicalWord(*this, target.logical);
  }
}

RootCache::RootCache(int16_t capacity)
    : EmitCacheForCode(1, capacity, Plain<kMsgRootCodeFull>(), OriginKind::kRcodorg) {}
void RootCache::FlushAndMark() {
  EmitCache::FlushAndMark();
  RootCodeEmitted() = true;
}
void RootCache::ClearUsedFlag() { RootCodeEmitted() = false; }
bool RootCache::WasUsed() const { return RootCodeEmitted(); }

XmemCache::XmemCache(int16_t capacity)
    : EmitCacheForCode(1, capacity, Plain<kMsgXmemCodeFull>(), OriginKind::kXcodorg) {}
void XmemCache::FlushAndMark() {
  EmitCache::FlushAndMark();
  XmemCodeEmitted() = true;
}
void XmemCache::ClearUsedFlag() { XmemCodeEmitted() = false; }
bool XmemCache::WasUsed() const { return XmemCodeEmitted(); }

bool XmemCache::CheckPageCross(int32_t count) {
  if (SourceLanguageMode != kLangC || !InSpaceCheck())
    return false;
  const uint32_t pageEnd = uint32_t(ExtWindowStart) + kPageSize;
  if (uint32_t(Current().logical) + uint32_t(count) < pageEnd)
    return false;
  ADDR24 next = Current();
  next.segment = uint8_t(next.segment + 1);
  if (CodeGenSetup().cpu == TargetCpu::Z180) {
    // The kernel switches the window to the next page and returns to the
    // same physical address, now seen one page lower.
    EmitByte(kOpLoadA);
    EmitByte(next.segment);
    EmitByte(kOpCall);
    EmitLogicalWord(*this, Collaborators().PageSwitchRoutine());
    next.logical = uint16_t(Current().logical - kPageSize);
  } else {
    next.logical = uint16_t(next.logical - kPageSize);
    if (next.logical <= uint16_t(ExtWindowStart - kLongJumpLength))
      next.logical = ExtWindowStart;
    next = Addr24Add(next, kLongJumpLength);
    Collaborators().EmitLongJump(next);
  }
  SetEmitAddress(next);
  return true;
}

WatchCache::WatchCache(int16_t capacity)
    : EmitCacheForCode(1, capacity, Plain<kMsgCodeSegmentFull>(), OriginKind::kWcodorg) {}

NullCache::NullCache(int16_t capacity)
    : EmitCacheForCode(1, capacity, Plain<kMsgCodeSegmentFull>(), OriginKind::kUnknown) {}

// ---- data caches -----------------------------------------------------------

EmitCacheForData::EmitCacheForData(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind)
    : EmitCache(direction, capacity, fullMessage, kind) {}

CRVConstantCache::CRVConstantCache(int16_t capacity)
    : EmitCacheForData(1, capacity, Plain<kMsgVariablesFull>(), OriginKind::kRconorg) {}
int32_t CRVConstantCache::PageNumber() const { return (Current().logical >> 12) + 1; }
void CRVConstantCache::ReportSegmentFull() { CompileErrorHere<kMsgConstantsFull>(); }

CRVVariableCache::CRVVariableCache(int16_t capacity, OriginKind kind)
    : EmitCacheForData(-1, capacity, Plain<kMsgVariablesFull>(), kind) {}
void CRVVariableCache::ReportSegmentFull() { CompileErrorHere<kMsgVariablesFull>(); }

// ---- pointers --------------------------------------------------------------

CachePointers &Caches() {
  static CachePointers pointers;
  return pointers;
}

} // namespace tsw
