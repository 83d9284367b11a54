#include "compcore/cc_mod.h"

#include "compcore/cc_er.h"
#include "compcore/cc_in.h"
#include "foundation/restext.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>

namespace tsw {
namespace {

constexpr size_t kMaxHeaderName = 32;
constexpr size_t kMaxDirLine = 255;
constexpr std::string_view kDescriptionMark = "/* START FUNCTION DESCRIPTION";
constexpr std::string_view kBeginHeader = "/*** beginheader";
constexpr std::string_view kEndHeader = "/*** endheader";

struct ModState {
  ZLibMaster modules;
  ZLibMaster descriptions;
  std::string programDir;
  std::optional<uint32_t> libDirTime;
  std::function<void(const LibraryIndexMessage &)> sink;
};

ModState &St() {
  static ModState s;
  return s;
}

void Notify(unsigned message, std::vector<std::string> args = {}, bool box = false) {
  if (St().sink)
    St().sink({message, std::move(args), box});
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> ReadWholeFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The library text split at LF, each line with its start offset.
struct Line {
  size_t start, end; // end: behind the LF
  std::string_view text;
};
std::vector<Line> SplitLines(const std::string &text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back({pos, end, std::string_view(text).substr(pos, end - pos)});
    pos = end;
  }
  return lines;
}

// Index of the line on which the comment that is open at (line, column)
// ends; the lines count if it runs on.
size_t CommentEnd(const std::vector<Line> &lines, size_t line, size_t column) {
  for (; line < lines.size(); ++line, column = 0)
    if (lines[line].text.find("*/", column) != std::string_view::npos)
      return line;
  return lines.size() - 1;
}

[[noreturn]] void HeaderError(const std::string &path, unsigned message, size_t line) {
  SetErrorFileName(path, 0);
  CompileErrorAt(uint16_t(line + 1), 1, message);
}

void RemoveNames(ZLibMaster &index, const ZLibEntry *library) {
  std::erase_if(index.hash, [&](const auto &kv) { return kv.second->library == library; });
}

ZLibEntry &NewLibrary(ZLibMaster &index, const std::string &name) {
  index.libraries.push_back(std::make_unique<ZLibEntry>());
  index.libraries.back()->name = name;
  return *index.libraries.back();
}

// ---- cache file --------------------------------------------------------

class CacheWriter {
public:
  void U16(uint16_t v) { bytes.append({char(v), char(v >> 8)}); }
  void U32(uint32_t v) {
    U16(uint16_t(v));
    U16(uint16_t(v >> 16));
  }
  void Text(const std::string &t) {
    U16(uint16_t(t.size() + 1));
    bytes.append(t);
    bytes.push_back('\0');
  }
  std::string bytes;
};

class CacheReader {
public:
  explicit CacheReader(std::string_view b) : bytes_(b) {}
  bool U16(uint16_t &v) {
    if (bytes_.size() - pos_ < 2)
      return false;
    v = uint16_t(uint8_t(bytes_[pos_]) | uint8_t(bytes_[pos_ + 1]) << 8);
    pos_ += 2;
    return true;
  }
  bool U32(uint32_t &v) {
    uint16_t lo, hi;
    if (!U16(lo) || !U16(hi))
      return false;
    v = lo | uint32_t(hi) << 16;
    return true;
  }
  // A NUL-terminated text of the stored length, nothing else inside.
  bool Text(std::string &t) {
    uint16_t n;
    if (!U16(n) || n == 0 || bytes_.size() - pos_ < n || bytes_[pos_ + n - 1] != '\0')
      return false;
    t.assign(bytes_.substr(pos_, n - 1));
    pos_ += n;
    return t.find('\0') == std::string::npos;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }

private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

std::string CachePath(const std::string &path, std::string_view ext) { return plat::ReplaceExtension(path, ext); }

void LoadOrScanLibrary(const std::string &path, ZLibEntry &module, ZLibEntry &description) {
  Notify(kMsgReadingLibrary, {module.name});
  if (!LoadLibraryIndexCache(module, path, "MD1") || !LoadLibraryIndexCache(description, path, "HX1")) {
    module.modules.clear();
    description.modules.clear();
    ScanLibraryFile(path, module, description);
    SaveLibraryIndexCache(module, path, "MD1");
    SaveLibraryIndexCache(description, path, "HX1");
  }
  InsertLibraryNames(description, St().descriptions, true);
}

void InsertModuleNames(ZModEntry &module, ZLibMaster &index, const ZLibEntry *key) {
  for (const std::string &name : module.names) {
    auto slot = std::make_pair(name, key);
    auto it = index.hash.find(slot);
    if (it != index.hash.end()) {
      std::string library = key ? module.library->name : std::string(GetResourceString(kMsgAnyLibrary));
      Notify(kMsgDuplicateName, {name, library}, true);
      index.hash.erase(it);
    }
    index.hash.emplace(slot, &module);
  }
}

} // namespace

ZLibMaster &ModuleIndex() { return St().modules; }
ZLibMaster &DescriptionIndex() { return St().descriptions; }
void SetLibraryIndexMessages(std::function<void(const LibraryIndexMessage &)> sink) { St().sink = std::move(sink); }
void SetLibraryProgramDirectory(const std::string &dir) { St().programDir = dir; }

void ScanLibraryFile(const std::string &path, ZLibEntry &modules, ZLibEntry &descriptions) {
  auto text = ReadWholeFile(path);
  if (!text) {
    Notify(kMsgCannotOpenLibrary, {path}, true);
    return;
  }
  uint32_t time = plat::FileModTime(path).value_or(0);
  modules.fileTime = descriptions.fileTime = time;
  std::vector<Line> lines = SplitLines(*text);
  std::unique_ptr<ZModEntry> open, last;
  auto finishLast = [&](uint32_t end) {
    if (last) {
      last->bodyEnd = end;
      modules.modules.push_back(std::move(last));
    }
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view t = lines[i].text;
    if (t.starts_with(kDescriptionMark)) {
      auto d = std::make_unique<ZModEntry>();
      d->library = &descriptions;
      d->bodyStart = uint32_t(lines[i].end);
      if (++i < lines.size()) {
        std::string_view n = lines[i].text;
        size_t len = 0;
        while (len < n.size() && IdentChar(n[len]))
          ++len;
        if (len)
          d->names.emplace_back(n.substr(0, len));
        i = CommentEnd(lines, i, 0);
        d->bodyEnd = uint32_t(lines[i].end);
      }
      descriptions.modules.push_back(std::move(d));
    } else if (t.starts_with(kBeginHeader)) {
      if (open)
        HeaderError(path, kMsgNestedHeader, i);
      finishLast(uint32_t(lines[i].start));
      open = std::make_unique<ZModEntry>();
      open->library = &modules;
      open->headerLine = uint16_t(i);
      // Names separated by ',' up to the comment's end, across lines.
      size_t column = kBeginHeader.size();
      for (;;) {
        std::string_view l = lines[i].text;
        size_t close = l.find("*/", column);
        std::string_view part = l.substr(column, close == std::string_view::npos ? l.npos : close - column);
        size_t p = 0;
        while (p < part.size()) {
          if (IdentChar(part[p])) {
            size_t q = p;
            while (q < part.size() && IdentChar(part[q]))
              ++q;
            open->names.emplace_back(part.substr(p, std::min(q - p, kMaxHeaderName)));
            p = q;
          } else {
            ++p;
          }
        }
        if (close != std::string_view::npos || i + 1 >= lines.size()) {
          open->headerStart = uint32_t(close == std::string_view::npos ? lines[i].end : lines[i].start + close + 2);
          break;
        }
        ++i;
        column = 0;
      }
    } else if (t.starts_with(kEndHeader)) {
      if (!open)
        HeaderError(path, kMsgStrayEndHeader, i);
      open->headerEnd = open->bodyStart = uint32_t(lines[i].start);
      open->bodyLine = uint16_t(i);
      i = CommentEnd(lines, i, kEndHeader.size());
      last = std::move(open);
    }
  }
  if (open)
    HeaderError(path, kMsgUnclosedHeader, open->headerLine);
  finishLast(uint32_t(text->size()));
}

void SaveLibraryIndexCache(const ZLibEntry &entry, const std::string &path, std::string_view ext) {
  CacheWriter w;
  w.U32(entry.fileTime);
  w.Text(entry.name);
  w.U16(uint16_t(entry.modules.size()));
  for (const auto &m : entry.modules) {
    w.U32(m->headerStart);
    w.U32(m->headerEnd);
    w.U16(m->headerLine);
    w.U32(m->bodyStart);
    w.U32(m->bodyEnd);
    w.U16(m->bodyLine);
    w.U16(uint16_t(m->names.size()));
    for (const std::string &n : m->names)
      w.Text(n);
  }
  // A cache that cannot be written only costs a scan next time.
  plat::WriteFileAtomically(CachePath(path, ext), w.bytes);
}

bool LoadLibraryIndexCache(ZLibEntry &entry, const std::string &path, std::string_view ext) {
  auto bytes = ReadWholeFile(CachePath(path, ext));
  auto libraryTime = plat::FileModTime(path);
  auto librarySize = ReadWholeFile(path);
  if (!bytes || !libraryTime || !librarySize)
    return false;
  CacheReader r(*bytes);
  uint32_t time;
  std::string name;
  uint16_t count;
  std::string dirKey = plat::PathKey(St().programDir);
  if (!r.U32(time) || !r.Text(name) || !r.U16(count))
    return false;
  std::string nameKey = plat::PathKey(name);
  if (nameKey.size() <= dirKey.size() || !nameKey.starts_with(dirKey) || name != entry.name)
    return false;
  const uint32_t size = uint32_t(librarySize->size());
  std::vector<std::unique_ptr<ZModEntry>> modules;
  for (uint16_t i = 0; i < count; ++i) {
    auto m = std::make_unique<ZModEntry>();
    uint16_t names;
    if (!r.U32(m->headerStart) || !r.U32(m->headerEnd) || !r.U16(m->headerLine) || !r.U32(m->bodyStart) ||
        !r.U32(m->bodyEnd) || !r.U16(m->bodyLine) || !r.U16(names))
      return false;
    if (m->headerStart > size || m->headerEnd > size || m->bodyStart > m->bodyEnd || m->bodyEnd > size)
      return false;
    for (uint16_t k = 0; k < names; ++k) {
      std::string n;
      if (!r.Text(n) || n.empty() || n.size() > kMaxHeaderName)
        return false;
      m->names.push_back(std::move(n));
    }
    m->library = &entry;
    modules.push_back(std::move(m));
  }
  if (!r.AtEnd() || time != *libraryTime)
    return false;
  entry.fileTime = time;
  entry.modules = std::move(modules);
  return true;
}

void InsertLibraryNames(ZLibEntry &library, ZLibMaster &index, bool withLibrary) {
  if (library.flags & ZLibEntry::kNamesEntered)
    return;
  for (auto &m : library.modules)
    InsertModuleNames(*m, index, withLibrary ? &library : nullptr);
  library.flags |= ZLibEntry::kNamesEntered;
}

int BuildLibraryIndex(const std::string &libDirFile) {
  ModState &s = St();
  Notify(kMsgIndexing);
  auto found = plat::ResolvePath(libDirFile, s.programDir);
  auto text = found ? ReadWholeFile(*found) : std::nullopt;
  if (!text)
    return 1;
  auto time = plat::FileModTime(*found);
  bool rebuild = !s.libDirTime || time != s.libDirTime;
  s.libDirTime = time;
  s.modules.hash.clear();
  for (auto &lib : s.modules.libraries)
    lib->flags &= uint8_t(~ZLibEntry::kNamesEntered);
  std::string baseDir = plat::SplitPath(*found).dir;

  std::vector<std::string> paths;
  size_t pos = 0;
  while (pos < text->size()) {
    size_t lf = text->find('\n', pos);
    std::string line = Upper(std::string_view(*text).substr(pos, std::min(lf, text->size()) - pos));
    pos = lf == std::string::npos ? text->size() : lf + 1;
    line.resize(std::min(line.size(), kMaxDirLine));
    if (line.empty() || line[0] == '*' || line[0] == '\r')
      continue;
    line = line.substr(0, line.find_first_of("\t;\r\n"));
    if (plat::SplitPath(line).name.find('.') == std::string::npos)
      line += ".LIB";
    auto path = plat::ResolvePath(line, baseDir);
    if (!path) {
      Notify(kMsgNoLibraryFile, {line}, true);
      continue;
    }
    paths.push_back(*path);
  }

  // Pairing the n-th line with the n-th library only holds while the lists
  // agree; anything else rebuilds.
  for (size_t i = 0; !rebuild && i < paths.size(); ++i)
    rebuild = i >= s.modules.libraries.size() || s.modules.libraries[i]->name != Upper(paths[i]);
  rebuild = rebuild || paths.size() != s.modules.libraries.size();

  if (rebuild) {
    s.descriptions.hash.clear();
    s.modules.libraries.clear();
    s.descriptions.libraries.clear();
    for (const std::string &path : paths) {
      ZLibEntry &m = NewLibrary(s.modules, Upper(path));
      ZLibEntry &d = NewLibrary(s.descriptions, Upper(path));
      LoadOrScanLibrary(path, m, d);
    }
    return 0;
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    ZLibEntry &m = *s.modules.libraries[i];
    ZLibEntry &d = *s.descriptions.libraries[i];
    if (plat::FileModTime(paths[i]).value_or(0) == m.fileTime)
      continue;
    RemoveNames(s.descriptions, &d);
    d.flags = 0;
    m.modules.clear();
    d.modules.clear();
    Notify(kMsgLibraryChanged, {m.name});
    LoadOrScanLibrary(paths[i], m, d);
  }
  return 0;
}

void ClearLibraryLinkMarks() {
  for (auto &lib : St().modules.libraries) {
    lib->flags &= uint8_t(~ZLibEntry::kNamesEntered);
    for (auto &m : lib->modules)
      m->flags &= uint8_t(~ZModEntry::kModuleUsed);
  }
}

ZModEntry *NextNeededModule(const std::vector<std::string> &undefined) {
  for (const std::string &name : undefined) {
    auto it = St().modules.hash.find({name, nullptr});
    if (it == St().modules.hash.end())
      continue;
    ZModEntry *m = it->second;
    if (m->flags & ZModEntry::kModuleUsed) {
      CompileError(kMsgModuleAlreadyTaken, name, m->library->name);
      return nullptr;
    }
    m->flags |= ZModEntry::kModuleUsed;
    Notify(kMsgTakingModule, {name, m->library->name});
    return m;
  }
  return nullptr;
}

int FindLibraryFunction(const std::string &text, ZModEntry **entry, bool exact) {
  std::string function = text, library;
  if (!exact) {
    size_t in = text.find(" in ");
    if (in != std::string::npos) {
      function = text.substr(0, in);
      library = Upper(text.substr(in + 4));
    }
  }
  ZModEntry *match = nullptr;
  int count = 0;
  for (const auto &[key, m] : St().descriptions.hash)
    if (key.first == function && (library.empty() || m->library->name == library)) {
      match = m;
      ++count;
    }
  if (count != 1)
    return 0;
  *entry = match;
  return 1;
}

void ListLibraryFunctions(const std::function<void(const std::string &)> &add) {
  for (const auto &lib : St().descriptions.libraries)
    for (const auto &m : lib->modules)
      for (const std::string &n : m->names)
        add(n + " in " + lib->name);
}

void ResetLibraryIndexModule() { St() = ModState(); }

} // namespace tsw
