#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMenu;

// The files closed most recently, each with where its editor stood, offered
// at the end of the File menu. Slots are named by the letters 'A' to 'J';
// the order text lists the letters in use, most recent first.
namespace tsw {

namespace plat {
class ProfileDocument;
}

struct RecentFileRecord {
  static constexpr size_t kPathSize = 260;
  std::string path; // at most kPathSize - 1 characters
  int32_t x = 0, y = 0, width = 0, height = 0;
  uint16_t zoomed = 0;
  uint16_t topRow = 0;
  uint16_t caretLine = 0, caretColumn = 0;
};

struct RecentMenuItem {
  uint32_t commandId;
  std::string text;
};

class RecentFiles {
public:
  static constexpr size_t kSlotCount = 10;
  static constexpr int16_t kDefaultLimit = 9;
  static constexpr uint32_t kFirstCommand = 10; // commands 10..18 open positions 0..8
  static constexpr size_t kMenuItemCount = 9;

  uint16_t Count() const;
  // The path at `position` (0 = most recent); empty at or beyond the count.
  std::string Get(size_t position) const;
  // Null unless `position` is below the count.
  RecentFileRecord *GetRecord(size_t position);
  // The position of `path` (found without regard to case, nothing moves),
  // or 0 for a new entry in front; nothing when the limit leaves no slot.
  // Only the path of a new entry's record is set.
  std::optional<uint16_t> Add(std::string_view path);
  void Remove(size_t position);
  // The position of `path` searched from the least recent entry.
  std::optional<uint16_t> Find(std::string_view path) const;

  int16_t Limit() const { return limit_; }
  const std::string &OrderText() const { return order_; }
  // The limit and order as a fresh start has them.
  void Reset();

  void Load(const plat::ProfileDocument &doc, std::string_view mainSection);
  void Save(plat::ProfileDocument &doc, std::string_view mainSection) const;

private:
  size_t UsableSlots() const;
  RecentFileRecord &Slot(char letter) { return slots_[static_cast<size_t>(letter - 'A')]; }
  const RecentFileRecord &Slot(char letter) const { return slots_[static_cast<size_t>(letter - 'A')]; }

  std::array<RecentFileRecord, kSlotCount> slots_;
  std::string order_;
  int16_t limit_ = kDefaultLimit;
};

// The File menu's items for the list: "&1 path" ... "&9 path" with every
// '&' of a path doubled so it shows as itself.
std::vector<RecentMenuItem> RecentMenuItems(uint16_t count, const std::vector<std::string> &paths);
std::vector<RecentMenuItem> RecentMenuItems(const RecentFiles &recent);

// Puts the items at the end of `fileMenu`, replacing those it had (and the
// separator before them).
void RebuildRecentFileMenu(QMenu &fileMenu, const RecentFiles &recent);

} // namespace tsw
