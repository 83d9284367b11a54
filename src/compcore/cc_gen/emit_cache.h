#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"
#include "foundation/msgcatalog.h"

#include <cstdint>
#include <memory>
#include <vector>

// Emit caches: every emitted byte of code or data is collected in a cache
// bound to an address window of one memory segment, and written out as a
// run when the buffer fills or the emit address moves. A code segment that
// runs full rolls the statement back and continues in the origin that
// follows it.
namespace tsw {

struct OriginDirective;

// Which origin directive serves a cache; names the directive in 2120.
enum class OriginKind : int32_t {
  kUnknown = 0,
  kRcodorg = 1,
  kXcodorg = 2,
  kWcodorg = 3,
  kRvarorg = 4,
  kXvarorg = 5,
  kWvarorg = 6,
  kRconorg = 7,
};
const char *OriginKindName(OriginKind kind);

// The space kept free at the end of every segment for the continuation.
inline constexpr int32_t kSegmentReserve = 128;

class EmitCache {
public:
  EmitCache(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind);
  EmitCache(const EmitCache &) = delete;
  virtual ~EmitCache() = default;
  // Copies the window, the buffered bytes and the flags (not the class).
  void Assign(const EmitCache &other);

  virtual void ResetBuffer();
  virtual bool Flush();
  virtual ADDR24 EmitByte(uint8_t byte);
  virtual ADDR24 StoreAt(ADDR24 address, uint8_t byte);
  void ArmUnattachedWarning() { warnUnattached_ = true; }
  virtual void FlushAndMark();
  void CheckSpaceGuarded();
  virtual bool CheckPageCross(int32_t count);
  virtual int32_t PageNumber() const { return 0; }
  virtual void ClearUsedFlag() {}
  virtual void CheckSegmentSpace();
  virtual void ReportSegmentFull() {}
  virtual void AfterSpaceCheck() {}
  bool WouldOverflow(int32_t count) const;
  virtual void EmitContinuation() {}
  virtual void WriteOut(ADDR24 address, uint16_t count, const uint8_t *bytes);
  virtual void ReadBack(ADDR24 address, uint16_t count, uint8_t *buffer);
  virtual bool WasUsed() const { return false; }
  // The discard cache's bytes go nowhere and it never warns.
  virtual bool IsNullCache() const { return false; }

  ADDR24 ResetWindow(ADDR24 address);
  ADDR24 ResetToOriginResume();
  // Offset of `address` in the buffered run: -3 window never set, -2 below
  // the window, -1 at or after `current`.
  int32_t OffsetOf(ADDR24 address) const;
  ADDR24 SetEmitAddress(ADDR24 address);
  uint8_t ReadAt(ADDR24 address);
  OriginDirective *GetOrigin() const;
  void WarnOnce();

