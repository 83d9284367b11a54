#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace tsw::plat {
namespace {

bool IsAbsolute(std::string_view path) { return !path.empty() && IsSeparator(path.front()); }

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (IsSeparator(c)) {
      if (!part.empty())
        parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty())
    parts.push_back(std::move(part));
  return parts;
}

bool Exists(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to case; an
// exact match wins over others.
std::optional<std::string> FindEntryNoCase(const std::string &dir, const std::string &name) {
  if (Exists(JoinPath(dir, name)))
    return name;
  DIR *d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d)
    return std::nullopt;
  std::optional<std::string> found;
  while (dirent *e = ::readdir(d)) {
    if (EqualNoCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

} // namespace

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  if (dir.empty())
    return std::string(name);
  if (IsAbsolute(name))
    return std::string(name);
  std::string joined(dir);
  if (!IsSeparator(joined.back()))
    joined += '/';
  for (char c : name)
    joined += c == '\\' ? '/' : c;
  return joined;
}

SplitName SplitPath(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos)
    return {"", std::string(path)};
  std::string dir(path.substr(0, cut));
  if (dir.empty())
    dir = "/";
  return {dir, std::string(path.substr(cut + 1))};
}

std::optional<std::string> ResolvePath(std::string_view name, std::string_view baseDir) {
  if (name.empty())
    return std::nullopt;
  std::string base = IsAbsolute(name) ? std::string("/") : std::string(baseDir);
  std::string unixName;
  for (char c : name)
    unixName += c == '\\' ? '/' : c;
  std::string exact = IsAbsolute(name) ? unixName : JoinPath(base, unixName);
  if (Exists(exact.empty() ? std::string(".") : exact))
    return exact;

  std::string path = base;
  for (const std::string &part : Components(name)) {
    if (part == "." || part == "..") {
      path = JoinPath(path, part);
      continue;
    }
    std::optional<std::string> entry = FindEntryNoCase(path, part);
    if (!entry)
      return std::nullopt;
    path = JoinPath(path, *entry);
  }
  return path;
}

std::string PathKey(std::string_view path) {
  std::string key;
  key.reserve(path.size());
  for (char c : path)
    key += c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

std::string ReplaceExtension(std::string_view path, std::string_view ext) {
  size_t nameStart = path.find_last_of("/\\");
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  size_t dot = path.find_last_of('.');
  std::string result(dot != std::string_view::npos && dot > nameStart ? path.substr(0, dot) : path);
  result += '.';
  result += ext;
  return result;
}

std::string ProgramDirectory() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0)
    return CurrentDirectory();
  buf.resize(static_cast<size_t>(n));
  return SplitPath(buf).dir;
}

std::string CurrentDirectory() {
  std::string buf(4096, '\0');
  if (!::getcwd(buf.data(), buf.size()))
    return ".";
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

std::string SystemConfigDirectory() {
  if (const char *dir = std::getenv("TSW_SYSCONFDIR"); dir && *dir)
    return dir;
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return JoinPath(xdg, "tsw");
  const char *home = std::getenv("HOME");
  return JoinPath(home && *home ? home : "/", ".config/tsw");
}

bool CanRead(std::string_view path) { return ::access(std::string(path).c_str(), R_OK) == 0; }

bool CanWrite(std::string_view path) { return ::access(std::string(path).c_str(), W_OK) == 0; }

std::optional<uint32_t> FileModTime(std::string_view path) {
  struct stat st;
  if (::stat(std::string(path).c_str(), &st) != 0)
    return std::nullopt;
  return static_cast<uint32_t>(st.st_mtime);
}

} // namespace tsw::plat
