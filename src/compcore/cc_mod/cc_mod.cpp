#include "compcore/cc_mod/cc_mod.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/common/cc_editor_view.h"
#include "compcore/common/cc_session.h"
#include "foundation/restext.h"
#include "foundation/tastream.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

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
  uint32_t libDirTime = 0;
  uint32_t lastQualifier = 0;
  PendingLabelNames *pending = nullptr;
};

// Held by pointer so that a reset destroys the old index before the new
// one exists: its names go back to the string table first.
std::unique_ptr<ModState> &StatePtr() {
  static std::unique_ptr<ModState> s;
  return s;
}

ModState &State() {
  std::unique_ptr<ModState> &s = StatePtr();
  if (!s)
    s = std::make_unique<ModState>();
  return *s;
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

// Library names take '.' as well: the run-time routines the code generator
// calls are named so ("L.add").
bool IdentChar(char c) { return CharClasses[static_cast<unsigned char>(c)] & (kClassIdent | kClassPeriod); }

void WriteU32(std::ostream &out, uint32_t value) {
  TaWriteU16(out, uint16_t(value));
  TaWriteU16(out, uint16_t(value >> 16));
}

bool ReadU32(std::istream &in, uint32_t &value) {
  uint16_t low = 0, high = 0;
  if (!TaReadU16(in, low) || !TaReadU16(in, high))
    return false;
  value = low | uint32_t(high) << 16;
  return true;
}

uint32_t QualifierOf(ZLibEntry &library) {
  if (library.qualifier == 0)
    library.qualifier = ++State().lastQualifier;
  return library.qualifier;
}

// Moves every module of `from` to the end of `to`, linked to `to`.
void TakeModules(ZLibEntry &from, ZLibEntry &to) {
  while (ZModEntry *m = from.modules.Get()) {
    m->library = &to;
    to.modules.AddTail(m);
  }
}

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

[[noreturn]] void HeaderError(const std::string &path, PlainMessage message, size_t line) {
  SetErrorFileName(path, 0);
  CompileErrorAt(uint16_t(line + 1), 1, message);
}

// Removes from the hash every name that leads to a module of `library`.
void RemoveNames(ZLibMaster &index, const ZLibEntry *library) {
  std::vector<ModName> keys;
  index.hash.ForEach([&](TaPAssoc<ModName, ZModEntry> *entry) {
    if (entry->value->library == library)
      keys.push_back(entry->key);
  });
  for (const ModName &key : keys)
    index.hash.Remove(key);
}

void RemoveAllLibraries(ZLibMaster &index) {
  index.hash.Flush(false);
  index.libraries.Clear(true);
}

ZLibEntry &NewLibrary(ZLibMaster &index, const std::string &name) {
  ZLibEntry *library = index.libraries.AddTail(new ZLibEntry());
  library->name = BRString(name);
  return *library;
}

std::string CachePath(const std::string &path, std::string_view ext) { return plat::ReplaceExtension(path, ext); }

void LoadOrScanLibrary(const std::string &path, ZLibEntry &module, ZLibEntry &description) {
  ShowMessage<kMsgReadingLibrary>(false);
  if (!LoadLibraryIndexCache(module, path, "MD1") || !LoadLibraryIndexCache(description, path, "HX1")) {
    module.modules.Clear(true);
    description.modules.Clear(true);
    try {
      ScanLibraryFile(path, module, description);
    } catch (...) {
      // A library whose scan failed counts as changed, so that the next
      // build scans it again (and reports it) instead of keeping it half read.
      module.fileTime = description.fileTime = 0;
      module.stamp = description.stamp = FileStamp{};
      throw;
    }
    SaveLibraryIndexCache(module, path, "MD1");
    SaveLibraryIndexCache(description, path, "HX1");
  }
  InsertLibraryNames(description, State().descriptions, true);
}

void InsertModuleNames(ZModEntry &module, ZLibMaster &index, uint32_t qualifier) {
  module.names.ForEach([&](BRString *name) {
    ModName key{*name, qualifier};
    if (index.hash.Find(key)) {
      std::string library =
          qualifier ? std::string(module.library->name.View()) : std::string(GetResourceString(kMsgAnyLibrary));
      ShowMessage<kMsgDuplicateName>(true, std::string(name->View()), library);
      index.hash.Remove(key);
    }
    index.hash.Insert(key, &module);
  });
}

// The BIOS command rebuilds the whole index; a BIOS compiled first for the
// Compile command goes by the directory file's time like any compile.
bool RebuildForBiosCompile() { return BiosCompileFlag() && !BiosFirstFlag(); }

} // namespace

