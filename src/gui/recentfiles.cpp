#include "gui/recentfiles.h"

#include "platform/paths.h"
#include "platform/profile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>

namespace tsw {
namespace {

constexpr const char *kLimitKey = "Recent File List Limit";
constexpr const char *kOrderKey = "Recent File List";
constexpr size_t kOrderSize = 11;

std::string SlotSection(char letter) { return std::string("File ") + letter; }

std::optional<int64_t> ParseNumber(const std::optional<std::string> &text) {
  if (!text)
    return std::nullopt;
  long long value;
  int used = 0;
  if (std::sscanf(text->c_str(), "%lld%n", &value, &used) != 1 || static_cast<size_t>(used) != text->size())
    return std::nullopt;
  return value;
}

} // namespace

size_t RecentFiles::UsableSlots() const { return static_cast<size_t>(std::clamp<int>(limit_, 0, kSlotCount)); }

uint16_t RecentFiles::Count() const { return static_cast<uint16_t>(std::min(order_.size(), UsableSlots())); }

std::string RecentFiles::Get(size_t position) const {
  return position < Count() ? Slot(order_[position]).path : std::string();
}

RecentFileRecord *RecentFiles::GetRecord(size_t position) {
  return position < Count() ? &Slot(order_[position]) : nullptr;
}

std::optional<uint16_t> RecentFiles::Find(std::string_view path) const {
  for (size_t i = Count(); i-- > 0;)
    if (plat::EqualNoCase(Slot(order_[i]).path, path))
      return static_cast<uint16_t>(i);
  return std::nullopt;
}

std::optional<uint16_t> RecentFiles::Add(std::string_view path) {
  size_t usable = UsableSlots();
  if (usable == 0)
    return std::nullopt;
  for (size_t i = 0; i < Count(); ++i)
    if (plat::EqualNoCase(Slot(order_[i]).path, path))
      return static_cast<uint16_t>(i);

  char letter = 0;
  for (char c = 'A'; c < char('A' + usable) && !letter; ++c)
    if (order_.find(c) == std::string::npos)
      letter = c;
  if (!letter) // every slot in use: the least recent gives way
    letter = order_[usable - 1];
  order_.erase(std::remove(order_.begin(), order_.end(), letter), order_.end());
  order_.insert(order_.begin(), letter);
  if (order_.size() > usable)
    order_.resize(usable);
  Slot(letter).path = std::string(path.substr(0, RecentFileRecord::kPathSize - 1));
  return 0;
}

void RecentFiles::Remove(size_t position) {
  if (position < Count())
    order_.erase(position, 1);
}

void RecentFiles::Reset() {
  slots_ = {};
  order_.clear();
  limit_ = kDefaultLimit;
}

void RecentFiles::Load(const plat::ProfileDocument &doc, std::string_view mainSection) {
  if (std::optional<int64_t> limit = ParseNumber(doc.Get(mainSection, kLimitKey)))
    limit_ = static_cast<int16_t>(std::min<int64_t>(*limit, kSlotCount));

  // Only letters of usable slots, each once, stay: a damaged order text
  // must not name a slot twice or one outside the list.
  order_.clear();
  std::string stored = doc.Get(mainSection, kOrderKey).value_or("");
  if (stored.size() < kOrderSize)
    for (char c : stored)
      if (c >= 'A' && c < char('A' + UsableSlots()) && order_.find(c) == std::string::npos)
        order_ += c;

  for (char letter = 'A'; letter < char('A' + UsableSlots()); ++letter) {
    std::string section = SlotSection(letter);
    RecentFileRecord &record = Slot(letter);
    record = RecentFileRecord{};
    std::string path = doc.Get(section, "Path").value_or("");
    if (path.size() < RecentFileRecord::kPathSize)
      record.path = path;
    std::string window = doc.Get(section, "Window").value_or("");
    int x, y, w, h, z;
    if (std::sscanf(window.c_str(), "%d,%d,%d,%d,%d", &x, &y, &w, &h, &z) == 5) {
      record.x = x, record.y = y, record.width = w, record.height = h;
      record.zoomed = static_cast<uint16_t>(z);
    }
    record.topRow = static_cast<uint16_t>(ParseNumber(doc.Get(section, "Top Row")).value_or(0));
    std::string cursor = doc.Get(section, "Cursor").value_or("0,0");
    int line, column;
    if (std::sscanf(cursor.c_str(), "%d,%d", &line, &column) == 2) {
      record.caretLine = static_cast<uint16_t>(line);
      record.caretColumn = static_cast<uint16_t>(column);
    }
  }
}

void RecentFiles::Save(plat::ProfileDocument &doc, std::string_view mainSection) const {
  for (char letter = 'A'; letter < char('A' + UsableSlots()); ++letter) {
    std::string section = SlotSection(letter);
    const RecentFileRecord &r = Slot(letter);
    doc.Set(section, "Path", r.path);
    doc.Set(section, "Window", fmt::format("{},{},{},{},{}", r.x, r.y, r.width, r.height, r.zoomed));
    doc.Set(section, "Top Row", std::to_string(r.topRow));
    doc.Set(section, "Cursor", fmt::format("{},{}", r.caretLine, r.caretColumn));
  }
  doc.Set(mainSection, kLimitKey, std::to_string(limit_));
  doc.Set(mainSection, kOrderKey, order_);
}

std::vector<RecentMenuItem> RecentMenuItems(uint16_t count, const std::vector<std::string> &paths) {
  std::vector<RecentMenuItem> items;
  size_t shown = std::min({size_t(count), paths.size(), RecentFiles::kMenuItemCount});
  for (size_t i = 0; i < shown; ++i) {
    std::string text = "&" + std::to_string((i + 1) % 10) + " ";
    for (char c : paths[i]) {
      text += c;
      if (c == '&')
        text += '&';
    }
    items.push_back({RecentFiles::kFirstCommand + static_cast<uint32_t>(i), text});
  }
  return items;
}

std::vector<RecentMenuItem> RecentMenuItems(const RecentFiles &recent) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < recent.Count(); ++i)
    paths.push_back(recent.Get(i));
  return RecentMenuItems(recent.Count(), paths);
}

} // namespace tsw
