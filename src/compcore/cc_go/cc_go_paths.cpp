#include "compcore/cc_go/cc_go_paths.h"

#include "platform/paths.h"

namespace tsw {
namespace {

bool HasExtension(std::string_view name) { return name.find('.') != std::string_view::npos; }

bool Reads(const char *mode) { return mode && mode[0] == 'r'; }

// The path as it stands on disk: the file itself when it exists; for a
// file to be made, its directory as found and the name as given.
std::string OnDisk(const std::string &path, const char *mode) {
  if (auto found = plat::ResolvePath(path))
    return *found;
  if (Reads(mode))
    return path;
  plat::SplitName parts = plat::SplitPath(path);
  auto dir = plat::ResolvePath(parts.dir.empty() ? "." : parts.dir);
  return dir ? plat::JoinPath(*dir, parts.name) : path;
}

FilePtr OpenMade(std::string &path, std::string_view name, std::string_view defaultPath, std::string_view ext,
                 const char *mode, uint16_t flags) {
  path = OnDisk(MakeFilePath(name, defaultPath, ext, flags), mode);
  return FilePtr(std::fopen(path.c_str(), mode));
}

} // namespace

std::string MakeFilePath(std::string_view path, std::string_view defaultPath, std::string_view ext, uint16_t flags) {
  plat::SplitName parts = plat::SplitPath(path);
  std::string dir = path.find_first_of("/\\") == std::string_view::npos ? std::string() : parts.dir;
  std::string name = parts.name;
  if (!ext.empty() && (!HasExtension(name) || (flags & kPathReplaceExtension)))
    name = plat::ReplaceExtension(name, ext);
  bool absolute = !path.empty() && plat::IsSeparator(path.front());
  if (!absolute) {
    std::string base;
    if (flags & kPathFromDefault) {
      size_t cut = defaultPath.find_last_of("/\\");
      if (cut != std::string_view::npos)
        base = std::string(defaultPath.substr(0, cut + 1));
    }
    if (base.empty())
      base = plat::CurrentDirectory();
    dir = plat::JoinPath(base, dir);
  }
  return plat::JoinPath(dir, name);
}

FilePtr OpenWithPath(std::string &path, std::string_view defaultPath, std::string_view ext, const char *mode,
                     uint16_t flags) {
  std::string name = path;
  return OpenMade(path, name, defaultPath, ext, mode, flags);
}

FilePtr OpenOnSearchPath(std::string_view name, std::string_view defaultPath, std::string_view ext, const char *mode,
                         uint16_t flags, std::string *found) {
  std::string tried;
  FilePtr file = OpenMade(tried, name, defaultPath, ext, mode, flags & ~kPathFromDefault);
  if (!file)
    file = OpenMade(tried, name, defaultPath, ext, mode, flags | kPathFromDefault);
  if (found)
    *found = tried;
  return file;
}

bool FindOnSearchPath(std::string &found, std::string_view defaultPath, std::string_view name, std::string_view ext,
                      uint16_t flags) {
  for (uint16_t pass : {uint16_t(flags & ~kPathFromDefault), uint16_t(flags | kPathFromDefault)}) {
    found = MakeFilePath(name, defaultPath, ext, pass);
    if (auto onDisk = plat::ResolvePath(found)) {
      found = *onDisk;
      return true;
    }
  }
  return false;
}

} // namespace tsw