bool ZModEntry::Write(std::ostream &out) const {
  WriteU32(out, headerStart);
  WriteU32(out, headerEnd);
  TaWriteU16(out, headerLine);
  WriteU32(out, bodyStart);
  WriteU32(out, bodyEnd);
  TaWriteU16(out, bodyLine);
  return names.Write(out);
}

bool ZModEntry::Read(std::istream &in) {
  return ReadU32(in, headerStart) && ReadU32(in, headerEnd) && TaReadU16(in, headerLine) && ReadU32(in, bodyStart) &&
         ReadU32(in, bodyEnd) && TaReadU16(in, bodyLine) && names.Read(in);
}

bool ZLibEntry::Write(std::ostream &out) const {
  WriteU32(out, fileTime);
  return TaWriteText(out, name.View()) && modules.Write(out);
}

bool ZLibEntry::Read(std::istream &in) {
  std::string text;
  if (!ReadU32(in, fileTime) || !TaReadText(in, text))
    return false;
  name = BRString(text);
  bool whole = modules.Read(in);
  modules.ForEach([&](ZModEntry *m) { m->library = this; });
  return whole;
}

ZLibMaster::~ZLibMaster() { RemoveAllLibraries(*this); }

std::vector<ZLibEntry *> ZLibMaster::Libraries() const { return ListElements(libraries); }

ZLibEntry *ZLibMaster::FindLibrary(std::string_view name) const {
  for (ZLibEntry *library : Libraries())
    if (library->name.View() == name)
      return library;
  return nullptr;
}

ZModEntry *ZLibMaster::Find(std::string_view name, uint32_t qualifier) const {
  BRStringEntry *text = FindStringEntry(name);
  if (!text)
    return nullptr;
  ModName key;
  key.name.Attach(text);
  key.qualifier = qualifier;
  auto *entry = hash.Find(key);
  return entry ? entry->value : nullptr;
}

std::vector<std::string> ModuleNames(const ZModEntry &module) {
  std::vector<std::string> out;
  module.names.ForEach([&](BRString *name) { out.emplace_back(name->View()); });
  return out;
}

ZLibMaster &ModuleIndex() { return State().modules; }
ZLibMaster &DescriptionIndex() { return State().descriptions; }
void SetLibraryProgramDirectory(const std::string &dir) { State().programDir = dir; }
void SetPendingLabelNames(PendingLabelNames *pending) { State().pending = pending; }
size_t PendingLabelCount() { return State().pending ? State().pending->Count() : 0; }

std::optional<FileStamp> FileStampOf(const std::string &path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  const uint64_t size = error ? 0 : std::filesystem::file_size(path, error);
  const std::optional<uint32_t> seconds = plat::FileModTime(path);
  if (error || !seconds)
    return std::nullopt;
  return FileStamp{*seconds, int64_t(time.time_since_epoch().count()), size};
}

namespace {
void ReportUnsavedEdits(const std::string &path) {
  EditorView *editor = CurrentEditorView();
  if (editor && !path.empty() && editor->OpenAndModified(path))
    ShowMessage<kMsgLibraryModifiedInEditor>(true);
}
} // namespace

int FileStampChanged(const std::string &path, FileStamp &stored) {
  ReportUnsavedEdits(path);
  std::optional<FileStamp> now;
  if (!path.empty())
    now = FileStampOf(path);
  if (!now)
    return 1;
  bool changed = *now != stored;
  stored = *now;
  return changed ? 1 : 0;
}

int FileTimeChanged(const std::string &path, uint32_t &storedTime) {
  ReportUnsavedEdits(path);
  std::optional<uint32_t> now;
  if (!path.empty())
    now = plat::FileModTime(path);
  if (!now)
    return 1;
  bool changed = *now != storedTime;
  storedTime = *now;
  return changed ? 1 : 0;
}

