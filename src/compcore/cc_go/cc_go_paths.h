#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Completing file names against the current directory or a default
// directory, and opening them. Names may be written upper-cased and with
// backslashes; they are found through the platform's case-insensitive
// resolution, and the process's current directory is never changed.
namespace tsw {

enum : uint16_t {
  kPathFromDefault = 1,      // relative names are taken against the default path's directory
  kPathReplaceExtension = 2, // the extension argument replaces the name's own
};

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The name with the extension (without its dot) added when it has none, or
// always with kPathReplaceExtension; a relative directory is taken against
// the default path's directory (kPathFromDefault and it has one), else the
// current directory.
std::string MakeFilePath(std::string_view path, std::string_view defaultPath, std::string_view ext, uint16_t flags);
// MakeFilePath, then opens with the C library `mode`; `path` becomes the
// path tried (as found on disk when it exists).
FilePtr OpenWithPath(std::string &path, std::string_view defaultPath, std::string_view ext, const char *mode,
                     uint16_t flags);
// Tries the name against the current directory, then against the default
// path; `found` (when given) receives the last path tried.
FilePtr OpenOnSearchPath(std::string_view name, std::string_view defaultPath, std::string_view ext, const char *mode,
                         uint16_t flags, std::string *found);
// The same search by the file's status, without opening; false when
// neither path names a file.
bool FindOnSearchPath(std::string &found, std::string_view defaultPath, std::string_view name, std::string_view ext,
                      uint16_t flags);

} // namespace tsw
