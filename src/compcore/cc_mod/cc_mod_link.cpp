#include "compcore/cc_mod/cc_mod_link.h"

#include "compcore/cc_mod/cc_mod.h"
#include "compcore/common/cc_session.h"
#include "platform/paths.h"

namespace tsw {
namespace {

std::string FileName(std::string_view path) { return plat::SplitPath(path).name; }

// A file name's base name and extension, upper-cased, without directory.
struct BaseAndExtension {
  std::string base, extension;
};
BaseAndExtension SplitFileName(std::string_view path) {
  std::string file = plat::PathKey(FileName(path));
  size_t dot = file.rfind('.');
  if (dot == std::string::npos)
    return {file, {}};
  return {file.substr(0, dot), file.substr(dot + 1)};
}

// The first library of the index with the same base name, and the same
// extension unless the name gives none.
ZLibEntry *FindUsedLibrary(const std::string &name) {
  BaseAndExtension wanted = SplitFileName(name);
  for (ZLibEntry *lib : ModuleIndex().Libraries()) {
    BaseAndExtension have = SplitFileName(lib->name.View());
    if (have.base == wanted.base && (wanted.extension.empty() || have.extension == wanted.extension))
      return lib;
  }
  return nullptr;
}

std::string OnDisk(const ZLibEntry &library) {
  std::string name(library.name.View());
  return plat::ResolvePath(name).value_or(name);
}

} // namespace

bool ModuleIndexLink::UseLibrary(const std::string &name, std::string &path, std::vector<ModuleSegment> &headers,
                                 bool &alreadyUsed) {
  ZLibEntry *library = FindUsedLibrary(name);
  if (!library)
    return false;
  path = OnDisk(*library);
  alreadyUsed = (library->flags & ZLibEntry::kHeadersRead) != 0;
  library->flags |= ZLibEntry::kHeadersRead;
  headers.clear();
  library->modules.ForEach([&](const ZModEntry *m) {
    headers.push_back({path, m->headerStart, m->headerEnd, m->headerLine});
  });
  InsertLibraryNames(*library, ModuleIndex(), false);
  if (!BiosCompileFlag())
    AddUsedLibrary(FileName(library->name.View()));
  return true;
}

bool ModuleIndexLink::NextModuleToLink(ModuleSegment &body) {
  ZModEntry *m = NextNeededModule();
  if (!m)
    return false;
  body = {OnDisk(*m->library), m->bodyStart, m->bodyEnd, m->bodyLine};
  return true;
}

size_t ModuleIndexLink::PendingNameCount() const { return PendingLabelCount(); }

} // namespace tsw