void ScanLibraryFile(const std::string &path, ZLibEntry &modules, ZLibEntry &descriptions) {
  auto text = ReadWholeFile(path);
  if (!text) {
    ShowMessage<kMsgCannotOpenLibrary>(true);
    return;
  }
  uint32_t time = plat::FileModTime(path).value_or(0);
  modules.fileTime = descriptions.fileTime = time;
  std::vector<Line> lines = SplitLines(*text);
  std::unique_ptr<ZModEntry> open, last;
  size_t openLine = 0; // the "beginheader" line of the open module
  auto finishLast = [&](uint32_t end) {
    if (last) {
      last->bodyEnd = end;
      modules.modules.AddTail(last.release());
    }
  };
  auto addName = [](ZModEntry &m, std::string_view name) { m.names.AddTail(new BRString(name)); };
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view t = lines[i].text;
    if (t.starts_with(kDescriptionMark)) {
      auto d = std::make_unique<ZModEntry>();
      d->library = &descriptions;
      // A block that ends with the file is empty, not one that ends
      // before it starts.
      d->bodyStart = d->bodyEnd = uint32_t(lines[i].end);
      if (++i < lines.size()) {
        std::string_view n = lines[i].text;
        size_t len = 0;
        while (len < n.size() && IdentChar(n[len]))
          ++len;
        // Cut as header names are, so the cache reader takes it back.
        if (len)
          addName(*d, n.substr(0, std::min(len, kMaxHeaderName)));
        i = CommentEnd(lines, i, 0);
        d->bodyEnd = uint32_t(lines[i].end);
      }
      descriptions.modules.AddTail(d.release());
    } else if (t.starts_with(kBeginHeader)) {
      if (open)
        HeaderError(path, Plain<kMsgNestedHeader>(), i);
      finishLast(uint32_t(lines[i].start));
      open = std::make_unique<ZModEntry>();
      open->library = &modules;
      openLine = i;
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
            addName(*open, part.substr(p, std::min(q - p, kMaxHeaderName)));
            p = q;
          } else {
            ++p;
          }
        }
        if (close != std::string_view::npos || i + 1 >= lines.size()) {
          open->headerStart = uint32_t(close == std::string_view::npos ? lines[i].end : lines[i].start + close + 2);
          // The header text begins on the line where its names end: its
          // lines are numbered from there.
          open->headerLine = uint16_t(i);
          break;
        }
        ++i;
        column = 0;
      }
    } else if (t.starts_with(kEndHeader)) {
      if (!open)
        HeaderError(path, Plain<kMsgStrayEndHeader>(), i);
      open->headerEnd = open->bodyStart = uint32_t(lines[i].start);
      open->bodyLine = uint16_t(i);
      i = CommentEnd(lines, i, kEndHeader.size());
      last = std::move(open);
    }
  }
  if (open)
    HeaderError(path, Plain<kMsgUnclosedHeader>(), openLine);
  finishLast(uint32_t(text->size()));
}

void SaveLibraryIndexCache(const ZLibEntry &entry, const std::string &path, std::string_view ext) {
  std::ostringstream out(std::ios::binary);
  // A cache that cannot be written only costs a scan next time.
  if (entry.Write(out))
    plat::WriteFileAtomically(CachePath(path, ext), out.str());
}

bool LoadLibraryIndexCache(ZLibEntry &entry, const std::string &path, std::string_view ext) {
  std::ifstream in(CachePath(path, ext), std::ios::binary);
  auto libraryStamp = FileStampOf(path);
  auto cacheStamp = FileStampOf(CachePath(path, ext));
  auto library = ReadWholeFile(path);
  if (!in || !libraryStamp || !cacheStamp || !library)
    return false;
  // The cache keeps whole seconds only: a library changed after its cache
  // was written, within the same second, is not what the cache describes.
  if (libraryStamp->fineTime > cacheStamp->fineTime)
    return false;
  ZLibEntry cached;
  if (!cached.Read(in) || in.peek() != std::char_traits<char>::eof())
    return false;
  std::string dirKey = plat::PathKey(State().programDir);
  std::string nameKey = plat::PathKey(cached.name.View());
  if (nameKey.size() <= dirKey.size() || !nameKey.starts_with(dirKey) || cached.name != entry.name ||
      cached.fileTime != libraryStamp->seconds)
    return false;
  // Every offset must lie in the library and every name be one a scan
  // could have found.
  const uint32_t size = uint32_t(library->size());
  bool consistent = true;
  cached.modules.ForEach([&](const ZModEntry *m) {
    consistent = consistent && m->headerStart <= m->headerEnd && m->headerEnd <= size && m->bodyStart <= m->bodyEnd &&
                 m->bodyEnd <= size;
    m->names.ForEach([&](const BRString *n) {
      consistent = consistent && !n->View().empty() && n->View().size() <= kMaxHeaderName;
    });
  });
  if (!consistent)
    return false;
  entry.modules.Clear(true);
  entry.fileTime = cached.fileTime;
  TakeModules(cached, entry);
  return true;
}

