#include "platform/profile.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace tsw::plat {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

std::optional<std::string> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[')
    return std::nullopt;
  size_t close = line.find(']');
  if (close == std::string_view::npos)
    return std::nullopt;
  return std::string(Trim(line.substr(1, close - 1)));
}

// The key of a "key=value" line; nothing for comments, blanks and sections.
std::optional<std::string_view> KeyOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[')
    return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos)
    return std::nullopt;
  return Trim(t.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
  std::string_view t = Trim(line);
  std::string_view value = Trim(t.substr(t.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string ResolveOrKeep(const std::string &file) { return ResolvePath(file).value_or(file); }

std::vector<std::string> ReadLines(const std::string &path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::optional<std::string> Lookup(const char *section, const char *key, const std::string &file) {
  bool inSection = false;
  for (const std::string &line : ReadLines(ResolveOrKeep(file))) {
    if (std::optional<std::string> name = SectionName(line)) {
      inSection = EqualNoCase(*name, section);
      continue;
    }
    if (inSection) {
      std::optional<std::string_view> k = KeyOf(line);
      if (k && EqualNoCase(*k, key))
        return std::string(ValueOf(line));
    }
  }
  return std::nullopt;
}

} // namespace

uint32_t GetPrivateProfileString(const char *section, const char *key, const char *def, char *buf,
                                 uint32_t size, const std::string &file) {
  if (!buf || size == 0)
    return 0;
  std::string value = GetProfileString(section, key, def, file);
  uint32_t n = static_cast<uint32_t>(std::min<size_t>(value.size(), size - 1));
  std::memcpy(buf, value.data(), n);
  buf[n] = '\0';
  return n;
}

std::string GetProfileString(const char *section, const char *key, const char *def,
                             const std::string &file) {
  if (section && key)
    if (std::optional<std::string> value = Lookup(section, key, file))
      return *value;
  return def ? def : "";
}

bool WritePrivateProfileString(const char *section, const char *key, const char *value,
                               const std::string &file) {
  if (!section)
    return false;
  std::string path = ResolveOrKeep(file);
  std::vector<std::string> lines = ReadLines(path);

  std::vector<std::string> out;
  bool inSection = false, sectionSeen = false, done = false;
  size_t sectionEnd = 0; // where a new key of the section goes
  for (const std::string &line : lines) {
    if (std::optional<std::string> name = SectionName(line)) {
      inSection = EqualNoCase(*name, section);
      if (inSection) {
        sectionSeen = true;
        if (!key) // the whole section goes
          continue;
      }
      out.push_back(line);
      if (inSection)
        sectionEnd = out.size();
      continue;
    }
    if (inSection && !key)
      continue;
    if (inSection && !done) {
      std::optional<std::string_view> k = KeyOf(line);
      if (k && EqualNoCase(*k, key)) {
        done = true;
        if (value)
          out.push_back(std::string(*k) + "=" + value);
        sectionEnd = out.size();
        continue;
      }
      if (!Trim(line).empty())
        sectionEnd = out.size() + 1;
    }
    out.push_back(line);
  }
  if (key && value && !done) {
    std::string entry = std::string(key) + "=" + value;
    if (sectionSeen) {
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
    } else {
      out.push_back("[" + std::string(section) + "]");
      out.push_back(entry);
    }
  }

  std::ostringstream text;
  for (const std::string &line : out)
    text << line << '\n';
  return WriteFileAtomically(path, text.str());
}

} // namespace tsw::plat
