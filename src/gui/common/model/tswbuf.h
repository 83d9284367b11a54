#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The page store: every line text of a document lives in a private backing
// store behind a small direct-mapped cache of 512-byte pages. Texts are only
// ever appended, never moved or overwritten by a later store, so an old
// handle keeps naming the old text: that is what undo is built on.
namespace tsw::gui {

// Where the pages go. Reads past what was ever written give zeros.
class BackingStore {
public:
  virtual ~BackingStore();
  virtual bool Read(uint64_t offset, char *buffer, size_t count) = 0;
  virtual bool Write(uint64_t offset, const char *buffer, size_t count) = 0;
};

// A file made with mkstemp in $TMPDIR (else /tmp), named "TB...", unlinked
// at once so that none outlives a crash. Throws xFileOpen 5022 when it cannot
// be made.
std::unique_ptr<BackingStore> MakeTempFileStore();
std::unique_ptr<BackingStore> MakeMemoryStore();

inline constexpr uint32_t kPageSize = 512;
inline constexpr uint16_t kMaxLineLength = 512;
// The room of a text stored full: 512 bytes and the terminator.
inline constexpr uint16_t kFullStoredSize = kMaxLineLength + 1;

struct StoredText {
  uint32_t handle;
  uint16_t storedSize; // the room reserved: length + 1, or 513 when full
  uint16_t length;
};

class cTextBuf {
public:
  enum ErrorFlag : uint8_t { kTableAllocFailed = 8, kIoFailed = 16 };
  static constexpr uint32_t kNotLocked = 0xFFFFFFFF;

  // `slots` direct slots are rounded up to a power of two; a null store
  // means a fresh temporary file.
  explicit cTextBuf(unsigned slots, std::unique_ptr<BackingStore> store = nullptr);
  virtual ~cTextBuf();
  cTextBuf(const cTextBuf &) = delete;
  cTextBuf &operator=(const cTextBuf &) = delete;

  uint32_t Allocate(uint32_t size);
  // Stores at most 512 bytes of `text` (any byte, NUL included) and a
  // terminator after them.
  StoredText StoreText(std::string_view text, bool keepFull);

  // The text at `offset` as one run of memory, valid until the unlock; null
  // while another text is locked.
  char *Lock(uint32_t offset);
  // Releases the lock without writing; 0.
  uint32_t Unlock(uint32_t offset);
  // The caller wrote `length` bytes at the lock (within the room reserved):
  // they are terminated, marked for write-back and remembered as the text's
  // length. Gives the bytes written, terminator included, 0 when `offset`
  // was not the locked one.
  uint32_t UnlockWritten(uint32_t offset, uint16_t length);

  // The length of the text stored at `handle`, as last stored or written.
  uint16_t TextLength(uint32_t handle) const;
  // A copy of the text at `handle`.
  std::string ReadText(uint32_t handle);

  uint8_t ErrorFlags() const { return errorFlags_; }
  uint32_t UsedEnd() const { return usedEnd_; }
  uint32_t FileEnd() const { return fileEnd_; }
  uint32_t LockedOffset() const { return lockedOffset_; }
  unsigned SlotMask() const { return slotMask_; }
  unsigned SlotCount() const { return slotCount_; }
  // The page a slot validly holds, or -1.
  int64_t SlotPage(unsigned slot) const;

private:
  struct Slot {
    uint32_t page = 0;
    bool valid = false;
    bool dirty = false;
  };

  void LoadPage(uint32_t offset, unsigned slot);
  bool MoveSlot(uint32_t page, unsigned destination, unsigned source);
  void FlushRun(unsigned slot);
  void SetLength(uint32_t handle, uint16_t length);
  char *SlotBytes(unsigned slot) { return pages_.data() + size_t(slot) * kPageSize; }

  std::unique_ptr<BackingStore> store_;
  uint32_t usedEnd_ = 0;
  uint32_t fileEnd_ = 0;
  uint32_t lockedOffset_ = kNotLocked;
  uint8_t errorFlags_ = 0;
  unsigned slotMask_;
  unsigned slotCount_;
  std::vector<char> pages_;
  std::vector<Slot> slots_;
  // Handle and length of every text stored, in handle order (handles only
  // grow): a text may hold any byte, so its length cannot be read from it.
  std::vector<std::pair<uint32_t, uint16_t>> lengths_;
};

} // namespace tsw::gui
