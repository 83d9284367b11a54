#include "gui/common/model/tswbuf.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "foundation/xerr.h"
#include "foundation/msgnumbers.h"

namespace tsw::gui {

namespace {

constexpr const char *kModule = "gui\\common\\tswbuf";

class TempFileStore : public BackingStore {
public:
  explicit TempFileStore(int fd) : fd_(fd) {}
  ~TempFileStore() override { close(fd_); }

  bool Read(uint64_t offset, char *buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      ssize_t got = pread(fd_, buffer + done, count - done, off_t(offset + done));
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0)
        return false;
      if (got == 0)
        break;
      done += size_t(got);
    }
    std::memset(buffer + done, 0, count - done);
    return true;
  }

  bool Write(uint64_t offset, const char *buffer, size_t count) override {
    size_t done = 0;
    while (done < count) {
      ssize_t put = pwrite(fd_, buffer + done, count - done, off_t(offset + done));
      if (put < 0 && errno == EINTR)
        continue;
      if (put <= 0)
        return false;
      done += size_t(put);
    }
    return true;
  }

private:
  int fd_;
};

class MemoryStore : public BackingStore {
public:
  bool Read(uint64_t offset, char *buffer, size_t count) override {
    size_t have = offset < bytes_.size() ? std::min(count, size_t(bytes_.size() - offset)) : 0;
    if (have)
      std::memcpy(buffer, bytes_.data() + offset, have);
    std::memset(buffer + have, 0, count - have);
    return true;
  }
  bool Write(uint64_t offset, const char *buffer, size_t count) override {
    if (bytes_.size() < offset + count)
      bytes_.resize(offset + count);
    std::memcpy(bytes_.data() + offset, buffer, count);
    return true;
  }

private:
  std::vector<char> bytes_;
};

unsigned RoundSlotMask(unsigned requested) {
  unsigned bits = (requested - 1) & 0xFF;
  unsigned mask = 0;
  while (bits) {
    bits >>= 1;
    mask = mask * 2 + 1;
  }
  return mask;
}

} // namespace

BackingStore::~BackingStore() = default;

std::unique_ptr<BackingStore> MakeTempFileStore() {
  const char *dir = std::getenv("TMPDIR");
  std::string name = std::string(dir && *dir ? dir : "/tmp") + "/TBXXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0)
    throw xFileOpen(kMsgTempFile, name.c_str(), kModule, __LINE__);
  unlink(name.c_str());
  return std::make_unique<TempFileStore>(fd);
}

std::unique_ptr<BackingStore> MakeMemoryStore() { return std::make_unique<MemoryStore>(); }

cTextBuf::cTextBuf(unsigned slots, std::unique_ptr<BackingStore> store)
    : store_(store ? std::move(store) : MakeTempFileStore()), slotMask_(RoundSlotMask(slots)),
      slotCount_(slotMask_ + 2), pages_(size_t(slotCount_) * kPageSize), slots_(slotCount_) {}

cTextBuf::~cTextBuf() = default;

int64_t cTextBuf::SlotPage(unsigned slot) const {
  return slot < slotCount_ && slots_[slot].valid ? int64_t(slots_[slot].page) : -1;
}

uint32_t cTextBuf::Allocate(uint32_t size) {
  while (uint64_t(usedEnd_) + size >= fileEnd_) {
    uint32_t page = fileEnd_ / kPageSize;
    unsigned home = page & slotMask_;
    FlushRun(home);
    slots_[home] = Slot{page, true, false};
    fileEnd_ += kPageSize;
  }
  uint32_t start = usedEnd_;
  usedEnd_ += size;
  return start;
}

StoredText cTextBuf::StoreText(std::string_view text, bool keepFull) {
  uint16_t length = uint16_t(std::min<size_t>(text.size(), kMaxLineLength));
  uint32_t handle = Allocate(kFullStoredSize);
  char *room = Lock(handle);
  if (length)
    std::memcpy(room, text.data(), length);
  UnlockWritten(handle, length);
  uint16_t storedSize = kFullStoredSize;
  if (length < kMaxLineLength && !keepFull) {
    storedSize = uint16_t(length + 1);
    usedEnd_ -= kFullStoredSize - storedSize;
  }
  return StoredText{handle, storedSize, length};
}