  int32_t Direction() const { return direction_; }
  int16_t Count() const { return count_; }
  int16_t Capacity() const { return capacity_; }
  ADDR24 WindowStart() const { return windowStart_; }
  ADDR24 Current() const { return current_; }
  ADDR24 WindowEnd() const { return windowEnd_; }
  OriginKind Kind() const { return kind_; }
  PlainMessage FullMessage() const { return fullMessage_; }
  bool Initialized() const { return initialized_; }
  bool Enabled() const { return enabled_; }
  OriginDirective *AttachedOrigin() const { return origin_; }
  void Attach(OriginDirective *origin) { origin_ = origin; }
  void SetCurrent(ADDR24 address) { current_ = address; }
  const uint8_t *Bytes() const;

protected:
  void PutByte(uint8_t byte);
  bool CapturesFixupBytes() const { return capturesFixups_; }
  void SetCapturesFixupBytes() { capturesFixups_ = true; }
  bool InSpaceCheck() const { return inSpaceCheck_; }

private:
  int32_t direction_;
  int16_t count_ = 0;
  int16_t position_ = 0;
  int16_t capacity_;
  std::vector<uint8_t> buffer_;
  ADDR24 windowStart_{};
  ADDR24 current_{};
  ADDR24 windowEnd_{};
  PlainMessage fullMessage_;
  OriginKind kind_;
  bool warnUnattached_ = true;
  OriginDirective *origin_ = nullptr;
  bool inSpaceCheck_ = false;
  bool initialized_ = false;
  bool enabled_ = true;
  bool capturesFixups_ = false;
};

class EmitCacheForCode : public EmitCache {
public:
  EmitCacheForCode(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind);
  void ResetBuffer() override;
  void ReportSegmentFull() override;
  // The jump from the end of a full segment to where its follower resumes.
  void EmitContinuation() override;
};

class RootCache : public EmitCacheForCode {
public:
  explicit RootCache(int16_t capacity);
  void FlushAndMark() override;
  void ClearUsedFlag() override;
  bool WasUsed() const override;
};

class XmemCache : public EmitCacheForCode {
public:
  explicit XmemCache(int16_t capacity);
  void FlushAndMark() override;
  void ClearUsedFlag() override;
  bool WasUsed() const override;
  bool CheckPageCross(int32_t count) override;
  void AfterSpaceCheck() override { CheckPageCross(0); }
};

class WatchCache : public EmitCacheForCode {
public:
  explicit WatchCache(int16_t capacity);
};

class NullCache : public EmitCacheForCode {
public:
  explicit NullCache(int16_t capacity);
  void WriteOut(ADDR24, uint16_t, const uint8_t *) override {}
  bool IsNullCache() const override { return true; }
};

class EmitCacheForData : public EmitCache {
public:
  EmitCacheForData(int32_t direction, int16_t capacity, PlainMessage fullMessage, OriginKind kind);
};

class CRVConstantCache : public EmitCacheForData {
public:
  explicit CRVConstantCache(int16_t capacity);
  int32_t PageNumber() const override;
  void ReportSegmentFull() override;
};

class CRVVariableCache : public EmitCacheForData {
public:
  CRVVariableCache(int16_t capacity, OriginKind kind);
  void ReportSegmentFull() override;
  void WriteOut(ADDR24, uint16_t, const uint8_t *) override {}
};

// The active caches. SwitchCodeCacheSet points them at the fixed objects;
// code selection moves CurrentCodeCache and CurrentConstantCache.
struct CachePointers {
  EmitCache *currentCode = nullptr;
  EmitCache *rootCode = nullptr;
  EmitCache *xmemCode = nullptr;
  EmitCache *watchCode = nullptr;
  EmitCache *constant = nullptr;
  EmitCache *rootVariable = nullptr;
  EmitCache *watchVariable = nullptr;
  EmitCache *currentConstant = nullptr;
  // Made by the origin options "debug" and "nodebug".
  XmemCache *debugXmem = nullptr;
  XmemCache *nodebugXmem = nullptr;
};
CachePointers &Caches();
// Every cache that exists: the fixed set, the discard cache and the
// option caches. The code-state snapshot covers all of them.
std::vector<EmitCache *> AllCaches();

// Shared by every root and every extended-memory code cache.
bool &RootCodeEmitted();
bool &XmemCodeEmitted();

// Where every flushed run goes and where flushed bytes are read back from;
// installed by the compiler's assembly. Without one, runs go nowhere and
// read-backs give 0.
class RunWriter {
public:
  virtual ~RunWriter() = default;
  virtual void WriteRun(uint16_t count, ADDR24 address, const uint8_t *bytes) = 0;
  // False when the bytes are neither emitted nor readable from a board.
  virtual bool ReadBack(ADDR24 address, uint16_t count, uint8_t *out) = 0;
};
void SetRunWriter(RunWriter *writer);

// The label tables' opcode capture: the next byte emitted or stored at
// `address` by a code cache also goes to the sink.
using FixupByteSink = void (*)(uint8_t byte);
void ArmFixupByteCapture(ADDR24 address, FixupByteSink sink);
void DisarmFixupByteCapture();
ADDR24 CaptureFixupByte(ADDR24 address, uint8_t byte);

} // namespace tsw
