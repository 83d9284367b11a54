#include "compcore/cc_go/cc_go_index.h"

#include "compcore/cc_mod/cc_mod.h"
#include "platform/paths.h"

namespace tsw {

int ModuleIndexService::Build(const std::string &programDir) {
  SetLibraryProgramDirectory(programDir);
  return BuildLibraryIndex(libDirPath_());
}

bool ModuleIndexService::StampChanged(const std::string &path, const FileStamp &first) {
  std::string key = plat::PathKey(path);
  std::string found = plat::ResolvePath(path).value_or(std::string());
  auto it = stamps_.try_emplace(key, first).first;
  bool changed = FileStampChanged(found, it->second) != 0;
  if (found.empty())
    stamps_.erase(it);
  return changed;
}

// The directory file first seen counts as changed: that costs one index
// pass, which leaves an unchanged index as it is.
bool ModuleIndexService::LibDirChanged(const std::string &libDirPath) { return StampChanged(libDirPath, {}); }

std::vector<std::string> ModuleIndexService::LibraryPaths() {
  std::vector<std::string> paths;
  for (const ZLibEntry *lib : ModuleIndex().Libraries())
    paths.emplace_back(lib->name.View());
  return paths;
}

// A library first seen is compared with the time it was indexed with, so an
// unchanged library that a compile used does not ask for a BIOS compile.
bool ModuleIndexService::LibraryChanged(const std::string &libraryPath) {
  const ZLibEntry *library = ModuleIndex().FindLibrary(libraryPath);
  return StampChanged(libraryPath, library ? library->stamp : FileStamp{});
}

} // namespace tsw