char *cTextBuf::Lock(uint32_t offset) {
  if (lockedOffset_ != kNotLocked)
    return nullptr;
  unsigned slot = (offset / kPageSize) & slotMask_;
  LoadPage(offset, slot);
  LoadPage(offset + kPageSize, slot + 1);
  lockedOffset_ = offset;
  return SlotBytes(slot) + offset % kPageSize;
}

uint32_t cTextBuf::Unlock(uint32_t offset) {
  if (offset == lockedOffset_)
    lockedOffset_ = kNotLocked;
  return 0;
}

uint32_t cTextBuf::UnlockWritten(uint32_t offset, uint16_t length) {
  if (offset != lockedOffset_)
    return 0;
  unsigned first = (offset / kPageSize) & slotMask_;
  SlotBytes(first)[offset % kPageSize + length] = '\0';
  unsigned last = first + (offset % kPageSize + length) / kPageSize;
  slots_[first].dirty = true;
  slots_[last].dirty = true;
  SetLength(offset, length);
  lockedOffset_ = kNotLocked;
  return uint32_t(length) + 1;
}

void cTextBuf::SetLength(uint32_t handle, uint16_t length) {
  if (lengths_.empty() || lengths_.back().first < handle) {
    lengths_.emplace_back(handle, length);
    return;
  }
  auto at = std::lower_bound(lengths_.begin(), lengths_.end(), std::make_pair(handle, uint16_t(0)));
  if (at != lengths_.end() && at->first == handle)
    at->second = length;
  else
    lengths_.insert(at, {handle, length});
}

uint16_t cTextBuf::TextLength(uint32_t handle) const {
  auto at = std::lower_bound(lengths_.begin(), lengths_.end(), std::make_pair(handle, uint16_t(0)));
  return at != lengths_.end() && at->first == handle ? at->second : 0;
}

std::string cTextBuf::ReadText(uint32_t handle) {
  uint16_t length = TextLength(handle);
  const char *text = Lock(handle);
  std::string copy = text ? std::string(text, length) : std::string();
  Unlock(handle);
  return copy;
}

void cTextBuf::LoadPage(uint32_t offset, unsigned slot) {
  if (offset >= fileEnd_)
    return;
  uint32_t page = offset / kPageSize;
  unsigned spare = slotMask_ + 1;
  if (slot == spare && MoveSlot(page, spare, 0))
    return;
  if (slot == 0 && MoveSlot(page, 0, spare))
    return;
  if (slots_[slot].valid && slots_[slot].page == page)
    return;
  FlushRun(slot);
  if (!store_->Read(uint64_t(page) * kPageSize, SlotBytes(slot), kPageSize))
    errorFlags_ |= kIoFailed;
  slots_[slot] = Slot{page, true, false};
}

bool cTextBuf::MoveSlot(uint32_t page, unsigned destination, unsigned source) {
  Slot &from = slots_[source];
  if (!from.valid || from.page != page)
    return false;
  Slot &to = slots_[destination];
  if (to.valid && to.page != page)
    FlushRun(destination);
  std::memcpy(SlotBytes(destination), SlotBytes(source), kPageSize);
  FlushRun(source);
  to = Slot{from.page, true, false};
  from.valid = false;
  from.dirty = false;
  return true;
}

void cTextBuf::FlushRun(unsigned slot) {
  if (!slots_[slot].valid || !slots_[slot].dirty)
    return;
  uint32_t firstPage = slots_[slot].page;
  unsigned end = slot;
  while (end < slotCount_ && slots_[end].valid && slots_[end].dirty && slots_[end].page == firstPage + (end - slot))
    ++end;
  if (!store_->Write(uint64_t(firstPage) * kPageSize, SlotBytes(slot), size_t(end - slot) * kPageSize))
    errorFlags_ |= kIoFailed;
  for (unsigned s = slot; s < end; ++s)
    slots_[s].dirty = false;
}

} // namespace tsw::gui