void InsertLibraryNames(ZLibEntry &library, ZLibMaster &index, bool withLibrary) {
  if (library.flags & ZLibEntry::kNamesEntered)
    return;
  uint32_t qualifier = withLibrary ? QualifierOf(library) : 0;
  library.modules.ForEach([&](ZModEntry *m) { InsertModuleNames(*m, index, qualifier); });
  library.flags |= ZLibEntry::kNamesEntered;
}

int BuildLibraryIndex(const std::string &libDirFile) {
  ModState &s = State();
  ShowMessage<kMsgIndexing>(false);
  auto found = plat::ResolvePath(libDirFile, s.programDir);
  auto text = found ? ReadWholeFile(*found) : std::nullopt;
  if (!text)
    return 1;
  bool rebuild = FileTimeChanged(*found, s.libDirTime) != 0 || RebuildForBiosCompile();
  s.modules.hash.Flush(false);
  s.modules.libraries.ForEach([](ZLibEntry *lib) { lib->flags &= uint8_t(~ZLibEntry::kNamesEntered); });
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
      ShowMessage<kMsgNoLibraryFile>(true);
      continue;
    }
    paths.push_back(*path);
  }

  // Pairing the n-th line with the n-th library only holds while the lists
  // agree; anything else rebuilds.
  std::vector<ZLibEntry *> modules = s.modules.Libraries();
  std::vector<ZLibEntry *> descriptions = s.descriptions.Libraries();
  rebuild = rebuild || paths.size() != modules.size() || descriptions.size() != modules.size();
  for (size_t i = 0; !rebuild && i < paths.size(); ++i)
    rebuild = modules[i]->name.View() != Upper(paths[i]);

  if (rebuild) {
    RemoveAllLibraries(s.descriptions);
    RemoveAllLibraries(s.modules);
    for (const std::string &path : paths) {
      ZLibEntry &m = NewLibrary(s.modules, Upper(path));
      ZLibEntry &d = NewLibrary(s.descriptions, Upper(path));
      FileStampChanged(path, m.stamp);
      m.fileTime = d.fileTime = m.stamp.seconds;
      LoadOrScanLibrary(path, m, d);
    }
    return 0;
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    ZLibEntry &m = *modules[i];
    ZLibEntry &d = *descriptions[i];
    if (!FileStampChanged(paths[i], m.stamp))
      continue;
    m.fileTime = m.stamp.seconds;
    RemoveNames(s.descriptions, &d);
    d.flags = 0;
    m.modules.Clear(true);
    d.modules.Clear(true);
    ShowMessage<kMsgLibraryChanged>(false);
    LoadOrScanLibrary(paths[i], m, d);
  }
  return 0;
}

void ClearLibraryLinkMarks() {
  State().modules.libraries.ForEach([](ZLibEntry *lib) {
    lib->flags &= uint8_t(~ZLibEntry::kHeadersRead);
    lib->modules.ForEach([](ZModEntry *m) { m->flags &= uint8_t(~ZModEntry::kModuleUsed); });
  });
}

ZModEntry *NextNeededModule() {
  ModState &s = State();
  if (!s.pending || DroppedRecordCount() != 0)
    return nullptr;
  s.pending->PurgeDefined();
  while (std::optional<std::string> name = s.pending->PopUndefined()) {
    ZModEntry *m = s.modules.Find(*name);
    if (!m)
      continue;
    std::string library(m->library->name.View());
    if (m->flags & ZModEntry::kModuleUsed) {
      CompileError<kMsgModuleAlreadyTaken>(*name, library);
      return nullptr;
    }
    m->flags |= ZModEntry::kModuleUsed;
    ShowMessage<kMsgTakingModule>(false, *name, library);
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
  for (ZLibEntry *lib : State().descriptions.Libraries()) {
    if (!library.empty() && lib->name.View() != library)
      continue;
    if (ZModEntry *m = State().descriptions.Find(function, QualifierOf(*lib))) {
      match = m;
      ++count;
    }
  }
  if (count != 1)
    return 0;
  *entry = match;
  return 1;
}

void ListLibraryFunctions(const std::function<void(const std::string &)> &add) {
  State().descriptions.libraries.ForEach([&](ZLibEntry *lib) {
    lib->modules.ForEach([&](ZModEntry *m) {
      m->names.ForEach([&](BRString *n) { add(std::string(n->View()) + " in " + std::string(lib->name.View())); });
    });
  });
}

void ResetLibraryIndexModule() { StatePtr().reset(); }

} // namespace tsw
