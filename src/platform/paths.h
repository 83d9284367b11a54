#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// File names as the IDE's users and stored files write them: upper-cased and
// with backslashes. They must still open on a case-sensitive file system.
namespace tsw::plat {

struct SplitName {
  std::string dir;  // without the trailing separator; empty for a bare name
  std::string name; // the last component
};

bool IsSeparator(char c);
// Names compare this way wherever the case of stored names is not kept.
bool EqualNoCase(std::string_view a, std::string_view b);
std::string JoinPath(std::string_view dir, std::string_view name);
SplitName SplitPath(std::string_view path);

// Finds `name` on disk: the exact spelling first, then each component
// matched without regard to case. Relative names are taken against
// `baseDir` (the current directory when empty). Gives the path as found.
std::optional<std::string> ResolvePath(std::string_view name, std::string_view baseDir = {});

// The key two names are compared by: upper-cased, separators made '/'.
std::string PathKey(std::string_view path);

// Replaces the extension of the last component, or appends one when it has
// none. `ext` is given without the dot.
std::string ReplaceExtension(std::string_view path, std::string_view ext);

std::string ProgramDirectory();
std::string CurrentDirectory();
// Where the system-wide configuration lives: $TSW_SYSCONFDIR, else
// $XDG_CONFIG_HOME/tsw, else ~/.config/tsw.
std::string SystemConfigDirectory();

bool CanRead(std::string_view path);
bool CanWrite(std::string_view path);
std::optional<uint32_t> FileModTime(std::string_view path);

} // namespace tsw::plat
