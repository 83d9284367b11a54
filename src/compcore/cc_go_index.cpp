#include "compcore/cc_go_index.h"

#include "compcore/cc_mod.h"
#include "platform/paths.h"

namespace tsw {

int ModuleIndexService::Build(const std::string &programDir) {
  SetLibraryProgramDirectory(programDir);
  return BuildLibraryIndex(libDirPath_());
}

bool ModuleIndexService::TimeChanged(const std::string &path) {
  std::string key = plat::PathKey(path);
  auto found = plat::ResolvePath(path);
  std::optional<uint32_t> time;
  if (found)
    time = plat::FileModTime(*found);
  if (!time) {
    times_.erase(key);
    return true;
  }
  uint32_t now = time.value();
  auto [it, added] = times_.try_emplace(key, now);
  bool changed = added || it->second != now;
  it->second = now;
  return changed;
}

bool ModuleIndexService::LibDirChanged(const std::string &libDirPath) { return TimeChanged(libDirPath); }

std::vector<std::string> ModuleIndexService::LibraryPaths() {
  std::vector<std::string> paths;
  for (const auto &lib : ModuleIndex().libraries)
    paths.push_back(lib->name);
  return paths;
}

bool ModuleIndexService::LibraryChanged(const std::string &libraryPath) { return TimeChanged(libraryPath); }

} // namespace tsw
