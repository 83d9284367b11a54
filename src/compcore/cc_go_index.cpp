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
  std::string found = plat::ResolvePath(path).value_or(std::string());
  // A file first seen counts as changed: its stored time starts at 0.
  auto it = times_.try_emplace(key, 0).first;
  bool changed = FileTimeChanged(found, it->second) != 0;
  if (found.empty())
    times_.erase(it);
  return changed;
}

bool ModuleIndexService::LibDirChanged(const std::string &libDirPath) { return TimeChanged(libDirPath); }

std::vector<std::string> ModuleIndexService::LibraryPaths() {
  std::vector<std::string> paths;
  for (const ZLibEntry *lib : ModuleIndex().Libraries())
    paths.emplace_back(lib->name.View());
  return paths;
}

bool ModuleIndexService::LibraryChanged(const std::string &libraryPath) { return TimeChanged(libraryPath); }

} // namespace tsw
