#include "compcore/cc_go_index.h"

#include "compcore/cc_mod.h"
#include "platform/paths.h"

namespace tsw {

int ModuleIndexService::Build(const std::string &programDir) {
  SetLibraryProgramDirectory(programDir);
  return BuildLibraryIndex(libDirPath_());
}

bool ModuleIndexService::TimeChanged(const std::string &path) {
  auto found = plat::ResolvePath(path);
  auto time = found ? plat::FileModTime(*found) : std::nullopt;
  std::string key = plat::PathKey(path);
  if (!time) {
    times_.erase(key);
    return true;
  }
  auto [it, added] = times_.try_emplace(key, *time);
  bool changed = added || it->second != *time;
  it->second = *time;
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
