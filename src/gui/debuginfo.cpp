#include "gui/debuginfo.h"

#include "platform/paths.h"
#include "platform/profile.h"

#include <fmt/format.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>

namespace tsw {
namespace {

constexpr const char *kSection = "Debug Environment";
constexpr size_t kExpressionBuffer = 256;
constexpr const char *kMissingExpression = ";";
// A damaged count must not make us invent entries without end.
constexpr int64_t kMaxStoredExpressions = 1024;

struct ListKeys {
  const char *count;
  const char *entry;
};
constexpr ListKeys kWatchKeys{"Number of Watches", "Watch{}"};
constexpr ListKeys kHistoryKeys{"Number of cbWatches", "cbWatch{}"};

// Leading decimal digits, as the profile's number reader takes them.
int64_t LeadingNumber(const std::optional<std::string> &text) {
  if (!text)
    return 0;
  int64_t value = 0;
  std::from_chars(text->data(), text->data() + text->size(), value);
  return value;
}

void LoadList(const plat::ProfileDocument &doc, const ListKeys &keys, cWatchList &list) {
  list.Clear();
  int64_t count = std::clamp<int64_t>(LeadingNumber(doc.Get(kSection, keys.count)), 0, kMaxStoredExpressions);
  for (int64_t i = 0; i < count; ++i) {
    std::string text = doc.Get(kSection, fmt::format(fmt::runtime(keys.entry), i)).value_or(kMissingExpression);
    list.Insert(-1, std::string_view(text).substr(0, kExpressionBuffer - 1));
  }
}

void SaveList(plat::ProfileDocument &doc, const ListKeys &keys, const cWatchList &list) {
  if (list.Count() == 0)
    return;
  doc.Set(kSection, keys.count, std::to_string(list.Count()));
  for (size_t i = 0; i < list.Count(); ++i)
    doc.Set(kSection, fmt::format(fmt::runtime(keys.entry), i), list.GetExpression(i));
}

} // namespace

void cDebugInfo::CopyFrom(const cDebugInfo &other) {
  for (auto [to, from] : {std::pair{&watches_, &other.watches_}, {&history_, &other.history_}}) {
    to->Clear();
    to->MarkUncompiled();
    for (const std::string &text : from->Expressions())
      to->Insert(-1, text);
  }
  // The copy stands for the same file, so it knows what the file holds.
  fileWatches_ = other.fileWatches_;
  fileHistory_ = other.fileHistory_;
}

bool cDebugInfo::ChangedSinceFile() const {
  return watches_.Expressions() != fileWatches_ || history_.Expressions() != fileHistory_;
}

std::string DebugFilePath(std::string_view sourcePath) { return plat::ReplaceExtension(sourcePath, "DBG"); }

void LoadWatches(std::string_view sourcePath, cDebugInfo &info) {
  plat::ProfileDocument doc(DebugFilePath(sourcePath));
  LoadList(doc, kWatchKeys, info.watches_);
  LoadList(doc, kHistoryKeys, info.history_);
  info.fileWatches_ = info.watches_.Expressions();
  info.fileHistory_ = info.history_.Expressions();
}

bool SaveWatches(std::string_view sourcePath, cDebugInfo &info) {
  if (!info.ChangedSinceFile())
    return true;
  std::string path = plat::ResolvePath(DebugFilePath(sourcePath)).value_or(DebugFilePath(sourcePath));
  bool ok;
  if (info.watches_.Count() == 0 && info.history_.Count() == 0) {
    ok = ::unlink(path.c_str()) == 0 || errno == ENOENT;
  } else {
    plat::ProfileDocument doc(path);
    doc.RemoveSection(kSection);
    SaveList(doc, kWatchKeys, info.watches_);
    SaveList(doc, kHistoryKeys, info.history_);
    ok = doc.Save();
  }
  if (ok) {
    info.fileWatches_ = info.watches_.Expressions();
    info.fileHistory_ = info.history_.Expressions();
  }
  return ok;
}

void DebugInfoDocumentPort::LoadWatches(const std::string &sourcePath) { tsw::LoadWatches(sourcePath, info_); }

void DebugInfoDocumentPort::SaveWatches(const std::string &sourcePath) {
  if (!tsw::SaveWatches(sourcePath, info_))
    std::fprintf(stderr, "tsw: the watches of %s could not be saved to %s\n", sourcePath.c_str(),
                 DebugFilePath(sourcePath).c_str());
}

void DebugInfoDocumentPort::CopyFrom(const gui::DebugInfoPort &other) {
  if (auto *port = dynamic_cast<const DebugInfoDocumentPort *>(&other))
    info_.CopyFrom(port->info_);
}

gui::DebugInfoFactory DebugInfoForDocuments() {
  return [] { return std::make_unique<DebugInfoDocumentPort>(); };
}

} // namespace tsw
