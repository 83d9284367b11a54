#include "platform/profile.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace tsw::plat {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty())
    return false;
  auto outer = [](char c) { return IsQuote(c) || std::isspace(static_cast<unsigned char>(c)); };
  return outer(value.front()) || outer(value.back());
}

std::string EntryLine(std::string_view key, std::string_view value) {
  std::string line(key);
  line += '=';
  if (NeedsQuotes(value)) {
    line += '"';
    line += value;
    line += '"';
  } else {
    line += value;
  }
  return line;
}

std::string ResolveOrKeep(const std::string &file) { return ResolvePath(file).value_or(file); }

// Reads what can be read; a directory or an unreadable file reads as empty.
std::string ReadWhole(const std::string &path) {
  std::string text;
  if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
      text.append(chunk, n);
    std::fclose(f);
  }
  return text;
}

// A file whose owner took away every write permission is not ours to
// replace, even when the directory would let us.
bool WriteProtected(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

ProfileDocument::ProfileDocument(std::string path) : path_(ResolveOrKeep(path)) { Parse(ReadWhole(path_)); }

void ProfileDocument::Parse(std::string_view text) {
  lines_.clear();
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r')
      raw.remove_suffix(1);

    Line line;
    line.raw = raw;
    std::string_view t = Trim(raw);
    if (!t.empty() && t.front() == '[') {
      size_t close = t.find(']');
      if (close != std::string_view::npos) {
        line.kind = Line::kSection;
        line.name = Trim(t.substr(1, close - 1));
      }
    } else if (!t.empty() && t.front() != ';') {
      size_t eq = t.find('=');
      if (eq != std::string_view::npos) {
        line.kind = Line::kEntry;
        line.name = Trim(t.substr(0, eq));
        line.value = Unquote(Trim(t.substr(eq + 1)));
      }
    }
    lines_.push_back(std::move(line));
  }
}

std::optional<std::string> ProfileDocument::Get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const Line &line : lines_) {
    if (line.kind == Line::kSection)
      inSection = EqualNoCase(line.name, section);
    else if (inSection && line.kind == Line::kEntry && EqualNoCase(line.name, key))
      return line.value;
  }
  return std::nullopt;
}

void ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  changes_.push_back({std::string(section), std::string(key), std::string(value)});
  Apply(changes_.back());
}

void ProfileDocument::Remove(std::string_view section, std::string_view key) {
  if (key.empty())
    return;
  changes_.push_back({std::string(section), std::string(key), std::nullopt});
  Apply(changes_.back());
}

void ProfileDocument::RemoveSection(std::string_view section) {
  changes_.push_back({std::string(section), std::string(), std::nullopt});
  Apply(changes_.back());
}

void ProfileDocument::Apply(const Change &change) {
  bool dropSection = change.key.empty() && !change.value;
  std::optional<std::string> value;
  if (change.value)
    value = change.value->substr(0, change.value->find_first_of("\r\n"));
  std::vector<Line> out;
  out.reserve(lines_.size() + 2);
  bool inSection = false, sectionSeen = false, done = false;
  size_t sectionEnd = 0; // where a new key of the section goes
  for (Line &line : lines_) {
    if (line.kind == Line::kSection) {
      inSection = EqualNoCase(line.name, change.section);
      if (inSection) {
        if (dropSection)
          continue;
        sectionSeen = true;
      }
      out.push_back(std::move(line));
      if (inSection)
        sectionEnd = out.size();
      continue;
    }
    if (inSection && dropSection)
      continue;
    if (inSection && !done) {
      if (line.kind == Line::kEntry && EqualNoCase(line.name, change.key)) {
        done = true;
        if (value) // the stored spelling of the key stays
          out.push_back({EntryLine(line.name, *value), Line::kEntry, line.name, *value});
        sectionEnd = out.size();
        continue;
      }
      if (!Trim(line.raw).empty())
        sectionEnd = out.size() + 1;
    }
    out.push_back(std::move(line));
  }
  if (value && !done) {
    Line entry{EntryLine(change.key, *value), Line::kEntry, change.key, *value};
    if (sectionSeen) {
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(sectionEnd), std::move(entry));
    } else {
      out.push_back({"[" + change.section + "]", Line::kSection, change.section, {}});
      out.push_back(std::move(entry));
    }
  }
  lines_ = std::move(out);
}

std::string ProfileDocument::Text() const {
  std::string text;
  for (const Line &line : lines_) {
    text += line.raw;
    text += '\n';
  }
  return text;
}

bool ProfileDocument::Save() {
  if (WriteProtected(path_))
    return false;
  Parse(ReadWhole(path_));
  for (const Change &change : changes_)
    Apply(change);
  if (!WriteFileAtomically(path_, Text()))
    return false;
  changes_.clear();
  return true;
}

uint32_t GetPrivateProfileString(const char *section, const char *key, const char *def, char *buf, uint32_t size,
                                 const std::string &file) {
  if (!buf || size == 0)
    return 0;
  std::string value = GetProfileString(section, key, def, file);
  uint32_t n = static_cast<uint32_t>(std::min<size_t>(value.size(), size - 1));
  std::memcpy(buf, value.data(), n);
  buf[n] = '\0';
  return n;
}

std::string GetProfileString(const char *section, const char *key, const char *def, const std::string &file) {
  if (section && key)
    if (std::optional<std::string> value = ProfileDocument(file).Get(section, key))
      return *value;
  return def ? def : "";
}

bool WritePrivateProfileString(const char *section, const char *key, const char *value, const std::string &file) {
  if (!section)
    return false;
  ProfileDocument doc(file);
  if (!key)
    doc.RemoveSection(section);
  else if (value)
    doc.Set(section, key, value);
  else
    doc.Remove(section, key);
  return doc.Save();
}

} // namespace tsw::plat
