#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/brstring.h"
#include "foundation/tahash.h"
#include "foundation/talist.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The library module index (which module of which library defines a name)
// and the function-description index, rebuilt from the library directory
// file and cached per library in ".MD1" and ".HX1" files beside it.
namespace tsw {

struct ZLibEntry;

// What tells two versions of a file apart: its time in whole seconds (what
// the cache files keep), its time as finely as the file system keeps it,
// and its size.
struct FileStamp {
  uint32_t seconds = 0;
  int64_t fineTime = 0;
  uint64_t size = 0;
  bool operator==(const FileStamp &) const = default;
};
std::optional<FileStamp> FileStampOf(const std::string &path);

// One module header of a library (module index) or one function
// description block (description index).
struct ZModEntry {
  // The fixed part of the cache files: these six fields, in this order.
  uint32_t headerStart = 0;
  uint32_t headerEnd = 0;
  uint16_t headerLine = 0; // 0-based line of headerStart
  uint32_t bodyStart = 0;
  uint32_t bodyEnd = 0;
  uint16_t bodyLine = 0;

  uint8_t flags = kModuleUsed;
  ZLibEntry *library = nullptr;
  Ta1FIFO<BRString> names;

  static constexpr uint8_t kModuleUsed = 2;
  static constexpr size_t kFixedBytes = 20;

  ZModEntry() = default;
  ZModEntry(const ZModEntry &) = delete;
  ZModEntry &operator=(const ZModEntry &) = delete;
  ~ZModEntry() { names.Clear(true); }

  // The stream form: the fixed part, then the name list.
  bool Write(std::ostream &out) const;
  bool Read(std::istream &in);
};

struct ZLibEntry {
  BRString name; // the library's path, upper-cased
  uint32_t fileTime = 0;
  // The library as this index read it; not part of the stream form.
  FileStamp stamp;
  uint8_t flags = 0; // kNamesEntered, kHeadersRead
  Ta1FIFO<ZModEntry> modules;
  // Keeps this library's names apart from equal names of other libraries
  // in the description index; given on first use, never 0.
  uint32_t qualifier = 0;

  static constexpr uint8_t kNamesEntered = 1;
  // The library's headers were read by this compile's #use; its names may
  // have been entered by an earlier compile of the same index.
  static constexpr uint8_t kHeadersRead = 4;

  ZLibEntry() = default;
  ZLibEntry(const ZLibEntry &) = delete;
  ZLibEntry &operator=(const ZLibEntry &) = delete;
  ~ZLibEntry() { modules.Clear(true); }

  // The stream form (the cache file): time, name, then the module list.
  // Read links every module read to this library.
  bool Write(std::ostream &out) const;
  bool Read(std::istream &in);
};

inline constexpr uint16_t kLibraryIndexBuckets = 1021;

struct ZLibMaster {
  // Module index: names with qualifier 0, unique across libraries.
  // Description index: names with their library's qualifier.
  TaDUniqueHash<ModName, ZModEntry> hash{kLibraryIndexBuckets};
  Ta1FIFO<ZLibEntry> libraries; // in directory-file order

  ZLibMaster() = default;
  ZLibMaster(const ZLibMaster &) = delete;
  ZLibMaster &operator=(const ZLibMaster &) = delete;
  ~ZLibMaster();

  std::vector<ZLibEntry *> Libraries() const;
  // The library whose (upper-cased) name is `name`; null when none.
  ZLibEntry *FindLibrary(std::string_view name) const;
  // The module a name of the index leads to; null when none.
  ZModEntry *Find(std::string_view name, uint32_t qualifier = 0) const;
};
ZLibMaster &ModuleIndex();
ZLibMaster &DescriptionIndex();

// Every element of a list, in list order.
template <class T> std::vector<T *> ListElements(const Ta1L<T> &list) {
  std::vector<T *> out;
  out.reserve(list.Count());
  list.ForEach([&](T *element) { out.push_back(element); });
  return out;
}
// The names of a module as texts.
std::vector<std::string> ModuleNames(const ZModEntry &module);

// The file-time test: 1 when the file changed since `storedTime`, which
// then holds the new time. A file open with unsaved edits in an editor is
// reported (810) first; an empty path or an unreadable time counts as
// changed and leaves `storedTime` alone.
int FileTimeChanged(const std::string &path, uint32_t &storedTime);
// The same by stamp, so that an edit within the same second counts.
int FileStampChanged(const std::string &path, FileStamp &stored);

// The label table's names that were referenced before any definition.
class PendingLabelNames {
public:
  virtual ~PendingLabelNames() = default;
  // Drops every name that has been defined since it was referenced.
  virtual void PurgeDefined() = 0;
  // Takes the next still-undefined name; nullopt when none is left.
  virtual std::optional<std::string> PopUndefined() = 0;
  virtual size_t Count() const = 0;
};
void SetPendingLabelNames(PendingLabelNames *pending);
size_t PendingLabelCount();

// The program's directory: only caches naming a library below it are taken.
void SetLibraryProgramDirectory(const std::string &dir);
// 1 when the directory file cannot be found, else 0.
int BuildLibraryIndex(const std::string &libDirFile);
// Fills both entries from the library's text (throws on header errors).
void ScanLibraryFile(const std::string &path, ZLibEntry &modules, ZLibEntry &descriptions);
bool LoadLibraryIndexCache(ZLibEntry &entry, const std::string &path, std::string_view ext);
void SaveLibraryIndexCache(const ZLibEntry &entry, const std::string &path, std::string_view ext);
void InsertLibraryNames(ZLibEntry &library, ZLibMaster &index, bool withLibrary);
// Per compile: clears every module's used flag and every library's
// headers-read flag. The names stay entered while the index stands.
void ClearLibraryLinkMarks();
// The module that defines the next pending undefined name, marked used
// (140); null when no pending name has one, after error 521 (its module
// was taken already and did not define it), or once the diagnostic list
// has dropped a record.
ZModEntry *NextNeededModule();
// 1 when exactly one description matches `text` ("f" or "f in LIB").
int FindLibraryFunction(const std::string &text, ZModEntry **entry, bool exact);
void ListLibraryFunctions(const std::function<void(const std::string &)> &add);

void ResetLibraryIndexModule();

} // namespace tsw
